import { click, openDialogElement, until } from './dom.mjs';
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { accessOf, writesBlocked } from '../../pages/template/common/core/real_access.js';
import { realAccessRow } from '../../pages/template/common/ui/real_access_row.js';
import { fakeProgram } from './fake_program.mjs';
import { t } from './helpers.mjs';

const PATH = '\\\\?\\hid#vid_25a7&pid_fa07&mi_01&col02#usb-0000_00_14.0-2_input1#{4d1e55b2-f16f-11cf-88cb-001111000030}';

test('a record says whether a device is real and what may be sent to it', () => {
    assert.equal(accessOf({ Version: '258A1007' }), '', 'an emulated device carries no access');
    assert.equal(accessOf({ Access: 'dry-run' }), 'dry-run');
    assert.equal(accessOf({ Access: 'everything' }), 'read-only', 'an unknown level is read-only');
    assert.equal(accessOf({ Access: 7 }), 'read-only');
    assert.equal(accessOf(null), '');
    assert.equal(writesBlocked('read-only'), true);
    assert.equal(writesBlocked('dry-run'), false);
    assert.equal(writesBlocked(''), false);
});

function device(access) {
    return { key: '25A7FA07', name: '', access, record: { Version: '25A7FA07', DevicePath: PATH, Access: access } };
}

test('the row shows the level, warns before a change and sends the choice for this device', async () => {
    const program = fakeProgram({ answers: { SetDeviceAccessLevel: () => [true, 'SetDeviceAccessLevel success'] } });
    let changed = 0;
    const row = realAccessRow(device('read-only'), program.client, () => { changed += 1; });
    document.body.append(row);
    assert.equal(row.querySelector('.real-access-level').textContent.trim(), t('realAccess.read-only'));
    click(row.querySelector('.real-access-change'));
    await until(() => openDialogElement(), 'the warning');
    const dialog = openDialogElement();
    assert.match(dialog.textContent, /Firmware is never written/);
    assert.equal(dialog.querySelector('#choice-read-only'), null, 'the current level is not offered');
    click(dialog.querySelector('#choice-dry-run'));
    await until(() => changed === 1, 'the list refreshed');
    assert.deepEqual(program.sent('SetDeviceAccessLevel').map((c) => [c.DevicePath, c.Access]), [[PATH, 'dry-run']]);
    row.remove();
});

test('a cancelled dialog sends nothing; a refused choice is said; a verified device offers no change', async () => {
    const program = fakeProgram({ answers: { SetDeviceAccessLevel: () => [false, 'SetDeviceAccessLevel failed'] } });
    let changed = 0;
    const row = realAccessRow(device('dry-run'), program.client, () => { changed += 1; });
    document.body.append(row);
    click(row.querySelector('.real-access-change'));
    await until(() => openDialogElement(), 'the dialog');
    click(openDialogElement().querySelector('#choice-cancel'));
    await new Promise((r) => setTimeout(r, 5));
    assert.equal(program.sent('SetDeviceAccessLevel').length, 0);

    click(row.querySelector('.real-access-change'));
    await until(() => openDialogElement(), 'the dialog again');
    click(openDialogElement().querySelector('#choice-experimental'));
    await until(() => row.querySelector('[role=status]').textContent === t('realAccess.notChanged'), 'the refusal');
    assert.equal(changed, 0);
    row.remove();

    assert.equal(realAccessRow(device('verified'), program.client, () => {}).querySelector('button'), null);
});
