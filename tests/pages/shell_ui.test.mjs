import { openDialogElement, click, settle, until } from './dom.mjs';
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { createTitleBar } from '../../pages/template/common/ui/titlebar.js';
import { closeWindow } from '../../pages/template/common/ui/close_window.js';
import { choiceDialog, confirmDialog } from '../../pages/template/common/ui/dialog.js';
import { runWrite, WriteStatus } from '../../pages/template/common/ui/status.js';
import { liveBadge } from '../../pages/template/common/ui/live_badge.js';
import { accessHelp } from '../../pages/template/common/ui/access_help.js';
import { CLOSE_CHOICE_KEY } from '../../pages/template/common/core/window_close.js';
import { fakeProgram } from './fake_program.mjs';
import { t } from './helpers.mjs';

// A program that answers the window's questions: whether a tray shows, and
// what conf.ini holds.
function windowProgram({ tray, conf = {} }) {
    return fakeProgram({
        answers: {
            GetTrayState: () => [true, JSON.stringify({ Tray: tray })],
            ReadConf: (c) => (c.KeyName in conf ? [true, conf[c.KeyName]] : [false, 'File Or KeyName does not exist']),
            WriteConf: (c, program) => {
                conf[c.KeyName] = c.WriteData;
                return [true, 'Write Success'];
            },
            CloseX: () => null,
            CloseApp: () => null,
            maxsizeWindow: () => null,
            restoreWindow: () => null,
        },
    });
}

test('the close button goes to the tray where there is one, else asks and may remember', async () => {
    let program = windowProgram({ tray: true });
    const toTray = closeWindow(program.client);
    await until(() => program.sent('CloseX').length === 1, 'CloseX');
    assert.equal(openDialogElement(), null, 'nothing asked');
    await Promise.race([toTray, settle(0)]);

    const conf = {};
    program = windowProgram({ tray: false, conf });
    const asked = closeWindow(program.client);
    await until(() => openDialogElement(), 'the question');
    const dialog = openDialogElement();
    dialog.querySelector('#close-remember').checked = true;
    click(dialog.querySelector('#close-quit'));
    await until(() => program.sent('CloseApp').length === 1, 'CloseApp');
    assert.equal(conf[CLOSE_CHOICE_KEY], 'quit');
    await Promise.race([asked, settle(0)]);

    // Remembered: not asked again.
    program = windowProgram({ tray: false, conf });
    closeWindow(program.client);
    await until(() => program.sent('CloseApp').length === 1, 'CloseApp again');
    assert.equal(openDialogElement(), null);

    // Cancelled: nothing sent, nothing kept.
    program = windowProgram({ tray: false, conf: {} });
    const cancelled = closeWindow(program.client);
    await until(() => openDialogElement(), 'the question');
    click(openDialogElement().querySelector('#close-cancel'));
    assert.equal(await cancelled, null);
    assert.equal(program.sent('CloseX').length + program.sent('CloseApp').length + program.sent('WriteConf').length, 0);
});

test('the title bar asks for the window operations and moves by what was dragged', async () => {
    const program = windowProgram({ tray: true });
    const bar = createTitleBar(program.client, { name: 'RX318 Pro', mark: 'RX' });
    document.body.replaceChildren(bar);
    const maximise = bar.querySelector('#maximise');
    click(maximise);
    click(maximise);
    assert.deepEqual(program.commands.map((c) => c.FuncName), ['maxsizeWindow', 'restoreWindow']);
    assert.equal(maximise.getAttribute('aria-label'), t('window.maximise'));
    const sentTexts = [];
    const original = program.client.sendText.bind(program.client);
    program.client.sendText = (text, options) => {
        sentTexts.push(text);
        return original(text, options);
    };
    click(bar.querySelector('#minimise'));
    assert.deepEqual(sentTexts, ['{"FuncName":"MinisizeWindow"}'], 'the exact minimise request');
    // A drag sends the distance moved, at most once a frame.
    bar.dispatchEvent(new window.MouseEvent('mousedown', { bubbles: true, button: 0, screenX: 100, screenY: 100 }));
    window.dispatchEvent(new window.MouseEvent('mousemove', { screenX: 110, screenY: 95 }));
    window.dispatchEvent(new window.MouseEvent('mousemove', { screenX: 120, screenY: 90 }));
    window.dispatchEvent(new window.MouseEvent('mouseup', { screenX: 120, screenY: 90 }));
    await until(() => sentTexts.length > 1, 'the move');
    const moved = sentTexts.slice(1).map((s) => s.match(/^MoveWindow (-?\d+),(-?\d+),/)).filter(Boolean)
        .reduce((sum, m) => [sum[0] + Number(m[1]), sum[1] + Number(m[2])], [0, 0]);
    assert.deepEqual(moved, [20, -10]);
});

test('dialogs resolve what was chosen, and a closed one nothing', async () => {
    const confirmed = confirmDialog({ title: 'Reset?', text: 'All of it.', confirm: 'Reset', danger: true });
    assert.equal(document.activeElement.id, 'confirm-cancel', 'the safe answer has the focus');
    click(openDialogElement().querySelector('#confirm-ok'));
    assert.equal(await confirmed, true);
    const chosen = choiceDialog({ title: 'Which?', text: '', choices: [{ value: 'a', label: 'A' }, { value: 'b', label: 'B', primary: true }] });
    click(openDialogElement().querySelector('#choice-b'));
    assert.equal(await chosen, 'b');
    const dropped = choiceDialog({ title: 'Which?', text: '', choices: [{ value: 'a', label: 'A' }] });
    openDialogElement().close();
    assert.equal(await dropped, null);
    assert.equal(document.querySelectorAll('dialog').length, 0, 'closed dialogs leave the document');
});

test('a write\'s status: busy, done, or the reason with a Retry that runs it again', async () => {
    const status = new WriteStatus();
    document.body.replaceChildren(status.el);
    const outcomes = [{ ok: false, code: 0, text: 'writeDevices failed!' }, { ok: true, text: 'writeDevices success!', profileSaved: false }];
    const applied = [];
    const toasts = [];
    const first = runWrite(status, async () => outcomes.shift(), { apply: () => applied.push('apply'), onFailure: () => applied.push('failure'), toast: (m) => toasts.push(m) });
    assert.equal(status.el.dataset.state, 'busy');
    await first;
    assert.equal(status.el.dataset.state, 'failed');
    assert.equal(status.el.querySelector('.message').textContent, t('error.deviceRefused'));
    click(status.el.querySelector('button'));
    await until(() => status.el.dataset.state === 'ok', 'the retry');
    assert.deepEqual(applied, ['apply', 'failure', 'apply']);
    assert.deepEqual(toasts, [t('error.profileNotSaved')], 'a write whose profile was not saved says so');
});

test('the live badge changes the page only when what it says changes', async () => {
    const badge = liveBadge({ id: 'live' });
    document.body.replaceChildren(badge);
    const changes = [];
    const observer = new MutationObserver((records) => changes.push(...records));
    observer.observe(badge, { subtree: true, childList: true, attributes: true, characterData: true });
    const report = { text: '5,1a,2', decoded: { stage: 2 } };
    badge.update(report);
    await settle();
    const first = changes.length;
    assert.ok(first > 0);
    for (let i = 0; i < 50; i += 1)
        badge.update(report);
    await settle();
    assert.equal(changes.length, first, 'the same report again draws nothing');
    assert.equal(badge.querySelector('.live-text').textContent, t('devices.liveStage', { stage: 3 }));
    observer.disconnect();
});

test('missing permissions are shown with the command that grants them, and nothing when all is there', () => {
    const access = { uinput: false, mice: 2, miceOpen: 0, interfaces: 1, interfacesOpen: 1, ruleInstalled: false, command: 'sudo install -m 644 70-orvanta.rules /etc/udev/rules.d/' };
    const help = accessHelp(access, 'remap');
    assert.ok(help);
    assert.equal(help.querySelector('code').textContent, access.command);
    assert.ok(help.querySelectorAll('li').length >= 1);
    assert.equal(accessHelp({ uinput: true, mice: 1, miceOpen: 1, interfaces: 1, interfacesOpen: 1, ruleInstalled: true, command: '' }, 'remap'), null);
});
