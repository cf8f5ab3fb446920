// A Driver definition as the pages see it: the rows of the family's
// document ("GetLocalConf" with the family's name), and what the pages read
// from them: the functions a button can be given, the key names, the DPI
// stages, the buttons, and where each setting is written. Nothing here knows
// a byte code; codes stay in the document and are encoded by the program.
import { parseXml } from './xml.js';

const BYTE = /^0x[0-9a-f]{1,2}$/i;

function decimal(text) {
    return /^\s*\d+\s*$/.test(text || '') ? parseInt(text, 10) : NaN;
}

export class DriverDefinition {
    constructor(version, name, rows) {
        this.version = version;
        this.name = name;
        this.rows = rows;
    }

    // Throws when the text is not a Driver definition.
    static parse(text) {
        const root = parseXml(text);
        if (root.name !== 'Driver')
            throw new Error('not a Driver definition');
        const rows = root.elements('Key').map((key) => {
            const row = {};
            for (const [name, value] of key.attributes)
                row[name === 'name' ? 'Name' : name] = value;
            for (const name of ['Name', 'Task', 'Index', 'Length', 'Code', 'Addr', 'vkCode', 'ScanCode', 'flag', 'Value'])
                if (row[name] === undefined)
                    row[name] = '';
            return Object.freeze(row);
        });
        return new DriverDefinition(root.attr('Version'), root.attr('Name'), rows);
    }

    // Families written by memory address (W1.0) carry addresses on their
    // profile rows.
    get addressed() {
        return this.rows.some((r) => r.Addr !== '' && decimal(r.Index) >= 40);
    }

    rowByTask(task) {
        return this.rows.find((r) => r.Task === task) || null;
    }

    rowByIndex(index) {
        return this.rows.find((r) => r.Index === String(index)) || null;
    }

    // Whether a setting row can be written: on address families only rows
    // that carry an address.
    writable(row) {
        return !!row && row.Index !== '' && (!this.addressed || row.Addr !== '');
    }

    indexOfTask(task) {
        const row = this.rows.find((r) => r.Task === task && r.Index !== '');
        return row ? decimal(row.Index) : NaN;
    }

    // Rows a button can be given as a "MouseFunction": fixed byte codes
    // whose byte count is the row's length (rows stored off that rule would
    // be refused by the device layer, so they are not offered).
    functions() {
        return this.rows.filter((r) => {
            if (r.Index !== '' || r.vkCode !== '' || !r.Code || r.Code.includes('{'))
                return false;
            const items = r.Code.split(',');
            return items.length >= 3 && items.every((b) => BYTE.test(b.trim())) && items.length === decimal(r.Length);
        });
    }

    hasFunction(task) {
        return this.functions().some((r) => r.Task === task);
    }

    // Keys a button can send, in document order (modifier rows apart).
    keys() {
        return this.rows.filter((r) => r.vkCode !== '' && r.Code !== '' && r.ScanCode !== '');
    }

    // The combination modifiers (Ctrl, Shift, Alt, Win): key rows without a
    // scan code, whose codes are modifier bits.
    modifiers() {
        return this.rows.filter((r) => r.vkCode !== '' && r.Code !== '' && r.ScanCode === '');
    }

    keyByName(name) {
        return this.keys().find((r) => r.Task === name) || null;
    }

    // The key row a browser key event stands for: by Windows virtual-key code
    // (which is what Chromium reports as keyCode), told apart by location
    // where two rows share a code (Enter and Num Enter, the two Windows
    // keys, left and right modifiers).
    keyForEvent(keyCode, location) {
        const MODIFIER_PAIRS = { 16: [160, 161], 17: [162, 163], 18: [164, 165] };
        let code = keyCode;
        if (MODIFIER_PAIRS[code])
            code = MODIFIER_PAIRS[code][location === 2 ? 1 : 0];
        const candidates = this.keys().filter((r) => decimal(r.vkCode) === code);
        if (candidates.length <= 1)
            return candidates[0] || null;
        const prefer = location === 3 ? /^num/i : location === 2 ? /^right/i : location === 1 ? /^left/i : /^(?!num|right)/i;
        return candidates.find((r) => prefer.test(r.Task)) || candidates[0];
    }

    // DPI stages: the profile's stage rows in stage order, each with the
    // Index its value is written under and, where the family keeps stage
    // colours apart (W1.0), the Index of its colour row.
    dpiStages() {
        const stages = new Map();
        for (const r of this.rows) {
            const match = /^pDpi(\d+)$/.exec(r.Task);
            const index = decimal(r.Index);
            if (!match || !Number.isFinite(index))
                continue;
            const number = parseInt(match[1], 10);
            if (!this.writable(r))
                continue;
            const stage = stages.get(number) || { number, index: NaN, colourIndex: NaN, length: 0 };
            if (!Number.isFinite(stage.index)) {
                stage.index = index;
                stage.length = decimal(r.Length);
            } else if (!Number.isFinite(stage.colourIndex)) {
                stage.colourIndex = index;
            }
            stages.set(number, stage);
        }
        return [...stages.values()].filter((s) => Number.isFinite(s.index)).sort((a, b) => a.number - b.number);
    }

    // Buttons whose assignment the device keeps, in button order.
    buttons() {
        const seen = new Set();
        const list = [];
        for (const r of this.rows) {
            const match = /^pButton(\d+)$/.exec(r.Task);
            if (!match || seen.has(r.Task) || !this.writable(r))
                continue;
            seen.add(r.Task);
            list.push({ number: parseInt(match[1], 10), index: decimal(r.Index), length: decimal(r.Length) });
        }
        return list;
    }

    // The Index of a profile setting by its task name ("pReportrate",
    // "pLights", "pDpiCurrent", "pDpiCount"), or NaN when the family cannot
    // write it.
    settingIndex(task) {
        const row = this.rows.find((r) => r.Task === task && r.Index !== '');
        return this.writable(row) ? decimal(row.Index) : NaN;
    }
}
