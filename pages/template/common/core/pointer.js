// The desktop's pointer settings as the pages show them. The program sets
// each from an index or number ("modifyMouseAcce", "ModifyWindowAccelerated
// Speed", "ModifyMouseScrollLines", "modifyMouseScrollLinesX",
// "modifyMouseDoubleClick") and reports them in the settings summary of
// "GetWindowsMouseConfig" (defaultMouseAccel, defaultMouseSpeed,
// defaultMouseDoubleClick, defaultScrollLinesY, defaultScrollLinesX) by
// other tables than it sets them with; this module maps between the two.
import { COMMAND, readAnswer } from './commands.js';

// Acceleration: what each setting index gives (its level), and the level
// each reported index stands for.
const SET_ACCELERATION = [0, 1, 2, 1];
const READ_ACCELERATION = [0, 1, 4, 6, 3, 5, 8, 9, 2, 7];
// The choices, gentlest first: off, then by their thresholds.
export const ACCELERATION_CHOICES = [
    { index: 0, name: 'off' },
    { index: 1, name: 'low' },
    { index: 3, name: 'medium' },
    { index: 2, name: 'high' },
];

// Double-click: the time each setting index gives, and the time each
// reported index stands for (5 is also reported when none matches).
export const DOUBLE_CLICK_SET = Array.from({ length: 12 }, (_, i) => 970 - 70 * i);
const DOUBLE_CLICK_READ = [970, 890, 780, 650, 550, 480, 410, 340, 270, 200];
const DOUBLE_CLICK_NO_MATCH = 5;

// Speed: setting indexes 1 to 11 give 1, 2, 4 ... 20; the summary reports
// the speed halved.
export const SPEED_MIN = 1;
export const SPEED_MAX = 11;

// Lines per wheel notch: this number means a page at a time.
export const PAGE_AT_A_TIME = 65535;

function field(fields, name) {
    const n = Number.parseInt(fields[name], 10);
    return Number.isFinite(n) ? n : NaN;
}

// What the controls show for the summary fields. remembered: the setting
// indexes the pages wrote last ({ acceleration, doubleClick }), used where
// the report cannot tell them apart or cannot name them.
export function pointerState(fields, remembered = {}) {
    const state = { acceleration: null, speed: NaN, doubleClick: NaN, linesY: NaN, pageAtATime: false, charsX: NaN };

    const accel = field(fields, 'defaultMouseAccel');
    if (accel >= 0 && accel < READ_ACCELERATION.length) {
        const level = READ_ACCELERATION[accel];
        const matches = SET_ACCELERATION.map((l, i) => (l === level ? i : -1)).filter((i) => i >= 0);
        if (matches.includes(remembered.acceleration))
            state.acceleration = remembered.acceleration;
        else if (matches.length)
            state.acceleration = matches[0];
    }

    const speed = field(fields, 'defaultMouseSpeed');
    if (speed >= 0)
        state.speed = Math.min(SPEED_MAX, Math.max(SPEED_MIN, speed + 1));

    const click = field(fields, 'defaultMouseDoubleClick');
    if (click >= 0 && click < DOUBLE_CLICK_READ.length) {
        const rememberedTime = DOUBLE_CLICK_SET[remembered.doubleClick];
        if (click === DOUBLE_CLICK_NO_MATCH && rememberedTime !== undefined && !DOUBLE_CLICK_READ.includes(rememberedTime)) {
            // The desktop holds a time the report cannot name; it is the
            // one written from here.
            state.doubleClick = remembered.doubleClick;
        } else {
            const time = DOUBLE_CLICK_READ[click];
            let best = 0;
            DOUBLE_CLICK_SET.forEach((t, i) => {
                if (Math.abs(t - time) < Math.abs(DOUBLE_CLICK_SET[best] - time))
                    best = i;
            });
            state.doubleClick = best;
        }
    }

    const lines = field(fields, 'defaultScrollLinesY');
    if (lines === PAGE_AT_A_TIME || lines === -1)
        state.pageAtATime = true;
    else if (lines >= 0)
        state.linesY = lines;
    const chars = field(fields, 'defaultScrollLinesX');
    if (chars >= 0)
        state.charsX = chars;
    return state;
}

// Whether the summary carries the pointer fields at all (a program without
// them gives none).
export function hasPointerFields(fields) {
    return ['defaultMouseAccel', 'defaultMouseSpeed', 'defaultMouseDoubleClick', 'defaultScrollLinesY', 'defaultScrollLinesX']
        .every((n) => Object.prototype.hasOwnProperty.call(fields, n));
}

// Which settings the desktop applies ("GetPointerSupport"): { known,
// desktop, tool, applies(name) } with the names the program uses
// ("acceleration", "speed", "doubleClickTime", "wheelScrollLines",
// "wheelScrollChars"). An answer that cannot be read (an older program)
// counts every setting as applied, as before.
export const POINTER_SETTINGS = ['acceleration', 'speed', 'doubleClickTime', 'wheelScrollLines', 'wheelScrollChars'];

export function pointerSupport(reply) {
    const value = readAnswer(COMMAND.GetPointerSupport, reply);
    if (!value || !Array.isArray(value.Applied))
        return { known: false, desktop: '', tool: '', applies: () => true, allApplied: true };
    const applied = new Set(value.Applied.filter((n) => POINTER_SETTINGS.includes(n)));
    return {
        known: true,
        desktop: typeof value.Desktop === 'string' ? value.Desktop : '',
        tool: typeof value.Tool === 'string' ? value.Tool.slice(0, 120) : '',
        applies: (name) => applied.has(name),
        allApplied: POINTER_SETTINGS.every((n) => applied.has(n)),
    };
}
