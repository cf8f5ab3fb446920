// The boot loader: entering it, finding it again, erasing, writing in blocks,
// the CRC-32 check, coming back with the new firmware, and failing steps.

#include "emulator_fixture.h"

#include <QTest>

namespace {

const QByteArray kDeviceSet = json("{'devices':["
"  {'vendorId':'258A','productId':'1007','serial':'M10A00000001','mask':'01','firmwareVersion':'11',"
"   'romVersionOffset':5,'interfaces':[{'collection':'02'}],'properties':{'40':'01'}}]}");

const QString kMouse = derivedPath(0, "vid_258a&pid_1007", "02", 0);
const QString kBoot = bootLoaderPath(0);
const std::u16string kBootLoaderId = u"Vid_258a&Pid_ff12";

// Bit by bit, independent of the library's table-driven code.
std::uint32_t referenceCrc32(const QByteArray &data)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char ch : data) {
        crc ^= static_cast<unsigned char>(ch);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray romOf(int size, unsigned char version)
{
    QByteArray rom(size, '\0');
    for (int i = 0; i < size; ++i)
        rom[i] = static_cast<char>((i * 7 + 3) & 0xFF);
    rom[5] = static_cast<char>(version);
    return rom;
}

} // namespace

class TestEmulatorFirmware : public QObject {
    Q_OBJECT

private:
    Transport t;
    const std::u16string mouse = u16(kMouse);
    const std::u16string boot = u16(kBoot);

    QStringList listedPaths()
    {
        DeviceBlock block;
        if (t.dcDevices(block.bytes.data(), programFilter().data()) != 1)
            return {QStringLiteral("failed")};
        QStringList paths;
        for (const BlockRecord &record : block.records())
            paths << record.path;
        return paths;
    }

    // Blocks of at most 2000 bytes; a length that is a multiple of 2000
    // ends with an empty block, as the flashing sequence sends it.
    bool writeBlocks(const QByteArray &rom)
    {
        for (int i = 0; i <= rom.size() / 2000; ++i) {
            unsigned char buffer[transport::kTransferSize] = {};
            const int n = qMin(2000, rom.size() - 2000 * i);
            std::memcpy(buffer, rom.constData() + 2000 * i, static_cast<size_t>(n));
            if (t.WriteRom(boot.c_str(), buffer, n, 2000 * i) != 1)
                return false;
        }
        return true;
    }

private slots:
    void initTestCase() { QVERIFY2(t.load(), qPrintable(t.missing.join(QStringLiteral(", ")))); }

    void referenceCrcMatchesTheKnownValue()
    {
        QCOMPARE(referenceCrc32("123456789"), 0xCBF43926u);
    }

    void flashingBringsTheDeviceBackWithNewFirmware()
    {
        Scenario scenario(kDeviceSet);
        QCOMPARE(t.DeviceExist(kBootLoaderId.c_str(), mouse.c_str()), 0);
        QCOMPARE(t.Reset(mouse.c_str(), 1, 0), 1);

        // In the boot loader: one collection-less interface, no reported id.
        DeviceBlock block;
        QCOMPARE(t.dcDevices(block.bytes.data(), programFilter().data()), 1);
        QCOMPARE(block.count(), 1);
        QCOMPARE(block.record(0).path, kBoot);
        QVERIFY(block.record(0).idText.isEmpty());
        QCOMPARE(block.record(0).serial, QByteArray("M10A00000001"));
        QCOMPARE(t.DeviceExist(kBootLoaderId.c_str(), mouse.c_str()), 1);
        QCOMPARE(t.DeviceExist(u"vid_258a&pid_1007", mouse.c_str()), 0);
        unsigned char buffer[transport::kTransferSize] = {};
        QCOMPARE(t.dcReadProperty(mouse.c_str(), buffer, 40, 1), 0); // the old interface is gone

        const QByteArray rom = romOf(4000, 0x12);
        QCOMPARE(t.EraseRom(boot.c_str()), 1);
        scenario.clearLog();
        QVERIFY(writeBlocks(rom));
        const QList<QByteArray> lines = scenario.logLines();
        QCOMPARE(lines.size(), 3);
        const QByteArray secondBlock =
            json("{'call':'WriteRom','path':") + jsonPath(kBoot) + json(",'length':2000,'offset':2000,'data':'");
        const QByteArray emptyBlock =
            json("{'call':'WriteRom','path':") + jsonPath(kBoot) + json(",'length':0,'offset':4000,'data':'','result':1}");
        QVERIFY(lines.at(1).startsWith(secondBlock));
        QCOMPARE(lines.at(2), emptyBlock);

        const std::uint32_t crc = referenceCrc32(rom);
        QCOMPARE(t.CheckRom(boot.c_str(), 4000, crc ^ 1u), 0);
        // Unchecked firmware is not started.
        QCOMPARE(t.FinishUpdateRom(boot.c_str()), 0);
        QCOMPARE(listedPaths(), QStringList{kBoot});
        QCOMPARE(t.CheckRom(boot.c_str(), 4000, crc), 1);
        const QByteArray checked = json("{'call':'CheckRom','path':") + jsonPath(kBoot)
            + json(",'length':4000,'check':'0x") + QByteArray::number(crc, 16) + json("','result':1}");
        QCOMPARE(scenario.logLines().last(), checked);
        QCOMPARE(t.FinishUpdateRom(boot.c_str()), 1);

        QCOMPARE(t.dcDevices(block.bytes.data(), programFilter().data()), 1);
        QCOMPARE(block.count(), 1);
        QCOMPARE(block.record(0).path, kMouse);
        QCOMPARE(block.record(0).version, QByteArray("12"));
        QCOMPARE(t.dcReadProperty(mouse.c_str(), buffer, 40, 1), 1);
        QCOMPARE(buffer[0], 0x01); // settings survive a firmware update
        const QJsonObject saved = scenario.savedDevice(0);
        QCOMPARE(saved.value("firmwareVersion").toString(), QStringLiteral("12"));
        QCOMPARE(saved.value("romLength").toInt(), 4000);
        QCOMPARE(saved.value("romCrc32").toString(), QStringLiteral("0x%1").arg(crc, 8, 16, QLatin1Char('0')));
        QCOMPARE(saved.value("bootLoader").toBool(true), false);
    }

    void bootLoaderRefusesOutOfOrderAndOversizedSteps()
    {
        Scenario scenario(kDeviceSet);
        const unsigned char data[transport::kTransferSize] = {1};
        // Nothing reaches a boot loader that is not there.
        QCOMPARE(t.EraseRom(boot.c_str()), 0);
        QCOMPARE(t.EraseRom(mouse.c_str()), 0);
        QCOMPARE(t.Reset(mouse.c_str(), 1, 0), 1);
        QCOMPARE(t.WriteRom(boot.c_str(), data, 10, 0), 0); // not erased yet
        QCOMPARE(t.CheckRom(boot.c_str(), 10, 0), 0);
        QCOMPARE(t.EraseRom(boot.c_str()), 1);
        QCOMPARE(t.WriteRom(boot.c_str(), data, 2001, 0), 0);
        QCOMPARE(t.WriteRom(boot.c_str(), data, 10, -1), 0);
        QCOMPARE(t.WriteRom(boot.c_str(), data, 10, 65819 - 9), 0);
        QCOMPARE(t.WriteRom(boot.c_str(), data, 10, 65819 - 10), 1);
        QCOMPARE(t.WriteRom(boot.c_str(), nullptr, 10, 0), 0);
        QCOMPARE(t.CheckRom(boot.c_str(), 65820, 0), 0);
        QCOMPARE(t.CheckRom(boot.c_str(), 0, 0), 0);
        QCOMPARE(t.CheckRom(nullptr, 10, 0), 0);
        QCOMPARE(t.DeviceExist(nullptr, mouse.c_str()), 0);
        QCOMPARE(t.DeviceExist(u"no ids here", mouse.c_str()), 0);
        // Erased but never flashed: a restart cannot leave the boot loader.
        QCOMPARE(t.Reset(boot.c_str(), 2, 0), 0);
        QCOMPARE(listedPaths(), QStringList{kBoot});
    }

    void restartLeavesTheBootLoaderWhileTheFirmwareIsIntact()
    {
        Scenario scenario(kDeviceSet);
        QCOMPARE(t.Reset(mouse.c_str(), 1, 0), 1);
        QCOMPARE(scenario.savedDevice(0).value("bootLoader").toBool(), true);
        QCOMPARE(t.Reset(boot.c_str(), 1, 0), 1);
        QCOMPARE(t.Reset(boot.c_str(), 2, 0), 1);
        QCOMPARE(listedPaths(), QStringList{kMouse});
        QCOMPARE(scenario.savedDevice(0).value("bootLoader").toBool(true), false);
    }

    void injectedBootStepFailures_data()
    {
        QTest::addColumn<QByteArray>("faults");
        QTest::addColumn<QString>("failingStep");
        QTest::newRow("reset") << QByteArray(json("{'failBootStep':'Reset'}")) << "Reset";
        QTest::newRow("exist") << QByteArray(json("{'failBootStep':'DeviceExist'}")) << "DeviceExist";
        QTest::newRow("erase") << QByteArray(json("{'failBootStep':'EraseRom'}")) << "EraseRom";
        QTest::newRow("second block") << QByteArray(json("{'failBootStep':'WriteRom','failBootStepCall':2}"))
                                      << "WriteRom";
        QTest::newRow("check") << QByteArray(json("{'failBootStep':'CheckRom'}")) << "CheckRom";
        QTest::newRow("finish") << QByteArray(json("{'failBootStep':'FinishUpdateRom'}")) << "FinishUpdateRom";
    }

    void injectedBootStepFailures()
    {
        QFETCH(QByteArray, faults);
        QFETCH(QString, failingStep);
        Scenario scenario(QByteArray(kDeviceSet).replace(json("'romVersionOffset':5,"), json("'faults':") + faults + ","));
        const QByteArray rom = romOf(4100, 0x20);
        // Runs the sequence and names the first step that failed.
        const auto run = [&]() -> QString {
            if (t.Reset(mouse.c_str(), 1, 0) != 1)
                return QStringLiteral("Reset");
            if (t.DeviceExist(kBootLoaderId.c_str(), mouse.c_str()) != 1)
                return QStringLiteral("DeviceExist");
            if (t.EraseRom(boot.c_str()) != 1)
                return QStringLiteral("EraseRom");
            if (!writeBlocks(rom))
                return QStringLiteral("WriteRom");
            if (t.CheckRom(boot.c_str(), static_cast<std::uint32_t>(rom.size()), referenceCrc32(rom)) != 1)
                return QStringLiteral("CheckRom");
            if (t.FinishUpdateRom(boot.c_str()) != 1)
                return QStringLiteral("FinishUpdateRom");
            return QString();
        };
        QCOMPARE(run(), failingStep);
        // Where the device ended up: before the erase it is still whole.
        const QStringList expected = failingStep == QLatin1String("Reset") ? QStringList{kMouse} : QStringList{kBoot};
        QCOMPARE(listedPaths(), expected);
        QCOMPARE(scenario.savedDevice(0).value("firmwareVersion").toString(), QStringLiteral("11"));
    }
};

QTEST_GUILESS_MAIN(TestEmulatorFirmware)
#include "tst_emulator_firmware.moc"
