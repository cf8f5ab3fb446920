#pragma once

#include <QByteArray>
#include <QMap>
#include <QSize>
#include <QString>

class NetworkIdentitySource;

// The client profile: the branding document compiled into the program as
// ":/file/confxml". Its root `root` names, in the attribute `name`, which of
// its `client` rows this build uses; the chosen row's attributes become the
// client profile map (start page, window size, client version, upgrade
// address, close behaviour, debug switches).
class ClientProfile {
public:
    static QString resourcePath();   // ":/file/confxml"

    // Loads the compiled document. Returns what load() returns; false too
    // when the resource cannot be read.
    bool loadFromResource(const NetworkIdentitySource &network);

    // Loads a document given as bytes:
    //  - a document that does not parse changes nothing and returns false;
    //  - otherwise the map is cleared, the tray mode becomes "EnableTray"
    //    unless the root's name is "Tavik" or "Strider ZX40", and the first
    //    `client` row whose Name equals the root's name exactly is copied
    //    into the map together with "MacAddress" and "IpAddress", and the
    //    whole document is kept as text. Without such a row the map stays
    //    empty, the text keeps what it held and the result is false.
    bool load(const QByteArray &document, const NetworkIdentitySource &network);

    QMap<QString, QString> map() const { return m_map; }
    QString text() const { return m_text; }
    // An absent name reads as "".
    QString value(const QString &name) const { return m_map.value(name); }

private:
    QMap<QString, QString> m_map;
    QString m_text;
};

// The smallest size the main window may take, and what it uses when the
// profile's ClientSize is missing or malformed.
QSize minimumClientSize();

// "540,425" -> 540 x 425. Missing, fewer than two numbers, a number that is
// not a positive integer or absurdly large: minimumClientSize().
QSize clientSizeOf(const QMap<QString, QString> &profile);
