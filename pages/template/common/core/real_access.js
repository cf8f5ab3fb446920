// What the program may send to a real device, as its record says
// ("Access"; emulated devices carry none): read-only (the default: nothing
// is written), dry-run (what would be sent is logged, nothing is sent),
// experimental (the user's opt-in for this exact device and firmware) and
// verified (confirmed by a device owner).
export const ACCESS_LEVELS = ['read-only', 'dry-run', 'experimental', 'verified'];
// The levels a user may choose; verified comes with the program.
export const CHOOSABLE = ['read-only', 'dry-run', 'experimental'];

// The access level of a record, '' for an emulated device or a value the
// pages do not know (then treated as read-only by writesBlocked).
export function accessOf(record) {
    const value = record && typeof record.Access === 'string' ? record.Access : '';
    return ACCESS_LEVELS.includes(value) ? value : (record && 'Access' in record ? 'read-only' : '');
}

// Whether the controls that write are disabled: on a real device that is
// read-only. A dry run lets the user try them (nothing is sent).
export function writesBlocked(access) {
    return access === 'read-only';
}
