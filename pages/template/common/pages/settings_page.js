// The program's own settings: interface language (kept in conf.ini under
// "Language", which the tray menu reads too), what the tray icon does
// ("TrayFun", kept in conf.ini so it holds after a restart), whether the
// program asks for updates when it starts ("CheckUpdateAtStart"), about
// (with what is sent, and to whom), page updates, and the diagnostics: the
// list of commands and their answers, and the reports of earlier crashes.
import { COMMAND, readAnswer } from '../core/commands.js';
import { clientRow } from '../core/client_profile.js';
import { validAddress } from '../core/firmware.js';
import { failureText } from '../core/client.js';
import { UPDATE_CHECK_KEY, updateCheckOn, updateCheckValue } from '../core/update_check.js';
import { askTrust, trustMessage } from '../core/update_trust.js';
import { t, language, setLanguage } from '../core/i18n.js';
import { copyText } from '../ui/clipboard.js';
import { crashReportList } from '../ui/crash_report_list.js';
import { h, icon, clear } from '../ui/dom.js';
import { registerPage } from '../ui/registry.js';
import { runWrite, WriteStatus } from '../ui/status.js';
import { field, radioGroup, section } from '../ui/fields.js';
import { CLOSE_CHOICE_KEY, rememberedChoice } from '../core/window_close.js';

function languageSection(ctx) {
    const group = radioGroup({
        name: 'language',
        id: 'language',
        label: t('settings.language'),
        value: language(),
        options: [{ value: 'en', label: 'English' }, { value: 'zh', label: '中文' }],
        onchange: async (code) => {
            const before = language();
            const result = await runWrite(group.status, () => ctx.client.send(COMMAND.WriteConf, { KeyName: 'Language', WriteData: code }), {
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
    ctx.client.send(COMMAND.ReadConf, { KeyName: 'TrayFun' }, { timeout: 2000 }).then((r) => {
        box.checked = !(r.ok && r.text === 'DisableTray');
    });
    box.addEventListener('change', async () => {
        const mode = box.checked ? 'EnableTray' : 'DisableTray';
        await runWrite(status, async () => {
            const applied = await ctx.client.send(COMMAND.TrayFun, { TrayFunName: mode }, { timeout: 2000 });
            if (!applied.ok)
                return applied;
            return ctx.client.send(COMMAND.WriteConf, { KeyName: 'TrayFun', WriteData: mode });
        }, { onFailure: () => { box.checked = !box.checked; } });
    });
    return section(t('settings.trayTitle'), h('div', { class: 'field-control' }, label, status.el), h('p', { class: 'hint' }, t('settings.trayHint')));
}

// Closing the window where the desktop shows no tray, and quitting.
function closingSection(ctx) {
    const choice = h('select', { id: 'close-choice' },
        h('option', { value: '' }, t('close.choiceAsk')),
        h('option', { value: 'quit' }, t('close.choiceQuit')),
        h('option', { value: 'background' }, t('close.choiceBackground')));
    const row = field({ label: t('close.choiceLabel'), control: choice, hint: t('close.choiceHint') });
    ctx.client.send(COMMAND.ReadConf, { KeyName: CLOSE_CHOICE_KEY }, { timeout: 2000 }).then((r) => {
        choice.value = rememberedChoice(r);
    });
    let before = choice.value;
    choice.addEventListener('change', async () => {
        const value = choice.value;
        const result = await runWrite(row.status, () => ctx.client.send(COMMAND.WriteConf, { KeyName: CLOSE_CHOICE_KEY, WriteData: value }), {
            apply: () => { choice.value = value; },
            onFailure: () => { choice.value = before; },
        });
        if (result.ok)
            before = value;
    });
    const quit = h('button', { type: 'button', class: 'button secondary', id: 'quit-app' }, t('close.quitNow'));
    quit.addEventListener('click', () => ctx.client.send(COMMAND.CloseApp, {}, { timeout: 2000 }));
    return section(t('close.sectionTitle'), row.el, h('div', { class: 'field-control' }, quit));
}

// Starting with the desktop session: the program's autostart entry, which
// starts it in the tray. Shown only where the program offers it.
function sessionStartSection(ctx) {
    const box = h('input', { type: 'checkbox', id: 'session-start' });
    const label = h('label', { for: 'session-start', class: 'check' }, box, t('settings.sessionStart'));
    const status = new WriteStatus();
    const element = section(t('settings.sessionStartTitle'), h('div', { class: 'field-control' }, label, status.el),
        h('p', { class: 'hint' }, t('settings.sessionStartHint')));
    element.hidden = true;
    ctx.client.send(COMMAND.GetSessionStart, {}, { timeout: 2000 }).then((r) => {
        const state = readAnswer(COMMAND.GetSessionStart, r);
        if (!state || state.Available !== true)
            return;
        box.checked = state.Enabled === true;
        element.hidden = false;
    });
    box.addEventListener('change', async () => {
        await runWrite(status, () => ctx.client.send(COMMAND.SetSessionStart, { Enabled: box.checked ? '1' : '0' }),
            { onFailure: () => { box.checked = !box.checked; } });
    });
    return element;
}

function updatesSection(ctx, installation) {
    const box = h('input', { type: 'checkbox', id: 'update-check', checked: true });
    const label = h('label', { for: 'update-check', class: 'check' }, box, t('settings.updateCheck'));
    const status = new WriteStatus();
    ctx.client.send(COMMAND.ReadConf, { KeyName: UPDATE_CHECK_KEY }, { timeout: 2000 }).then((r) => {
        box.checked = updateCheckOn(r);
    });
    box.addEventListener('change', async () => {
        await runWrite(status, () => ctx.client.send(COMMAND.WriteConf, { KeyName: UPDATE_CHECK_KEY, WriteData: updateCheckValue(box.checked) }),
            { onFailure: () => { box.checked = !box.checked; } });
    });
    const control = h('div', { class: 'field-control' }, label, status.el);
    const hint = h('p', { class: 'hint', id: 'update-source' }, t('settings.updateCheckHint'));
    // Where a package manager updates the program, it asks nothing at start.
    installation.then((installed) => {
        if (!installed || installed.SelfUpdate !== false)
            return;
        control.hidden = true;
        hint.textContent = t('settings.updatesByPackageManager');
    });
    return section(t('settings.updatesTitle'), control, hint);
}

function aboutSection(ctx, installation) {
    const version = h('dd', { id: 'about-version' }, '…');
    const privacy = h('p', { class: 'hint', id: 'about-privacy' }, t('settings.aboutText', { host: t('settings.updateHostUnknown') }));
    const profile = ctx.client.send(COMMAND.ReadFileToStr, { FilePath: 'conf.xml', Xpath: '/root' }, { timeout: 3000 });
    Promise.all([profile, installation]).then(([r, installed]) => {
        const row = r.ok ? clientRow(r.text) : null;
        version.textContent = row && row.version ? row.version : failureText(r.ok ? { ok: false, code: 0, text: '' } : r, t);
        // What is sent: nothing at start where a package manager updates.
        if (installed && installed.SelfUpdate === false)
            privacy.textContent = t('settings.aboutTextPackaged');
        else if (row && row.upgradeHost)
            privacy.textContent = t('settings.aboutText', { host: row.upgradeHost });
    });
    return section(t('settings.aboutTitle'),
        h('dl', { class: 'facts' },
            h('dt', null, t('settings.product')), h('dd', null, ctx.brand.name),
            h('dt', null, t('settings.version')), version),
        privacy);
}

// Page updates: a pages package downloaded from an address ("DownloadFile",
// progress by "RefreshDownState") and unpacked into the application folder
// by the program when a trusted key signed it; the section then says who
// signed it, or that it was refused. The new pages are used from the next
// start.
function pagesUpdateSection(ctx) {
    const address = h('input', { type: 'url', id: 'pages-address', class: 'wide', placeholder: 'https://…/pages.pkg', spellcheck: 'false' });
    const start = h('button', { type: 'button', class: 'button secondary', id: 'pages-download' }, t('pages.download'));
    const status = new WriteStatus();
    const bar = h('span', { class: 'progress-fill' });
    const track = h('span', { class: 'progress-track', role: 'progressbar', 'aria-valuemin': 0, 'aria-valuemax': 100, hidden: true }, bar);
    const result = h('p', { class: 'hint', id: 'pages-result', role: 'status' });
    const trustLine = h('p', { class: 'hint update-trust', id: 'pages-trust', role: 'status', hidden: true });
    let running = false;
    const stop = ctx.client.on('RefreshDownState', (args) => {
        const total = Number(args[0]);
        const received = Number(args[1]);
        if (!running || !(total > 0))
            return;
        const percent = Math.min(100, Math.round(100 * received / total));
        track.hidden = false;
        bar.style.width = `${percent}%`;
        track.setAttribute('aria-valuenow', String(percent));
    });
    start.addEventListener('click', async () => {
        const url = address.value.trim();
        if (!validAddress(url)) {
            status.failed(t('firmware.badAddress'));
            return;
        }
        running = true;
        start.disabled = true;
        trustLine.hidden = true;
        result.textContent = t('pages.downloading');
        const reply = await runWrite(status, () => ctx.client.send(COMMAND.DownloadFile, { downloadUrl: url, relativePath: 'tupdates/' }, { timeout: 15 * 60 * 1000 }));
        running = false;
        start.disabled = false;
        track.hidden = true;
        const message = trustMessage(await askTrust(ctx.client, { address: url }));
        result.textContent = reply.ok && (!message || message.good) ? t('pages.downloaded') : '';
        clear(trustLine);
        trustLine.hidden = !message;
        if (message) {
            trustLine.classList.toggle('trusted', message.good);
            trustLine.append(icon(message.good ? 'lock' : 'warning'), t(message.key, message.values));
        }
    });
    const row = h('div', { class: 'field-control' }, address, start, status.el);
    return { element: section(t('pages.title'), h('p', { class: 'hint' }, t('pages.hint')), row, track, result, trustLine), dispose: stop };
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
        await copyText(asText());
        copyStatus.textContent = t('settings.copied');
    });
    return {
        element: section(t('settings.diagnosticsTitle'), h('p', { class: 'hint' }, t('settings.diagnosticsHint')), h('div', { class: 'field-control' }, copy, copyStatus), list,
            crashReportList(ctx.client)),
        dispose: stop,
    };
}

registerPage({
    id: 'settings',
    nav: { icon: 'settings', title: 'nav.settings', order: 90 },
    render(ctx) {
        const diagnostics = diagnosticsSection(ctx);
        const pagesUpdate = pagesUpdateSection(ctx);
        // How the program is installed, asked once for the sections that
        // depend on it; null when it cannot be read.
        const installation = ctx.client.send(COMMAND.GetInstallation, {}, { timeout: 2000 })
            .then((r) => readAnswer(COMMAND.GetInstallation, r));
        const element = h('section', { class: 'page settings-page' },
            h('div', { class: 'page-head' }, h('h1', null, t('settings.title'))),
            h('div', { class: 'panel-content' }, languageSection(ctx), traySection(ctx), sessionStartSection(ctx), closingSection(ctx), updatesSection(ctx, installation), aboutSection(ctx, installation), pagesUpdate.element, diagnostics.element));
        return {
            element,
            dispose: () => {
                diagnostics.dispose();
                pagesUpdate.dispose();
            },
        };
    },
});
