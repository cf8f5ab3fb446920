// Software buttons: for mice that cannot store assignments, the program
// takes the right, middle, back and forward buttons over and plays what
// they are given (keys, combinations, macros, text, programs). Chosen with
// the same picker and macro editor as a device's buttons; each change is in
// effect at once and kept for the next start. The buttons belong to
// presets, and rules give each program its preset: the program switches
// presets as windows come to the front.
import { COMMAND } from '../core/commands.js';
import { describe } from '../core/assignment.js';
import { SHORTCUTS, SOFTWARE_MODES, SoftwareDefinition, buttonId } from '../core/virtual_map.js';
import { failureText } from '../core/client.js';
import { t } from '../core/i18n.js';
import { h, clear } from '../ui/dom.js';
import { registerAssignmentSource, registerPage } from '../ui/registry.js';
import { runWrite, WriteStatus } from '../ui/status.js';
import { section } from '../ui/fields.js';
import { openDialog } from '../ui/dialog.js';
import { pickAssignment } from '../ui/picker.js';
import { accessHelp } from '../ui/access_help.js';
import { parseAccess } from '../core/device_access.js';
import { presetBar } from '../ui/preset_bar.js';
import { presetRules } from '../ui/preset_rules.js';

// What the player can hold: one key, or a modifier and a key.
// The program plays every kind of function and rapid fire itself.
const SOFTWARE_FAMILY = {
    hotkey: { maxKeys: 2, modifiersAreKeys: true }, macroModes: SOFTWARE_MODES,
    functions: ['mouse', 'dpi', 'media', 'profile', 'other'], rapidFire: true,
};

let definition = null;
async function softwareDefinition(client) {
    if (!definition) {
        const reply = await client.send(COMMAND.GetLocalConf, { Name: 'Define' }, { timeout: 3000 });
        try {
            definition = reply.ok && reply.text ? SoftwareDefinition.fromDefine(reply.text) : null;
        } catch (e) {
            definition = null;
        }
    }
    return definition;
}

// The mouse's own names of the buttons the program can take.
const BUTTON_LABELS = { '右键': 'button.right', '中键': 'button.wheel', '后退': 'button.back', '前进': 'button.forward', '左键': 'button.left' };

function buttonName(button) {
    return BUTTON_LABELS[button.name] ? t(BUTTON_LABELS[button.name]) : button.name;
}

// A small dialog with one field; resolves with its value or null.
function askValue({ title, label, control }) {
    return new Promise((resolve) => {
        const ok = h('button', { type: 'button', class: 'button', id: 'ask-ok' }, t('remap.use'));
        const cancel = h('button', { type: 'button', class: 'button secondary' }, t('action.cancel'));
        let value = null;
        const dialog = openDialog({
            title,
            content: h('div', null, h('label', { class: 'field-label', for: control.id }, label), h('div', { class: 'field-control' }, control),
                h('div', { class: 'dialog-actions' }, cancel, ok)),
            onClose: () => resolve(value),
        });
        ok.addEventListener('click', () => {
            value = control.value;
            dialog.close('ok');
        });
        cancel.addEventListener('click', () => dialog.close('cancel'));
        control.focus();
    });
}

registerAssignmentSource({
    id: 'text',
    title: 'picker.group.text',
    supports: (ctx) => !!(ctx && ctx.software),
    async pick(ctx) {
        const control = h('input', { type: 'text', id: 'ask-text', maxlength: 2000, value: ctx.current && ctx.current.kind === 'text' ? ctx.current.text : '' });
        const text = await askValue({ title: t('remap.textTitle'), label: t('remap.textLabel'), control });
        return text ? { kind: 'text', text } : null;
    },
});

registerAssignmentSource({
    id: 'shortcut',
    title: 'picker.group.shortcut',
    supports: (ctx) => !!(ctx && ctx.software),
    async pick() {
        const control = h('select', { id: 'ask-shortcut' }, SHORTCUTS.map((s) => h('option', { value: s }, t(`assign.shortcut.${s}`))));
        const target = await askValue({ title: t('remap.shortcutTitle'), label: t('remap.shortcutLabel'), control });
        return target ? { kind: 'shortcut', target } : null;
    },
});

// The buttons of the preset being edited (or of the one remapping, with a
// program from before presets).
function buttonList(ctx, driver, remapping) {
    const list = h('ol', { class: 'button-list', id: 'remap-list' });
    remapping.buttons.forEach((button, at) => {
        const id = buttonId(button);
        const status = new WriteStatus();
        const label = buttonName(button);
        const text = () => {
            const a = remapping.assignments.get(id);
            return a ? describe(a, t, driver) : t('remap.own');
        };
        const valueText = h('span', { class: 'assignment' }, text());
        const change = h('button', { type: 'button', class: 'assign-button', id: `remap-${button.scancode}`, 'aria-label': t('buttons.change', { button: label }) },
            h('span', { class: 'marker-number', 'aria-hidden': 'true' }, String(at + 1)), h('span', { class: 'button-label' }, label), valueText);
        const reset = h('button', { type: 'button', class: 'button secondary', id: `remap-reset-${button.scancode}`, disabled: !remapping.assignments.has(id) }, t('remap.reset'));
        const apply = async (assignment) => {
            const result = await runWrite(status, () => remapping.set(id, assignment), { toast: ctx.toast });
            valueText.textContent = text();
            reset.disabled = !remapping.assignments.has(id);
            return result;
        };
        change.addEventListener('click', async () => {
            const current = remapping.assignments.get(id) || null;
            const chosen = await pickAssignment({
                title: t('buttons.pickTitle', { button: label }),
                driver, family: SOFTWARE_FAMILY, current, factory: null,
                extra: Object.assign({}, ctx, { software: true, driver, family: SOFTWARE_FAMILY, device: { familyVersion: '' }, targetName: label }),
            });
            if (chosen)
                await apply(chosen);
        });
        reset.addEventListener('click', () => apply(null));
        list.append(h('li', { dataset: { button: id } }, h('div', { class: 'remap-row' }, change, reset), status.el));
    });
    return list;
}

registerPage({
    id: 'remap',
    nav: { icon: 'remap', title: 'nav.remap', order: 50 },
    render(ctx) {
        const body = h('div', { class: 'panel-content' }, h('div', { class: 'loading', role: 'status' }, h('span', { class: 'spinner', 'aria-hidden': 'true' }), t('remap.loading')));
        const remapping = ctx.remapping;
        let stopListening = null;
        let disposed = false;
        Promise.all([softwareDefinition(ctx.client), remapping.loaded,
            ctx.client.send(COMMAND.GetDeviceAccess, {}, { timeout: 3000 })]).then(([driver, , accessReply]) => {
            if (disposed)
                return;
            clear(body);
            // Taking buttons over needs /dev/uinput and the mice: said
            // before anything is configured, with the command that grants it.
            const help = accessHelp(parseAccess(accessReply), 'remap');
            if (help)
                body.append(help);
            if (!driver || !remapping.buttons.length) {
                body.append(section(t('remap.title'), h('p', { class: 'banner warning', role: 'alert' }, t('remap.unavailable'))));
                return;
            }
            if (!remapping.hasPresets) {
                body.append(section(t('remap.title'), h('p', { class: 'hint' }, t('remap.hint')), buttonList(ctx, driver, remapping),
                    h('p', { class: 'hint' }, t('remap.note'))));
                body.dataset.ready = 'true';
                return;
            }
            const buttons = h('div', { class: 'preset-buttons' });
            const buttonsTitle = h('p', { class: 'hint', id: 'remap-editing' });
            const showButtons = () => {
                buttonsTitle.textContent = t('remap.editingHint', { name: remapping.editing });
                clear(buttons).append(buttonList(ctx, driver, remapping));
            };
            let bar = null;
            let rules = null;
            const refresh = () => {
                bar.render();
                rules.render();
                showButtons();
            };
            bar = presetBar({ remapping, devices: ctx.devices ? ctx.devices.devices : [], toast: ctx.toast, onEdit: refresh });
            rules = presetRules({ remapping });
            showButtons();
            stopListening = remapping.onChange(refresh);
            body.append(section(t('presets.title'), h('p', { class: 'hint' }, t('presets.hint')), bar.el),
                section(t('remap.title'), buttonsTitle, buttons, h('p', { class: 'hint' }, t('remap.note'))),
                section(t('rules.title'), rules.el));
            body.dataset.ready = 'true';
        }, (e) => {
            clear(body).append(h('p', { class: 'banner warning' }, failureText({ ok: false, code: -1, text: String(e) }, t)));
        });
        const element = h('section', { class: 'page remap-page' }, h('div', { class: 'page-head' }, h('h1', null, t('remap.pageTitle'))), body);
        return {
            element,
            dispose() {
                disposed = true;
                if (stopListening)
                    stopListening();
            },
        };
    },
});
