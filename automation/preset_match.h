#pragma once

#include "focused_window.h"
#include "preset_set.h"

// Which preset a window gets, and why.
struct PresetChoice {
    QString preset;
    // The rule that chose it; -1 when none did (the default).
    int rule = -1;
};

// The rules in order: first a rule whose app is the window's class and
// whose title appears in the window's title; then a rule for the class
// without a title; else the default preset. Rules naming a preset the set
// lacks are passed over. The desktop (no class) gets the default.
PresetChoice choosePreset(const PresetSet& set, const FocusedWindow& window);
