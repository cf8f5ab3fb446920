#include "update_keys.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <QtEndian>

#ifndef ORVANTA_RELEASE_KEY
#error "ORVANTA_RELEASE_KEY must name the release public key"
#endif

namespace {

constexpr int kKeyBytes = 2 + 8 + 32;

} // namespace

QString UpdateKey::idText() const
{
    if (id.size() != 8)
        return QString();
    return QString::number(qFromLittleEndian<quint64>(id.constData()), 16).toUpper();
}

bool UpdateKeys::parseKeyLine(const QString &line, UpdateKey *key)
{
    const QString trimmed = line.trimmed();
    const int space = trimmed.indexOf(QRegularExpression(QStringLiteral("\\s")));
    const QString encoded = space < 0 ? trimmed : trimmed.left(space);
    // 42 bytes take 56 base64 characters.
    if (encoded.size() != 56)
        return false;
    const auto decoded = QByteArray::fromBase64Encoding(encoded.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.size() != kKeyBytes || !decoded.decoded.startsWith("Ed"))
        return false;
    key->id = decoded.decoded.mid(2, 8);
    key->publicKey = decoded.decoded.mid(10, 32);
    key->name = space < 0 ? QString() : trimmed.mid(space + 1).trimmed().left(80);
    if (key->name.isEmpty())
        key->name = QStringLiteral("key %1").arg(key->idText());
    return true;
}

QString UpdateKeys::keyLine(const UpdateKey &key)
{
    return QString::fromLatin1((QByteArray("Ed") + key.id + key.publicKey).toBase64());
}

UpdateKey UpdateKeys::releaseKey()
{
    UpdateKey key;
    parseKeyLine(QStringLiteral(ORVANTA_RELEASE_KEY), &key);
    key.name = QStringLiteral("Orvanta");
    return key;
}

void UpdateKeys::addFromText(const QByteArray &text, const QString &source, QStringList *problems)
{
    const QList<QByteArray> lines = text.split('\n');
    // A key line without a name takes the comment above it (a minisign
    // .pub file's), less the key id minisign puts at its end.
    QString comment;
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = QString::fromUtf8(lines.at(i)).trimmed();
        const QLatin1String untrusted("untrusted comment:");
        if (line.startsWith(untrusted)) {
            comment = line.mid(untrusted.size()).trimmed();
            continue;
        }
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        UpdateKey key;
        const bool named = line.contains(QRegularExpression(QStringLiteral("\\s")));
        if (parseKeyLine(line, &key)) {
            if (!named && !comment.isEmpty()) {
                const QString id = key.idText();
                if (comment.endsWith(QLatin1Char(' ') + id))
                    comment.chop(id.size() + 1);
                if (!comment.isEmpty())
                    key.name = comment.left(80);
            }
            m_keys.append(key);
            comment.clear();
        } else if (problems) {
            problems->append(QStringLiteral("%1 line %2 is not a public key").arg(source).arg(i + 1));
        }
    }
}

UpdateKeys UpdateKeys::trusted(QStringList *problems)
{
    UpdateKeys keys;
    keys.add(releaseKey());
    const QString file = qEnvironmentVariable("ORVANTA_UPDATE_KEYS");
    if (file.isEmpty())
        return keys;
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        if (problems)
            problems->append(QStringLiteral("ORVANTA_UPDATE_KEYS names %1, which cannot be read").arg(file));
        return keys;
    }
    const QByteArray text = in.read(kMaxKeysFileSize + 1);
    if (text.size() > kMaxKeysFileSize) {
        if (problems)
            problems->append(QStringLiteral("%1 is not a keys file (larger than %2 bytes)")
                                 .arg(file)
                                 .arg(kMaxKeysFileSize));
        return keys;
    }
    keys.addFromText(text, file, problems);
    return keys;
}

const UpdateKey *UpdateKeys::find(const QByteArray &id) const
{
    for (const UpdateKey &key : m_keys) {
        if (key.id == id)
            return &key;
    }
    return nullptr;
}
