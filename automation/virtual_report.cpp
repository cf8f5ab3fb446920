#include "virtual_report.h"

#include <QStringList>

namespace VirtualReport {

QByteArray keyboard(quint8 modifiers, const quint8* keys, int keyCount)
{
    QByteArray report(kSize, '\0');
    report[0] = char(kControlReportId);
    report[1] = char(kKeyboardLength);
    report[2] = char(kKeyboardReportId);
    report[3] = char(modifiers);
    for (int i = 0; keys && i < keyCount && i < kMaxKeys; ++i)
        report[5 + i] = char(keys[i]);
    return report;
}

QByteArray keyboard(quint8 modifiers, quint8 key)
{
    return keyboard(modifiers, &key, key ? 1 : 0);
}

QByteArray mouse(quint8 buttons, qint8 dx, qint8 dy, qint8 wheel)
{
    QByteArray report(kSize, '\0');
    report[0] = char(kControlReportId);
    report[1] = char(kMouseLength);
    report[2] = char(kMouseReportId);
    report[3] = char(buttons);
    report[4] = char(dx);
    report[5] = char(dy);
    report[6] = char(wheel);
    return report;
}

bool isKeyboard(const QByteArray& report)
{
    return report.size() == kSize && quint8(report[0]) == kControlReportId && quint8(report[2]) == kKeyboardReportId;
}

bool isMouse(const QByteArray& report)
{
    return report.size() == kSize && quint8(report[0]) == kControlReportId && quint8(report[2]) == kMouseReportId;
}

QString headText(const QByteArray& report)
{
    QStringList bytes;
    for (int i = 0; i < 11 && i < report.size(); ++i)
        bytes << QStringLiteral("%1").arg(quint8(report[i]), 2, 16, QLatin1Char('0'));
    return bytes.join(QLatin1Char(','));
}

} // namespace VirtualReport
