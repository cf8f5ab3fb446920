// Macros: the library of saved macros (new, edit, delete, export, import),
// and the picker's macro group, which opens the macro editor for the
// button being assigned.
import { failureText } from '../core/client.js';
import { parseStepsText } from '../core/macro.js';
import { changeLibrary, exportText, importText, readLibrary, withMacro } from '../core/macro_library.js';
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
            ctx, driver: ctx.driver, family: ctx.family, familyVersion: ctx.device ? ctx.device.familyVersion : '',
            macro: current, purpose: 'assign',
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
    const family = device ? device.family : ctx.catalogue.family('M1.0');
    const version = device ? (family.definition || device.familyVersion) : 'M1.0';
    return { driver: await ctx.drivers.get(version), family: family || {} };
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
        const save = async (change, message) => {
            const { reply, macros: kept } = await changeLibrary(ctx.client, change);
            macros = kept;
            draw();
            status.textContent = reply.ok ? message : failureText(reply, t);
            return reply.ok;
        };

        const edit = async (macro) => {
            const { driver, family } = await editingDefinition(ctx);
            if (!driver) {
                status.textContent = t('device.noDefinition', { family: 'M1.0' });
                return;
            }
            const edited = await openMacroEditor({ ctx, driver, family: { macroModes: family.macroModes }, familyVersion: '', macro, purpose: 'library' });
            if (!edited) {
                // What the editor saved into the library on its own.
                macros = await readLibrary(ctx.client);
                draw();
                return;
            }
            await save((list) => withMacro(macro && macro.name !== edited.name ? list.filter((m) => m.name !== macro.name) : list, edited),
                t('macro.librarySaved', { name: edited.name }));
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
                    const reply = await ctx.client.send('SaveCommand', { CommandString: exportText(m) }, { timeout: 600000, quietNoReply: true });
                    status.textContent = reply.ok ? t('macro.exported') : reply.noReply ? '' : failureText(reply, t);
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
            const reply = await ctx.client.send('LoadCommand', {}, { timeout: 600000, quietNoReply: true });
            if (!reply.ok) {
                status.textContent = reply.noReply ? '' : failureText(reply, t);
                return;
            }
            const m = importText(reply.text, t('macro.imported'));
            if (!m) {
                status.textContent = t('macro.importEmpty');
                return;
            }
            await save((list) => withMacro(list, m), t('macro.importedFrom', { name: m.name }));
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
