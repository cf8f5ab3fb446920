#pragma once

#include <QList>
#include <QPair>
#include <QString>

// What one HTTP request sends: the address, the method and the variables,
// laid out in the address (GET, HEAD), as a URL-encoded body or as a
// multipart body with files.
class HttpRequestSpec
{
public:
    enum Layout { NotSet = 0, Address = 1, UrlEncoded = 2, Multipart = 3 };

    struct File {
        QString variableName;   // empty: "file"
        QString localPath;      // read when the body is built; unreadable: skipped
        QString requestName;    // empty: the local file's own name
        QString mimeType;       // empty: no Content-Type line
    };

    HttpRequestSpec() = default;
    HttpRequestSpec(const QString& url, const QString& method);

    QString url;
    QString method = QStringLiteral("GET");
    Layout layout = NotSet;

    // Variables keep the order they were added in; adding a key again
    // replaces its value in place.
    void addVariable(const QString& key, const QString& value);
    const QList<QPair<QString, QString>>& variables() const { return m_variables; }

    void addFile(const QString& variableName, const QString& localPath, const QString& requestName,
                 const QString& mimeType);
    const QList<File>& files() const { return m_files; }

    // The layout that is used: multipart when there are files; otherwise
    // the one set, or, when none is, the address for "GET" and "HEAD" and
    // URL-encoded for every other method.
    Layout effectiveLayout() const;

private:
    QList<QPair<QString, QString>> m_variables;
    QList<File> m_files;
};
