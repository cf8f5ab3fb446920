import { test } from 'node:test';
import assert from 'node:assert/strict';
import { MacroRecorder, heldAtEnd, insertSteps, macroBytes, macroProblems, macroScheme, moveStep, parseStepsText, removeStep,
    setAllDelays, setDelay, stepsForScheme, stepsText } from '../../pages/template/common/core/macro.js';
import { LIBRARY_PATH, changeLibrary, exportText, findMacro, freeName, importText, libraryXml, parseLibrary, readLibrary, replacesAnother, withMacro } from '../../pages/template/common/core/macro_library.js';
import { fromRequest, toRequest } from '../../pages/template/common/core/assignment.js';
import { definition, familyTable } from './helpers.mjs';
import { fakeProgram } from './fake_program.mjs';

const key = (k, down = true) => ({ type: 'key', down, key: k });
const wait = (ms) => ({ type: 'delay', ms });

test('steps are written in the program\'s step words and read back', () => {
    const steps = [key('Left Ctrl'), key('A'), wait(100), key('A', false), key('Left Ctrl', false),
        { type: 'button', down: true, button: '左键' }, { type: 'button', down: false, button: '左键' },
        { type: 'wheel', up: false }, { type: 'wheel', up: true }, { type: 'move', x: 16, y: -5 }];
    const text = stepsText(steps);
    assert.equal(text, '按下(Left Ctrl)按下(A)延迟(100)弹起(A)弹起(Left Ctrl)按下(左键)弹起(左键)滚轮(下滚)滚轮(上滚)相对位移XY(10,fffb)');
    assert.deepEqual(parseStepsText(text), { steps, skipped: 0 });
    // Keys whose names hold blanks or "+" are steps like any other.
    assert.deepEqual(parseStepsText(' 按下 ( Num + ) 弹起(Num +)').steps, [key('Num +'), key('Num +', false)]);
});

test('the text form shows in the interface language and reads in either', async () => {
    const { stepWords } = await import('../../pages/template/common/core/macro.js');
    const steps = [{ type: 'key', down: true, key: 'A' }, { type: 'delay', ms: 30 }, { type: 'button', down: false, button: '左键' },
        { type: 'wheel', up: true }, { type: 'move', x: -5, y: 10 }];
    const english = stepsText(steps, stepWords('en'));
    assert.equal(english, 'Press(A)Delay(30)Release(Left button)Wheel(Up)MoveXY(fffb,a)');
    assert.equal(stepsText(steps, stepWords('zh')), stepsText(steps));
    assert.deepEqual(parseStepsText(english).steps, steps);
    // Mixed, in any case, arrow keys named Up left as keys.
    assert.deepEqual(parseStepsText('press(Up)延迟(5)RELEASE(Up)').steps,
        [{ type: 'key', down: true, key: 'Up' }, { type: 'delay', ms: 5 }, { type: 'key', down: false, key: 'Up' }]);
    // What is stored stays in the program's words.
    assert.ok(stepsText(parseStepsText(english).steps).startsWith('按下(A)延迟(30)弹起(左键)'));
});

test('a step text from a file is not trusted', () => {
    const { steps, skipped } = parseStepsText('按下(A)跳(B)延迟(-5)延迟(99999999)相对位移XY(1)滚轮(侧滚)弹起()按下(B');
    assert.deepEqual(steps, [key('A'), wait(65535)]);
    assert.equal(skipped, 6);
    assert.equal(parseStepsText('x'.repeat(300000)).steps.length, 0);
    assert.ok(parseStepsText('按下(A)'.repeat(5000)).steps.length <= 2000);
});

test('the room a macro takes follows how each family stores it', () => {
    const tap = [key('A'), key('A', false), wait(100)];
    // M1.0: three bytes a step and the end record (12 bytes, as the
    // program writes them); M2.0 and M4.0 keep the repeat in the button.
    assert.equal(macroBytes(tap, macroScheme(definition('M1.0'), familyTable['M1.0'])), 12);
    assert.equal(macroBytes(tap, macroScheme(definition('M2.0'), familyTable['M2.0'])), 9);
    assert.equal(macroScheme(definition('K1.0'), familyTable['K1.0']).slot, 200);
    // W1.0: count, actions of three bytes each followed by one pause of
    // two, two end bytes and a check byte; moves are not played there.
    const w1 = macroScheme(definition('W1.0'), familyTable['W1.0']);
    assert.equal(w1.slot, 383);
    assert.equal(macroBytes([key('A'), wait(10)], w1), 9);
    assert.deepEqual(stepsForScheme([wait(5), key('A'), key('B'), wait(10), wait(20), { type: 'move', x: 1, y: 1 }, key('A', false)], w1),
        [key('A'), wait(0), key('B'), wait(30), key('A', false), wait(0)]);
    const m1 = definition('M1.0');
    const long = Array.from({ length: 70 }, () => key('A'));
    assert.deepEqual(macroProblems(long, macroScheme(m1, familyTable['M1.0']), m1), ['full']);
    assert.deepEqual(macroProblems([wait(5)], macroScheme(m1, familyTable['M1.0']), m1), ['empty']);
    assert.deepEqual(macroProblems([key('Nope'), { type: 'button', down: true, button: '中键' }], macroScheme(m1, familyTable['M1.0']), m1), ['keys', 'buttons']);
    assert.deepEqual(macroProblems([key('Ctrl'), key('Left Shift')], macroScheme(m1, familyTable['M1.0']), m1), [], 'modifier names are keys');
    assert.deepEqual(heldAtEnd([key('A'), key('B'), key('A', false)]), ['key:B']);
});

test('editing steps', () => {
    const steps = [key('A'), wait(10), key('A', false)];
    assert.deepEqual(insertSteps(steps, 1, [key('B')]).map((s) => s.key || s.ms), ['A', 'B', 10, 'A']);
    assert.deepEqual(insertSteps(steps, 99, [wait(1)]).length, 4);
    assert.deepEqual(removeStep(steps, 1), [key('A'), key('A', false)]);
    assert.deepEqual(moveStep(steps, 2, 0)[0], key('A', false));
    assert.deepEqual(moveStep(steps, 0, 5), steps, 'out of range: unchanged');
    assert.equal(setDelay(steps, 1, '250')[1].ms, 250);
    assert.equal(setDelay(steps, 0, 5)[0].type, 'key', 'only pauses take a delay');
    assert.deepEqual(setAllDelays([wait(1), key('A'), wait(2)], 70999).filter((s) => s.type === 'delay').map((s) => s.ms), [65535, 65535]);
});

test('recording keeps real pauses, drops key repeats and releases what is held', () => {
    const r = new MacroRecorder();
    r.add({ time: 1000, kind: 'key', down: false, name: 'Enter' });
    r.add({ time: 1000, kind: 'key', down: true, name: 'Left Shift' });
    r.add({ time: 1080, kind: 'key', down: true, name: 'A' });
    r.add({ time: 1100, kind: 'key', down: true, name: 'A' });
    r.add({ time: 1150.6, kind: 'key', down: false, name: 'A' });
    r.add({ time: 1200, kind: 'button', down: true, name: '左键' });
    const steps = r.finish(1260);
    assert.equal(stepsText(steps), '按下(Left Shift)延迟(80)按下(A)延迟(71)弹起(A)延迟(49)按下(左键)延迟(60)弹起(Left Shift)弹起(左键)');
    const fixed = new MacroRecorder({ recordDelays: false, fixedDelay: 20 });
    fixed.add({ time: 0, kind: 'key', down: true, name: 'A' });
    fixed.add({ time: 900, kind: 'key', down: false, name: 'A' });
    assert.equal(stepsText(fixed.finish()), '按下(A)延迟(20)弹起(A)');
});

test('a macro on a button keeps its play mode in the play manner', () => {
    const request = toRequest({ kind: 'macro', steps: '按下(A)弹起(A)', repeat: 300, mode: '0x02' }, null);
    assert.deepEqual(request, { TaskType: 'Macro', Task: '按下(A)弹起(A)', TaskCount: '255', TaskManner: '0x02' });
    assert.deepEqual(fromRequest(request), { kind: 'macro', steps: '按下(A)弹起(A)', repeat: 255, mode: '0x02' });
    assert.equal(fromRequest({ TaskType: 'Macro', Task: 'x', TaskCount: '1', TaskManner: '0' }).mode, '');
});

test('the library keeps macros by name and reads only what it knows', () => {
    let macros = withMacro([], { name: 'Copy', steps: '按下(Left Ctrl)按下(C)弹起(C)弹起(Left Ctrl)', repeat: 1, mode: '' });
    macros = withMacro(macros, { name: '  Alpha <&> "x"\n', steps: '按下(A)', repeat: 0, mode: '0x01' });
    macros = withMacro(macros, { name: 'Copy', steps: '按下(C)', repeat: 2, mode: '' });
    const read = parseLibrary(libraryXml(macros));
    assert.deepEqual(read.map((m) => [m.name, m.steps, m.repeat, m.mode]), [['Alpha <&> "x"', '按下(A)', 1, '0x01'], ['Copy', '按下(C)', 2, '']]);
    assert.deepEqual(parseLibrary('<Macros><Macro Name="a">按下(A)跳(B)</Macro><Macro>按下(A)</Macro></Macros>').map((m) => m.steps), ['按下(A)']);
    for (const broken of ['', '<Macros>', '<Other/>', '\u0000'])
        assert.deepEqual(parseLibrary(broken), []);

    const exported = exportText(read[0]);
    assert.deepEqual(importText(exported), read[0]);
    assert.deepEqual(importText('按下(B)延迟(5)弹起(B)', 'Imported'), { name: 'Imported', steps: '按下(B)延迟(5)弹起(B)', repeat: 1, mode: '' });
    assert.equal(importText('<Macro Name="x">nothing</Macro>'), null);
    assert.equal(importText('just words'), null);
});

test('a macro is never replaced by another of its name without asking', () => {
    const list = [{ name: 'Copy', steps: 'x', repeat: 1, mode: '' }, { name: 'Copy (2)', steps: 'y', repeat: 1, mode: '' }];
    // A new macro, or an import, named like a saved one: ask.
    assert.equal(replacesAnother(list, { name: 'Copy' }), true);
    assert.equal(replacesAnother(list, { name: '  Copy ' }), true);
    assert.equal(replacesAnother(list, { name: 'Paste' }), false);
    // The macro being edited keeps its own name without asking, but taking
    // another saved macro's name asks.
    assert.equal(replacesAnother(list, { name: 'Copy' }, 'Copy'), false);
    assert.equal(replacesAnother(list, { name: 'Copy' }, 'Paste'), true);
    // Keeping both: the first free name.
    assert.equal(freeName(list, 'Copy'), 'Copy (3)');
    assert.equal(freeName(list, 'Paste'), 'Paste');
    assert.equal(freeName([{ name: 'x'.repeat(80) }], 'x'.repeat(80)).length, 80);
    assert.equal(findMacro(list, 'Copy (2)').steps, 'y');
    assert.equal(findMacro(list, 'none'), null);
});

test('a library change keeps what was saved since the list was read', async () => {
    const program = fakeProgram({ files: { [LIBRARY_PATH]: libraryXml([{ name: 'Old', steps: '按下(A)', repeat: 1, mode: '' }]) } });
    const shown = await readLibrary(program.client);
    // The macro editor saves another macro meanwhile.
    await changeLibrary(program.client, (list) => withMacro(list, { name: 'New', steps: '按下(B)', repeat: 1, mode: '' }));
    const { reply, macros } = await changeLibrary(program.client, (list) => list.filter((m) => m.name !== shown[0].name));
    assert.ok(reply.ok);
    assert.deepEqual(macros.map((m) => m.name), ['New']);
    assert.deepEqual(parseLibrary(program.files[LIBRARY_PATH]).map((m) => m.name), ['New']);
    // A refused write leaves the file's list shown.
    const refusing = fakeProgram({ files: { [LIBRARY_PATH]: program.files[LIBRARY_PATH] },
        answers: { ModifyFileFromStr: () => [false, 'ModifyFileFromStr failed'] } });
    const failed = await changeLibrary(refusing.client, () => []);
    assert.equal(failed.reply.ok, false);
    assert.deepEqual(failed.macros.map((m) => m.name), ['New']);
});
