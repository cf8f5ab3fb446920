#include "dialog_commands.h"

#include <QBuffer>
#include <QDebug>
#include <QDir>
#include <QFile>

#include "command_context.h"
#include "command_file.h"
#include "page_services.h"
#include "window_port.h"
#include "command_table.h"
#include "logging.h"
#include "no_follow_file.h"
#include "program_files.h"

namespace {

const QString kNoFile = QStringLiteral("doesn't select file");

QString documentsFolder()
{
    return QDir::homePath() + QStringLiteral("/Documents");
}

void saveFileDialog(CommandContext& c)
{
    const auto path = c.window().saveFileName(QStringLiteral("保存为"), documentsFolder(), QStringLiteral("pfd文件(*.pfd)"));
    if (path)
        c.succeed(*path);
    else
        c.fail(kNoFile);
}

void openFileDialog(CommandContext& c)
{
    const auto path = c.window().openFileName(QStringLiteral("打开"), documentsFolder(), QStringLiteral("*"));
    if (path)
        c.succeed(*path);
    else
        c.fail(kNoFile);
}

void openFileDialogEx(CommandContext& c)
{
    const auto path = c.window().openFileName(QStringLiteral("打开"), QString(), QString());
    if (path)
        c.succeed(*path);
}

void saveCommand(CommandContext& c)
{
    if (!c.has(QStringLiteral("CommandString")))
        return;
    const auto path = c.window().saveFileName(QStringLiteral("Save"), documentsFolder(), QStringLiteral("pfd(*.pfd)"));
    if (!path)
        return;
    // The user chose the file, anywhere; still, nothing is written through
    // a link (the name is refused), nor over one of the program's own
    // files. Written beside the file and renamed over it, so a failed save
    // leaves an earlier file whole.
    QBuffer content;
    content.open(QIODevice::WriteOnly);
    QString error;
    if (!CommandFile::write(content, c.text(QStringLiteral("CommandString")))) {
        error = QStringLiteral("cannot encode the command");
    } else if (isProgramFile(c.services().applicationFolder, *path)) {
        error = QStringLiteral("one of the program's own files");
    } else if (NoFollowFile::save(*path, content.data(), QString(), &error)) {
        c.succeed(QStringLiteral("SaveCommand Success!"));
        return;
    }
    LOG_WARNING(QStringLiteral("Application Error: SaveCommand cannot write '%1': %2")
                    .arg(Logger::clipped(*path), error));
    c.fail(QStringLiteral("SaveCommand is failed!"));
}

void loadCommand(CommandContext& c)
{
    const auto path =
        c.window().openFileName(QStringLiteral("OpenFileDialog"), documentsFolder(), QStringLiteral("pfd(*.pfd)"));
    if (!path)
        return;
    QFile file(*path);
    const std::optional<QString> text =
        file.open(QIODevice::ReadOnly) ? CommandFile::read(file) : std::optional<QString>();
    if (!text) {
        c.fail(QStringLiteral("LoadCommand file failed!"));
        return;
    }
    qDebug().noquote() << *text;
    c.succeed(*text);
}

} // namespace

void addDialogCommands(CommandTable& table)
{
    table.add(33, QStringLiteral("saveFileDialog"), saveFileDialog, CommandTable::NeedsWindow);
    table.add(34, QStringLiteral("OpenFileDialog"), openFileDialog, CommandTable::NeedsWindow);
    table.add(40, QStringLiteral("openFileDialogEx"), openFileDialogEx, CommandTable::NeedsWindow);
    table.add(42, QStringLiteral("SaveCommand"), saveCommand, CommandTable::NeedsWindow);
    table.add(43, QStringLiteral("LoadCommand"), loadCommand, CommandTable::NeedsWindow);
}
