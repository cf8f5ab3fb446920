import { test } from 'node:test';
import assert from 'node:assert/strict';
import { clientRow, hostOf } from '../../pages/template/common/core/client_profile.js';
import { UPDATE_CHECK_KEY, updateCheckOn, updateCheckValue } from '../../pages/template/common/core/update_check.js';

test('the start-up update check is on unless conf.ini says false', () => {
    assert.equal(UPDATE_CHECK_KEY, 'CheckUpdateAtStart');
    // No key yet: "ReadConf" fails, and the check is on.
    assert.equal(updateCheckOn({ ok: false, code: 0, text: 'File Or KeyName does not exist' }), true);
    assert.equal(updateCheckOn({ ok: true, text: 'true' }), true);
    assert.equal(updateCheckOn({ ok: true, text: ' False ' }), false);
    assert.equal(updateCheckOn({ ok: true, text: '0' }), true);
    assert.equal(updateCheckOn(null), true);
    assert.equal(updateCheckOn({ ok: true, text: updateCheckValue(false) }), false);
    assert.equal(updateCheckOn({ ok: true, text: updateCheckValue(true) }), true);
});

test('About names the host the update check asks', () => {
    const profile = '<root name="RX318 Pro"><client Name="Tavik" Version="T2" upgrade="http://other.test"/>'
        + '<client Name="RX318 Pro" Version="R1.0.3" upgrade="http://update.orvanta.test:8080/x?y"/></root>';
    const row = clientRow(profile);
    assert.equal(row.version, 'R1.0.3');
    assert.equal(row.upgradeHost, 'update.orvanta.test:8080');
    assert.equal(hostOf(''), '');
    assert.equal(hostOf('update.orvanta.test'), '');
    assert.equal(hostOf('https://a.b/c'), 'a.b');
    assert.equal(clientRow('<root name="X"><client Name="X"/></root>').upgradeHost, '');
});

test('the close button quits, hides or asks, by the tray and the remembered choice', async () => {
    const { closeCommand, rememberedChoice, trayShown } = await import('../../pages/template/common/core/window_close.js');
    assert.equal(trayShown({ ok: true, text: '{"Tray":true}' }), true);
    assert.equal(trayShown({ ok: true, text: '{"Tray":false}' }), false);
    assert.equal(trayShown({ ok: true, text: '{"Tray":"no"}' }), null);
    assert.equal(trayShown({ ok: false, code: 0, text: 'not available without a window' }), null);
    assert.equal(rememberedChoice({ ok: true, text: 'quit' }), 'quit');
    assert.equal(rememberedChoice({ ok: true, text: 'explode' }), '');
    assert.equal(rememberedChoice({ ok: false }), '');
    // A tray (or a program that cannot say): to the tray, as always.
    assert.equal(closeCommand(true, ''), 'CloseX');
    assert.equal(closeCommand(null, 'quit'), 'CloseX');
    // No tray: the remembered choice, else ask.
    assert.equal(closeCommand(false, 'quit'), 'CloseApp');
    assert.equal(closeCommand(false, 'background'), 'CloseX');
    assert.equal(closeCommand(false, ''), '');
});

test('missing permissions are named for what they break, and nothing is said without an answer', async () => {
    const { missingAccess, parseAccess } = await import('../../pages/template/common/core/device_access.js');
    const reply = (v) => ({ ok: true, text: JSON.stringify(v) });
    const none = parseAccess(reply({ Uinput: false, Mice: 2, MiceOpen: 1, Interfaces: 1, InterfacesOpen: 0, RuleInstalled: false, Command: 'sudo x' }));
    assert.deepEqual(missingAccess(none, 'remap'), ['uinput', 'mice', 'interfaces']);
    assert.deepEqual(missingAccess(none, 'devices'), ['interfaces']);
    assert.deepEqual(missingAccess(none, 'devices', { listEmpty: true }), ['interfaces', 'rule']);
    const all = parseAccess(reply({ Uinput: true, Mice: 2, MiceOpen: 2, Interfaces: 1, InterfacesOpen: 1, RuleInstalled: true, Command: 'sudo udevadm trigger' }));
    assert.deepEqual(missingAccess(all, 'remap'), []);
    assert.deepEqual(missingAccess(all, 'devices'), []);
    // Counts that cannot be are not believed.
    const odd = parseAccess(reply({ Uinput: true, Mice: 1, MiceOpen: 7, Interfaces: -3, InterfacesOpen: 2, RuleInstalled: true, Command: 5 }));
    assert.equal(odd.miceOpen, 1);
    assert.equal(odd.interfaces, 0);
    assert.equal(odd.command, '');
    // Demo devices are said only when the program says so, in so many words.
    assert.equal(all.demo, false);
    assert.equal(parseAccess(reply({ Uinput: true, Demo: true })).demo, true);
    assert.equal(parseAccess(reply({ Uinput: true, Demo: 'true' })).demo, false);
    // An older program, or nothing readable: nothing is said.
    for (const r of [{ ok: false, code: 0, text: '' }, { ok: true, text: 'x' }, { ok: true, text: '{}' }, null])
        assert.deepEqual(missingAccess(parseAccess(r), 'remap'), []);
});
