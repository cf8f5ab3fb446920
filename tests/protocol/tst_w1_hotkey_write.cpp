// The W1 hotkey record written into a button's hotkey space, checked on the
// writes that reach the emulator.
#include <QtTest>

#include "assignment_encoder.h"
#include "device_functions.h"
#include "driver_lookup.h"
#include "device_scenario.h"
#include "w1_hotkey_record.h"

namespace {

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

// The data of the logged W1 writes, joined.
QString joinedData(const QList<QJsonObject>& writes)
{
    QStringList parts;
    for (const QJsonObject& write : writes)
        parts << write.value("data").toString();
    return parts.join(',');
}

} // namespace

class W1HotKeyWriteTest : public QObject
{
    Q_OBJECT

private slots:
    void writesTheRecordInChunksWithPauses()
    {
        DeviceScenario scenario(w1Mouse("25A7FA91", "1011"));
        DriverLookup lookup;
        DeviceFunctions device;
        device.listDevices();
        scenario.clearLog();

        W1HotKeyWriter writer(device);
        QList<int> pauses;
        writer.setPause([&](int ms) { pauses << ms; });
        // Three codes: q = 6, 20 items in two chunks.
        const QByteArray record = W1HotKeyRecord::build({0xE1, 0x04, 0x05}, 0);
        QCOMPARE(record.size(), 20);
        QVERIFY(writer.write("25A7FA91", "0x120", record));

        const QList<QJsonObject> writes = scenario.calls("dcW1WriteAddress");
        QCOMPARE(writes.size(), 2);
        QCOMPARE(writes.at(0).value("address").toString(), QStringLiteral("0x120"));
        QCOMPARE(writes.at(1).value("address").toString(), QStringLiteral("0x12a"));
        QCOMPARE(writes.at(0).value("length").toInt(), 10);
        QCOMPARE(writes.at(1).value("length").toInt(), 10);
        for (const QJsonObject& write : writes)
            QCOMPARE(write.value("mode").toInt(), 7);
        QCOMPARE(joinedData(writes), W1HotKeyRecord::toItems(record));
        QCOMPARE(pauses, QList<int>({300, 300}));
    }

    void stopsAtTheFirstRefusedChunk()
    {
        DeviceScenario scenario(w1Mouse("25A7FA91", "1011", R"(,"faults":{"failWrite":1})"));
        DriverLookup lookup;
        DeviceFunctions device;
        device.listDevices();
        scenario.clearLog();
        W1HotKeyWriter writer(device);
        int pauses = 0;
        writer.setPause([&](int) { ++pauses; });
        QVERIFY(!writer.write("25A7FA91", "100", W1HotKeyRecord::build({0x04, 0x05, 0x06}, 0)));
        QCOMPARE(scenario.calls("dcW1WriteAddress").size(), 1);
        QCOMPARE(pauses, 0);

        scenario.clearLog();
        QVERIFY(!writer.write("25A7FA91", "100", QByteArray()));
        QVERIFY(!writer.write("25A7FA91", "", W1HotKeyRecord::build({0x04}, 0)));
        QVERIFY(scenario.calls("dcW1WriteAddress").isEmpty());
    }

    void encoderStoresTheHotKeyAtTheButtonsSpace()
    {
        DeviceScenario scenario(w1Mouse("25A7FA91", "1011"));
        DriverLookup lookup;
        DeviceFunctions device;
        QCOMPARE(lookup.registerDefaultDrivers(), 6);
        QVERIFY(lookup.loadDriver("W1.0"));
        device.listDevices();
        scenario.clearLog();

        AssignmentEncoder encoder(lookup, device);
        int pauses = 0;
        encoder.setHotKeyPause([&](int) { ++pauses; });

        // Ctrl+A on button 1 (Index 61, hotkey space 0x100): the modifier is
        // pressed by its key code E0, i.e. modifier bit 0.
        QCOMPARE(encoder.encodeAssignmentW1("25A7FA91", "61", "HotKey", "Ctrl+A", "1").code, QStringLiteral("HotKey"));
        QList<QJsonObject> writes = scenario.calls("dcW1WriteAddress");
        QCOMPARE(writes.size(), 2);
        QCOMPARE(writes.at(0).value("address").toString(), QStringLiteral("0x100"));
        QCOMPARE(writes.at(1).value("address").toString(), QStringLiteral("0x10a"));
        QCOMPARE(writes.at(1).value("length").toInt(), 4);
        QCOMPARE(joinedData(writes), W1HotKeyRecord::toItems(hex("04" "800100" "810400" "410400" "400100" "c5")));
        QCOMPARE(pauses, 2);

        // Four keys on button 2 (Index 62, 0x120): a kind 2 record of pairs.
        scenario.clearLog();
        QCOMPARE(encoder.encodeAssignmentW1("25A7FA91", "62", "Keyboard", "A+B+C+D", "1").code, QStringLiteral("HotKey"));
        writes = scenario.calls("dcW1WriteAddress");
        QCOMPARE(writes.at(0).value("address").toString(), QStringLiteral("0x120"));
        QCOMPARE(joinedData(writes), W1HotKeyRecord::toItems(hex("04" "820405" "820607" "420607" "420405" "9d")));

        // A lone Ctrl as "HotKey" sets the single-hotkey flag.
        scenario.clearLog();
        QCOMPARE(encoder.encodeAssignmentW1("25A7FA91", "61", "HotKey", "Ctrl", "1").code, QStringLiteral("HotKey"));
        QVERIFY(lookup.singleHotKey());
        QCOMPARE(joinedData(scenario.calls("dcW1WriteAddress")),
                 W1HotKeyRecord::toItems(W1HotKeyRecord::build({0xE0}, 0)));
    }

    void encoderReportsARefusedWrite()
    {
        DeviceScenario scenario(w1Mouse("25A7FA91", "1011", R"(,"faults":{"failWrite":1})"));
        DriverLookup lookup;
        DeviceFunctions device;
        lookup.registerDefaultDrivers();
        QVERIFY(lookup.loadDriver("W1.0"));
        device.listDevices();
        AssignmentEncoder encoder(lookup, device);
        encoder.setHotKeyPause([](int) {});
        QCOMPARE(encoder.encodeAssignmentW1("25A7FA91", "61", "HotKey", "A", "1").code, QString());
        // A button without a hotkey space (Index 80) writes nothing.
        QCOMPARE(encoder.encodeAssignmentW1("25A7FA91", "80", "HotKey", "A", "1").code, QString());
    }
};

QTEST_GUILESS_MAIN(W1HotKeyWriteTest)
#include "tst_w1_hotkey_write.moc"
