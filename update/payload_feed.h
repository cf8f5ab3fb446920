#pragma once

#include "payload_stream_parser.h"

#include <QByteArray>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

// Hands decoded payload to its parser, either at once on the caller's
// thread or through a small queue to a thread of its own. The thread lets
// the files be written while the next pieces are decoded; the queue holds
// at most kQueuedPieces copies of a piece, so memory stays bounded.
//
// The parser and its handler are touched only by the feeding thread until
// finish() (or the destructor) returns.
class PayloadFeed
{
public:
    static constexpr int kQueuedPieces = 6;

    PayloadFeed(PayloadStreamParser &parser, bool threaded);
    ~PayloadFeed();
    PayloadFeed(const PayloadFeed &) = delete;
    PayloadFeed &operator=(const PayloadFeed &) = delete;

    // The next piece. False once the parser has failed (in the threaded
    // form: as soon as that is known); the feed then takes nothing more.
    bool push(const char *data, int size);
    // Ends the feed and waits for the parser: true when every piece was
    // taken. The parser's own finish() is the caller's.
    bool finish();

private:
    void run();
    void stop(bool drain);

    PayloadStreamParser &m_parser;
    bool m_threaded;
    bool m_failed = false;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<QByteArray> m_queue;
    std::vector<QByteArray> m_spare;
    bool m_ended = false;
    bool m_workerFailed = false;
    std::thread m_worker;
};
