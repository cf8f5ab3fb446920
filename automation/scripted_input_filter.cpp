#include "scripted_input_filter.h"

#include "logging.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {

// A day: later times are taken as mistakes, not as waits.
constexpr double kLatestMs = 24.0 * 3600 * 1000;

} // namespace

ScriptedInputFilter::ScriptedInputFilter(const QString& path)
    : m_path(path)
{
}

bool ScriptedInputFilter::parse(const QByteArray& text, QVector<InputStroke>* strokes, QVector<qint64>* times)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return false;
    struct Entry {
        qint64 at;
        quint16 state;
    };
    QVector<Entry> entries;
    for (const QJsonValue& value : document.array()) {
        const QJsonObject object = value.toObject();
        const QJsonValue at = object.value(QStringLiteral("at"));
        const QJsonValue state = object.value(QStringLiteral("state"));
        if (!at.isDouble() || !state.isDouble())
            continue;
        const double ms = at.toDouble();
        const double bits = state.toDouble();
        if (!(ms >= 0 && ms <= kLatestMs) || !(bits >= 1 && bits <= 0xFFFF) || bits != double(int(bits)))
            continue;
        entries.append({qint64(ms), quint16(bits)});
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.at < b.at; });
    strokes->clear();
    times->clear();
    for (const Entry& entry : qAsConst(entries)) {
        // Device 11: the first mouse, as the filter numbers devices.
        strokes->append(InputStroke{11, entry.state, 0});
        times->append(entry.at);
    }
    return true;
}

bool ScriptedInputFilter::open()
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileSize) {
        LOG_ERROR(QStringLiteral("Application Error: input script %1 cannot be read (missing, or over %2 bytes)")
                      .arg(m_path)
                      .arg(kMaxFileSize));
        return false;
    }
    if (!parse(file.read(kMaxFileSize), &m_strokes, &m_times)) {
        LOG_ERROR(QStringLiteral("Application Error: input script %1 is not a JSON array of strokes").arg(m_path));
        return false;
    }
    LOG_INFO(QStringLiteral("Application Info: input filter plays %1 strokes from %2").arg(m_strokes.size()).arg(m_path));
    m_next = 0;
    m_start = std::chrono::steady_clock::now();
    return true;
}

std::optional<InputStroke> ScriptedInputFilter::receive()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_interrupted) {
        if (m_next >= m_strokes.size()) {
            m_wake.wait(lock, [this] { return m_interrupted; });
            break;
        }
        const auto due = m_start + std::chrono::milliseconds(m_times.at(m_next));
        if (m_wake.wait_until(lock, due, [this] { return m_interrupted; }))
            break;
        const InputStroke stroke = m_strokes.at(m_next++);
        if (stroke.state & m_filter)
            return stroke;
        ++m_sentOn;
    }
    return std::nullopt;
}

void ScriptedInputFilter::send(const InputStroke&)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_sentOn;
}

void ScriptedInputFilter::interrupt()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_interrupted = true;
    m_wake.notify_all();
}
