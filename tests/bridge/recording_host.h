#pragma once

// The page services for the bridge tests: an application folder of its own
// (a temporary folder), a file cache, a device write worker, and a record
// of every window, view, tray, dialog and event call. Its pointer settings
// live in "pointer.json" of that folder, never on the desktop. Dialogs answer what the
// test put in nextFileName (nullopt: cancelled).

#include <QMap>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantList>

#include <memory>
#include <optional>

#include "client_profile_settings.h"
#include "command_dispatcher.h"
#include "page_services.h"
#include "window_port.h"
#include "device_data_handler.h"
#include "file_cache.h"
#include "pointer_settings.h"
#include "query_callback.h"

// The program's client settings, with the profile map replaced when the
// test gives one and the tray mode recorded instead of set.
class RecordingSettings : public ClientProfileSettings
{
public:
    QMap<QString, QString> reloadClientProfile() const override
    {
        return profile ? *profile : ClientProfileSettings::reloadClientProfile();
    }
    void setTrayMode(const QString& mode) override { trayMode = mode; }

    std::optional<QMap<QString, QString>> profile;
    QString trayMode;
};

// The services a command sees, with the window operations recorded.
class RecordingHost : public PageServices, public WindowPort
{
public:
    explicit RecordingHost(bool hasWindow = true)
    {
        m_folder = m_dir.path() + QLatin1Char('/');
        cache.setFolder(m_folder);
        handler.setProfileSource(&cache);
        m_pointer = std::make_unique<PointerSettings>(nullptr, std::make_unique<PointerSettingsFile>(path("pointer.json")));

        applicationFolder = m_folder;
        fileCache = &cache;
        deviceHandler = &handler;
        deviceFunctions = &handler.deviceFunctions();
        deviceMap = &devices;
        clientSettings = &settings;
        pointerSettings = m_pointer.get();
        window = hasWindow ? this : nullptr;
        sendPageEvent = [this](const QString& name, const QVariantList& args, const QString& view) {
            calls << QStringLiteral("event %1 %2 %3").arg(name, args.value(0).toString(), view);
        };
        openUrl = [this](const QString& url) { calls << QStringLiteral("openUrl ") + url; };
    }

    void maximizeWindow() override { calls << QStringLiteral("maximize"); }
    void restoreWindow() override { calls << QStringLiteral("restore"); }
    void loginMain(const QString& url, int width, int height) override
    {
        calls << QStringLiteral("loginMain %1 %2 %3").arg(url).arg(width).arg(height);
    }
    void loadUrl(const QString& address) override { calls << QStringLiteral("loadUrl ") + address; }
    void goBack() override { calls << QStringLiteral("goBack"); }
    void goForward() override { calls << QStringLiteral("goForward"); }
    void openView(const QString& url, int width, int height) override
    {
        calls << QStringLiteral("openView %1 %2 %3").arg(url).arg(width).arg(height);
    }
    void closeView() override { calls << QStringLiteral("closeView"); }
    void showTrayMessage(const QString& title, const QString& text) override
    {
        calls << QStringLiteral("tray %1 %2").arg(title, text);
    }
    void hideToTray() override { calls << QStringLiteral("hideToTray"); }
    void closeApplication() override { calls << QStringLiteral("closeApplication"); }
    bool hasTray() const override { return false; }
    std::optional<QString> saveFileName(const QString& title, const QString& folder, const QString& filter) override
    {
        calls << QStringLiteral("save %1|%2|%3").arg(title, folder, filter);
        return nextFileName;
    }
    std::optional<QString> openFileName(const QString& title, const QString& folder, const QString& filter) override
    {
        calls << QStringLiteral("open %1|%2|%3").arg(title, folder, filter);
        return nextFileName;
    }

    QString path(const QString& relative) const { return m_folder + relative; }

    FileCache cache;
    device_data_handler handler;
    DeviceMap devices;
    QStringList calls;
    std::optional<QString> nextFileName;
    RecordingSettings settings;

private:
    QTemporaryDir m_dir;
    QString m_folder;
    std::unique_ptr<PointerSettings> m_pointer;
};

// What one request got back.
struct Answer {
    enum Kind { None, Success, Failure } kind = None;
    int code = -1;
    QString text;
    int count = 0;
};

// A callback that records into answer (which must outlive it).
inline QueryCallbackPtr recordInto(Answer& answer)
{
    return makeQueryCallback(
        [&answer](const QString& text) {
            answer.kind = Answer::Success;
            answer.text = text;
            ++answer.count;
        },
        [&answer](int code, const QString& text) {
            answer.kind = Answer::Failure;
            answer.code = code;
            answer.text = text;
            ++answer.count;
        });
}

// Runs one request text and returns what it got back.
inline Answer send(CommandDispatcher& dispatcher, const QString& request)
{
    Answer answer;
    dispatcher.onJsMessage(request, recordInto(answer));
    return answer;
}
