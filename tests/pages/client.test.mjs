import { test } from 'node:test';
import assert from 'node:assert/strict';
import { CommandClient, failureText } from '../../pages/template/common/core/client.js';
import { t } from './helpers.mjs';

// A page interface whose answers the test gives.
function fakePage() {
    const page = { sent: [], callbacks: {}, registrations: 0 };
    page.client = new CommandClient({
        query: (q) => page.sent.push(q),
        subscribe: (name, fn) => {
            page.registrations += 1;
            if (!page.callbacks[name])
                page.callbacks[name] = fn;
        },
    });
    return page;
}

test('answers resolve the request they belong to, once', async () => {
    const page = fakePage();
    const first = page.client.send('WriteConf', { KeyName: 'Language', WriteData: 'zh' });
    const second = page.client.send('GetDevicesList');
    assert.deepEqual(JSON.parse(page.sent[0].request), { FuncName: 'WriteConf', KeyName: 'Language', WriteData: 'zh' });
    page.sent[1].onFailure(0, 'nope');
    page.sent[0].onSuccess('Write Success');
    page.sent[0].onFailure(0, 'late');
    assert.deepEqual(await first, { ok: true, text: 'Write Success' });
    assert.deepEqual(await second, { ok: false, code: 0, text: 'nope' });
    const log = page.client.log();
    assert.deepEqual(log.map((e) => e.outcome), ['success', 'failure 0']);
});

test('a command that never answers ends as "no reply"', async () => {
    const page = fakePage();
    const result = await page.client.send('savexml', {}, { timeout: 5 });
    assert.deepEqual(result, { ok: false, noReply: true, text: '' });
    assert.equal(failureText(result, t), t('error.noReply'));
    await page.client.send('savexml', {}, { timeout: 5, quietNoReply: true });
    assert.deepEqual(page.client.log().map((e) => e.outcome), ['no reply', 'nothing to do']);
});

test('every listener of an event gets it through one registration', () => {
    const page = fakePage();
    const got = [];
    const stop = page.client.on('onDeviceData', (args) => got.push(`a:${args[0]}`));
    page.client.on('onDeviceData', () => {
        throw new Error('a broken listener');
    });
    page.client.on('onDeviceData', (args) => got.push(`c:${args[0]}`));
    assert.equal(page.registrations, 1);
    const original = console.error;
    console.error = () => {};
    try {
        page.callbacks.onDeviceData(['5,1a']);
        stop();
        page.callbacks.onDeviceData('not an array');
    } finally {
        console.error = original;
    }
    assert.deepEqual(got, ['a:5,1a', 'c:5,1a', 'c:undefined']);
});

test('failures say who refused', () => {
    assert.equal(failureText({ ok: false, code: 0, text: 'writeDevices failed!' }, t), t('error.deviceRefused'));
    assert.equal(failureText({ ok: false, code: 0, text: 'Write Faile' }, t), t('error.settingsNotSaved'));
    assert.match(failureText({ ok: false, code: 0, text: 'OpenEXE Faile' }, t), /OpenEXE Faile/);
    assert.equal(failureText({ ok: true, text: '' }, t), '');
});
