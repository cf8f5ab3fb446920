#include "startup_update_check.h"

#include "update_check.h"

StartupUpdateCheck::StartupUpdateCheck(const QString& upgradeAttribute, const QString& clientVersion,
                                       const QStringList& firmwareVersions, UpdatePrompt* prompt, QObject* parent)
    : QObject(parent)
    , m_upgradeAttribute(upgradeAttribute)
    , m_clientVersion(clientVersion)
    , m_versions(firmwareVersions)
    , m_prompt(prompt)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(200);
    connect(&m_timer, &QTimer::timeout, this, &StartupUpdateCheck::onTick);
}

int StartupUpdateCheck::state() const
{
    return m_check ? m_check->get() : UpdateCheck::NoAnswer;
}

void StartupUpdateCheck::start()
{
    if (m_index >= 0 || m_finished)
        return;
    if (m_versions.isEmpty()) {
        QTimer::singleShot(0, this, &StartupUpdateCheck::finish);
        return;
    }
    next();
}

void StartupUpdateCheck::next()
{
    ++m_index;
    delete m_check;
    m_check = new UpdateCheck(m_upgradeAttribute, m_prompt, this);
    m_check->doCheckUpdate(m_clientVersion, m_versions.at(m_index));
    m_timer.start();
}

void StartupUpdateCheck::onTick()
{
    const int current = state();
    if (current != UpdateCheck::NoUpdate && current != UpdateCheck::NoAnswer) {
        finish();
        return;
    }
    if (m_index + 1 < m_versions.size()) {
        next();
        return;
    }
    // The last entry: its query goes on until it is answered.
    if (m_check->finished())
        finish();
    else
        connect(m_check, &UpdateCheck::checkFinished, this, &StartupUpdateCheck::finish, Qt::UniqueConnection);
}

void StartupUpdateCheck::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    m_timer.stop();
    emit finished(state());
}
