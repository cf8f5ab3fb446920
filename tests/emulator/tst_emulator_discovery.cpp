// Enumeration through the emulator: the entry points by name, the device block
// at its offsets, the filter, the record limit, where the device set is found
// and how the shipped set exercises the discovery rules.

#include "emulator_fixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>
#include <QTest>

namespace {

QByteArray shippedDeviceSet()
{
    QFile file(QStringLiteral(EMULATOR_SOURCE_DIR "/devices.json"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray oneDevice(const char *extra = "")
{
    return QByteArray(json("{'devices':[{'vendorId':'258A','productId':'1007','firmwareVersion':'11',"
"        'interfaces':[{'collection':'02'}],'properties':{'40':'01'}")) + extra + "}]}";
}

} // namespace

class TestEmulatorDiscovery : public QObject {
    Q_OBJECT

private:
    Transport t;

private slots:
    void initTestCase() { QVERIFY2(t.load(), qPrintable(t.missing.join(QStringLiteral(", ")))); }

    void shippedSetCoversEveryDiscoveryBranch()
    {
        const QByteArray shipped = shippedDeviceSet();
        QVERIFY(!shipped.isEmpty());
        Scenario scenario(shipped);
        DeviceBlock block;
        QCOMPARE(t.dcDevices(block.bytes.data(), programFilter().data()), 1);

        // The program's rules: last vid/pid/collection match of the path; key
        // from the reported id, else vid+pid; family 07 configures, family 05
        // reports, three keys are never listed, no collection drops the record.
        const QRegularExpression rule(QStringLiteral("vid_([^&#]*)&pid_([^&#]*).*&col([^&#]*)"));
        QStringList configured, readable, excluded, dropped;
        for (const BlockRecord &record : block.records()) {
            QRegularExpressionMatchIterator it = rule.globalMatch(record.path);
            QRegularExpressionMatch last;
            while (it.hasNext())
                last = it.next();
            if (!last.hasMatch()) {
                dropped << record.path;
                continue;
            }
            const QString key = record.idText.isEmpty() ? (last.captured(1) + last.captured(2)).toUpper()
                                                        : QString::fromLatin1(record.idText);
            const bool family = (key.toUInt(nullptr, 16) & 0xFFFFFF00u) == 0x25A7FA00u;
            const QString collection = last.captured(3);
            if (family && collection == QLatin1String("07"))
                configured << key;
            else if (family && collection == QLatin1String("05"))
                readable << key;
            else if (key == QLatin1String("258A0016") || key == QLatin1String("258A0012")
                     || key == QLatin1String("258A0013"))
                excluded << key;
            else
                configured << key;
        }
        configured.removeDuplicates();
        configured.sort();
        QCOMPARE(configured, QStringList({"258A0049", "258A0150", "258A1007", "258A1008", "258A100A", "25A7FA91"}));
        QCOMPARE(readable, QStringList({"25A7FA91"}));
        QCOMPARE(excluded, QStringList({"258A0016"}));
        QCOMPARE(dropped.size(), 1);
        QVERIFY(dropped.first().contains(QLatin1String("vid_258a&pid_1020#")));
    }

    void recordFieldsSitAtTheirOffsets()
    {
        Scenario scenario(QByteArray(json("{'devices':["
"            {'vendorId':'258A','productId':'1011','reportedId':'25A7FA91','serial':'W10A00000001','mask':'05',"
"             'firmwareVersion':'31','interfaces':[{'collection':'05','usagePage':'0xFFAA'},{'collection':'07'}]},"
"            {'vendorId':'258a','productId':'0016','firmwareVersion':'02','interfaces':[{'collection':'01'}]},"
"            {'vendorId':'258A','productId':'1020','interfaces':[{'path':'@@?@hid#vid_258a&pid_1020#x'}]}]}"))
                                .replace("@", "\\\\")); // each @ one JSON-escaped backslash
        DeviceBlock block;
        QCOMPARE(t.dcDevices(block.bytes.data(), programFilter().data()), 1);
        QCOMPARE(block.count(), 4);

        const BlockRecord report = block.record(0);
        QCOMPARE(report.idText, QByteArray("25A7FA91"));
        QCOMPARE(report.version, QByteArray("31"));
        QCOMPARE(report.serial, QByteArray("W10A00000001"));
        QCOMPARE(report.mask, QByteArray("05"));
        QCOMPARE(report.path, derivedPath(0, "vid_258a&pid_1011", "05", 0));
        QCOMPARE(report.instanceId, QStringLiteral("HID\\VID_258A&PID_1011&COL05\\7&1A2B3C0&0&0000"));
        QCOMPARE(block.record(1).path, derivedPath(0, "vid_258a&pid_1011", "07", 1));

        const BlockRecord dongle = block.record(2);
        QVERIFY(dongle.idText.isEmpty()); // no reported id: the key comes from the path
        QCOMPARE(dongle.version, QByteArray("02"));
        QCOMPARE(dongle.path, derivedPath(1, "vid_258a&pid_0016", "01", 0));
        QCOMPARE(block.record(3).path, QStringLiteral("\\\\?\\hid#vid_258a&pid_1020#x"));
        QCOMPARE(block.record(3).instanceId, QStringLiteral("HID\\VID_258A&PID_1020\\X"));

        // The library owns the whole block: nothing of the caller's fill is left.
        const auto firstUnused = block.bytes.begin() + 2 + 4 * transport::kDeviceRecordSize;
        QVERIFY(std::all_of(firstUnused, block.bytes.end(), [](unsigned char b) { return b == 0; }));
        const unsigned char *r0 = block.bytes.data() + 2;
        QVERIFY(std::all_of(r0, r0 + transport::kRecordIdText, [](unsigned char b) { return b == 0; }));
    }

    void filterSelectsCollectionsByUsage()
    {
        Scenario scenario(json("{'devices':[{'vendorId':'258A','productId':'1007','interfaces':["
"            {'collection':'01','usagePage':'0x0001','usage':2},{'collection':'02'},"
"            {'collection':'03','usagePage':'FFAA','usage':'1'}]}]}"));
        DeviceBlock block;
        QCOMPARE(t.dcDevices(block.bytes.data(), programFilter().data()), 1);
        QCOMPARE(block.count(), 2);
        QVERIFY(block.record(0).path.contains(QLatin1String("&col02#")));

        std::vector<std::uint16_t> onlyFfaa(40, 0);
        onlyFfaa[6] = 1; // a pair later in the table counts as well
        onlyFfaa[7] = 0xFFAA;
        QCOMPARE(t.dcDevices(block.bytes.data(), onlyFfaa.data()), 1);
        QCOMPARE(block.count(), 1);
        QVERIFY(block.record(0).path.contains(QLatin1String("&col03#")));

        // No filter, or an empty one, lists every collection.
        QCOMPARE(t.dcDevices(block.bytes.data(), nullptr), 1);
        QCOMPARE(block.count(), 3);
        const std::vector<std::uint16_t> empty(40, 0);
        QCOMPARE(t.dcDevices(block.bytes.data(), empty.data()), 1);
        QCOMPARE(block.count(), 3);
    }

    void blockHoldsAtMostFiftyRecords()
    {
        QJsonArray devices;
        for (int i = 0; i < 30; ++i) {
            devices.append(QJsonObject{{"vendorId", "258A"},
                                       {"productId", QString::number(0x2000 + i, 16)},
                                       {"interfaces", QJsonArray{QJsonObject{{"collection", "01"}},
                                                                 QJsonObject{{"collection", "02"}}}}});
        }
        Scenario scenario(QJsonDocument(QJsonObject{{"devices", devices}}).toJson());
        DeviceBlock block;
        QCOMPARE(t.dcDevices(block.bytes.data(), programFilter().data()), 1);
        QCOMPARE(block.count(), 50);
        QCOMPARE(block.record(49).path, derivedPath(24, "vid_258a&pid_2018", "02", 1));
        QCOMPARE(scenario.logLines().last(), QByteArray(json("{'call':'dcDevices','count':50,'result':1}")));
    }

    void setsPastTheLimitsAreRefused()
    {
        auto setOf = [](int count, const QString &memorySize) {
            QJsonArray devices;
            for (int i = 0; i < count; ++i)
                devices.append(QJsonObject{{"vendorId", "258A"},
                                           {"productId", QString::number(0x2000 + i, 16)},
                                           {"memorySize", memorySize},
                                           {"interfaces", QJsonArray{QJsonObject{{"collection", "02"}}}}});
            return QJsonDocument(QJsonObject{{"devices", devices}}).toJson();
        };
        DeviceBlock block;
        // Fifty small devices are a set; fifty-one are refused as a whole.
        Scenario fifty(setOf(50, "0x100"));
        QCOMPARE(t.dcDevices(block.bytes.data(), programFilter().data()), 1);
        QCOMPARE(block.count(), 50);
        Scenario tooMany(setOf(51, "0x100"));
        QCOMPARE(t.dcDevices(block.bytes.data(), programFilter().data()), 1);
        QCOMPARE(block.count(), 0);
        // Eight devices of 1 MiB fit; nine go past the memory of a whole set.
        Scenario eight(setOf(8, "0x100000"));
        QCOMPARE(t.dcDevices(block.bytes.data(), programFilter().data()), 1);
        QCOMPARE(block.count(), 8);
        Scenario nine(setOf(9, "0x100000"));
        QCOMPARE(t.dcDevices(block.bytes.data(), programFilter().data()), 1);
        QCOMPARE(block.count(), 0);
        // One device past its own limit is left out.
        Scenario big(oneDevice(json(",'memorySize':'0x100001'")));
        QCOMPARE(t.dcDevices(block.bytes.data(), programFilter().data()), 1);
        QCOMPARE(block.count(), 0);
    }

    void absentDevicesAndMissingFilesListNothing()
    {
        Scenario scenario(oneDevice(json(",'present':false")));
        DeviceBlock block;
        QCOMPARE(t.dcDevices(block.bytes.data(), programFilter().data()), 1);
        QCOMPARE(block.count(), 0);

        QFile::remove(scenario.devicesPath());
        QCOMPARE(t.dcDevices(block.bytes.data(), programFilter().data()), 1);
        QCOMPARE(block.count(), 0);
        QCOMPARE(t.dcDevices(nullptr, programFilter().data()), 0);
    }

    void brokenEntriesAreSkippedAndKeptIntact()
    {
        Scenario scenario(json("{'note':'kept','devices':["
"            {'vendorId':'xyz','productId':'1','interfaces':[{'collection':'01'}],'custom':[1,2]},"
"            {'vendorId':'258A','productId':'1007','interfaces':[{'collection':'02'}],"
"             'properties':{'40':'0g'}},"
"            {'vendorId':'258A','productId':'1008','interfaces':[{'collection':'02'}]}]}"));
        DeviceBlock block;
        QCOMPARE(t.dcDevices(block.bytes.data(), programFilter().data()), 1);
        QCOMPARE(block.count(), 1);
        QVERIFY(block.record(0).path.contains(QLatin1String("pid_1008")));

        // A save rewrites the file: what could not be read goes back unchanged.
        const std::u16string path = u16(block.record(0).path);
        const unsigned char value[] = {0x02};
        QCOMPARE(t.dcWriteProperty(path.c_str(), value, 40, 1), 1);
        const QJsonObject saved = scenario.deviceSet();
        QCOMPARE(saved.value("note").toString(), QStringLiteral("kept"));
        const QJsonArray devices = saved.value("devices").toArray();
        QCOMPARE(devices.size(), 3);
        QCOMPARE(devices.at(0).toObject().value("vendorId").toString(), QStringLiteral("xyz"));
        QCOMPARE(devices.at(0).toObject().value("custom").toArray().size(), 2);
        QCOMPARE(devices.at(1).toObject().value("properties").toObject().value("40").toString(), QStringLiteral("0g"));
        QCOMPARE(devices.at(2).toObject().value("properties").toObject().value("40").toString(), QStringLiteral("02"));
    }

    void unparseableFileIsNeverOverwritten()
    {
        Scenario scenario("{\"devices\": [ oops");
        DeviceBlock block;
        QCOMPARE(t.dcDevices(block.bytes.data(), programFilter().data()), 1);
        QCOMPARE(block.count(), 0);
        QFile file(scenario.devicesPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("{\"devices\": [ oops"));
    }

    void defaultSetLivesBesideTheExecutable()
    {
        const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath("devices.json");
        QVERIFY(!QFile::exists(beside));
        {
            QFile file(beside);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(oneDevice());
        }
        qunsetenv("ORVANTA_DEVICES");
        DeviceBlock block;
        const int result = t.dcDevices(block.bytes.data(), programFilter().data());
        QFile::remove(beside);
        QCOMPARE(result, 1);
        QCOMPARE(block.count(), 1);
        QVERIFY(block.record(0).path.contains(QLatin1String("vid_258a&pid_1007&col02")));
    }
};

QTEST_GUILESS_MAIN(TestEmulatorDiscovery)
#include "tst_emulator_discovery.moc"
