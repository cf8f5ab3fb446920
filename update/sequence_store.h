#pragma once

#include <QMap>
#include <QString>

// The highest release sequence this user's program has trusted, per
// channel ("upgrade", "client", …), kept in a small JSON file in the user's
// state folder:
//   {"channels": {"upgrade": 12, "client": 3}}
// An answer or a package with a lower number than the one kept is a
// rollback and is refused. A file that cannot be read as such counts as
// empty (and is rewritten at the next raise); it is never written through
// a link.
class SequenceStore
{
public:
    explicit SequenceStore(const QString &path);

    // The file in this program's state folder.
    static QString defaultPath();

    quint64 highest(const QString &channel) const;
    // Keeps sequence for channel when it is higher than the one kept.
    // False (with why) when the file cannot be written.
    bool raise(const QString &channel, quint64 sequence, QString *why = nullptr);

    QString path() const { return m_path; }

private:
    QMap<QString, quint64> load() const;

    QString m_path;
};
