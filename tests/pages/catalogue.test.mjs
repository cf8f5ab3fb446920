import { test } from 'node:test';
import assert from 'node:assert/strict';
import { Catalogue, writableButtons } from '../../pages/template/common/core/catalogue.js';
import { parseXml } from '../../pages/template/common/core/xml.js';
import products from '../../pages/template/common/data/products.js';
import { IMAGES } from '../../pages/template/common/ui/device_image.js';
import { snapDpi } from '../../pages/template/common/core/dpi.js';
import fs from 'node:fs';
import path from 'node:path';
import { definition, repo, familyTable } from './helpers.mjs';

const catalogue = new Catalogue(products, familyTable);

function ids(element, found = new Set()) {
    if (element.hasAttr('id'))
        found.add(element.attr('id'));
    element.elements().forEach((child) => ids(child, found));
    return found;
}

test('every product names a family the program serves, with buttons the family can write', () => {
    for (const product of catalogue.products) {
        const family = catalogue.family(product.family);
        assert.ok(family, product.id);
        // A family may be written with another's definition (K3.0 with K2.0's).
        const driver = definition(family.definition || product.family);
        assert.equal(driver.version, family.definition || product.family);
        assert.ok(IMAGES[product.image], `${product.id}: image ${product.image}`);
        if (family.kind !== 'mouse')
            continue;
        assert.equal(writableButtons(product, driver).length, product.buttons.length, `${product.id}: every button writable`);
        for (const b of product.buttons)
            if (b.factory.kind === 'function')
                assert.ok(driver.hasFunction(b.factory.task), `${product.id}: factory ${b.factory.task}`);
        assert.equal(snapDpi(product.dpi.max, product.dpi), product.dpi.max, `${product.id}: the top of the range is a step`);
        for (const rate of family.reportRates)
            assert.ok(rate.value > 0 && rate.value < 256);
        assert.ok(catalogue.lightingModes(family).length > 0);
    }
});

test('device pictures carry the button, leader and marker of every zone a product uses', () => {
    for (const [name, text] of Object.entries(IMAGES)) {
        const root = parseXml(text);
        assert.equal(root.name, 'svg', name);
    }
    const mouseIds = ids(parseXml(IMAGES.mouse));
    for (const product of catalogue.products.filter((p) => p.image === 'mouse')) {
        const zones = product.buttons.map((b) => b.zone);
        assert.equal(new Set(zones).size, zones.length, `${product.id}: one button per zone`);
        for (const zone of zones)
            for (const id of [`button${zone}`, `button${zone}-leader`, `button${zone}-marker`])
                assert.ok(mouseIds.has(id), `${product.id}: ${id}`);
    }
    assert.ok(mouseIds.has('led1'));
});

test('device keys find their product, the W1 range included', () => {
    assert.equal(catalogue.productForKey('258a1007').id, 'rx318-pro');
    assert.equal(catalogue.productForKey('25A7FA00').family, 'W1.0');
    assert.equal(catalogue.productForKey('25A7FAFF').family, 'W1.0');
    assert.equal(catalogue.productForKey('25A7FB00'), null);
    assert.equal(catalogue.productForKey('25A7FA9'), null);
    assert.equal(catalogue.describeDevice({ Version: '258A0016' }).kind, 'unknown');
    assert.equal(catalogue.describeDevice(null).kind, 'unknown');
});

test('every client-profile row\'s start page and music view are pages of the package', () => {
    const text = fs.readFileSync(path.join(repo, 'resources', 'file', 'confxml.xml'), 'utf8').replace(/^\uFEFF/, '');
    const root = parseXml(text);
    const rows = root.elements('client');
    assert.ok(rows.length >= 3);
    for (const row of rows)
        for (const attribute of ['LoadPath', 'MusicView']) {
            const address = row.attr(attribute);
            const match = /^http:\/\/pages\.orvanta\.test\/local\/(.+\.html)$/.exec(address);
            assert.ok(match, `${row.attr('Name')} ${attribute}: ${address}`);
            assert.ok(fs.existsSync(path.join(repo, 'pages', 'template', match[1])), `${row.attr('Name')} ${attribute}: ${match[1]}`);
        }
});
