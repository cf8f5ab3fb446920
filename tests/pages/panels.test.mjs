import { test } from 'node:test';
import assert from 'node:assert/strict';
import { loadState } from '../../pages/template/common/panels/dpi_panel.js';
import { keysFromEvent, rapidFireFits } from '../../pages/template/common/ui/picker.js';
import { parseRoute, routeHash } from '../../pages/template/common/ui/registry.js';
import { Catalogue } from '../../pages/template/common/core/catalogue.js';
import { ProfileDocument } from '../../pages/template/common/core/profile.js';
import { parseDpiStages } from '../../pages/template/common/core/readback.js';
import products from '../../pages/template/common/data/products.js';
import { definition, familyTable } from './helpers.mjs';

const catalogue = new Catalogue(products, familyTable);

// A session whose device answers from the given properties (as the program's
// read commands give them) and whose profile is the given document.
function fakeSession(profile, { summary = {}, stages = {} } = {}) {
    return {
        entry: (index) => profile.entry(index),
        summary: async () => summary,
        // Each stage: [x, y] or [x, y, mode, colour], as the device holds it;
        // the current stage from the summary's curDpi.
        dpiStages: async (dpiIndexes) => {
            const reply = {
                Current: summary.curDpi || '0',
                Stages: dpiIndexes.map((dpiIndex) => {
                    const [x, y, mode, colour] = stages[dpiIndex] || [0, 0, 0, '000000'];
                    const stage = { DpiXVal: String(x), DpiYVal: String(y) };
                    if (mode !== undefined)
                        Object.assign(stage, { DpiModeVal: String(mode), DpiRGBVal: colour });
                    return stage;
                }),
            };
            return parseDpiStages(JSON.stringify(reply));
        },
    };
}

function ctxFor(key, profile, device) {
    const described = catalogue.describeDevice({ Version: key });
    return {
        session: fakeSession(profile, device), driver: definition(described.familyVersion),
        product: described.product, family: described.family,
    };
}

test('an M family mouse shows what it holds: stages in use, values, the active stage', async () => {
    const profile = ProfileDocument.create({ deviceKey: '258A100A' });
    // Written from here once; the device was changed elsewhere since.
    profile.record(51, { TaskType: 'DPI', Task: '1|16000|16000|00FF80' });
    profile.record(50, { TaskType: 'DPI', Task: '1|800|800|FF0000' });
    const state = await loadState(ctxFor('258A100A', profile, {
        summary: { curDpi: '2' },
        stages: { 0: [800, 800, 1, '000000'], 1: [16000, 16000, 1, '00FF80'], 2: [1600, 3200, 0, '0000FF'] },
    }));
    assert.equal(state.count, 3, 'the leading stages that hold a value');
    assert.equal(state.current, 2);
    assert.deepEqual(state.values.slice(0, 3).map((v) => [v.x, v.y, v.linked]), [[800, 800, true], [16000, 16000, true], [1600, 3200, false]]);
    // The colour the device holds, black included, not this computer's
    // record or a default: a DPI change writes it back as it is.
    assert.deepEqual(state.values.slice(0, 3).map((v) => v.colour), ['000000', '00FF80', '0000FF']);
    assert.equal(state.values[3].unset, true, 'an empty stage is offered, not taken for the device\'s');
    assert.equal(state.countIndex, 47);

    // A mode the device holds as apart stays apart even when X equals Y.
    const apart = await loadState(ctxFor('258A100A', ProfileDocument.create({ deviceKey: '258A100A' }), {
        stages: { 0: [800, 800, 0, 'FFFFFF'] },
    }));
    assert.equal(apart.values[0].linked, false);
    // An answer without the detail (an older program) keeps the values.
    const plain = await loadState(ctxFor('258A100A', ProfileDocument.create({ deviceKey: '258A100A' }), {
        stages: { 0: [1200, 1200] },
    }));
    assert.deepEqual([plain.values[0].x, plain.values[0].linked], [1200, true]);
});

test('a W1 mouse shows the profile, else its factory values, and all its stages', async () => {
    const profile = ProfileDocument.create({ deviceKey: '25A7FA91' });
    profile.record(48, { TaskType: 'SwitchProfile', Task: '0x03' });
    profile.record(202, { TaskType: 'DPIRGB', Task: '123456' });
    profile.record(52, { TaskType: 'DPI', Task: '0|2000|1000' });
    profile.record(203, { TaskType: 'DPIRGB', Task: 'not a colour' });
    const state = await loadState(ctxFor('25A7FA91', profile));
    assert.equal(state.count, 8);
    assert.equal(state.current, 3);
    assert.ok(Number.isNaN(state.countIndex));
    assert.deepEqual([state.values[0].x, state.values[0].colour], [800, 'FF0000']);
    assert.equal(state.values[1].colour, '123456');
    assert.deepEqual([state.values[2].x, state.values[2].y, state.values[2].linked], [2000, 1000, false]);
    assert.equal(state.values[3].colour, 'FFFF00', 'a damaged colour falls back');
});

test('a key event becomes the keys the picker offers', () => {
    const m1 = definition('M1.0');
    const event = (keyCode, more = {}) => Object.assign({ keyCode, location: 0, ctrlKey: false, shiftKey: false, altKey: false, metaKey: false }, more);
    assert.deepEqual(keysFromEvent(event(65, { ctrlKey: true, shiftKey: true }), m1), { mods: ['Ctrl', 'Shift'], key: 'A', isModifierKey: false });
    assert.deepEqual(keysFromEvent(event(17, { ctrlKey: true, location: 2 }), m1), { mods: ['Ctrl'], key: 'Right Ctrl', isModifierKey: true });
    assert.equal(keysFromEvent(event(229), m1).key, null);
});

test('rapid fire is offered where its code fits the button', () => {
    assert.ok(rapidFireFits(definition('M1.0'), 4));
    assert.ok(rapidFireFits(definition('M2.0'), 8));
    assert.ok(!rapidFireFits(definition('W1.0'), 3));
});

test('routes read back what they were made of, and survive damaged addresses', () => {
    assert.deepEqual(parseRoute(routeHash('device', '258A1007', 'dpi')), { page: 'device', params: ['258A1007', 'dpi'] });
    assert.deepEqual(parseRoute(''), { page: 'devices', params: [] });
    assert.deepEqual(parseRoute('#/device/%E0%A4%A/x'), { page: 'device', params: ['', 'x'] });
    assert.equal(routeHash('a b', '#/'), '#/a%20b/%23%2F');
});
