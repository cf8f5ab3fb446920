// What the hidraw transport knows of real devices, as pure functions: the
// report descriptor's collections, the frames of each family against the
// golden vectors of public sources, the last check before a frame leaves,
// and the pacing of W1 mice.
#include <QtTest>

#include <chrono>
#include <vector>

#include "family_a_query.h"
#include "family_b_frame.h"
#include "frame_guard.h"
#include "frame_pacer.h"
#include "hidraw_fixtures.h"
#include "report_descriptor.h"
#include "w1_frame.h"

namespace {

std::optional<ReportDescriptor> parse(const QByteArray& bytes, QString* why = nullptr)
{
    return parseReportDescriptor(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                 static_cast<std::size_t>(bytes.size()), why);
}

QByteArray hexOf(const std::uint8_t* data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<int>(size)).toHex(' ').toUpper();
}

template <typename Frame>
QByteArray hexOf(const Frame& frame)
{
    return hexOf(frame.data(), frame.size());
}

QByteArray bytes(const char* hex)
{
    return QByteArray::fromHex(hex);
}

const std::uint8_t* u8(const QByteArray& b)
{
    return reinterpret_cast<const std::uint8_t*>(b.constData());
}

} // namespace

class HidrawFramesTest : public QObject
{
    Q_OBJECT

private slots:
    void descriptorsAreReadIntoTheirCollections()
    {
        const auto mouse = parse(HidrawFixtures::mouseInterface1());
        QVERIFY(mouse);
        QVERIFY(mouse->usesReportIds);
        QCOMPARE(int(mouse->collections.size()), 3);
        const HidCollection& keyboard = mouse->collections.at(0);
        QCOMPARE(keyboard.usagePage, std::uint16_t(0x01));
        QCOMPARE(keyboard.usage, std::uint16_t(0x06));
        QCOMPARE(keyboard.report(1, HidReportType::Input)->bytes(), 8u);
        QVERIFY(!keyboard.isVendor());
        QCOMPARE(mouse->collections.at(1).usagePage, std::uint16_t(0x0C));
        QCOMPARE(mouse->collections.at(1).report(2, HidReportType::Input)->bytes(), 2u);
        const HidCollection& vendor = mouse->collections.at(2);
        QVERIFY(vendor.isVendor());
        QCOMPARE(vendor.usagePage, std::uint16_t(0xFF00));
        QCOMPARE(vendor.report(4, HidReportType::Feature)->bytes(), 519u);
        QCOMPARE(vendor.report(5, HidReportType::Feature)->bytes(), 5u);
        QCOMPARE(vendor.report(7, HidReportType::Input)->bytes(), 7u);
        QVERIFY(!vendor.report(7, HidReportType::Feature));

        const auto plain = parse(HidrawFixtures::mouseInterface0());
        QVERIFY(plain);
        QVERIFY(!plain->usesReportIds);
        QCOMPARE(int(plain->collections.size()), 1);
        QCOMPARE(plain->collections.at(0).report(0, HidReportType::Input)->bytes(), 5u);

        const auto w1 = parse(HidrawFixtures::w1Interface1());
        QVERIFY(w1);
        QCOMPARE(int(w1->collections.size()), 2);
        QCOMPARE(w1->collections.at(0).usagePage, std::uint16_t(0xFF01));
        QCOMPARE(w1->collections.at(0).report(9, HidReportType::Input)->bytes(), 16u);
        QCOMPARE(w1->collections.at(1).usagePage, std::uint16_t(0xFF02));
        QCOMPARE(w1->collections.at(1).report(8, HidReportType::Feature)->bytes(), 16u);

        const auto typing = parse(HidrawFixtures::keyboardTyping());
        QVERIFY(typing);
        QCOMPARE(int(typing->collections.size()), 1);
        QVERIFY(!typing->collections.at(0).isVendor());

        // A four-byte usage names its own page; a long item is skipped.
        const auto extended = parse(bytes("0b010000ffa101fe0200aabb850175089502b102c0"));
        QVERIFY(extended);
        QCOMPARE(extended->collections.at(0).usagePage, std::uint16_t(0xFF00));
        QCOMPARE(extended->collections.at(0).usage, std::uint16_t(0x0001));
        QCOMPARE(extended->collections.at(0).report(1, HidReportType::Feature)->bytes(), 2u);
        QVERIFY(parse(QByteArray()));
    }

    void malformedDescriptorsAreRefusedWhole_data()
    {
        QTest::addColumn<QByteArray>("descriptor");
        QTest::newRow("item past the end") << bytes("0600ff0901a10185");
        QTest::newRow("long item past the end") << bytes("fe10");
        QTest::newRow("end without a collection") << bytes("c0");
        QTest::newRow("never ended") << bytes("0600ff0901a101850475089502b102");
        QTest::newRow("pop without push") << bytes("b4");
        QTest::newRow("report id 0") << bytes("0600ff0901a1018500c0");
        QTest::newRow("report outside a collection") << bytes("75089502b102");
        QTest::newRow("report of 128 KiB") << bytes("0600ff0901a101850175089700000200b102c0");
        QByteArray nested;
        for (int i = 0; i < 40; ++i)
            nested += bytes("a101");
        QTest::newRow("nested too deep") << nested;
        QByteArray many;
        for (int i = 0; i < 65; ++i)
            many += bytes("0600ff0901a101c0");
        QTest::newRow("65 collections") << many;
        QTest::newRow("over 4096 bytes") << QByteArray(4097, '\0');
        QByteArray pushes;
        for (int i = 0; i < 9; ++i)
            pushes += bytes("a4");
        QTest::newRow("nine pushes") << pushes;
    }

    void malformedDescriptorsAreRefusedWhole()
    {
        QFETCH(QByteArray, descriptor);
        QString why;
        QVERIFY(!parse(descriptor, &why));
        QVERIFY(!why.isEmpty());
    }

    // Golden vectors: the public capture note of 25a7:fa07/fa08 and
    // dokutan/mouse_m908 include/m913/data.cpp @56c46e43 (lines 249, 279,
    // 295), as HARDWARE.md lists them.
    void w1FramesMatchThePublicCaptures()
    {
        QCOMPARE(hexOf(*W1Frame::build(W1Frame::kPrepare, 0, nullptr, 0)),
                 QByteArray("08 03 00 00 00 00 00 00 00 00 00 00 00 00 00 00 4A"));
        const QByteArray keyA = bytes("0281040041040089");
        QCOMPARE(hexOf(*W1Frame::build(W1Frame::kWrite, 0x100, u8(keyA), 8)),
                 QByteArray("08 07 00 01 00 08 02 81 04 00 41 04 00 89 00 00 E8"));
        const QByteArray dpi = bytes("0000005502020051");
        QCOMPARE(hexOf(*W1Frame::build(W1Frame::kWrite, 0x0C, u8(dpi), 8)),
                 QByteArray("08 07 00 00 0C 08 00 00 00 55 02 02 00 51 00 00 88"));
        const QByteArray rainbow = bytes("ff00ff57035280d5");
        QCOMPARE(hexOf(*W1Frame::build(W1Frame::kWrite, 0x54, u8(rainbow), 8)),
                 QByteArray("08 07 00 00 54 08 FF 00 FF 57 03 52 80 D5 00 00 EB"));
        // A read of 10 bytes carries the length, no data.
        const QByteArray none(10, '\0');
        auto read = W1Frame::build(W1Frame::kRead, 0, u8(none), 10);
        QCOMPARE(hexOf(*read), QByteArray("08 08 00 00 00 0A 00 00 00 00 00 00 00 00 00 00 3B"));

        // The factory reset cannot be built, nor more than ten data bytes.
        const QByteArray zero(1, '\0');
        QVERIFY(!W1Frame::build(W1Frame::kFactoryReset, 0, u8(zero), 1));
        const QByteArray eleven(11, '\1');
        QVERIFY(!W1Frame::build(W1Frame::kWrite, 0, u8(eleven), 11));

        // The answer to the prepare command, and what is not one.
        const QByteArray answer = bytes("0903000000010100000000000000000047");
        QVERIFY(W1Frame::answers(u8(answer), 17, W1Frame::kPrepare));
        QVERIFY(!W1Frame::answers(u8(answer), 17, W1Frame::kWrite));
        QByteArray corrupted = answer;
        corrupted[7] = 1;
        QVERIFY(!W1Frame::answers(u8(corrupted), 17, W1Frame::kPrepare));
        QVERIFY(!W1Frame::answers(u8(answer), 16, W1Frame::kPrepare));
    }

    // Golden vectors: libratbag src/driver-sinowealth-nubwo.c @805e7fb7
    // (lines 52-54, 203-211), Taiko2k/325RS-config-tool main.py @aca49770
    // (lines 24-39, 88) and libratbag pull request 1719 (lines 171-189), as
    // HARDWARE.md lists them.
    void familyBFramesMatchThePublicTools()
    {
        const QByteArray rate = bytes("01");
        QCOMPARE(hexOf(FamilyBFrame::build(2, 16, FamilyBFrame::kShortWrite, 0x28, u8(rate), 1)),
                 QByteArray("02 06 BB AA 28 00 01 00 01 00 00 00 00 00 00 00"));
        const QByteArray stage = bytes("0110001000ffffff");
        QCOMPARE(hexOf(FamilyBFrame::build(2, 16, FamilyBFrame::kShortWrite, 0x32, u8(stage), 8)),
                 QByteArray("02 06 BB AA 32 00 08 00 01 10 00 10 00 FF FF FF"));
        QCOMPARE(hexOf(FamilyBFrame::build(2, 16, 0x03, 0x02, nullptr, 0)),
                 QByteArray("02 03 BB AA 02 00 00 00 00 00 00 00 00 00 00 00"));
        QCOMPARE(hexOf(FamilyBFrame::readRequest(0x0C00, 200)),
                 QByteArray("02 05 BB AA 00 0C C8 00 00 00 00 00 00 00 00 00"));
        // Lighting on report 3 (64 bytes): the layout HARDWARE.md gives from
        // the same sources, "03 06 BB AA 2A 00 0A 00 r g b mode 00
        // brightness speed".
        const QByteArray light = bytes("ff8000030004020000000000");
        const auto lighting = FamilyBFrame::build(3, 64, FamilyBFrame::kShortWrite, 0x2A, u8(light), 10);
        QCOMPARE(lighting.size(), std::size_t(64));
        QCOMPARE(hexOf(lighting.data(), 18), QByteArray("03 06 BB AA 2A 00 0A 00 FF 80 00 03 00 04 02 00 00 00"));
        // Data that does not fit the report: no frame.
        const QByteArray nine(9, '\1');
        QVERIFY(FamilyBFrame::build(2, 16, FamilyBFrame::kShortWrite, 0, u8(nine), 9).empty());
        QCOMPARE(FamilyBFrame::build(4, 256, FamilyBFrame::kLongWrite, 0xC00, u8(nine), 9).size(), std::size_t(256));
    }

    // Golden vectors: libratbag src/driver-sinowealth.c @805e7fb7 (lines
    // 1045-1053, 1164-1174).
    void familyAQueriesAreTheReadingOnes()
    {
        QCOMPARE(hexOf(*FamilyAQuery::build(FamilyAQuery::kFirmwareVersion)), QByteArray("05 01 00 00 00 00"));
        QCOMPARE(hexOf(*FamilyAQuery::build(0x11)), QByteArray("05 11 00 00 00 00"));
        QVERIFY(!FamilyAQuery::build(0x75));
        int allowed = 0;
        for (int cmd = 0; cmd < 256; ++cmd)
            allowed += FamilyAQuery::isAllowed(static_cast<std::uint8_t>(cmd)) ? 1 : 0;
        QCOMPARE(allowed, 8);
    }

    void aFrameLeavesOnlyAsTheDescriptorDeclaresIt()
    {
        const auto mouse = parse(HidrawFixtures::mouseInterface1());
        const auto query = *FamilyAQuery::build(FamilyAQuery::kFirmwareVersion);
        QCOMPARE(frameRefusal(*mouse, query.data(), query.size()), QString());
        QVERIFY(frameRefusal(*mouse, query.data(), 5).contains("not 5"));
        const QByteArray boot = bytes("057500000000");
        QVERIFY(frameRefusal(*mouse, u8(boot), 6).contains("05 75"));
        const auto w1 = *W1Frame::build(W1Frame::kPrepare, 0, nullptr, 0);
        QVERIFY(frameRefusal(*mouse, w1.data(), w1.size()).contains("no such report"));
        const auto w1Device = parse(HidrawFixtures::w1Interface1());
        QCOMPARE(frameRefusal(*w1Device, w1.data(), w1.size()), QString());
        // Report 9 is the W1 mouse's input report: no feature of that id.
        const QByteArray input = bytes("0903000000010100000000000000000047");
        QVERIFY(!frameRefusal(*w1Device, u8(input), 17).isEmpty());
        QVERIFY(!frameRefusal(*w1Device, nullptr, 0).isEmpty());
    }

    void w1FramesAreKeptThreeHundredMillisecondsApart()
    {
        using namespace std::chrono;
        steady_clock::time_point now{};
        std::vector<milliseconds> waits;
        FramePacer pacer(FramePacer::kW1Interval, [&] { return now; },
                         [&](milliseconds wait) {
                             waits.push_back(wait);
                             now += wait;
                         });
        pacer.pace(); // the first frame goes at once
        QVERIFY(waits.empty());
        now += milliseconds(100);
        pacer.pace();
        QCOMPARE(waits, std::vector<milliseconds>{milliseconds(200)});
        now += milliseconds(400);
        pacer.pace();
        QCOMPARE(waits.size(), std::size_t(1));
        pacer.pace(); // back to back
        QCOMPARE(waits.back(), milliseconds(300));
    }
};

QTEST_GUILESS_MAIN(HidrawFramesTest)
#include "tst_hidraw_frames.moc"
