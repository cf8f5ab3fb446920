#include "log_ring.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <unistd.h>

namespace {

char g_lines[LogRing::kLines][LogRing::kLineBytes];
std::atomic<unsigned short> g_lengths[LogRing::kLines];
// How many lines were ever appended; the next slot is g_count % kLines.
std::atomic<unsigned long> g_count{0};
std::mutex g_writers;

void writeAll(int fd, const char* data, std::size_t length)
{
    while (length > 0) {
        const ssize_t n = ::write(fd, data, length);
        if (n <= 0)
            return;
        data += n;
        length -= static_cast<std::size_t>(n);
    }
}

} // namespace

namespace LogRing {

void append(const char* line, std::size_t length)
{
    if (length > static_cast<std::size_t>(kLineBytes))
        length = kLineBytes;
    std::lock_guard<std::mutex> lock(g_writers);
    const unsigned long count = g_count.load(std::memory_order_relaxed);
    const int slot = static_cast<int>(count % kLines);
    std::memcpy(g_lines[slot], line, length);
    g_lengths[slot].store(static_cast<unsigned short>(length), std::memory_order_release);
    g_count.store(count + 1, std::memory_order_release);
}

void writeTo(int fd)
{
    const unsigned long count = g_count.load(std::memory_order_acquire);
    const unsigned long kept = count < static_cast<unsigned long>(kLines) ? count : kLines;
    for (unsigned long i = count - kept; i < count; ++i) {
        const int slot = static_cast<int>(i % kLines);
        const std::size_t length = g_lengths[slot].load(std::memory_order_acquire);
        writeAll(fd, g_lines[slot], length);
        writeAll(fd, "\n", 1);
    }
}

void clear()
{
    std::lock_guard<std::mutex> lock(g_writers);
    g_count.store(0, std::memory_order_release);
}

} // namespace LogRing
