#pragma once

#include "sequence_store.h"
#include "update_keys.h"

#include <QByteArray>
#include <QString>

// Lists and answers the program takes from the network (the update-check
// answer) come with a detached minisign signature whose trusted comment
// names what was signed:
//   trusted comment: channel:upgrade sequence:12 expires:1767225600
// (space- or tab-separated name:value pairs; others, such as minisign's
// own "timestamp:", are ignored). The channel must be the one the program
// asked on, "expires" is a time in seconds since 1970 after which the
// answer is stale (a server frozen in the past), and "sequence" must not be
// lower than the highest this user's program has trusted on that channel
// (a rollback).
struct ListClaims {
    QString channel;
    quint64 sequence = 0;
    qint64 expires = 0;

    // False (with why) when a claim is missing, malformed or given twice.
    static bool parse(const QString &trustedComment, ListClaims *claims, QString *why = nullptr);
};

struct ListVerdict {
    bool trusted = false;
    QString signer;
    QString reason;
    ListClaims claims;
};

// Checks list against its signature file text for channel at time now
// (seconds since 1970). A trusted list raises the kept sequence; a refused
// one leaves it as it was.
ListVerdict verifySignedList(const QByteArray &list, const QByteArray &signatureFile, const QString &channel,
                             qint64 now, const UpdateKeys &keys, SequenceStore &sequences);
