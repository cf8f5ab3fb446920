#include "headless_host.h"

#include <QProcess>

#include "logging.h"

HeadlessHost::HeadlessHost(const QString& folder, ClientSettings& settings, EventSink events)
    : m_folder(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'))
    , m_settings(settings)
    , m_events(std::move(events))
    , m_pointerSettings(PointerSettings::fromEnvironment())
    , m_music([this](const QString& name, const QVariantList& args, const QString& view) {
        sendPageEvent(name, args, view);
    })
    , m_updates(m_folder)
    , m_automation(InputAutomationSetup::headless())
{
    m_devices.fileCache().setFolder(m_folder);
    QObject::connect(&m_updates, &UpdateService::pageEvent,
                     [this](const QString& name, const QVariantList& args) { sendPageEvent(name, args, QString()); });
}

int HeadlessHost::start()
{
    const int devices = m_devices.start();
    m_music.setLightingView(m_settings.reloadClientProfile().value(QStringLiteral("MusicView")));
    m_automation.connectVMulti();
    return devices;
}

void HeadlessHost::sendPageEvent(const QString& name, const QVariantList& args, const QString& view)
{
    if (m_events)
        m_events(name, args, view);
}

void HeadlessHost::openUrl(const QString& url)
{
    if (!QProcess::startDetached(QStringLiteral("xdg-open"), {url}))
        LOG_WARNING(QStringLiteral("Application Error: cannot open '%1'").arg(url));
}
