#pragma once

struct VirtualTask;

// Where the input filter sends the triggers it handles: the owner of the
// executor. Called on the filter's thread.
class TaskRunner
{
public:
    virtual ~TaskRunner() = default;
    // Plays a task, replacing whatever plays now.
    virtual void runCommands(const VirtualTask& task) = 0;
    // Stops what plays now.
    virtual void stopCommands() = 0;
};
