#pragma once

#include <QMap>
#include <QString>

#include <optional>

#include "device_discovery.h"
#include "devices_handler.h"

// The facade through which the program reads and writes a device. Every
// operation names its device by its key, looks the key up in the device
// map (a copy of the process-wide map that listDevices rebuilds) and turns
// its text arguments into one library call. A key absent from the map, a
// byte list whose item count differs from its size, or a missing entry
// point gives false (or an empty or zero-valued text) without a call.
//
// Text conventions: addresses and data bytes are hexadecimal ("1f" or
// "0x1f"), byte lists are separated by ","; property ids and sizes are
// numbers.
class DeviceFunctions : public devices_handler
{
    Q_OBJECT

public:
    explicit DeviceFunctions(QObject* parent = nullptr);

    // Discovery: lists the devices, replaces the process-wide device map and
    // readable device map, and returns a copy of the device map.
    DeviceMap listDevices();
    // Hands the readable devices to the library's report reader, in key
    // order. The table has 10 rows: past ten, the devices are left unread and
    // logged. With none, reading stops. False when the library refuses.
    bool startReading();

    // The first size bytes of the property as "0x01,0x02"; "" for size 0,
    // an absent key or a failed read.
    QString readProperty(const QString& key, int id, int size);
    bool writeProperty(const QString& key, int id, const QString& data, int size);
    bool writeProperty(const QString& key, int id, const unsigned char* data, int size);
    // True when the size bytes of the property all read as zero (property
    // reads carry no header); false when they do not, or the read fails.
    bool isPropertyBlank(const QString& key, int id, int size);
    // True when the size bytes after the 8-byte response header of an
    // address read all read as zero.
    bool isAddressBlank(const QString& key, const QString& address, int size);
    bool writeAddress(const QString& key, const QString& address, int size, const QString& data);
    bool writeAddress(const QString& key, const QString& address, int size, const unsigned char* data);
    // length is hexadecimal text. W1-family devices get 25 ms of quiet before
    // each write. Modes: 7 block write, 9 reset.
    bool writeW1Address(const QString& key, const QString& address, const QString& data, const QString& length,
                        quint8 mode);
    bool resetDevice(const QString& key);
    // frame holds 1024 bytes.
    bool notifyRgb(const QString& key, const unsigned char* frame);

    // {"DpiXVal":"800","DpiYVal":"800"} for DPI slot 0-4; another slot
    // reads the property of that number.
    // {"DpiXVal":"800","DpiYVal":"800"}; with detail, the stage's mode and
    // colour too ("DpiModeVal":"1","DpiRGBVal":"FF0000").
    QString readDpi(const QString& key, int slot, bool detail = false);
    // The current stage (property 48) and the stages of stageSlots, each
    // property read once: {"Current":"n","Stages":[{"DpiXVal", "DpiYVal",
    // "DpiModeVal", "DpiRGBVal"}, ...]} in their order; nullopt when no
    // such device is connected.
    std::optional<QString> readDpiStages(const QString& key, const QList<int>& stageSlots);
    // "reporVal:1,curDpi:1,DpiXVal:...,DpiYVal:...,lightVal:...,
    // jittersVal:a,b,soundVal:a,b," The pointer settings follow, added by the
    // caller.
    QString readSettingsSummary(const QString& key);

    // The key list numbered from 1 to 104.
    const QMap<int, QString>& keyNames() const;

private:
    // DevicePath of the key's record; "" when the key is not in the map.
    static QString pathOf(const QString& key);

    QMap<int, QString> m_keyNames;
};
