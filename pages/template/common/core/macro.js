// Macros as the pages edit them, and the step text the program reads:
// steps written as word(value) one after another, the words being the
// program's own:
//   按下(A) / 弹起(A)       press / release a key (its definition name)
//   按下(左键) / 弹起(右键)  press / release a mouse button
//   延迟(100)               wait, milliseconds
//   滚轮(下滚) / 滚轮(上滚)  one wheel step down / up
//   相对位移XY(10,fffb)     move the pointer by x, y (hexadecimal, 16 bits)
//
// A step here is one of
//   { type: 'key', down, key }       { type: 'button', down, button }
//   { type: 'delay', ms }            { type: 'wheel', up }
//   { type: 'move', x, y }           (x, y signed)
// Delays are relative: each is the wait after the step before it.

export const WORD = {
    press: '按下',
    release: '弹起',
    delay: '延迟',
    wheel: '滚轮',
    move: '相对位移XY',
    wheelDown: '下滚',
    wheelUp: '上滚',
};

// The same words in English, for showing the text in the English
// interface; reading takes either language (the stored text always keeps
// the program's words).
export const WORD_EN = {
    press: 'Press',
    release: 'Release',
    delay: 'Delay',
    wheel: 'Wheel',
    move: 'MoveXY',
    wheelDown: 'Down',
    wheelUp: 'Up',
};
const BUTTON_EN = { '左键': 'Left button', '右键': 'Right button', '中键': 'Middle button', '前进': 'Forward button', '后退': 'Back button' };

// The words of an interface language: English for 'en', else the program's.
export function stepWords(language) {
    return language === 'en' ? { word: WORD_EN, button: BUTTON_EN } : { word: WORD, button: null };
}

// A word of either language, as the program's word ('' when none).
function programWord(word) {
    for (const [name, value] of Object.entries(WORD_EN))
        if (word.toLowerCase() === value.toLowerCase())
            return WORD[name];
    return Object.values(WORD).includes(word) ? word : '';
}

function programButton(value) {
    for (const [zh, en] of Object.entries(BUTTON_EN))
        if (value.toLowerCase() === en.toLowerCase())
            return zh;
    return value;
}

// The mouse buttons a device macro can press: the definition rows that
// give their macro codes. (The program reads only these two as buttons.)
export const MACRO_BUTTONS = ['左键', '右键'];

// The button words the pages know, and the name of each in the texts.
export const BUTTON_IDS = { '左键': 'left', '右键': 'right', '中键': 'middle', '前进': 'forward', '后退': 'back' };

// The buttons a definition lets a macro press: its own list where it has
// one (the software player's), else the device rows.
export function macroButtons(driver) {
    if (typeof driver.macroButtons === 'function')
        return driver.macroButtons();
    return MACRO_BUTTONS.filter((b) => driver.rowByTask(b));
}

export const MAX_DELAY = 0xffff;
export const MAX_STEPS = 2000;
const MAX_TEXT = 100000;

export function clampDelay(ms) {
    const n = Math.round(Number(ms));
    return Number.isFinite(n) ? Math.min(MAX_DELAY, Math.max(0, n)) : 0;
}

function hex16(value) {
    return (value & 0xffff).toString(16);
}

function signed16(text) {
    const n = Number.parseInt(String(text).trim().replace(/^0x/i, ''), 16);
    if (!Number.isFinite(n) || n < 0 || n > 0xffff)
        return NaN;
    return n >= 0x8000 ? n - 0x10000 : n;
}

// The step text of steps, in the program's words (what is stored), or in
// the words of stepWords(language) for showing.
export function stepsText(steps, words = null) {
    const W = words ? words.word : WORD;
    const button = (b) => (words && words.button && words.button[b]) || b;
    return steps.map((s) => {
        switch (s.type) {
        case 'key':
            return `${s.down ? W.press : W.release}(${s.key})`;
        case 'button':
            return `${s.down ? W.press : W.release}(${button(s.button)})`;
        case 'delay':
            return `${W.delay}(${clampDelay(s.ms)})`;
        case 'wheel':
            return `${W.wheel}(${s.up ? W.wheelUp : W.wheelDown})`;
        case 'move':
            return `${W.move}(${hex16(s.x)},${hex16(s.y)})`;
        default:
            return '';
        }
    }).join('');
}

// Steps from a step text, from a file, another program or the user, in the
// program's words or in English: never trusted.
// Returns { steps, skipped }: skipped counts pieces that are no step the
// pages know (they are left out, not guessed at). isButton(word) tells a
// mouse button word from a key name.
export function parseStepsText(text, { isButton = (w) => Object.prototype.hasOwnProperty.call(BUTTON_IDS, w) } = {}) {
    const steps = [];
    let skipped = 0;
    const source = String(text || '').slice(0, MAX_TEXT);
    const pattern = /([^()]*)\(([^()]*)\)/g;
    let match;
    let end = 0;
    while ((match = pattern.exec(source)) !== null && steps.length < MAX_STEPS) {
        end = pattern.lastIndex;
        const word = programWord(match[1].trim());
        const given = match[2].trim();
        // Values in English too: mouse buttons, and the wheel's directions.
        const value = word === WORD.wheel ? (programWord(given) || given) : programButton(given);
        let step = null;
        if ((word === WORD.press || word === WORD.release) && value)
            step = isButton(value) ? { type: 'button', down: word === WORD.press, button: value }
                : { type: 'key', down: word === WORD.press, key: value };
        else if (word === WORD.delay && /^\d{1,9}$/.test(value))
            step = { type: 'delay', ms: clampDelay(value) };
        else if (word === WORD.wheel && (value === WORD.wheelDown || value === WORD.wheelUp))
            step = { type: 'wheel', up: value === WORD.wheelUp };
        else if (word === WORD.move) {
            const parts = value.split(',');
            const x = parts.length === 2 ? signed16(parts[0]) : NaN;
            const y = parts.length === 2 ? signed16(parts[1]) : NaN;
            if (Number.isFinite(x) && Number.isFinite(y))
                step = { type: 'move', x, y };
        }
        if (step)
            steps.push(step);
        else
            skipped += 1;
    }
    if (source.slice(end).trim().length)
        skipped += 1;
    return { steps, skipped };
}

// How a family stores a macro, from its definition: the slot size (the
// Macro0 row's length), the bytes of each step and the fixed bytes around
// them. Families store a repeat count in an end record (3 bytes) unless
// the button code carries it (the family's repeatInButtonCode: M2.0,
// M4.0); W1.0 blocks are a count, steps (actions 3 bytes, pauses 2), two
// end bytes and a check byte, and each action must be followed by exactly
// one pause.
export function macroScheme(driver, family) {
    if (typeof driver.macroScheme === 'function')
        return driver.macroScheme();
    const row = driver.rowByTask('Macro0');
    const slot = row ? Number.parseInt(row.Length, 10) : NaN;
    if (driver.addressed)
        return { slot, overhead: 4, delayBytes: 2, moves: false, pairs: true };
    const codeCarriesRepeat = !!(family && family.repeatInButtonCode);
    return { slot, overhead: codeCarriesRepeat ? 0 : 3, delayBytes: 3, moves: true, pairs: false };
}

// The steps as the family stores them: on W1.0 each action is followed by
// one pause (pauses in a row are added up, an action without a pause gets
// a pause of 0, a pause before the first action has nowhere to go), and
// moves, which it cannot play, are left out.
export function stepsForScheme(steps, scheme) {
    if (!scheme.pairs)
        return steps.filter((s) => scheme.moves || s.type !== 'move');
    const out = [];
    for (const s of steps) {
        if (s.type === 'move')
            continue;
        if (s.type === 'delay') {
            const last = out[out.length - 1];
            if (!last)
                continue;
            if (last.type === 'delay')
                last.ms = clampDelay(last.ms + s.ms);
            else
                out.push({ type: 'delay', ms: clampDelay(s.ms) });
            continue;
        }
        if (out.length && out[out.length - 1].type !== 'delay')
            out.push({ type: 'delay', ms: 0 });
        out.push(Object.assign({}, s));
    }
    if (out.length && out[out.length - 1].type !== 'delay')
        out.push({ type: 'delay', ms: 0 });
    return out;
}

// Bytes the steps take in the device's slot.
export function macroBytes(steps, scheme) {
    let bytes = 0;
    for (const s of stepsForScheme(steps, scheme)) {
        if (s.type === 'delay')
            bytes += scheme.delayBytes;
        else if (s.type === 'move')
            bytes += (s.x ? 3 : 0) + (s.y ? 3 : 0);
        else
            bytes += 3;
    }
    return bytes + (steps.length ? scheme.overhead : 0);
}

// Whether the steps fit the slot, and what is wrong otherwise: 'empty',
// 'full' (more bytes than the slot), 'keys' (a key the definition does not
// know: the program would leave it out).
export function macroProblems(steps, scheme, driver) {
    const problems = [];
    if (!steps.some((s) => s.type !== 'delay'))
        problems.push('empty');
    if (Number.isFinite(scheme.slot) && macroBytes(steps, scheme) > scheme.slot)
        problems.push('full');
    if (steps.some((s) => s.type === 'key' && !driver.keyByName(s.key) && !driver.modifiers().some((m) => m.Task === s.key)))
        problems.push('keys');
    if (steps.some((s) => s.type === 'button' && !macroButtons(driver).includes(s.button)))
        problems.push('buttons');
    return problems;
}

// Keys left down at the end of the steps (pressed and not released).
export function heldAtEnd(steps) {
    const held = [];
    for (const s of steps) {
        if (s.type !== 'key' && s.type !== 'button')
            continue;
        const id = s.type === 'key' ? `key:${s.key}` : `button:${s.button}`;
        const at = held.indexOf(id);
        if (s.down && at < 0)
            held.push(id);
        else if (!s.down && at >= 0)
            held.splice(at, 1);
    }
    return held;
}

// Edits, each returning a new list.
export function insertSteps(steps, at, inserted) {
    const i = Math.max(0, Math.min(steps.length, at));
    return [...steps.slice(0, i), ...inserted, ...steps.slice(i)];
}

export function removeStep(steps, at) {
    return steps.filter((_, i) => i !== at);
}

export function moveStep(steps, from, to) {
    if (from < 0 || from >= steps.length || to < 0 || to >= steps.length || from === to)
        return steps.slice();
    const next = steps.slice();
    const [step] = next.splice(from, 1);
    next.splice(to, 0, step);
    return next;
}

export function setDelay(steps, at, ms) {
    return steps.map((s, i) => (i === at && s.type === 'delay' ? { type: 'delay', ms: clampDelay(ms) } : s));
}

// Every pause set to ms (the "same delay everywhere" edit).
export function setAllDelays(steps, ms) {
    return steps.map((s) => (s.type === 'delay' ? { type: 'delay', ms: clampDelay(ms) } : s));
}

// Recording: events in, steps out. Each event: { time, kind: 'key' |
// 'button', down, name }. Key repeats of a held key and releases of keys
// pressed before the recording started are left out; with delays on, the
// time between two events becomes a pause. finish() releases what is still
// held, so a macro never leaves a key down.
export class MacroRecorder {
    constructor({ recordDelays = true, fixedDelay = 0 } = {}) {
        this.recordDelays = recordDelays;
        this.fixedDelay = fixedDelay;
        this.steps = [];
        this.held = new Set();
        this.lastTime = null;
    }

    add({ time, kind, down, name }) {
        const id = `${kind}:${name}`;
        if (!name || (down && this.held.has(id)) || (!down && !this.held.has(id)))
            return false;
        if (down)
            this.held.add(id);
        else
            this.held.delete(id);
        if (this.lastTime !== null) {
            const ms = this.recordDelays ? time - this.lastTime : this.fixedDelay;
            if (ms > 0)
                this.steps.push({ type: 'delay', ms: clampDelay(ms) });
        }
        this.lastTime = time;
        this.steps.push(kind === 'key' ? { type: 'key', down, key: name } : { type: 'button', down, button: name });
        return this.steps.length < MAX_STEPS;
    }

    finish(time) {
        for (const id of [...this.held]) {
            const [kind, ...rest] = id.split(':');
            this.add({ time: time === undefined ? this.lastTime : time, kind, down: false, name: rest.join(':') });
        }
        return this.steps.slice();
    }
}
