#include "input_lines.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kChunk = 64 * 1024;

} // namespace

InputLines::InputLines(int fd, QObject* parent)
    : QObject(parent)
    , m_fd(fd)
{
    // Readable means a read does not block: it returns what has arrived, or
    // 0 at the end. Regular files are always readable.
    m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &InputLines::readSome);
    // A descriptor that is not open would never be readable.
    if (::fcntl(fd, F_GETFL) == -1)
        end(true);
}

bool InputLines::next(QByteArray* line, bool* tooLong)
{
    if (m_lines.isEmpty())
        return false;
    const Line taken = m_lines.dequeue();
    *line = taken.text;
    *tooLong = taken.tooLong;
    return true;
}

bool InputLines::atEnd() const
{
    return m_ended && m_lines.isEmpty();
}

void InputLines::readSome()
{
    char buffer[kChunk];
    ssize_t got = 0;
    do {
        got = ::read(m_fd, buffer, sizeof buffer);
    } while (got < 0 && errno == EINTR);
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
        return;
    if (got <= 0) {
        end(got < 0);
        return;
    }

    const char* at = buffer;
    const char* const stop = buffer + got;
    while (at < stop) {
        const char* newline = static_cast<const char*>(std::memchr(at, '\n', size_t(stop - at)));
        const char* pieceEnd = newline ? newline : stop;
        if (!m_skipping) {
            if (m_partial.size() + (pieceEnd - at) > kMaxLineBytes) {
                m_partial.clear();
                m_skipping = true;
            } else {
                m_partial.append(at, int(pieceEnd - at));
            }
        }
        if (!newline)
            break;
        finishLine();
        at = newline + 1;
    }
    emit changed();
}

void InputLines::finishLine()
{
    m_lines.enqueue(Line{m_skipping ? QByteArray() : m_partial, m_skipping});
    m_partial.clear();
    m_skipping = false;
}

void InputLines::end(bool failed)
{
    m_notifier->setEnabled(false);
    if (!m_partial.isEmpty() || m_skipping)
        finishLine();
    m_ended = true;
    m_failed = failed;
    emit changed();
}
