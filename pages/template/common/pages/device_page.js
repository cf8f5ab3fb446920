// A device's page: its picture, name and state, and the panels registered
// for its family as tabs ("#/device/<key>/<panel>"). Opening it reads the
// family's Driver definition and the device's profile; the panels write
// through the device session.
import { COMMAND } from '../core/commands.js';
import { writesBlocked } from '../core/real_access.js';
import { definitionOf, writesProfiles } from '../core/catalogue.js';
import { DeviceEditor } from '../core/device_editor.js';
import { defaultLayout } from '../core/keyboard.js';
import keyboardLayout from '../data/keyboard_layout.js';
import { t } from '../core/i18n.js';
import { h, icon, clear } from '../ui/dom.js';
import { registerPage, devicePanels, routeHash } from '../ui/registry.js';
import { deviceImage } from '../ui/device_image.js';
import { liveBadge } from '../ui/live_badge.js';

// Sessions outlive a view (a language switch re-renders the page) but not
// the device's profile on disk: one per device key and page load.
const sessions = new Map();

async function openSession(ctx, device) {
    const known = sessions.get(device.key);
    if (known && known.familyVersion === device.familyVersion)
        return known.session;
    // A family may be written with another family's definition (K3.0
    // with K2.0's).
    const definition = definitionOf(device.family, device.familyVersion);
    const driver = await ctx.drivers.get(definition);
    if (!driver)
        return { error: t('device.noDefinition', { family: definition }) };
    const layout = writesProfiles(device.family)
        ? defaultLayout(keyboardLayout, driver, { TaskManner: (device.family.buttonPlay || {}).TaskManner }) : null;
    const session = new DeviceEditor({ client: ctx.client, device, driver, layout });
    // The page shows as soon as the profile is read; a save it needs is
    // reported when it fails.
    const loaded = await session.loadProfile();
    loaded.saved.then((saved) => {
        if (!saved.ok)
            ctx.toast(t('error.profileNotCreated'), 'warning');
    });
    sessions.set(device.key, { familyVersion: device.familyVersion, session });
    return session;
}

function tabList(panels, selected, key) {
    const list = h('div', { class: 'tabs', role: 'tablist', 'aria-label': t('device.sections') });
    panels.forEach((p) => {
        const tab = h('a', {
            role: 'tab', class: 'tab', id: `tab-${p.id}`, href: routeHash('device', key, p.id),
            'aria-selected': p.id === selected ? 'true' : 'false', 'aria-controls': 'panel',
            tabindex: p.id === selected ? '0' : '-1',
        }, t(p.title));
        list.append(tab);
    });
    // Arrow keys move between tabs, as in any tab list.
    list.addEventListener('keydown', (e) => {
        const tabs = [...list.querySelectorAll('[role=tab]')];
        const at = tabs.indexOf(document.activeElement);
        if (at < 0)
            return;
        let next = -1;
        if (e.key === 'ArrowRight')
            next = (at + 1) % tabs.length;
        else if (e.key === 'ArrowLeft')
            next = (at - 1 + tabs.length) % tabs.length;
        else if (e.key === 'Home')
            next = 0;
        else if (e.key === 'End')
            next = tabs.length - 1;
        if (next >= 0) {
            e.preventDefault();
            tabs[next].focus();
            tabs[next].click();
        }
    });
    return list;
}

registerPage({
    id: 'device',
    render(ctx, params) {
        const key = String(params[0] || '').toUpperCase();
        const element = h('section', { class: 'page device-page' });
        let disposePanel = null;
        let stopList = null;
        let stopReports = null;
        let disposed = false;

        const showMessage = (title, text) => {
            clear(element).append(h('div', { class: 'page-head' }, h('a', { href: routeHash('devices'), class: 'button secondary' }, icon('back'), t('device.allDevices'))),
                h('div', { class: 'empty-state' }, h('h1', null, title), h('p', null, text)));
        };

        const build = async () => {
            if (!ctx.devices.loaded)
                await ctx.devices.refresh();
            if (disposed)
                return;
            const device = ctx.devices.byKey(key);
            if (!device || device.kind === 'unknown') {
                showMessage(t('device.notFoundTitle'), t('device.notFoundText', { key }));
                return;
            }
            clear(element).append(h('div', { class: 'loading', role: 'status' }, h('span', { class: 'spinner', 'aria-hidden': 'true' }), t('device.opening')));
            const session = await openSession(ctx, device);
            if (disposed)
                return;
            if (session.error) {
                showMessage(device.name, session.error);
                return;
            }
            const panels = devicePanels(device, session.driver);
            const selected = panels.find((p) => p.id === params[1]) || panels[0];

            const live = liveBadge({ id: 'device-live' });
            const connection = h('p', { class: 'banner warning', id: 'device-gone', role: 'alert', hidden: true }, icon('warning'), t('device.disconnected'));
            const body = h('fieldset', { class: 'panel-body', id: 'panel', role: 'tabpanel', 'aria-labelledby': selected ? `tab-${selected.id}` : null });
            const picture = h('div', { class: 'device-head-picture' }, deviceImage(device.product.image, { small: true }));
            const details = [t(`kind.${device.kind}`), t('devices.family', { family: device.familyVersion }), device.key].join(' · ');

            // A real device that is read-only shows its settings but takes
            // no change; a dry run takes them and sends nothing.
            const blocked = writesBlocked(device.access);
            const realAccess = device.access && device.access !== 'verified'
                ? h('p', { class: `banner ${blocked ? 'info' : 'warning'}`, id: 'device-real-access', role: 'note' },
                    icon(blocked ? 'lock' : 'warning'), ' ', t(`realAccess.${device.access}`), ' ', t(`realAccess.page.${device.access}`))
                : null;
            clear(element).append(
                h('div', { class: 'device-head' }, picture,
                    h('div', { class: 'device-head-text' }, h('h1', null, device.name), h('p', { class: 'muted' }, details, ' ', live))),
                connection,
                ...(realAccess ? [realAccess] : []),
                tabList(panels, selected && selected.id, key),
                body);

            const pctx = Object.assign({}, ctx, { device, driver: session.driver, session, family: device.family, product: device.product, live });
            // The panel shows what the device holds: drawn again (and so
            // read again) when the device comes back after an unplug.
            const renderPanel = () => {
                if (disposePanel)
                    disposePanel();
                disposePanel = null;
                clear(body);
                if (!selected)
                    return;
                const rendered = selected.render(pctx);
                const view = rendered instanceof Node ? { element: rendered } : rendered;
                body.append(view.element);
                disposePanel = view.dispose || null;
            };
            renderPanel();
            body.disabled = blocked;

            let wasPresent = true;
            stopList = ctx.devices.onChange(() => {
                const present = !!ctx.devices.byKey(key);
                connection.hidden = present;
                body.disabled = !present || blocked;
                if (present && !wasPresent) {
                    session.summaryRead = null;
                    renderPanel();
                }
                wasPresent = present;
            });
            stopReports = ctx.devices.onReportReceived((r) => {
                if (!r.device || r.device.key !== key)
                    return;
                live.update(r);
            });
        };
        build();
        return {
            element,
            dispose() {
                disposed = true;
                if (disposePanel)
                    disposePanel();
                if (stopList)
                    stopList();
                if (stopReports)
                    stopReports();
                // Leaving the device: whatever the program still holds of
                // its profile goes to disk.
                ctx.client.send(COMMAND.savexml, {}, { timeout: 1500, quietNoReply: true });
            },
        };
    },
});
