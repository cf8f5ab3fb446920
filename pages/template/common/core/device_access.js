// What the user can reach of the real devices ("GetDeviceAccess"): the
// virtual keyboard and mouse of the remapping (/dev/uinput), the mice's
// event nodes, the supported mice's vendor interfaces, whether the udev
// rule is installed, and the command that grants it all.
import { COMMAND, readAnswer } from './commands.js';

// The answer, or null when it cannot be read (an older program, or a
// program without the check: the pages then say nothing of permissions).
export function parseAccess(reply) {
    const v = readAnswer(COMMAND.GetDeviceAccess, reply);
    if (!v || typeof v.Uinput !== 'boolean')
        return null;
    const count = (n) => (Number.isInteger(n) && n >= 0 ? n : 0);
    return {
        uinput: v.Uinput,
        mice: count(v.Mice),
        miceOpen: Math.min(count(v.MiceOpen), count(v.Mice)),
        interfaces: count(v.Interfaces),
        interfacesOpen: Math.min(count(v.InterfacesOpen), count(v.Interfaces)),
        ruleInstalled: v.RuleInstalled === true,
        command: typeof v.Command === 'string' ? v.Command.slice(0, 2000) : '',
        demo: v.Demo === true,
    };
}

// What is missing for a purpose: 'devices' (seeing and configuring the
// supported devices: their vendor interfaces) or 'remap' (taking buttons
// over: /dev/uinput and the mice). [] when nothing is. listEmpty: no
// device is listed (then a missing rule is why a device plugged in would
// not show; with devices listed, those work and the rule is not missing).
export function missingAccess(access, purpose, { listEmpty = false } = {}) {
    if (!access)
        return [];
    const missing = [];
    if (purpose === 'remap') {
        if (!access.uinput)
            missing.push('uinput');
        if (access.miceOpen < access.mice)
            missing.push('mice');
    }
    if (access.interfacesOpen < access.interfaces)
        missing.push('interfaces');
    // Without the rule a device plugged in later is not granted either.
    if (!access.ruleInstalled && purpose === 'devices' && listEmpty)
        missing.push('rule');
    return missing;
}
