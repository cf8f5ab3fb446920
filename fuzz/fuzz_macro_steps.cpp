// Macro step texts ("keyDown(A)delay(100)moveXY(10,20)..."), parsed with a
// shipped Driver definition and encoded into the bytes of every family:
// the mouse and keyboard slots and the W1 macro block. The first byte
// chooses the definition and the repeat count.

#include "fuzz_support.h"

#include "driver_lookup.h"
#include "macro_block_w1.h"
#include "macro_encoding.h"
#include "macro_steps.h"

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::ensureApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::ensureApplication();
    static DriverLookup lookup;
    static const int registered = lookup.registerDefaultDrivers();
    static const QStringList versions = lookup.registeredVersions();
    if (registered == 0)
        std::abort();
    fuzz::Input in(data, size);
    const uint8_t choice = in.byte();
    const QString version = versions.at(choice % versions.size());
    lookup.loadDriver(version);
    const QString task = QString::fromUtf8(in.restBytes());
    bool ok = false;
    const MacroSteps steps = parseMacroSteps(lookup, task, &ok);
    if (!ok && !steps.isEmpty())
        std::abort();
    const QStringList items = macroItems(steps, quint8(choice), !macroWithoutEndRecord(version));
    // The list stops growing once it is longer than a slot.
    if (items.size() > kMacroSlotSize + 3 * int(kMaxPauseRecords) + 3)
        std::abort();
    padMacroItems(items);
    macroBlockW1(steps);
    return 0;
}
