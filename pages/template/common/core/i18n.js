// Texts through one translation table per language. t(key, values) gives
// the text of the current language with "{name}" filled from values; a key
// missing from the table gives the key itself (so that a missing text is
// seen, never an empty control).
import { COMMAND } from './commands.js';
import en from '../strings/en.js';
import zh from '../strings/zh.js';

export const TABLES = { en, zh };
export const LANGUAGES = ['en', 'zh'];

let current = 'en';
const listeners = new Set();

// The language code "GetDefaultLanguage" or "conf.ini" gives, as one of ours.
export function supportedLanguage(code) {
    const c = String(code || '').toLowerCase();
    return c.startsWith('zh') ? 'zh' : c.startsWith('en') ? 'en' : '';
}

// The language the pages start in: the one kept in conf.ini, else the
// desktop's (else English). A language found on the desktop is kept in
// conf.ini at once: the tray menu reads it there at the program's next
// start and, without it, shows Chinese whatever the pages show.
// client: the command client.
export async function startLanguage(client) {
    const stored = await client.send(COMMAND.ReadConf, { KeyName: 'Language' }, { timeout: 2000 });
    if (stored.ok && supportedLanguage(stored.text))
        return supportedLanguage(stored.text);
    const desktop = await client.send(COMMAND.GetDefaultLanguage, {}, { timeout: 2000 });
    const chosen = (desktop.ok && supportedLanguage(desktop.text)) || 'en';
    await client.send(COMMAND.WriteConf, { KeyName: 'Language', WriteData: chosen }, { timeout: 2000 });
    return chosen;
}

export function language() {
    return current;
}

export function setLanguage(code) {
    const next = supportedLanguage(code) || 'en';
    if (next === current)
        return;
    current = next;
    for (const fn of listeners)
        fn(current);
}

export function onLanguageChange(fn) {
    listeners.add(fn);
    return () => listeners.delete(fn);
}

export function format(text, values) {
    if (!values)
        return text;
    return text.replace(/\{(\w+)\}/g, (whole, name) =>
        Object.prototype.hasOwnProperty.call(values, name) ? String(values[name]) : whole);
}

export function translate(table, key, values) {
    const text = Object.prototype.hasOwnProperty.call(table, key) ? table[key] : key;
    return format(text, values);
}

export function t(key, values) {
    return translate(TABLES[current], key, values);
}
