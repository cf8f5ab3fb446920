// The presets and rules files (and the set the pages save): JSON the user,
// the pages or another program may have written. A set that is taken must
// come back the same when written and read again, and every rule must
// choose a preset of the set.

#include "fuzz_support.h"

#include "preset_match.h"
#include "preset_set.h"

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::ensureApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::ensureApplication();
    const QByteArray text(reinterpret_cast<const char*>(data), int(size));
    QString why;
    QString defaultPreset;
    PresetSet::presetsFromJson(text, &defaultPreset, &why);
    PresetSet::rulesFromJson(text, &why);
    const std::optional<PresetSet> set = PresetSet::fromPageJson(text, &why);
    if (!set)
        return 0;
    const std::optional<PresetSet> again = PresetSet::fromPageJson(set->pageJson(), &why);
    if (!again || again->pageJson() != set->pageJson() || again->presetsJson() != set->presetsJson())
        std::abort();
    for (const PresetRule& rule : set->rules) {
        const PresetChoice choice = choosePreset(*set, FocusedWindow::of(rule.app, rule.title, 1));
        if (!set->find(choice.preset))
            std::abort();
    }
    return 0;
}
