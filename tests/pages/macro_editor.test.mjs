import { openDialogElement, click, key, settle, type, until } from './dom.mjs';
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { MacroEdit, UNDO_DEPTH, editProblems, insertKinds, stepsToInsert } from '../../pages/template/common/core/macro_edit.js';
import { macroScheme } from '../../pages/template/common/core/macro.js';
import { openMacroEditor } from '../../pages/template/common/ui/macro_editor.js';
import { LIBRARY_PATH, libraryXml } from '../../pages/template/common/core/macro_library.js';
import { fakeProgram } from './fake_program.mjs';
import { definition, familyTable, t } from './helpers.mjs';

const press = (k, down = true) => ({ type: 'key', down, key: k });
const wait = (ms) => ({ type: 'delay', ms });

test('the macro being edited: changes, selection, undo and redo', () => {
    const edit = new MacroEdit();
    assert.equal(edit.touched, false);
    assert.equal(edit.selected, -1);
    edit.change([press('A'), wait(5)], 7);
    assert.equal(edit.selected, 1, 'the selection stays within the steps');
    assert.equal(edit.touched, true);
    edit.change([press('A')], 0);
    assert.ok(edit.undo());
    assert.deepEqual(edit.steps, [press('A'), wait(5)]);
    assert.equal(edit.selected, 1);
    assert.ok(edit.redo());
    assert.deepEqual(edit.steps, [press('A')]);
    assert.equal(edit.redo(), false, 'nothing left to redo');
    // A new change after an undo drops what could have been redone.
    edit.undo();
    edit.change([]);
    assert.equal(edit.canRedo, false);
    // Only the last changes are kept.
    for (let i = 0; i < UNDO_DEPTH + 20; i += 1)
        edit.change([wait(i)]);
    let undone = 0;
    while (edit.undo())
        undone += 1;
    assert.equal(undone, UNDO_DEPTH);
    assert.deepEqual(edit.steps, [wait(19)]);
});

test('what an insertion adds, and what is offered', () => {
    assert.deepEqual(stepsToInsert('tap', { key: 'A' }), [press('A'), wait(20), press('A', false)]);
    assert.deepEqual(stepsToInsert('click', { button: '左键' }).map((s) => s.type), ['button', 'delay', 'button']);
    assert.deepEqual(stepsToInsert('delay', { ms: 'abc' }), [wait(0)], 'a pause that is no number is none');
    assert.deepEqual(stepsToInsert('delay', { ms: 1e9 }), [wait(65535)]);
    assert.deepEqual(stepsToInsert('move', { x: '3.9', y: '-2.5' }), [{ type: 'move', x: 3, y: -2 }]);
    assert.equal(stepsToInsert('explode'), null);
    const w1 = macroScheme(definition('W1.0'), familyTable['W1.0']);
    const m1 = macroScheme(definition('M1.0'), familyTable['M1.0']);
    assert.ok(!insertKinds([], w1).includes('move'), 'W1 plays no moves');
    assert.ok(!insertKinds([], w1).includes('click'), 'no buttons, no clicks');
    assert.ok(insertKinds(['左键'], m1).includes('click') && insertKinds(['左键'], m1).includes('move'));
});

test('problems: an untouched new macro is not yet an error; the library does not check keys', () => {
    const driver = definition('M1.0');
    const scheme = macroScheme(driver, familyTable['M1.0']);
    const fresh = editProblems([], { scheme, driver, purpose: 'assign', touched: false });
    assert.deepEqual(fresh.problems, ['empty']);
    assert.deepEqual(fresh.shown, []);
    assert.deepEqual(editProblems([], { scheme, driver, purpose: 'assign', touched: true }).shown, ['empty']);
    const unknownKey = [press('NoSuchKey'), press('NoSuchKey', false)];
    assert.deepEqual(editProblems(unknownKey, { scheme, driver, purpose: 'assign', touched: true }).problems, ['keys']);
    assert.deepEqual(editProblems(unknownKey, { scheme, driver, purpose: 'library', touched: true }).problems, []);
    assert.deepEqual(editProblems([press('A')], { scheme, driver, purpose: 'assign', touched: true }).held, ['key:A']);
});

// The editor open on an M1.0 mouse; resolves the editor's promise, its
// dialog and the fake program.
function openEditor({ purpose = 'assign', macro = null, version = 'M1.0', files = {}, answers = {} } = {}) {
    const program = fakeProgram({ files, answers });
    const family = familyTable[version];
    const driver = definition(family.definition || version);
    const result = openMacroEditor({ ctx: { client: program.client }, driver, family, macro, purpose, target: 'Button 4' });
    return { result, dialog: openDialogElement(), program };
}

const $ = (dialog, selector) => dialog.querySelector(selector);

test('building a macro from the insert row, with undo, and using it', async () => {
    const { result, dialog } = openEditor();
    assert.equal($(dialog, '.dialog-title').textContent, t('macro.titleAssignTo', { target: 'Button 4' }));
    assert.ok($(dialog, '#macro-use').disabled, 'nothing to use yet');
    assert.equal($(dialog, '#macro-problems').textContent, '', 'no error before an edit');
    assert.ok($(dialog, '#macro-undo').disabled);

    $(dialog, '#macro-insert-key').value = 'B';
    click($(dialog, '#macro-insert'));
    assert.equal(dialog.querySelectorAll('#macro-steps li').length, 3);
    assert.equal($(dialog, '#macro-use').disabled, false);
    assert.match($(dialog, '#macro-capacity').textContent, /of 200 bytes/);
    // A pause of its own, after the selected (last) step.
    $(dialog, '#macro-insert-kind').value = 'delay';
    $(dialog, '#macro-insert-kind').dispatchEvent(new window.Event('change'));
    assert.equal($(dialog, '#macro-insert-key').hidden, true);
    assert.equal($(dialog, '#macro-insert-ms').hidden, false);
    $(dialog, '#macro-insert-ms').value = '70';
    click($(dialog, '#macro-insert'));
    assert.equal(dialog.querySelectorAll('#macro-steps li').length, 4);
    click($(dialog, '#macro-undo'));
    assert.equal(dialog.querySelectorAll('#macro-steps li').length, 3);
    key(dialog, 'keydown', { key: 'y', ctrlKey: true });
    assert.equal(dialog.querySelectorAll('#macro-steps li').length, 4, 'Ctrl+Y redoes');
    // A row's pause changed in place; a row removed.
    const pause = $(dialog, '#macro-steps li:last-child .macro-delay');
    pause.value = '99999';
    pause.dispatchEvent(new window.Event('change'));
    assert.equal($(dialog, '#macro-steps li:last-child .step-text').textContent, t('macro.delay', { ms: 65535 }));
    click($(dialog, '#macro-steps li:first-child [aria-label="' + t('macro.remove') + '"]'));
    assert.equal(dialog.querySelectorAll('#macro-steps li').length, 3);
    // Pressed and never released: said, and still usable.
    click($(dialog, '#macro-steps li:last-child .step-select'));
    assert.equal($(dialog, '#macro-steps li:last-child').classList.contains('selected'), true);
    $(dialog, '#macro-insert-kind').value = 'keyDown';
    $(dialog, '#macro-insert-kind').dispatchEvent(new window.Event('change'));
    click($(dialog, '#macro-insert'));
    assert.equal($(dialog, '#macro-problems').textContent, t('macro.problem.held'));
    assert.equal($(dialog, '#macro-use').disabled, false);
    click($(dialog, '#macro-undo'));
    assert.equal($(dialog, '#macro-problems').textContent, '');

    $(dialog, '#macro-repeat').value = '3';
    click($(dialog, '#macro-use'));
    const macro = await result;
    assert.equal(macro.repeat, 3);
    assert.equal(macro.name, '');
    assert.match(macro.steps, /延迟\(20\)弹起\(B\)延迟\(65535\)$/);
});

test('the text form replaces the steps and says what it skipped', async () => {
    const { result, dialog } = openEditor();
    const text = $(dialog, '#macro-text');
    type(text, 'Press(A)Delay(30)Release(A)Jump(B)');
    click($(dialog, '#macro-text-apply'));
    assert.equal(dialog.querySelectorAll('#macro-steps li').length, 3);
    assert.equal(dialog.querySelector('.macro-text [role="status"]').textContent, t('macro.skipped', { n: 1 }));
    assert.equal(text.value, 'Press(A)Delay(30)Release(A)', 'shown again in the interface language');
    click($(dialog, '#macro-cancel'));
    assert.equal(await result, null, 'cancel keeps nothing');
});

test('recording keys: every key belongs to the macro, Escape included, and the keyboard is captured meanwhile', async () => {
    const { result, dialog, program } = openEditor();
    click($(dialog, '#macro-record'));
    assert.equal($(dialog, '#macro-record').getAttribute('aria-pressed'), 'true');
    assert.ok($(dialog, '#macro-use').disabled, 'nothing is used while recording');
    await settle();
    assert.deepEqual(program.sent('mouseTracks').map((c) => c.status), ['开始']);
    key(dialog, 'keydown', { key: 'a', keyCode: 65 });
    key(dialog, 'keydown', { key: 'a', keyCode: 65, repeat: true });
    key(dialog, 'keyup', { key: 'a', keyCode: 65 });
    const escape = key(dialog, 'keydown', { key: 'Escape', keyCode: 27 });
    assert.ok(escape.defaultPrevented, 'Escape is a step, not a cancel');
    dialog.dispatchEvent(new window.Event('cancel', { cancelable: true }));
    assert.ok(dialog.open);
    key(dialog, 'keyup', { key: 'Escape', keyCode: 27 });
    assert.ok(dialog.querySelectorAll('#macro-steps li').length >= 4, 'shown live');
    click($(dialog, '#macro-record'));
    assert.equal($(dialog, '#macro-record').getAttribute('aria-pressed'), 'false');
    assert.deepEqual(program.sent('mouseTracks').map((c) => c.status), ['开始', '停止']);
    const keys = [...dialog.querySelectorAll('#macro-steps li')].map((li) => li.querySelector('.step-text').textContent)
        .filter((text) => !text.startsWith(t('macro.delay', { ms: 0 }).split(' ')[0]));
    assert.equal(keys.length, 4, keys.join(' / '));
    click($(dialog, '#macro-use'));
    assert.match((await result).steps, /按下\(A\).*弹起\(A\).*按下\(Esc\).*弹起\(Esc\)/);
});

test('saving into the library needs a name and keeps a macro of the same name unless told', async () => {
    const existing = libraryXml([{ name: 'Mine', steps: '按下(A)弹起(A)', repeat: 1, mode: '' }]);
    const { result, dialog, program } = openEditor({ purpose: 'library', files: { [LIBRARY_PATH]: existing } });
    await until(() => dialog.querySelectorAll('#macro-library option').length === 2, 'the library');
    $(dialog, '#macro-insert-key').value = 'C';
    click($(dialog, '#macro-insert'));
    assert.ok($(dialog, '#macro-use').disabled, 'a library macro needs a name');
    click($(dialog, '#macro-library-save'));
    assert.equal($(dialog, '#macro-library-status').textContent, t('macro.needName'));
    assert.equal(program.sent('ModifyFileFromStr').length, 0);

    type($(dialog, '#macro-name'), 'Mine');
    assert.equal($(dialog, '#macro-use').disabled, false);
    click($(dialog, '#macro-library-save'));
    await until(() => openDialogElement() !== dialog, 'the question');
    const ask = openDialogElement();
    click(ask.querySelector('#choice-both'));
    await until(() => program.sent('ModifyFileFromStr').length === 1, 'the save');
    await until(() => $(dialog, '#macro-name').value !== 'Mine', 'the free name');
    assert.equal($(dialog, '#macro-name').value, 'Mine (2)');
    assert.equal($(dialog, '#macro-library-status').textContent, t('macro.librarySaved', { name: 'Mine (2)' }));
    assert.match(program.files[LIBRARY_PATH], /Mine/);
    assert.equal((program.files[LIBRARY_PATH].match(/<Macro\b/g) || []).length, 2, 'the first one kept whole');

    // Loading the first one back replaces the steps.
    $(dialog, '#macro-library').value = 'Mine';
    click($(dialog, '#macro-library-load'));
    assert.equal(dialog.querySelectorAll('#macro-steps li').length, 2);
    click($(dialog, '#macro-cancel'));
    assert.equal(await result, null);
});

test('an imported file that is no macro is refused in words', async () => {
    const { result, dialog } = openEditor({ answers: { LoadCommand: () => [true, 'this is not a macro file'] } });
    click($(dialog, '#macro-import'));
    await until(() => $(dialog, '#macro-library-status').textContent, 'the answer');
    assert.equal($(dialog, '#macro-library-status').textContent, t('macro.notAMacro'));
    assert.ok($(dialog, '#macro-library-status').classList.contains('error-text'));
    assert.equal(dialog.querySelectorAll('#macro-steps li').length, 0);
    click($(dialog, '#macro-cancel'));
    await result;
});
