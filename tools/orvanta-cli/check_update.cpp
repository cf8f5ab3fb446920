#include "check_update.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QThread>

#include "client_settings.h"
#include "page_session.h"
#include "startup_update_check.h"
#include "update_check.h"
#include "update_service.h"
#include "update_values.h"

namespace {

QByteArray jsonText(const QString& text)
{
    const QByteArray wrapped = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return wrapped.mid(1, wrapped.size() - 2);
}

} // namespace

QByteArray checkUpdateLine(PageSession& session, int timeoutMs)
{
    const QMap<QString, QString> profile = session.settings().reloadClientProfile();
    UpdateService* updates = &session.updates();
    StartupUpdateCheck* check =
        updates->startStartupCheck(profile.value(QStringLiteral("upgrade")), profile.value(QStringLiteral("Version")),
                                   UpdateService::firmwareVersions(session.devices().deviceMap()));
    QElapsedTimer clock;
    clock.start();
    while (!check->isFinished() && clock.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    UpdateCheck* last = check->current();
    const QString type = last ? last->type() : QString();
    const QString description = last ? last->ret().value(QStringLiteral("description")).toString() : QString();
    const QString arguments = UpdateValues::runUpdaterAtExit() ? UpdateValues::updaterArgumentLine() : QString();
    // Members in this order, which QJsonObject would sort.
    return "{\"state\":" + QByteArray::number(check->state()) + ",\"type\":" + jsonText(type)
        + ",\"description\":" + jsonText(description) + ",\"updaterArguments\":" + jsonText(arguments) + "}";
}
