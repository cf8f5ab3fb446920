#include "hid_report_translator.h"

#include "hid_key_codes.h"
#include "virtual_report.h"

#include <linux/input-event-codes.h>

namespace {

constexpr quint16 kButtons[] = {BTN_LEFT, BTN_RIGHT, BTN_MIDDLE, BTN_SIDE, BTN_EXTRA};

void key(QVector<KernelInputEvent>* events, quint16 code, qint32 value)
{
    events->append({EV_KEY, code, value});
}

void sync(QVector<KernelInputEvent>* events)
{
    if (!events->isEmpty())
        events->append({EV_SYN, SYN_REPORT, 0});
}

} // namespace

HidReportTranslator::Device HidReportTranslator::translate(const QByteArray& report, QVector<KernelInputEvent>* events)
{
    events->clear();
    if (VirtualReport::isKeyboard(report)) {
        const quint8 modifierBits = quint8(report[3]);
        QVector<quint16> modifiers;
        for (int bit = 0; bit < 8; ++bit) {
            if (modifierBits & (1u << bit))
                modifiers << linuxKeyForModifierBit(bit);
        }
        QVector<quint16> keys;
        for (int i = 0; i < VirtualReport::kMaxKeys; ++i) {
            const quint16 code = linuxKeyForHidUsage(quint8(report[5 + i]));
            if (code && !keys.contains(code) && !modifiers.contains(code))
                keys << code;
        }
        keyboardEvents(modifiers, keys, events);
        return Keyboard;
    }
    if (VirtualReport::isMouse(report)) {
        mouseEvents(quint8(report[3]), qint8(report[4]), qint8(report[5]), qint8(report[6]), events);
        return Mouse;
    }
    return None;
}

void HidReportTranslator::keyboardEvents(const QVector<quint16>& modifiers, const QVector<quint16>& keys,
                                         QVector<KernelInputEvent>* events)
{
    for (quint16 code : qAsConst(m_keys)) {
        if (!keys.contains(code))
            key(events, code, 0);
    }
    for (quint16 code : qAsConst(m_modifiers)) {
        if (!modifiers.contains(code))
            key(events, code, 0);
    }
    for (quint16 code : modifiers) {
        if (!m_modifiers.contains(code))
            key(events, code, 1);
    }
    for (quint16 code : keys) {
        if (!m_keys.contains(code))
            key(events, code, 1);
    }
    m_modifiers = modifiers;
    m_keys = keys;
    sync(events);
}

void HidReportTranslator::mouseEvents(quint8 buttons, qint8 dx, qint8 dy, qint8 wheel,
                                      QVector<KernelInputEvent>* events)
{
    const quint8 changed = quint8((buttons ^ m_buttons) & 0x1F);
    for (int bit = 0; bit < 5; ++bit) {
        if (changed & (1u << bit))
            key(events, kButtons[bit], (buttons >> bit) & 1);
    }
    m_buttons = buttons & 0x1F;
    if (dx)
        events->append({EV_REL, REL_X, dx});
    if (dy)
        events->append({EV_REL, REL_Y, dy});
    if (wheel)
        events->append({EV_REL, REL_WHEEL, wheel});
    sync(events);
}

QVector<KernelInputEvent> HidReportTranslator::releaseKeyboard()
{
    QVector<KernelInputEvent> events;
    keyboardEvents({}, {}, &events);
    return events;
}

QVector<KernelInputEvent> HidReportTranslator::releaseMouse()
{
    QVector<KernelInputEvent> events;
    mouseEvents(0, 0, 0, 0, &events);
    return events;
}

QVector<quint16> HidReportTranslator::keyboardKeys()
{
    QVector<quint16> codes;
    for (int usage = 0; usage < 256; ++usage) {
        const quint16 code = linuxKeyForHidUsage(quint8(usage));
        if (code && !codes.contains(code))
            codes << code;
    }
    return codes;
}

QVector<quint16> HidReportTranslator::mouseButtons()
{
    return QVector<quint16>(std::begin(kButtons), std::end(kButtons));
}
