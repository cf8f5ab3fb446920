#include "sequence_store.h"

#include "app_layout.h"
#include "no_follow_file.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

constexpr qint64 kMaxFileSize = 64 * 1024;
constexpr int kMaxChannels = 64;
const QString kChannels = QStringLiteral("channels");

} // namespace

SequenceStore::SequenceStore(const QString &path) : m_path(path) {}

QString SequenceStore::defaultPath()
{
    return appLayout().stateFile(QStringLiteral("update-sequences.json"));
}

QMap<QString, quint64> SequenceStore::load() const
{
    QMap<QString, quint64> channels;
    QFile file;
    if (!NoFollowFile::openForReading(file, m_path))
        return channels;
    const QByteArray bytes = file.read(kMaxFileSize + 1);
    if (bytes.size() > kMaxFileSize)
        return channels;
    const QJsonObject stored = QJsonDocument::fromJson(bytes).object().value(kChannels).toObject();
    for (auto it = stored.begin(); it != stored.end() && channels.size() < kMaxChannels; ++it) {
        // Numbers are kept as decimal text: a JSON number loses digits
        // beyond 2^53.
        bool ok = false;
        const quint64 value = it.value().toString().toULongLong(&ok);
        if (ok)
            channels.insert(it.key(), value);
    }
    return channels;
}

quint64 SequenceStore::highest(const QString &channel) const
{
    return load().value(channel, 0);
}

bool SequenceStore::raise(const QString &channel, quint64 sequence, QString *why)
{
    QMap<QString, quint64> channels = load();
    if (channels.value(channel, 0) >= sequence && channels.contains(channel))
        return true;
    channels.insert(channel, sequence);
    QJsonObject stored;
    for (auto it = channels.cbegin(); it != channels.cend(); ++it)
        stored.insert(it.key(), QString::number(it.value()));
    QJsonObject root;
    root.insert(kChannels, stored);
    return NoFollowFile::save(m_path, QJsonDocument(root).toJson(), QFileInfo(m_path).absolutePath(), why);
}
