#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QVariantList>

#include <functional>

class CommandDispatcher;

// Runs page requests one at a time through a dispatcher and writes one JSON
// line per request, and one per page event, to the output:
//   {"request":"…","reply":"success","text":"…"}
//   {"request":"…","reply":"failure","code":0,"text":"…"}
//   {"request":"…","reply":"none"}
//   {"event":"onDeviceData","args":["5,1a"]}
//   {"event":"OnRGBMusicData","args":["…"],"view":"…"}   (addressed to a view)
// A request that is not a JSON object gets {"request":"…","reply":"none",
// "error":"not a JSON object"} and counts as unreadable.
//
// A command that keeps its answer handle for a later answer (a download,
// say) is waited for: the runner spins the event loop until the answer
// comes, the command lets go of the handle unanswered ("none"), or the
// answer timeout passes ("none" as well; a later answer is dropped). Events
// raised meanwhile are written as they come.
class CliRunner : public QObject
{
    Q_OBJECT

public:
    using Output = std::function<void(const QByteArray& line)>;

    CliRunner(CommandDispatcher& dispatcher, Output output, QObject* parent = nullptr);

    void setAnswerTimeout(int ms) { m_answerTimeoutMs = ms; }

    // Runs one request and writes its line. False when it was unreadable.
    bool run(const QString& request);

    // Runs the event loop for ms milliseconds, writing the events raised.
    void wait(int ms);

    // Writes an event line; the host's event sink calls this. view: the
    // view the event is addressed to, empty for the main view or every
    // view.
    void writeEvent(const QString& name, const QVariantList& args, const QString& view = QString());

private:
    CommandDispatcher& m_dispatcher;
    Output m_output;
    int m_answerTimeoutMs = 60000;
};
