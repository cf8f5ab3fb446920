#pragma once

#include "input_filter_driver.h"

#include <QString>
#include <QVector>

#include <atomic>
#include <condition_variable>
#include <chrono>
#include <mutex>

// An input filter that plays a stroke list instead of real mice (tests,
// orvanta-cli, demonstrations). The list is a JSON file:
//   [{"at": 0, "state": 4}, {"at": 80, "state": 8}]
// "at" is milliseconds after the filter opened, "state" a MouseState bit.
// Strokes come in the order of their times; entries that are not objects
// with a non-negative "at" and a state of 1 to 0xFFFF are skipped. Strokes
// the filter does not select are sent on at once. After the last stroke
// the filter waits until it is interrupted.
class ScriptedInputFilter : public InputFilterDriver
{
public:
    explicit ScriptedInputFilter(const QString& path);

    // The stroke list as read from text; false when it is not a JSON array.
    static bool parse(const QByteArray& text, QVector<InputStroke>* strokes, QVector<qint64>* times);

    bool open() override;
    void setMouseFilter(quint16 states) override { m_filter = states; }
    std::optional<InputStroke> receive() override;
    void send(const InputStroke& stroke) override;
    void interrupt() override;
    void close() override {}

    // Strokes sent on, whether by the filter or by the listener.
    int sentOn() const { return m_sentOn; }

    // Larger files are refused.
    static constexpr qint64 kMaxFileSize = 4 * 1024 * 1024;

private:
    QString m_path;
    QVector<InputStroke> m_strokes;
    QVector<qint64> m_times;
    int m_next = 0;
    quint16 m_filter = 0;
    std::atomic<int> m_sentOn{0};
    std::chrono::steady_clock::time_point m_start;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_interrupted = false;
};
