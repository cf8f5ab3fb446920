#include "update_check.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QJsonValue>

#include "http_request_description.h"
#include "http_request_worker.h"
#include "logging.h"
#include "minisign.h"
#include "network_package_check.h"
#include "signed_list.h"
#include "update_prompt.h"
#include "update_values.h"
#include "updater_launch.h"

namespace {

// Members of the answer are texts; a number is taken as its decimal text.
QString textOf(const QJsonValue& value)
{
    if (value.isString())
        return value.toString();
    if (value.isDouble())
        return QString::number(value.toDouble(), 'g', 17);
    return QString();
}

} // namespace

UpdateCheck::UpdateCheck(const QString& upgradeAttribute, UpdatePrompt* prompt, QObject* parent)
    : QObject(parent)
    , m_endpoint(endpoint(upgradeAttribute))
    , m_prompt(prompt)
{
}

QString UpdateCheck::endpoint(const QString& upgradeAttribute)
{
    QString base = qEnvironmentVariable("ORVANTA_UPGRADE_URL");
    if (base.isEmpty())
        base = upgradeAttribute;
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base + QStringLiteral("/api/system/upgrade");
}

void UpdateCheck::doCheckUpdate(const QString& version, const QString& fwversion)
{
    m_version = version;
    m_fwversion = fwversion;
    HttpRequestSpec input(m_endpoint, QStringLiteral("GET"));
    input.addVariable(QStringLiteral("fwversion"), fwversion);
    input.addVariable(QStringLiteral("version"), version);
    input.addVariable(QStringLiteral("noencrypt"), QStringLiteral("1"));
    delete m_worker;
    m_worker = new HttpRequestWorker(this);
    connect(m_worker, &HttpRequestWorker::on_execution_finished, this, &UpdateCheck::handle_doCheckUpdate);
    m_worker->execute(&input);
}

void UpdateCheck::handle_doCheckUpdate(HttpRequestWorker* worker)
{
    if (worker->error_type != QNetworkReply::NoError) {
        LOG_INFO(QStringLiteral("Update Info: update check failed: %1").arg(worker->error_str));
        finish(NoUpdate);
        return;
    }
    // The same query, for the signature beside the answer.
    m_answer = worker->response;
    HttpRequestSpec input(m_endpoint + QStringLiteral(".minisig"), QStringLiteral("GET"));
    input.addVariable(QStringLiteral("fwversion"), m_fwversion);
    input.addVariable(QStringLiteral("version"), m_version);
    input.addVariable(QStringLiteral("noencrypt"), QStringLiteral("1"));
    delete m_signatureWorker;
    m_signatureWorker = new HttpRequestWorker(this);
    m_signatureWorker->setMaxResponseSize(Minisign::kMaxFileSize);
    connect(m_signatureWorker, &HttpRequestWorker::on_execution_finished, this, &UpdateCheck::onSignature);
    m_signatureWorker->execute(&input);
}

void UpdateCheck::onSignature(HttpRequestWorker* worker)
{
    const QByteArray signature = worker->error_type == QNetworkReply::NoError ? worker->response : QByteArray();
    QStringList problems;
    const UpdateKeys keys = UpdateKeys::trusted(&problems);
    for (const QString& problem : qAsConst(problems))
        LOG_WARNING(QStringLiteral("Update Error: %1").arg(problem));
    SequenceStore sequences(SequenceStore::defaultPath());
    const ListVerdict verdict = verifySignedList(m_answer, signature, QString::fromLatin1(kChannel),
                                                 QDateTime::currentSecsSinceEpoch(), keys, sequences);
    if (verdict.trusted) {
        m_signer = verdict.signer;
        LOG_INFO(QStringLiteral("Update Info: update answer signed by %1 (sequence %2)")
                     .arg(verdict.signer)
                     .arg(verdict.claims.sequence));
    } else if (signature.isEmpty() && NetworkPackageCheck::unsignedAllowed()) {
        LOG_WARNING(QStringLiteral("Update Info: the update answer is not signed; this developer build takes it"));
    } else {
        LOG_ERROR(QStringLiteral("Update Error: update answer refused: %1").arg(verdict.reason));
        finish(NoUpdate);
        return;
    }
    handleAnswer(m_answer);
}

void UpdateCheck::handleAnswer(const QByteArray& response)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(response, &parseError);
    const QJsonObject answer = document.object();
    if (parseError.error != QJsonParseError::NoError || !document.isObject()
        || !answer.value(QStringLiteral("code")).isDouble()
        || answer.value(QStringLiteral("code")).toDouble() != 0) {
        finish(NoUpdate);
        return;
    }

    m_ret = answer.value(QStringLiteral("ret")).toObject();
    m_type = textOf(m_ret.value(QStringLiteral("type")));
    const QString deployment = textOf(m_ret.value(QStringLiteral("deployment")));
    UpdateValues::setDescription(textOf(m_ret.value(QStringLiteral("description"))));
    UpdateValues::setChangeNumber(textOf(m_ret.value(QStringLiteral("cnumber"))));

    if (m_type == QLatin1String("0")) {
        if (m_prompt)
            m_prompt->offerUpdate(m_ret, m_fwversion);
        finish(Offered);
    } else if (m_type == QLatin1String("1")) {
        const QString package = textOf(m_ret.value(QStringLiteral("package")));
        UpdateValues::scheduleAtExit(UpdaterLaunch::arguments(package, deployment, m_fwversion, true));
        LOG_INFO(QStringLiteral("Update Info: silent update scheduled for the exit: %1")
                     .arg(UpdateValues::updaterArgumentLine()));
        finish(NoUpdate);
    } else {
        // Another type: nothing happens, and the state stays as it was.
        finish(m_state);
    }
}

void UpdateCheck::finish(int state)
{
    m_state = state;
    m_finished = true;
    emit checkFinished(state);
}
