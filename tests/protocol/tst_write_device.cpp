// writeDevice end to end for the families written by property (M1.0, M2.0,
// M4.0, K1.0): the request goes through the profile lookup, the Driver
// definition, the encoders and the macro stores into the emulator, and the
// tests read the bytes the transport received from its call log.
#include <QtTest>

#include <QThread>

#include "write_scenario.h"

namespace {

const QString kPressA100 = QStringLiteral("按下(A)弹起(A)延迟(100)");

// The M1.0 slots whose addresses are hexadecimal numbers (slots 6, 10, 14, 20
// and 24 are spelt with a letter O and are never touched).
// The M1.0 slots a run of macros fills. Slot 7's area ("0xE78") overlaps
// slot 6's (0xEB0), so it never reads blank once slot 6 holds a macro.
const QList<int> kUsableM1Slots = [] {
    QList<int> all;
    for (int i = 0; i < 30; ++i)
        if (i != 7)
            all << i;
    return all;
}();

uint hexOf(QString text)
{
    if (text.startsWith("0x"))
        text = text.mid(2);
    return text.toUInt(nullptr, 16);
}

} // namespace

class WriteDeviceTest : public QObject
{
    Q_OBJECT

private slots:
    void writesOneProperty_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("driver");
        QTest::addColumn<QString>("index");
        QTest::addColumn<QString>("task");
        QTest::addColumn<QString>("taskType");
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("delay");
        QTest::addColumn<QString>("manner");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("data");

        QTest::newRow("RightClick on M1.0")
            << kM1 << "M1.0" << "61" << "RightClick" << "MouseFunction" << "1" << "0" << "0" << 61 << "01,02,00,00";
        QTest::newRow("RightClick on M2.0 with play bytes")
            << kM2 << "M2.0" << "61" << "RightClick" << "MouseFunction" << "3" << "300" << "1" << 61
            << "01,02,00,00,01,03,2c,01";
        QTest::newRow("RightClick on M4.0 with play bytes")
            << kM4 << "M4.0" << "62" << "RightClick" << "MouseFunction" << "3" << "300" << "1" << 62
            << "01,02,00,00,01,03,2c,01";
        QTest::newRow("consumer code on K1.0")
            << kK1 << "K1.0" << "44" << "PlayPause" << "MouseFunction" << "1" << "0" << "0" << 44 << "03,00,cd,00";
        QTest::newRow("HotKey Win+Shift+A has mask 0x0A")
            << kM1 << "M1.0" << "62" << "Win+Shift+A" << "HotKey" << "1" << "0" << "0" << 62 << "02,0a,04,00";
        QTest::newRow("HotKey Ctrl+A+B+C keeps A and B")
            << kM1 << "M1.0" << "62" << "Ctrl+A+B+C" << "HotKey" << "1" << "0" << "0" << 62 << "02,01,04,05";
        QTest::newRow("HotKey Ctrl alone is Left Ctrl")
            << kM1 << "M1.0" << "62" << "Ctrl" << "HotKey" << "1" << "0" << "0" << 62 << "02,00,e0,00";
        QTest::newRow("Keyboard on M2.0 with play bytes")
            << kM2 << "M2.0" << "63" << "A" << "Keyboard" << "2" << "10" << "0x02" << 63 << "02,00,04,00,02,02,0a,00";
        QTest::newRow("Keyborad on M2.0 carries no play bytes")
            << kM2 << "M2.0" << "63" << "A" << "Keyborad" << "2" << "10" << "2" << 63 << "02,00,04,00";
        QTest::newRow("play count and delay are held at their bytes")
            << kM2 << "M2.0" << "61" << "LeftClick" << "MouseFunction" << "300" << "70000" << "1" << 61
            << "01,01,00,00,01,ff,ff,ff";
        QTest::newRow("empty play manner is 0")
            << kM2 << "M2.0" << "61" << "LeftClick" << "MouseFunction" << "1" << "0" << "" << 61
            << "01,01,00,00,00,01,00,00";
        QTest::newRow("GKey")
            << kM1 << "M1.0" << "64" << "A|3|20" << "GKey" << "1" << "0" << "0" << 64 << "05,04,03,14";
        QTest::newRow("DPI 12800/400")
            << kM1 << "M1.0" << "50" << "0|12800|400" << "DPI" << "1" << "0" << "0" << 50 << "00,00,01,08,00,ff,ff,ff";
        QTest::newRow("DPI on M2.0 carries no play bytes")
            << kM2 << "M2.0" << "51" << "1|800|1600|FF0000" << "DPI" << "1" << "0" << "0" << 51
            << "01,10,00,10,00,ff,00,00";
        QTest::newRow("LightRGB 00FF7F")
            << kM1 << "M1.0" << "42" << "00FF7F" << "LightRGB" << "1" << "0" << "0" << 42 << "00,ff,7f";
        QTest::newRow("LightMode 10") << kM1 << "M1.0" << "42" << "10" << "LightMode" << "1" << "0" << "0" << 42 << "0a";
        QTest::newRow("Index 45 writes the number and nine zeros")
            << kM1 << "M1.0" << "45" << "3" << "SwitchProfile" << "1" << "0" << "0" << 45
            << "03,00,00,00,00,00,00,00,00,00";
        QTest::newRow("Index 45 number above a byte is held")
            << kM1 << "M1.0" << "45" << "300" << "LightSpeed" << "1" << "0" << "0" << 45
            << "ff,00,00,00,00,00,00,00,00,00";
        QTest::newRow("unknown TaskType writes eight zeros")
            << kM1 << "M1.0" << "61" << "A" << "NoSuchType" << "1" << "0" << "0" << 61 << zeroBytes(8);
        QTest::newRow("unknown function writes eight zeros")
            << kM2 << "M2.0" << "61" << "NoSuchFunction" << "MouseFunction" << "1" << "0" << "1" << 61
            << zeroBytes(8);
        QTest::newRow("DPI field that does not parse counts as 0 on its own")
            << kM1 << "M1.0" << "50" << "x|abc|800" << "DPI" << "1" << "0" << "0" << 50 << "00,00,00,10,00,ff,ff,ff";
        QTest::newRow("K1.0 Index 45 is the key B")
            << kK1 << "K1.0" << "45" << "RightClick" << "MouseFunction" << "1" << "0" << "0" << 45 << "01,02,00,00";
        QTest::newRow("empty macro writes eight zeros")
            << kM1 << "M1.0" << "61" << "" << "Macro" << "1" << "0" << "0" << 61 << zeroBytes(8);
    }
    void writesOneProperty()
    {
        QFETCH(QString, version);
        QFETCH(QString, driver);
        QFETCH(QString, index);
        QFETCH(QString, task);
        QFETCH(QString, taskType);
        QFETCH(QString, count);
        QFETCH(QString, delay);
        QFETCH(QString, manner);
        QFETCH(int, id);
        QFETCH(QString, data);

        WriteScenario scenario(familyDevices(), {kM1, kM2, kM4, kK1});
        QVERIFY(scenario.write(version, driver, index, task, taskType, count, delay, manner));
        const QList<QJsonObject> writes = scenario.writes();
        QCOMPARE(writes.size(), 1);
        QCOMPARE(writes.at(0).value("call").toString(), QStringLiteral("dcWriteProperty"));
        QCOMPARE(writes.at(0).value("id").toInt(), id);
        QCOMPARE(writes.at(0).value("data").toString(), data);
        QCOMPARE(writes.at(0).value("size").toInt(), data.split(',').size());
        QCOMPARE(writes.at(0).value("result").toInt(), 1);
        QCOMPARE(scenario.handler.writeState().deviceKey(), version);
        QCOMPARE(scenario.handler.writeState().driverVersion(), driver);
        QVERIFY(!scenario.handler.writeState().keyboardMode());
    }

    void failsWithoutWriting_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("driver");
        QTest::addColumn<QString>("index");
        QTest::addColumn<QString>("task");
        QTest::addColumn<QString>("taskType");

        QTest::newRow("K4.0 has no definition") << kM1 << "K4.0" << "61" << "LeftClick" << "MouseFunction";
        QTest::newRow("unknown definition") << kM1 << "M9.0" << "61" << "LeftClick" << "MouseFunction";
        QTest::newRow("no profile for the device") << kM4 << "M4.0" << "61" << "LeftClick" << "MouseFunction";
        QTest::newRow("Index not a number") << kM1 << "M1.0" << "x" << "LeftClick" << "MouseFunction";
        QTest::newRow("Index past a property id") << kM1 << "M1.0" << "300" << "LeftClick" << "MouseFunction";
        QTest::newRow("device not in the map") << "258A7777" << "M1.0" << "61" << "LeftClick" << "MouseFunction";
        QTest::newRow("macro step without closing parenthesis") << kM1 << "M1.0" << "61" << "按下(A)弹起(A" << "Macro";
        QTest::newRow("macro with a pause that is not a number") << kM1 << "M1.0" << "61" << "延迟(x)" << "Macro";
        QTest::newRow("macro longer than a slot")
            << kM1 << "M1.0" << "61" << QString("按下(A)").repeated(67) << "Macro";
        QTest::newRow("pause of 2^64 - 1 ms") << kM1 << "M1.0" << "61" << "延迟(18446744073709551615)" << "Macro";
        QTest::newRow("pause of 1e11 ms on M2.0") << kM2 << "M2.0" << "61" << "延迟(100000000000)" << "Macro";
        QTest::newRow("GKey on an unknown key") << kM1 << "M1.0" << "64" << "Foo|1|2" << "GKey";
        QTest::newRow("GKey on a function") << kM1 << "M1.0" << "64" << "LeftClick|1|2" << "GKey";
        QTest::newRow("GKey of two parts") << kM1 << "M1.0" << "64" << "A|3" << "GKey";
        QTest::newRow("DPI of two parts") << kM1 << "M1.0" << "50" << "0|800" << "DPI";
        QTest::newRow("DPI colour GG0000") << kM1 << "M1.0" << "50" << "1|800|800|GG0000" << "DPI";
        QTest::newRow("DPI colour of seven digits") << kM1 << "M1.0" << "50" << "1|800|800|FF00000" << "DPI";
        QTest::newRow("short LightRGB colour") << kM1 << "M1.0" << "42" << "00FF7" << "LightRGB";
        QTest::newRow("more bytes than the button holds") << kM1 << "M1.0" << "61" << "0x01,0x02,0x03,0x04,0x05" << "LightMode2";
    }
    void failsWithoutWriting()
    {
        QFETCH(QString, version);
        QFETCH(QString, driver);
        QFETCH(QString, index);
        QFETCH(QString, task);
        QFETCH(QString, taskType);

        // M4.0 has no profile here; 258A7777 has one but is not attached.
        WriteScenario scenario(familyDevices(), {kM1, kM2, "258A7777"});
        QVERIFY(!scenario.write(version, driver, index, task, taskType));
        QVERIFY(scenario.writes().isEmpty());
    }

    void playBytesPastTheButtonsLengthAreRefused()
    {
        WriteScenario scenario(familyDevices(), {kM2});
        QVERIFY(!scenario.write(kM2, "M2.0", "61", "RightClick", "MouseFunction", "1", "0", "1,2"));
        QVERIFY(scenario.writes().isEmpty());
    }

    void noProfileSourceMeansNoProfile()
    {
        WriteScenario scenario(familyDevices(), {kM1});
        scenario.handler.setProfileSource(nullptr);
        QVERIFY(!scenario.write(kM1, "M1.0", "61", "LeftClick", "MouseFunction"));
        QVERIFY(scenario.writes().isEmpty());
        scenario.handler.setProfileSource(&scenario.cache);
        QVERIFY(scenario.write(kM1, "M1.0", "61", "LeftClick", "MouseFunction"));
    }

    void refusedWriteFails()
    {
        WriteScenario scenario(
            R"({"vendorId":"258A","productId":"1007","interfaces":[{"collection":"02"}],"faults":{"failWrite":1}})",
            {kM1});
        QVERIFY(!scenario.write(kM1, "M1.0", "61", "LeftClick", "MouseFunction"));
        QCOMPARE(scenario.writes().size(), 1);
        QCOMPARE(scenario.writes().at(0).value("result").toInt(), 0);
    }

    void storesTheTwelveByteMacroOnM1()
    {
        WriteScenario scenario(familyDevices(), {kM1});
        QVERIFY(scenario.write(kM1, "M1.0", "61", kPressA100, "Macro", "1"));
        const QList<QJsonObject> writes = scenario.writes();
        QCOMPARE(writes.size(), 2);
        QCOMPARE(writes.at(0).value("call").toString(), QStringLiteral("dcWriteAddress"));
        QCOMPARE(writes.at(0).value("address").toString(), QStringLiteral("0xa00"));
        QCOMPARE(writes.at(0).value("size").toInt(), 200);
        QCOMPARE(writes.at(0).value("data").toString(), slotData("84,04,00,04,04,00,06,64,00,07,01,00"));
        QCOMPARE(writes.at(1).value("call").toString(), QStringLiteral("dcWriteProperty"));
        QCOMPARE(writes.at(1).value("id").toInt(), 61);
        QCOMPARE(writes.at(1).value("data").toString(), QStringLiteral("04,00,00,0c"));
        QVERIFY(scenario.handler.driverLookup().macroEncoding());
    }

    void storesTheNineByteMacroOnM2WithPlayBytes()
    {
        WriteScenario scenario(familyDevices(), {kM2});
        QVERIFY(scenario.write(kM2, "M2.0", "61", kPressA100, "Macro", "1", "0", "1"));
        const QList<QJsonObject> writes = scenario.writes();
        QCOMPARE(writes.size(), 2);
        QCOMPARE(writes.at(0).value("address").toString(), QStringLiteral("0xa00"));
        QCOMPARE(writes.at(0).value("data").toString(), slotData("84,04,00,04,04,00,06,64,00"));
        QCOMPARE(writes.at(1).value("id").toInt(), 61);
        QCOMPARE(writes.at(1).value("data").toString(), QStringLiteral("04,00,00,09,01,01,00,00"));

        // An empty count is 0: the macro is stored all the same.
        scenario.clearLog();
        QVERIFY(scenario.write(kM2, "M2.0", "62", kPressA100, "Macro", "", "0", "1"));
        QCOMPARE(scenario.writes().last().value("data").toString(), QStringLiteral("04,00,01,09,01,00,00,00"));
    }

    void storesMovesAndMouseSteps()
    {
        WriteScenario scenario(familyDevices(), {kM1, kK1});
        QVERIFY(scenario.write(kM1, "M1.0", "61", "相对位移XY(10,5)", "Macro", "2"));
        QList<QJsonObject> writes = scenario.writes();
        QCOMPARE(writes.size(), 2);
        QCOMPARE(writes.at(0).value("data").toString(), slotData("85,00,10,05,ff,fb,07,02,00"));
        QCOMPARE(writes.at(1).value("data").toString(), QStringLiteral("04,00,00,09"));

        // K1.0 keeps its ten slots from 0x1250; mouse buttons and the wheel.
        scenario.clearLog();
        QVERIFY(scenario.write(kK1, "K1.0", "44", " 按下 ( 左键 ) 弹起(左键) 滚轮(下滚)", "Macro", "1"));
        writes = scenario.writes();
        QCOMPARE(writes.size(), 2);
        QCOMPARE(writes.at(0).value("address").toString(), QStringLiteral("0x1250"));
        QCOMPARE(writes.at(0).value("data").toString(), slotData("81,81,00,01,81,00,03,ff,00,07,01,00"));
        QCOMPARE(writes.at(1).value("id").toInt(), 44);
        QCOMPARE(writes.at(1).value("data").toString(), QStringLiteral("04,00,00,0c"));

        // K1.0 Index 45 is the key B: its macro reference is written as it
        // is, and an empty count is 0.
        scenario.clearLog();
        QVERIFY(scenario.write(kK1, "K1.0", "45", "按下(B)弹起(B)", "Macro", ""));
        writes = scenario.writes();
        QCOMPARE(writes.at(0).value("data").toString(), slotData("84,05,00,04,05,00,07,00,00"));
        QCOMPARE(writes.at(1).value("id").toInt(), 45);
        QCOMPARE(writes.at(1).value("data").toString(), QStringLiteral("04,00,01,09"));
    }

    void aFullStoreIsErasedOnceAndTheMacroLandsInSlotZero()
    {
        WriteScenario scenario(familyDevices(), {kM1});
        QList<int> slotNumbers;
        int erases = 0;
        for (int request = 1; request <= 31; ++request) {
            scenario.clearLog();
            QVERIFY2(scenario.write(kM1, "M1.0", "61", kPressA100, "Macro", "1"), qPrintable(QString::number(request)));
            const QList<QJsonObject> addressWrites = scenario.calls("dcWriteAddress");
            // Erases write 200 zeros to every slot; the macro is the last write.
            if (addressWrites.size() > 1) {
                ++erases;
                QCOMPARE(addressWrites.size(), 30 + 1);
                for (int i = 0; i < 30; ++i)
                    QCOMPARE(addressWrites.at(i).value("data").toString(), zeroBytes(200));
                QCOMPARE(hexOf(addressWrites.last().value("address").toString()), 0xA00u);
            }
            const QString button = scenario.calls("dcWriteProperty").last().value("data").toString();
            slotNumbers << int(hexOf(button.split(',').at(2)));
        }
        // The usable slots fill in order; the next request finds every slot
        // taken, erases the store once and lands in slot 0; the rest follow.
        QCOMPARE(slotNumbers.mid(0, 29), kUsableM1Slots);
        QCOMPARE(slotNumbers.mid(29), QList<int>({0, 1}));
        QCOMPARE(erases, 1);
    }

    void aStoreThatNeverOffersASlotFailsTheWrite()
    {
        // Memory ends before the first slot: every probe and write fails.
        WriteScenario scenario(
            R"({"vendorId":"258A","productId":"1007","interfaces":[{"collection":"02"}],"memorySize":"0x100"})", {kM1});
        QVERIFY(!scenario.write(kM1, "M1.0", "61", kPressA100, "Macro", "1"));
        // One pass, one erase, one more pass: then the write is reported failed
        // and the button keeps its assignment.
        QCOMPARE(scenario.calls("dcReadAddress").size(), 2 * 30);
        QVERIFY(scenario.calls("dcWriteProperty").isEmpty());
    }

    void slotRunsOnTheWorkerThreadAndReportsTheResult()
    {
        WriteScenario scenario(familyDevices(), {kM1});
        // Declared before the worker, so that they outlive it.
        QList<QThread*> emittedOn;
        QList<QPair<bool, QThread*>> results;
        // Stops the worker and deletes the handler however the test ends.
        struct Worker
        {
            QThread thread;
            device_data_handler* handler = new device_data_handler;
            ~Worker()
            {
                thread.quit();
                thread.wait();
                delete handler;
            }
        } worker;
        device_data_handler* handler = worker.handler;
        handler->registerDefaultDrivers();
        handler->setProfileSource(&scenario.cache);
        handler->moveToThread(&worker.thread);
        worker.thread.start();

        // Connected first: it has run before the queued answer is posted.
        connect(handler, &device_data_handler::SigcallbackReasult, handler,
                [&emittedOn] { emittedOn << QThread::currentThread(); }, Qt::DirectConnection);
        // The answers come back to this thread queued, as the window gets them.
        connect(handler, &device_data_handler::SigcallbackReasult, this,
                [&results](bool ok) { results << qMakePair(ok, QThread::currentThread()); });

        const auto request = [handler](const QString& driver) {
            return QMetaObject::invokeMethod(handler, "slot_writeDevice", Qt::QueuedConnection, Q_ARG(QString, kM1),
                                             Q_ARG(QString, driver), Q_ARG(QString, "61"),
                                             Q_ARG(QString, "RightClick"), Q_ARG(QString, "MouseFunction"),
                                             Q_ARG(QString, "1"), Q_ARG(QString, "0"), Q_ARG(QString, "0"));
        };
        QVERIFY(request("M1.0"));
        QVERIFY(request("K4.0"));
        QTRY_COMPARE_WITH_TIMEOUT(results.size(), 2, 10000);
        QCOMPARE(results.at(0).first, true);
        QCOMPARE(results.at(1).first, false);
        QCOMPARE(results.at(0).second, QThread::currentThread());
        QCOMPARE(emittedOn, QList<QThread*>({&worker.thread, &worker.thread}));
        QCOMPARE(scenario.writes().size(), 1);
        QCOMPARE(scenario.writes().at(0).value("data").toString(), QStringLiteral("01,02,00,00"));
    }
};

QTEST_GUILESS_MAIN(WriteDeviceTest)
#include "tst_write_device.moc"
