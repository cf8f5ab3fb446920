// The music commands through the dispatcher: the music track for the
// lighting, the plain sounds, and paths that leave the application folder.
#include <QFile>
#include <QUrl>
#include <QtTest>

#include "music_runtime.h"
#include "music_test_support.h"
#include "recording_host.h"

using namespace MusicTest;

namespace {

// A sound player that records what it was asked to do.
struct RecordingPlayer : SoundPlayer {
    QStringList* calls;
    explicit RecordingPlayer(QStringList* c) : calls(c) {}
    void play(const QUrl& source) override { *calls << "play " + source.toLocalFile(); }
    void stop() override { *calls << "stop"; }
};

// The recording host with a music runtime on a clock the test moves.
struct MusicHost : RecordingHost {
    ManualClock clock;
    QStringList played;
    MusicRuntime runtime{[this](const QString& name, const QVariantList& args,
                                const QString& view) { raise(name, args, view); },
                         silentOutputs(clock), [this] { return std::make_unique<RecordingPlayer>(&played); }};
    MusicHost()
    {
        runtime.setLightingView("lights");
        music = &runtime;
    }
};

QString request(const QString& name, const QString& members = QString())
{
    return QStringLiteral("{\"FuncName\":\"%1\"%2}").arg(name, members);
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

class MusicCommandsTest : public QObject
{
    Q_OBJECT

private slots:
    void rgbMusicPlaySendsTheTrackToTheLightingView()
    {
        MusicHost host;
        CommandDispatcher dispatcher(host);
        // The track is found by its name whatever its format.
        QVERIFY(writeWav(host.path("ttd.mp3"), 8000, 8000,
                         [](qint64 frame, int) { return harmonicSine(16, frame, 0.5); }));
        const Answer answer = send(dispatcher, request("RGBMusicPlay"));
        QCOMPARE(answer.kind, Answer::Success);
        QCOMPARE(answer.text, QString("RGBMusicPlay success"));
        AudioData& audio = host.runtime.audioData();
        QVERIFY(waitForWholeTrack(audio));
        host.clock.advanceMs(200);
        audio.refreshDatas();
        QCOMPARE(host.calls.size(), 1);
        QVERIFY(host.calls.at(0).startsWith("event OnRGBMusicData {\n    \"data\": [\n"));
        QVERIFY(host.calls.at(0).endsWith("]\n}\n lights"));

        // "MediaStop" leaves the music lighting playing, and makes no player.
        QCOMPARE(send(dispatcher, request("MediaStop")).kind, Answer::None);
        QVERIFY(!host.runtime.existingSoundPlayer());
        host.clock.advanceMs(20);
        audio.refreshDatas();
        QCOMPARE(host.calls.size(), 2);
    }

    void aMissingTrackStillSucceeds()
    {
        TestLog log;
        MusicHost host;
        CommandDispatcher dispatcher(host);
        const Answer answer = send(dispatcher, request("RGBMusicPlay"));
        QCOMPARE(answer.text, QString("RGBMusicPlay success"));
        host.clock.advanceMs(100);
        host.runtime.audioData().refreshDatas();
        QVERIFY(host.calls.isEmpty());
        QVERIFY(log.text().contains("file open failed"));

        // A host without music answers all the same.
        RecordingHost plain;
        CommandDispatcher plainDispatcher(plain);
        QCOMPARE(send(plainDispatcher, request("RGBMusicPlay")).text, QString("RGBMusicPlay success"));
        QCOMPARE(send(plainDispatcher, request("AlertMusic")).kind, Answer::None);
    }

    void soundsPlayFromTheApplicationFolderOnly()
    {
        TestLog log;
        MusicHost host;
        CommandDispatcher dispatcher(host);
        for (const char* name : {"alert.mp3", "online.wav", "sounds/click.wav"}) {
            QDir().mkpath(QFileInfo(host.path(name)).path());
            QFile file(host.path(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QCOMPARE(send(dispatcher, request("AlertMusic")).kind, Answer::None);
        QCOMPARE(send(dispatcher, request("OnlineMusic")).kind, Answer::None);
        QCOMPARE(send(dispatcher, request("MediaPlay", R"(,"path":"sounds/click.wav","volume":20)")).kind,
                 Answer::None);
        // Outside the folder, a folder, or nothing there: refused, no reply.
        send(dispatcher, request("MediaPlay", R"(,"path":"../click.wav")"));
        send(dispatcher, request("MediaPlay", R"(,"path":"sounds/../../../etc/passwd")"));
        send(dispatcher, request("MediaPlay", R"(,"path":"sounds")"));
        send(dispatcher, request("MediaPlay"));
        send(dispatcher, request("MediaPlay", R"(,"path":"absent.wav")"));
        QCOMPARE(host.played, QStringList({"play " + host.path("alert.mp3"), "play " + host.path("online.wav"),
                                           "play " + host.path("sounds/click.wav")}));
        QCOMPARE(log.text().count("MediaPlay refused"), 2);
        QCOMPARE(log.text().count("MediaPlay: no sound file"), 3);

        send(dispatcher, request("MediaStop"));
        QCOMPARE(host.played.last(), QString("stop"));
        QVERIFY(host.calls.isEmpty());
    }
};

QTEST_GUILESS_MAIN(MusicCommandsTest)
#include "tst_music_commands.moc"
