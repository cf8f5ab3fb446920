// The saved macros from inside the editor: load one from the library, save
// the macro being edited into it (asking before one of the same name is
// replaced), export it to a file and import one from a file (the program
// asks where; a cancelled file dialog answers nothing).
import { COMMAND } from '../core/commands.js';
import { exportText, importText, readLibrary } from '../core/macro_library.js';
import { failureText } from '../core/client.js';
import { t } from '../core/i18n.js';
import { h, clear } from './dom.js';
import { saveToLibrary } from './macro_saving.js';

// current(): the macro as edited ({ name, steps, repeat, mode });
// load(macro): puts a macro into the editor; named(name): the name it was
// saved under; askName(): the name is needed first.
export function macroLibraryRow({ client, current, load, named, askName }) {
    const status = h('span', { class: 'hint', role: 'status', id: 'macro-library-status' });
    const choice = h('select', { id: 'macro-library', 'aria-label': t('macro.library') });
    let library = [];
    const fill = () => {
        clear(choice);
        choice.append(h('option', { value: '' }, library.length ? t('macro.libraryPick') : t('macro.libraryEmpty')));
        for (const m of library)
            choice.append(h('option', { value: m.name }, m.name));
    };
    const say = (text, error = false) => {
        status.textContent = text;
        status.classList.toggle('error-text', error);
    };
    const loaded = readLibrary(client).then((list) => {
        library = list;
        fill();
    });

    const loadButton = h('button', { type: 'button', class: 'button secondary', id: 'macro-library-load' }, t('macro.libraryLoad'));
    loadButton.addEventListener('click', () => {
        const m = library.find((x) => x.name === choice.value);
        if (m)
            load(m);
    });
    const saveButton = h('button', { type: 'button', class: 'button secondary', id: 'macro-library-save' }, t('macro.librarySave'));
    saveButton.addEventListener('click', async () => {
        const m = current();
        if (!m.name) {
            say(t('macro.needName'));
            askName();
            return;
        }
        const saved = await saveToLibrary(client, m);
        if (!saved)
            return;
        library = saved.macros;
        fill();
        if (saved.reply.ok) {
            named(saved.macro.name);
            say(t('macro.librarySaved', { name: saved.macro.name }));
        } else {
            say(failureText(saved.reply, t), true);
        }
    });
    const exportButton = h('button', { type: 'button', class: 'button secondary', id: 'macro-export' }, t('macro.export'));
    exportButton.addEventListener('click', async () => {
        const reply = await client.send(COMMAND.SaveCommand, { CommandString: exportText(current()) }, { timeout: 600000, quietNoReply: true });
        say(reply.ok ? t('macro.exported') : reply.noReply ? '' : failureText(reply, t), !reply.ok && !reply.noReply);
    });
    const importButton = h('button', { type: 'button', class: 'button secondary', id: 'macro-import' }, t('macro.import'));
    importButton.addEventListener('click', async () => {
        const reply = await client.send(COMMAND.LoadCommand, {}, { timeout: 600000, quietNoReply: true });
        if (reply.noReply)
            return;
        const m = reply.ok ? importText(reply.text, t('macro.imported')) : null;
        if (!m) {
            say(t('macro.notAMacro'), true);
            return;
        }
        load(m);
        say(t('macro.importedFrom', { name: m.name }));
    });

    return {
        element: h('div', { class: 'macro-library-row' }, choice, loadButton, saveButton, exportButton, importButton, status),
        loaded,
    };
}
