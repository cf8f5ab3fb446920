#include "logging.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <vector>

class TestLogging : public QObject {
    Q_OBJECT

    static QStringList readLines(const QString &path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

private slots:
    void init()
    {
        Logger::setMinSeverity(LogSeverity::Info);
    }

    void lineCarriesTimeSeverityFileAndLine()
    {
        const QDateTime when(QDate(2026, 12, 7), QTime(23, 59, 1, 123));
        QCOMPARE(Logger::formatLine(LogSeverity::Info, "/src/app/application.cpp", 214,
                                    QStringLiteral("Application Info: hello"), when),
                 QStringLiteral("[1207/235901.123:INFO:application(214)] Application Info: hello"));
        QCOMPARE(Logger::formatLine(LogSeverity::Error, "C:\\x\\update_check.cpp", 7,
                                    QStringLiteral("Update Error: x"), when),
                 QStringLiteral("[1207/235901.123:ERROR:update_check(7)] Update Error: x"));
        QCOMPARE(Logger::formatLine(LogSeverity::Warning, "noext", 1, QString(), when),
                 QStringLiteral("[1207/235901.123:WARNING:noext(1)] "));
    }

    void clippedEscapesAndCuts()
    {
        QCOMPARE(Logger::clipped(QStringLiteral("a\nb\r\t\\c\x01\x7f")), QStringLiteral("a\\nb\\r\\t\\\\c\\x01\\x7f"));
        QCOMPARE(Logger::clipped(QString(1000, QLatin1Char('x')), 10),
                 QString(10, QLatin1Char('x')) + QStringLiteral("... (990 more characters)"));
        QCOMPARE(Logger::clipped(QStringLiteral("kurz")), QStringLiteral("kurz"));
    }

    void severitySwitch_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("expected");
        QTest::newRow("default") << QStringList{"orvanta"} << int(LogSeverity::Info);
        QTest::newRow("warning") << QStringList{"orvanta", "--log-severity=warning"} << int(LogSeverity::Warning);
        QTest::newRow("error any position") << QStringList{"--log-severity=ERROR", "orvanta"} << int(LogSeverity::Error);
        QTest::newRow("disable") << QStringList{"orvanta", "--log-severity=disable"} << int(LogSeverity::Disable);
        QTest::newRow("unknown keeps") << QStringList{"orvanta", "--log-severity=loud"} << int(LogSeverity::Info);
        QTest::newRow("not the switch") << QStringList{"orvanta", "--log-severity"} << int(LogSeverity::Info);
    }

    void severitySwitch()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, expected);
        Logger::applyCommandLine(arguments);
        QCOMPARE(int(Logger::minSeverity()), expected);
    }

    void onlyAdmittedMessagesReachTheFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("app.log"));
        Logger::setFilePath(path);

        // Every diagnostic line is an INFO line, errors included: a minimum
        // above INFO keeps them all out.
        LOG_INFO(QStringLiteral("first"));
        LOG_ERROR(QStringLiteral("Application Error: second \u4e2d"));
        LOG_WARNING(QStringLiteral("third"));
        for (const LogSeverity above : {LogSeverity::Warning, LogSeverity::Error, LogSeverity::Disable}) {
            Logger::setMinSeverity(above);
            LOG_INFO(QStringLiteral("dropped"));
            LOG_WARNING(QStringLiteral("dropped"));
            LOG_ERROR(QStringLiteral("dropped"));
        }
        Logger::setMinSeverity(LogSeverity::Info);

        const QStringList lines = readLines(path);
        QCOMPARE(lines.size(), 3);
        for (const QString &line : lines)
            QVERIFY2(line.contains(QLatin1String(":INFO:tst_logging(")), qPrintable(line));
        QVERIFY(lines[0].endsWith(QLatin1String("] first")));
        QVERIFY(lines[1].endsWith(QStringLiteral("] Application Error: second \u4e2d")));
        QVERIFY(lines[2].endsWith(QLatin1String("] third")));
        Logger::setFilePath(QString());
    }

    void linesFromManyThreadsStayWhole()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("app.log"));
        Logger::setFilePath(path);
        constexpr int threads = 4;
        constexpr int perThread = 200;
        std::vector<QThread *> workers;
        for (int t = 0; t < threads; ++t) {
            workers.push_back(QThread::create([t] {
                for (int i = 0; i < perThread; ++i)
                    LOG_INFO(QStringLiteral("thread %1 message %2 end").arg(t).arg(i));
            }));
            workers.back()->start();
        }
        for (QThread *w : workers) {
            w->wait();
            delete w;
        }
        const QStringList lines = readLines(path);
        QCOMPARE(lines.size(), threads * perThread);
        for (const QString &line : lines)
            QVERIFY2(line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1String(" end")), qPrintable(line));
        Logger::setFilePath(QString());
    }

    void unwritableLogFileIsNotFatal()
    {
        QTemporaryDir dir;
        // A folder where the file should be: opening fails, nothing crashes.
        Logger::setFilePath(dir.path());
        LOG_INFO(QStringLiteral("lost"));
        LOG_INFO(QStringLiteral("lost again"));
        Logger::setFilePath(QString());
    }
};

QTEST_GUILESS_MAIN(TestLogging)
#include "tst_logging.moc"
