// The program's start-up update check as Settings shows it: kept in conf.ini
// under "CheckUpdateAtStart", on unless that says "false" (the program reads
// it the same way at start).
export const UPDATE_CHECK_KEY = 'CheckUpdateAtStart';

// Whether the check is on, from the reply of "ReadConf" (a missing key
// fails: the check is on).
export function updateCheckOn(reply) {
    return !(reply && reply.ok && String(reply.text).trim().toLowerCase() === 'false');
}

// What "WriteConf" stores for a ticked or cleared box.
export function updateCheckValue(on) {
    return on ? 'true' : 'false';
}
