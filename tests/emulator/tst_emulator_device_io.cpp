// Reads and writes through the emulator: properties, the address space with
// its response header, W1 block writes and reset, the lighting frame, saving
// to the device-set file, the call log, injected faults and bad input.

#include "emulator_fixture.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// Entry 0: a mouse configured by property; entry 1: a W1 mouse configured by
// address, with a small memory so that its end is easy to reach.
const QByteArray kDeviceSet = json("{'devices':["
"  {'name':'mouse','vendorId':'258A','productId':'1007','firmwareVersion':'11',"
"   'interfaces':[{'collection':'02'}],"
"   'properties':{'40':'01','61':'01,01,00,00'}},"
"  {'name':'w1','reportedId':'25A7FA91','vendorId':'258A','productId':'1011','firmwareVersion':'31',"
"   'memorySize':'0x100','interfaces':[{'collection':'05','usagePage':'0xFFAA'},{'collection':'07'}],"
"   'properties':{'40':'02'},"
"   'memory':[{'address':'0x60','data':'01,01,00,53'}]}]}");

const QString kMouse = derivedPath(0, "vid_258a&pid_1007", "02", 0);
const QString kW1 = derivedPath(1, "vid_258a&pid_1011", "07", 1);

QByteArray bytes(const unsigned char *data, int size)
{
    return QByteArray(reinterpret_cast<const char *>(data), size);
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Limits the size of files this process writes while it lives; writes past
// it fail instead of raising SIGXFSZ.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        struct rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &m_saved); }

private:
    struct rlimit m_saved;
};

} // namespace

class TestEmulatorDeviceIo : public QObject {
    Q_OBJECT

private:
    Transport t;
    const std::u16string mouse = u16(kMouse);
    const std::u16string w1 = u16(kW1);

    QByteArray readProperty(unsigned char id, int size)
    {
        unsigned char buffer[transport::kTransferSize] = {};
        if (t.dcReadProperty(mouse.c_str(), buffer, id, size) != 1)
            return "failed";
        return bytes(buffer, size);
    }

private slots:
    void initTestCase() { QVERIFY2(t.load(), qPrintable(t.missing.join(QStringLiteral(", ")))); }

    void propertiesRoundTripAndSurviveARestart()
    {
        Scenario scenario(kDeviceSet);
        const unsigned char rightClick[] = {0x01, 0x02, 0x00, 0x00};
        QCOMPARE(t.dcWriteProperty(mouse.c_str(), rightClick, 61, 4), 1);
        QCOMPARE(readProperty(61, 4), bytes(rightClick, 4));
        // Longer reads are padded with zeros, never written property space is zero.
        QCOMPARE(readProperty(61, 6), QByteArray::fromHex("010200000000"));
        QCOMPARE(readProperty(200, 3), QByteArray(3, '\0'));
        QCOMPARE(readProperty(61, 0), QByteArray());

        // The file now holds the new value, and the old one as factory state.
        const QJsonObject saved = scenario.savedDevice(0);
        QCOMPARE(saved.value("properties").toObject().value("61").toString(), QStringLiteral("01,02,00,00"));
        QCOMPARE(saved.value("factory").toObject().value("properties").toObject().value("61").toString(),
                 QStringLiteral("01,01,00,00"));

        // A restart: the library is unloaded and loaded again, then also made
        // to read a copy of the file from scratch.
        t.library.unload();
        QVERIFY(t.load());
        QCOMPARE(readProperty(61, 4), bytes(rightClick, 4));
        const QString copy = QDir(scenario.dirPath()).filePath("copy.json");
        QVERIFY(QFile::copy(scenario.devicesPath(), copy));
        qputenv("ORVANTA_DEVICES", QFile::encodeName(copy));
        QCOMPARE(readProperty(61, 4), bytes(rightClick, 4));
        QCOMPARE(readProperty(40, 1), QByteArray("\x01", 1));
    }

    void addressReadsCarryTheResponseHeader()
    {
        Scenario scenario(kDeviceSet);
        unsigned char buffer[transport::kTransferSize];
        std::memset(buffer, 0xCC, sizeof buffer);
        QCOMPARE(t.dcReadAddress(w1.c_str(), buffer, 0x60, 4), 1);
        QCOMPARE(bytes(buffer, 12), QByteArray::fromHex("0603600000000400" "01010053"));
        QCOMPARE(buffer[12], 0xCC); // nothing past header and data is touched

        // Erased (never written) memory reads as zeros after the header.
        QCOMPARE(t.dcReadAddress(w1.c_str(), buffer, 0x00, 0x60), 1);
        QCOMPARE(bytes(buffer, 8), QByteArray::fromHex("0603000000006000"));
        QCOMPARE(bytes(buffer + 8, 0x60), QByteArray(0x60, '\0'));

        // The last bytes of memory can be read; one byte further cannot.
        QCOMPARE(t.dcReadAddress(w1.c_str(), buffer, 0xFC, 4), 1);
        QCOMPARE(t.dcReadAddress(w1.c_str(), buffer, 0xFD, 4), 0);
        QCOMPARE(t.dcReadAddress(w1.c_str(), buffer, 0xFFFFFFFFu, 4), 0);
        // Header plus data must fit the 2048-byte transfer buffer.
        Scenario large(json("{'devices':[{'vendorId':'258A','productId':'1007','interfaces':[{'collection':'02'}]}]}"));
        QCOMPARE(t.dcReadAddress(mouse.c_str(), buffer, 0, 2040), 1);
        QCOMPARE(t.dcReadAddress(mouse.c_str(), buffer, 0, 2041), 0);
    }

    void w1BlockWritesRestartAndReset()
    {
        Scenario scenario(kDeviceSet);
        const unsigned char rightClick[] = {0x01, 0x02, 0x00};
        const unsigned char check[] = {0x52};
        QCOMPARE(t.dcW1WriteAddress(w1.c_str(), rightClick, 0x60, 3, 7), 1);
        QCOMPARE(t.dcW1WriteAddress(w1.c_str(), check, 0x63, 1, 7), 1);
        const unsigned char rate[] = {0x04};
        QCOMPARE(t.dcWriteProperty(w1.c_str(), rate, 40, 1), 1);
        unsigned char buffer[transport::kTransferSize] = {};
        QCOMPARE(t.dcReadAddress(w1.c_str(), buffer, 0x60, 4), 1);
        QCOMPARE(bytes(buffer + 8, 4), QByteArray::fromHex("01020052"));
        // The device set gave the memory as a byte list; saves write plain
        // hexadecimal, and what was saved reads back the same.
        QCOMPARE(scenario.savedDevice(1).value("memory").toArray().at(0).toObject().value("hex").toString(),
                 QStringLiteral("01020052"));
        QCOMPARE(scenario.savedDevice(1).value("factory").toObject().value("memory").toArray().at(0).toObject()
                     .value("hex").toString(),
                 QStringLiteral("01010053"));
        scenario.writeDeviceSet(fileBytes(scenario.devicesPath()) + "\n");
        QCOMPARE(t.dcReadAddress(w1.c_str(), buffer, 0x60, 4), 1);
        QCOMPARE(bytes(buffer + 8, 4), QByteArray::fromHex("01020052"));

        // Unknown modes and blocks past the end change nothing.
        QCOMPARE(t.dcW1WriteAddress(w1.c_str(), rightClick, 0x60, 3, 3), 0);
        QCOMPARE(t.dcW1WriteAddress(w1.c_str(), rightClick, 0xFE, 3, 7), 0);

        // Mode 9 at address 0 restarts the device: what it was given stays,
        // and the device-set file is not written again.
        const unsigned char zero[] = {0x00};
        const QByteArray saved = fileBytes(scenario.devicesPath());
        QCOMPARE(t.dcW1WriteAddress(w1.c_str(), zero, 0, 1, 9), 1);
        QCOMPARE(t.dcReadAddress(w1.c_str(), buffer, 0x60, 4), 1);
        QCOMPARE(bytes(buffer + 8, 4), QByteArray::fromHex("01020052"));
        QCOMPARE(t.dcReadProperty(w1.c_str(), buffer, 40, 1), 1);
        QCOMPARE(buffer[0], 0x04);
        QCOMPARE(fileBytes(scenario.devicesPath()), saved);

        // At any other address mode 9 restores the factory state.
        QCOMPARE(t.dcW1WriteAddress(w1.c_str(), zero, 0x10, 1, 9), 1);
        QCOMPARE(t.dcReadAddress(w1.c_str(), buffer, 0x60, 4), 1);
        QCOMPARE(bytes(buffer + 8, 4), QByteArray::fromHex("01010053"));
        QCOMPARE(t.dcReadProperty(w1.c_str(), buffer, 40, 1), 1);
        QCOMPARE(buffer[0], 0x02);
    }

    void resetRestoresPropertiesAndClearsTheFrame()
    {
        Scenario scenario(kDeviceSet);
        const unsigned char rate[] = {0x08};
        QCOMPARE(t.dcWriteProperty(mouse.c_str(), rate, 40, 1), 1);
        std::vector<unsigned char> frame(1024, 0);
        frame[0] = 0x05;
        frame[8] = 0xFF;
        QCOMPARE(t.dcNotifyRGBDevice(mouse.c_str(), frame.data(), 1024), 1);
        const QString savedFrame = scenario.savedDevice(0).value("lightingFrame").toString();
        QCOMPARE(savedFrame.size(), 1024 * 3 - 1);
        QVERIFY(savedFrame.startsWith(QLatin1String("05,00,00,00,00,00,00,00,ff,00")));
        // A later frame replaces the earlier one.
        frame[8] = 0x10;
        QCOMPARE(t.dcNotifyRGBDevice(mouse.c_str(), frame.data(), 1024), 1);
        QVERIFY(scenario.savedDevice(0).value("lightingFrame").toString().startsWith(
            QLatin1String("05,00,00,00,00,00,00,00,10,00")));
        QCOMPARE(t.dcNotifyRGBDevice(mouse.c_str(), frame.data(), 1025), 0);

        QCOMPARE(t.Reset(mouse.c_str(), 2, 0), 1);
        QCOMPARE(readProperty(40, 1), QByteArray("\x01", 1));
        QVERIFY(!scenario.savedDevice(0).contains("lightingFrame"));
        QCOMPARE(t.Reset(mouse.c_str(), 5, 0), 0);
    }

    void callLogRecordsEveryCallExactly()
    {
        Scenario scenario(kDeviceSet);
        const QByteArray m = jsonPath(kMouse);
        const QByteArray w = jsonPath(kW1);
        const unsigned char rightClick[] = {0x01, 0x02, 0x00, 0x00};
        unsigned char buffer[transport::kTransferSize] = {};
        t.dcWriteProperty(mouse.c_str(), rightClick, 61, 4);
        t.dcReadProperty(mouse.c_str(), buffer, 40, 2);
        t.dcW1WriteAddress(w1.c_str(), rightClick, 0x60, 3, 7);
        t.dcReadAddress(w1.c_str(), buffer, 0x1f, 2);
        t.dcWriteAddress(mouse.c_str(), rightClick, 0x106, 2);
        t.Reset(mouse.c_str(), 2, 0);
        t.dcWriteProperty(nullptr, rightClick, 61, 4);
        t.dcWriteProperty(mouse.c_str(), rightClick, 61, 4000);
        const unsigned char frame[3] = {0xAB, 0xCD, 0xEF};
        t.dcNotifyRGBDevice(mouse.c_str(), frame, 3);

        const QList<QByteArray> expected = {
            json("{'call':'dcWriteProperty','path':") + m + json(",'id':61,'size':4,'data':'01,02,00,00','result':1}"),
            json("{'call':'dcReadProperty','path':") + m + json(",'id':40,'size':2,'data':'01,00','result':1}"),
            json("{'call':'dcW1WriteAddress','path':") + w
                + json(",'address':'0x60','length':3,'mode':7,'data':'01,02,00','result':1}"),
            json("{'call':'dcReadAddress','path':") + w + json(",'address':'0x1f','size':2,'data':'00,00','result':1}"),
            json("{'call':'dcWriteAddress','path':") + m + json(",'address':'0x106','size':2,'data':'01,02','result':1}"),
            json("{'call':'Reset','path':") + m + json(",'mode':2,'result':1}"),
            json("{'call':'dcWriteProperty','path':null,'id':61,'size':4,'data':'01,02,00,00','result':0}"),
            // An oversized call is refused without reading the caller's buffer.
            json("{'call':'dcWriteProperty','path':") + m + json(",'id':61,'size':4000,'data':'','result':0}"),
            json("{'call':'dcNotifyRGBDevice','path':") + m + json(",'size':3,'data':'ab,cd,ef','result':1}"),
        };
        const QList<QByteArray> lines = scenario.logLines();
        QCOMPARE(lines.size(), expected.size());
        for (int i = 0; i < lines.size(); ++i) {
            QCOMPARE(lines.at(i), expected.at(i));
            QVERIFY(QJsonDocument::fromJson(lines.at(i)).isObject());
        }
    }

    void nthWriteFailsWithoutEffect()
    {
        Scenario scenario(QByteArray(kDeviceSet).replace(json("'name':'mouse',"), json("'faults':{'failWrite':2},")));
        const unsigned char first[] = {0x02}, second[] = {0x03}, third[] = {0x04};
        QCOMPARE(t.dcWriteProperty(mouse.c_str(), first, 40, 1), 1);
        const QByteArray before = fileBytes(scenario.devicesPath());
        QCOMPARE(t.dcWriteProperty(mouse.c_str(), second, 40, 1), 0);
        QCOMPARE(readProperty(40, 1), QByteArray("\x02", 1));
        QCOMPARE(fileBytes(scenario.devicesPath()), before);
        QCOMPARE(t.dcWriteProperty(mouse.c_str(), third, 40, 1), 1);
        QCOMPARE(readProperty(40, 1), QByteArray("\x04", 1));
        // The other device keeps its own count.
        QCOMPARE(t.dcWriteProperty(w1.c_str(), first, 40, 1), 1);
        QCOMPARE(t.dcWriteProperty(w1.c_str(), second, 40, 1), 1);
    }

    void deviceUnplugsAfterItsWrites()
    {
        Scenario scenario(QByteArray(kDeviceSet).replace(json("'name':'mouse',"), json("'faults':{'unplugAfterWrites':2},")));
        const unsigned char value[] = {0x02};
        QCOMPARE(t.dcWriteProperty(mouse.c_str(), value, 40, 1), 1);
        QCOMPARE(readProperty(40, 1), QByteArray("\x02", 1));
        QCOMPARE(t.dcWriteProperty(mouse.c_str(), value, 41, 1), 1); // the second write still lands
        QCOMPARE(readProperty(40, 1), QByteArray("failed"));
        QCOMPARE(t.dcWriteProperty(mouse.c_str(), value, 40, 1), 0);
        DeviceBlock block;
        QCOMPARE(t.dcDevices(block.bytes.data(), programFilter().data()), 1);
        QCOMPARE(block.count(), 2); // only the W1 collections
        // Saved as gone (a watcher of the file sees the removal), with the write kept.
        const QJsonObject saved = scenario.savedDevice(0);
        QCOMPARE(saved.value("present").toBool(true), false);
        QCOMPARE(saved.value("properties").toObject().value("41").toString(), QStringLiteral("02"));

        // Plugged in again by hand: back, and counting afresh.
        QJsonObject root = scenario.deviceSet();
        QJsonArray devices = root.value("devices").toArray();
        QJsonObject device = devices.at(0).toObject();
        device.insert("present", true);
        devices.replace(0, device);
        root.insert("devices", devices);
        scenario.writeDeviceSet(QJsonDocument(root).toJson());
        QCOMPARE(readProperty(41, 1), QByteArray("\x02", 1));
        QCOMPARE(t.dcWriteProperty(mouse.c_str(), value, 40, 1), 1);
        QCOMPARE(readProperty(40, 1), QByteArray("\x02", 1));
    }

    void writeThatCannotBeSavedFailsAndIsUndone()
    {
        Scenario scenario(kDeviceSet);
        const unsigned char value[] = {0x09};
        {
            // Files of this process may not grow past 64 bytes: the save
            // cannot happen.
            FileSizeLimit limit(64);
            QCOMPARE(t.dcWriteProperty(mouse.c_str(), value, 40, 1), 0);
        }
        QCOMPARE(readProperty(40, 1), QByteArray("\x01", 1));
        QCOMPARE(t.dcWriteProperty(mouse.c_str(), value, 40, 1), 1);
        QCOMPARE(readProperty(40, 1), QByteArray("\x09", 1));
    }

    void saveNeverWritesThroughALinkBesideTheFile()
    {
        // Someone who can write beside the device set prepares the name a
        // save used to write to, as a link to a file of the user.
        Scenario scenario(kDeviceSet);
        const QString victim = scenario.dirPath() + "/victim.txt";
        QFile file(victim);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("precious");
        file.close();
        const QString trap = QStringLiteral("%1.tmp-%2").arg(scenario.devicesPath()).arg(::getpid());
        QVERIFY(QFile::link(victim, trap));

        const unsigned char value[] = {0x07};
        QCOMPARE(t.dcWriteProperty(mouse.c_str(), value, 40, 1), 1);
        QCOMPARE(fileBytes(victim), QByteArray("precious"));
        QCOMPARE(scenario.savedDevice(0).value("properties").toObject().value("40").toString(), QStringLiteral("07"));
        QVERIFY(QFileInfo(trap).isSymLink());
    }

    void badInputFailsWithoutTouchingTheDevices()
    {
        Scenario scenario(kDeviceSet);
        const QByteArray before = fileBytes(scenario.devicesPath());
        unsigned char buffer[transport::kTransferSize] = {};
        const unsigned char data[4] = {1, 2, 3, 4};
        const std::u16string unknown = u16(derivedPath(7, "vid_258a&pid_1007", "02", 0));
        // 300 units without a terminating NUL: refused, not followed.
        const std::u16string unterminated(300, u'a');
        std::u16string exact(unterminated.c_str(), 255);

        QCOMPARE(t.dcReadProperty(nullptr, buffer, 40, 1), 0);
        QCOMPARE(t.dcReadProperty(unknown.c_str(), buffer, 40, 1), 0);
        QCOMPARE(t.dcReadProperty(mouse.c_str(), nullptr, 40, 1), 0);
        QCOMPARE(t.dcReadProperty(mouse.c_str(), buffer, 40, 2049), 0);
        QCOMPARE(t.dcReadProperty(mouse.c_str(), buffer, 40, -1), 0);
        QCOMPARE(t.dcReadProperty(unterminated.data(), buffer, 40, 1), 0);
        QCOMPARE(t.dcWriteProperty(mouse.c_str(), nullptr, 40, 1), 0);
        QCOMPARE(t.dcWriteProperty(mouse.c_str(), data, 40, 0), 0);
        QCOMPARE(t.dcWriteProperty(mouse.c_str(), data, 40, 2049), 0);
        QCOMPARE(t.dcWriteProperty(exact.c_str(), data, 40, 1), 0);
        QCOMPARE(t.dcWriteAddress(w1.c_str(), data, 0xFFFFFFFFu, 4), 0);
        QCOMPARE(t.dcWriteAddress(w1.c_str(), nullptr, 0, 4), 0);
        QCOMPARE(t.dcReadAddress(w1.c_str(), nullptr, 0, 4), 0);
        QCOMPARE(t.dcW1WriteAddress(w1.c_str(), nullptr, 0x60, 1, 7), 0);
        QCOMPARE(t.dcW1WriteAddress(w1.c_str(), data, 0x60, 0, 7), 0);
        QCOMPARE(t.dcW1WriteAddress(w1.c_str(), data, 0x60, -3, 7), 0);
        QCOMPARE(t.dcNotifyRGBDevice(mouse.c_str(), nullptr, 1024), 0);
        QCOMPARE(t.dcNotifyRGBDevice(unknown.c_str(), data, 4), 0);
        QCOMPARE(t.Reset(nullptr, 2, 0), 0);
        QCOMPARE(t.Reset(unknown.c_str(), 2, 0), 0);
        QCOMPARE(t.Notify(mouse.c_str(), nullptr, 4), 0);
        QCOMPARE(t.dcUpdateVersion(mouse.c_str(), buffer, 1), 0);
        QCOMPARE(fileBytes(scenario.devicesPath()), before);
    }
};

QTEST_GUILESS_MAIN(TestEmulatorDeviceIo)
#include "tst_emulator_device_io.moc"
