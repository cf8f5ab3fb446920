// The hidraw transport against a fake kernel and a fake sysfs tree: what it
// lists, what reaches the device at each access level (nothing, unless the
// policy allows it), the W1 pacing and answers, and input reports.
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <mutex>

#include "access_choices.h"
#include "device_block.h"
#include "device_discovery.h"
#include "fake_hidraw_kernel.h"
#include "fake_sysfs.h"
#include "hidraw_fixtures.h"
#include "hidraw_transport.h"
#include "w1_frame.h"

namespace {

std::mutex g_reportsMutex;
std::vector<std::vector<unsigned char>> g_reports;

void collectReport(unsigned char* report, unsigned int length)
{
    std::lock_guard<std::mutex> lock(g_reportsMutex);
    g_reports.emplace_back(report, report + length);
}

std::size_t reportCount()
{
    std::lock_guard<std::mutex> lock(g_reportsMutex);
    return g_reports.size();
}

// A W1 mouse that answers every valid frame on report 9 with its command.
void w1Model(const FakeHidrawKernel::Bytes& frame, FakeHidrawKernel::Node& node)
{
    if (!W1Frame::isValid(frame.data(), frame.size(), W1Frame::kReportId))
        return;
    FakeHidrawKernel::Bytes answer(W1Frame::kSize, 0);
    answer[0] = W1Frame::kAnswerReportId;
    answer[1] = frame[1];
    answer[16] = W1Frame::checkByte(answer.data());
    node.inputs.push_back(answer);
}

class Rig
{
public:
    Rig()
    {
        sysfs.addInterface(0, "1-1", 0, 0x258A, 0x0029, HidrawFixtures::mouseInterface0(), "0910");
        sysfs.addInterface(1, "1-1", 1, 0x258A, 0x0029, HidrawFixtures::mouseInterface1(), "0910");
        sysfs.addInterface(2, "1-2", 1, 0x25A7, 0xFA07, HidrawFixtures::w1Interface1(), "0102");
        for (const char* node : {"/dev/hidraw0", "/dev/hidraw1", "/dev/hidraw2"})
            kernel.addNode(node);
        kernel.setModel("/dev/hidraw2", w1Model);
    }

    std::unique_ptr<HidrawTransport> transport(QVector<DeviceIdentity> verified = {})
    {
        HidrawSetup setup;
        setup.kernel = &kernel;
        setup.sysfsRoot = sysfs.root();
        setup.choicesPath = folder.filePath("hidraw-access.json");
        setup.logPath = folder.filePath("transport.log");
        setup.verified = verified;
        setup.clock = [this] { return now; };
        setup.sleep = [this](std::chrono::milliseconds d) {
            sleeps.push_back(d);
            now += d;
        };
        return std::make_unique<HidrawTransport>(setup);
    }

    HidInterface interface(const QString& node) const
    {
        for (const HidInterface& i : scanHidraw(sysfs.root()).interfaces) {
            if (i.node == node)
                return i;
        }
        return HidInterface();
    }
    DeviceIdentity identity(const QString& node) const
    {
        const HidInterface i = interface(node);
        return DeviceIdentity{i.uevent.vendor, i.uevent.product, i.interfaceNumber, i.descriptorHash, i.firmware};
    }
    QString path(const QString& node, int collection) const
    {
        return HidrawTransport::devicePath(interface(node), collection);
    }
    void choose(const DeviceIdentity& device, AccessLevel level)
    {
        AccessChoices choices = AccessChoices::load(folder.filePath("hidraw-access.json"));
        choices.set(device, level);
        choices.save(folder.filePath("hidraw-access.json"));
    }
    QList<QJsonObject> log() const
    {
        QList<QJsonObject> out;
        QFile file(folder.filePath("transport.log"));
        if (file.open(QIODevice::ReadOnly)) {
            for (const QByteArray& line : file.readAll().split('\n')) {
                if (!line.isEmpty())
                    out << QJsonDocument::fromJson(line).object();
            }
        }
        return out;
    }

    FakeSysfs sysfs;
    FakeHidrawKernel kernel;
    QTemporaryDir folder;
    std::chrono::steady_clock::time_point now{};
    std::vector<std::chrono::milliseconds> sleeps;
};

const unsigned char kTwelve[12] = {0x02, 0x81, 0x04, 0x00, 0x41, 0x04, 0x00, 0x89, 0x01, 0x02, 0x03, 0x04};

} // namespace

class HidrawTransportTest : public QObject
{
    Q_OBJECT

private slots:
    void theVendorCollectionsAreListedWithTheirAccess()
    {
        Rig rig;
        auto transport = rig.transport();
        QByteArray block(transport::kDeviceBlockSize, '\0');
        const std::uint16_t filter[2 * transport::kFilterPairs] = {1, 0xFFA0, 1, 0xFFAA};
        QCOMPARE(transport->listDevices(reinterpret_cast<unsigned char*>(block.data()), filter), 1);
        const QVector<DeviceBlockRecord> records = DeviceBlock::records(block);
        QCOMPARE(records.size(), 3); // the mouse's vendor collection, the W1 mouse's two
        QVERIFY(records.at(0).path.startsWith("\\\\?\\hid#vid_258a&pid_0029&mi_01&col03#usb-0000_00_14.0-1_input1#"));
        QCOMPARE(records.at(0).access, QString("read-only"));
        QCOMPARE(records.at(0).lastVersionNum, QString("10"));
        QVERIFY(records.at(1).path.contains("vid_25a7&pid_fa07&mi_01&col01"));
        QVERIFY(records.at(2).path.contains("&col02"));

        const DiscoveredDevices found = DeviceDiscovery::classify(records);
        QCOMPARE(found.devices.value("258A0029").value("Access").toString(), QString("read-only"));
        QVERIFY(found.devices.contains("25A7FA07"));

        // A non-vendor filter lists none of them; nothing was opened.
        const std::uint16_t keyboards[2 * transport::kFilterPairs] = {6, 0x0001};
        QCOMPARE(transport->listDevices(reinterpret_cast<unsigned char*>(block.data()), keyboards), 1);
        QCOMPARE(DeviceBlock::declaredCount(block), 0);
        QVERIFY(rig.kernel.opens().empty());
    }

    void readOnlySendsNothingAtAll()
    {
        Rig rig;
        auto transport = rig.transport();
        const QString mouse = rig.path("hidraw1", 2);
        const QString w1 = rig.path("hidraw2", 1);
        unsigned char buffer[transport::kTransferSize] = {};
        QCOMPARE(transport->w1WriteAddress(w1, kTwelve, 0x100, 12, 7), 0);
        QCOMPARE(transport->writeAddress(mouse, kTwelve, 0x28, 1), 0);
        QCOMPARE(transport->writeProperty(mouse, kTwelve, 40, 1), 0);
        QCOMPARE(transport->readAddress(mouse, buffer, 0x28, 1), 0);
        QCOMPARE(transport->readProperty(mouse, buffer, 40, 1), 0);
        QCOMPARE(transport->notifyLighting(mouse, buffer, 1024), 0);
        QCOMPARE(transport->refuse(mouse, "Reset mode 1"), 0);
        QVERIFY(rig.kernel.sets().empty());
        QVERIFY(rig.kernel.opens().empty());
        QVERIFY(!rig.log().isEmpty());
        for (const QJsonObject& line : rig.log())
            QCOMPARE(line.value("decision").toString(), QString("refused"));
    }

    void aDryRunLogsTheFramesAndAnswersFailure()
    {
        Rig rig;
        rig.choose(rig.identity("hidraw2"), AccessLevel::DryRun);
        auto transport = rig.transport();
        QCOMPARE(transport->w1WriteAddress(rig.path("hidraw2", 1), kTwelve, 0x100, 12, 7), 0);
        QVERIFY(rig.kernel.sets().empty());
        QVERIFY(rig.kernel.opens().empty());
        QStringList frames;
        for (const QJsonObject& line : rig.log()) {
            QCOMPARE(line.value("decision").toString(), QString("dry-run"));
            QCOMPARE(line.value("node").toString(), QString("/dev/hidraw2"));
            frames << line.value("hex").toString();
        }
        QCOMPARE(frames, QStringList({"08 03 00 00 00 00 00 00 00 00 00 00 00 00 00 00 4A",
                                      "08 07 00 01 00 0A 02 81 04 00 41 04 00 89 01 02 E3",
                                      "08 07 00 01 0A 02 03 04 00 00 00 00 00 00 00 00 32"}));
        // The listing says so.
        QByteArray block(transport::kDeviceBlockSize, '\0');
        transport->listDevices(reinterpret_cast<unsigned char*>(block.data()), nullptr);
        QCOMPARE(DeviceBlock::records(block).at(1).access, QString("dry-run"));
    }

    void theOptInSendsNoW1WriteAndFallsBackWhenTheDeviceChanges()
    {
        Rig rig;
        rig.choose(rig.identity("hidraw2"), AccessLevel::Experimental);
        auto transport = rig.transport();
        QCOMPARE(transport->w1WriteAddress(rig.path("hidraw2", 1), kTwelve, 0x0C, 8, 7), 0);
        QVERIFY(rig.kernel.sets().empty());
        QCOMPARE(rig.log().first().value("decision").toString(), QString("dry-run"));

        // The same mouse with other firmware is read-only again.
        DeviceIdentity older = rig.identity("hidraw2");
        older.firmware = "0101";
        Rig other;
        other.choose(older, AccessLevel::Experimental);
        QByteArray block(transport::kDeviceBlockSize, '\0');
        other.transport()->listDevices(reinterpret_cast<unsigned char*>(block.data()), nullptr);
        QCOMPARE(DeviceBlock::records(block).at(1).access, QString("read-only"));
    }

    void aVerifiedW1MouseGetsPacedFramesAndEachAnswerIsChecked()
    {
        Rig rig;
        auto transport = rig.transport({rig.identity("hidraw2")});
        QCOMPARE(transport->w1WriteAddress(rig.path("hidraw2", 1), kTwelve, 0x100, 12, 7), 1);
        const auto sets = rig.kernel.sets();
        QCOMPARE(int(sets.size()), 3);
        QCOMPARE(sets[0].second[1], std::uint8_t(W1Frame::kPrepare));
        QCOMPARE(sets[1].second[1], std::uint8_t(W1Frame::kWrite));
        for (const auto& set : sets)
            QCOMPARE(set.first, std::string("/dev/hidraw2"));
        // 300 ms between frames on the fake clock: the first goes at once.
        QCOMPARE(rig.sleeps, (std::vector<std::chrono::milliseconds>{std::chrono::milliseconds(300),
                                                                      std::chrono::milliseconds(300)}));
        int sent = 0;
        for (const QJsonObject& line : rig.log())
            sent += line.value("decision").toString() == "sent" && line.value("op").toString() == "set_feature";
        QCOMPARE(sent, 3);

        // Mode 9, the factory reset, never leaves, verified or not.
        QCOMPARE(transport->w1WriteAddress(rig.path("hidraw2", 1), kTwelve, 0, 1, 9), 0);
        QCOMPARE(int(rig.kernel.sets().size()), 3);
        QCOMPARE(transport->refuse(rig.path("hidraw2", 1), "EraseRom"), 0);
        QCOMPARE(int(rig.kernel.sets().size()), 3);

        // A mouse that does not answer stops the write after the prepare.
        Rig silent;
        silent.kernel.setModel("/dev/hidraw2", nullptr);
        auto quiet = silent.transport({silent.identity("hidraw2")});
        QCOMPARE(quiet->w1WriteAddress(silent.path("hidraw2", 1), kTwelve, 0x100, 12, 7), 0);
        QCOMPARE(int(silent.kernel.sets().size()), 1);

        // Unplugged between listing and sending: nothing sent, failure.
        Rig gone;
        gone.kernel.unplug("/dev/hidraw2");
        QCOMPARE(gone.transport({gone.identity("hidraw2")})->w1WriteAddress(gone.path("hidraw2", 1), kTwelve, 0, 1, 7), 0);
        QVERIFY(gone.kernel.sets().empty());
    }

    void inputReportsOfTheRequestedCollectionReachTheCallback()
    {
        Rig rig;
        auto transport = rig.transport();
        {
            std::lock_guard<std::mutex> lock(g_reportsMutex);
            g_reports.clear();
        }
        // Report 1 is the keyboard collection's, report 7 the vendor one's.
        rig.kernel.queueInput("/dev/hidraw1", {1, 0, 0, 4, 0, 0, 0, 0, 0});
        rig.kernel.queueInput("/dev/hidraw1", {7, 1, 2, 3, 4, 5, 6, 7});
        QCOMPARE(transport->startReading({rig.path("hidraw1", 2)}, collectReport), 1);
        QTRY_COMPARE(reportCount(), std::size_t(1));
        {
            std::lock_guard<std::mutex> lock(g_reportsMutex);
            QCOMPARE(g_reports[0], (std::vector<unsigned char>{7, 1, 2, 3, 4, 5, 6, 7}));
        }
        // Opened for reading only, and nothing sent.
        QCOMPARE(int(rig.kernel.opens().size()), 1);
        QCOMPARE(rig.kernel.opens()[0].second & O_ACCMODE, O_RDONLY);
        QVERIFY(rig.kernel.sets().empty());

        // The node goes away mid-read: dropped, the reader ends quietly.
        rig.kernel.unplug("/dev/hidraw1");
        rig.kernel.queueInput("/dev/hidraw1", {7, 9, 9, 9, 9, 9, 9, 9});
        QTest::qWait(50);
        QCOMPARE(reportCount(), std::size_t(1));
        transport->stopReading();

        // A node missing when reading starts: nothing to read.
        QCOMPARE(transport->startReading({rig.path("hidraw1", 2)}, collectReport), 0);
        QCOMPARE(transport->startReading({"\\\\?\\hid#vid_258a&pid_9999&col01#x#{g}"}, collectReport), 0);
    }
};

QTEST_GUILESS_MAIN(HidrawTransportTest)
#include "tst_hidraw_transport.moc"
