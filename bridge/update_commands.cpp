#include "update_commands.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include "command_context.h"
#include "page_services.h"
#include "window_port.h"
#include "command_table.h"
#include "download_file.h"
#include "logging.h"
#include "network_package_check.h"
#include "package_reader.h"
#include "package_trust_log.h"
#include "path_inside_folder.h"
#include "program_files.h"
#include "update_service.h"

namespace {

const QString kNotCaptured = QStringLiteral("url file is not captured");
const QString kDownloadFailed = QStringLiteral("downloadFaild");

void firmwareEvent(CommandContext& c, const QString& state)
{
    c.services().raise(QStringLiteral("onUpdateFirmware"), {state});
}

// The device the request is for: the page's device key, as every device
// command names it ("" when the request names none).
QString requestedDevice(const CommandContext& c)
{
    return c.text(QStringLiteral("Version")).trimmed();
}

// Downloads fetch http and https only.
bool refusedAddress(const QString& command, const QString& url)
{
    if (DownloadFile::isWebAddress(url))
        return false;
    LOG_WARNING(QStringLiteral("Application Error: %1 refused '%2': only http and https addresses are downloaded")
                    .arg(command, Logger::clipped(url)));
    return true;
}

// A file left where a download lands counts as downloaded only when it is
// a whole package that may be installed (signed by a trusted key); a part
// of one (a download that broke off) goes to the downloader, which resumes
// it, and a package nobody trusted is fetched again and refused there, so
// the page hears why.
bool isWholePackage(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return false;
    PackagePayload payload;
    return inspectPackage(path, &payload)
           && NetworkPackageCheck::installable(PackageSignature::verifyPath(path, UpdateKeys::trusted()));
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
    if (refusedAddress(QStringLiteral("UpdateFirmware"), url)) {
        c.fail(kDownloadFailed);
        return;
    }
    const QString folder = c.services().applicationFolder;
    const std::optional<QString> existing = pathInsideFolder(folder, name);
    if (existing && isWholePackage(*existing)) {
        // The page's own name for this state.
        firmwareEvent(c, QStringLiteral("dirStr + fileName"));
        c.succeed(*existing);
        return;
    }
    UpdateService* updates = c.services().updates;
    if (!updates || !existing) {
        c.fail(kDownloadFailed);
        return;
    }
    // While a firmware package downloads or a flash runs, a second request
    // is refused on its own answer, with no event that the running update's
    // page could take for its outcome.
    if (updates->firmwareUpdateRunning() || updates->downloading(url)) {
        LOG_WARNING(QStringLiteral("Application Error: UpdateFirmware refused: a firmware update is running"));
        c.fail(kDownloadFailed);
        return;
    }
    updates->downloadFirmware(url, c.callback(), requestedDevice(c));
    c.succeed(QStringLiteral("start download"));
    firmwareEvent(c, QStringLiteral("downLoading"));
}

void executeUpdate(CommandContext& c)
{
    // "UpdateState", "DeviceVersion" and "DeviceId" come along but change
    // nothing: the image itself names its device, and "Version", when the
    // page sends it, the device the image must be for.
    const QString filePath = c.text(QStringLiteral("FilePath"));
    UpdateService* updates = c.services().updates;
    const QString folder = c.services().applicationFolder;
    // The image is deleted once flashed: it must lie in the application
    // folder, and be none of the program's own files.
    std::optional<QString> image = pathInsideFolder(folder, filePath, AbsolutePaths::Accept);
    if (!image) {
        LOG_WARNING(QStringLiteral("Application Error: ExecuteUpdate-- refused '%1': outside the application folder")
                        .arg(Logger::clipped(filePath)));
    } else if (isProgramFile(folder, *image)) {
        LOG_WARNING(QStringLiteral("Application Error: ExecuteUpdate-- refused '%1': one of the program's own files")
                        .arg(Logger::clipped(filePath)));
        image.reset();
    }
    if (!image || !updates) {
        firmwareEvent(c, QStringLiteral("updatefailed"));
        return;
    }
    if (updates->firmwareUpdateRunning()) {
        LOG_WARNING(QStringLiteral("Application Error: ExecuteUpdate-- refused: a firmware update is running"));
        return;
    }
    firmwareEvent(c, QStringLiteral("StartUpdate"));
    updates->startFirmwareUpdate(*image, requestedDevice(c));
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
    if (refusedAddress(QStringLiteral("DownloadFile"), url)) {
        c.fail(kDownloadFailed);
        return;
    }
    const std::optional<QString> folder = pathInsideFolder(c.services().applicationFolder, relativePath);
    if (!folder) {
        LOG_WARNING(QStringLiteral("Application Error: DownloadFile refused '%1': outside the application folder")
                        .arg(relativePath));
        c.fail(kDownloadFailed);
        return;
    }
    const QString existing = QDir(*folder).filePath(name);
    if (isWholePackage(existing)) {
        c.succeed(existing);
        return;
    }
    UpdateService* updates = c.services().updates;
    if (!updates) {
        c.fail(kDownloadFailed);
        return;
    }
    updates->downloadPageFile(url, relativePath, c.callback());
}

// What the signature check said about the package last fetched from
// "downloadUrl", or last unpacked from "FileName": {"Known": false}, or
// {"Known": true, "Trusted": …, "Signed": …, "Signer": …, "Release": …,
// "Reason": …}.
void getUpdateTrust(CommandContext& c)
{
    QString origin = c.text(QStringLiteral("downloadUrl")).trimmed();
    if (origin.isEmpty() && c.has(QStringLiteral("FileName"))) {
        const std::optional<QString> path = pathInsideFolder(c.services().applicationFolder,
                                                             c.text(QStringLiteral("FileName")), AbsolutePaths::Accept);
        origin = path ? *path : QString();
    }
    QJsonObject out;
    const std::optional<PackageVerdict> verdict = origin.isEmpty() ? std::nullopt : PackageTrustLog::find(origin);
    out.insert(QStringLiteral("Known"), bool(verdict));
    if (verdict) {
        out.insert(QStringLiteral("Trusted"), NetworkPackageCheck::installable(*verdict));
        out.insert(QStringLiteral("Signed"), verdict->trusted() || !verdict->signer.isEmpty());
        out.insert(QStringLiteral("Signer"), verdict->signer);
        out.insert(QStringLiteral("Release"), QString::number(verdict->sequence));
        out.insert(QStringLiteral("Reason"), verdict->trusted() ? QString() : verdict->reason);
    }
    c.succeed(QString::fromUtf8(QJsonDocument(out).toJson(QJsonDocument::Compact)));
}

} // namespace

void addUpdateCommands(CommandTable& table)
{
    table.add(5, QStringLiteral("UpdateFirmware"), updateFirmware);
    table.add(6, QStringLiteral("ExecuteUpdate--"), executeUpdate);
    table.add(36, QStringLiteral("DownloadFile"), downloadFile);
    table.add(64, QStringLiteral("GetUpdateTrust"), getUpdateTrust);
}
