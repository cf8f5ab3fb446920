// Software remapping: the mouse buttons the program can take over (the
// "map" document of "GetVirtualDevice"), what each is given, and the
// "VirtualStr" document "RefreshVirtualDrive" loads. Key names are those of
// the program's key value table ("GetLocalConf" of "Define"), which the
// program looks them up in.
//
//   <map>
//     <key name="右键" scancode="4" flag="10" type="HotKey" playtype="0" playcount="1" playdelay="0" playauxiliary="0" ...>
//       <task value="Ctrl+C"/>
//     </key>
//   </map>
//
// Assignments are those of core/assignment.js plus
//   { kind: 'text', text }          types the text
//   { kind: 'shortcut', target }    starts a program ("calculatrice",
//                                   "notepad", "stikynot", "mail") or opens a path
import { COMMAND } from './commands.js';
import { DriverDefinition } from './driver.js';
import { XmlElement, parseXml, serializeXml } from './xml.js';
import { normaliseKeys } from './assignment.js';
import { findPreset, parsePresets, presetsText, setPresetMap } from './presets.js';

export const REMAP_PATH = 'remap.xml';
export const SHORTCUTS = ['calculatrice', 'notepad', 'stikynot', 'mail'];
// Play types of the software player: 1 plays count times on a press, 2
// repeats while the button is held, 3 plays when it is released; 0 holds
// keys and buttons down as long as the button is.
export const SOFTWARE_MODES = [
    { value: '1', name: 'times' },
    { value: '2', name: 'held' },
    { value: '3', name: 'release' },
];
const MOUSE_FUNCTIONS = ['LeftClick', 'RightClick', 'MiddleClick', 'Back', 'Forward'];
const MAX_TEXT = 2000;

// The key value table as a definition the assignment picker and the macro
// editor can use: its keys by their value (the name the player looks up),
// the five mouse functions, the player's mouse buttons, no slot limit.
export class SoftwareDefinition extends DriverDefinition {
    static fromDefine(text) {
        const root = parseXml(text);
        if (root.name !== 'keyboard')
            throw new Error('not a key value table');
        const rows = root.elements('key').filter((k) => k.attr('flag') !== '10' && k.attr('value')).map((k) => Object.freeze({
            Name: k.attr('value'), Task: k.attr('value'), Index: '', Length: '', Code: k.attr('hidCode'), Addr: '',
            vkCode: k.attr('vkCode'), ScanCode: k.attr('scanCode'), flag: k.attr('flag'), Value: k.attr('value').toUpperCase(),
        }));
        const functions = root.elements('key').filter((k) => k.attr('flag') === '10' && MOUSE_FUNCTIONS.includes(k.attr('task')))
            .map((k) => Object.freeze({ Name: k.attr('name'), Task: k.attr('task'), Index: '', Length: '', Code: '', Addr: '', vkCode: '', ScanCode: '', flag: '10', Value: '' }));
        const definition = new SoftwareDefinition('Software', root.attr('name'), rows);
        definition.mouseFunctions = functions;
        return definition;
    }

    functions() {
        return this.mouseFunctions;
    }

    hasFunction(task) {
        return this.mouseFunctions.some((r) => r.Task === task);
    }

    macroButtons() {
        return ['左键', '右键', '中键', '前进', '后退'];
    }

    macroScheme() {
        return { slot: NaN, overhead: 0, delayBytes: 3, moves: true, pairs: false };
    }
}

// The buttons the program can take over: { name, scancode, flag, element }
// from the "map" document.
export function virtualButtons(text) {
    let root;
    try {
        root = parseXml(text);
    } catch (e) {
        return [];
    }
    if (root.name !== 'map')
        return [];
    return root.elements().filter((k) => /^\d+$/.test(k.attr('scancode')) && /^\d+$/.test(k.attr('flag')))
        .map((k) => ({ name: k.attr('name'), scancode: k.attr('scancode'), flag: k.attr('flag'), element: k }));
}

export function buttonId(button) {
    return `${button.scancode}:${button.flag}`;
}

function clampCount(value) {
    const n = Number.parseInt(value, 10);
    return Number.isFinite(n) ? Math.min(255, Math.max(1, n)) : 1;
}

// A trigger's type, value and play attributes for an assignment; null
// for one the player cannot play.
export function triggerOf(assignment) {
    const play = (type, count = 1) => ({ playtype: String(type), playcount: String(count), playdelay: '0', playauxiliary: '0' });
    switch (assignment && assignment.kind) {
    case 'function':
        return MOUSE_FUNCTIONS.includes(assignment.task) ? Object.assign({ type: 'MouseFunction', value: assignment.task }, play(0)) : null;
    case 'keys': {
        const keys = normaliseKeys(assignment.keys);
        return keys.length ? Object.assign({ type: 'Keyboard', value: keys.join('+') }, play(0)) : null;
    }
    case 'macro': {
        const mode = SOFTWARE_MODES.some((m) => m.value === assignment.mode) ? assignment.mode : '1';
        return Object.assign({ type: 'Macro', value: assignment.steps || '' }, play(mode, clampCount(assignment.repeat)));
    }
    case 'text': {
        const text = String(assignment.text || '').slice(0, MAX_TEXT);
        return text ? Object.assign({ type: 'text', value: text }, play(1)) : null;
    }
    case 'shortcut': {
        const target = String(assignment.target || '').trim();
        return target ? Object.assign({ type: 'shortcut', value: target }, play(1)) : null;
    }
    case 'disable':
        // A trigger with nothing to play: the button is taken and does
        // nothing.
        return Object.assign({ type: 'Macro', value: '' }, play(1));
    default:
        return null;
    }
}

// The assignment a trigger element stands for.
export function assignmentOf(element) {
    const child = element.elements()[0];
    const value = child ? child.attr('value') : '';
    switch (element.attr('type')) {
    case 'MouseFunction':
    case 'Mouse':
        return MOUSE_FUNCTIONS.includes(value) ? { kind: 'function', task: value } : null;
    case 'Keyboard':
    case 'HotKey': {
        const keys = value.split('+').map((k) => k.trim()).filter(Boolean);
        return keys.length ? { kind: 'keys', keys: normaliseKeys(keys) } : null;
    }
    case 'Macro':
        return value ? { kind: 'macro', steps: value, repeat: clampCount(element.attr('playcount')), mode: element.attr('playtype') } : { kind: 'disable' };
    case 'text':
        return value ? { kind: 'text', text: value.slice(0, MAX_TEXT) } : null;
    case 'shortcut':
        return value ? { kind: 'shortcut', target: value } : null;
    default:
        return null;
    }
}

// The "VirtualStr" document: one trigger per assigned button, carrying the
// button's own attributes from the map document. assignments: Map of
// buttonId to assignment; buttons without one stay the mouse's own.
export function virtualDocument(buttons, assignments) {
    const root = new XmlElement('map');
    root.setAttr('name', 'Orvanta');
    for (const button of buttons) {
        const trigger = triggerOf(assignments.get(buttonId(button)));
        if (!trigger)
            continue;
        const key = root.append(new XmlElement('key'));
        for (const [name, value] of button.element.attributes)
            key.setAttr(name, value);
        for (const name of ['type', 'playtype', 'playcount', 'playdelay', 'playauxiliary'])
            key.setAttr(name, trigger[name]);
        key.append(new XmlElement('task')).setAttr('value', trigger.value);
    }
    return serializeXml(root);
}

// The assignments a saved document holds, by buttonId.
export function readAssignments(text) {
    const assignments = new Map();
    for (const button of virtualButtons(text)) {
        const assignment = assignmentOf(button.element);
        if (assignment)
            assignments.set(buttonId(button), assignment);
    }
    return assignments;
}

// The remapping in effect. With presets (a program that keeps them), the
// buttons shown are those of the preset being edited; a change is saved
// into that preset, and the program puts it into effect when the preset is
// the active one. Without them (an older program), as before presets: one
// remapping, saved in the remap file and loaded at start by the pages.
// Recording a macro pauses the remapping, so that the buttons record as
// themselves.
export class Remapping {
    constructor(client) {
        this.client = client;
        this.buttons = [];
        this.assignments = new Map();
        this.paused = false;
        // With presets: the set, the program's word on the active one, and
        // the preset being edited.
        this.presets = null;
        this.state = null;
        this.editing = '';
        this.listeners = new Set();
        this.unlisten = null;
    }

    async load() {
        const [map, presets] = await Promise.all([
            this.client.send(COMMAND.GetVirtualDevice, {}, { timeout: 3000 }),
            this.client.send(COMMAND.GetPresets, {}, { timeout: 3000 }),
        ]);
        this.buttons = map.ok ? virtualButtons(map.text) : [];
        const parsed = presets.ok ? parsePresets(presets.text) : null;
        if (parsed) {
            this.presets = parsed.set;
            this.state = parsed.state;
            this.edit(this.state && findPreset(this.presets, this.state.preset) ? this.state.preset : this.presets.default);
            if (!this.unlisten)
                this.unlisten = this.client.on('onPresetChanged', (args) => this.onPresetChanged(args[0]));
            // A pause left by pages that went away while recording (a
            // reload, a crash) would keep every button untaken.
            if (this.state && this.state.paused) {
                await this.client.send(COMMAND.PausePresets, { Paused: 0 });
                this.state = Object.assign({}, this.state, { paused: false });
            }
            return this;
        }
        const saved = await this.client.send(COMMAND.ReadFileToStr, { FilePath: REMAP_PATH, Xpath: '/map' }, { timeout: 3000 });
        this.assignments = saved.ok ? readAssignments(saved.text) : new Map();
        return this;
    }

    get hasPresets() {
        return !!this.presets;
    }

    // Listens to changes of the presets or of the active one.
    onChange(fn) {
        this.listeners.add(fn);
        return () => this.listeners.delete(fn);
    }

    changed() {
        for (const fn of [...this.listeners]) {
            try {
                fn(this);
            } catch (e) {
                // One listener's fault must not keep the others from hearing.
            }
        }
    }

    // The program switched presets, or its files changed: the set is asked
    // for again (it may have been edited elsewhere).
    async onPresetChanged(text) {
        try {
            this.state = JSON.parse(text);
        } catch (e) {
            return;
        }
        const reply = await this.client.send(COMMAND.GetPresets, {}, { timeout: 3000 });
        const parsed = reply.ok ? parsePresets(reply.text) : null;
        if (parsed) {
            this.presets = parsed.set;
            this.state = parsed.state || this.state;
            this.edit(findPreset(this.presets, this.editing) ? this.editing : this.presets.default);
        }
        this.changed();
    }

    // The preset whose buttons are shown and changed.
    edit(name) {
        const preset = findPreset(this.presets, name) || findPreset(this.presets, this.presets.default) || this.presets.presets[0];
        this.editing = preset.name;
        this.assignments = readAssignments(preset.map);
    }

    // Hands a whole set to the program, which checks, keeps and applies
    // it; the set here changes only when the program took it.
    async save(next) {
        const reply = await this.client.send(COMMAND.SavePresets, { Presets: presetsText(next) });
        if (reply.ok) {
            this.presets = next;
            this.edit(findPreset(next, this.editing) ? this.editing : next.default);
            this.changed();
        }
        return reply;
    }

    // A preset by hand, until another program comes to the front.
    async activate(name) {
        const reply = await this.client.send(COMMAND.SetActivePreset, { Name: name });
        if (reply.ok && this.state)
            this.state = Object.assign({}, this.state, { preset: name, cause: 'manual' });
        this.changed();
        return reply;
    }

    // The running programs' window classes, for a new rule.
    async windowClasses() {
        const reply = await this.client.send(COMMAND.GetFocusWindows, {}, { timeout: 3000 });
        try {
            const data = reply.ok ? JSON.parse(reply.text) : null;
            return data && Array.isArray(data.classes) ? data.classes.filter((c) => typeof c === 'string') : [];
        } catch (e) {
            return [];
        }
    }

    document(assignments = this.assignments) {
        return virtualDocument(this.buttons, assignments);
    }

    // Hands the document to the program (without presets). An empty map is
    // refused by the program although it empties the trigger table, which
    // is what was asked for.
    async send(assignments) {
        const empty = ![...assignments.values()].some((a) => triggerOf(a));
        const reply = await this.client.send(COMMAND.RefreshVirtualDrive, { VirtualStr: this.document(assignments) });
        return empty && !reply.ok && reply.text === 'RefreshVirtualDrive failed!' ? Object.assign({}, reply, { ok: true }) : reply;
    }

    // At start: the saved remapping goes back into effect. A program with
    // presets has done that itself.
    async apply() {
        if (this.presets || ![...this.assignments.values()].some((a) => triggerOf(a)))
            return { ok: true, text: '' };
        return this.send(this.assignments);
    }

    // One button's new assignment (null: the mouse's own again), in effect
    // at once (when its preset is the active one) and saved.
    async set(id, assignment) {
        const next = new Map(this.assignments);
        if (assignment)
            next.set(id, assignment);
        else
            next.delete(id);
        if (this.presets) {
            const reply = await this.save(setPresetMap(this.presets, this.editing, this.document(next)));
            return Object.assign({}, reply, { profileSaved: reply.ok });
        }
        const reply = await this.send(next);
        if (!reply.ok)
            return reply;
        this.assignments = next;
        const saved = await this.client.send(COMMAND.ModifyFileFromStr, { FilePath: REMAP_PATH, ContentStr: this.document(next) });
        return Object.assign({}, reply, { profileSaved: saved.ok });
    }

    async pause() {
        if (this.paused || !this.buttons.length)
            return;
        if (this.presets) {
            this.paused = true;
            await this.client.send(COMMAND.PausePresets, { Paused: 1 });
            return;
        }
        if (![...this.assignments.values()].some((a) => triggerOf(a)))
            return;
        this.paused = true;
        await this.send(new Map());
    }

    async resume() {
        if (!this.paused)
            return;
        this.paused = false;
        if (this.presets)
            await this.client.send(COMMAND.PausePresets, { Paused: 0 });
        else
            await this.send(this.assignments);
    }
}
