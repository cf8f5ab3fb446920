import { test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import en from '../../pages/template/common/strings/en.js';
import zh from '../../pages/template/common/strings/zh.js';
import { format, startLanguage, supportedLanguage } from '../../pages/template/common/core/i18n.js';
import { fakeProgram } from './fake_program.mjs';
import { Catalogue } from '../../pages/template/common/core/catalogue.js';
import products from '../../pages/template/common/data/products.js';
import { definition, FAMILIES, here, familyTable } from './helpers.mjs';
import { SHORTCUTS, SOFTWARE_MODES } from '../../pages/template/common/core/virtual_map.js';
import { BUTTON_IDS } from '../../pages/template/common/core/macro.js';
import { ACCELERATION_CHOICES } from '../../pages/template/common/core/pointer.js';

const common = path.join(here, '..', '..', 'pages', 'template', 'common');

function sources(folder) {
    return fs.readdirSync(folder, { withFileTypes: true }).flatMap((entry) => {
        const full = path.join(folder, entry.name);
        if (entry.isDirectory())
            return entry.name === 'strings' ? [] : sources(full);
        return entry.name.endsWith('.js') ? [full] : [];
    });
}

test('English and Chinese have the same keys, none of them empty', () => {
    assert.deepEqual(Object.keys(zh).sort(), Object.keys(en).sort());
    for (const table of [en, zh])
        for (const [key, text] of Object.entries(table))
            assert.ok(typeof text === 'string' && text.trim().length, key);
    // The same place markers in both.
    for (const key of Object.keys(en)) {
        const markers = (text) => (text.match(/\{\w+\}/g) || []).sort().join();
        assert.equal(markers(zh[key]), markers(en[key]), key);
    }
});

test('every text the code asks for is in the tables', () => {
    const used = new Set();
    for (const file of sources(common)) {
        const text = fs.readFileSync(file, 'utf8');
        for (const m of text.matchAll(/\bt\(\s*'([^'$]+)'/g))
            used.add(m[1]);
        for (const m of text.matchAll(/\btitle: '([a-z]+\.[A-Za-z.]+)'/g))
            used.add(m[1]);
    }
    // Keys built from data: function names of every definition, product
    // button labels, lighting modes, device kinds, picker groups.
    for (const version of FAMILIES)
        for (const row of definition(version).functions())
            used.add(`fn.${row.Task}`);
    const catalogue = new Catalogue(products, familyTable);
    for (const product of catalogue.products) {
        for (const b of product.buttons || [])
            used.add(`button.${b.label}`);
        for (const m of catalogue.lightingModes(catalogue.family(product.family)))
            used.add(`lighting.mode.${m.name}`);
        used.add(`kind.${catalogue.family(product.family).kind}`);
    }
    for (const g of ['mouse', 'dpi', 'media', 'profile', 'other'])
        used.add(`picker.group.${g}`);
    // Keys built from the keyboard, macro, pointer, remapping and firmware
    // modules' own lists.
    for (const family of Object.values(catalogue.families))
        for (const m of family.macroModes || [])
            used.add(`macro.mode.${m.name}`);
    for (const m of SOFTWARE_MODES)
        used.add(`macro.mode.${m.name}`);
    for (const s of SHORTCUTS)
        used.add(`assign.shortcut.${s}`);
    for (const id of Object.values(BUTTON_IDS))
        used.add(`macro.button.${id}`);
    for (const c of ACCELERATION_CHOICES)
        used.add(`pointer.accel.${c.name}`);
    for (const key of ['brush', 'fill', 'picker', 'eraser'].map((x) => `colours.tool.${x}`)
        .concat(['flash', 'address', 'download', 'program'].map((x) => `firmware.failed.${x}`))
        .concat(['empty', 'full', 'keys', 'buttons', 'held'].map((x) => `macro.problem.${x}`))
        .concat(['tap', 'keyDown', 'keyUp', 'click', 'buttonDown', 'buttonUp', 'delay', 'wheelDown', 'wheelUp', 'move'].map((x) => `macro.insert.${x}`))
        .concat(['macro.keyDown', 'macro.keyUp', 'macro.buttonDown', 'macro.buttonUp', 'macro.wheelUp', 'macro.wheelDown'])
        .concat(['start', 'rule', 'noRule', 'desktop', 'manual'].map((x) => `presets.why.${x}`))
        .concat(['nameEmpty', 'nameLong', 'nameControl', 'nameTaken', 'tooMany', 'missing', 'removeDefault'].map((x) => `presets.${x}`))
        .concat(['appEmpty', 'appBad', 'tooMany'].map((x) => `rules.${x}`)))
        used.add(key);
    assert.ok(used.size > 150);
    const missing = [...used].filter((key) => !(key in en));
    assert.deepEqual(missing, []);
});

test('texts are filled and languages recognised', () => {
    assert.equal(format('{n} devices, {n} left {x}', { n: 2 }), '2 devices, 2 left {x}');
    assert.equal(supportedLanguage('zh-CN'), 'zh');
    assert.equal(supportedLanguage('en'), 'en');
    assert.equal(supportedLanguage('de'), '');
});

test('the pages start in the kept language, else keep the desktop\'s for the tray', async () => {
    const conf = {};
    const answers = {
        ReadConf: (c) => (conf[c.KeyName] ? [true, conf[c.KeyName]] : [false, 'File Or KeyName does not exist']),
        WriteConf: (c) => { conf[c.KeyName] = c.WriteData; return [true, 'Write Success']; },
        GetDefaultLanguage: () => [true, 'zh'],
    };
    const first = fakeProgram({ answers });
    assert.equal(await startLanguage(first.client), 'zh');
    assert.equal(conf.Language, 'zh');
    conf.Language = 'en';
    const later = fakeProgram({ answers });
    assert.equal(await startLanguage(later.client), 'en');
    assert.equal(later.sent('WriteConf').length, 0);
    assert.equal(later.sent('GetDefaultLanguage').length, 0);
});
