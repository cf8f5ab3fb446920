// The family table: it covers every Driver definition the program registers,
// agrees with the device layer on the W1 key range, and picks the writer a
// request is carried out with.
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include "byte_list_text.h"
#include "device_family.h"
#include "driver_lookup.h"

class DeviceFamilyTest : public QObject
{
    Q_OBJECT

private slots:
    void coversEveryDefinition()
    {
        DriverLookup lookup;
        lookup.registerDefaultDrivers();
        const QStringList definitions = lookup.registeredVersions();
        QVERIFY(!definitions.isEmpty());
        for (const QString& version : definitions)
            QVERIFY2(DeviceFamilies::find(version), qPrintable(version));
        // Every family is written with a definition the program has.
        for (const QString& version : DeviceFamilies::versions())
            QVERIFY2(definitions.contains(DeviceFamilies::find(version)->definition), qPrintable(version));
        QCOMPARE(DeviceFamilies::find("K3.0")->definition, QString("K2.0"));
        // Every record the pages read is one the program read.
        const QJsonObject pages = QJsonDocument::fromJson(DeviceFamilies::document()).object();
        QCOMPARE(pages.keys().size(), DeviceFamilies::versions().size());
    }

    void unknownVersionsAreNotFamilies()
    {
        for (const char* version : {"K4.0", "m1.0", "", "M1.0 ", "W1"})
            QVERIFY2(!DeviceFamilies::find(version), version);
        QVERIFY(!DeviceFamilies::forWrite("258A1007", "K4.0"));
        QVERIFY(!DeviceFamilies::forWrite("25A7FA91", "K4.0"));
    }

    // The device layer recognises the W1 devices by the same range.
    void keyRangeMatchesTheDeviceLayer()
    {
        for (const char* key : {"25A7F9FF", "25A7FA00", "25A7FA91", "25A7FAFF", "25A7FB00", "258A1007", "zz", ""}) {
            const DeviceFamily* family = DeviceFamilies::ofDeviceKey(key);
            QCOMPARE(family != nullptr, ByteListText::isW1FamilyKey(key));
            if (family)
                QCOMPARE(family->version, QString("W1.0"));
        }
    }

    void theWriterOfARequest()
    {
        using Writer = DeviceFamily::Writer;
        QCOMPARE(DeviceFamilies::forWrite("258A1007", "M1.0")->writer, Writer::Property);
        // A device of the W1 range is written by address whatever the
        // request names, unless it names a keyboard profile family.
        QCOMPARE(DeviceFamilies::forWrite("25A7FA91", "M1.0")->writer, Writer::Address);
        QCOMPARE(DeviceFamilies::forWrite("25A7FA91", "W1.0")->writer, Writer::Address);
        QCOMPARE(DeviceFamilies::forWrite("25A7FA91", "K3.0")->writer, Writer::KeyboardProfile);
        QCOMPARE(DeviceFamilies::forWrite("258A0151", "K3.0")->macroStore, DeviceFamily::MacroStore::Units);
        QCOMPARE(DeviceFamilies::forWrite("258A0049", "K1.0")->macroStore, DeviceFamily::MacroStore::Slots);
        // The play bytes ride in the button code on M2.0 and M4.0 only.
        QStringList carrying;
        for (const QString& version : DeviceFamilies::versions()) {
            if (DeviceFamilies::find(version)->repeatInButtonCode)
                carrying << version;
        }
        carrying.sort();
        QCOMPARE(carrying, QStringList({"M2.0", "M4.0"}));
    }
};

QTEST_GUILESS_MAIN(DeviceFamilyTest)
#include "tst_device_family.moc"
