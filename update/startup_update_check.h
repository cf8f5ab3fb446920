#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

#include "update_check.h"

class UpdatePrompt;

// The update check at start-up: one query per device firmware version, in
// order, 200 ms apart. Each new query replaces (and deletes) the previous
// one; the walk stops at the first state that is neither 0 nor -1 (an
// update was offered). It never blocks the thread it runs on: the pauses
// are timers.
class StartupUpdateCheck : public QObject
{
    Q_OBJECT
public:
    StartupUpdateCheck(const QString& upgradeAttribute, const QString& clientVersion,
                       const QStringList& firmwareVersions, UpdatePrompt* prompt = nullptr,
                       QObject* parent = nullptr);

    void setInterval(int ms) { m_timer.setInterval(ms); }
    void start();

    // The query of the current entry (null before the first and with an
    // empty list).
    UpdateCheck* current() const { return m_check; }
    // The current query's state; -1 without one.
    int state() const;
    bool isFinished() const { return m_finished; }

signals:
    // The walk is over: an update was offered, or the last query has been
    // answered (or has failed). state as state().
    void finished(int state);

private:
    void next();
    void onTick();
    void finish();

    QString m_upgradeAttribute;
    QString m_clientVersion;
    QStringList m_versions;
    UpdatePrompt* m_prompt = nullptr;
    int m_index = -1;
    QPointer<UpdateCheck> m_check;
    QTimer m_timer;
    bool m_finished = false;
};
