#pragma once

#include <QByteArray>
#include <QStringList>

// The local-socket protocol between instances of the program: a command is
// "CMD:" + name + ";" (local 8-bit), every command is answered with
// "RES:" + the process id + ";" (UTF-8).
namespace InstanceCommands {

QByteArray command(const QString& name);      // "CMD:show;"
QByteArray answer(qint64 processId);          // "RES:1234;"

// Takes the complete segments (each ended by ";") out of the bytes a client
// sent so far and leaves the bytes after the last ";" in buffer.
QStringList takeSegments(QByteArray* buffer);

// The command name of a segment that begins with "CMD:" (case-sensitive);
// false for any other segment.
bool commandName(const QString& segment, QString* name);

// The process id of an answer buffer: nothing until "RES:<digits>;" is in
// it; then the text from index 4 to the last character but one, read as an
// unsigned decimal (0 when it is not a number).
bool parseAnswer(const QString& buffer, quint64* processId);

} // namespace InstanceCommands
