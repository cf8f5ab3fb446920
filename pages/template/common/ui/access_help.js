// Says what this user cannot reach, why that matters here, and the exact
// command that grants it (the udev rule), with a Copy button: shown where a
// missing permission would bite, before the user configures anything.
import { missingAccess } from '../core/device_access.js';
import { t } from '../core/i18n.js';
import { copyText } from './clipboard.js';
import { h, icon } from './dom.js';

export function accessHelp(access, purpose, options = {}) {
    const missing = missingAccess(access, purpose, options);
    if (!missing.length)
        return null;
    const command = h('code', { class: 'command', id: `access-command-${purpose}` }, access.command);
    const copied = h('span', { class: 'hint', role: 'status' });
    const copy = h('button', { type: 'button', class: 'button secondary', id: `access-copy-${purpose}` }, icon('copy'), t('access.copy'));
    copy.addEventListener('click', async () => {
        await copyText(access.command);
        copied.textContent = t('settings.copied');
    });
    return h('div', { class: 'banner warning access-help', role: 'alert', id: `access-help-${purpose}` },
        h('div', null,
            h('p', null, icon('warning'), ' ', t(`access.${purpose}`)),
            h('ul', null, missing.map((m) => h('li', null, t(`access.missing.${m}`)))),
            h('p', null, t('access.run')),
            command,
            h('div', { class: 'field-control' }, copy, copied),
            h('p', { class: 'hint' }, t('access.after'))));
}
