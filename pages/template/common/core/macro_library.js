// The saved macros: a file of the application folder that the pages keep
// ("ReadFileToStr" / "ModifyFileFromStr"), and the text one macro is
// exported as ("SaveCommand") and imported from ("LoadCommand").
//
//   <Macros>
//     <Macro Name="Copy" Repeat="1" Mode="">按下(Left Ctrl)按下(C)弹起(C)弹起(Left Ctrl)</Macro>
//   </Macros>
//
// A macro: { name, steps (the step text), repeat (1-255), mode (a play mode
// value of the family, or '') }.
import { COMMAND } from './commands.js';
import { XmlElement, parseXml, serializeXml } from './xml.js';
import { parseStepsText, stepsText } from './macro.js';

export const LIBRARY_PATH = 'macros.xml';
export const MAX_MACROS = 500;
const MAX_NAME = 80;

function cleanName(name) {
    return String(name || '').replace(/[\u0000-\u001f]/g, ' ').trim().slice(0, MAX_NAME);
}

function cleanRepeat(value) {
    const n = Number.parseInt(value, 10);
    return Number.isFinite(n) ? Math.min(255, Math.max(1, n)) : 1;
}

// A macro from an element; its steps are read again, so that only steps
// the pages know are kept.
function fromElement(el) {
    const { steps } = parseStepsText(el.text());
    return { name: cleanName(el.attr('Name')), steps: stepsText(steps), repeat: cleanRepeat(el.attr('Repeat')), mode: el.attr('Mode').slice(0, 8) };
}

function toElement(macro) {
    const el = new XmlElement('Macro');
    el.setAttr('Name', cleanName(macro.name)).setAttr('Repeat', String(cleanRepeat(macro.repeat))).setAttr('Mode', macro.mode || '');
    el.append(String(macro.steps || ''));
    return el;
}

// The library's macros; [] for an empty, missing or damaged file.
export function parseLibrary(text) {
    let root;
    try {
        root = parseXml(text);
    } catch (e) {
        return [];
    }
    if (root.name !== 'Macros')
        return [];
    return root.elements('Macro').slice(0, MAX_MACROS).map(fromElement).filter((m) => m.name);
}

export function libraryXml(macros) {
    const root = new XmlElement('Macros');
    for (const m of macros.slice(0, MAX_MACROS))
        root.append(toElement(m));
    return serializeXml(root);
}

// The macro kept under name, or null.
export function findMacro(macros, name) {
    const wanted = cleanName(name);
    return macros.find((m) => m.name === wanted) || null;
}

// name, or "name (2)", "name (3)", ... : the first that no macro has.
export function freeName(macros, name) {
    const base = cleanName(name);
    const taken = new Set(macros.map((m) => m.name));
    if (!taken.has(base))
        return base;
    for (let n = 2; ; ++n) {
        const suffix = ` (${n})`;
        const candidate = `${base.slice(0, MAX_NAME - suffix.length)}${suffix}`;
        if (!taken.has(candidate))
            return candidate;
    }
}

// Whether saving macro would replace another one of the same name (not the
// macro being edited, whose name is editedName): the user is asked first.
export function replacesAnother(macros, macro, editedName = null) {
    const name = cleanName(macro.name);
    return !!findMacro(macros, name) && name !== (editedName === null ? null : cleanName(editedName));
}

// A macro saved under name replaces the one of that name.
export function withMacro(macros, macro) {
    const name = cleanName(macro.name);
    const next = macros.filter((m) => m.name !== name);
    next.push(Object.assign({}, macro, { name }));
    return next.sort((a, b) => a.name.localeCompare(b.name));
}

export function exportText(macro) {
    return serializeXml(toElement(macro), { declaration: false });
}

// A macro from an exported text, or from a bare step text; null when the
// text holds no step.
export function importText(text, fallbackName = '') {
    const source = String(text || '');
    let macro = null;
    try {
        const root = parseXml(source);
        if (root.name === 'Macro')
            macro = fromElement(root);
    } catch (e) {
        const { steps } = parseStepsText(source);
        macro = { name: cleanName(fallbackName), steps: stepsText(steps), repeat: 1, mode: '' };
    }
    if (!macro || !macro.steps)
        return null;
    if (!macro.name)
        macro.name = cleanName(fallbackName);
    return macro;
}

// The library as the file holds it now; [] when there is none.
export async function readLibrary(client) {
    const reply = await client.send(COMMAND.ReadFileToStr, { FilePath: LIBRARY_PATH, Xpath: '/Macros' }, { timeout: 3000 });
    return reply.ok ? parseLibrary(reply.text) : [];
}

export function writeLibrary(client, macros) {
    return client.send(COMMAND.ModifyFileFromStr, { FilePath: LIBRARY_PATH, ContentStr: libraryXml(macros) });
}

// One change of the library, made to what the file holds when it is made,
// not to a list read earlier: the macro editor saves into the library too,
// and a change made to an older list would drop what it saved.
// change(macros) returns the new list. Resolves with { reply, macros }:
// macros is the list now kept (the file's, when the write failed).
export async function changeLibrary(client, change) {
    const current = await readLibrary(client);
    const next = change(current);
    const reply = await writeLibrary(client, next);
    return { reply, macros: reply.ok ? next : current };
}
