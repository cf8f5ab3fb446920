#pragma once

// What every fuzz target shares: a Qt application object (the program's
// code expects one), made once, and a reader of the input's leading bytes.

#include <QCoreApplication>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace fuzz {

// The program's debug lines ("funcname====...") would only slow the
// fuzzing down.
inline void quietMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

inline void ensureApplication()
{
    static int argc = 1;
    static char name[] = "orvanta-fuzz";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(quietMessages);
        new QCoreApplication(argc, argv);
    }
}

// Takes bytes from the front of the input.
class Input
{
public:
    Input(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    uint8_t byte()
    {
        if (m_size == 0)
            return 0;
        --m_size;
        return *m_data++;
    }
    const char* rest() const { return reinterpret_cast<const char*>(m_data); }
    int restSize() const { return int(m_size); }
    QByteArray restBytes() const { return QByteArray(rest(), restSize()); }

private:
    const uint8_t* m_data;
    size_t m_size;
};

} // namespace fuzz
