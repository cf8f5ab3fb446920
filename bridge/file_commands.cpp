#include "file_commands.h"

#include <QDir>
#include <QFileInfo>

#include "path_inside_folder.h"
#include "client_settings.h"
#include "command_context.h"
#include "page_services.h"
#include "window_port.h"
#include "command_table.h"
#include "file_cache.h"
#include "folder_removal.h"
#include "logging.h"
#include "network_package_check.h"
#include "no_follow_file.h"
#include "package_unpacker.h"
#include "program_files.h"
#include "xml_text.h"

namespace {

const QString kQueryFailed = QStringLiteral("queryProfile load xml file failed!");

void logRefused(const QString& command, const QString& path)
{
    LOG_WARNING(QStringLiteral("Application Error: %1 refused '%2': outside the application folder")
                    .arg(command, Logger::clipped(path)));
}

void logProtected(const QString& command, const QString& path)
{
    LOG_WARNING(QStringLiteral("Application Error: %1 refused '%2': one of the program's own files")
                    .arg(command, Logger::clipped(path)));
}

void readFileToStr(CommandContext& c)
{
    if (!c.has(QStringLiteral("FilePath")))
        return;
    const QString given = c.text(QStringLiteral("FilePath"));
    QString path;
    if (given.contains(QLatin1String("conf.xml"))) {
        // The client profile is the one compiled into the program, wherever
        // the page thinks it lies.
        path = c.services().clientSettings->clientProfilePath();
    } else {
        const std::optional<QString> inside = c.services().readablePath(given);
        if (!inside) {
            logRefused(QStringLiteral("ReadFileToStr"), given);
            c.fail(kQueryFailed);
            return;
        }
        path = *inside;
    }
    FileCache& cache = *c.services().fileCache;
    cache.load(path);
    const QString xpath = c.text(QStringLiteral("Xpath"));
    QString refused;
    const std::optional<QString> selected = XmlText::select(cache.text(path), xpath, &refused);
    if (!refused.isEmpty())
        LOG_WARNING(QStringLiteral("Application Error: ReadFileToStr refused the expression '%1': %2")
                        .arg(Logger::clipped(xpath), refused));
    if (selected)
        c.succeed(*selected);
    else
        c.fail(kQueryFailed);
}

const QString kModifyFailed = QStringLiteral("ModifyFileFromStr failed");

// The file a page may write, below the application folder: its folders are
// made when missing, its name is not a symbolic link, it is not a folder
// and not one of the program's own files. Otherwise nullopt, with the
// refusal logged.
std::optional<QString> writablePageFile(const QString& folder, const QString& given)
{
    const std::optional<QString> path = pathInsideFolder(folder, given);
    if (!path) {
        logRefused(QStringLiteral("ModifyFileFromStr"), given);
        return std::nullopt;
    }
    // Executables, libraries, the page package, the device set, the
    // settings and the updater are never replaced by a page's XML.
    if (isProgramFile(folder, *path)) {
        logProtected(QStringLiteral("ModifyFileFromStr"), given);
        return std::nullopt;
    }
    QString error;
    if (!NoFollowFile::makeFolder(QFileInfo(*path).path(), folder, &error)
        || !NoFollowFile::canWrite(*path, folder, &error)) {
        LOG_WARNING(QStringLiteral("Application Error: ModifyFileFromStr refused '%1': %2")
                        .arg(Logger::clipped(given), error));
        return std::nullopt;
    }
    return path;
}

// Every refusal fails at once, so that nothing the page believes saved
// waits in the cache for a write-out that can never succeed.
void modifyFileFromStr(CommandContext& c)
{
    const QString given = c.text(QStringLiteral("FilePath"));
    const QString folder = c.services().applicationFolder;
    const std::optional<QString> path = writablePageFile(folder, given);
    if (!path) {
        c.fail(kModifyFailed);
        return;
    }
    // What does not parse would replace the file with the fragment the
    // parser got through; the file is left as it is instead.
    const std::optional<QString> reindented = XmlText::reindent(c.text(QStringLiteral("ContentStr")));
    if (!reindented) {
        LOG_ERROR(QStringLiteral("Application Error: ModifyFileFromStr: the content for '%1' is not XML;"
                                 " the file is left as it is")
                      .arg(Logger::clipped(given)));
        c.fail(kModifyFailed);
        return;
    }
    const QString& text = *reindented;
    QString error;
    if (!QFileInfo::exists(*path) && !NoFollowFile::save(*path, text.toUtf8(), folder, &error)) {
        LOG_ERROR(QStringLiteral("Application Error: cannot create '%1': %2").arg(*path, error));
        c.fail(kModifyFailed);
        return;
    }
    FileCache& cache = *c.services().fileCache;
    cache.store(*path, text);
    c.succeed(QStringLiteral("ModifyFileFromStr success"));
    cache.writeOut();
}

void saveXml(CommandContext& c)
{
    FileCache& cache = *c.services().fileCache;
    if (!cache.hasPending())
        return;
    // A file that cannot be written keeps the whole list pending for the
    // next write-out, and the page gets no answer.
    if (cache.writeOut())
        c.succeed(QStringLiteral("save xml success"));
}

void unPackFile(CommandContext& c)
{
    const QString folder = c.services().applicationFolder;
    const QString fileName = c.text(QStringLiteral("FileName"));
    const QString unPath = c.text(QStringLiteral("UnPath"));
    // The package is deleted once read, so it must lie inside the folder
    // as well as the target, and it must not be one of the program's own
    // files; nor may the package write over one of them.
    std::optional<QString> package = pathInsideFolder(folder, fileName, AbsolutePaths::Accept);
    std::optional<QString> target = pathInsideFolder(folder, unPath);
    if (!package)
        logRefused(QStringLiteral("UnPackFile"), fileName);
    if (!target)
        logRefused(QStringLiteral("UnPackFile"), unPath);
    // The target folder is made here, never through a link, and must end
    // up inside the folder.
    QString refusal;
    if (package && target && !NoFollowFile::makeFolder(*target, folder, &refusal)) {
        LOG_WARNING(QStringLiteral("Application Error: UnPackFile refused '%1': %2")
                        .arg(Logger::clipped(unPath), refusal));
        target.reset();
    }
    if (package && isProgramFile(folder, *package)) {
        logProtected(QStringLiteral("UnPackFile"), fileName);
        package.reset();
    }
    const RefuseFile ownFile = [folder](const QString& path, const QByteArray& head) {
        return refusesProgramWrite(folder, path, head);
    };
    // Whatever a page names came from the network: only a package a trusted
    // key signed is unpacked.
    QString error;
    NetworkPackageCheck signature(package ? QStringList{*package} : QStringList());
    if (package && target && unpackPackage(*package, *target, true, &error, ownFile, &signature)) {
        c.succeed(QStringLiteral("success!"));
        return;
    }
    if (!error.isEmpty())
        LOG_ERROR(QStringLiteral("Update Error: unpacking '%1' failed: %2").arg(Logger::clipped(fileName), Logger::clipped(error, 500)));
    // What a failed update left behind goes; a "tupdates" that is a link
    // is left alone, and what it points to is never touched.
    QString removal;
    if (!removeFolderTree(QDir(folder).filePath(QStringLiteral("tupdates")), &removal))
        LOG_ERROR(QStringLiteral("Update Error: cannot remove the update folder: %1").arg(removal));
    c.fail(QStringLiteral("failed!"));
}

} // namespace

void addFileCommands(CommandTable& table)
{
    table.add(17, QStringLiteral("ReadFileToStr"), readFileToStr);
    table.add(18, QStringLiteral("ModifyFileFromStr"), modifyFileFromStr);
    table.add(22, QStringLiteral("savexml"), saveXml);
    table.add(51, QStringLiteral("UnPackFile"), unPackFile);
}
