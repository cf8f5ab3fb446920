#include "kwin_focus_script.h"

#include "whole_file.h"

#include <QDBusMessage>
#include <QDBusReply>
#include <QDir>
#include <QSaveFile>

namespace {

const QString kService = QStringLiteral("org.kde.KWin");
const QString kScripting = QStringLiteral("/Scripting");
const QString kScriptingInterface = QStringLiteral("org.kde.kwin.Scripting");
const QString kScriptInterface = QStringLiteral("org.kde.kwin.Script");
constexpr int kTimeoutMs = 2000;

QDBusMessage call(const QDBusConnection& bus, const QString& path, const QString& interface, const QString& method,
                  const QVariantList& args = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(kService, path, interface, method);
    message.setArguments(args);
    return QDBusConnection(bus).call(message, QDBus::Block, kTimeoutMs);
}

} // namespace

namespace KWinFocusScript {

QString pluginName()
{
    return QStringLiteral("orvanta-focus");
}

QByteArray text()
{
    return QByteArrayLiteral(R"JS(// Tells Orvanta which window is in front, so that its mouse presets follow it.
function report(w) {
    var app = "", title = "", pid = "";
    if (w && !w.desktopWindow && !w.dock) {
        app = String(w.resourceClass || "");
        title = String(w.caption || "");
        pid = String(w.pid || "");
    }
    callDBus("org.orvanta.Orvanta", "/org/orvanta/Focus", "org.orvanta.Focus1", "WindowActivated", app, title, pid);
}
if (workspace.windowActivated) {
    workspace.windowActivated.connect(report);
    report(workspace.activeWindow);
} else {
    workspace.clientActivated.connect(report);
    report(workspace.activeClient);
}
)JS");
}

bool load(const QDBusConnection& bus, const QString& folder, QString* why)
{
    if (folder.isEmpty() || !QDir(folder).exists()) {
        *why = QStringLiteral("no private folder for the script");
        return false;
    }
    const QString path = QDir(folder).filePath(QStringLiteral("kwin-orvanta-focus.js"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !writeWholeFile(file, text())) {
        *why = file.errorString();
        return false;
    }
    // A copy of an earlier run (one that did not end cleanly) would report
    // twice.
    call(bus, kScripting, kScriptingInterface, QStringLiteral("unloadScript"), {pluginName()});
    const QDBusReply<int> id =
        call(bus, kScripting, kScriptingInterface, QStringLiteral("loadScript"), {path, pluginName()});
    if (!id.isValid()) {
        *why = id.error().message().isEmpty() ? QStringLiteral("KWin does not answer") : id.error().message();
        return false;
    }
    if (id.value() < 0) {
        *why = QStringLiteral("KWin refused the script");
        return false;
    }
    // KWin 6 (and late 5.x) keeps scripts at /Scripting/Script<id>, older
    // KWin 5 at /<id>.
    for (const QString& scriptPath : {QStringLiteral("/Scripting/Script%1").arg(id.value()), QStringLiteral("/%1").arg(id.value())}) {
        const QDBusMessage reply = call(bus, scriptPath, kScriptInterface, QStringLiteral("run"));
        if (reply.type() == QDBusMessage::ReplyMessage)
            return true;
        *why = reply.errorMessage();
    }
    call(bus, kScripting, kScriptingInterface, QStringLiteral("unloadScript"), {pluginName()});
    return false;
}

void unload(const QDBusConnection& bus)
{
    call(bus, kScripting, kScriptingInterface, QStringLiteral("unloadScript"), {pluginName()});
}

} // namespace KWinFocusScript
