// The presets of the Remapping page: which one is in effect now and why,
// the one being edited (its buttons are shown below), and what can be done
// with presets: new, duplicate, rename, delete, make default, use now, and
// the DPI stage a preset sets.
import { t } from '../core/i18n.js';
import { failureText } from '../core/client.js';
import {
    createPreset, describeState, duplicatePreset, findPreset, freeName, nameProblem, removePreset, renamePreset,
    setDefaultPreset, setPresetStage,
} from '../core/presets.js';
import { h, clear } from './dom.js';
import { confirmDialog, openDialog } from './dialog.js';
import { WriteStatus } from './status.js';

// Asks for a preset's name; resolves with it, or null. The name is checked
// as it is typed.
export function askPresetName({ title, set, value = '', except = null }) {
    return new Promise((resolve) => {
        const input = h('input', { type: 'text', id: 'preset-name', maxlength: 64, value, autocomplete: 'off' });
        const problem = h('p', { class: 'field-error', id: 'preset-name-problem', role: 'alert' });
        const ok = h('button', { type: 'button', class: 'button', id: 'preset-name-ok' }, t('presets.save'));
        const cancel = h('button', { type: 'button', class: 'button secondary' }, t('action.cancel'));
        let result = null;
        const check = () => {
            const key = nameProblem(set, input.value, except);
            problem.textContent = key && input.value !== '' ? t(key) : '';
            ok.disabled = !!key;
            return !key;
        };
        const dialog = openDialog({
            title,
            content: h('div', null, h('label', { class: 'field-label', for: input.id }, t('presets.name')),
                h('div', { class: 'field-control' }, input), problem, h('div', { class: 'dialog-actions' }, cancel, ok)),
            onClose: () => resolve(result),
        });
        const accept = () => {
            if (!check())
                return;
            result = input.value.trim();
            dialog.close('ok');
        };
        input.addEventListener('input', check);
        input.addEventListener('keydown', (e) => {
            if (e.key === 'Enter')
                accept();
        });
        ok.addEventListener('click', accept);
        cancel.addEventListener('click', () => dialog.close('cancel'));
        check();
        input.focus();
        input.select();
    });
}

// The DPI stages a preset can set: one choice per stage of each connected
// mouse the pages know the stages of.
export function stageChoices(devices) {
    const choices = [];
    for (const d of devices || []) {
        if (d.kind !== 'mouse' || !d.product || !d.product.dpi || !/^[A-Z][0-9]\.[0-9]$/.test(d.familyVersion || ''))
            continue;
        const count = d.product.factory && Array.isArray(d.product.factory.stages) ? Math.min(d.product.factory.stages.length, 8) : 8;
        for (let stage = 0; stage < count; stage += 1)
            choices.push({ value: `${d.key}:${stage}`, device: d.key, driver: d.familyVersion, stage, label: t('presets.stageOf', { device: d.name, n: stage + 1 }) });
    }
    return choices;
}

// The line on the active preset, with what stands in its way.
function activeLine(remapping) {
    const state = describeState(remapping.state, t);
    const el = h('div', { class: 'preset-active', id: 'preset-active', role: 'status', 'aria-live': 'polite' });
    if (!state)
        return el;
    el.append(h('p', null, t('presets.activeNow'), ' ', h('strong', { id: 'preset-active-name' }, state.preset), ' — ', h('span', { id: 'preset-active-why' }, state.why)));
    if (state.paused)
        el.append(h('p', { class: 'hint' }, t('presets.paused')));
    if (state.reason)
        el.append(h('p', { class: 'banner info', id: 'preset-source-reason' }, t('presets.noFollow', { reason: state.reason })));
    for (const problem of state.problems)
        el.append(h('p', { class: 'banner warning', role: 'alert' }, problem));
    return el;
}

// A change of the set (make: the old set to the new one), saved by the
// program; what stands in its way (a name taken, the program's refusal) is
// said on status. True when saved.
export async function savePresetChange(remapping, status, make) {
    let next;
    try {
        next = make(remapping.presets);
    } catch (e) {
        status.failed(t(e.message));
        return false;
    }
    status.busy();
    const reply = await remapping.save(next);
    if (!reply.ok) {
        status.failed(failureText(reply, t));
        return false;
    }
    status.done();
    return true;
}

export function presetBar({ remapping, devices, toast, onEdit }) {
    const el = h('div', { class: 'preset-bar', id: 'preset-bar' });
    const status = new WriteStatus();

    const change = async (make, { edit = null, done = null } = {}) => {
        if (!await savePresetChange(remapping, status, make))
            return false;
        if (edit)
            remapping.edit(edit);
        if (done)
            toast(done);
        onEdit();
        return true;
    };

    const render = () => {
        clear(el);
        const set = remapping.presets;
        const editing = remapping.editing;
        const select = h('select', { id: 'preset-select', 'aria-label': t('presets.editing') },
            set.presets.map((p) => h('option', { value: p.name, selected: p.name === editing },
                p.name === set.default ? t('presets.defaultMark', { name: p.name }) : p.name)));
        select.addEventListener('change', () => {
            remapping.edit(select.value);
            onEdit();
        });
        const button = (id, label, handler, { disabled = false, kind = 'secondary' } = {}) => {
            const b = h('button', { type: 'button', class: `button ${kind}`, id, disabled }, label);
            b.addEventListener('click', handler);
            return b;
        };
        const isDefault = editing === set.default;
        const active = remapping.state && remapping.state.preset === editing;
        const actions = h('div', { class: 'preset-actions' },
            button('preset-new', t('presets.new'), async () => {
                const name = await askPresetName({ title: t('presets.newTitle'), set, value: freeName(set, t('presets.newName')) });
                if (name)
                    await change((s) => createPreset(s, name), { edit: name });
            }),
            button('preset-duplicate', t('presets.duplicate'), async () => {
                const name = await askPresetName({ title: t('presets.duplicateTitle', { name: editing }), set, value: freeName(set, editing) });
                if (name)
                    await change((s) => duplicatePreset(s, editing, name), { edit: name });
            }),
            button('preset-rename', t('presets.rename'), async () => {
                const name = await askPresetName({ title: t('presets.renameTitle', { name: editing }), set, value: editing, except: editing });
                if (name && name !== editing)
                    await change((s) => renamePreset(s, editing, name), { edit: name });
            }),
            button('preset-default', t('presets.makeDefault'), () => change((s) => setDefaultPreset(s, editing)), { disabled: isDefault }),
            button('preset-use', t('presets.useNow'), async () => {
                status.busy();
                const reply = await remapping.activate(editing);
                if (reply.ok)
                    status.done();
                else
                    status.failed(failureText(reply, t));
            }, { disabled: active }),
            button('preset-delete', t('presets.delete'), async () => {
                const rules = set.rules.filter((r) => r.preset === editing).length;
                const sure = await confirmDialog({
                    title: t('presets.deleteTitle', { name: editing }),
                    text: rules ? t('presets.deleteWithRules', { n: rules }) : t('presets.deleteText'),
                    confirm: t('presets.delete'), danger: true,
                });
                if (sure)
                    await change((s) => removePreset(s, editing), { edit: set.default });
            }, { disabled: isDefault }));

        // The DPI stage of the edited preset.
        const preset = findPreset(set, editing);
        const choices = stageChoices(devices);
        const current = preset && preset.dpiStage ? `${preset.dpiStage.device}:${preset.dpiStage.stage}` : '';
        const known = !current || choices.some((c) => c.value === current);
        const stage = h('select', { id: 'preset-stage' },
            h('option', { value: '' }, t('presets.stageNone')),
            choices.map((c) => h('option', { value: c.value, selected: c.value === current }, c.label)),
            known ? null : h('option', { value: current, selected: true }, t('presets.stageOf', { device: preset.dpiStage.device, n: preset.dpiStage.stage + 1 })));
        stage.addEventListener('change', () => {
            const choice = choices.find((c) => c.value === stage.value);
            change((s) => setPresetStage(s, editing, choice ? { device: choice.device, driver: choice.driver, stage: choice.stage } : (stage.value ? preset.dpiStage : null)));
        });

        el.append(activeLine(remapping),
            h('div', { class: 'preset-row' }, h('label', { class: 'field-label', for: select.id }, t('presets.editing')), select, status.el),
            actions,
            h('div', { class: 'preset-row' }, h('label', { class: 'field-label', for: stage.id }, t('presets.stage')), stage),
            h('p', { class: 'hint' }, t('presets.stageHint')));
    };
    render();
    return { el, render };
}
