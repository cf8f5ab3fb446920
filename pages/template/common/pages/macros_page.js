// Macros: the library of saved macros (new, edit, delete, export, import),
// and the picker's macro group, which opens the macro editor for the
// button being assigned.
import { COMMAND } from '../core/commands.js';
import { definitionOf } from '../core/catalogue.js';
import { failureText } from '../core/client.js';
import { parseStepsText } from '../core/macro.js';
import { changeLibrary, exportText, importText, readLibrary } from '../core/macro_library.js';
import { saveToLibrary } from '../ui/macro_saving.js';
import { t } from '../core/i18n.js';
import { h, clear } from '../ui/dom.js';
import { registerAssignmentSource, registerPage } from '../ui/registry.js';
import { confirmDialog } from '../ui/dialog.js';
import { openMacroEditor } from '../ui/macro_editor.js';

registerAssignmentSource({
    id: 'macro',
    title: 'picker.group.macro',
    supports: (ctx) => !!(ctx && ctx.driver && ctx.family),
    async pick(ctx) {
        const current = ctx.current && ctx.current.kind === 'macro'
            ? { name: '', steps: ctx.current.steps, repeat: ctx.current.repeat, mode: ctx.current.mode || '' } : null;
        const macro = await openMacroEditor({
            ctx, driver: ctx.driver, family: ctx.family,
            macro: current, purpose: 'assign', target: ctx.targetName || '',
        });
        return macro ? { kind: 'macro', steps: macro.steps, repeat: macro.repeat, mode: macro.mode } : null;
    },
});

// The definition whose key names the library is edited with: that of the
// first attached device the pages configure.
async function editingDefinition(ctx) {
    if (!ctx.devices.loaded)
        await ctx.devices.refresh();
    const device = ctx.devices.devices.find((d) => d.kind !== 'unknown');
    const fallback = ctx.catalogue.libraryFamily();
    const family = device ? device.family : fallback && fallback.family;
    const version = device ? definitionOf(family, device.familyVersion) : fallback && definitionOf(fallback.family, fallback.version);
    return { driver: version ? await ctx.drivers.get(version) : null, family: family || {}, version: version || '' };
}

registerPage({
    id: 'macros',
    nav: { icon: 'macro', title: 'nav.macros', order: 30 },
    render(ctx) {
        const list = h('ul', { class: 'macro-list', id: 'macro-list' });
        const status = h('p', { class: 'hint', role: 'status', id: 'macros-status' });
        let macros = [];

        // Every change is made to the library as the file holds it then
        // (the editor saves into it too); the list shows what is kept.
        const showStatus = (text, error = false) => {
            status.textContent = text;
            status.classList.toggle('error-text', !!error);
            status.setAttribute('role', error ? 'alert' : 'status');
        };
        const save = async (change, message) => {
            const { reply, macros: kept } = await changeLibrary(ctx.client, change);
            macros = kept;
            draw();
            showStatus(reply.ok ? message : failureText(reply, t), !reply.ok);
            return reply.ok;
        };

        const edit = async (macro) => {
            const { driver, family, version } = await editingDefinition(ctx);
            if (!driver) {
                showStatus(t('device.noDefinition', { family: version }), true);
                return;
            }
            const edited = await openMacroEditor({ ctx, driver, family: { macroModes: family.macroModes }, macro, purpose: 'library' });
            if (!edited) {
                // What the editor saved into the library on its own.
                macros = await readLibrary(ctx.client);
                draw();
                return;
            }
            // A rename drops the old name; a name another macro has is
            // taken only after the user chose.
            const renamed = macro && macro.name !== edited.name;
            const saved = await saveToLibrary(ctx.client, edited, {
                editedName: macro ? macro.name : null,
                also: (list) => (renamed ? list.filter((m) => m.name !== macro.name) : list),
            });
            if (saved)
                shown(saved, t('macro.librarySaved', { name: saved.macro.name }));
            else {
                macros = await readLibrary(ctx.client);
                draw();
            }
        };

        const shown = ({ reply, macros: kept }, message) => {
            macros = kept;
            draw();
            showStatus(reply.ok ? message : failureText(reply, t), !reply.ok);
        };

        const draw = () => {
            clear(list);
            if (!macros.length) {
                list.append(h('li', { class: 'empty-state small' }, h('p', null, t('macros.empty'))));
                return;
            }
            for (const m of macros) {
                const steps = parseStepsText(m.steps).steps.length;
                const editButton = h('button', { type: 'button', class: 'button secondary' }, t('macros.edit'));
                editButton.addEventListener('click', () => edit(m));
                const exportButton = h('button', { type: 'button', class: 'button secondary' }, t('macro.export'));
                exportButton.addEventListener('click', async () => {
                    const reply = await ctx.client.send(COMMAND.SaveCommand, { CommandString: exportText(m) }, { timeout: 600000, quietNoReply: true });
                    if (!reply.noReply)
                        showStatus(reply.ok ? t('macro.exported') : failureText(reply, t), !reply.ok);
                });
                const removeButton = h('button', { type: 'button', class: 'button secondary', 'aria-label': t('macros.deleteName', { name: m.name }) }, t('macros.delete'));
                removeButton.addEventListener('click', async () => {
                    const sure = await confirmDialog({ title: t('macros.deleteTitle'), text: t('macros.deleteText', { name: m.name }), confirm: t('macros.delete'), danger: true });
                    if (sure)
                        await save((list) => list.filter((x) => x.name !== m.name), t('macros.deleted', { name: m.name }));
                });
                list.append(h('li', { class: 'macro-item', dataset: { name: m.name } },
                    h('span', { class: 'macro-item-text' }, h('span', { class: 'device-name' }, m.name),
                        h('span', { class: 'muted' }, t('macros.summary', { steps, repeat: m.repeat }))),
                    h('span', { class: 'macro-item-actions' }, editButton, exportButton, removeButton)));
            }
        };

        const create = h('button', { type: 'button', class: 'button', id: 'macro-new' }, t('macros.new'));
        create.addEventListener('click', () => edit(null));
        const importButton = h('button', { type: 'button', class: 'button secondary', id: 'macros-import' }, t('macro.import'));
        importButton.addEventListener('click', async () => {
            const reply = await ctx.client.send(COMMAND.LoadCommand, {}, { timeout: 600000, quietNoReply: true });
            if (reply.noReply)
                return;
            // A file that cannot be read, or that holds no macro.
            const m = reply.ok ? importText(reply.text, t('macro.imported')) : null;
            if (!m) {
                showStatus(t('macro.notAMacro'), true);
                return;
            }
            const saved = await saveToLibrary(ctx.client, m);
            if (saved)
                shown(saved, t('macro.importedFrom', { name: saved.macro.name }));
        });

        readLibrary(ctx.client).then((read) => {
            macros = read;
            draw();
            document.body.dataset.macros = 'ready';
        });
        return h('section', { class: 'page macros-page' },
            h('div', { class: 'page-head' }, h('h1', null, t('macros.title')), h('span', { class: 'field-control' }, importButton, create)),
            h('p', { class: 'hint' }, t('macros.hint')),
            h('section', { class: 'card' }, list, status));
    },
});
