#pragma once

#include "write_policy.h"

#include <QByteArray>
#include <QMutex>
#include <QString>

#include <cstddef>
#include <cstdint>

// Every frame the transport builds for a real device, sent or not, as one
// JSON line of the transport log:
//   {"op":"set_feature","node":"/dev/hidraw3","report":5,"length":6,
//    "hex":"05 01 00 00 00 00","decision":"dry-run","why":"…"}
// so that a device owner can send what would have been sent, and nothing
// reaches a device unrecorded.
QByteArray frameLogLine(const QString& op, const QString& node, const std::uint8_t* frame, std::size_t size,
                        Decision decision, const QString& why = QString());

QString decisionName(Decision decision);

// Appends lines to a file (never through a link); without a path, nothing
// is kept. Safe to use from several threads.
class FrameLog
{
public:
    explicit FrameLog(const QString& path = QString());
    void append(const QByteArray& line);
    QString path() const { return m_path; }

private:
    QString m_path;
    QMutex m_mutex;
};
