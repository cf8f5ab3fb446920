#pragma once

#include <QByteArray>
#include <QObject>
#include <QQueue>

class QSocketNotifier;

// The request lines of standard input (or any file descriptor), read as
// they arrive while the event loop runs, so that events are printed when
// they happen rather than when the input ends. Lines wait in order until
// taken; a line longer than kMaxLineBytes is not kept (its bytes are
// skipped up to its newline) and is taken as one too long. A last line
// without a newline counts as a line.
class InputLines : public QObject
{
    Q_OBJECT

public:
    static constexpr int kMaxLineBytes = 64 * 1024 * 1024;

    // fd stays open and owned by the caller.
    explicit InputLines(int fd, QObject* parent = nullptr);

    // The next line without its newline. False when none is waiting.
    // tooLong: the line was longer than kMaxLineBytes (line is then empty).
    bool next(QByteArray* line, bool* tooLong);
    // The input has ended (or failed) and every line was taken.
    bool atEnd() const;
    // Reading failed with an error other than the end of the input.
    bool failed() const { return m_failed; }

signals:
    // New lines wait, or the input ended.
    void changed();

private:
    struct Line
    {
        QByteArray text;
        bool tooLong = false;
    };

    void readSome();
    void finishLine();
    void end(bool failed);

    int m_fd;
    QSocketNotifier* m_notifier = nullptr;
    QByteArray m_partial;
    bool m_skipping = false;
    bool m_ended = false;
    bool m_failed = false;
    QQueue<Line> m_lines;
};
