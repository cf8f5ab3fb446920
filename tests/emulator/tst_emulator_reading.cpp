// Input reports: DeviceData starts the reader thread, which plays each read
// device's script into the callback; it stops when asked, when replaced and
// when the library is unloaded.

#include "emulator_fixture.h"

#include <QTest>

#include <atomic>
#include <mutex>

namespace {

std::mutex g_mutex;
QList<QByteArray> g_reports;
std::atomic<int> g_calls{0};
Transport *g_transport = nullptr;

void record(unsigned char *report, unsigned int length)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_reports << QByteArray(reinterpret_cast<const char *>(report), static_cast<int>(length));
    ++g_calls;
}

// Stops reading from inside the callback, the way a host might on removal.
void recordAndStop(unsigned char *report, unsigned int length)
{
    record(report, length);
    transport::ReadTable empty{};
    g_transport->DeviceData(&empty, &recordAndStop, 0);
}

QList<QByteArray> reports()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_reports;
}

void clearReports()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_reports.clear();
    g_calls = 0;
}

// Entry 0: a W1 mouse whose report interface sends two reports once;
// entry 1: a mouse whose script loops every 5 ms.
const QByteArray kDeviceSet = json("{'devices':["
"  {'reportedId':'25A7FA91','vendorId':'258A','productId':'1011',"
"   'interfaces':[{'collection':'05','usagePage':'0xFFAA'},{'collection':'07'}],"
"   'inputReports':[{'delayMs':0,'data':'05,1a'},{'delayMs':20,'data':'05,1b,00,07'}]},"
"  {'vendorId':'258A','productId':'1007','interfaces':[{'collection':'02'}],"
"   'inputReports':[{'delayMs':5,'data':'01'}],'loopInputReports':true}]}");

const QString kW1Reports = derivedPath(0, "vid_258a&pid_1011", "05", 0);
const QString kW1Config = derivedPath(0, "vid_258a&pid_1011", "07", 1);
const QString kLooping = derivedPath(1, "vid_258a&pid_1007", "02", 0);

} // namespace

class TestEmulatorReading : public QObject {
    Q_OBJECT

private:
    Transport t;

    int read(const QList<std::u16string> &paths, transport::ReportCallback callback = &record)
    {
        transport::ReadTable table{};
        for (int i = 0; i < paths.size() && i < transport::kReadTableRows; ++i) {
            table.paths[i] = paths.at(i).c_str();
            table.ids[i] = 0x25A7FA91;
        }
        return t.DeviceData(&table, callback, paths.size());
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(t.load(), qPrintable(t.missing.join(QStringLiteral(", "))));
        g_transport = &t;
    }

    void init() { clearReports(); }

    void scriptedReportsArriveInOrder()
    {
        Scenario scenario(kDeviceSet);
        // Two interfaces of one device: its script still plays once.
        QCOMPARE(read({u16(kW1Reports), u16(kW1Config)}), 1);
        QTRY_COMPARE(reports().size(), 2);
        QCOMPARE(reports(), (QList<QByteArray>{QByteArray::fromHex("051a"), QByteArray::fromHex("051b0007")}));
        QTest::qWait(60);
        QCOMPARE(reports().size(), 2); // a script that does not loop ends
        const QByteArray logged = json("{'call':'DeviceData','paths':[") + jsonPath(kW1Reports) + ","
            + jsonPath(kW1Config) + json("],'ids':[631765649,631765649],'count':2,'result':1}");
        QCOMPARE(scenario.logLines().first(), logged);
        QCOMPARE(t.DeviceData(nullptr, &record, 0), 1);
    }

    void readingStopsWhenAskedAndWhenReplaced()
    {
        Scenario scenario(kDeviceSet);
        QCOMPARE(read({u16(kLooping)}), 1);
        QTRY_VERIFY(g_calls >= 3);
        QCOMPARE(t.DeviceData(nullptr, &record, 0), 1);
        int settled = g_calls;
        QTest::qWait(40);
        QCOMPARE(int(g_calls), settled);

        // A new call replaces the devices being read.
        QCOMPARE(read({u16(kLooping)}), 1);
        QTRY_VERIFY(g_calls >= settled + 2);
        // Reports of the looping device may still come until the call that
        // replaces it returns; none after.
        clearReports();
        QCOMPARE(read({u16(kW1Reports)}), 1);
        const int replacedAt = reports().size();
        const auto w1 = [] {
            QList<QByteArray> out;
            for (const QByteArray& r : reports())
                if (r != QByteArray::fromHex("01"))
                    out << r;
            return out;
        };
        QTRY_COMPARE(w1().size(), 2);
        QTest::qWait(40);
        QVERIFY(!reports().mid(replacedAt).contains(QByteArray::fromHex("01")));
        QCOMPARE(w1().size(), 2);
        QCOMPARE(t.ColseHandler(), 1);
    }

    void reportsOfAnUnpluggedDeviceAreNotDelivered()
    {
        const QByteArray unplugging = QByteArray(kDeviceSet).replace(
            json("'productId':'1007',"), json("'productId':'1007','faults':{'unplugAfterWrites':1},"));
        Scenario scenario(unplugging);
        QCOMPARE(read({u16(kLooping)}), 1);
        QTRY_VERIFY(g_calls >= 2);
        const unsigned char value[] = {0x01};
        const std::u16string looping = u16(kLooping);
        QCOMPARE(t.dcWriteProperty(looping.c_str(), value, 40, 1), 1); // and the device is gone
        QTest::qWait(20);
        const int settled = g_calls;
        QTest::qWait(40);
        QCOMPARE(int(g_calls), settled);
        QCOMPARE(t.DeviceData(nullptr, &record, 0), 1);
    }

    void callbackMayCallBackIntoTheLibrary()
    {
        Scenario scenario(kDeviceSet);
        QCOMPARE(read({u16(kLooping)}, &recordAndStop), 1);
        QTRY_COMPARE(int(g_calls), 1);
        QTest::qWait(40);
        QCOMPARE(int(g_calls), 1);
    }

    void badTablesAreRefused()
    {
        Scenario scenario(kDeviceSet);
        const std::u16string unknown = u16(derivedPath(5, "vid_258a&pid_1007", "02", 0));
        QCOMPARE(read({unknown}), 0);
        QCOMPARE(t.DeviceData(nullptr, &record, 1), 0);
        QCOMPARE(t.DeviceData(nullptr, &record, -1), 0);
        transport::ReadTable table{};
        QCOMPARE(t.DeviceData(&table, &record, 11), 0);
        QCOMPARE(t.DeviceData(&table, &record, 1), 0); // a null path in a used row
        const std::u16string w1 = u16(kW1Reports);
        table.paths[0] = w1.c_str();
        QCOMPARE(t.DeviceData(&table, nullptr, 1), 0);
        QTest::qWait(40);
        QCOMPARE(int(g_calls), 0);
    }

    // Last: the library goes away under a running reader.
    void unloadingStopsTheReader()
    {
        Scenario scenario(kDeviceSet);
        QCOMPARE(read({u16(kLooping)}), 1);
        QTRY_VERIFY(g_calls >= 2);
        QVERIFY(t.library.unload());
        const int settled = g_calls;
        QTest::qWait(40);
        QCOMPARE(int(g_calls), settled);
    }
};

QTEST_GUILESS_MAIN(TestEmulatorReading)
#include "tst_emulator_reading.moc"
