#include "update_commands.h"

#include <QDir>
#include <QFileInfo>

#include "command_context.h"
#include "command_host.h"
#include "command_table.h"
#include "download_file.h"
#include "logging.h"
#include "path_inside_folder.h"
#include "update_service.h"

namespace {

const QString kNotCaptured = QStringLiteral("url file is not captured");
const QString kDownloadFailed = QStringLiteral("downloadFaild");

void firmwareEvent(CommandContext& c, const QString& state)
{
    c.host().sendPageEvent(QStringLiteral("onUpdateFirmware"), {state});
}

void updateFirmware(CommandContext& c)
{
    if (!c.has(QStringLiteral("downloadUrl")))
        return;
    const QString url = c.text(QStringLiteral("downloadUrl"));
    const QString name = DownloadFile::fileNameOf(url);
    if (name.isEmpty()) {
        c.fail(kNotCaptured);
        firmwareEvent(c, kNotCaptured);
        return;
    }
    const QString folder = c.host().applicationFolder();
    const std::optional<QString> existing = pathInsideFolder(folder, name);
    if (existing && QFileInfo::exists(*existing)) {
        // The page's own name for this state.
        firmwareEvent(c, QStringLiteral("dirStr + fileName"));
        c.succeed(*existing);
        return;
    }
    UpdateService* updates = c.host().updateService();
    if (!updates || !existing) {
        c.fail(kDownloadFailed);
        return;
    }
    updates->downloadFirmware(url, c.callback());
    c.succeed(QStringLiteral("start download"));
    firmwareEvent(c, QStringLiteral("downLoading"));
}

void executeUpdate(CommandContext& c)
{
    // "UpdateState", "DeviceVersion" and "DeviceId" come along but change
    // nothing: the image itself names its device.
    const QString filePath = c.text(QStringLiteral("FilePath"));
    UpdateService* updates = c.host().updateService();
    // The image is deleted once read: it must lie in the application folder.
    const std::optional<QString> image =
        pathInsideFolder(c.host().applicationFolder(), filePath, AbsolutePaths::Accept);
    if (!image || !updates) {
        if (!image)
            LOG_WARNING(QStringLiteral("Application Error: ExecuteUpdate-- refused '%1': outside the application folder")
                            .arg(filePath));
        firmwareEvent(c, QStringLiteral("updatefailed"));
        return;
    }
    firmwareEvent(c, QStringLiteral("StartUpdate"));
    updates->startFirmwareUpdate(*image);
}

void downloadFile(CommandContext& c)
{
    if (!c.has(QStringLiteral("downloadUrl")) || !c.has(QStringLiteral("relativePath")))
        return;
    const QString url = c.text(QStringLiteral("downloadUrl"));
    const QString relativePath = c.text(QStringLiteral("relativePath"));
    const QString name = DownloadFile::fileNameOf(url);
    if (name.isEmpty()) {
        c.fail(kNotCaptured);
        return;
    }
    const std::optional<QString> folder = pathInsideFolder(c.host().applicationFolder(), relativePath);
    if (!folder) {
        LOG_WARNING(QStringLiteral("Application Error: DownloadFile refused '%1': outside the application folder")
                        .arg(relativePath));
        c.fail(kDownloadFailed);
        return;
    }
    const QString existing = QDir(*folder).filePath(name);
    if (QFileInfo::exists(existing)) {
        c.succeed(existing);
        return;
    }
    UpdateService* updates = c.host().updateService();
    if (!updates) {
        c.fail(kDownloadFailed);
        return;
    }
    updates->downloadPageFile(url, relativePath, c.callback());
}

} // namespace

void addUpdateCommands(CommandTable& table)
{
    table.add(5, QStringLiteral("UpdateFirmware"), updateFirmware);
    table.add(6, QStringLiteral("ExecuteUpdate--"), executeUpdate);
    table.add(36, QStringLiteral("DownloadFile"), downloadFile);
}
