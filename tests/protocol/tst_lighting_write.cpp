// The keyboard lighting write of device_data_handler, checked on the frame
// that reaches the emulator.
#include <QtTest>

#include "device_data_handler.h"
#include "device_scenario.h"

namespace {

// The bytes of the last frame sent.
QStringList lastFrame(const DeviceScenario& scenario)
{
    const QList<QJsonObject> calls = scenario.calls("dcNotifyRGBDevice");
    return calls.isEmpty() ? QStringList() : calls.last().value("data").toString().split(',');
}

QStringList colourAt(const QStringList& frame, int position)
{
    return frame.mid(8 + 3 * position, 3);
}

} // namespace

class LightingWriteTest : public QObject
{
    Q_OBJECT

private slots:
    void setsAndLaterClearsKeyColours()
    {
        DeviceScenario scenario(plainMouse("0049"));
        device_data_handler handler;
        handler.registerDefaultDrivers();
        handler.deviceFunctions().listDevices();

        QVERIFY(handler.writeLighting("258A0049", "K1.0", {"ESC#ff0000", "NUMPERIOD#0a0b0c"}));
        QStringList frame = lastFrame(scenario);
        QCOMPARE(frame.size(), 1024);
        QCOMPARE(frame.mid(0, 8), QStringList({"05", "02", "bb", "aa", "07", "00", "f8", "01"}));
        QCOMPARE(colourAt(frame, 0), QStringList({"ff", "00", "00"}));
        QCOMPARE(colourAt(frame, 124), QStringList({"0a", "0b", "0c"}));
        QCOMPARE(handler.lightingKey(), QStringLiteral("258A0049"));

        // The next write clears what the previous one set.
        QVERIFY(handler.writeLighting("258A0049", "K1.0", {"F1#00ff00", "A#zz0000", "B#ab", "bad", "x#y#z"}));
        frame = lastFrame(scenario);
        QCOMPARE(colourAt(frame, 0), QStringList({"00", "00", "00"}));
        QCOMPARE(colourAt(frame, 124), QStringList({"00", "00", "00"}));
        QCOMPARE(colourAt(frame, 2), QStringList({"00", "ff", "00"}));
        // Only the seven non-zero header bytes and the green of F1 are set.
        QCOMPARE(frame.count("00"), 1024 - 8);
    }

    void unknownNamesDoNotColourEsc()
    {
        DeviceScenario scenario(plainMouse("0049"));
        device_data_handler handler;
        handler.registerDefaultDrivers();
        handler.deviceFunctions().listDevices();
        QVERIFY(handler.writeLighting("258A0049", "K1.0", {"NOPE#ffffff", "Q#102030"}));
        const QStringList frame = lastFrame(scenario);
        QCOMPARE(colourAt(frame, 0), QStringList({"00", "00", "00"}));
        QCOMPARE(colourAt(frame, 43), QStringList({"10", "20", "30"}));
    }

    void unparsableDefinitionSendsNothing()
    {
        DeviceScenario scenario(plainMouse("0049"));
        device_data_handler handler;
        handler.registerDefaultDrivers();
        handler.deviceFunctions().listDevices();
        QVERIFY(handler.writeLighting("258A0049", "K1.0", {"ESC#ff0000"}));
        scenario.clearLog();
        QVERIFY(!handler.writeLighting("258A0049", "K9.9", {"F1#00ff00"}));
        QVERIFY(scenario.calls().isEmpty());
        QCOMPARE(handler.lightingFrame().at(8), '\xff');
    }
};

QTEST_GUILESS_MAIN(LightingWriteTest)
#include "tst_lighting_write.moc"
