#pragma once

#include <QByteArray>
#include <QString>

namespace emulator {

// One line of the call log. When ORVANTA_TRANSPORT_LOG names a file, every
// entry-point call appends one JSON object on one line:
//   {"call":"dcWriteProperty","path":"...","id":61,"size":4,"data":"01,02,00,00","result":1}
// Members come in the order they are added, "result" last. The line is
// written with a single append, so lines from several threads or processes
// never interleave. Without the variable nothing is formatted at all.
class CallLine {
public:
    explicit CallLine(const char *call);

    bool enabled() const { return m_enabled; }

    // The device path, or null when the caller passed none or an unusable one.
    CallLine &path(const char16_t *path);
    CallLine &path(const QString &path, bool valid);
    CallLine &number(const char *name, long long value);
    // Addresses and check values: "0x" and lower-case hexadecimal.
    CallLine &hex(const char *name, unsigned long long value);
    CallLine &text(const char *name, const QString &value);
    // Bytes as "01,02,ff"; an empty text when data is null or size not positive.
    CallLine &data(const unsigned char *data, int size);
    CallLine &data(const QByteArray &bytes);
    // A member whose value is already JSON text.
    CallLine &json(const char *name, const QByteArray &value);

    // Adds "result", appends the line to the log and gives result back.
    int finish(int result);

    static QByteArray quote(const QString &text);

private:
    void member(const char *name, const QByteArray &value);

    bool m_enabled = false;
    QByteArray m_file;
    QByteArray m_line;
};

} // namespace emulator
