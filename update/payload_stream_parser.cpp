#include "payload_stream_parser.h"

#include <QtEndian>

#include <algorithm>

namespace {

constexpr quint32 kNullLength = 0xFFFFFFFFu;
// The least an entry takes: name length, size field, content length.
constexpr quint64 kMinEntrySize = 12;

} // namespace

PayloadStreamParser::PayloadStreamParser(Handler &handler, quint64 payloadSize)
    : m_handler(handler)
    , m_payloadSize(payloadSize)
{
}

bool PayloadStreamParser::fail(const QString &why)
{
    if (m_state != State::Failed)
        m_error = why;
    m_state = State::Failed;
    return false;
}

bool PayloadStreamParser::refuse(const QString &why)
{
    m_refused = m_state != State::Failed;
    return fail(why);
}

bool PayloadStreamParser::gather(const char *&data, int &size, int want)
{
    const int take = std::min(size, want - int(m_field.size()));
    m_field.append(data, take);
    data += take;
    size -= take;
    m_position += quint64(take);
    return m_field.size() == want;
}

quint32 PayloadStreamParser::fieldValue() const
{
    return qFromBigEndian<quint32>(m_field.constData());
}

QString PayloadStreamParser::fieldText() const
{
    const int units = m_field.size() / 2;
    QString text(units, Qt::Uninitialized);
    QChar *out = text.data();
    const auto *in = reinterpret_cast<const uchar *>(m_field.constData());
    for (int i = 0; i < units; ++i)
        out[i] = QChar(qFromBigEndian<quint16>(in + 2 * i));
    return text;
}

bool PayloadStreamParser::stringLength(quint32 length, quint32 limit, const char *what)
{
    const quint64 remaining = m_payloadSize - std::min(m_payloadSize, m_position);
    if (length % 2 != 0)
        return fail(QStringLiteral("%1: odd string length %2").arg(QLatin1String(what)).arg(length));
    if (length > remaining)
        return fail(QStringLiteral("%1: string of %2 bytes but only %3 remain")
                        .arg(QLatin1String(what))
                        .arg(length)
                        .arg(remaining));
    if (length > limit)
        return fail(QStringLiteral("%1: string of %2 bytes, more than %3")
                        .arg(QLatin1String(what))
                        .arg(length)
                        .arg(limit));
    m_want = int(length);
    return true;
}

bool PayloadStreamParser::push(const char *data, int size)
{
    while (size > 0) {
        if (m_state == State::Failed)
            return false;
        if (m_state == State::Done) {
            m_position += quint64(size);
            return true;
        }
        if (!step(data, size))
            return false;
    }
    return m_state != State::Failed;
}

bool PayloadStreamParser::step(const char *&data, int &size)
{
    // What the payload can still hold, at the moment it is asked.
    auto left = [this]() { return m_payloadSize - std::min(m_payloadSize, m_position); };
    QString why;
    auto entryText = [this](const QString &text) {
        return QStringLiteral("file %1 of %2 at payload offset %3: %4")
            .arg(m_index + 1)
            .arg(m_count)
            .arg(m_position)
            .arg(text);
    };
    auto nextEntry = [this, &why]() {
        if (!m_handler.endFile(&why))
            return refuse(why);
        m_field.clear();
        m_state = ++m_index == m_count ? State::Done : State::NameLength;
        return true;
    };

    switch (m_state) {
    case State::VersionLength:
    case State::NameLength: {
        const bool version = m_state == State::VersionLength;
        if (!gather(data, size, 4))
            return true;
        const quint32 length = fieldValue();
        m_field.clear();
        m_null = length == kNullLength;
        if (!m_null && !stringLength(length, version ? kMaxVersionBytes : kMaxNameBytes,
                                     version ? "payload version" : "file name"))
            return false;
        if (!version && !m_null && (m_nameBytes += length) > kMaxNameBytesInAll)
            return fail(QStringLiteral("the file names take more than %1 bytes").arg(kMaxNameBytesInAll));
        m_want = m_null ? 0 : m_want;
        m_state = version ? State::Version : State::Name;
        if (m_want > 0)
            return true;
        [[fallthrough]];
    }
    case State::Version:
    case State::Name: {
        if (m_want > 0 && !gather(data, size, m_want))
            return true;
        const QString text = m_null ? QString() : fieldText();
        m_field.clear();
        if (m_state == State::Version) {
            if (!m_handler.payloadVersion(text, &why))
                return refuse(why);
            m_state = State::Count;
        } else {
            m_name = text;
            m_state = State::SizeField;
        }
        return true;
    }
    case State::Count:
        if (!gather(data, size, 4))
            return true;
        m_count = fieldValue();
        m_field.clear();
        if (m_count == 0)
            return fail(QStringLiteral("package holds no files"));
        if (m_count > kMaxFiles)
            return fail(QStringLiteral("package holds %1 files, more than %2").arg(m_count).arg(kMaxFiles));
        if (m_count > left() / kMinEntrySize)
            return fail(QStringLiteral("%1 files cannot fit the %2 bytes left of the payload")
                            .arg(m_count)
                            .arg(left()));
        m_state = State::NameLength;
        return true;
    case State::SizeField:
        if (!gather(data, size, 4))
            return true;
        m_size = fieldValue();
        m_field.clear();
        m_state = State::ContentLength;
        return true;
    case State::ContentLength: {
        if (!gather(data, size, 4))
            return true;
        quint32 length = fieldValue();
        m_field.clear();
        if (length == kNullLength)
            length = 0;
        if (length > left())
            return fail(entryText(QStringLiteral("content of %1 bytes but only %2 remain")
                                      .arg(length)
                                      .arg(left())));
        if (length != m_size)
            return fail(QStringLiteral("file \"%1\" announces %2 bytes but holds %3").arg(m_name).arg(m_size).arg(length));
        if (!m_handler.beginFile(m_name, m_size, &why))
            return refuse(why);
        m_contentLeft = length;
        m_state = State::Content;
        if (m_contentLeft == 0)
            return nextEntry();
        return true;
    }
    case State::Content: {
        const int take = int(std::min<quint32>(quint32(size), m_contentLeft));
        if (!m_handler.fileData(data, take, &why))
            return refuse(why);
        data += take;
        size -= take;
        m_position += quint64(take);
        m_contentLeft -= quint32(take);
        if (m_contentLeft == 0)
            return nextEntry();
        return true;
    }
    case State::Done:
    case State::Failed:
        break;
    }
    return m_state != State::Failed;
}

bool PayloadStreamParser::finish()
{
    if (m_state == State::Done)
        return true;
    if (m_state == State::Failed)
        return false;
    switch (m_state) {
    case State::VersionLength:
    case State::Version:
        return fail(QStringLiteral("payload version: the payload ends inside it"));
    case State::Count:
        return fail(QStringLiteral("payload file count missing"));
    default:
        return fail(QStringLiteral("file %1 of %2 at payload offset %3: the payload ends inside it")
                        .arg(m_index + 1)
                        .arg(m_count)
                        .arg(m_position));
    }
}
