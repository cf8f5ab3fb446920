import { test } from 'node:test';
import assert from 'node:assert/strict';
import { Remapping, SoftwareDefinition, assignmentOf, buttonId, readAssignments, triggerOf, virtualButtons,
    virtualDocument } from '../../pages/template/common/core/virtual_map.js';
import { parseXml } from '../../pages/template/common/core/xml.js';
import { macroScheme } from '../../pages/template/common/core/macro.js';
import { fakeProgram } from './fake_program.mjs';
import fs from 'node:fs';
import path from 'node:path';
import { repo } from './helpers.mjs';

const drive = (name) => fs.readFileSync(path.join(repo, 'resources', 'drive', `${name}.xml`), 'utf8');

test('the key value table serves as the software player\'s definition', () => {
    const d = SoftwareDefinition.fromDefine(drive('Define'));
    assert.deepEqual(d.functions().map((r) => r.Task), ['LeftClick', 'RightClick', 'MiddleClick', 'Back', 'Forward']);
    assert.ok(d.hasFunction('Back') && !d.hasFunction('DpiUp'));
    assert.deepEqual(d.modifiers().map((r) => r.Task), ['Ctrl', 'Shift', 'Alt', 'Win']);
    assert.equal(d.keyByName('Num 1').Code, '59');
    assert.equal(d.keyForEvent(65, 0).Task, 'A');
    assert.equal(d.rowByTask('GKey'), null, 'no rapid fire');
    assert.ok(Number.isNaN(macroScheme(d, null).slot), 'no slot to fill');
    assert.throws(() => SoftwareDefinition.fromDefine('<Driver/>'));
});

test('the VirtualStr document carries each assigned button with its own attributes', () => {
    const buttons = virtualButtons(drive('Virtual'));
    assert.deepEqual(buttons.map(buttonId), ['4:10', '16:10', '64:10', '256:10']);
    const assignments = new Map([
        ['4:10', { kind: 'keys', keys: ['C', 'Ctrl'] }],
        ['16:10', { kind: 'macro', steps: '按下(A)延迟(20)弹起(A)', repeat: 3, mode: '2' }],
        ['64:10', { kind: 'disable' }],
    ]);
    const text = virtualDocument(buttons, assignments);
    const root = parseXml(text);
    assert.equal(root.name, 'map');
    const [right, middle, back] = root.elements();
    assert.deepEqual(['scancode', 'flag', 'type', 'playtype', 'playcount'].map((a) => right.attr(a)), ['4', '10', 'Keyboard', '0', '1']);
    assert.equal(right.elements()[0].attr('value'), 'Ctrl+C');
    assert.deepEqual(['type', 'playtype', 'playcount', 'playdelay', 'playauxiliary'].map((a) => middle.attr(a)), ['Macro', '2', '3', '0', '0']);
    assert.equal(middle.elements()[0].attr('value'), '按下(A)延迟(20)弹起(A)');
    assert.deepEqual([back.attr('type'), back.elements()[0].attr('value')], ['Macro', ''], 'taken, playing nothing');
    assert.equal(root.elements().length, 3, 'the forward button stays the mouse\'s own');
    assert.deepEqual(readAssignments(text), new Map([
        ['4:10', { kind: 'keys', keys: ['Ctrl', 'C'] }],
        ['16:10', { kind: 'macro', steps: '按下(A)延迟(20)弹起(A)', repeat: 3, mode: '2' }],
        ['64:10', { kind: 'disable' }],
    ]));
});

test('what the player cannot play is not written; saved documents are read with care', () => {
    assert.equal(triggerOf({ kind: 'function', task: 'DpiUp' }), null);
    assert.equal(triggerOf({ kind: 'text', text: '' }), null);
    assert.equal(triggerOf({ kind: 'text', text: 'x'.repeat(5000) }).value.length, 2000);
    assert.equal(triggerOf({ kind: 'macro', steps: '按下(A)', repeat: 1, mode: '9' }).playtype, '1');
    assert.deepEqual(triggerOf({ kind: 'shortcut', target: 'calculatrice' }).type, 'shortcut');
    assert.equal(assignmentOf(parseXml('<key type="Mouse"><task value="Eject"/></key>')), null);
    assert.deepEqual(assignmentOf(parseXml('<key type="text"><task value="hi"/></key>')), { kind: 'text', text: 'hi' });
    assert.deepEqual(readAssignments('<map><key scancode="x" flag="10" type="text"><task value="hi"/></key></map>'), new Map());
    assert.deepEqual(readAssignments('not xml'), new Map());
});

test('a change is in effect at once and kept; recording pauses it', async () => {
    const program = fakeProgram();
    const remapping = await new Remapping(program.client).load();
    assert.equal(remapping.buttons.length, 4);
    assert.deepEqual(await remapping.apply(), { ok: true, text: '' }, 'nothing saved, nothing sent');
    assert.equal(program.sent('RefreshVirtualDrive').length, 0);

    assert.ok((await remapping.set('4:10', { kind: 'function', task: 'Back' })).ok);
    assert.match(program.sent('RefreshVirtualDrive')[0].VirtualStr, /type="MouseFunction"/);
    assert.equal(readAssignments(program.files['remap.xml']).get('4:10').task, 'Back');

    await remapping.pause();
    await remapping.pause();
    assert.equal(program.sent('RefreshVirtualDrive').length, 2, 'one pause');
    assert.doesNotMatch(program.sent('RefreshVirtualDrive')[1].VirtualStr, /<key/);
    await remapping.resume();
    assert.match(program.sent('RefreshVirtualDrive')[2].VirtualStr, /MouseFunction/);

    // Giving the last button back empties the map, which the program
    // answers as refused although it did what was asked.
    assert.ok((await remapping.set('4:10', null)).ok);
    assert.equal(remapping.assignments.size, 0);

    const next = await new Remapping(fakeProgram({ files: { 'remap.xml': program.files['remap.xml'] } }).client).load();
    assert.equal(next.assignments.size, 0);
});

test('a change the program refuses is neither in effect nor saved', async () => {
    const program = fakeProgram({ answers: { RefreshVirtualDrive: () => [false, 'RefreshVirtualDrive failed!'] } });
    const remapping = await new Remapping(program.client).load();
    const result = await remapping.set('16:10', { kind: 'text', text: 'hello' });
    assert.equal(result.ok, false);
    assert.equal(remapping.assignments.size, 0);
    assert.equal(program.files['remap.xml'], undefined);
    // Without the program's map there is nothing to take over.
    const none = await new Remapping(fakeProgram({ answers: { GetVirtualDevice: () => [true, ''] } }).client).load();
    assert.deepEqual(none.buttons, []);
    await none.pause();
});
