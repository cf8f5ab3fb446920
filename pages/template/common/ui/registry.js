// Where page modules plug in. A module registers what it adds when it is
// imported; app.js imports the modules a build ships. Nothing here renders.
//
//   registerPage({ id, nav: { icon, title, order }?, render(ctx, params) })
//       a top-level page reached at "#/<id>/<params...>"; with nav it is
//       listed in the side bar.
//   registerDevicePanel({ id, title, order, supports(device, driver), render(ctx) })
//       a tab of a device's page (DPI, buttons, lighting, ... keyboard keys,
//       macros, firmware), shown for the devices it supports.
//   registerAssignmentSource({ id, title, supports(ctx), pick(ctx) })
//       an extra group of the assignment picker (the macro editor): pick()
//       resolves with an assignment or null.
//
// render() returns an element, or { element, dispose } when it holds
// listeners that must be released when the view goes.

const pages = new Map();
const panels = new Map();
const sources = new Map();

export function registerPage(page) {
    pages.set(page.id, page);
}

export function registerDevicePanel(panel) {
    panels.set(panel.id, Object.assign({ order: 100 }, panel));
}

export function registerAssignmentSource(source) {
    sources.set(source.id, source);
}

export function page(id) {
    return pages.get(id) || null;
}

export function navPages() {
    return [...pages.values()].filter((p) => p.nav).sort((a, b) => (a.nav.order || 100) - (b.nav.order || 100));
}

export function devicePanels(device, driver) {
    return [...panels.values()]
        .filter((p) => !p.supports || p.supports(device, driver))
        .sort((a, b) => a.order - b.order);
}

export function assignmentSources(ctx) {
    return [...sources.values()].filter((s) => !s.supports || s.supports(ctx));
}

// "#/device/258A1007/dpi" -> { page: 'device', params: ['258A1007', 'dpi'] }
export function parseRoute(hash) {
    const parts = String(hash || '').replace(/^#\/?/, '').split('/').filter((p) => p.length).map((p) => {
        try {
            return decodeURIComponent(p);
        } catch (e) {
            return '';
        }
    });
    return { page: parts[0] || 'devices', params: parts.slice(1) };
}

export function routeHash(pageId, ...params) {
    return `#/${[pageId, ...params].map((p) => encodeURIComponent(p)).join('/')}`;
}
