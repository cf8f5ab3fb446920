#pragma once

#include <QString>
#include <QVector>

// One command of a command list: its name and its value text.
struct VirtualCommand {
    QString name;
    QString value;

    bool operator==(const VirtualCommand& other) const { return name == other.name && value == other.value; }
};

using CommandList = QVector<VirtualCommand>;

// How a trigger plays its command list.
namespace PlayType {
constexpr int OnPress = 0;       // once on press; "mouse" and "keyboard" also act on release
constexpr int Count = 1;         // play count times while held
constexpr int WhileHeld = 2;     // repeat until released
constexpr int OnRelease = 3;     // play count times on release
} // namespace PlayType

// What the executor runs: a command list with its play settings and the
// phase of the button that started it.
struct VirtualTask {
    enum Phase { Pressed = 0, Released = 1 };

    CommandList commands;
    int playType = 0;
    int playCount = 0;
    int playDelay = 0;        // milliseconds between repetitions
    int playAuxiliary = 0;    // kept with the task, not used in playing
    int phase = Pressed;
};
