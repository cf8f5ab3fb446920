// The software remapping configuration ("VirtualStr"): an XML map of
// triggers, each with the command list it plays (macro steps, key
// combinations, programs, mouse functions, text), looked up in the
// shipped key value table.

#include "fuzz_support.h"

#include "key_value_table.h"
#include "trigger_map.h"

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::ensureApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::ensureApplication();
    static KeyValueTable keys;
    static const bool loaded = keys.load();
    if (!loaded)
        std::abort();
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), int(size));
    const ParsedTriggers parsed = parseTriggerMap(text, keys);
    for (auto it = parsed.map.cbegin(); it != parsed.map.cend(); ++it) {
        it.value().task(VirtualTask::Pressed);
        it.value().task(VirtualTask::Released);
    }
    return 0;
}
