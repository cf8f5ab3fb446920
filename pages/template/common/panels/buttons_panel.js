// Buttons: the device's picture with its numbered buttons beside a list of
// every button and what it does. Choosing a button opens the assignment
// picker; the choice is written at once. What a button does is what the
// profile recorded of the last write, else the product's factory setting:
// the mouse cannot be asked, and the panel says so (with a way to write
// everything shown to the mouse).
import { describe, fromRequest, toRequest } from '../core/assignment.js';
import { writableButtons } from '../core/catalogue.js';
import { t } from '../core/i18n.js';
import { h } from '../ui/dom.js';
import { registerDevicePanel, routeHash } from '../ui/registry.js';
import { runWrite, WriteStatus } from '../ui/status.js';
import { section } from '../ui/fields.js';
import { deviceImage } from '../ui/device_image.js';
import { pickAssignment } from '../ui/picker.js';
import { recordSourceNote, writeInTurn } from '../ui/record_source.js';

function render(ctx) {
    const { session, driver, product, family, toast } = ctx;
    const buttons = writableButtons(product, driver);
    const picture = deviceImage(product.image, { zones: buttons.map((b) => b.zone) });
    const list = h('ol', { class: 'button-list', id: 'button-list' });
    // Each button's write of what it shows, for "Write all".
    const rewrites = [];

    const highlight = (zone, on) => {
        for (const id of [`button${zone}`, `button${zone}-marker`, `button${zone}-leader`]) {
            const el = picture.querySelector(`#${id}`);
            if (el)
                el.classList.toggle('active', on);
        }
    };

    for (const button of buttons) {
        const status = new WriteStatus();
        const label = t(`button.${button.label}`);
        const assignmentOf = () => fromRequest(session.entry(button.index)) || button.factory || null;
        const valueText = h('span', { class: 'assignment' }, describe(assignmentOf(), t, driver));
        const change = h('button', {
            type: 'button', class: 'assign-button', id: `assign-${button.index}`,
            'aria-label': t('buttons.change', { button: label }),
        }, h('span', { class: 'marker-number', 'aria-hidden': 'true' }, String(button.zone)),
        h('span', { class: 'button-label' }, label), valueText);
        change.addEventListener('mouseenter', () => highlight(button.zone, true));
        change.addEventListener('mouseleave', () => highlight(button.zone, false));
        change.addEventListener('focus', () => highlight(button.zone, true));
        change.addEventListener('blur', () => highlight(button.zone, false));
        change.addEventListener('click', async () => {
            const current = assignmentOf();
            const chosen = await pickAssignment({
                title: t('buttons.pickTitle', { button: label }),
                driver,
                family,
                current,
                factory: button.factory,
                buttonLength: button.row.length,
                extra: Object.assign({}, ctx, { button, targetName: label }),
            });
            if (!chosen)
                return;
            const request = Object.assign({}, family.buttonPlay || {}, toRequest(chosen, driver));
            await runWrite(status, () => session.write(button.index, request, { name: `pButton${button.row.number}`, length: button.row.length }), {
                toast,
                apply: () => {
                    valueText.textContent = describe(chosen, t, driver);
                },
                onFailure: () => {
                    valueText.textContent = describe(assignmentOf(), t, driver);
                },
            });
        });
        list.append(h('li', { dataset: { index: String(button.index) } }, change, status.el));
        rewrites.push(() => {
            const shown = assignmentOf();
            if (!shown)
                return Promise.resolve({ ok: true });
            const request = Object.assign({}, family.buttonPlay || {}, toRequest(shown, driver));
            return runWrite(status, () => session.write(button.index, request, { name: `pButton${button.row.number}`, length: button.row.length }), { toast });
        });

        // The picture's buttons choose the same button.
        for (const id of [`button${button.zone}`, `button${button.zone}-marker`]) {
            const el = picture.querySelector(`#${id}`);
            if (el) {
                el.addEventListener('click', () => change.click());
                el.addEventListener('mouseenter', () => highlight(button.zone, true));
                el.addEventListener('mouseleave', () => highlight(button.zone, false));
            }
        }
    }

    return h('div', { class: 'panel-content' },
        section(t('buttons.title'),
            h('p', { class: 'hint' }, t('buttons.hint')),
            recordSourceNote({ id: 'buttons-source', writeAll: () => writeInTurn(rewrites), factoryHref: routeHash('device', ctx.device.key, 'device') }),
            h('div', { class: 'buttons-layout' }, h('div', { class: 'device-picture-large' }, picture), list)));
}

registerDevicePanel({
    id: 'buttons',
    title: 'panel.buttons',
    order: 20,
    supports: (device, driver) => device.kind === 'mouse' && writableButtons(device.product, driver).length > 0,
    render,
});
