#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "driver_definition.h"
#include "driver_registry.h"

// The Driver definitions the program knows, the one in use, and the lookups
// the encoders make on it. Every write request loads the definition it
// names; it stays in use until the next one.
//
// Two key-code modes change how "Alt", "Ctrl", "Shift" and "Win" are looked
// up: while a macro is being encoded, or a hotkey holds a single key, they
// name the left-hand keys (whose key codes go into the bytes) instead of
// the modifier bits. The encoders set them; they stay as the last encoding
// left them.
class DriverLookup
{
public:
    // The resources registered at start, in registration order. The last
    // one, K4.0, is not shipped: its registration fails quietly and a
    // request for K4.0 finds no definition.
    static QStringList defaultDriverPaths();

    // Stores the text of the document at path under its Version; false,
    // with nothing stored, when it cannot be opened or parsed.
    bool registerDriver(const QString& path);
    // Registers defaultDriverPaths() in order; answers how many were stored.
    int registerDefaultDrivers();
    QStringList registeredVersions() const;
    QByteArray driverText(const QString& version) const;

    // Makes the registered document for version the definition in use.
    // An unknown version has empty text, which does not parse: the answer is
    // false and every lookup answers "" until the next successful load.
    bool loadDriver(const QString& version);
    bool isDriverLoaded() const;
    QString loadedDriverVersion() const;

    // Lookups on the definition in use; "" (or an empty list) when nothing
    // matches.
    QString lengthOfKey(const QString& key) const;
    QStringList addrLengthOfIndex(const QString& index) const;
    QString addrOfTask(const QString& task) const;
    // With either key-code mode on, a modifier name is looked up as its
    // left-hand key.
    QString codeOfTask(const QString& task) const;

    void setMacroEncoding(bool on) { m_macroEncoding = on; }
    bool macroEncoding() const { return m_macroEncoding; }
    void setSingleHotKey(bool on) { m_singleHotKey = on; }
    bool singleHotKey() const { return m_singleHotKey; }

private:
    DriverRegistry m_registry;
    DriverDefinition m_driver;
    bool m_macroEncoding = false;
    bool m_singleHotKey = false;
};

// The key a bare modifier name stands for where its key code, not its
// modifier bit, is wanted: "Alt" is "Left Alt", "Ctrl" "Left Ctrl", "Shift"
// "Left Shift", "Win" "Left Windows"; any other name stays as it is.
QString leftHandKey(const QString& name);
