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
//
// The answer counts only when a trusted key signed it: its detached
// minisign signature is fetched from the same address with ".minisig"
// added to the path (the same query), and must name the channel
// kChannel, a sequence not lower than the highest seen on it, and an
// expiry still ahead (signed_list.h). Anything else is logged and treated
// as no update.

class UpdateCheck : public QObject
{
    Q_OBJECT
public:
    enum State { NoAnswer = -1, NoUpdate = 0, Offered = 1 };
    // The channel the signed answers name.
    static constexpr const char* kChannel = "upgrade";

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
    // Who signed the answer ("" before a trusted answer).
    QString signer() const { return m_signer; }

signals:
    // The answer (or the failure) has been handled.
    void checkFinished(int state);

public slots:
    // The answer arrived: its signature is fetched next.
    void handle_doCheckUpdate(HttpRequestWorker* worker);

    // What an answer does once its signature holds (the prompt, a silent
    // update, or nothing).
    void handleAnswer(const QByteArray& response);

private:
    void onSignature(HttpRequestWorker* worker);
    void finish(int state);

    QString m_endpoint;
    UpdatePrompt* m_prompt = nullptr;
    HttpRequestWorker* m_worker = nullptr;
    HttpRequestWorker* m_signatureWorker = nullptr;
    QString m_version;
    QString m_fwversion;
    QByteArray m_answer;
    QString m_signer;
    QJsonObject m_ret;
    QString m_type;
    int m_state = NoAnswer;
    bool m_finished = false;
};
