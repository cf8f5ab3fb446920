// Presets: named software remappings, each with an optional active DPI
// stage, and the rules that give a program's window its preset. The
// program keeps them ("GetPresets" / "SavePresets") and puts the preset of
// the window in front into effect; these functions make the changes the
// Remapping page offers, each returning a new set and leaving the old one
// as it was.
//
//   { default: 'Default',
//     presets: [{ name, map, dpiStage?: { device, driver, stage } }],
//     rules: [{ app, title, preset }] }
export const NAME_MAX = 64;
export const MAX_PRESETS = 64;
export const MAX_RULES = 256;
export const APP_MAX = 256;
export const TITLE_MAX = 256;

const CONTROL = /[\u0000-\u001f\u007f-\u009f\u200b-\u200f\u2028-\u202e\u2060-\u206f\ufeff]/;

function same(a, b) {
    return a.localeCompare(b, undefined, { sensitivity: 'accent' }) === 0 || a.toLowerCase() === b.toLowerCase();
}

// The set of a "GetPresets" answer, or null when it is not one.
export function parsePresets(text) {
    let data;
    try {
        data = JSON.parse(text);
    } catch (e) {
        return null;
    }
    if (!data || !Array.isArray(data.presets) || !data.presets.length || typeof data.default !== 'string')
        return null;
    const presets = data.presets.filter((p) => p && typeof p.name === 'string').map((p) => {
        const preset = { name: p.name, map: typeof p.map === 'string' ? p.map : '' };
        if (p.dpiStage && typeof p.dpiStage.device === 'string' && Number.isInteger(p.dpiStage.stage))
            preset.dpiStage = { device: p.dpiStage.device, driver: String(p.dpiStage.driver || ''), stage: p.dpiStage.stage };
        return preset;
    });
    const rules = (Array.isArray(data.rules) ? data.rules : []).filter((r) => r && typeof r.app === 'string' && typeof r.preset === 'string')
        .map((r) => ({ app: r.app, title: typeof r.title === 'string' ? r.title : '', preset: r.preset }));
    const set = { default: data.default, presets, rules };
    return { set, state: data.state && typeof data.state === 'object' ? data.state : null };
}

// What SavePresets takes.
export function presetsText(set) {
    return JSON.stringify({ default: set.default, presets: set.presets, rules: set.rules });
}

export function findPreset(set, name) {
    return set.presets.find((p) => p.name === name) || null;
}

// Why a name cannot be a preset's ('' when it can): the key of the text
// that says so.
export function nameProblem(set, name, except = null) {
    const text = String(name || '').trim();
    if (!text)
        return 'presets.nameEmpty';
    if (text.length > NAME_MAX)
        return 'presets.nameLong';
    if (CONTROL.test(text))
        return 'presets.nameControl';
    if (set.presets.some((p) => p.name !== except && same(p.name, text)))
        return 'presets.nameTaken';
    return '';
}

// A name not yet taken: base, else "base 2", "base 3", …
export function freeName(set, base) {
    const stem = String(base || 'Preset').trim().slice(0, NAME_MAX - 4) || 'Preset';
    if (!nameProblem(set, stem))
        return stem;
    for (let n = 2; ; n += 1) {
        const name = `${stem} ${n}`;
        if (!nameProblem(set, name))
            return name;
    }
}

function checked(set, name, except = null) {
    const problem = nameProblem(set, name, except);
    if (problem)
        throw new Error(problem);
    return String(name).trim();
}

export function createPreset(set, name) {
    if (set.presets.length >= MAX_PRESETS)
        throw new Error('presets.tooMany');
    return Object.assign({}, set, { presets: [...set.presets, { name: checked(set, name), map: '' }] });
}

export function duplicatePreset(set, from, name) {
    const source = findPreset(set, from);
    if (!source)
        throw new Error('presets.missing');
    if (set.presets.length >= MAX_PRESETS)
        throw new Error('presets.tooMany');
    return Object.assign({}, set, { presets: [...set.presets, Object.assign({}, source, { name: checked(set, name) })] });
}

// The rules and the default follow the new name.
export function renamePreset(set, from, name) {
    if (!findPreset(set, from))
        throw new Error('presets.missing');
    const to = checked(set, name, from);
    return {
        default: set.default === from ? to : set.default,
        presets: set.presets.map((p) => (p.name === from ? Object.assign({}, p, { name: to }) : p)),
        rules: set.rules.map((r) => (r.preset === from ? Object.assign({}, r, { preset: to }) : r)),
    };
}

// The default preset cannot go; the rules that gave programs this preset
// go with it.
export function removePreset(set, name) {
    if (name === set.default)
        throw new Error('presets.removeDefault');
    if (!findPreset(set, name))
        throw new Error('presets.missing');
    return {
        default: set.default,
        presets: set.presets.filter((p) => p.name !== name),
        rules: set.rules.filter((r) => r.preset !== name),
    };
}

export function setDefaultPreset(set, name) {
    if (!findPreset(set, name))
        throw new Error('presets.missing');
    return Object.assign({}, set, { default: name });
}

export function setPresetMap(set, name, map) {
    return Object.assign({}, set, { presets: set.presets.map((p) => (p.name === name ? Object.assign({}, p, { map }) : p)) });
}

// stage: { device, driver, stage } or null (the preset leaves the DPI
// stage alone).
export function setPresetStage(set, name, stage) {
    return Object.assign({}, set, {
        presets: set.presets.map((p) => {
            if (p.name !== name)
                return p;
            const next = { name: p.name, map: p.map };
            if (stage)
                next.dpiStage = { device: stage.device, driver: stage.driver, stage: stage.stage };
            return next;
        }),
    });
}

// A rule for a program (its window class, as the desktop names it), with
// an optional part of its title. The same program and title again replaces
// the rule it had.
export function addRule(set, { app, title = '', preset }) {
    const program = String(app || '').trim();
    const part = String(title || '').trim();
    if (!program)
        throw new Error('rules.appEmpty');
    if (program.length > APP_MAX || part.length > TITLE_MAX || CONTROL.test(program) || CONTROL.test(part))
        throw new Error('rules.appBad');
    if (!findPreset(set, preset))
        throw new Error('presets.missing');
    const rule = { app: program, title: part, preset };
    const at = set.rules.findIndex((r) => same(r.app, program) && same(r.title, part));
    if (at < 0 && set.rules.length >= MAX_RULES)
        throw new Error('rules.tooMany');
    const rules = at < 0 ? [...set.rules, rule] : set.rules.map((r, i) => (i === at ? rule : r));
    return Object.assign({}, set, { rules });
}

export function removeRule(set, index) {
    return Object.assign({}, set, { rules: set.rules.filter((_, i) => i !== index) });
}

// The line that says which preset is in effect and why:
// { preset, why, reason, problems, paused } as texts for the page.
export function describeState(state, t) {
    if (!state)
        return null;
    const app = state.app || '';
    const whyKey = {
        start: 'presets.why.start', rule: 'presets.why.rule', 'no-rule': 'presets.why.noRule',
        desktop: 'presets.why.desktop', manual: 'presets.why.manual',
    }[state.cause] || 'presets.why.start';
    return {
        preset: String(state.preset || ''),
        why: t(whyKey, { app }),
        reason: state.reason ? String(state.reason) : '',
        problems: Array.isArray(state.problems) ? state.problems.map(String) : [],
        paused: !!state.paused,
    };
}
