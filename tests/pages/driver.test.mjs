import { test } from 'node:test';
import assert from 'node:assert/strict';
import { definition, FAMILIES } from './helpers.mjs';

test('functions are the rows whose code has exactly their length in bytes', () => {
    const m1 = definition('M1.0');
    const w1 = definition('W1.0');
    const names = (d) => d.functions().map((r) => r.Task);
    assert.ok(names(m1).includes('DpiPosition'));
    assert.ok(names(m1).includes('PlayPause'));
    assert.ok(!names(m1).includes('HotKey'), 'templates are no functions');
    assert.ok(!names(m1).includes('GLeft'), 'macro button codes are no functions');
    // W1.0 keeps four-byte codes on three-byte rows for these: not offered.
    for (const stored of ['DpiPosition', 'PlayPause', 'ModeShift'])
        assert.ok(!names(w1).includes(stored), stored);
    assert.ok(w1.hasFunction('Disable') && !m1.hasFunction('Disable'));
});

test('every family gives keys, modifiers, buttons and stages as its document has them', () => {
    for (const version of FAMILIES) {
        const d = definition(version);
        assert.equal(d.version, version);
        assert.deepEqual(d.modifiers().map((r) => r.Task), ['Ctrl', 'Shift', 'Alt', 'Win'], version);
        assert.ok(d.keys().length >= 104, version);
        assert.ok(!d.keys().some((r) => ['Ctrl', 'Shift', 'Alt', 'Win'].includes(r.Task)), version);
    }
    const m4 = definition('M4.0');
    assert.equal(m4.buttons().length, 30);
    assert.equal(m4.buttons()[0].length, 8);
    assert.equal(m4.dpiStages().length, 10);
    assert.equal(m4.settingIndex('pDpiCount'), 47);

    // W1.0 writes by address: only rows with one count.
    const w1 = definition('W1.0');
    assert.ok(w1.addressed && !m4.addressed);
    assert.deepEqual(w1.buttons().map((b) => b.index), Array.from({ length: 16 }, (_, i) => 61 + i));
    const stages = w1.dpiStages();
    assert.equal(stages.length, 8);
    assert.deepEqual([stages[0].index, stages[0].colourIndex, stages[7].index, stages[7].colourIndex], [50, 201, 57, 208]);
    assert.ok(Number.isNaN(w1.settingIndex('pDpiCount')));
    assert.ok(Number.isNaN(w1.settingIndex('pWheelSpeed')));
    assert.equal(w1.settingIndex('pLights'), 42);
    assert.ok(definition('K2.0').dpiStages().length === 0);
});

test('a key event finds its row by virtual-key code and location', () => {
    const m1 = definition('M1.0');
    const m4 = definition('M4.0');
    assert.equal(m1.keyForEvent(65, 0).Task, 'A');
    assert.equal(m1.keyForEvent(13, 0).Task, 'Enter');
    assert.equal(m1.keyForEvent(13, 3).Task, 'Num Enter');
    assert.equal(m1.keyForEvent(17, 1).Task, 'Left Ctrl');
    assert.equal(m1.keyForEvent(17, 2).Task, 'Right Ctrl');
    assert.equal(m1.keyForEvent(91, 2).Task, 'Right Windows');
    assert.equal(m1.keyForEvent(91, 1).Task, 'Left Windows');
    assert.equal(m4.keyForEvent(97, 3).Task, 'Num1', 'M4.0 names the pad digits its own way');
    assert.equal(m4.keyForEvent(13, 3).Task, 'NUMENTER');
    assert.equal(m4.keyForEvent(13, 0).Task, 'Enter');
    assert.equal(m1.keyForEvent(250, 0), null);
});
