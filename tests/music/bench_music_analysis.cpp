// Benchmark, not a test: the CPU time the music analysis takes per second
// of music at 50 updates a second (the 512-frame window, two FFTs, the
// music data text and the event handed on, serialised as the page channel
// serialises it), beside the time libsndfile takes to decode the same
// second, measured in the same run.
//
//   bench_music_analysis [TRACK]     (default: the shipped ttd.mp3)
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTextStream>
#include <QThread>

#include <ctime>
#include <vector>

#include "audio_data.h"
#include "music_data_text.h"
#include "music_test_support.h"
#include "sound_file.h"
#include "spectrum_analyzer.h"

namespace {

// CPU time of the calling thread, in nanoseconds.
qint64 threadCpuNs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

QString percentOfACore(double nsPerSecond)
{
    return QString::number(nsPerSecond / 1e7, 'f', 3) + " % of one core";
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QString track = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(SHIPPED_TRACK);

    // Reference: decoding the whole track on this thread.
    SoundFile file;
    QString error;
    if (!file.open(track, &error)) {
        out << "cannot open " << track << ": " << error << "\n";
        return 1;
    }
    const int rate = file.sampleRate();
    std::vector<float> chunk(4096 * 2);
    qint64 frames = 0;
    const qint64 decodeStart = threadCpuNs();
    for (qint64 got; (got = file.readStereo(chunk.data(), 4096)) > 0;)
        frames += got;
    const qint64 decodeNs = threadCpuNs() - decodeStart;
    const double seconds = double(frames) / rate;

    // The analysis as the refresh timer runs it, on a clock moved 20 ms a
    // step; each step's CPU time is summed.
    MusicTest::ManualClock clock;
    AudioData audio(MusicTest::silentOutputs(clock));
    audio.setLightingView(QStringLiteral("lighting"));
    qint64 sentBytes = 0;
    QObject::connect(&audio, &AudioData::musicData, [&sentBytes](const QString&, const QString& text) {
        const QVariantList args{text};
        sentBytes += QJsonDocument(QJsonArray::fromVariantList(args)).toJson(QJsonDocument::Compact).size();
    });
    if (!audio.open(track))
        return 1;
    audio.playMusic();
    const int updates = int(seconds * 1000 / AudioData::kRefreshMs) - 1;
    qint64 analysisNs = 0;
    for (int i = 0; i < updates; ++i) {
        clock.advanceMs(AudioData::kRefreshMs);
        const qint64 due = qint64(i + 1) * AudioData::kRefreshMs * rate / 1000;
        while (audio.player().decodedFrames() < due && audio.player().trackFrames() < 0)
            QThread::usleep(200);
        const qint64 start = threadCpuNs();
        audio.refreshDatas();
        analysisNs += threadCpuNs() - start;
    }
    audio.stopMusic();

    // The parts alone, on the same number of blocks.
    SpectrumAnalyzer analyzer;
    Spectrum spectrum;
    std::vector<float> left(512), right(512);
    for (int n = 0; n < 512; ++n) {
        left[n] = MusicTest::harmonicSine(40, n, 0.5);
        right[n] = MusicTest::harmonicSine(90, n, 0.25);
    }
    qint64 start = threadCpuNs();
    for (int i = 0; i < updates; ++i)
        analyzer.analyse(left.data(), right.data(), rate, spectrum);
    const qint64 fftNs = threadCpuNs() - start;
    start = threadCpuNs();
    qint64 textBytes = 0;
    for (int i = 0; i < updates; ++i)
        textBytes += musicDataText(spectrum.leftAmplitudes).size();
    const qint64 textNs = threadCpuNs() - start;

    out << "music analysis of " << track << " (" << QString::number(seconds, 'f', 1) << " s at " << rate
        << " Hz), " << updates << " updates, " << sentBytes / updates << " bytes an event\n";
    out << "  analysis (window, FFTs, text, event): " << QString::number(analysisNs / seconds / 1e6, 'f', 3)
        << " ms CPU per second of music = " << percentOfACore(analysisNs / seconds) << "\n";
    out << "    two FFTs with levels and phases: " << QString::number(fftNs / seconds / 1e6, 'f', 3)
        << " ms per second\n";
    out << "    music data text:                 " << QString::number(textNs / seconds / 1e6, 'f', 3)
        << " ms per second (" << textBytes / updates << " characters)\n";
    out << "  reference, decoding with libsndfile: " << QString::number(decodeNs / seconds / 1e6, 'f', 3)
        << " ms CPU per second of music = " << percentOfACore(decodeNs / seconds) << "\n";
    return 0;
}
