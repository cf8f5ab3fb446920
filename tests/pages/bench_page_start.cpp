// Benchmark, not a test: how fast the pages come up, beside a reference.
// scripts/bench-page-start runs it and prints the figures side by side.
//
//   bench_page_start --reference   a bare QWebEngineView on one local page:
//                                  from creating the view to the page loaded
//   bench_page_start --program     the main window on the emulated devices:
//                                  from creating the window to the device
//                                  list shown; then, once the start has
//                                  settled, a mouse's page, from
//                                  asking for it to its DPI values shown,
//                                  with the device calls made meanwhile
//
// Prints one JSON line. Times are wall-clock milliseconds; the page is
// polled every 2 ms for what it shows.
#include "browser_test_support.h"
#include "client_handler.h"
#include "web_page.h"
#include "web_view.h"
#include "window.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QTemporaryDir>
#include <QThread>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <cstdio>

namespace {

const QString kStartPage = QStringLiteral("http://pages.orvanta.test/local/rx318/index.html");
const QString kMouse = QStringLiteral("258A1007");

// Polls script in page every 2 ms until it is true; the elapsed time of
// clock then, or -1 after 20 s.
double until(QWebEnginePage* page, const QString& script, const QElapsedTimer& clock)
{
    while (clock.elapsed() < 20000) {
        if (BrowserTest::evaluate(page, script).toBool())
            return clock.nsecsElapsed() / 1e6;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
        QThread::msleep(2);
    }
    return -1;
}

void print(const QJsonObject& line)
{
    const QByteArray text = QJsonDocument(line).toJson(QJsonDocument::Compact);
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int reference(const QTemporaryDir& dir)
{
    const QString path = dir.filePath(QStringLiteral("page.html"));
    QFile page(path);
    if (!page.open(QIODevice::WriteOnly))
        return 1;
    page.write("<!doctype html><html><head><title>Reference</title></head>"
               "<body><main><h1>Devices</h1><p>One local page.</p></main></body></html>");
    page.close();
    QElapsedTimer clock;
    clock.start();
    QWebEngineProfile* profile = offTheRecordProfile();
    QWebEngineView view;
    view.setPage(new QWebEnginePage(profile, &view));
    view.resize(960, 640);
    double loaded = -1;
    QObject::connect(&view, &QWebEngineView::loadFinished, [&](bool) {
        if (loaded < 0)
            loaded = clock.nsecsElapsed() / 1e6;
    });
    view.load(QUrl::fromLocalFile(path));
    view.show();
    while (loaded < 0 && clock.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
    print({{QStringLiteral("mode"), QStringLiteral("reference")}, {QStringLiteral("startMs"), loaded}});
    view.setPage(nullptr);
    delete profile;
    return loaded < 0 ? 1 : 0;
}

// The device calls logged after offset bytes of the log: how many, and the
// properties read more than once.
QJsonObject callsSince(const QString& log, qint64 offset)
{
    QFile file(log);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(offset))
        return {};
    int calls = 0;
    QMap<QString, int> reads;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QJsonObject call = QJsonDocument::fromJson(line).object();
        if (call.isEmpty())
            continue;
        ++calls;
        if (call.value(QStringLiteral("call")).toString() == QLatin1String("dcReadProperty"))
            ++reads[QString::number(call.value(QStringLiteral("id")).toInt())];
    }
    QJsonArray repeated;
    for (auto it = reads.cbegin(); it != reads.cend(); ++it) {
        if (it.value() > 1)
            repeated.append(QStringLiteral("%1 x%2").arg(it.key()).arg(it.value()));
    }
    return {{QStringLiteral("deviceCalls"), calls}, {QStringLiteral("readTwice"), repeated}};
}

int program(const QTemporaryDir& app, const QTemporaryDir& privateDir)
{
    QFile::copy(QStringLiteral(EMULATOR_DEVICES), app.filePath(QStringLiteral("devices.json")));
    QFile(app.filePath(QStringLiteral("devices.json"))).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    QFile::copy(QStringLiteral(PAGES_PACKAGE), app.filePath(QStringLiteral("skn.dat")));
    const QString log = app.filePath(QStringLiteral("transport.log"));
    qputenv("ORVANTA_TRANSPORT", EMULATOR_LIBRARY);
    qputenv("ORVANTA_DEVICES", QFile::encodeName(app.filePath(QStringLiteral("devices.json"))));
    qputenv("ORVANTA_TRANSPORT_LOG", QFile::encodeName(log));
    qputenv("ORVANTA_POINTER_SETTINGS", QFile::encodeName(app.filePath(QStringLiteral("pointer.json"))));
    ClientHandler::instance()->setProfile(offTheRecordProfile());

    WindowSetup setup;
    setup.profile = {{QStringLiteral("Name"), QStringLiteral("RX318 Pro")}, {QStringLiteral("Debug"), QStringLiteral("false")},
                     {QStringLiteral("ClientSize"), QStringLiteral("960,640")}, {QStringLiteral("LoadPath"), kStartPage},
                     {QStringLiteral("CloseFunc"), QStringLiteral("minisize")}, {QStringLiteral("Version"), QStringLiteral("R1.0.3")}};
    setup.applicationFolder = app.path() + QLatin1Char('/');
    setup.privateFolder = privateDir.path();
    setup.language = QStringLiteral("en");

    QElapsedTimer clock;
    clock.start();
    const qint64 epochAtStart = QDateTime::currentMSecsSinceEpoch();
    auto* window = new Window(setup);
    window->show();
    QWebEnginePage* page = nullptr;
    while (!page && clock.elapsed() < 20000) {
        page = window->mainView()->page();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
    }
    const double listed = page ? until(page, QStringLiteral("document.querySelectorAll('.device-card').length > 0"), clock) : -1;

    // A mouse's page, from the device list once the start has settled (a
    // person does not click within the first milliseconds; the commands the
    // start still has in flight would otherwise be counted to the page).
    until(page, QStringLiteral("document.body.dataset.ready === 'true'"), clock);
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 500)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    const qint64 offset = QFile(log).size();
    QElapsedTimer mouseClock;
    mouseClock.start();
    BrowserTest::evaluate(page, QStringLiteral("location.hash = '#/device/%1/dpi'").arg(kMouse));
    const double values = until(page, QStringLiteral("document.querySelectorAll('.stage-number').length > 0"), mouseClock);
    QJsonObject line{{QStringLiteral("mode"), QStringLiteral("program")}, {QStringLiteral("startMs"), listed},
                     {QStringLiteral("mouseMs"), values}};
    // Where the start went: the page's navigation began, its first command
    // was sent, the device list was answered (ms from creating the window).
    const QJsonObject phases = QJsonDocument::fromJson(BrowserTest::evaluate(page, QStringLiteral(
        "JSON.stringify((() => { const log = window.orvantaPages.client.log();"
        " const list = log.find((e) => e.label === 'GetDevicesList');"
        " return { navigation: performance.timeOrigin, firstCommand: log.length ? log[0].time : 0,"
        " listAnswered: list ? list.time + list.ms : 0 }; })())")).toString().toUtf8()).object();
    for (const QString& phase : {QStringLiteral("navigation"), QStringLiteral("firstCommand"), QStringLiteral("listAnswered")})
        line.insert(phase + QStringLiteral("Ms"), phases.value(phase).toDouble() - double(epochAtStart));
    const QJsonObject calls = callsSince(log, offset);
    // ORVANTA_BENCH_LOG=1: the page's command log too (what ran when).
    if (qEnvironmentVariableIsSet("ORVANTA_BENCH_LOG"))
        line.insert(QStringLiteral("commands"), QJsonDocument::fromJson(BrowserTest::evaluate(page,
            QStringLiteral("JSON.stringify(window.orvantaPages.client.log().map((e) => [e.label, Math.round(e.time), e.ms]))")).toString().toUtf8()).array());
    for (auto it = calls.begin(); it != calls.end(); ++it)
        line.insert(it.key(), it.value());
    print(line);

    delete window;
    QWebEngineProfile* profile = ClientHandler::instance()->profile();
    ClientHandler::instance()->setProfile(nullptr);
    delete profile;
    return listed < 0 || values < 0 ? 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    BrowserTest::prepare();
    QApplication app(argc, argv);
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    QTemporaryDir appDir;
    QTemporaryDir privateDir;
    if (mode == QLatin1String("--reference"))
        return reference(appDir);
    if (mode == QLatin1String("--program"))
        return program(appDir, privateDir);
    std::fputs("usage: bench_page_start --reference | --program\n", stderr);
    return 2;
}
