#pragma once

#include <QJsonObject>
#include <QObject>
#include <QString>

class HttpRequestWorker;
class UpdatePrompt;

// Asks the upgrade service whether a newer client exists for a client
// version and a device firmware version:
//   GET <upgrade>/api/system/upgrade?fwversion=…&version=…&noencrypt=1
// The answer {"code":0,"ret":{"type":…,…}} either offers the update to the
// user (type "0": the prompt, state 1) or schedules a silent update for the
// program's exit (type "1": UpdateValues, state 0). Every failure is silent
// and leaves the state 0; an answer of another type changes nothing.
class UpdateCheck : public QObject
{
    Q_OBJECT
public:
    enum State { NoAnswer = -1, NoUpdate = 0, Offered = 1 };

    // upgradeAttribute: the client profile's "upgrade" address; prompt may
    // be null (nobody to ask: an offered update only sets the state).
    explicit UpdateCheck(const QString& upgradeAttribute, UpdatePrompt* prompt = nullptr,
                         QObject* parent = nullptr);

    // The address queried: ORVANTA_UPGRADE_URL when set (a self-hosted
    // mirror, or a test server), else the profile's attribute, followed by
    // "/api/system/upgrade".
    static QString endpoint(const QString& upgradeAttribute);

    void doCheckUpdate(const QString& version, const QString& fwversion);

    // -1 before an answer, 0 no update (or failure, or a silent update
    // scheduled), 1 update offered.
    int get() const { return m_state; }
    // The answer's "ret" object and its "type" ("" without an answer).
    QJsonObject ret() const { return m_ret; }
    QString type() const { return m_type; }
    bool finished() const { return m_finished; }

    HttpRequestWorker* worker() const { return m_worker; }

signals:
    // The answer (or the failure) has been handled.
    void checkFinished(int state);

public slots:
    void handle_doCheckUpdate(HttpRequestWorker* worker);

private:
    void finish(int state);

    QString m_endpoint;
    UpdatePrompt* m_prompt = nullptr;
    HttpRequestWorker* m_worker = nullptr;
    QString m_fwversion;
    QJsonObject m_ret;
    QString m_type;
    int m_state = NoAnswer;
    bool m_finished = false;
};
