// Benchmark, not a test: the time and the transport calls of storing a
// 200-byte macro into a full M1.0 macro store in the emulator (every slot
// probed, all erased, the macro written to slot 0).
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include "device_functions.h"
#include "device_scenario.h"
#include "driver_lookup.h"
#include "macro_encoding.h"
#include "macro_steps.h"
#include "macro_store.h"

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);

    DeviceScenario scenario(plainMouse("1007"));
    DriverLookup lookup;
    DeviceFunctions device;
    lookup.registerDefaultDrivers();
    device.listDevices();
    if (!lookup.loadDriver("M1.0")) {
        out << "M1.0 is not registered\n";
        return 1;
    }

    // 65 key presses and the end record, padded to the 200 items of a slot.
    MacroSteps steps;
    for (int i = 0; i < 65; ++i)
        steps << MacroStep{"keyDown", "04"};
    const QString macro = padMacroItems(macroItems(steps, 1, true)).join(',');

    // Store macros into the fresh store until one finds it full: that store
    // probes every slot, erases them all and writes to slot 0.
    bool stored = true;
    for (int attempt = 0; attempt < 64 && stored; ++attempt) {
        scenario.clearLog();
        QElapsedTimer timer;
        timer.start();
        const QString slot = storeMacro(lookup, device, "258A1007", macro, &stored);
        const qint64 elapsed = timer.elapsed();
        const int writes = scenario.calls("dcWriteAddress").size();
        if (stored && writes == 1)
            continue;
        out << "200-item macro into a full M1.0 store: slot " << slot << (stored ? " stored" : " not stored")
            << ", " << elapsed << " ms, " << scenario.calls().size() << " transport calls ("
            << scenario.calls("dcReadAddress").size() << " probes, " << writes << " writes)\n";
        return stored ? 0 : 1;
    }
    out << "the store never filled\n";
    return 1;
}
