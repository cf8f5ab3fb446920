#include "json_text.h"

#include <QSet>
#include <QString>
#include <QVector>

namespace {

// A scanner of just enough JSON to see every object's member names.
class Scanner
{
public:
    explicit Scanner(const QByteArray &text) : m_p(text.constData()), m_end(text.constData() + text.size()), m_begin(m_p) {}

    // True at the first repeated name (its offset in *at); false at the end
    // or where the text stops being JSON (the parser then says why).
    bool findRepeat(int *at)
    {
        // One set of names per object open, -1 marks an array.
        QVector<QSet<QString>> names;
        QVector<bool> isObject;
        bool expectName = false;
        while (skipSpace()) {
            const char c = *m_p;
            if (c == '{') {
                ++m_p;
                names.append(QSet<QString>());
                isObject.append(true);
                expectName = true;
            } else if (c == '[') {
                ++m_p;
                names.append(QSet<QString>());
                isObject.append(false);
                expectName = false;
            } else if (c == '}' || c == ']') {
                ++m_p;
                if (names.isEmpty())
                    return false;
                names.removeLast();
                isObject.removeLast();
                expectName = false;
            } else if (c == ',') {
                ++m_p;
                expectName = !isObject.isEmpty() && isObject.last();
            } else if (c == ':') {
                ++m_p;
                expectName = false;
            } else if (c == '"') {
                const char *start = m_p;
                QString text;
                if (!readString(expectName ? &text : nullptr))
                    return false;
                if (expectName && !names.isEmpty()) {
                    if (names.last().contains(text)) {
                        if (at)
                            *at = int(start - m_begin);
                        return true;
                    }
                    names.last().insert(text);
                }
                expectName = false;
            } else {
                // A number, true, false or null: up to the next delimiter.
                while (m_p < m_end && !isDelimiter(*m_p))
                    ++m_p;
                expectName = false;
            }
        }
        return false;
    }

private:
    static bool isDelimiter(char c)
    {
        return c == ',' || c == ':' || c == '{' || c == '}' || c == '[' || c == ']' || c == '"' || c == ' '
               || c == '\t' || c == '\n' || c == '\r';
    }

    bool skipSpace()
    {
        while (m_p < m_end && (*m_p == ' ' || *m_p == '\t' || *m_p == '\n' || *m_p == '\r'))
            ++m_p;
        return m_p < m_end;
    }

    static int hexDigit(char c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

    // Reads a string from its opening quote; its text, escapes read, goes
    // to *text when given (UTF-8 as the parser reads it).
    bool readString(QString *text)
    {
        ++m_p;
        QByteArray raw;
        QString decoded;
        auto flush = [&]() {
            if (text && !raw.isEmpty()) {
                decoded += QString::fromUtf8(raw);
                raw.clear();
            }
        };
        while (m_p < m_end) {
            const char c = *m_p++;
            if (c == '"') {
                flush();
                if (text)
                    *text = decoded;
                return true;
            }
            if (c != '\\') {
                if (text)
                    raw.append(c);
                continue;
            }
            if (m_p >= m_end)
                return false;
            const char e = *m_p++;
            ushort unit = 0;
            switch (e) {
            case '"': unit = '"'; break;
            case '\\': unit = '\\'; break;
            case '/': unit = '/'; break;
            case 'b': unit = '\b'; break;
            case 'f': unit = '\f'; break;
            case 'n': unit = '\n'; break;
            case 'r': unit = '\r'; break;
            case 't': unit = '\t'; break;
            case 'u':
                if (m_end - m_p < 4)
                    return false;
                for (int i = 0; i < 4; ++i) {
                    const int d = hexDigit(*m_p++);
                    if (d < 0)
                        return false;
                    unit = ushort(unit << 4 | d);
                }
                break;
            default:
                return false;
            }
            if (text) {
                flush();
                decoded += QChar(unit);
            }
        }
        return false;
    }

    const char *m_p;
    const char *m_end;
    const char *m_begin;
};

} // namespace

namespace JsonText {

bool repeatsMember(const QByteArray &text, int *offset)
{
    Scanner scanner(text);
    return scanner.findRepeat(offset);
}

QJsonDocument parse(const QByteArray &text, QJsonParseError *error, bool *duplicate)
{
    int at = 0;
    const bool repeated = repeatsMember(text, &at);
    if (duplicate)
        *duplicate = repeated;
    if (repeated) {
        if (error) {
            error->error = QJsonParseError::IllegalValue;
            error->offset = at;
        }
        return QJsonDocument();
    }
    return QJsonDocument::fromJson(text, error);
}

} // namespace JsonText
