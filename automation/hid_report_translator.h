#pragma once

#include <QByteArray>
#include <QVector>
#include <QtGlobal>

// One event for a Linux input device (the type, code and value of a
// struct input_event).
struct KernelInputEvent {
    quint16 type = 0;
    quint16 code = 0;
    qint32 value = 0;

    bool operator==(const KernelInputEvent& other) const
    {
        return type == other.type && code == other.code && value == other.value;
    }
};

// Turns the virtual device's output reports into the input events of a
// keyboard and a mouse. Reports describe a whole state (the modifiers and
// up to six keys down; the buttons down), so the translator remembers the
// last state and emits what takes the device from it to the new one:
// releases before presses, keys released before their modifiers and
// modifiers pressed before their keys, each batch ending with SYN_REPORT.
// Movement and wheel are relative and sent as they come.
class HidReportTranslator
{
public:
    enum Device { None, Keyboard, Mouse };

    // The events for one report and the device they are for; None (and no
    // events) for a report that is neither keyboard nor mouse. A report
    // that changes nothing gives no events.
    Device translate(const QByteArray& report, QVector<KernelInputEvent>* events);

    // The events that release every key and button still down; the state
    // is then empty.
    QVector<KernelInputEvent> releaseKeyboard();
    QVector<KernelInputEvent> releaseMouse();

    // Every key code and button the two devices can send, for creating
    // them.
    static QVector<quint16> keyboardKeys();
    static QVector<quint16> mouseButtons();

private:
    void keyboardEvents(const QVector<quint16>& modifiers, const QVector<quint16>& keys,
                        QVector<KernelInputEvent>* events);
    void mouseEvents(quint8 buttons, qint8 dx, qint8 dy, qint8 wheel, QVector<KernelInputEvent>* events);

    QVector<quint16> m_modifiers;   // key codes of the modifiers down
    QVector<quint16> m_keys;        // key codes of the other keys down, in report order
    quint8 m_buttons = 0;
};
