#include "signed_list.h"

#include "logging.h"
#include "minisign.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QSet>

namespace {

bool setWhy(QString *why, const QString &text)
{
    if (why)
        *why = text;
    return false;
}

ListVerdict refused(const QString &reason)
{
    ListVerdict verdict;
    verdict.reason = reason;
    return verdict;
}

} // namespace

bool ListClaims::parse(const QString &trustedComment, ListClaims *claims, QString *why)
{
    static const QRegularExpression separators(QStringLiteral("[ \\t]+"));
    static const QRegularExpression channelName(QStringLiteral("^[A-Za-z0-9._-]{1,64}$"));
    ListClaims parsed;
    QSet<QString> seen;
    for (const QString &item : trustedComment.split(separators, Qt::SkipEmptyParts)) {
        const int colon = item.indexOf(QLatin1Char(':'));
        if (colon <= 0)
            continue;
        const QString name = item.left(colon);
        const QString value = item.mid(colon + 1);
        if (name != QLatin1String("channel") && name != QLatin1String("sequence") && name != QLatin1String("expires"))
            continue;
        if (seen.contains(name))
            return setWhy(why, QStringLiteral("\"%1\" is given twice").arg(name));
        seen.insert(name);
        bool ok = true;
        if (name == QLatin1String("channel")) {
            ok = channelName.match(value).hasMatch();
            parsed.channel = value;
        } else if (name == QLatin1String("sequence")) {
            parsed.sequence = value.toULongLong(&ok);
        } else {
            parsed.expires = value.toLongLong(&ok);
            ok = ok && parsed.expires > 0;
        }
        if (!ok)
            return setWhy(why, QStringLiteral("\"%1\" has no valid value").arg(name));
    }
    for (const char *needed : {"channel", "sequence", "expires"}) {
        if (!seen.contains(QLatin1String(needed)))
            return setWhy(why, QStringLiteral("the signed comment names no %1").arg(QLatin1String(needed)));
    }
    if (claims)
        *claims = parsed;
    return true;
}

ListVerdict verifySignedList(const QByteArray &list, const QByteArray &signatureFile, const QString &channel,
                             qint64 now, const UpdateKeys &keys, SequenceStore &sequences)
{
    MinisignSignature signature;
    QString why;
    if (signatureFile.isEmpty())
        return refused(QStringLiteral("not signed by a trusted key (no signature)"));
    if (!Minisign::parseSignature(signatureFile, &signature, &why))
        return refused(QStringLiteral("not signed by a trusted key (%1)").arg(why));
    const UpdateKey *signer = nullptr;
    if (!Minisign::verify(list, signature, keys, &signer, &why))
        return refused(why.startsWith(QLatin1String("not signed")) ? why
                                                                   : QStringLiteral("not signed by a trusted key (%1)").arg(why));
    ListVerdict verdict;
    verdict.signer = signer->name;
    if (!ListClaims::parse(signature.trustedComment, &verdict.claims, &why)) {
        verdict.reason = QStringLiteral("the signature does not say what it signed: %1").arg(why);
        return verdict;
    }
    if (verdict.claims.channel != channel) {
        verdict.reason = QStringLiteral("signed for channel \"%1\", not \"%2\"").arg(verdict.claims.channel, channel);
        return verdict;
    }
    if (verdict.claims.expires <= now) {
        verdict.reason = QStringLiteral("expired on %1 (a stale answer)")
                             .arg(QDateTime::fromSecsSinceEpoch(verdict.claims.expires, Qt::UTC).toString(Qt::ISODate));
        return verdict;
    }
    const quint64 highest = sequences.highest(channel);
    if (verdict.claims.sequence < highest) {
        verdict.reason = QStringLiteral("sequence %1 is older than %2, seen before (a rollback)")
                             .arg(verdict.claims.sequence)
                             .arg(highest);
        return verdict;
    }
    if (!sequences.raise(channel, verdict.claims.sequence, &why))
        LOG_WARNING(QStringLiteral("Update Error: cannot keep the sequence of channel %1 in %2: %3")
                        .arg(channel, sequences.path(), why));
    verdict.trusted = true;
    return verdict;
}
