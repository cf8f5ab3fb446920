import { click, openDialogElement, settle, until } from './dom.mjs';
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { trustMessage, trustVerdict } from '../../pages/template/common/core/update_trust.js';
import { FirmwareProgress, outcomeText } from '../../pages/template/common/core/firmware.js';
import { Catalogue } from '../../pages/template/common/core/catalogue.js';
import { devicePanels } from '../../pages/template/common/ui/registry.js';
import products from '../../pages/template/common/data/products.js';
import '../../pages/template/common/panels/firmware_panel.js';
import { page as registeredPage } from '../../pages/template/common/ui/registry.js';
import '../../pages/template/common/pages/settings_page.js';
import { fakeProgram } from './fake_program.mjs';
import { definition, familyTable, t } from './helpers.mjs';

const catalogue = new Catalogue(products, familyTable);

test('the program\'s verdict on a package becomes what the pages say', () => {
    const signed = trustVerdict({ Known: true, Trusted: true, Signed: true, Signer: 'Orvanta', Release: '12' });
    assert.deepEqual(trustMessage(signed), { key: 'update.signedBy', values: { name: 'Orvanta' }, good: true });
    assert.equal(t('update.signedBy', { name: 'Orvanta' }), 'Signed by Orvanta.');

    // No signature, a stranger's key, a signature that does not match: the
    // same plain refusal.
    for (const reason of ['not signed by a trusted key', 'not signed by a trusted key (signed by unknown key 4A9A5EF7E0F5CC5D)',
        'not signed by a trusted key (the signature does not match the package)']) {
        const verdict = trustVerdict({ Known: true, Trusted: false, Reason: reason });
        assert.equal(verdict.unsigned, true, reason);
        assert.deepEqual(trustMessage(verdict), { key: 'update.refusedUnsigned', values: {}, good: false });
    }
    assert.equal(t('update.refusedUnsigned'), 'Refused: not signed by a trusted key.');
    // Signed, but refused by another rule: the reason is shown.
    const newer = trustVerdict({ Known: true, Trusted: false, Signer: 'Orvanta', Reason: 'the package needs Orvanta 2.0.0 or newer, this is 0.1.0' });
    assert.deepEqual(trustMessage(newer), { key: 'update.refused', values: { reason: 'the package needs Orvanta 2.0.0 or newer, this is 0.1.0' }, good: false });
    // A developer build took an unsigned package: never shown as signed.
    assert.equal(trustMessage(trustVerdict({ Known: true, Trusted: true, Signer: '' })).good, false);

    for (const nothing of [null, undefined, {}, { Known: false }, { Known: 'yes', Trusted: true }, [], 'text'])
        assert.equal(trustMessage(trustVerdict(nothing)), null, JSON.stringify(nothing));
});

test('an image no trusted key signed ends the update with that reason', () => {
    const p = new FirmwareProgress();
    p.start();
    p.onReply({ ok: true, text: '/app/fw.pkg' });
    p.flashing();
    p.onEvent(['StartUpdate']);
    assert.equal(p.onEvent(['updatefailed', 'not signed by a trusted key']), true);
    assert.deepEqual([p.phase, p.ok, p.reason], ['done', false, 'unsigned']);
    assert.equal(outcomeText(p, 'RX318 Pro').key, 'firmware.failed.unsigned');
    // A plain failure is still the flashing's.
    const plain = new FirmwareProgress();
    plain.start();
    plain.flashing();
    plain.onEvent(['updatefailed']);
    assert.equal(plain.reason, 'flash');
});

// The firmware panel of the RX318 Pro on a fake program whose download of
// the package ends as `outcome` says, with `trust` as the program's verdict.
async function updateFirmware({ outcome, trust }) {
    const program = fakeProgram({
        answers: {
            UpdateFirmware: () => [true, 'start download'],
            GetUpdateTrust: () => [true, JSON.stringify(trust)],
        },
    });
    const device = catalogue.describeDevice({ Version: '258A1007' });
    const driver = definition(device.family.definition || device.familyVersion);
    const panel = devicePanels(device, driver).find((p) => p.id === 'firmware');
    const rendered = panel.render({
        client: program.client, device, product: device.product, catalogue,
        devices: { refresh: () => Promise.resolve(), byKey: () => null },
    });
    document.body.replaceChildren(rendered.element);
    document.querySelector('#firmware-address').value = 'http://updates.example/fw/rx318-12.pkg';
    click(document.querySelector('#firmware-start'));
    await until(() => openDialogElement(), 'the confirmation');
    click(openDialogElement().querySelector('#confirm-ok'));
    await until(() => program.sent('UpdateFirmware').length === 1, 'the request');
    await settle(5);
    for (const state of outcome)
        program.events.onUpdateFirmware([state]);
    await until(() => program.sent('GetUpdateTrust').length === 1, 'the question who signed it');
    await settle(5);
    return program;
}

test('the firmware panel says who signed the package it installed', async () => {
    const program = await updateFirmware({
        outcome: ['downLoading', 'updating', 'updated'],
        trust: { Known: true, Trusted: true, Signer: 'Orvanta', Release: '12' },
    });
    assert.deepEqual(program.sent('GetUpdateTrust')[0].downloadUrl, 'http://updates.example/fw/rx318-12.pkg');
    const line = document.querySelector('#firmware-trust');
    assert.equal(line.hidden, false);
    assert.equal(line.textContent, 'Signed by Orvanta.');
    assert.ok(line.classList.contains('trusted'));
    assert.ok(document.querySelector('#firmware-outcome .banner.success'));
});

test('a firmware package nobody trusted is reported as refused, not as a broken download', async () => {
    await updateFirmware({
        outcome: ['downLoading', 'updatefailed'],
        trust: { Known: true, Trusted: false, Reason: 'not signed by a trusted key' },
    });
    // Said once, in the outcome.
    assert.equal(document.querySelector('#firmware-trust').hidden, true);
    assert.equal(document.querySelector('#firmware-outcome').textContent, t('firmware.failed.unsigned'));
    assert.equal(document.body.classList.contains('updating-firmware'), false, 'the page is unlocked');
});

test('a signed package refused by another rule gives that rule', async () => {
    await updateFirmware({
        outcome: ['downLoading', 'updatefailed'],
        trust: { Known: true, Trusted: false, Signer: 'Orvanta', Reason: 'the package needs Orvanta 2.0.0 or newer, this is 0.1.0' },
    });
    assert.equal(document.querySelector('#firmware-outcome').textContent, t('firmware.failed.refused'));
    assert.equal(document.querySelector('#firmware-trust').textContent,
        'Refused: the package needs Orvanta 2.0.0 or newer, this is 0.1.0.');
});

test('a download that failed on the network says nothing of signatures', async () => {
    await updateFirmware({ outcome: ['downLoading', 'updatefailed'], trust: { Known: false } });
    assert.equal(document.querySelector('#firmware-trust').hidden, true);
    assert.equal(document.querySelector('#firmware-outcome').textContent, t('firmware.failed.download'));
});

test('a pages package says who signed it, or that it was refused', async () => {
    for (const [reply, trust, result, said] of [
        [[true, '/app/tupdates/pages.pkg'], { Known: true, Trusted: true, Signer: 'Orvanta' }, t('pages.downloaded'), 'Signed by Orvanta.'],
        [[false, 'downloadFaild'], { Known: true, Trusted: false, Reason: 'not signed by a trusted key' }, '', 'Refused: not signed by a trusted key.'],
    ]) {
        const program = fakeProgram({
            answers: {
                DownloadFile: () => reply,
                GetUpdateTrust: () => [true, JSON.stringify(trust)],
                GetInstallation: () => [true, '{}'],
                ReadConf: () => [false, ''],
                GetSessionStart: () => [true, '{"Available":false}'],
                GetTrayState: () => [true, '{}'],
                GetCrashReports: () => [true, '[]'],
            },
        });
        const page = registeredPage('settings');
        const rendered = page.render({ client: program.client, brand: { name: 'Orvanta' } });
        document.body.replaceChildren(rendered.element);
        document.querySelector('#pages-address').value = 'https://updates.example/pages.pkg';
        click(document.querySelector('#pages-download'));
        await until(() => program.sent('GetUpdateTrust').length === 1, 'the question who signed it');
        await settle(5);
        assert.equal(program.sent('GetUpdateTrust')[0].downloadUrl, 'https://updates.example/pages.pkg');
        assert.equal(document.querySelector('#pages-result').textContent, result);
        assert.equal(document.querySelector('#pages-trust').textContent, said);
        rendered.dispose();
    }
});
