#include "browser_test_support.h"

#include "browser_setup.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>

namespace BrowserTest {

void prepare()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Without a display there is no OpenGL: the software scene graph.
    qputenv("QT_QUICK_BACKEND", "software");
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu --disable-logging");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    BrowserSetup::registerSchemes();
}

QVariant evaluate(QWebEnginePage* page, const QString& script)
{
    QVariant result;
    bool done = false;
    QEventLoop loop;
    page->runJavaScript(script, [&](const QVariant& value) {
        result = value;
        done = true;
        loop.quit();
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    if (!done)
        loop.exec();
    return result;
}

bool waitFor(QWebEnginePage* page, const QString& script, const QVariant& expected)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 10000) {
        if (evaluate(page, script) == expected)
            return true;
        QTest::qWait(20);
    }
    return false;
}

} // namespace BrowserTest

LoopbackHttpServer::LoopbackHttpServer(QObject* parent)
    : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &LoopbackHttpServer::onNewConnection);
}

bool LoopbackHttpServer::start()
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        const quint16 port = static_cast<quint16>(20000 + QRandomGenerator::global()->bounded(40000));
        if (m_server.listen(QHostAddress::LocalHost, port))
            return true;
    }
    return false;
}

QString LoopbackHttpServer::pageRoot() const
{
    return QStringLiteral("http://ab.localhost:%1/local/").arg(port());
}

void LoopbackHttpServer::onNewConnection()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, this, [this, socket]() {
            const QByteArray request = socket->readAll();
            const QList<QByteArray> words = request.split(' ');
            if (words.size() < 2)
                return;
            const QString path = QString::fromLatin1(words.at(1));
            m_paths.append(path);
            if (path.contains(QLatin1String("/hang")))
                return;
            if (path.contains(QLatin1String("/download"))) {
                const QByteArray body(3000, 'x');
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
                              "Content-Disposition: attachment; filename=\"firmware.bin\"\r\n"
                              "Connection: close\r\nContent-Length: "
                              + QByteArray::number(body.size()) + "\r\n\r\n" + body);
                socket->disconnectFromHost();
                return;
            }
            const QByteArray body = "<html><body>network:" + words.at(1) + "</body></html>";
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\nContent-Length: "
                          + QByteArray::number(body.size()) + "\r\n\r\n" + body);
            socket->disconnectFromHost();
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

QWebEngineProfile* offTheRecordProfile()
{
    auto* profile = new QWebEngineProfile;
    BrowserSetup::configureProfile(profile);
    return profile;
}
