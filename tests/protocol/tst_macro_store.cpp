// Macro storage in free device slots and the W1.0 block write, checked on
// the calls that reach the emulator.
#include <QtTest>

#include "device_functions.h"
#include "device_scenario.h"
#include "driver_lookup.h"
#include "macro_block_w1.h"
#include "macro_encoding.h"
#include "macro_steps.h"
#include "macro_store.h"

namespace {

const QString kMouse = QStringLiteral("258A1007");

uint hexOf(QString text)
{
    if (text.startsWith("0x"))
        text = text.mid(2);
    return text.toUInt(nullptr, 16);
}

QList<uint> values(const QString& list)
{
    QList<uint> out;
    for (const QString& item : list.split(','))
        out << hexOf(item);
    return out;
}

// The M1.0 slots a run of macros fills. Slot 7's area ("0xE78") overlaps
// slot 6's (0xEB0), so it never reads blank once slot 6 holds a macro.
const QList<int> kUsableM1Slots = [] {
    QList<int> all;
    for (int i = 0; i < 30; ++i)
        if (i != 7)
            all << i;
    return all;
}();

// The Driver definitions and the device functions a macro is stored with.
struct MacroTarget {
    DriverLookup lookup;
    DeviceFunctions device;

    // Registers the Driver definitions, lists the emulated devices and loads
    // the definition for version, as a write request would.
    bool ready(const QString& version)
    {
        lookup.registerDefaultDrivers();
        device.listDevices();
        return lookup.loadDriver(version);
    }
};

MacroSteps pressA()
{
    return {{"keyDown", "04"}, {"keyUp", "04"}, {"delay", "100"}};
}

} // namespace

class MacroStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void storesTheTwelveByteMacroInSlotZero()
    {
        DeviceScenario scenario(plainMouse("1007"));
        MacroTarget target;
        QVERIFY(target.ready("M1.0"));
        scenario.clearLog();

        const QString code = encodeMacro(target.lookup, target.device, kMouse, pressA(), "1", false);
        QCOMPARE(values(code), QList<uint>({0x04, 0x00, 0x00, 0x0C}));
        const QList<QJsonObject> writes = scenario.calls("dcWriteAddress");
        QCOMPARE(writes.size(), 1);
        QCOMPARE(hexOf(writes.at(0).value("address").toString()), 0xA00u);
        QCOMPARE(writes.at(0).value("size").toInt(), 200);
        const QList<uint> bytes = values(writes.at(0).value("data").toString());
        QCOMPARE(bytes.size(), 200);
        QCOMPARE(bytes.mid(0, 12), QList<uint>({0x84, 0x04, 0x00, 0x04, 0x04, 0x00, 0x06, 0x64, 0x00, 0x07, 0x01, 0x00}));
        QCOMPARE(bytes.mid(12).count(0u), 188);

        // The next macro finds slot 0 taken and goes to slot 1.
        QCOMPARE(values(encodeMacro(target.lookup, target.device, kMouse, pressA(), "3", false)), QList<uint>({0x04, 0x00, 0x01, 0x0C}));
    }

    void leavesTheEndRecordOffOnM2()
    {
        DeviceScenario scenario(plainMouse("1007"));
        MacroTarget target;
        QVERIFY(target.ready("M2.0"));
        scenario.clearLog();

        QCOMPARE(values(encodeMacro(target.lookup, target.device, kMouse, pressA(), "1", false)), QList<uint>({0x04, 0x00, 0x00, 0x09}));
        const QList<QJsonObject> writes = scenario.calls("dcWriteAddress");
        QCOMPARE(writes.size(), 1);
        const QList<uint> bytes = values(writes.at(0).value("data").toString());
        QCOMPARE(bytes.mid(0, 9), QList<uint>({0x84, 0x04, 0x00, 0x04, 0x04, 0x00, 0x06, 0x64, 0x00}));
        QCOMPARE(bytes.mid(9).count(0u), 191);
    }

    void refusesMacrosThatCannotBeStored()
    {
        DeviceScenario scenario(plainMouse("1007"));
        MacroTarget target;
        QVERIFY(target.ready("M1.0"));
        scenario.clearLog();

        QCOMPARE(encodeMacro(target.lookup, target.device, kMouse, MacroSteps(), "1", false), QString());
        QCOMPARE(encodeMacro(target.lookup, target.device, kMouse, pressA(), "256", false), QString());
        // 67 steps of three bytes and the end record: 204 bytes, more than a slot.
        MacroSteps tooLong;
        for (int i = 0; i < 67; ++i)
            tooLong << MacroStep{"keyDown", "04"};
        QCOMPARE(encodeMacro(target.lookup, target.device, kMouse, tooLong, "1", false), QString());
        QVERIFY(scenario.calls().isEmpty());
        QCOMPARE(encodeMacro(target.lookup, target.device, "258AFFFF", pressA(), "1", false), QString());
    }

    void erasesTheFullStoreOnceAndStartsAgainAtSlotZero()
    {
        DeviceScenario scenario(plainMouse("1007"));
        MacroTarget target;
        QVERIFY(target.ready("M1.0"));
        const QString bytes = padMacroItems(macroItems(pressA(), 1, true)).join(',');

        QList<int> stored;
        for (int i = 0; i < 31; ++i) {
            if (i == kUsableM1Slots.size())
                scenario.clearLog();
            bool ok = false;
            stored << storeMacro(target.lookup, target.device, kMouse, bytes, &ok).toInt();
            QVERIFY(ok);
        }
        QCOMPARE(stored.mid(0, 29), kUsableM1Slots);
        // The 30th finds every slot taken, erases all thirty and takes slot 0.
        QCOMPARE(stored.mid(29), QList<int>({0, 1}));

        QList<QJsonObject> writes = scenario.calls("dcWriteAddress");
        QCOMPARE(writes.size(), 30 + 2);
        // The slots written "0xEBO" and "0x19AO" in the document are erased
        // where the slot rule puts them.
        QCOMPARE(hexOf(writes.at(6).value("address").toString()), 0xEB0u);
        QCOMPARE(hexOf(writes.at(20).value("address").toString()), 0x19A0u);
        for (int i = 0; i < 30; ++i) {
            QCOMPARE(values(writes.at(i).value("data").toString()).count(0u), 200);
            QCOMPARE(writes.at(i).value("result").toInt(), 1);
        }
        // No call reaches address 0, where an address that does not parse
        // would have gone.
        for (const QJsonObject& call : scenario.calls())
            if (call.contains("address"))
                QVERIFY(hexOf(call.value("address").toString()) >= 0xA00u);
    }

    void givesUpAfterOneEraseWhenNoSlotIsEverFree()
    {
        // Memory ends before the first slot: every probe and every write fails.
        DeviceScenario scenario(
            R"({"vendorId":"258A","productId":"1007","interfaces":[{"collection":"02"}],"memorySize":"0x100"})");
        MacroTarget target;
        QVERIFY(target.ready("M1.0"));
        scenario.clearLog();

        bool ok = true;
        const QString bytes = padMacroItems(macroItems(pressA(), 1, true)).join(',');
        QCOMPARE(storeMacro(target.lookup, target.device, kMouse, bytes, &ok), QStringLiteral("0"));
        QVERIFY(!ok);
        QCOMPARE(scenario.calls("dcReadAddress").size(), 2 * 30);
        QCOMPARE(scenario.calls("dcWriteAddress").size(), 30);
        QCOMPARE(encodeMacro(target.lookup, target.device, kMouse, pressA(), "1", false), QString());
    }

    void storesK2MacrosInUnits181To200()
    {
        DeviceScenario scenario(plainMouse("1007", R"({"181":"01","182":"0,0,0,0,0,0,0,0,0,05"})"));
        MacroTarget target;
        QVERIFY(target.ready("K2.0"));
        scenario.clearLog();

        QCOMPARE(values(encodeMacro(target.lookup, target.device, kMouse, pressA(), "1", true)), QList<uint>({0x04, 0x02, 0x0C, 0x00}));
        const QList<QJsonObject> writes = scenario.calls("dcWriteProperty");
        QCOMPARE(writes.size(), 1);
        QCOMPARE(writes.at(0).value("id").toInt(), 183);
        QCOMPARE(values(writes.at(0).value("data").toString()).mid(0, 3), QList<uint>({0x84, 0x04, 0x00}));
    }

    void shortK2MacrosTakeUnitsOfTheirOwn()
    {
        // Nine bytes (press, release, end record): all but the first eight
        // of the unit are zeros, and the unit is still taken.
        DeviceScenario scenario(plainMouse("1007"));
        MacroTarget target;
        QVERIFY(target.ready("K2.0"));
        const MacroSteps a{{"keyDown", "04"}, {"keyUp", "04"}};
        const MacroSteps b{{"keyDown", "05"}, {"keyUp", "05"}};
        QCOMPARE(values(encodeMacro(target.lookup, target.device, kMouse, a, "1", true)), QList<uint>({0x04, 0x00, 0x09, 0x00}));
        QCOMPARE(values(encodeMacro(target.lookup, target.device, kMouse, b, "1", true)), QList<uint>({0x04, 0x01, 0x09, 0x00}));
    }

    void erasesAFullK2StoreFirst()
    {
        DeviceScenario scenario(
            plainMouse("1007", R"({"181":"01","190":"0,0,0,01","200":"07"})"));
        MacroTarget target;
        QVERIFY(target.ready("K2.0"));
        scenario.clearLog();

        bool ok = false;
        const QString bytes = padMacroItems(macroItems(pressA(), 1, true)).join(',');
        QCOMPARE(storeMacroK2(target.lookup, target.device, kMouse, bytes, &ok), QStringLiteral("0"));
        QVERIFY(ok);
        const QList<QJsonObject> writes = scenario.calls("dcWriteProperty");
        QCOMPARE(writes.size(), 21);
        for (int i = 0; i < 20; ++i) {
            QCOMPARE(writes.at(i).value("id").toInt(), 181 + i);
            QCOMPARE(values(writes.at(i).value("data").toString()).count(0u), 200);
        }
        QCOMPARE(writes.at(20).value("id").toInt(), 181);
        QCOMPARE(writes.at(20).value("data").toString().left(5).toLower(), QStringLiteral("84,04"));
    }

    void writesTheW1BlockAtTheButtonsAddress()
    {
        DeviceScenario scenario(w1Mouse("25A7FA91", "1011"));
        MacroTarget target;
        QVERIFY(target.ready("W1.0"));
        scenario.clearLog();

        QVERIFY(encodeMacroW1(target.device, {{"keyDown", "04"}, {"delay", "10"}}, "25A7FA91", "62"));
        const QList<QJsonObject> writes = scenario.calls("dcW1WriteAddress");
        QCOMPARE(writes.size(), 1);
        QCOMPARE(hexOf(writes.at(0).value("address").toString()), 0x49Fu);
        QCOMPARE(values(writes.at(0).value("data").toString()),
                 QList<uint>({0x01, 0x81, 0x04, 0x00, 0x00, 0x0A, 0x00, 0x05, 0xC0}));

        // A block that would run into the next button's, an index that is
        // not a number and an empty macro write nothing.
        scenario.clearLog();
        MacroSteps tooLong;
        for (int i = 0; i < 77; ++i)
            tooLong << MacroStep{"keyDown", "04"} << MacroStep{"delay", "1"};
        QVERIFY(!encodeMacroW1(target.device, tooLong, "25A7FA91", "61"));
        QVERIFY(!encodeMacroW1(target.device, pressA(), "25A7FA91", "B"));
        QVERIFY(!encodeMacroW1(target.device, MacroSteps(), "25A7FA91", "61"));
        QVERIFY(scenario.calls().isEmpty());
    }
};

QTEST_GUILESS_MAIN(MacroStoreTest)
#include "tst_macro_store.moc"
