// A real device's access level under its card, with the way to change it:
// a dry run (frames are logged, none is sent) or the experimental opt-in,
// after a plain warning of what may happen; read-only goes back.
import { COMMAND } from '../core/commands.js';
import { CHOOSABLE } from '../core/real_access.js';
import { t } from '../core/i18n.js';
import { choiceDialog } from './dialog.js';
import { h, icon } from './dom.js';

export function realAccessRow(device, client, onChanged) {
    const level = device.access;
    const status = h('span', { class: 'hint', role: 'status' });
    const row = h('div', { class: `real-access real-access-${level}`, dataset: { key: device.key } },
        h('span', { class: 'real-access-level' }, icon(level === 'read-only' ? 'lock' : 'warning'), ' ', t(`realAccess.${level}`)),
        status);
    if (level === 'verified')
        return row;
    const change = h('button', { type: 'button', class: 'button secondary real-access-change' }, t('realAccess.change'));
    change.addEventListener('click', async () => {
        const chosen = await choiceDialog({
            title: t('realAccess.dialogTitle', { name: device.name || device.key }),
            text: t('realAccess.warning'),
            choices: CHOOSABLE.filter((c) => c !== level).map((c) => ({ value: c, label: t(`realAccess.choose.${c}`), primary: c === 'read-only' })),
        });
        if (!chosen)
            return;
        const reply = await client.send(COMMAND.SetDeviceAccessLevel, { DevicePath: String(device.record.DevicePath || ''), Access: chosen }, { timeout: 3000 });
        if (!reply.ok) {
            status.textContent = t('realAccess.notChanged');
            return;
        }
        status.textContent = '';
        onChanged();
    });
    row.insertBefore(change, status);
    return row;
}
