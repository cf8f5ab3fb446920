// The attached devices, kept current by "devicesChanged"; a device opens its
// page by its family. The device that sends input reports shows them live.
import { COMMAND } from '../core/commands.js';
import { t } from '../core/i18n.js';
import { h, icon, clear } from '../ui/dom.js';
import { registerPage, routeHash } from '../ui/registry.js';
import { deviceImage } from '../ui/device_image.js';
import { liveBadge } from '../ui/live_badge.js';
import { accessHelp } from '../ui/access_help.js';
import { realAccessRow } from '../ui/real_access_row.js';
import { parseAccess } from '../core/device_access.js';

// On the list a badge says only that reports come (the stage is in its
// title): a mouse that reports its stage often would otherwise redraw the
// start page at every change.
function reportBadge(report) {
    const badge = liveBadge({ stage: false });
    if (report)
        badge.update(report);
    return badge;
}

function deviceCard(device, ctx) {
    const known = device.kind !== 'unknown';
    const details = [
        known ? t(`kind.${device.kind}`) : t('devices.unsupported'),
        device.familyVersion ? t('devices.family', { family: device.familyVersion }) : '',
        device.key,
    ].filter(Boolean).join(' · ');
    const reporting = ctx.devices.reportingDevice();
    const badge = reporting && reporting.key === device.key ? reportBadge(ctx.devices.lastReport) : null;
    const body = [
        h('span', { class: 'device-picture', 'aria-hidden': 'true' }, deviceImage(device.product ? device.product.image : 'unknown', { small: true })),
        h('span', { class: 'device-text' },
            h('span', { class: 'device-name' }, device.name || t('devices.unknownName')),
            h('span', { class: 'device-details' }, details),
            badge),
    ];
    let card = known
        ? h('a', { class: 'device-card', href: routeHash('device', device.key), dataset: { key: device.key } }, ...body, icon('back'))
        : h('div', { class: 'device-card unsupported', dataset: { key: device.key } }, ...body);
    // A real device says what may be sent to it, under its card.
    if (device.access)
        card = h('div', { class: 'device-entry' }, card, realAccessRow(device, ctx.client, () => ctx.devices.refresh()));
    return { card, badge };
}

registerPage({
    id: 'devices',
    nav: { icon: 'devices', title: 'nav.devices', order: 10 },
    render(ctx) {
        const list = h('div', { class: 'device-list', id: 'device-list', role: 'list' });
        const status = h('p', { class: 'muted', id: 'devices-status', role: 'status' });
        const refresh = h('button', { type: 'button', class: 'button secondary', id: 'refresh', onclick: () => ctx.devices.refresh() }, icon('refresh'), t('devices.refresh'));
        let badges = new Map();
        // Whether this user can reach the devices' nodes: asked once when
        // the page opens, after the device list (which the start waits for
        // and the check would hold up); a missing permission is said before
        // anything else.
        let access = null;
        const permission = h('div', { id: 'devices-access' });
        const listed = ctx.devices.loaded ? Promise.resolve() : ctx.devices.refresh();
        listed.then(() => ctx.client.send(COMMAND.GetDeviceAccess, {}, { timeout: 3000 })).then((reply) => {
            access = parseAccess(reply);
            show(ctx.devices.devices);
        });

        // "Look again" says what it found, also when nothing changed.
        let looked = false;
        refresh.addEventListener('click', () => {
            looked = true;
        });

        const show = (devices) => {
            clear(list);
            clear(permission);
            badges = new Map();
            if (!ctx.devices.loaded) {
                status.textContent = t('devices.looking');
                return;
            }
            const help = accessHelp(access, 'devices', { listEmpty: !devices.length });
            if (access && access.demo)
                permission.append(h('p', { class: 'banner info', id: 'devices-demo', role: 'note' },
                    h('strong', null, t('devices.demoTitle')), ' ', t('devices.demoText')));
            if (help)
                permission.append(help);
            const found = devices.length === 1 ? t('devices.countOne') : t('devices.count', { n: devices.length });
            if (!devices.length) {
                status.textContent = looked ? t('devices.lookedNone') : '';
                looked = false;
                list.append(h('div', { class: 'empty-state', id: 'empty-state' },
                    deviceImage('unknown', {}),
                    h('h2', null, t('devices.emptyTitle')),
                    h('p', null, t('devices.emptyText')),
                    help ? null : h('p', { class: 'muted' }, t('devices.emptyHint'))));
                return;
            }
            status.textContent = looked ? t('devices.looked', { found }) : found;
            looked = false;
            for (const device of devices) {
                const { card, badge } = deviceCard(device, ctx);
                list.append(h('div', { role: 'listitem' }, card));
                if (badge)
                    badges.set(device.key, badge);
            }
        };

        const stopList = ctx.devices.onChange(show);
        const stopReports = ctx.devices.onReportReceived((r) => {
            if (r.device && badges.has(r.device.key))
                badges.get(r.device.key).update(r);
        });
        show(ctx.devices.devices);

        const element = h('section', { class: 'page devices-page' },
            h('div', { class: 'page-head' }, h('h1', null, t('devices.title')), refresh),
            permission, status, list);
        return { element, dispose: () => { stopList(); stopReports(); } };
    },
});
