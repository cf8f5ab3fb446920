// The crash reports kept on this computer (Settings › Diagnostics): one
// row per report with when, which program and why it stopped; Show opens
// the report's text, Copy puts it on the clipboard, Save… writes it where
// the user chooses (the program's save dialog).
import { COMMAND } from '../core/commands.js';
import { parseCrashReports, reportDate } from '../core/crash_reports.js';
import { t } from '../core/i18n.js';
import { copyText } from './clipboard.js';
import { h, icon, clear } from './dom.js';

function when(report) {
    const date = reportDate(report);
    return date ? date.toLocaleString() : report.time || report.name;
}

function why(report) {
    if (report.reason)
        return report.reason;
    return report.signal ? t(`crash.signal.${report.signal}`) : t('crash.signal.unknown');
}

function reportRow(client, report) {
    const status = h('span', { class: 'hint', role: 'status' });
    const text = h('pre', { class: 'crash-text', hidden: true });
    let loaded = null;
    const load = async () => {
        if (loaded === null) {
            const reply = await client.send(COMMAND.ReadCrashReport, { Name: report.name }, { timeout: 5000 });
            if (!reply.ok) {
                status.textContent = t('crash.unreadable');
                return null;
            }
            loaded = reply.text;
        }
        return loaded;
    };
    const show = h('button', { type: 'button', class: 'button secondary', 'aria-expanded': 'false' }, t('crash.show'));
    show.addEventListener('click', async () => {
        if (!text.hidden) {
            text.hidden = true;
            show.setAttribute('aria-expanded', 'false');
            show.textContent = t('crash.show');
            return;
        }
        const content = await load();
        if (content === null)
            return;
        text.textContent = content;
        text.hidden = false;
        show.setAttribute('aria-expanded', 'true');
        show.textContent = t('crash.hide');
    });
    const copy = h('button', { type: 'button', class: 'button secondary' }, icon('copy'), t('settings.copyLog'));
    copy.addEventListener('click', async () => {
        const content = await load();
        if (content === null)
            return;
        await copyText(content);
        status.textContent = t('settings.copied');
    });
    const save = h('button', { type: 'button', class: 'button secondary' }, t('crash.save'));
    save.addEventListener('click', async () => {
        const reply = await client.send(COMMAND.SaveCrashReport, { Name: report.name }, { timeout: 10 * 60 * 1000 });
        if (reply.ok)
            status.textContent = t('crash.saved');
        else if (reply.text !== "doesn't select file")
            status.textContent = t('crash.notSaved');
    });
    const program = [report.program, report.version].filter(Boolean).join(' ');
    return h('li', { class: 'crash-report', 'data-name': report.name },
        h('div', { class: 'crash-head' },
            h('span', { class: 'crash-when' }, when(report)),
            h('span', { class: 'crash-program' }, program),
            h('span', { class: 'crash-why', title: why(report) }, why(report))),
        h('div', { class: 'field-control' }, show, copy, save, status),
        text);
}

export function crashReportList(client) {
    const list = h('ul', { class: 'crash-reports', id: 'crash-reports' });
    const empty = h('p', { class: 'hint', id: 'crash-reports-empty' });
    const element = h('div', { class: 'crash-reports-block' },
        h('h3', null, t('crash.title')),
        h('p', { class: 'hint' }, t('crash.hint')),
        empty, list);
    client.send(COMMAND.GetCrashReports, {}, { timeout: 3000 }).then((reply) => {
        const reports = parseCrashReports(reply);
        clear(list);
        if (!reports) {
            empty.textContent = t('crash.listUnavailable');
            return;
        }
        empty.textContent = reports.length ? '' : t('crash.none');
        for (const report of reports)
            list.append(reportRow(client, report));
    });
    return element;
}
