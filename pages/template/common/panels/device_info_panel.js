// What the device is (name, family, key, serial, firmware, its profile
// file) and the way back to its factory settings, after a confirmation:
// the device's reset, or for families marked "factoryWrites" (W1.0, whose
// reset the program also sends on its own now and then) the product's
// factory values written one by one.
import { t } from '../core/i18n.js';
import { h } from '../ui/dom.js';
import { registerDevicePanel } from '../ui/registry.js';
import { runWrite, WriteStatus } from '../ui/status.js';
import { confirmDialog } from '../ui/dialog.js';
import { section } from '../ui/fields.js';
import { factoryWrites } from '../core/factory.js';

function row(label, value) {
    return [h('dt', null, label), h('dd', null, value || '—')];
}

registerDevicePanel({
    id: 'device',
    title: 'panel.device',
    order: 90,
    render(ctx) {
        const { device, session } = ctx;
        const record = device.record || {};
        const status = new WriteStatus();
        const restore = h('button', { type: 'button', class: 'button danger', id: 'restore-factory' }, t('info.restore'));
        restore.addEventListener('click', async () => {
            const sure = await confirmDialog({
                title: t('info.restoreTitle'),
                text: t('info.restoreText', { name: device.name }),
                confirm: t('info.restoreConfirm'),
                danger: true,
            });
            if (!sure)
                return;
            restore.disabled = true;
            // Families whose reset is not a dependable factory reset get
            // their factory values written one by one.
            const action = ctx.family.factoryWrites
                ? () => session.restoreByWrites(factoryWrites(ctx.driver, ctx.product, ctx.family))
                : () => session.restore();
            const result = await runWrite(status, action, { toast: ctx.toast });
            restore.disabled = false;
            if (result.ok) {
                ctx.toast(t('info.restored', { name: device.name }), 'info');
                // The other panels show what the device now holds.
                window.dispatchEvent(new HashChangeEvent('hashchange'));
            }
        });

        return h('div', { class: 'panel-content' },
            section(t('info.title'),
                h('dl', { class: 'facts' },
                    row(t('info.name'), device.name),
                    row(t('info.family'), device.familyVersion),
                    row(t('info.key'), device.key),
                    row(t('info.serial'), String(record.Sn || '').trim()),
                    row(t('info.firmware'), String(record.LastVersionNum || '').trim()),
                    row(t('info.profile'), session.path))),
            section(t('info.restoreTitle'),
                h('p', null, t('info.restoreHint')),
                h('div', { class: 'field-control' }, restore, status.el)));
    },
});
