// The pages' start: the command client, the language, the window frame
// (title bar, side bar, main area), the attached devices and the page
// routes. Each start page (one per client-profile row) loads this module;
// its brand (name, mark) comes from the page's "brand" JSON block.
import { COMMAND } from './core/commands.js';
import { CommandClient } from './core/client.js';
import { Catalogue, definitionOf } from './core/catalogue.js';
import products from './data/products.js';
import { DeviceList } from './core/devices.js';
import { DriverCache } from './core/device_editor.js';
import { t, setLanguage, startLanguage, onLanguageChange, language } from './core/i18n.js';
import { h, icon, clear } from './ui/dom.js';
import { createTitleBar } from './ui/titlebar.js';
import { Toasts } from './ui/status.js';
import { navPages, page, parseRoute, routeHash } from './ui/registry.js';
import { Remapping } from './core/virtual_map.js';

// The pages this build ships. A module registers itself when imported.
import './pages/devices_page.js';
import './pages/device_page.js';
import './pages/settings_page.js';
import './panels/dpi_panel.js';
import './panels/buttons_panel.js';
import './panels/lighting_panel.js';
import './panels/performance_panel.js';
import './panels/device_info_panel.js';
import './panels/keyboard_keys_panel.js';
import './panels/keyboard_colours_panel.js';
import './pages/macros_page.js';
import './pages/pointer_page.js';
import './pages/remap_page.js';
import './panels/firmware_panel.js';

function readBrand() {
    const block = document.getElementById('brand');
    let brand = {};
    try {
        brand = JSON.parse(block ? block.textContent : '{}');
    } catch (e) {
        brand = {};
    }
    return { name: String(brand.name || document.title || ''), mark: String(brand.mark || '') };
}


// The tray behaviour lives in the program only while it runs; the page keeps
// the choice in conf.ini and hands it over at every start. Without a choice
// the tray icon opens the window (some builds start with it doing nothing
// until a page says so).
async function restoreTrayBehaviour(client) {
    const stored = await client.send(COMMAND.ReadConf, { KeyName: 'TrayFun' }, { timeout: 2000 });
    const mode = stored.ok && stored.text === 'DisableTray' ? 'DisableTray' : 'EnableTray';
    await client.send(COMMAND.TrayFun, { TrayFunName: mode }, { timeout: 2000 });
}

export async function start() {
    const brand = readBrand();
    const client = CommandClient.forPage(window);
    const toasts = new Toasts();
    // The start waits for the device list: it is asked for first, beside
    // the family table and the language; the rest comes after.
    const catalogue = new Catalogue(products);
    catalogue.load(client);
    const devices = new DeviceList(client, catalogue);
    const drivers = new DriverCache(client);
    const listed = devices.refresh();
    const lang = await startLanguage(client);
    setLanguage(lang);
    document.documentElement.lang = language() === 'zh' ? 'zh-CN' : 'en';
    restoreTrayBehaviour(client);

    // The software remapping saved last is put back into effect.
    const remapping = new Remapping(client);
    remapping.loaded = remapping.load().then(() => remapping.apply()).then(() => remapping, () => remapping);
    const ctx = {
        remapping,
        client,
        catalogue,
        devices,
        drivers,
        brand,
        toast: (message, kind) => toasts.show(message, kind),
        navigate: (pageId, ...params) => {
            location.hash = routeHash(pageId, ...params);
        },
    };

    const main = h('main', { id: 'main', class: 'main', tabindex: '-1' });
    const nav = h('nav', { class: 'sidebar', id: 'sidebar' });
    const app = h('div', { class: 'app' }, createTitleBar(client, brand), h('div', { class: 'app-body' }, nav, main), toasts.el);
    document.body.append(app);

    let view = null;
    const renderNav = () => {
        const route = parseRoute(location.hash);
        clear(nav);
        nav.setAttribute('aria-label', t('nav.label'));
        const list = h('ul', { class: 'nav-list' });
        for (const p of navPages()) {
            const current = route.page === p.id || (p.id === 'devices' && route.page === 'device');
            list.append(h('li', null, h('a', {
                href: routeHash(p.id), class: current ? 'nav-link current' : 'nav-link',
                'aria-current': current ? 'page' : null,
            }, icon(p.nav.icon), h('span', { class: 'nav-text' }, t(p.nav.title)))));
            if (p.id === 'devices')
                for (const d of devices.devices.filter((x) => x.kind !== 'unknown')) {
                    const open = route.page === 'device' && route.params[0] === d.key;
                    list.append(h('li', { class: 'nav-sub' }, h('a', {
                        href: routeHash('device', d.key), class: open ? 'nav-link sub current' : 'nav-link sub',
                        'aria-current': open ? 'page' : null, title: d.name,
                    }, h('span', { class: `dot kind-${d.kind}`, 'aria-hidden': 'true' }), h('span', { class: 'nav-text' }, d.name))));
                }
        }
        nav.append(list);
    };

    const render = () => {
        const route = parseRoute(location.hash);
        const target = page(route.page) || page('devices');
        if (view && view.dispose)
            view.dispose();
        clear(main);
        const rendered = target.render(ctx, route.params);
        view = rendered instanceof Node ? { element: rendered } : rendered;
        main.append(view.element);
        renderNav();
        const heading = main.querySelector('h1');
        if (heading && document.activeElement === document.body)
            heading.setAttribute('tabindex', '-1');
    };

    // The window's title follows what the page shows: its heading (the
    // device's name on a device page) and the program's name. The program
    // takes the document's title for its window.
    const retitle = () => {
        const heading = main.querySelector('h1');
        const what = heading ? heading.textContent.trim() : '';
        const title = what && what !== brand.name ? `${what} — ${brand.name}` : brand.name;
        if (document.title !== title)
            document.title = title;
    };
    let retitling = false;
    new MutationObserver(() => {
        if (retitling)
            return;
        retitling = true;
        requestAnimationFrame(() => {
            retitling = false;
            retitle();
        });
    }).observe(main, { childList: true, subtree: true });

    window.addEventListener('hashchange', () => {
        render();
        const heading = main.querySelector('h1');
        if (heading) {
            heading.setAttribute('tabindex', '-1');
            heading.focus({ preventScroll: true });
        }
    });
    onLanguageChange(() => {
        document.documentElement.lang = language() === 'zh' ? 'zh-CN' : 'en';
        render();
    });
    devices.onChange(renderNav);

    render();
    await listed;
    document.body.dataset.ready = 'true';
    // Once the start page shows, the definitions of the devices found are
    // fetched, so that a device's page opens without waiting for its own
    // (asked for earlier, they would hold up the language and the list).
    const prefetch = (list) => {
        for (const d of list)
            if (d.family)
                drivers.get(definitionOf(d.family, d.familyVersion));
    };
    prefetch(devices.devices);
    devices.onChange(prefetch);
    // For the tests and the screenshot script: the page's context.
    window.orvantaPages = ctx;
}

start();
