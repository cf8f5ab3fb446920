#include "payload_feed.h"

#include <cstring>

PayloadFeed::PayloadFeed(PayloadStreamParser &parser, bool threaded)
    : m_parser(parser)
    , m_threaded(threaded)
{
    if (m_threaded)
        m_worker = std::thread([this]() { run(); });
}

PayloadFeed::~PayloadFeed()
{
    // Abandoned: what is still queued is of no use any more.
    stop(false);
}

void PayloadFeed::stop(bool drain)
{
    if (!m_worker.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_ended = true;
        if (!drain)
            m_queue.clear();
    }
    m_changed.notify_all();
    m_worker.join();
}

bool PayloadFeed::push(const char *data, int size)
{
    if (m_failed)
        return false;
    if (!m_threaded) {
        m_failed = !m_parser.push(data, size);
        return !m_failed;
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this]() { return m_workerFailed || int(m_queue.size()) < kQueuedPieces; });
    if (m_workerFailed) {
        m_failed = true;
        return false;
    }
    QByteArray piece;
    if (!m_spare.empty()) {
        piece = std::move(m_spare.back());
        m_spare.pop_back();
    }
    lock.unlock();
    piece.resize(size);
    std::memcpy(piece.data(), data, size_t(size));
    lock.lock();
    m_queue.push_back(std::move(piece));
    lock.unlock();
    m_changed.notify_all();
    return true;
}

bool PayloadFeed::finish()
{
    stop(true);
    if (m_threaded && m_workerFailed)
        m_failed = true;
    return !m_failed;
}

void PayloadFeed::run()
{
    for (;;) {
        QByteArray piece;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_changed.wait(lock, [this]() { return m_ended || !m_queue.empty(); });
            if (m_queue.empty())
                return;
            piece = std::move(m_queue.front());
            m_queue.pop_front();
        }
        const bool ok = m_parser.push(piece.constData(), piece.size());
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_spare.push_back(std::move(piece));
            if (!ok) {
                m_workerFailed = true;
                m_queue.clear();
            }
        }
        m_changed.notify_all();
        if (!ok)
            return;
    }
}
