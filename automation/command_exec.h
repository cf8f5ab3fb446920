#pragma once

#include "virtual_hid_client.h"
#include "virtual_task.h"

#include <QMutex>
#include <QObject>
#include <QVector>
#include <QWaitCondition>

#include <atomic>

class DesktopActions;

// The executor: plays command lists through the virtual keyboard and mouse
// on a thread of its own. Tasks are handed over from other threads (the
// filter's, the main thread); the worker runs one task at a time and waits
// between tasks.
//
// Stop flag: set while the executor is idle and when the output is to stop.
// A stop takes effect at the next command boundary, the next repetition or
// at once during a pause; a task handed over while another runs stops that
// one the same way. The executor remembers which keys and buttons its
// reports hold down, so a release lets go of one key and a movement keeps
// the buttons held; stopping the output lets go of everything.
class commandExec : public QObject
{
    Q_OBJECT
public:
    // The task runs as soon as start() does.
    commandExec(const VirtualTask& task, pvmulti_client client, DesktopActions* desktop, QObject* parent = nullptr);
    // Sets the quit flag and wakes the worker; start() then returns.
    ~commandExec() override;

    // Whether a task is taken at all: a release (phase 1) of play type 0
    // is only for lists that begin with "mouse" or "keyboard".
    static bool accepts(const VirtualTask& task);

    // Replaces the current task (stopping the output first when a task
    // runs) and wakes the worker. Any thread.
    void handOver(const VirtualTask& task);
    // Sets the stop flag; the running task ends at its next boundary. Any
    // thread.
    void requestStop();
    // Ends the worker loop; any thread.
    void quit();

    bool isIdle() const { return m_stop; }
    bool isEnabled() const { return m_enabled; }

public slots:
    // The worker loop: logs "start PASS.....", then runs the task, sets the
    // stop flag, emits taskFinished and waits for the next task ("WAIT
    // PASS....."), until quit.
    void start();
    // Only sets the stop flag.
    void onStopOutput(bool stop);

signals:
    void taskFinished(pvmulti_client client);

private:
    void runTask(const VirtualTask& task);
    // False when the output was stopped before the end of the list.
    bool runList(const VirtualTask& task);
    void execute(const VirtualCommand& command, const VirtualTask& task);
    void playKeyboard(const QString& value, const VirtualTask& task, bool hotKey);
    void playChord(const QVector<quint8>& usages, int pauseMs);
    void playMouse(quint8 buttons, const VirtualTask& task);
    void moveBy(int x, int y);

    // Stopped, replaced by a newer task, or quitting.
    bool interrupted() const;
    // Sets the stop flag, releases every key and button, logs.
    void stopOutputNow();
    // Releases every key and button without touching the stop flag.
    void releaseAll();
    // Sleeps, waking early when interrupted.
    void pause(int milliseconds);
    void jitteredPause(int milliseconds);

    void sendKeyboard();
    void sendMouse(qint8 dx = 0, qint8 dy = 0, qint8 wheel = 0);

    pvmulti_client m_client;
    DesktopActions* m_desktop;

    QMutex m_mutex;
    QWaitCondition m_wake;
    VirtualTask m_task;
    bool m_pending = true;
    std::atomic<quint64> m_generation{0};
    quint64 m_running = 0;   // the generation of the task the worker runs
    std::atomic<bool> m_enabled{true};
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_quit{false};

    // What the executor's reports hold down; worker thread only.
    quint8 m_modifiers = 0;
    QVector<quint8> m_keys;
    quint8 m_buttons = 0;
};
