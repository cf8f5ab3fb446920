import { test } from 'node:test';
import assert from 'node:assert/strict';
import { FirmwareProgress, outcomeText, packageName, validAddress } from '../../pages/template/common/core/firmware.js';
import { factoryWrites } from '../../pages/template/common/core/factory.js';
import { DeviceEditor } from '../../pages/template/common/core/device_editor.js';
import { Catalogue } from '../../pages/template/common/core/catalogue.js';
import products from '../../pages/template/common/data/products.js';
import { definition, familyTable } from './helpers.mjs';
import { fakeProgram } from './fake_program.mjs';

const catalogue = new Catalogue(products, familyTable);

test('a firmware update is followed from the program\'s states to its end', () => {
    const p = new FirmwareProgress();
    p.start();
    p.onReply({ ok: true, text: 'start download' });
    p.onState('downLoading');
    p.onDownload(200, 50);
    assert.deepEqual([p.phase, p.percent, p.running], ['download', 25, true]);
    p.onState('updating');
    assert.equal(p.phase, 'flash');
    p.onState('updated');
    assert.deepEqual([p.phase, p.ok, p.running], ['done', true, false]);
    assert.equal(p.onState('updatefailed'), false, 'the end stays the end');

    const failed = new FirmwareProgress();
    failed.start();
    failed.onState('StartUpdate');
    failed.onState('updatefailed');
    assert.deepEqual([failed.ok, failed.reason], [false, 'flash']);

    const lost = new FirmwareProgress();
    lost.start();
    lost.onState('downLoading');
    lost.onState('updatefailed');
    assert.equal(lost.reason, 'download', 'failed before flashing: the download failed');

    const refused = new FirmwareProgress();
    refused.start();
    refused.onReply({ ok: false, code: 0, text: 'url file is not captured' });
    assert.deepEqual([refused.phase, refused.reason], ['done', 'address']);
    const noDownload = new FirmwareProgress();
    noDownload.start();
    noDownload.onReply({ ok: false, code: 0, text: 'downloadFaild' });
    assert.equal(noDownload.reason, 'download');

    const present = new FirmwareProgress();
    present.start();
    present.onReply({ ok: true, text: '/app/fw.pkg' });
    present.onState('dirStr + fileName');
    assert.deepEqual([present.path, present.phase], ['/app/fw.pkg', 'download']);
    present.onDownload(0, 5);
    assert.ok(Number.isNaN(present.percent), 'no total, no percentage');
    present.flashing();
    present.onState('StartUpdate');
    present.onState('updated');
    assert.deepEqual([present.ok, present.percent], [true, 100]);
});

test('a package for another device names both devices, and nothing else says so', () => {
    const names = { '258A1008': 'Strider ZX40' };
    const nameOf = (key) => names[key] || '';
    const p = new FirmwareProgress();
    p.start();
    p.onEvent(['downLoading']);
    p.onEvent(['updating']);
    assert.ok(p.onEvent(['updatefailed', 'This package is for 258A1008, not 258A1007', '258a1008', '258A1007']));
    assert.equal(p.reason, 'otherDevice');
    assert.deepEqual(outcomeText(p, 'RX318 Pro', nameOf),
        { key: 'firmware.failed.otherDevice', values: { package: 'Strider ZX40', device: 'RX318 Pro' } });
    // A key the catalogue does not know is shown as it is.
    p.packageKey = '258A9999';
    assert.equal(outcomeText(p, 'RX318 Pro', nameOf).values.package, '258A9999');
    // A later event of the same update changes nothing.
    assert.equal(p.onEvent(['updated']), false);

    // A plain failure stays a flash failure, and a success is a success.
    const plain = new FirmwareProgress();
    plain.start();
    plain.onEvent(['StartUpdate']);
    plain.onEvent(['updatefailed']);
    assert.deepEqual(outcomeText(plain, 'RX318 Pro', nameOf), { key: 'firmware.failed.flash', values: {} });
    const good = new FirmwareProgress();
    good.start();
    good.onEvent('updating');
    good.onEvent(['updated']);
    assert.deepEqual(outcomeText(good, 'RX318 Pro', nameOf), { key: 'firmware.done', values: {} });
    // A new update forgets the refused package.
    p.start();
    assert.equal(p.packageKey, '');
});

test('package addresses', () => {
    assert.equal(packageName('http://h.test/fw/m1.pkg?x=1'), 'm1.pkg');
    assert.equal(packageName('http://h.test/fw/'), '');
    assert.ok(validAddress(' https://h.test/a/b.pkg '));
    for (const bad of ['ftp://h/x.pkg', 'http://h/', 'file:///etc/passwd', 'http://', 'javascript:alert(1)/x'])
        assert.ok(!validAddress(bad), bad);
});

test('W1 factory settings are written value by value, as the panels write them', async () => {
    const device = catalogue.describeDevice({ Version: '25A7FA91' });
    const driver = definition('W1.0');
    const writes = factoryWrites(driver, device.product, device.family);
    const byIndex = new Map(writes.map((w) => [w.index, w.request]));
    assert.deepEqual(byIndex.get(61), { TaskType: 'MouseFunction', Task: 'LeftClick', TaskCount: '1' });
    assert.deepEqual(byIndex.get(50), { TaskType: 'DPI', Task: '1|800|800' });
    assert.deepEqual(byIndex.get(57), { TaskType: 'DPI', Task: '1|16000|16000' });
    assert.deepEqual(byIndex.get(201), { TaskType: 'DPIRGB', Task: 'FF0000' });
    assert.deepEqual(byIndex.get(48), { TaskType: 'SwitchProfile', Task: '0x01' });
    assert.deepEqual(byIndex.get(40), { TaskType: 'SwitchProfile', Task: '0x01' });
    assert.deepEqual(byIndex.get(42), { TaskType: 'Lights', Task: '0xff,0x00,0x00,0x01,0x05,0x03' });
    assert.equal(writes.length, 6 + 8 + 8 + 3);

    // No reset command: the profile ends up holding the factory values.
    const program = fakeProgram();
    const session = new DeviceEditor({ client: program.client, device, driver });
    await session.loadProfile();
    await session.write(52, { TaskType: 'DPI', Task: '0|2000|1000' });
    const result = await session.restoreByWrites(writes);
    assert.ok(result.ok && result.profileSaved);
    assert.equal(program.sent('RestDevice').length, 0);
    assert.equal(program.sent('WriteDevice').length, 1 + writes.length);
    assert.equal(session.entry(52).Task, '1|3200|3200');

    // A refused write stops the rest and says so.
    const refusing = fakeProgram({ refuse: (c) => c.Index === '50' });
    const s2 = new DeviceEditor({ client: refusing.client, device, driver });
    await s2.loadProfile();
    assert.equal((await s2.restoreByWrites(writes)).ok, false);
    assert.equal(refusing.sent('WriteDevice').at(-1).Index, '50');
});
