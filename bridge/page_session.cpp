#include "page_session.h"

#include <QJsonDocument>
#include <QObject>
#include <QProcess>

#include "client_settings.h"
#include "logging.h"
#include "page_events.h"

namespace {

QString withSlash(const QString& folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

void openWithDesktop(const QString& url)
{
    if (!QProcess::startDetached(QStringLiteral("xdg-open"), {url}))
        LOG_WARNING(QStringLiteral("Application Error: cannot open '%1'").arg(url));
}

} // namespace

PageSession::PageSession(PageSessionSetup setup)
    : m_settings(setup.settings)
    , m_events(setup.events)
    , m_devices(setup.worker)
    , m_pointer(setup.pointer ? std::move(setup.pointer) : PointerSettings::fromEnvironment())
    , m_music([this](const QString& name, const QVariantList& args, const QString& view) { raise(name, args, view); })
    , m_automation(std::move(setup.automation))
    , m_presetStore(withSlash(setup.applicationFolder))
    , m_stageWriter(m_devices.writer())
    , m_presets(m_presetStore, [this](const QString& map) { m_automation.refreshVirtualDrive(map); })
    , m_followFocus(setup.followFocus)
    , m_updates(withSlash(setup.applicationFolder))
    , m_dispatcher(m_services)
{
    Q_ASSERT(m_settings);
    m_services.applicationFolder = withSlash(setup.applicationFolder);
    m_services.installation = setup.installation;
    if (!m_services.installation.dataFolder.isEmpty())
        m_services.installation.dataFolder = withSlash(m_services.installation.dataFolder);
    m_services.fileCache = &m_devices.fileCache();
    m_services.deviceHandler = &m_devices.writer();
    m_services.deviceFunctions = &m_devices.deviceFunctions();
    m_services.deviceMap = &m_devices.deviceMap();
    m_services.clientSettings = m_settings;
    m_services.pointerSettings = m_pointer.get();
    m_services.music = &m_music;
    m_services.updates = &m_updates;
    m_services.automation = &m_automation;
    m_services.presetStore = &m_presetStore;
    m_services.presets = &m_presets;
    m_services.window = setup.window;
    m_services.sendPageEvent = [this](const QString& name, const QVariantList& args, const QString& view) {
        raise(name, args, view);
    };
    m_services.openUrl = setup.openUrl ? std::move(setup.openUrl) : openWithDesktop;

    m_presets.setSource(std::move(setup.focusSource));
    m_presets.setStageWriter(&m_stageWriter);
    QObject::connect(&m_presets, &PresetSwitcher::stateChanged, [this] {
        raise(QStringLiteral("onPresetChanged"),
              {QString::fromUtf8(QJsonDocument(m_presets.state()).toJson(QJsonDocument::Compact))});
    });

    m_music.setLightingView(setup.musicView);
    // The files the pages edit stay in the application folder.
    m_devices.fileCache().setFolder(m_services.applicationFolder);
    // Download and firmware progress, and the update check's outcome.
    QObject::connect(&m_updates, &UpdateService::pageEvent,
                     [this](const QString& name, const QVariantList& args) { raise(name, args); });
}

PageSession::~PageSession()
{
    if (m_receivesReports)
        DeviceReports::removeSender(this);
    m_automation.shutdown();
}

int PageSession::start()
{
    const int found = m_devices.start();
    m_automation.connectVMulti();
    if (m_followFocus)
        m_presets.start();
    else
        m_presetStore.load();
    DeviceReports::setSender(this);
    m_receivesReports = true;
    return found;
}

void PageSession::onJsMessage(const QString& request, const QueryCallbackPtr& callback)
{
    m_dispatcher.onJsMessage(request, callback);
}

void PageSession::dofunc(const QString& funcname, const QVariantMap& args, const QueryCallbackPtr& callback)
{
    m_dispatcher.dofunc(funcname, args, callback);
}

void PageSession::raise(const QString& name, const QVariantList& args, const QString& view)
{
    if (m_events)
        raisePageEvent(*m_events, name, args, view);
}

void PageSession::devicesChanged(int kind)
{
    if (kind == 1 || kind == 2)
        raise(QStringLiteral("devicesChanged"), {});
}

void PageSession::sendDeviceData(const QString& report)
{
    raise(QStringLiteral("onDeviceData"), {report});
}
