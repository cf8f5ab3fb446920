// The block write in chunks, checked on the writes
// that reach the emulator.
#include <QtTest>

#include "block_write.h"
#include "device_functions.h"
#include "device_scenario.h"

namespace {

QString items(int first, int count)
{
    QStringList list;
    for (int i = first; i < first + count; ++i)
        list << QString::number(i, 16);
    return list.join(',');
}

} // namespace

class BlockWriteTest : public QObject
{
    Q_OBJECT

private slots:
    void writesTenItemsPerChunk()
    {
        DeviceScenario scenario(w1Mouse("25A7FA91", "1011"));
        DeviceFunctions device;
        device.listDevices();
        scenario.clearLog();
        QVERIFY(writeBlockInChunks(device, "25A7FA91", "0x1f0", items(1, 25)));

        const QList<QJsonObject> writes = scenario.calls("dcW1WriteAddress");
        QCOMPARE(writes.size(), 3);
        QCOMPARE(writes.at(0).value("address").toString(), QStringLiteral("0x1f0"));
        QCOMPARE(writes.at(1).value("address").toString(), QStringLiteral("0x1fa"));
        QCOMPARE(writes.at(2).value("address").toString(), QStringLiteral("0x204"));
        QCOMPARE(writes.at(0).value("length").toInt(), 10);
        QCOMPARE(writes.at(1).value("length").toInt(), 10);
        QCOMPARE(writes.at(2).value("length").toInt(), 5);
        QCOMPARE(writes.at(1).value("data").toString(), QStringLiteral("0b,0c,0d,0e,0f,10,11,12,13,14"));
        QCOMPARE(writes.at(2).value("data").toString(), QStringLiteral("15,16,17,18,19"));
        for (const QJsonObject& write : writes)
            QCOMPARE(write.value("mode").toInt(), 7);
    }

    void stopsAtTheFirstRefusedChunk()
    {
        DeviceScenario scenario(w1Mouse("25A7FA91", "1011", R"(,"faults":{"failWrite":2})"));
        DeviceFunctions device;
        device.listDevices();
        scenario.clearLog();
        QVERIFY(!writeBlockInChunks(device, "25A7FA91", "60", items(0, 30)));
        const QList<QJsonObject> writes = scenario.calls("dcW1WriteAddress");
        QCOMPARE(writes.size(), 2);
        QCOMPARE(writes.at(1).value("result").toInt(), 0);

        scenario.clearLog();
        QVERIFY(writeBlockInChunks(device, "25A7FA91", "60", QString()));
        QVERIFY(scenario.calls().isEmpty());
    }
};

QTEST_GUILESS_MAIN(BlockWriteTest)
#include "tst_block_write.moc"
