import { test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import layout from '../../pages/template/common/data/keyboard_layout.js';
import products from '../../pages/template/common/data/products.js';
import { Catalogue } from '../../pages/template/common/core/catalogue.js';
import { DeviceEditor } from '../../pages/template/common/core/device_editor.js';
import { ProfileDocument, SETTINGS_MODE } from '../../pages/template/common/core/profile.js';
import { defaultLayout, keyboardKeys, layoutIndex, lightingData, paint, recordAttributes } from '../../pages/template/common/core/keyboard.js';
import { definition, repo, familyTable } from './helpers.mjs';
import { fakeProgram } from './fake_program.mjs';
import { keySlot } from '../../pages/template/common/panels/keyboard_keys_panel.js';

const catalogue = new Catalogue(products, familyTable);

test('the drawing follows the program\'s lighting matrix, position for position', () => {
    // The matrix the program fills frames from.
    const source = fs.readFileSync(path.join(repo, 'device', 'key_name_tables.cpp'), 'utf8');
    const body = source.slice(source.indexOf('matrix = {'), source.indexOf('};', source.indexOf('matrix = {')));
    const native = [...body.matchAll(/"([^"]*)"/g)].map((m) => m[1]);
    assert.deepEqual(layout.matrix, native);
    const drawn = layout.rows.flatMap(([, keys]) => keys.map(([name]) => name));
    assert.deepEqual([...drawn].sort(), layout.matrix.filter(Boolean).sort(), 'every named position drawn once');
});

test('keys find their definition rows and where the family keeps them', () => {
    const tk1 = catalogue.productForKey('258A0049');
    const k1 = keyboardKeys(layout, definition('K1.0'), tk1);
    const byName = new Map(k1.map((k) => [k.name, k]));
    assert.equal(byName.get('A').position, 64);
    assert.deepEqual([byName.get('A').task, byName.get('A').button.index], ['A', 44]);
    assert.deepEqual([byName.get('LSHIFT').task, byName.get('LSHIFT').button.index], ['Left Shift', 141]);
    assert.equal(byName.get('FN').keyRow, null, 'no definition row, nothing to assign');
    const gKeys = k1.filter((k) => k.gKey);
    assert.deepEqual(gKeys.map((k) => k.button.index), [174, 175, 176, 177, 178, 179]);
    assert.ok(gKeys.every((k) => k.x < 0 && k.y + k.h <= layout.height + 1e-9), 'G keys left of the block, inside its height');
    const k2 = keyboardKeys(layout, definition('K2.0'), catalogue.productForKey('258A0150'));
    assert.ok(k2.every((k) => k.button === null), 'K2.0 keeps keys in its profile, not by Index');
});

test('a profile-mode keyboard\'s layout has one record per position, keys sending themselves', () => {
    const records = defaultLayout(layout, definition('K2.0'), { TaskManner: '0x01' });
    assert.equal(records.length, 126);
    assert.deepEqual(records.map((r) => r.Index), layout.matrix.map((_, i) => String(layoutIndex(i))));
    const at = (name) => records[layout.matrix.indexOf(name)];
    assert.deepEqual([at('A').Type, at('A').Value, at('A').PlayWay], ['Keyboard', 'A', '0x01']);
    // "+" cannot be named in a combination: the key's own code instead.
    assert.deepEqual([at('NUMPLUS').Type, at('NUMPLUS').Value], ['MultiMedia', '020057']);
    assert.deepEqual([at('FN').Type, records[1].Type, records[1].Name], ['', '', '-']);
    assert.ok(records.every((r) => Number(r.Index) >= 1000), 'clear of the setting indexes 21 and 43');
});

test('per-key colours travel as the items the program unwraps, unknown keys and bad colours left out', () => {
    const colours = new Map([['ESC', 'ff0000'], ['A', '00FF7F'], ['NOPE', 'FFFFFF'], ['B', 'red'], ['C', '12345']]);
    const data = lightingData(colours, layout);
    assert.equal(data, '["ESC#FF0000","A#00FF7F"]');
    // The program removes two characters at each end and splits on '","'.
    assert.deepEqual(data.slice(2, -2).split('","'), ['ESC#FF0000', 'A#00FF7F']);
    assert.equal(lightingData(new Map(), layout), '[]');
});

test('painting tools', () => {
    const names = ['ESC', 'F1', 'F2', 'A'];
    const start = new Map([['ESC', 'FF0000'], ['F1', 'FF0000'], ['A', '00FF00']]);
    assert.equal(paint(start, 'brush', 'F2', '0000ff').colours.get('F2'), '0000FF');
    assert.equal(paint(start, 'brush', 'F2', 'bad').colours.has('F2'), false);
    assert.equal(paint(start, 'eraser', 'ESC', '').colours.has('ESC'), false);
    const filled = paint(start, 'fill', 'ESC', 'FFFFFF', { names }).colours;
    assert.deepEqual([...filled].sort(), [['A', '00FF00'], ['ESC', 'FFFFFF'], ['F1', 'FFFFFF']]);
    assert.equal(paint(start, 'fill', 'F2', 'FFFFFF', { names }).colours.get('F2'), 'FFFFFF', 'unlit keys fill unlit keys');
    assert.equal(paint(start, 'fill', 'A', '123456', { names, all: true }).colours.size, 4);
    const picked = paint(start, 'picker', 'A', '');
    assert.equal(picked.picked, '00FF00');
    assert.deepEqual([...picked.colours], [...start]);
});

test('a K2.0 keyboard: the profile holds a change before the device is asked, and goes back when it refuses', async () => {
    let refuseNext = false;
    const program = fakeProgram({ refuse: () => refuseNext });
    const device = catalogue.describeDevice({ Version: '258A0150' });
    const driver = definition('K2.0');
    const session = new DeviceEditor({ client: program.client, device, driver, layout: defaultLayout(layout, driver) });
    assert.equal((await session.loadProfile()).created, true);
    const fileOf = () => ProfileDocument.parse(program.files['profile-258A0150.xml'], '258A0150', { settingsMode: SETTINGS_MODE });
    assert.equal(fileOf().layout().length, 126);

    // A key: the layout changes and the whole mode is written (Index 0).
    const a = layoutIndex(layout.matrix.indexOf('A'));
    const taken = await session.writeLayoutKey(a, recordAttributes({ TaskType: 'HotKey', Task: 'Ctrl+C', TaskCount: '1' }));
    assert.ok(taken.ok);
    const write = program.sent('WriteDevice').at(-1);
    assert.deepEqual([write.Index, write.DriverVersion], ['0', 'K2.0']);
    const saveBefore = program.commands.indexOf(write) - 1;
    assert.equal(program.commands[saveBefore].FuncName, 'ModifyFileFromStr', 'saved before the write');
    assert.equal(fileOf().layoutKey(a).Value, 'Ctrl+C');

    // Lighting: recorded under a name with "Light" in the settings mode.
    const lit = await session.write(21, { TaskType: 'Lights', Task: '0x01,0x05' }, { name: 'Lights', length: 10 });
    assert.ok(lit.ok);
    assert.deepEqual([fileOf().entry(21).Task, fileOf().keyElement(21).attr('Name')], ['0x01,0x05', 'Lights']);

    refuseNext = true;
    assert.equal((await session.writeLayoutKey(a, recordAttributes({ TaskType: 'MouseFunction', Task: 'LeftClick' }))).ok, false);
    assert.equal((await session.write(21, { TaskType: 'Lights', Task: '0x00' }, { name: 'Lights', length: 10 })).ok, false);
    assert.equal(fileOf().layoutKey(a).Value, 'Ctrl+C', 'refused: the layout is as before');
    assert.equal(fileOf().entry(21).Task, '0x01,0x05');
    assert.equal(session.profile.layoutKey(a).Value, 'Ctrl+C');

    // A damaged layout (a key missing) is made whole again on the next visit.
    const damaged = program.files['profile-258A0150.xml'].replace(/<Key Index="1005"[^>]*\/>/, '');
    const again = fakeProgram({ files: { 'profile-258A0150.xml': damaged } });
    const s2 = new DeviceEditor({ client: again.client, device, driver, layout: defaultLayout(layout, driver) });
    await s2.loadProfile();
    assert.equal(s2.profile.layout().length, 126);
    assert.equal(s2.profile.layoutKey(a).Value, 'Ctrl+C', 'what was assigned stays');
});

test('each family keeps a key where its writes expect it', async () => {
    const program = fakeProgram();
    const tk1 = catalogue.describeDevice({ Version: '258A0049' });
    const k1 = new DeviceEditor({ client: program.client, device: tk1, driver: definition('K1.0') });
    await k1.loadProfile();
    const keys = new Map(keyboardKeys(layout, definition('K1.0'), tk1.product).map((k) => [k.id, k]));
    assert.equal(keySlot(k1, keys.get('FN'), tk1.family), null, 'no row: cannot be changed');
    const g2 = keySlot(k1, keys.get('G2'), tk1.family);
    assert.equal(g2.read(), null, 'a G key does nothing until given something');
    assert.ok((await g2.write({ TaskType: 'MouseFunction', Task: 'Back', TaskCount: '1' })).ok);
    assert.deepEqual(['Index', 'TaskType', 'Task'].map((m) => program.sent('WriteDevice').at(-1)[m]), ['175', 'MouseFunction', 'Back']);
    assert.deepEqual(g2.read(), { kind: 'function', task: 'Back' });
    assert.equal(k1.profile.keyElement(175).attr('Name'), 'Button105');

    const tk2 = catalogue.describeDevice({ Version: '258A0150' });
    const driver = definition('K2.0');
    const k2 = new DeviceEditor({ client: program.client, device: tk2, driver, layout: defaultLayout(layout, driver) });
    await k2.loadProfile();
    const k2keys = new Map(keyboardKeys(layout, driver, tk2.product).map((k) => [k.id, k]));
    const esc = keySlot(k2, k2keys.get('ESC'), tk2.family);
    assert.deepEqual(esc.read(), { kind: 'keys', keys: ['Esc'] });
    assert.ok((await esc.write({ TaskType: 'GKey', Task: 'A|3|20', TaskCount: '1', TaskManner: '0x01' })).ok);
    assert.equal(program.sent('WriteDevice').at(-1).Index, '0');
    assert.deepEqual(esc.read(), { kind: 'rapid', key: 'A', count: 3, interval: 20 });
    assert.equal(k2.profile.layoutKey(layoutIndex(0)).PlayWay, '0x01');

    // Factory settings: the layout and the painted colours start over.
    k2.profile.setColours(new Map([['ESC', 'FF0000']]));
    assert.ok((await k2.restore()).ok);
    assert.deepEqual(esc.read(), { kind: 'keys', keys: ['Esc'] });
    assert.equal(k2.profile.colours().size, 0);
});

test('colours kept in a profile are read with care', () => {
    const text = '<Configuration><Conf><Key Index="2" Value="258A0150"/></Conf><Mode Index="0"/>'
        + '<Colours><Key Name="ESC" Colour="ff0000"/><Key Name="A" Colour="red"/><Key Colour="00FF00"/><Key Name="B" Colour="0000FF"/></Colours></Configuration>';
    const profile = ProfileDocument.parse(text, '258A0150', { settingsMode: SETTINGS_MODE });
    assert.deepEqual([...profile.colours()], [['ESC', 'FF0000'], ['B', '0000FF']]);
    assert.ok(profile.modeElement(SETTINGS_MODE), 'the settings mode is made');
    assert.deepEqual(profile.layout(), []);
    // Keys reordered by hand would shift every record after them.
    const records = defaultLayout(layout, definition('K2.0'));
    assert.equal(profile.ensureLayout(records), true);
    profile.setLayoutKey(records[1].Index, { Type: 'HotKey', Value: 'B' });
    const mode = profile.modeElement('0');
    const [first, second] = mode.elements('Key');
    mode.children = mode.children.filter((c) => c !== first && c !== second);
    mode.children.unshift(second, first);
    assert.equal(profile.ensureLayout(records), true);
    assert.deepEqual(profile.layout().slice(0, 2).map((k) => [k.Index, k.Value]), [['1000', 'Esc'], ['1001', 'B']]);
    assert.equal(profile.ensureLayout(records), false, 'a whole layout is left alone');
});
