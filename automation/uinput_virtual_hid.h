#pragma once

#include "hid_report_translator.h"
#include "virtual_hid_client.h"

#include <QString>

class SystemCalls;

// The virtual keyboard and mouse on Linux: two uinput devices ("Orvanta
// virtual keyboard" and "Orvanta virtual mouse", bus virtual, ids
// 001F:BA1C). Keyboard reports become the key presses and releases that
// take the keyboard from the previous report's state to this one; mouse
// reports become button changes, relative movement and wheel steps.
//
// Opening prints the search lines of the virtual device ("....looking for
// our HID device ...", then "Success: Found my device.. " or "Failure:
// Could not find our HID device ") to the debug output. Without access to
// /dev/uinput it logs one line saying why and how to grant it.
class UinputVirtualHid : public VirtualHidClient
{
public:
    explicit UinputVirtualHid(SystemCalls& calls, const QString& node = QStringLiteral("/dev/uinput"));
    ~UinputVirtualHid() override;

    static constexpr quint16 kVendorId = 0x001F;
    static constexpr quint16 kProductId = 0xBA1C;

protected:
    bool open() override;
    void close() override;
    bool writeReport(const QByteArray& report) override;

private:
    int createDevice(const char* name, bool keyboard);
    void destroyDevice(int* fd);
    bool writeEvents(int fd, const QVector<KernelInputEvent>& events);

    SystemCalls& m_calls;
    QByteArray m_node;
    int m_keyboard = -1;
    int m_mouse = -1;
    HidReportTranslator m_translator;
};
