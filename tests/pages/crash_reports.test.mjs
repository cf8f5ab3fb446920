import { click, until } from './dom.mjs';
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { parseCrashReports, reportDate, signalName } from '../../pages/template/common/core/crash_reports.js';
import { crashReportList } from '../../pages/template/common/ui/crash_report_list.js';
import { fakeProgram } from './fake_program.mjs';
import { t } from './helpers.mjs';

const listed = (reports) => ({ ok: true, text: JSON.stringify(reports) });

const SEGV = { Name: 'crash-20261208T213000-4242.txt', Time: '2026-12-08T21:30:05Z', Program: 'orvanta', Version: '0.1.0', Signal: '11 SIGSEGV', Reason: '', Size: 9000 };
const THROW = { Name: 'crash-20261207T100000-17.txt', Time: '2026-12-07T10:00:01Z', Program: 'orvanta-cli', Version: '0.1.0', Signal: '6 SIGABRT', Reason: 'uncaught exception of type std::runtime_error: boom', Size: 7000 };

test('the list keeps only what names a report, and reads nothing it cannot trust', () => {
    const reports = parseCrashReports(listed([SEGV, THROW,
        { Name: '../app.log', Time: 'x' },
        { Name: 'crash-1.txt' },
        { Name: 42 },
        null,
        { Name: 'crash-20261208T213000-1.txt', Time: 7, Signal: '9 SIGKILL', Size: -3, Reason: 'r'.repeat(5000) }]));
    assert.deepEqual(reports.map((r) => r.name), [SEGV.Name, THROW.Name, 'crash-20261208T213000-1.txt']);
    assert.equal(reports[0].signal, 'SIGSEGV');
    assert.equal(reports[1].reason, THROW.Reason);
    const odd = reports[2];
    assert.equal(odd.time, '');
    assert.equal(odd.signal, '', 'a signal the handler never catches is not named');
    assert.equal(odd.size, 0);
    assert.equal(odd.reason.length, 300);
    assert.equal(parseCrashReports({ ok: true, text: '{"Name":"x"}' }), null);
    assert.equal(parseCrashReports({ ok: false, code: 0, text: 'no' }), null);
    assert.equal(signalName(' 8  SIGFPE '), 'SIGFPE');
    assert.equal(signalName(undefined), '');
    assert.equal(reportDate({ time: '2026-12-08T21:30:05Z' }).toISOString(), '2026-12-08T21:30:05.000Z');
    assert.equal(reportDate({ time: 'yesterday' }), null);
    assert.equal(reportDate({ time: '2026-13-45T99:99:99Z' }), null);
});

function crashProgram({ reports, texts = {}, save = () => [true, 'SaveCrashReport success'] }) {
    return fakeProgram({
        answers: {
            GetCrashReports: () => (reports ? [true, JSON.stringify(reports)] : [false, 'unknown command']),
            ReadCrashReport: (c) => (c.Name in texts ? [true, texts[c.Name]] : [false, 'ReadCrashReport failed']),
            SaveCrashReport: (c) => save(c),
        },
    });
}

test('each report shows when, which program and why; Show reads its text once, Copy and Save use it', async () => {
    const copied = [];
    const clipboard = { writeText: async (s) => copied.push(s) };
    if (globalThis.navigator)
        Object.defineProperty(globalThis.navigator, 'clipboard', { configurable: true, value: clipboard });
    else
        globalThis.navigator = { clipboard };
    const program = crashProgram({ reports: [SEGV, THROW], texts: { [SEGV.Name]: 'Orvanta crash report\n#0 in orvantaCrashTestSegv()' } });
    const view = crashReportList(program.client);
    document.body.append(view);
    await until(() => view.querySelectorAll('.crash-report').length === 2, 'two rows');
    const [first, second] = view.querySelectorAll('.crash-report');
    assert.equal(first.dataset.name, SEGV.Name);
    assert.equal(first.querySelector('.crash-program').textContent, 'orvanta 0.1.0');
    assert.equal(first.querySelector('.crash-why').textContent, t('crash.signal.SIGSEGV'));
    assert.equal(second.querySelector('.crash-why').textContent, THROW.Reason);
    assert.equal(view.querySelector('#crash-reports-empty').textContent, '');

    const [show, copy, save] = first.querySelectorAll('button');
    click(show);
    await until(() => !first.querySelector('.crash-text').hidden, 'the text');
    assert.match(first.querySelector('.crash-text').textContent, /orvantaCrashTestSegv/);
    assert.equal(show.getAttribute('aria-expanded'), 'true');
    click(show);
    assert.equal(first.querySelector('.crash-text').hidden, true);
    click(copy);
    await until(() => copied.length === 1, 'the copy');
    assert.match(copied[0], /^Orvanta crash report/);
    assert.equal(program.sent('ReadCrashReport').length, 1, 'the text is read once');
    click(save);
    await until(() => program.sent('SaveCrashReport').length === 1, 'the save');
    await until(() => first.querySelector('[role=status]').textContent === t('crash.saved'), 'saved');

    // A report that went away meanwhile: said so, nothing copied.
    click(second.querySelectorAll('button')[1]);
    await until(() => second.querySelector('[role=status]').textContent === t('crash.unreadable'), 'unreadable');
    assert.equal(copied.length, 1);
    view.remove();
});

test('no reports, a list the program cannot give, and a cancelled save say what they are', async () => {
    let view = crashReportList(crashProgram({ reports: [] }).client);
    await until(() => view.querySelector('#crash-reports-empty').textContent === t('crash.none'), 'none');
    view = crashReportList(crashProgram({ reports: null }).client);
    await until(() => view.querySelector('#crash-reports-empty').textContent === t('crash.listUnavailable'), 'unavailable');

    const program = crashProgram({ reports: [SEGV], save: () => [false, "doesn't select file"] });
    view = crashReportList(program.client);
    await until(() => view.querySelector('.crash-report'), 'a row');
    const status = view.querySelector('[role=status]');
    click(view.querySelectorAll('.crash-report button')[2]);
    await until(() => program.sent('SaveCrashReport').length === 1, 'asked');
    await new Promise((r) => setTimeout(r, 5));
    assert.equal(status.textContent, '', 'a cancelled dialog is no failure');
});
