// The device session of a command host on the emulator: its start, the
// answers of waiting device writes in order, the write worker on its own
// thread, and the periodic W1 reset.
#include <QtTest>

#include "device_data_handler.h"
#include "device_scenario.h"
#include "device_session.h"
#include "w1_reset_pass.h"

class DeviceSessionTest : public QObject
{
    Q_OBJECT

private slots:
    void answersWaitingWritesOldestFirst()
    {
        DeviceSession session;
        QStringList answers;
        auto callback = [&](const QString& tag) {
            return makeQueryCallback([&answers, tag](const QString& text) { answers << tag + ":ok:" + text; },
                                     [&answers, tag](int code, const QString& text) {
                                         answers << tag + ":fail:" + QString::number(code) + ":" + text;
                                     });
        };
        session.answerOldestWrite(true); // nothing waits: nothing happens
        session.pendingAnswers().enqueue(callback("a"));
        session.pendingAnswers().enqueue(nullptr);
        session.pendingAnswers().enqueue(callback("b"));
        session.answerOldestWrite(true);
        session.answerOldestWrite(true);
        session.answerOldestWrite(false);
        QCOMPARE(answers, QStringList({"a:ok:writeDevices success!", "b:fail:0:writeDevices failed!"}));
        QVERIFY(session.pendingAnswers().isEmpty());
    }

    void workerRunsOnItsOwnThreadWithTheSessionsProfiles()
    {
        DeviceScenario scenario(plainMouse("1007"));
        DeviceSession session(DeviceSession::Worker::OwnThread);
        QCOMPARE(session.start(), 1);
        QVERIFY(session.deviceMap().contains("258A1007"));
        QVERIFY(session.workerThread() && session.workerThread()->isRunning());
        QCOMPARE(session.writer().thread(), session.workerThread());

        // A profile the pages read is found by a write on the worker's thread.
        session.fileCache().store("/p/m1.xml", "<Configuration><Conf><Key Index=\"2\" Value=\"258A1007\"/></Conf>"
                                               "</Configuration>");
        QSignalSpy answered(&session.writer(), &device_data_handler::SigcallbackReasult);
        QMetaObject::invokeMethod(&session.writer(), "slot_writeDevice", Qt::QueuedConnection,
                                  Q_ARG(QString, "258A1007"), Q_ARG(QString, "M1.0"), Q_ARG(QString, "61"),
                                  Q_ARG(QString, "RightClick"), Q_ARG(QString, "MouseFunction"), Q_ARG(QString, "1"),
                                  Q_ARG(QString, "0"), Q_ARG(QString, "0"));
        QTRY_COMPARE(answered.count(), 1);
        QCOMPARE(answered.at(0).at(0).toBool(), true);
        QCOMPARE(scenario.calls("dcWriteProperty").size(), 1);
    }

    void resetsTheW1FamilyEvery502Ticks()
    {
        W1ResetPass pass;
        int passes = 0;
        for (int i = 0; i < 502 * 3; ++i)
            passes += pass.tick() ? 1 : 0;
        QCOMPARE(passes, 3);

        DeviceMap devices;
        devices.insert("A", QJsonObject{{"Version", "25A7FA00"}});
        devices.insert("B", QJsonObject{{"Version", "25A7FAFF"}});
        devices.insert("C", QJsonObject{{"Version", "25A7FB00"}});
        devices.insert("D", QJsonObject{{"Version", "258A0016"}});
        devices.insert("E", QJsonObject{{"Version", "nonsense"}});
        // A real W1 mouse (its record carries an access level) never gets it.
        devices.insert("F", QJsonObject{{"Version", "25A7FA07"}, {"Access", "verified"}});
        QCOMPARE(W1ResetPass::w1Keys(devices), QStringList({"A", "B"}));

        DeviceScenario scenario(plainMouse("1007") + "," + w1Mouse("25A7FA91", "1011"));
        DeviceSession session;
        session.start();
        scenario.clearLog();
        for (int i = 0; i < W1ResetPass::kIdleTicks; ++i)
            session.periodicTick();
        QVERIFY(scenario.calls().isEmpty());
        session.periodicTick();
        const QList<QJsonObject> resets = scenario.calls("dcW1WriteAddress");
        QCOMPARE(resets.size(), 1);
        QCOMPARE(resets.at(0).value("mode").toInt(), 9);
        QVERIFY(scenario.calls("Reset").isEmpty());
    }
};

QTEST_GUILESS_MAIN(DeviceSessionTest)
#include "tst_device_session.moc"
