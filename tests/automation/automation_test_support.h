#pragma once

// Recorders for the automation tests: a virtual device that keeps every
// report (as the report log's hex text), a desktop that keeps every action,
// and a task runner that keeps every task.

#include <QDeadlineTimer>
#include <QMutex>
#include <QStringList>
#include <QWaitCondition>

#include "desktop_actions.h"
#include "hid_report_translator.h"
#include "task_runner.h"
#include "virtual_hid_client.h"
#include "virtual_report.h"
#include "virtual_task.h"

class RecordingClient : public VirtualHidClient
{
public:
    QStringList reports() const
    {
        QMutexLocker lock(&m_lock);
        return m_reports;
    }
    // Waits until at least count reports came; false after timeoutMs.
    bool waitFor(int count, int timeoutMs = 5000)
    {
        QDeadlineTimer deadline(timeoutMs);
        QMutexLocker lock(&m_lock);
        while (m_reports.size() < count) {
            if (!m_more.wait(&m_lock, deadline))
                return m_reports.size() >= count;
        }
        return true;
    }
    // True when the reports, played in order, leave no key or button down.
    bool leavesNothingDown() const
    {
        QMutexLocker lock(&m_lock);
        HidReportTranslator translator;
        QVector<KernelInputEvent> events;
        for (const QByteArray& report : m_raw)
            translator.translate(report, &events);
        return translator.releaseKeyboard().isEmpty() && translator.releaseMouse().isEmpty();
    }

protected:
    bool open() override { return true; }
    void close() override {}
    bool writeReport(const QByteArray& report) override
    {
        QMutexLocker lock(&m_lock);
        // Keyboard reports with all 11 bytes, mouse reports with their 7.
        const int bytes = VirtualReport::isKeyboard(report) ? 11 : 7;
        m_reports << VirtualReport::headText(report).left(bytes * 3 - 1);
        m_raw << report;
        m_more.wakeAll();
        return true;
    }

private:
    mutable QMutex m_lock;
    QWaitCondition m_more;
    QStringList m_reports;
    QVector<QByteArray> m_raw;
};

class RecordingDesktop : public DesktopActions
{
public:
    void placePointer(int x, int y) override { record(QStringLiteral("pointer %1,%2").arg(x).arg(y)); }
    void typeText(const QString& text, const std::function<bool()>&) override { record(QStringLiteral("text ") + text); }
    void openShortcut(const QString& value) override { record(QStringLiteral("shortcut ") + value); }

    QStringList actions() const
    {
        QMutexLocker lock(&m_lock);
        return m_actions;
    }

private:
    void record(const QString& action)
    {
        QMutexLocker lock(&m_lock);
        m_actions << action;
    }
    mutable QMutex m_lock;
    QStringList m_actions;
};

class RecordingRunner : public TaskRunner
{
public:
    void runCommands(const VirtualTask& task) override
    {
        calls << QStringLiteral("run %1 phase %2").arg(task.commands.value(0).name).arg(task.phase);
    }
    void stopCommands() override { calls << QStringLiteral("stop"); }

    QStringList calls;
};
