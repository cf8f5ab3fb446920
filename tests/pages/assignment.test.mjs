import { test } from 'node:test';
import assert from 'node:assert/strict';
import { combinationFits, describe, fromRequest, functionGroup, normaliseKeys, toRequest } from '../../pages/template/common/core/assignment.js';
import { definition, t } from './helpers.mjs';

test('each kind of assignment becomes its request and comes back from it', () => {
    const m2 = definition('M2.0');
    const cases = [
        [{ kind: 'function', task: 'PlayPause' }, { TaskType: 'MouseFunction', Task: 'PlayPause', TaskCount: '1' }],
        [{ kind: 'keys', keys: ['A', 'Shift', 'Ctrl'] }, { TaskType: 'HotKey', Task: 'Ctrl+Shift+A', TaskCount: '1' }],
        [{ kind: 'keys', keys: ['Left Ctrl'] }, { TaskType: 'HotKey', Task: 'Left Ctrl', TaskCount: '1' }],
        [{ kind: 'rapid', key: 'F', count: 3, interval: 40 }, { TaskType: 'GKey', Task: 'F|3|40', TaskCount: '1' }],
        [{ kind: 'macro', steps: '按下(A)延迟(50)弹起(A)', repeat: 2 }, { TaskType: 'Macro', Task: '按下(A)延迟(50)弹起(A)', TaskCount: '2' }],
        [{ kind: 'disable' }, { TaskType: 'Disable', Task: '', TaskCount: '1' }],
    ];
    for (const [assignment, request] of cases) {
        assert.deepEqual(toRequest(assignment, m2), request);
        const back = fromRequest(request);
        assert.deepEqual(toRequest(back, m2), request);
    }
    // W1.0 has a function of its own for "does nothing".
    const w1 = definition('W1.0');
    assert.deepEqual(toRequest({ kind: 'disable' }, w1), { TaskType: 'MouseFunction', Task: 'Disable', TaskCount: '1' });
    assert.deepEqual(fromRequest({ TaskType: 'MouseFunction', Task: 'Disable' }), { kind: 'disable' });
    // Numbers out of the device's byte range are held to it.
    assert.equal(toRequest({ kind: 'rapid', key: 'A', count: 999, interval: -4 }).Task, 'A|255|0');
    assert.equal(toRequest({ kind: 'macro', steps: 'x', repeat: 0 }).TaskCount, '1');
    assert.equal(fromRequest({ TaskType: 'LightRGB', Task: 'FF0000' }), null);
    assert.equal(fromRequest({ TaskType: 'HotKey', Task: '+' }), null);
    assert.throws(() => toRequest({ kind: 'nonsense' }));
});

test('combinations are kept in modifier order and to what the family stores', () => {
    assert.deepEqual(normaliseKeys(['B', 'Win', 'A', 'Ctrl', 'A', '']), ['Ctrl', 'Win', 'B', 'A']);
    const mouse = { maxKeys: 2, modifiersAreKeys: false };
    const w1 = { maxKeys: 3, modifiersAreKeys: true };
    assert.ok(combinationFits(['Ctrl', 'Shift', 'Alt', 'A', 'B'], mouse));
    assert.ok(!combinationFits(['Ctrl', 'A', 'B', 'C'], mouse));
    assert.ok(combinationFits(['Ctrl', 'Shift', 'A'], w1));
    assert.ok(!combinationFits(['Ctrl', 'Shift', 'A', 'B'], w1));
    assert.ok(!combinationFits([], mouse));
});

test('assignments read as people name them', () => {
    const m4 = definition('M4.0');
    assert.equal(describe({ kind: 'function', task: 'DpiUp' }, t), 'DPI up');
    assert.equal(describe({ kind: 'function', task: 'SomethingNew' }, t), 'SomethingNew');
    assert.equal(describe({ kind: 'keys', keys: ['Ctrl', 'NUMENTER'] }, t, m4), 'Ctrl + Num Enter');
    assert.equal(describe({ kind: 'rapid', key: 'A', count: 3, interval: 30 }, t), 'Rapid fire A (3×, 30 ms)');
    assert.equal(describe({ kind: 'macro', steps: '按下(A) 延迟(10) 弹起(A)', repeat: 1 }, t), 'Macro, 3 steps, 1×');
    assert.equal(describe(null, t), 'Unknown');
    assert.equal(functionGroup('VolumeUp'), 'media');
    assert.equal(functionGroup('LiftDown'), 'dpi');
    assert.equal(functionGroup('Unheard'), 'other');
});
