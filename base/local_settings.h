#pragma once

#include <QString>

// "conf.ini" in the application folder: the page's own settings (the
// interface language among them), every key in the group "info", UTF-8.
// A QSettings object is made for each access and dropped right after, so
// nothing is cached between accesses and edits by hand are seen at once.
class LocalSettings {
public:
    // folder: the application folder (with or without a trailing "/").
    explicit LocalSettings(const QString &folder);

    QString filePath() const;

    // Empty when the file or the key does not exist.
    QString read(const QString &key) const;
    // Creates the file when missing; false when it could not be written.
    // Any text reads back the same, in this process or another, characters
    // beyond the Basic Multilingual Plane (emoji) included.
    bool write(const QString &key, const QString &value) const;

private:
    QString m_filePath;
};
