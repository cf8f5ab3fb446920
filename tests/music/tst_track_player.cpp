// The player behind the music analysis: decoding ahead on a worker, the
// position as the output's clock, the frames at the position, the end of
// the track, and the silent clock where no audio device plays.
#include <QtTest>

#include <array>
#include <limits>

#include "music_test_support.h"
#include "track_player.h"

using namespace MusicTest;

namespace {

constexpr int kRate = 8000;

// Every frame tells where it lies: left = (frame % 1000) / 1000, right the
// negative.
float ramp(qint64 frame, int channel)
{
    const float value = float(frame % 1000) / 1000.0f;
    return channel == 0 ? value : -value;
}

// Waits until frame is decoded (the decoder runs on its own thread); -1:
// until the whole track is.
bool decodedUpTo(TrackPlayer& player, qint64 frame)
{
    auto done = [&] { return frame < 0 ? player.trackFrames() >= 0 : player.decodedFrames() >= frame; };
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 10000)
        QThread::msleep(2);
    return done();
}

// A device that plays until told it broke down.
struct BreakingDevice : AudioSink {
    PcmSource* source = nullptr;
    bool broken = false;
    bool start(PcmSource* s, int) override
    {
        source = s;
        return true;
    }
    void suspend() override {}
    void resume() override {}
    qint64 playedFrames() override { return played; }
    bool drained() override { return false; }
    bool failed() const override { return broken; }
    const char* kind() const override { return "audio device"; }
    qint64 played = 0;
};

} // namespace

class TrackPlayerTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void theWindowHoldsTheFramesHeardLast()
    {
        // Longer than the ring holds, so the ring wraps while it plays.
        const QString path = m_dir.filePath("ramp.wav");
        QVERIFY(writeWav(path, kRate, 30 * kRate, ramp));
        ManualClock clock;
        TrackPlayer player(silentOutputs(clock));
        QVERIFY(player.open(path));
        QCOMPARE(player.sampleRate(), kRate);
        QVERIFY(player.play());
        QVERIFY(player.onSilentClock());

        std::array<float, 512> left{}, right{};
        // At 10 ms only 80 frames were heard: the window starts with zeros.
        QVERIFY(decodedUpTo(player, 80));
        clock.advanceMs(10);
        QCOMPARE(player.positionFrames(), qint64(80));
        player.window(80, 512, left.data(), right.data());
        QCOMPARE(left[431], 0.0f);
        QCOMPARE(left[432], 0.0f);
        QCOMPARE(left[511], 0.079f);
        QCOMPARE(right[511], -0.079f);

        for (int second = 1; second <= 29; ++second) {
            QVERIFY(decodedUpTo(player, qint64(second) * kRate));
            clock.advanceMs(second == 1 ? 990 : 1000);
            QCOMPARE(player.positionMs(), qint64(second) * 1000);
        }
        const qint64 at = player.positionFrames();
        QCOMPARE(at, qint64(29 * kRate));
        player.window(at, 512, left.data(), right.data());
        for (int i = 0; i < 512; ++i)
            QCOMPARE(left[i], ramp(at - 512 + i, 0));
        QVERIFY(player.isPlaying());
    }

    void theEndStopsPlayingAndPlayStartsOver()
    {
        const QString path = m_dir.filePath("short.wav");
        QVERIFY(writeWav(path, kRate, kRate / 2, ramp));
        ManualClock clock;
        TrackPlayer player(silentOutputs(clock));
        QVERIFY(player.open(path));
        QVERIFY(decodedUpTo(player, -1));
        player.play();
        clock.advanceMs(400);
        QVERIFY(player.isPlaying());
        clock.advanceMs(200);
        QVERIFY(!player.isPlaying());
        QCOMPARE(player.positionMs(), qint64(500));
        clock.advanceMs(1000);
        QCOMPARE(player.positionMs(), qint64(500));

        QVERIFY(player.play());
        QVERIFY(decodedUpTo(player, kRate / 2));
        clock.advanceMs(100);
        QCOMPARE(player.positionMs(), qint64(100));
    }

    void pauseHoldsStopRewindsSeekMoves()
    {
        const QString path = m_dir.filePath("pause.wav");
        QVERIFY(writeWav(path, kRate, 4 * kRate, ramp));
        ManualClock clock;
        TrackPlayer player(silentOutputs(clock));
        QVERIFY(!player.play());   // nothing open
        QVERIFY(player.open(path));
        QVERIFY(decodedUpTo(player, 4 * kRate));
        player.play();
        clock.advanceMs(300);
        player.pause();
        clock.advanceMs(500);
        QCOMPARE(player.positionMs(), qint64(300));
        QVERIFY(!player.isPlaying());
        player.play();
        clock.advanceMs(200);
        QCOMPARE(player.positionMs(), qint64(500));

        QVERIFY(player.seek(3000));
        QVERIFY(decodedUpTo(player, 4 * kRate));
        clock.advanceMs(250);
        QCOMPARE(player.positionMs(), qint64(3250));
        std::array<float, 512> left{}, right{};
        player.window(player.positionFrames(), 512, left.data(), right.data());
        QCOMPARE(left[511], ramp(26000 - 1, 0));

        player.stop();
        QCOMPARE(player.positionMs(), qint64(0));
        QVERIFY(!player.isPlaying());
    }

    void hostileFilesAreRefusedOrCleaned()
    {
        // Not a sound file: refused with the decoder's text.
        const QString junk = m_dir.filePath("junk.mp3");
        QFile file(junk);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, '\x5a'));
        file.close();
        TrackPlayer player(silentOutputs(ManualClock()));
        QString error;
        QVERIFY(!player.open(junk, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!player.isOpen());
        QVERIFY(!player.open(m_dir.filePath("absent.mp3"), &error));
        QVERIFY2(error.contains("No such file"), qPrintable(error));

        // Samples that are not numbers, or far beyond full scale.
        const QString wild = m_dir.filePath("wild.wav");
        QVERIFY(writeWav(wild, kRate, 600, [](qint64 frame, int channel) {
            if (channel == 1)
                return frame % 2 ? std::numeric_limits<float>::infinity() : 1e30f;
            return frame % 2 ? std::numeric_limits<float>::quiet_NaN() : -1e30f;
        }));
        ManualClock clock;
        TrackPlayer wildPlayer(silentOutputs(clock));
        QVERIFY(wildPlayer.open(wild));
        QVERIFY(decodedUpTo(wildPlayer, 600));
        wildPlayer.play();
        clock.advanceMs(70);
        std::array<float, 512> left{}, right{};
        wildPlayer.window(wildPlayer.positionFrames(), 512, left.data(), right.data());
        QCOMPARE(left[510], -1.0f);
        QCOMPARE(left[511], 0.0f);
        QCOMPARE(right[510], 1.0f);
        QCOMPARE(right[511], 0.0f);
    }

    void withoutADeviceTheSilentClockRunsInRealTime()
    {
        MusicTest::TestLog log;
        const QString path = m_dir.filePath("long.wav");
        QVERIFY(writeWav(path, kRate, 10 * kRate, ramp));
        AudioOutputs outputs = AudioOutputs::system();
        outputs.device = [] { return std::make_unique<NoDevice>(); };
        TrackPlayer player(outputs);
        QVERIFY(player.open(path));
        QVERIFY(decodedUpTo(player, 2 * kRate));
        QElapsedTimer elapsed;
        elapsed.start();
        player.play();
        QVERIFY(player.onSilentClock());
        QTest::qWait(300);
        const qint64 position = player.positionMs();
        QVERIFY2(position >= 250 && position <= elapsed.elapsed() + 5, qPrintable(QString::number(position)));
        player.stop();
        player.play();
        QCOMPARE(log.text().count("music runs on a silent clock"), 1);
    }

    void aDeviceThatBreaksDownHandsOverToTheSilentClock()
    {
        MusicTest::TestLog log;
        const QString path = m_dir.filePath("device.wav");
        QVERIFY(writeWav(path, kRate, 4 * kRate, ramp));
        ManualClock clock;
        AudioOutputs outputs = silentOutputs(clock);
        BreakingDevice* device = nullptr;
        outputs.device = [&device] {
            auto sink = std::make_unique<BreakingDevice>();
            device = sink.get();
            return sink;
        };
        TrackPlayer player(outputs);
        QVERIFY(player.open(path));
        QVERIFY(decodedUpTo(player, 4 * kRate));
        player.play();
        QVERIFY(!player.onSilentClock());
        // The device took a second and played half of it.
        QCOMPARE(device->source->skipFrames(kRate), qint64(kRate));
        device->played = kRate / 2;
        QCOMPARE(player.positionMs(), qint64(500));
        device->broken = true;
        // The silent clock carries on after what the device had taken.
        QCOMPARE(player.positionMs(), qint64(1000));
        QVERIFY(player.onSilentClock());
        clock.advanceMs(500);
        QCOMPARE(player.positionMs(), qint64(1500));
        QVERIFY(log.text().contains("the audio device stopped"));
    }
};

QTEST_GUILESS_MAIN(TrackPlayerTest)
#include "tst_track_player.moc"
