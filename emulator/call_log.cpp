#include "call_log.h"

#include "byte_text.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace emulator {

CallLine::CallLine(const char *call)
{
    const char *file = std::getenv("ORVANTA_TRANSPORT_LOG");
    m_enabled = file && *file;
    if (!m_enabled)
        return;
    m_file = file;
    m_line = "{\"call\":" + quote(QString::fromLatin1(call));
}

CallLine &CallLine::path(const char16_t *path)
{
    QString text;
    const bool valid = readPathText(path, &text);
    return this->path(text, valid);
}

CallLine &CallLine::path(const QString &path, bool valid)
{
    if (m_enabled)
        member("path", valid ? quote(path) : QByteArray("null"));
    return *this;
}

CallLine &CallLine::number(const char *name, long long value)
{
    if (m_enabled)
        member(name, QByteArray::number(value));
    return *this;
}

CallLine &CallLine::hex(const char *name, unsigned long long value)
{
    if (m_enabled)
        member(name, "\"0x" + QByteArray::number(value, 16) + '"');
    return *this;
}

CallLine &CallLine::text(const char *name, const QString &value)
{
    if (m_enabled)
        member(name, quote(value));
    return *this;
}

CallLine &CallLine::data(const unsigned char *data, int size)
{
    if (m_enabled)
        member("data", '"' + formatByteText(data, size) + '"');
    return *this;
}

CallLine &CallLine::data(const QByteArray &bytes)
{
    if (m_enabled)
        member("data", '"' + formatByteText(bytes) + '"');
    return *this;
}

CallLine &CallLine::json(const char *name, const QByteArray &value)
{
    if (m_enabled)
        member(name, value);
    return *this;
}

int CallLine::finish(int result)
{
    if (!m_enabled)
        return result;
    member("result", QByteArray::number(result));
    m_line += "}\n";
    const int fd = ::open(m_file.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd >= 0) {
        const char *p = m_line.constData();
        ssize_t left = m_line.size();
        while (left > 0) {
            const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            p += n;
            left -= n;
        }
        ::close(fd);
    }
    return result;
}

void CallLine::member(const char *name, const QByteArray &value)
{
    m_line += ",\"";
    m_line += name;
    m_line += "\":";
    m_line += value;
}

QByteArray CallLine::quote(const QString &text)
{
    static const char digits[] = "0123456789abcdef";
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    out.reserve(utf8.size() + 2);
    out += '"';
    for (const char ch : utf8) {
        const unsigned char c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                out += "\\u00";
                out += digits[c >> 4];
                out += digits[c & 0x0F];
            } else {
                out += ch;
            }
        }
    }
    out += '"';
    return out;
}

} // namespace emulator
