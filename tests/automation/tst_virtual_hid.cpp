// The virtual keyboard and mouse: the report translation, the uinput device
// behind a fake of the kernel calls, and the report log.
#include <QtTest>

#include "hid_key_codes.h"
#include "hid_report_translator.h"
#include "logging.h"
#include "report_log_virtual_hid.h"
#include "system_calls.h"
#include "uinput_virtual_hid.h"
#include "virtual_report.h"

#include <linux/input.h>
#include <linux/uinput.h>

#include <cerrno>

namespace {

// The kernel as uinput shows it: every call is recorded; open fails with
// openError when set.
class FakeKernel : public SystemCalls
{
public:
    int open(const char* path, int) override
    {
        calls << QStringLiteral("open %1").arg(path);
        if (openError) {
            errno = openError;
            return -1;
        }
        return nextFd++;
    }
    int close(int fd) override
    {
        calls << QStringLiteral("close %1").arg(fd);
        return 0;
    }
    int ioctl(int fd, unsigned long request, unsigned long value) override
    {
        if (request == UI_SET_KEYBIT)
            keyBits[fd] << int(value);
        else if (request == UI_SET_RELBIT)
            relBits[fd] << int(value);
        else
            calls << QStringLiteral("ioctl %1 %2 %3").arg(fd).arg(request, 0, 16).arg(value);
        return 0;
    }
    int ioctlPointer(int fd, unsigned long request, void* data) override
    {
        if (request == UI_DEV_SETUP) {
            const auto* setup = static_cast<const uinput_setup*>(data);
            calls << QStringLiteral("setup %1 %2 %3:%4").arg(fd).arg(setup->name).arg(setup->id.vendor, 4, 16, QLatin1Char('0'))
                         .arg(setup->id.product, 4, 16, QLatin1Char('0'));
        }
        return 0;
    }
    ssize_t write(int fd, const void* data, size_t size) override
    {
        const auto* events = static_cast<const input_event*>(data);
        QStringList text;
        for (size_t i = 0; i < size / sizeof(input_event); ++i)
            text << QStringLiteral("%1:%2:%3").arg(events[i].type).arg(events[i].code).arg(events[i].value);
        writes << QStringLiteral("%1 %2").arg(fd).arg(text.join(QLatin1Char(' ')));
        return ssize_t(size);
    }

    int openError = 0;
    int nextFd = 10;
    QStringList calls;
    QStringList writes;
    QMap<int, QList<int>> keyBits;
    QMap<int, QList<int>> relBits;
};

QString ev(int type, int code, int value)
{
    return QStringLiteral("%1:%2:%3").arg(type).arg(code).arg(value);
}

const QString SYN = ev(EV_SYN, SYN_REPORT, 0);

} // namespace

class VirtualHidTest : public QObject
{
    Q_OBJECT

private slots:
    void usageTable()
    {
        QCOMPARE(linuxKeyForHidUsage(0x04), quint16(KEY_A));
        QCOMPARE(linuxKeyForHidUsage(0x27), quint16(KEY_0));
        QCOMPARE(linuxKeyForHidUsage(0x58), quint16(KEY_KPENTER));
        QCOMPARE(linuxKeyForHidUsage(0x73), quint16(KEY_F24));
        QCOMPARE(linuxKeyForHidUsage(0xE3), quint16(KEY_LEFTMETA));
        QCOMPARE(linuxKeyForModifierBit(6), quint16(KEY_RIGHTALT));
        for (int usage = 0; usage < 4; ++usage)
            QCOMPARE(linuxKeyForHidUsage(quint8(usage)), quint16(0));
        // Every usage from A to the keypad's dot has a key of its own, but
        // for the non-US hash key, which is the backslash key (as in the
        // kernel's own HID driver).
        QSet<quint16> keys;
        for (int usage = 0x04; usage <= 0x63; ++usage) {
            QVERIFY(linuxKeyForHidUsage(quint8(usage)) != 0);
            keys.insert(linuxKeyForHidUsage(quint8(usage)));
        }
        QCOMPARE(keys.size(), 0x63 - 0x04);
        QCOMPARE(linuxKeyForHidUsage(0x32), quint16(KEY_BACKSLASH));
    }

    void translatorMovesFromStateToState()
    {
        HidReportTranslator translator;
        QVector<KernelInputEvent> events;
        const quint8 ac[] = {0x04, 0x06};
        QCOMPARE(translator.translate(VirtualReport::keyboard(0x03, ac, 2), &events), HidReportTranslator::Keyboard);
        // Modifiers go down before keys.
        QVector<KernelInputEvent> expected = {{EV_KEY, KEY_LEFTCTRL, 1}, {EV_KEY, KEY_LEFTSHIFT, 1}, {EV_KEY, KEY_A, 1},
                                              {EV_KEY, KEY_C, 1}, {EV_SYN, SYN_REPORT, 0}};
        QCOMPARE(events, expected);
        // The same state again changes nothing.
        translator.translate(VirtualReport::keyboard(0x03, ac, 2), &events);
        QVERIFY(events.isEmpty());
        // Keys come up before their modifiers; a key that stays is not repeated.
        translator.translate(VirtualReport::keyboard(0x00, 0x06), &events);
        expected = {{EV_KEY, KEY_A, 0}, {EV_KEY, KEY_LEFTCTRL, 0}, {EV_KEY, KEY_LEFTSHIFT, 0}, {EV_SYN, SYN_REPORT, 0}};
        QCOMPARE(events, expected);
        QCOMPARE(translator.releaseKeyboard(), QVector<KernelInputEvent>({{EV_KEY, KEY_C, 0}, {EV_SYN, SYN_REPORT, 0}}));

        QCOMPARE(translator.translate(VirtualReport::mouse(0x09, 5, -11, -1), &events), HidReportTranslator::Mouse);
        expected = {{EV_KEY, BTN_LEFT, 1}, {EV_KEY, BTN_SIDE, 1}, {EV_REL, REL_X, 5}, {EV_REL, REL_Y, -11},
                    {EV_REL, REL_WHEEL, -1}, {EV_SYN, SYN_REPORT, 0}};
        QCOMPARE(events, expected);
        translator.translate(VirtualReport::mouse(0x18), &events);
        expected = {{EV_KEY, BTN_LEFT, 0}, {EV_KEY, BTN_EXTRA, 1}, {EV_SYN, SYN_REPORT, 0}};
        QCOMPARE(events, expected);

        QByteArray bad = VirtualReport::mouse(1);
        bad[2] = 9;
        QCOMPARE(translator.translate(bad, &events), HidReportTranslator::None);
        QCOMPARE(translator.translate(QByteArray(3, '\x40'), &events), HidReportTranslator::None);
    }

    void uinputDeviceThroughTheKernelCalls()
    {
        FakeKernel kernel;
        {
            UinputVirtualHid device(kernel, "/dev/fake-uinput");
            QVERIFY(!device.write(VirtualReport::keyboard(0, 0x04)));   // not connected yet
            QVERIFY(device.connect());
            QVERIFY(kernel.calls.contains("setup 10 Orvanta virtual keyboard 001f:ba1c"));
            QVERIFY(kernel.calls.contains("setup 11 Orvanta virtual mouse 001f:ba1c"));
            QVERIFY(kernel.calls.contains(QStringLiteral("ioctl 10 %1 0").arg(UI_DEV_CREATE, 0, 16)));
            QVERIFY(kernel.keyBits[10].contains(KEY_A) && kernel.keyBits[10].contains(KEY_RIGHTMETA));
            QCOMPARE(kernel.keyBits[11], QList<int>({BTN_LEFT, BTN_RIGHT, BTN_MIDDLE, BTN_SIDE, BTN_EXTRA}));
            QCOMPARE(kernel.relBits[11], QList<int>({REL_X, REL_Y, REL_WHEEL}));

            QVERIFY(device.write(VirtualReport::keyboard(0x01, 0x06)));
            QVERIFY(device.write(VirtualReport::mouse(0x02, 3, 0, 0)));
            QVERIFY(!device.write(QByteArray(65, '\0')));
            // Going away with keys and buttons down releases them first.
        }
        QCOMPARE(kernel.writes,
                 QStringList({QStringLiteral("10 %1 %2 %3").arg(ev(EV_KEY, KEY_LEFTCTRL, 1), ev(EV_KEY, KEY_C, 1), SYN),
                              QStringLiteral("11 %1 %2 %3").arg(ev(EV_KEY, BTN_RIGHT, 1), ev(EV_REL, REL_X, 3), SYN),
                              QStringLiteral("10 %1 %2 %3").arg(ev(EV_KEY, KEY_C, 0), ev(EV_KEY, KEY_LEFTCTRL, 0), SYN),
                              QStringLiteral("11 %1 %2").arg(ev(EV_KEY, BTN_RIGHT, 0), SYN)}));
        QVERIFY(kernel.calls.contains(QStringLiteral("ioctl 11 %1 0").arg(UI_DEV_DESTROY, 0, 16)));
        QCOMPARE(kernel.calls.last(), QStringLiteral("close 11"));
    }

    void withoutAccessTheDeviceStaysClosedAndSaysWhy()
    {
        QTemporaryDir dir;
        Logger::setFilePath(dir.filePath("app.log"));
        FakeKernel kernel;
        kernel.openError = EACCES;
        UinputVirtualHid device(kernel, "/dev/fake-uinput");
        QVERIFY(!device.connect());
        QVERIFY(!device.isConnected());
        QFile log(dir.filePath("app.log"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().contains("permission denied on /dev/fake-uinput: install the udev rule"));
    }

    void reportLogLines()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("hid.log");
        {
            ReportLogVirtualHid log(path);
            QVERIFY(log.connect());
            QVERIFY(log.write(VirtualReport::keyboard(0x01, 0x06)));
            QVERIFY(log.write(VirtualReport::mouse(0, 5, qint8(0xF5))));
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], QByteArray(R"({"t":0,"report":"40,09,07,01,00,06,00,00,00,00,00"})"));
        QVERIFY(lines[1].endsWith(R"(,"report":"40,05,04,00,05,f5,00,00,00,00,00"})"));
    }
};

QTEST_GUILESS_MAIN(VirtualHidTest)
#include "tst_virtual_hid.moc"
