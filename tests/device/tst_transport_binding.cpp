// The binding of the transport library: every export resolves by name, a
// missing library makes every call false, and input that would let the
// library run past a buffer is refused before any call.
#include <QtTest>

#include "devices_handler.h"
#include "device_scenario.h"

namespace {

quint32 crc32(const QByteArray& bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= static_cast<quint8>(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

} // namespace

class TransportBindingTest : public QObject
{
    Q_OBJECT

private slots:
    void resolvesEveryEntryPoint()
    {
        DeviceScenario scenario(plainMouse("1007"));
        devices_handler handler;
        QVERIFY(handler.isLoaded());
        QCOMPARE(handler.missingEntryPoints(), QStringList());
        QCOMPARE(devices_handler::entryPointNames().size(), 19);
    }

    void missingLibraryAnswersFalse()
    {
        DeviceScenario scenario(plainMouse("1007"));
        qputenv("ORVANTA_TRANSPORT", "/nonexistent/libUsbInterface.so");
        devices_handler handler;
        qputenv("ORVANTA_TRANSPORT", EMULATOR_LIBRARY);
        QVERIFY(!handler.isLoaded());
        QCOMPARE(handler.missingEntryPoints(), devices_handler::entryPointNames());
        QByteArray block;
        QVERIFY(!handler.dcDevices(&block));
        QCOMPARE(block.size(), transport::kDeviceBlockSize);
        devices_handler::TransferBuffer buffer{};
        QVERIFY(!handler.dcReadProperty("p", buffer, 1, 1));
        QVERIFY(!handler.Reset("p", 2));
        QVERIFY(!handler.DeviceData({}, {}, nullptr));
    }

    void refusesWhatWouldOverrunABuffer()
    {
        DeviceScenario scenario(plainMouse("1007"));
        devices_handler handler;
        QByteArray block;
        QVERIFY(handler.dcDevices(&block));
        const QString path = QString::fromUtf16(
            reinterpret_cast<const char16_t*>(block.constData() + 2 + 1085));
        scenario.clearLog();

        devices_handler::TransferBuffer buffer{};
        QVERIFY(!handler.dcWriteProperty(path, buffer, 1, transport::kTransferSize + 1));
        QVERIFY(!handler.dcWriteProperty(path, buffer, 256, 1));
        QVERIFY(!handler.dcReadAddress(path, buffer, 0, transport::kTransferSize - 7));
        QVERIFY(!handler.dcReadProperty(QString(256, QLatin1Char('x')), buffer, 1, 1));
        QVERIFY(!handler.WriteRom(path, QByteArray(transport::kRomBlockSize + 1, 'x'), 0));
        QStringList paths;
        QVector<quint32> ids;
        for (int i = 0; i < 11; ++i) {
            paths << path;
            ids << 1;
        }
        QVERIFY(!handler.DeviceData(paths, ids, nullptr));
        QVERIFY(scenario.calls().isEmpty());

        QVERIFY(handler.dcReadAddress(path, buffer, 0, transport::kTransferSize - 8));
        QCOMPARE(scenario.calls("dcReadAddress").size(), 1);
    }

    void bootLoaderCallsCarryTheirArguments()
    {
        DeviceScenario scenario(plainMouse("1007"));
        devices_handler handler;
        QByteArray block;
        QVERIFY(handler.dcDevices(&block));
        const QString path = QString::fromUtf16(
            reinterpret_cast<const char16_t*>(block.constData() + 2 + 1085));
        const QString bootLoader = QStringLiteral(
            "\\\\?\\hid#vid_258a&pid_ff12#8&1a2b3c0&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}");

        QVERIFY(handler.Reset(path, 1));
        QVERIFY(handler.DeviceExist("Vid_258a&Pid_ff12", path));
        QVERIFY(handler.EraseRom(bootLoader));
        const QByteArray rom("\x21\x01\x02\x03", 4);
        QVERIFY(handler.WriteRom(bootLoader, rom, 0));
        QVERIFY(!handler.CheckRom(bootLoader, 4, crc32(rom) ^ 1));
        QVERIFY(handler.CheckRom(bootLoader, 4, crc32(rom)));
        QVERIFY(handler.FinishUpdateRom(bootLoader));

        QCOMPARE(scenario.calls("Reset").value(0).value("mode").toInt(), 1);
        QCOMPARE(scenario.calls("DeviceExist").value(0).value("target").toString(),
                 QStringLiteral("Vid_258a&Pid_ff12"));
        const QJsonObject write = scenario.calls("WriteRom").value(0);
        QCOMPARE(write.value("length").toInt(), 4);
        QCOMPARE(write.value("offset").toInt(), 0);
        QCOMPARE(write.value("data").toString(), QStringLiteral("21,01,02,03"));
        QCOMPARE(scenario.calls("CheckRom").value(1).value("check").toString(),
                 QStringLiteral("0x") + QString::number(crc32(rom), 16));
        QCOMPARE(scenario.savedDevice(0).value("firmwareVersion").toString(), QStringLiteral("21"));
    }
};

QTEST_GUILESS_MAIN(TransportBindingTest)
#include "tst_transport_binding.moc"
