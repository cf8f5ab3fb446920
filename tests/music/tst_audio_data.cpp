// The music analysis: a track of known tones gives its peaks at the right
// harmonics in the music data sent to the lighting view, silence gives
// nothing, and nothing is sent after the end or without a track.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QtTest>

#include <algorithm>

#include "audio_data.h"
#include "music_test_support.h"

using namespace MusicTest;

namespace {

constexpr int kRate = 8000;

QList<int> dataOf(const QString& text)
{
    QList<int> values;
    for (const QJsonValue& value : QJsonDocument::fromJson(text.toUtf8()).object().value("data").toArray())
        values << value.toInt(-1);
    return values;
}

bool waitForWholeTrack(AudioData& audio)
{
    QElapsedTimer timer;
    timer.start();
    while (audio.player().trackFrames() < 0 && timer.elapsed() < 10000)
        QThread::msleep(2);
    return audio.player().trackFrames() >= 0;
}

} // namespace

class AudioDataTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void knownTonesReachTheLightingView()
    {
        // Left: half scale on harmonic 32 (500 Hz); right: full scale on 80.
        const QString path = m_dir.filePath("tones.wav");
        QVERIFY(writeWav(path, kRate, 2 * kRate, [](qint64 frame, int channel) {
            return channel == 0 ? harmonicSine(32, frame, 0.5) : harmonicSine(80, frame, 1.0);
        }));
        ManualClock clock;
        AudioData audio(silentOutputs(clock));
        audio.setLightingView("lights");
        QSignalSpy sent(&audio, &AudioData::musicData);
        QSignalSpy amplitude(&audio, &AudioData::amplitudeChanged);
        QVERIFY(audio.open(path));
        QVERIFY(waitForWholeTrack(audio));
        audio.playMusic();
        QCOMPARE(audio.isPlaying(), 1);
        QVERIFY(audio.timerActive());

        clock.advanceMs(500);
        audio.refreshDatas();
        QCOMPARE(sent.size(), 1);
        QCOMPARE(amplitude.size(), 1);
        QCOMPARE(audio.position(), 500);
        QCOMPARE(sent.at(0).at(0).toString(), QString("lights"));
        const QList<int> data = dataOf(sent.at(0).at(1).toString());
        QCOMPARE(data.size(), 257);
        QCOMPARE(int(std::max_element(data.begin(), data.end()) - data.begin()), 32);
        QCOMPARE(data.at(32), 114);
        QVERIFY(data.at(100) < 50);
        QCOMPARE(audio.amplitude().size(), 257);
        QCOMPARE(audio.amplitude().at(32).toInt(), 114);
        const Spectrum& spectrum = audio.spectrum();
        QCOMPARE(spectrum.frequencies[32], 500);
        QCOMPARE(spectrum.rightAmplitudes[80], 120);
        QCOMPARE(audio.pcmData().size(), 512);
    }

    void silenceGivesNearZeroAndTheEndEndsTheData()
    {
        const QString path = m_dir.filePath("silence.wav");
        QVERIFY(writeWav(path, kRate, kRate / 2, [](qint64, int) { return 0.0f; }));
        ManualClock clock;
        AudioData audio(silentOutputs(clock));
        audio.setLightingView("lights");
        QSignalSpy sent(&audio, &AudioData::musicData);
        QSignalSpy playing(&audio, &AudioData::isPlayingChanged);
        QVERIFY(audio.open(path));
        QVERIFY(waitForWholeTrack(audio));
        audio.playMusic();
        clock.advanceMs(300);
        audio.refreshDatas();
        QCOMPARE(sent.size(), 1);
        for (const int value : dataOf(sent.at(0).at(1).toString()))
            QVERIFY(value <= 1);

        // Past the end: nothing more, though the timer runs on.
        clock.advanceMs(300);
        audio.refreshDatas();
        clock.advanceMs(20);
        audio.refreshDatas();
        QTest::qWait(3 * AudioData::kRefreshMs);
        QCOMPARE(sent.size(), 1);
        QVERIFY(audio.timerActive());
        QCOMPARE(audio.isPlaying(), 0);
        QCOMPARE(playing.size(), 2);   // on at play, off at the end

        audio.stopMusic();
        QVERIFY(!audio.timerActive());
    }

    void aMissingTrackLogsAndSendsNothing()
    {
        TestLog log;
        ManualClock clock;
        AudioData audio(silentOutputs(clock));
        audio.setLightingView("lights");
        QSignalSpy sent(&audio, &AudioData::musicData);
        audio.setSource(m_dir.filePath("ttd.mp3"));
        audio.playMusic();
        QVERIFY(audio.timerActive());
        clock.advanceMs(100);
        audio.refreshDatas();
        QCOMPARE(sent.size(), 0);
        QCOMPARE(audio.isPlaying(), 0);
        QVERIFY2(log.text().contains("file open failed: System error : No such file or directory."),
                 qPrintable(log.text()));
    }

    void withoutALightingViewNothingIsSent()
    {
        const QString path = m_dir.filePath("quiet.wav");
        QVERIFY(writeWav(path, kRate, kRate, [](qint64, int) { return 0.0f; }));
        ManualClock clock;
        AudioData audio(silentOutputs(clock));
        QSignalSpy sent(&audio, &AudioData::musicData);
        QSignalSpy amplitude(&audio, &AudioData::amplitudeChanged);
        QVERIFY(audio.open(path));
        QVERIFY(waitForWholeTrack(audio));
        audio.playMusic();
        clock.advanceMs(100);
        audio.refreshDatas();
        QCOMPARE(amplitude.size(), 1);
        QCOMPARE(sent.size(), 0);
    }
};

QTEST_GUILESS_MAIN(AudioDataTest)
#include "tst_audio_data.moc"
