#include "dialog_commands.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QSaveFile>

#include "command_context.h"
#include "command_file.h"
#include "command_host.h"
#include "command_table.h"
#include "whole_file.h"

namespace {

const QString kNoFile = QStringLiteral("doesn't select file");

QString documentsFolder()
{
    return QDir::homePath() + QStringLiteral("/Documents");
}

void saveFileDialog(CommandContext& c)
{
    const auto path = c.host().saveFileName(QStringLiteral("保存为"), documentsFolder(), QStringLiteral("pfd文件(*.pfd)"));
    if (path)
        c.succeed(*path);
    else
        c.fail(kNoFile);
}

void openFileDialog(CommandContext& c)
{
    const auto path = c.host().openFileName(QStringLiteral("打开"), documentsFolder(), QStringLiteral("*"));
    if (path)
        c.succeed(*path);
    else
        c.fail(kNoFile);
}

void openFileDialogEx(CommandContext& c)
{
    const auto path = c.host().openFileName(QStringLiteral("打开"), QString(), QString());
    if (path)
        c.succeed(*path);
}

void saveCommand(CommandContext& c)
{
    if (!c.has(QStringLiteral("CommandString")))
        return;
    const auto path = c.host().saveFileName(QStringLiteral("Save"), documentsFolder(), QStringLiteral("pfd(*.pfd)"));
    if (!path)
        return;
    // Written beside the file and renamed over it, so a failed save leaves
    // an earlier file whole.
    QSaveFile file(*path);
    if (!file.open(QIODevice::WriteOnly) || !CommandFile::write(file, c.text(QStringLiteral("CommandString")))
        || !commitWholeFile(file)) {
        c.fail(QStringLiteral("SaveCommand is failed!"));
        return;
    }
    c.succeed(QStringLiteral("SaveCommand Success!"));
}

void loadCommand(CommandContext& c)
{
    const auto path =
        c.host().openFileName(QStringLiteral("OpenFileDialog"), documentsFolder(), QStringLiteral("pfd(*.pfd)"));
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
