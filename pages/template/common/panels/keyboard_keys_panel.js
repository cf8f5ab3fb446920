// Keys: the keyboard drawn key by key; choosing a key opens the assignment
// picker and the choice is written at once. K1.0 keeps each key's
// assignment under its own Index; K2.0 and K3.0 keep a key layout in the
// device's profile and write it whole. A key that does something else than
// its own key shows that under its cap. What the keys show is this
// computer's record (the keyboard cannot be asked), which the panel says,
// with a way to write all of it to the keyboard.
import { writesProfiles } from '../core/catalogue.js';
import { describe, fromRequest, keyLabel, sameAssignment, toRequest } from '../core/assignment.js';
import { factoryAssignment, keyboardExtent, keyboardKeys, layoutIndex, recordAttributes, recordRequest } from '../core/keyboard.js';
import keyboardLayout from '../data/keyboard_layout.js';
import { t } from '../core/i18n.js';
import { h } from '../ui/dom.js';
import { registerDevicePanel, routeHash } from '../ui/registry.js';
import { runWrite, WriteStatus } from '../ui/status.js';
import { section } from '../ui/fields.js';
import { keyboardView } from '../ui/keyboard_view.js';
import { pickAssignment } from '../ui/picker.js';
import { recordSourceNote, writeInTurn } from '../ui/record_source.js';

// Where a key's assignment is kept: { read(), write(request) } or null
// when the family cannot change it.
export function keySlot(session, key, family) {
    if (session.profileWrites) {
        if (!Number.isFinite(key.position) || !key.task)
            return null;
        const index = layoutIndex(key.position);
        return {
            length: 4,
            read: () => fromRequest(recordRequest(session.profile.layoutKey(index))),
            write: (request) => session.writeLayoutKey(index, recordAttributes(request, {})),
        };
    }
    if (!key.button)
        return null;
    return {
        length: key.button.length,
        read: () => fromRequest(session.entry(key.button.index)),
        write: (request) => session.write(key.button.index, request, { name: key.button.task, length: key.button.length }),
    };
}

function render(ctx) {
    const { session, driver, family, product, toast } = ctx;
    const keys = keyboardKeys(keyboardLayout, driver, product);
    const slots = new Map(keys.map((k) => [k.id, keySlot(session, k, family)]));
    const status = new WriteStatus();
    const selectedText = h('p', { class: 'kb-selected', id: 'kb-selected', 'aria-live': 'polite' }, t('keys.chooseKey'));

    const assignmentOf = (key) => {
        const slot = slots.get(key.id);
        return (slot && slot.read()) || factoryAssignment(key);
    };
    const name = (key) => (key.task ? keyLabel(key.task, t, driver) : key.cap || key.name);
    // Under the cap: what the key does when that is not its own key.
    const detail = (key) => {
        const a = assignmentOf(key);
        if (!a || sameAssignment(a, factoryAssignment(key)))
            return '';
        return describe(a, t, driver);
    };

    const view = keyboardView(keys, keyboardExtent(keys, keyboardLayout), {
        className: 'assign',
        detail,
        describe: (key) => (slots.get(key.id)
            ? t('keys.keyLabel', { key: name(key), what: describe(assignmentOf(key), t, driver) })
            : t('keys.fixed', { key: name(key) })),
        onKey: async (key) => {
            const slot = slots.get(key.id);
            selectedText.textContent = slot
                ? t('keys.selected', { key: name(key), what: describe(assignmentOf(key), t, driver) })
                : t('keys.fixed', { key: name(key) });
            if (!slot)
                return;
            const current = assignmentOf(key);
            const chosen = await pickAssignment({
                title: t('keys.pickTitle', { key: name(key) }),
                driver,
                family,
                current,
                factory: factoryAssignment(key),
                buttonLength: slot.length,
                extra: Object.assign({}, ctx, { button: { index: key.button ? key.button.index : NaN, key }, targetName: name(key) }),
            });
            if (!chosen || sameAssignment(chosen, current))
                return;
            const request = Object.assign({}, family.buttonPlay || {}, toRequest(chosen, driver));
            await runWrite(status, () => slot.write(request), {
                toast,
                onSuccess: () => {
                    selectedText.textContent = t('keys.selected', { key: name(key), what: describe(chosen, t, driver) });
                },
            });
            view.refresh();
        },
    });
    for (const key of keys)
        if (!slots.get(key.id))
            view.keyElement(key.id).classList.add('fixed');

    // "Write all": a profile keyboard takes its whole layout in one write;
    // the others each key's assignment in turn.
    const writeAll = () => {
        if (session.profileWrites) {
            const first = keys.find((k) => slots.get(k.id));
            if (!first)
                return Promise.resolve(0);
            const index = layoutIndex(first.position);
            const attributes = Object.assign({}, session.profile.layoutKey(index) || {});
            return writeInTurn([() => runWrite(status, () => session.writeLayoutKey(index, attributes), { toast })]);
        }
        return writeInTurn(keys.filter((k) => slots.get(k.id)).map((k) => () => {
            const shown = assignmentOf(k);
            if (!shown)
                return Promise.resolve({ ok: true });
            const request = Object.assign({}, family.buttonPlay || {}, toRequest(shown, driver));
            return runWrite(status, () => slots.get(k.id).write(request), { toast });
        }));
    };
    const hint = session.profileWrites ? t('keys.hintProfile') : t('keys.hint');
    return h('div', { class: 'panel-content' },
        section(t('keys.title'), h('p', { class: 'hint' }, hint),
            recordSourceNote({ id: 'keys-source', writeAll, factoryHref: routeHash('device', ctx.device.key, 'device') }),
            view.el,
            h('div', { class: 'kb-footer' }, selectedText, status.el)));
}

registerDevicePanel({
    id: 'keys',
    title: 'panel.keys',
    order: 20,
    supports: (device, driver) => device.kind === 'keyboard'
        && (writesProfiles(device.family) || keyboardKeys(keyboardLayout, driver, device.product).some((k) => k.button)),
    render,
});
