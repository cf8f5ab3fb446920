import { openDialogElement, click, key, settle, type } from './dom.mjs';
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { pickAssignment } from '../../pages/template/common/ui/picker.js';
import { definition, familyTable } from './helpers.mjs';

// Opens the picker for a family with its definition; resolves the picker's
// promise and its dialog.
function openPicker(version, { buttonLength = NaN, current = null, factory = null } = {}) {
    const family = familyTable[version];
    const driver = definition(family.definition || version);
    const chosen = pickAssignment({ title: 'Button 1', driver, family, current, factory, buttonLength, extra: {} });
    const dialog = openDialogElement();
    assert.ok(dialog, 'the picker is a dialog');
    return { chosen, dialog, driver };
}

const groupsOf = (dialog) => [...dialog.querySelectorAll('section.pick-group')].map((s) => s.dataset.group);
const itemsOf = (dialog, group) => [...dialog.querySelectorAll(`section[data-group="${group}"] .pick-item`)].map((b) => b.textContent);

async function closeWith(dialog, chosen) {
    click(dialog.querySelector('#picker-cancel'));
    await settle();
    return chosen;
}

test('a keyboard is offered no DPI or lift-off functions; a mouse is', async () => {
    for (const version of ['K1.0', 'K2.0', 'K3.0']) {
        const { chosen, dialog } = openPicker(version);
        assert.ok(!groupsOf(dialog).includes('dpi'), `${version} has no DPI group`);
        const all = [...dialog.querySelectorAll('.pick-item')].map((b) => b.textContent).join('|');
        assert.ok(!/DPI|Lift/i.test(all), `${version} offers nothing of the sensor: ${all}`);
        assert.ok(itemsOf(dialog, 'media').length > 0, `${version} keeps its media keys`);
        assert.equal(await closeWith(dialog, chosen), null);
    }
    const { chosen, dialog } = openPicker('M1.0', { buttonLength: 4 });
    assert.ok(itemsOf(dialog, 'dpi').includes('DPI cycle') || itemsOf(dialog, 'dpi').length >= 3, itemsOf(dialog, 'dpi').join());
    assert.ok(groupsOf(dialog).includes('rapid'), 'a four-byte button takes rapid fire');
    await closeWith(dialog, chosen);
});

test('what the W1 family cannot do is said, not offered', async () => {
    const { chosen, dialog } = openPicker('W1.0', { buttonLength: 3 });
    assert.equal(itemsOf(dialog, 'media').length, 0);
    assert.ok(dialog.querySelector('section[data-group="media"] .cannot'), 'the media group says the mouse cannot');
    assert.ok(!groupsOf(dialog).includes('rapid'), 'no rapid fire');
    assert.ok(itemsOf(dialog, 'dpi').length > 0, 'it is a mouse: DPI functions stay');
    await closeWith(dialog, chosen);
});

test('choosing, searching and closing', async () => {
    let { chosen, dialog } = openPicker('M1.0', { buttonLength: 4, current: { kind: 'function', task: 'Back' } });
    // The present assignment is marked.
    const marked = [...dialog.querySelectorAll('.pick-item.current')].map((b) => b.textContent);
    assert.deepEqual(marked, ['Back']);
    click([...dialog.querySelectorAll('.pick-item')].find((b) => b.textContent === 'Forward'));
    assert.deepEqual(await chosen, { kind: 'function', task: 'Forward' });

    ({ chosen, dialog } = openPicker('M1.0', { buttonLength: 4 }));
    const search = dialog.querySelector('#picker-search');
    type(search, 'forw');
    const visible = [...dialog.querySelectorAll('.pick-item')].filter((b) => !b.hidden && !b.closest('[hidden]')).map((b) => b.textContent);
    assert.deepEqual(visible, ['Forward']);
    // While searching, no key capture or builder can take Enter.
    assert.ok(dialog.querySelector('section[data-group="combo"]').hidden);
    key(search, 'keydown', { key: 'Enter' });
    assert.deepEqual(await chosen, { kind: 'function', task: 'Forward' });

    ({ chosen, dialog } = openPicker('M1.0'));
    type(dialog.querySelector('#picker-search'), 'no such thing at all');
    assert.match(dialog.querySelector('.picker-groups [role="status"]').textContent, /no such thing at all/);
    key(dialog, 'keydown', { key: 'Escape' });
    await settle();
    assert.equal(await chosen, null);
    assert.equal(openDialogElement(), null);
});

test('a combination is taken only when the family can store it', async () => {
    // M families keep a modifier mask and two keys.
    let { chosen, dialog } = openPicker('M1.0', { buttonLength: 4 });
    const boxes = [...dialog.querySelectorAll('.combo input[type="checkbox"]')];
    boxes.find((b) => b.value === 'Ctrl').checked = true;
    boxes.find((b) => b.value === 'Shift').checked = true;
    const [first, second] = dialog.querySelectorAll('.combo select');
    first.value = 'A';
    second.value = 'B';
    click(dialog.querySelector('#combo-use'));
    assert.deepEqual(await chosen, { kind: 'keys', keys: ['Ctrl', 'Shift', 'A', 'B'] });

    // W1 counts modifiers as keys, three at most: the same is refused and
    // said, and the dialog stays open.
    ({ chosen, dialog } = openPicker('W1.0', { buttonLength: 3 }));
    const w1Boxes = [...dialog.querySelectorAll('.combo input[type="checkbox"]')];
    w1Boxes.find((b) => b.value === 'Ctrl').checked = true;
    w1Boxes.find((b) => b.value === 'Shift').checked = true;
    const [a, b] = dialog.querySelectorAll('.combo select');
    a.value = 'A';
    b.value = 'B';
    click(dialog.querySelector('#combo-use'));
    await settle();
    assert.ok(dialog.open, 'nothing was chosen');
    assert.match(dialog.querySelector('.combo').parentElement.querySelector('.hint').textContent, /3/);
    await closeWith(dialog, chosen);
});
