#pragma once

#include <cstddef>

// The last lines of the log, kept in memory for a crash report: a fixed
// ring of fixed-size slots, so that the crash handler can copy it out
// without allocating or taking a lock.
namespace LogRing {

constexpr int kLines = 100;
// A longer line is cut; a crash report needs the start of each line.
constexpr int kLineBytes = 400;

// Keeps one line (without its newline). Safe to call from any thread.
void append(const char* line, std::size_t length);

// Writes the kept lines, oldest first, one per line, to fd with write(2).
// Async-signal-safe: it neither allocates nor locks, so a line being
// appended at the same moment may come out torn.
void writeTo(int fd);

// Forgets every line (tests).
void clear();

} // namespace LogRing
