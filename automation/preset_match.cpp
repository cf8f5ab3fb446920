#include "preset_match.h"

PresetChoice choosePreset(const PresetSet& set, const FocusedWindow& window)
{
    if (!window.isDesktop()) {
        int classOnly = -1;
        for (int i = 0; i < set.rules.size(); ++i) {
            const PresetRule& rule = set.rules[i];
            if (rule.app.compare(window.app, Qt::CaseInsensitive) != 0 || !set.find(rule.preset))
                continue;
            if (rule.title.isEmpty()) {
                if (classOnly < 0)
                    classOnly = i;
            } else if (window.title.contains(rule.title, Qt::CaseInsensitive)) {
                return PresetChoice{rule.preset, i};
            }
        }
        if (classOnly >= 0)
            return PresetChoice{set.rules[classOnly].preset, classOnly};
    }
    return PresetChoice{set.defaultPreset, -1};
}
