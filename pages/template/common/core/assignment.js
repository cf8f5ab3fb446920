// What a button does, as the pages hold it, and the "WriteDevice" members
// that carry it:
//   { kind: 'function', task }               a function row ("MouseFunction")
//   { kind: 'keys', keys: [...] }            one key or a combination ("HotKey")
//   { kind: 'rapid', key, count, interval }  rapid fire ("GKey")
//   { kind: 'macro', steps, repeat, mode }   a macro stored in the device ("Macro"),
//                                            mode: the family's play manner or ''
//   { kind: 'disable' }                      the button does nothing
// Key and function names are those of the family's Driver definition.

export const MODIFIER_ORDER = ['Ctrl', 'Shift', 'Alt', 'Win'];

export function isModifier(name) {
    return MODIFIER_ORDER.includes(name);
}

// A combination in its canonical order: modifiers first (Ctrl, Shift, Alt,
// Win), then the keys in the order they were given, without repeats.
export function normaliseKeys(keys) {
    const unique = [...new Set(keys.filter((k) => typeof k === 'string' && k.length))];
    const modifiers = MODIFIER_ORDER.filter((m) => unique.includes(m));
    return [...modifiers, ...unique.filter((k) => !isModifier(k))];
}

// Whether a key can be named in a combination: the program splits a
// combination at "+", so a key whose name holds one ("Num +") cannot be
// (it still can be a macro step).
export function combinable(name) {
    return typeof name === 'string' && name.length > 0 && !name.includes('+');
}

// Whether a combination fits what the family stores. M families keep a
// modifier mask and two keys; W1 presses up to three keys, modifiers
// counted as keys.
export function combinationFits(keys, limits) {
    const others = keys.filter((k) => !isModifier(k)).length;
    const counted = limits.modifiersAreKeys ? keys.length : others;
    return keys.length > 0 && counted <= limits.maxKeys && keys.every(combinable);
}

function clampInt(value, low, high, fallback) {
    const n = Number.parseInt(value, 10);
    if (!Number.isFinite(n))
        return fallback;
    return Math.min(high, Math.max(low, n));
}

// The request members for an assignment. driver: the family's definition,
// used to choose how "disable" is written.
export function toRequest(assignment, driver) {
    switch (assignment && assignment.kind) {
    case 'function':
        return { TaskType: 'MouseFunction', Task: assignment.task, TaskCount: '1' };
    case 'keys':
        return { TaskType: 'HotKey', Task: normaliseKeys(assignment.keys).join('+'), TaskCount: '1' };
    case 'rapid':
        return {
            TaskType: 'GKey',
            Task: `${assignment.key}|${clampInt(assignment.count, 0, 255, 1)}|${clampInt(assignment.interval, 0, 255, 0)}`,
            TaskCount: '1',
        };
    case 'macro': {
        const request = { TaskType: 'Macro', Task: assignment.steps, TaskCount: String(clampInt(assignment.repeat, 1, 255, 1)) };
        // The play mode travels as the play manner where the family has one.
        if (assignment.mode)
            request.TaskManner = assignment.mode;
        return request;
    }
    case 'disable':
        // A family with its own "Disable" function gets it; the others take
        // an empty assignment, which the program writes as zeros.
        if (driver && driver.hasFunction('Disable'))
            return { TaskType: 'MouseFunction', Task: 'Disable', TaskCount: '1' };
        return { TaskType: 'Disable', Task: '', TaskCount: '1' };
    default:
        throw new Error('unknown assignment');
    }
}

// The assignment a stored request stands for; null when it is none the
// pages know.
export function fromRequest(request) {
    if (!request)
        return null;
    const type = request.TaskType;
    const task = request.Task || '';
    switch (type) {
    case 'MouseFunction':
        return task === 'Disable' ? { kind: 'disable' } : task ? { kind: 'function', task } : null;
    case 'HotKey':
    case 'Keyboard':
    case 'Keyborad': {
        const keys = task.split('+').filter((k) => k.length);
        return keys.length ? { kind: 'keys', keys: normaliseKeys(keys) } : null;
    }
    case 'GKey': {
        const [key, count, interval] = task.split('|');
        return key ? { kind: 'rapid', key, count: clampInt(count, 0, 255, 1), interval: clampInt(interval, 0, 255, 0) } : null;
    }
    case 'Macro':
        return { kind: 'macro', steps: task, repeat: clampInt(request.TaskCount, 1, 255, 1), mode: /^0x0*[1-9a-f]/i.test(request.TaskManner || '') ? request.TaskManner : '' };
    case 'Disable':
        return { kind: 'disable' };
    default:
        return null;
    }
}

export function sameAssignment(a, b) {
    if (!a || !b)
        return false;
    // Kinds only software remapping plays have no request form.
    const form = (x) => {
        try {
            return JSON.stringify(toRequest(x, null));
        } catch (e) {
            return JSON.stringify(x);
        }
    };
    return form(a) === form(b);
}

// Number of steps in a macro step list ("label(value)" items).
export function macroStepCount(steps) {
    return (String(steps).match(/\([^()]*\)/g) || []).length;
}

// A short text for an assignment. t: the translation function; driver (if
// given) supplies the key labels of its rows.
export function describe(assignment, t, driver = null) {
    const keyText = (k) => keyLabel(k, t, driver);
    if (!assignment)
        return t('assign.unknown');
    switch (assignment.kind) {
    case 'function':
        return functionLabel(assignment.task, t);
    case 'keys':
        return assignment.keys.map(keyText).join(' + ');
    case 'rapid':
        return t('assign.rapidText', { key: keyText(assignment.key), count: assignment.count, interval: assignment.interval });
    case 'macro':
        return t('assign.macroText', { steps: macroStepCount(assignment.steps), repeat: assignment.repeat });
    case 'disable':
        return t('assign.disabled');
    case 'text':
        return t('assign.text', { text: String(assignment.text).length > 24 ? `${String(assignment.text).slice(0, 24)}…` : assignment.text });
    case 'shortcut':
        return ['calculatrice', 'notepad', 'stikynot', 'mail'].includes(assignment.target)
            ? t(`assign.shortcut.${assignment.target}`) : t('assign.open', { target: assignment.target });
    default:
        return t('assign.unknown');
    }
}

// A function's label: its translation when there is one, else its name.
export function functionLabel(task, t) {
    const key = `fn.${task}`;
    const text = t(key);
    return text === key ? task : text;
}

// A key's label: its translation when there is one, else the label of its
// row in the definition (M4.0 names some keys by upper-case words but
// labels them as printed), else its name.
export function keyLabel(name, t, driver = null) {
    const key = `key.${name}`;
    const text = t(key);
    if (text !== key)
        return text;
    const row = driver && driver.keyByName(name);
    return row && row.Name ? row.Name : name;
}

// The group a function row is shown under in the picker.
const GROUPS = [
    ['mouse', /^(LeftClick|RightClick|MiddleClick|Back|Forward|DoubleLeftClick|Scroll\w+|LockX|LockY)$/],
    ['dpi', /^(Dpi\w+|LiftUp|LiftDown|ReportrateUp|ReportrateDown)$/],
    ['media', /^(MediaPlayer|PlayPause|Stop|PreTrack|NextTrack|VolumeUp|VolumeDown|Mute)$/],
    ['profile', /^(ModeShift|ModeUp|ModeDown|SwitchLight|ResetToDefaults)$/],
    ['disable', /^Disable$/],
];

export function functionGroup(task) {
    for (const [group, pattern] of GROUPS)
        if (pattern.test(task))
            return group;
    return 'other';
}
