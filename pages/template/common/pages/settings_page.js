// The program's own settings: interface language (kept in conf.ini under
// "Language", which the tray menu reads too), what the tray icon does
// ("TrayFun", kept in conf.ini so it holds after a restart), about, and the
// diagnostics list of commands and their answers.
import { clientRow } from '../core/client_profile.js';
import { failureText } from '../core/client.js';
import { t, language, setLanguage } from '../core/i18n.js';
import { h, icon, clear } from '../ui/dom.js';
import { registerPage } from '../ui/registry.js';
import { runWrite, WriteStatus } from '../ui/status.js';
import { radioGroup, section } from '../ui/fields.js';

function languageSection(ctx) {
    const group = radioGroup({
        name: 'language',
        id: 'language',
        label: t('settings.language'),
        value: language(),
        options: [{ value: 'en', label: 'English' }, { value: 'zh', label: '中文' }],
        onchange: async (code) => {
            const before = language();
            const result = await runWrite(group.status, () => ctx.client.send('WriteConf', { KeyName: 'Language', WriteData: code }), {
                onFailure: () => group.set(before),
            });
            if (result.ok)
                setLanguage(code);
        },
    });
    return section(t('settings.languageTitle'), group.el, h('p', { class: 'hint' }, t('settings.languageHint')));
}

function traySection(ctx) {
    const box = h('input', { type: 'checkbox', id: 'tray-opens' });
    const label = h('label', { for: 'tray-opens', class: 'check' }, box, t('settings.trayOpens'));
    const status = new WriteStatus();
    ctx.client.send('ReadConf', { KeyName: 'TrayFun' }, { timeout: 2000 }).then((r) => {
        box.checked = !(r.ok && r.text === 'DisableTray');
    });
    box.addEventListener('change', async () => {
        const mode = box.checked ? 'EnableTray' : 'DisableTray';
        await runWrite(status, async () => {
            const applied = await ctx.client.send('TrayFun', { TrayFunName: mode }, { timeout: 2000 });
            if (!applied.ok)
                return applied;
            return ctx.client.send('WriteConf', { KeyName: 'TrayFun', WriteData: mode });
        }, { onFailure: () => { box.checked = !box.checked; } });
    });
    return section(t('settings.trayTitle'), h('div', { class: 'field-control' }, label, status.el), h('p', { class: 'hint' }, t('settings.trayHint')));
}

function aboutSection(ctx) {
    const version = h('dd', { id: 'about-version' }, '…');
    ctx.client.send('ReadFileToStr', { FilePath: 'conf.xml', Xpath: '/root' }, { timeout: 3000 }).then((r) => {
        const row = r.ok ? clientRow(r.text) : null;
        version.textContent = row && row.version ? row.version : failureText(r.ok ? { ok: false, code: 0, text: '' } : r, t);
    });
    return section(t('settings.aboutTitle'),
        h('dl', { class: 'facts' },
            h('dt', null, t('settings.product')), h('dd', null, ctx.brand.name),
            h('dt', null, t('settings.version')), version),
        h('p', { class: 'hint' }, t('settings.aboutText')));
}

function diagnosticsSection(ctx) {
    const list = h('ol', { class: 'log', id: 'diagnostics-log' });
    const asText = () => ctx.client.log().map((e) =>
        `${new Date(e.time).toISOString()} ${e.request} -> ${e.outcome}${e.text ? `: ${e.text.slice(0, 400)}` : ''}`).join('\n');
    const draw = (entries) => {
        clear(list);
        for (const e of entries.slice(-60).reverse()) {
            list.append(h('li', { class: `log-${e.outcome.split(' ')[0]}` },
                h('span', { class: 'log-name' }, e.label),
                h('span', { class: 'log-outcome' }, e.outcome),
                h('span', { class: 'log-text' }, e.text ? e.text.slice(0, 160) : '')));
        }
    };
    draw(ctx.client.log());
    const stop = ctx.client.onLog(draw);
    const copyStatus = h('span', { class: 'hint', role: 'status' });
    const copy = h('button', { type: 'button', class: 'button secondary', id: 'copy-log' }, icon('copy'), t('settings.copyLog'));
    copy.addEventListener('click', async () => {
        const text = asText();
        try {
            await navigator.clipboard.writeText(text);
        } catch (e) {
            const area = h('textarea', { class: 'sr-only' });
            area.value = text;
            document.body.append(area);
            area.select();
            document.execCommand('copy');
            area.remove();
        }
        copyStatus.textContent = t('settings.copied');
    });
    return { element: section(t('settings.diagnosticsTitle'), h('p', { class: 'hint' }, t('settings.diagnosticsHint')), h('div', { class: 'field-control' }, copy, copyStatus), list), dispose: stop };
}

registerPage({
    id: 'settings',
    nav: { icon: 'settings', title: 'nav.settings', order: 90 },
    render(ctx) {
        const diagnostics = diagnosticsSection(ctx);
        const element = h('section', { class: 'page settings-page' },
            h('div', { class: 'page-head' }, h('h1', null, t('settings.title'))),
            h('div', { class: 'panel-content' }, languageSection(ctx), traySection(ctx), aboutSection(ctx), diagnostics.element));
        return { element, dispose: diagnostics.dispose };
    },
});
