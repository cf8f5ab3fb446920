#pragma once

#include <QString>

#include <optional>

class QIODevice;

// The saved command file of "SaveCommand" and "LoadCommand": a Qt data
// stream (version Qt_5_1, big-endian) holding the magic 0x0A0B0C0D as an
// unsigned 32-bit number, then a byte array (32-bit length and bytes) with
// the command text encoded as UTF-8 and then as Base64.
namespace CommandFile {

constexpr quint32 kMagic = 0x0A0B0C0Du;

bool write(QIODevice& device, const QString& commandText);

// nullopt for a wrong magic or a stream that ends early.
std::optional<QString> read(QIODevice& device);

} // namespace CommandFile
