// What may reach a real device: the family judged from the descriptor, the
// decision for each access level and operation, the user's per-device
// choices (which hold only for the exact device and firmware), and the log
// line of every frame.
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include "access_choices.h"
#include "device_family_guess.h"
#include "frame_log.h"
#include "hidraw_fixtures.h"
#include "report_descriptor.h"
#include "w1_frame.h"
#include "write_policy.h"

namespace {

ReportDescriptor parsed(const QByteArray& bytes)
{
    return *parseReportDescriptor(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                  static_cast<std::size_t>(bytes.size()));
}

DeviceIdentity mouse()
{
    DeviceIdentity d;
    d.vendor = 0x258A;
    d.product = 0x0029;
    d.interfaceNumber = 1;
    d.descriptorHash = QByteArray(64, 'a');
    d.firmware = QStringLiteral("0910");
    return d;
}

} // namespace

class HidrawPolicyTest : public QObject
{
    Q_OBJECT

private slots:
    void theFamilyComesFromTheReportsNotTheProductId()
    {
        QCOMPARE(guessFamily(0x258A, parsed(HidrawFixtures::mouseInterface1())), RealFamily::FamilyA);
        QCOMPARE(guessFamily(0x25A7, parsed(HidrawFixtures::w1Interface1())), RealFamily::W1);
        // The W1 shape under the other vendor is not W1.
        QCOMPARE(guessFamily(0x258A, parsed(HidrawFixtures::w1Interface1())), RealFamily::ListOnly);
        QCOMPARE(guessFamily(0x258A, parsed(HidrawFixtures::keyboardTyping())), RealFamily::ListOnly);
        QCOMPARE(guessFamily(0x258A, parsed(HidrawFixtures::mouseInterface0())), RealFamily::ListOnly);
        const QByteArray familyB = QByteArray::fromHex("0600ff0901a1018502750895 0fb102850496ff00b102c0");
        QCOMPARE(guessFamily(0x258A, parsed(familyB)), RealFamily::FamilyB);
    }

    void decisionsFollowTheLevelAndNeverReachFirmwareOrTheFactoryReset()
    {
        const RealFamily families[] = {RealFamily::W1, RealFamily::FamilyA, RealFamily::FamilyB, RealFamily::ListOnly};
        const AccessLevel levels[] = {AccessLevel::ReadOnly, AccessLevel::DryRun, AccessLevel::Experimental,
                                      AccessLevel::Verified};
        for (RealFamily family : families) {
            for (AccessLevel level : levels) {
                QCOMPARE(decide(level, family, Operation::BootLoader), Decision::Refuse);
                QCOMPARE(decide(level, family, Operation::FactoryReset), Decision::Refuse);
                for (Operation op : {Operation::Query, Operation::Write, Operation::Lighting}) {
                    const Decision d = decide(level, family, op);
                    if (level == AccessLevel::ReadOnly || family == RealFamily::ListOnly)
                        QCOMPARE(d, Decision::Refuse);
                    else if (level == AccessLevel::DryRun)
                        QCOMPARE(d, Decision::DryRun);
                }
            }
        }
        // The opt-in sends Family A's queries only; writes stay dry runs
        // until a device owner confirmed the device.
        QCOMPARE(decide(AccessLevel::Experimental, RealFamily::FamilyA, Operation::Query), Decision::Send);
        QCOMPARE(decide(AccessLevel::Experimental, RealFamily::FamilyA, Operation::Write), Decision::DryRun);
        QCOMPARE(decide(AccessLevel::Experimental, RealFamily::W1, Operation::Write), Decision::DryRun);
        QCOMPARE(decide(AccessLevel::Experimental, RealFamily::FamilyB, Operation::Query), Decision::DryRun);
        QCOMPARE(decide(AccessLevel::Verified, RealFamily::W1, Operation::Write), Decision::Send);
        QVERIFY(verifiedDevices().isEmpty());
        // The W1 factory reset cannot even be built.
        const std::uint8_t zero = 0;
        QVERIFY(!W1Frame::build(W1Frame::kFactoryReset, 0, &zero, 1));
    }

    void aChoiceHoldsForTheExactDeviceAndFirmwareOnly()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("hidraw-access.json");
        AccessChoices choices = AccessChoices::load(path);
        QCOMPARE(choices.levelFor(mouse()), AccessLevel::ReadOnly);
        QVERIFY(choices.set(mouse(), AccessLevel::Experimental));
        QVERIFY(!choices.set(mouse(), AccessLevel::Verified));
        QVERIFY(choices.save(path));

        QString why;
        const AccessChoices again = AccessChoices::load(path, &why);
        QVERIFY2(why.isEmpty(), qPrintable(why));
        QCOMPARE(again.levelFor(mouse()), AccessLevel::Experimental);
        DeviceIdentity other = mouse();
        other.firmware = "0911";
        QCOMPARE(again.levelFor(other), AccessLevel::ReadOnly);
        other = mouse();
        other.descriptorHash = QByteArray(64, 'b');
        QCOMPARE(again.levelFor(other), AccessLevel::ReadOnly);
        other = mouse();
        other.interfaceNumber = 0;
        QCOMPARE(again.levelFor(other), AccessLevel::ReadOnly);

        // Back to read-only forgets the device.
        AccessChoices changed = again;
        QVERIFY(changed.set(mouse(), AccessLevel::ReadOnly));
        QCOMPARE(changed.size(), 0);
    }

    void aBadChoicesFileLeavesEveryDeviceReadOnly_data()
    {
        QTest::addColumn<QByteArray>("content");
        const QByteArray entry = "{\"vendor\":\"258A\",\"product\":\"0029\",\"interface\":1,\"descriptorSha256\":\""
                                 + QByteArray(64, 'a') + "\",\"firmware\":\"0910\",\"access\":\"%1\"}";
        QTest::newRow("not JSON") << QByteArray("{devices");
        QTest::newRow("verified by hand") << "{\"devices\":[" + QByteArray(entry).replace("%1", "verified") + "]}";
        QTest::newRow("unknown level") << "{\"devices\":[" + QByteArray(entry).replace("%1", "all") + "]}";
        QTest::newRow("short hash") << "{\"devices\":[" + QByteArray(entry).replace("%1", "dry-run").replace(QByteArray(64, 'a'), "ab") + "]}";
        QTest::newRow("too large") << QByteArray(70 * 1024, ' ');
    }

    void aBadChoicesFileLeavesEveryDeviceReadOnly()
    {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const QString path = dir.filePath("hidraw-access.json");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        QString why;
        const AccessChoices choices = AccessChoices::load(path, &why);
        QVERIFY(!why.isEmpty());
        QCOMPARE(choices.levelFor(mouse()), AccessLevel::ReadOnly);
    }

    void everyFrameIsOneJsonLineInTheLog()
    {
        const auto frame = *W1Frame::build(W1Frame::kPrepare, 0, nullptr, 0);
        const QByteArray line = frameLogLine("set_feature", "/dev/hidraw2", frame.data(), frame.size(),
                                             Decision::DryRun, "dry run chosen by the user");
        QVERIFY(!line.contains('\n'));
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        QCOMPARE(o.value("op").toString(), QString("set_feature"));
        QCOMPARE(o.value("node").toString(), QString("/dev/hidraw2"));
        QCOMPARE(o.value("report").toInt(), 8);
        QCOMPARE(o.value("length").toInt(), 17);
        QCOMPARE(o.value("hex").toString(), QString("08 03 00 00 00 00 00 00 00 00 00 00 00 00 00 00 4A"));
        QCOMPARE(o.value("decision").toString(), QString("dry-run"));

        QTemporaryDir dir;
        FrameLog log(dir.filePath("transport.log"));
        log.append(line);
        log.append(line);
        QFile file(dir.filePath("transport.log"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), line + '\n' + line + '\n');
        // Never through a link.
        QVERIFY(QFile::link(dir.filePath("elsewhere"), dir.filePath("linked.log")));
        FrameLog linked(dir.filePath("linked.log"));
        linked.append(line);
        QVERIFY(!QFile::exists(dir.filePath("elsewhere")));
    }
};

QTEST_GUILESS_MAIN(HidrawPolicyTest)
#include "tst_hidraw_policy.moc"
