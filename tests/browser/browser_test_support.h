#pragma once

// Helpers shared by the browser tests: the headless environment for Qt
// WebEngine, JavaScript evaluation that waits for the result, and a small
// HTTP server on the loopback interface that stands in for the network.

#include <QByteArray>
#include <QObject>
#include <QStringList>
#include <QTcpServer>
#include <QVariant>

class QWebEnginePage;
class QWebEngineProfile;

namespace BrowserTest {

// Sets the variables Qt WebEngine needs headless and as root, and
// registers the schemes; call at the start of main(), before QApplication.
void prepare();

// Runs script in the page and waits (up to 10 s) for its result.
QVariant evaluate(QWebEnginePage* page, const QString& script);

// Waits until script evaluates to expected; false after 10 s.
bool waitFor(QWebEnginePage* page, const QString& script, const QVariant& expected);

} // namespace BrowserTest

// Answers every GET with a small HTML page, except paths containing
// "/hang", which are never answered, and paths containing "/download",
// answered with a 3000-byte attachment "firmware.bin"; records the
// requested paths. Listens on
// a five-digit port so that "http://ab.localhost:NNNNN/local/" is a page root
// of exactly 32 characters (Chromium resolves *.localhost to loopback).
class LoopbackHttpServer : public QObject
{
    Q_OBJECT
public:
    explicit LoopbackHttpServer(QObject* parent = nullptr);
    bool start();
    quint16 port() const { return m_server.serverPort(); }
    // "http://ab.localhost:NNNNN/local/"
    QString pageRoot() const;
    QStringList requestedPaths() const { return m_paths; }

private:
    void onNewConnection();

    QTcpServer m_server;
    QStringList m_paths;
};

// A configured off-the-record profile: nothing of the tests reaches the
// disk. Owned by the caller.
QWebEngineProfile* offTheRecordProfile();
