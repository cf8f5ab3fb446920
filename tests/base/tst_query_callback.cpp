#include <QThread>
#include <QtTest>

#include <atomic>
#include <vector>

#include "query_callback.h"

class QueryCallbackTest : public QObject
{
    Q_OBJECT

private slots:
    void answersAtMostOnce()
    {
        QStringList seen;
        auto callback = makeQueryCallback(
            [&](const QString& text) { seen << "S:" + text; },
            [&](int code, const QString& text) { seen << QString("F%1:%2").arg(code).arg(text); });
        QVERIFY(!callback->answered());
        QVERIFY(callback->failure(0, "writeDevices failed!"));
        QVERIFY(!callback->success("late"));
        QVERIFY(!callback->failure(0, "again"));
        QVERIFY(callback->answered());
        QCOMPARE(seen, QStringList({"F0:writeDevices failed!"}));
    }

    void racingThreadsDeliverOneAnswer()
    {
        std::atomic<int> delivered{0};
        auto callback = makeQueryCallback([&](const QString&) { ++delivered; },
                                          [&](int, const QString&) { ++delivered; });
        std::vector<QThread*> threads;
        for (int i = 0; i < 8; ++i) {
            threads.push_back(QThread::create([callback, i] {
                if (i % 2)
                    callback->success("s");
                else
                    callback->failure(0, "f");
            }));
            threads.back()->start();
        }
        for (QThread* thread : threads) {
            thread->wait();
            delete thread;
        }
        QCOMPARE(delivered.load(), 1);
    }

    // Queued signals carry the handle by its type name, which the library
    // registers as the application object is made.
    void registeredForQueuedSignals()
    {
        QVERIFY(QMetaType::type("QueryCallbackPtr") != QMetaType::UnknownType);
    }
};

QTEST_GUILESS_MAIN(QueryCallbackTest)
#include "tst_query_callback.moc"
