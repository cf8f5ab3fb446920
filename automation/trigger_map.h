#pragma once

#include "virtual_task.h"

#include <QHash>
#include <QString>

class KeyValueTable;

// A trigger: a mouse button (flag 10, scancode = its button-down stroke
// state) or, where the filter took keyboards, a key.
struct TriggerKey {
    quint16 scancode = 0;
    quint16 flag = 0;

    bool operator==(const TriggerKey& other) const { return scancode == other.scancode && flag == other.flag; }
};

inline uint qHash(const TriggerKey& key, uint seed = 0)
{
    return ::qHash((uint(key.scancode) << 16) | key.flag, seed);
}

constexpr quint16 kMouseTriggerFlag = 10;

// What a trigger plays.
struct TriggerRecord {
    int playType = 0;
    int playCount = 0;
    int playDelay = 0;
    int playAuxiliary = 0;
    CommandList commands;

    VirtualTask task(VirtualTask::Phase phase) const;
};

using TriggerMap = QHash<TriggerKey, TriggerRecord>;

// The software remapping configuration ("VirtualStr"): an XML document whose
// element "map" holds one element per trigger, with the attributes "flag",
// "scancode", "type", "name", "playtype", "playcount", "playdelay" and
// "playauxiliary" and a first child element whose "value" says what to
// play:
//
//   "Macro"                 steps word(argument) one after another
//   "macrofun"              "自定义开关()" (SwitchCustom) or "打断执行()" (StopCustom)
//   "Keyboard", "HotKey"    key names joined by "+"
//   "shortcut"              a program word or a path
//   "Mouse", "MouseFunction" LeftClick, RightClick, MiddleClick, Back, Forward
//   "text"                  text to type
//
// Key names are upper-cased and looked up in the key value table.
struct ParsedTriggers {
    // True when the text has a "map" element with at least one child
    // element (the page's success), whether or not the children made
    // triggers.
    bool hasTriggers = false;
    TriggerMap map;
};

ParsedTriggers parseTriggerMap(const QString& virtualStr, const KeyValueTable& keys);

// The commands of one trigger element's "type" and "value".
CommandList commandsForTrigger(const QString& type, const QString& value, const KeyValueTable& keys);

// The commands of a "Macro" value.
CommandList macroCommands(const QString& value, const KeyValueTable& keys);
