// Presets in the pages: the changes the Remapping page makes to the set,
// the Remapping with a program that keeps presets, and the page itself
// (the active preset and why, new/rename/delete, the rules).
import { openDialogElement, click, settle, until } from './dom.mjs';
import { test } from 'node:test';
import assert from 'node:assert/strict';
import {
    addRule, createPreset, describeState, duplicatePreset, freeName, nameProblem, parsePresets, presetsText, removePreset,
    removeRule, renamePreset, setDefaultPreset, setPresetStage,
} from '../../pages/template/common/core/presets.js';
import { Remapping, readAssignments } from '../../pages/template/common/core/virtual_map.js';
import { page } from '../../pages/template/common/ui/registry.js';
import '../../pages/template/common/pages/remap_page.js';
import { fakeProgram } from './fake_program.mjs';
import { t } from './helpers.mjs';

const MAP_A = '<map><key name="右键" scancode="4" flag="10" type="Keyboard" playtype="0" playcount="1" playdelay="0" playauxiliary="0"><task value="A"/></key></map>';

function sample() {
    return {
        default: 'Default',
        presets: [{ name: 'Default', map: '' }, { name: 'Web', map: MAP_A, dpiStage: { device: '258A1007', driver: 'M1.0', stage: 2 } }],
        rules: [{ app: 'firefox', title: '', preset: 'Web' }, { app: 'chromium', title: 'GitHub', preset: 'Web' }],
    };
}

test('names are checked as the program checks them', () => {
    const set = sample();
    assert.equal(nameProblem(set, ''), 'presets.nameEmpty');
    assert.equal(nameProblem(set, '   '), 'presets.nameEmpty');
    assert.equal(nameProblem(set, 'x'.repeat(65)), 'presets.nameLong');
    assert.equal(nameProblem(set, 'a\u0007b'), 'presets.nameControl');
    assert.equal(nameProblem(set, 'web'), 'presets.nameTaken', 'without regard to case');
    assert.equal(nameProblem(set, 'Web', 'Web'), '', 'a preset keeps its own name');
    assert.equal(nameProblem(set, 'Games'), '');
    assert.equal(freeName(set, 'Web'), 'Web 2');
    assert.equal(freeName(createPreset(set, 'Web 2'), 'Web'), 'Web 3');
    assert.equal(freeName(set, ''), 'Preset');
});

test('changes leave the old set alone and keep rules and default pointing at presets', () => {
    const set = sample();
    const renamed = renamePreset(set, 'Web', 'Browsing');
    assert.deepEqual(renamed.rules.map((r) => r.preset), ['Browsing', 'Browsing']);
    assert.deepEqual(set.rules.map((r) => r.preset), ['Web', 'Web'], 'the old set is unchanged');
    assert.equal(renamePreset(set, 'Default', 'Main').default, 'Main');
    assert.throws(() => renamePreset(set, 'Web', 'default'), /presets.nameTaken/);

    const copy = duplicatePreset(set, 'Web', 'Web copy');
    assert.deepEqual(copy.presets[2], { name: 'Web copy', map: MAP_A, dpiStage: { device: '258A1007', driver: 'M1.0', stage: 2 } });
    assert.equal(copy.rules.length, 2, 'rules stay with the original');

    const removed = removePreset(set, 'Web');
    assert.deepEqual(removed.presets.map((p) => p.name), ['Default']);
    assert.deepEqual(removed.rules, [], 'its rules go with it');
    assert.throws(() => removePreset(set, 'Default'), /presets.removeDefault/);
    assert.throws(() => removePreset(set, 'Nope'), /presets.missing/);
    assert.equal(setDefaultPreset(set, 'Web').default, 'Web');
    assert.throws(() => setDefaultPreset(set, 'Nope'), /presets.missing/);

    assert.equal(setPresetStage(set, 'Web', null).presets[1].dpiStage, undefined);
    assert.deepEqual(setPresetStage(set, 'Default', { device: 'K', driver: 'M1.0', stage: 0 }).presets[0].dpiStage, { device: 'K', driver: 'M1.0', stage: 0 });

    let many = { default: 'P0', presets: [], rules: [] };
    for (let i = 0; i < 64; i += 1)
        many.presets.push({ name: `P${i}`, map: '' });
    assert.throws(() => createPreset(many, 'One more'), /presets.tooMany/);
});

test('a rule for the same program and title replaces the one it had', () => {
    const set = sample();
    const again = addRule(set, { app: ' Firefox ', title: '', preset: 'Default' });
    assert.deepEqual(again.rules, [{ app: 'Firefox', title: '', preset: 'Default' }, set.rules[1]]);
    const titled = addRule(set, { app: 'firefox', title: 'Docs', preset: 'Default' });
    assert.equal(titled.rules.length, 3);
    assert.throws(() => addRule(set, { app: '  ', preset: 'Web' }), /rules.appEmpty/);
    assert.throws(() => addRule(set, { app: 'a\nb', preset: 'Web' }), /rules.appBad/);
    assert.throws(() => addRule(set, { app: 'kate', preset: 'Nope' }), /presets.missing/);
    assert.deepEqual(removeRule(set, 0).rules, [set.rules[1]]);
});

test('the program\'s answers are read with care and the set travels back whole', () => {
    assert.equal(parsePresets('not json'), null);
    assert.equal(parsePresets('{"default":"A","presets":[]}'), null);
    const parsed = parsePresets(JSON.stringify(Object.assign(sample(), {
        rules: [...sample().rules, { app: 5, preset: 'Web' }, null],
        state: { preset: 'Web', cause: 'rule', app: 'firefox' },
    })));
    assert.equal(parsed.set.rules.length, 2, 'malformed rules are left out');
    assert.equal(parsed.state.preset, 'Web');
    assert.deepEqual(JSON.parse(presetsText(parsed.set)), sample());

    const says = describeState({ preset: 'Web', cause: 'rule', app: 'firefox', reason: '', problems: ['presets.json was refused'] }, t);
    assert.equal(says.why, t('presets.why.rule', { app: 'firefox' }));
    assert.deepEqual(says.problems, ['presets.json was refused']);
    assert.equal(describeState({ cause: 'odd' }, t).why, t('presets.why.start'));
});

test('with presets, a button change goes into the preset being edited and nothing else is sent', async () => {
    const program = fakeProgram({ presets: sample() });
    program.state.preset = 'Web';
    const remapping = await new Remapping(program.client).load();
    assert.ok(remapping.hasPresets);
    assert.equal(remapping.editing, 'Web', 'the active preset is shown first');
    assert.equal(remapping.assignments.get('4:10').keys[0], 'A');
    assert.deepEqual(await remapping.apply(), { ok: true, text: '' }, 'the program put it into effect itself');

    remapping.edit('Default');
    assert.equal(remapping.assignments.size, 0);
    assert.ok((await remapping.set('16:10', { kind: 'function', task: 'Back' })).ok);
    assert.equal(program.sent('RefreshVirtualDrive').length, 0);
    assert.equal(program.sent('ModifyFileFromStr').length, 0);
    assert.equal(readAssignments(program.presets.presets[0].map).get('16:10').task, 'Back');
    assert.equal(program.presets.presets[1].map, MAP_A, 'the other preset is untouched');

    // Recording pauses through the program; pages that start while a
    // pause is left over end it.
    await remapping.pause();
    assert.equal(program.state.paused, true);
    await new Remapping(program.client).load();
    assert.equal(program.state.paused, false);
    await remapping.resume();
    assert.deepEqual(program.sent('PausePresets').map((c) => c.Paused), [1, 0, 0]);

    // A refused set changes nothing here.
    const refusing = fakeProgram({ presets: sample(), answers: { SavePresets: () => [false, 'SavePresets failed: the disk is full'] } });
    const kept = await new Remapping(refusing.client).load();
    const reply = await kept.set('4:10', { kind: 'function', task: 'Back' });
    assert.equal(reply.ok, false);
    assert.equal(kept.assignments.size, 0);
    assert.equal(kept.presets.presets[0].map, '');
});

test('the program switching presets reaches the page', async () => {
    const program = fakeProgram({ presets: sample() });
    const remapping = await new Remapping(program.client).load();
    let heard = 0;
    remapping.onChange(() => {
        heard += 1;
    });
    program.focus('firefox', 'Web');
    await until(() => heard === 1, 'the change');
    assert.equal(remapping.state.preset, 'Web');
    assert.equal(remapping.state.app, 'firefox');
    assert.equal(remapping.editing, 'Default', 'the preset being edited stays');
    assert.ok((await remapping.activate('Default')).ok);
    assert.equal(remapping.state.cause, 'manual');
    assert.equal((await remapping.activate('Nope')).ok, false);
});

async function remapPage(options) {
    const program = fakeProgram(Object.assign({ answers: { GetDeviceAccess: () => [true, JSON.stringify({ uinput: true, mice: 1, miceOpen: 1, interfaces: 1, interfacesOpen: 1, ruleInstalled: true, command: '' })] } }, options));
    const remapping = new Remapping(program.client);
    remapping.loaded = remapping.load();
    const toasts = [];
    const view = page('remap').render({ client: program.client, remapping, devices: { devices: [] }, toast: (m) => toasts.push(m) });
    document.body.replaceChildren(view.element);
    await until(() => view.element.querySelector('[data-ready="true"]'), 'the page');
    return { program, remapping, view, element: view.element };
}

function typeInto(input, value) {
    input.value = value;
    input.dispatchEvent(new Event('input'));
}

test('the Remapping page shows the preset in effect and why, and makes presets', async () => {
    const { program, remapping, element, view } = await remapPage({ presets: sample(), classes: ['firefox', 'kate'] });
    assert.equal(element.querySelector('#preset-active-name').textContent, 'Default');
    assert.equal(element.querySelector('#preset-active-why').textContent, t('presets.why.start'));
    assert.deepEqual([...element.querySelectorAll('#preset-select option')].map((o) => o.textContent), [t('presets.defaultMark', { name: 'Default' }), 'Web']);
    assert.ok(element.querySelector('#preset-delete').disabled, 'the default cannot be deleted');

    program.focus('firefox', 'Web');
    await until(() => element.querySelector('#preset-active-name').textContent === 'Web', 'the switch');
    assert.equal(element.querySelector('#preset-active-why').textContent, t('presets.why.rule', { app: 'firefox' }));

    // New: named in a dialog that refuses a taken name.
    click(element.querySelector('#preset-new'));
    let dialog = openDialogElement();
    const name = dialog.querySelector('#preset-name');
    typeInto(name, 'web');
    assert.equal(dialog.querySelector('#preset-name-problem').textContent, t('presets.nameTaken'));
    assert.ok(dialog.querySelector('#preset-name-ok').disabled);
    typeInto(name, 'Games');
    click(dialog.querySelector('#preset-name-ok'));
    await until(() => remapping.editing === 'Games', 'the new preset');
    assert.deepEqual(program.presets.presets.map((p) => p.name), ['Default', 'Web', 'Games']);
    assert.equal(element.querySelector('#preset-select').value, 'Games');
    assert.match(element.querySelector('#remap-editing').textContent, /Games/);

    // Rename keeps the rules pointing at it.
    element.querySelector('#preset-select').value = 'Web';
    element.querySelector('#preset-select').dispatchEvent(new Event('change'));
    click(element.querySelector('#preset-rename'));
    dialog = openDialogElement();
    typeInto(dialog.querySelector('#preset-name'), 'Browsing');
    click(dialog.querySelector('#preset-name-ok'));
    await until(() => remapping.editing === 'Browsing', 'the rename');
    assert.equal(program.presets.presets[1].name, 'Browsing');
    assert.deepEqual(program.presets.rules.map((r) => r.preset), ['Browsing', 'Browsing']);

    // Delete asks first and takes its rules along.
    assert.equal(element.querySelector('#preset-delete').disabled, false);
    click(element.querySelector('#preset-delete'));
    dialog = openDialogElement();
    assert.match(dialog.textContent, /2 rules/);
    click(dialog.querySelector('#confirm-ok'));
    await until(() => program.presets.presets.length === 2, 'the deletion');
    assert.deepEqual(program.presets.rules, []);

    // Use now.
    element.querySelector('#preset-select').value = 'Games';
    element.querySelector('#preset-select').dispatchEvent(new Event('change'));
    click(element.querySelector('#preset-use'));
    await until(() => element.querySelector('#preset-active-name').textContent === 'Games', 'the preset by hand');
    assert.equal(element.querySelector('#preset-active-why').textContent, t('presets.why.manual'));
    view.dispose();
});

test('rules are added from the running programs or typed, and removed', async () => {
    const { program, element } = await remapPage({ presets: sample(), classes: ['firefox', 'kate'] });
    assert.equal(element.querySelectorAll('#rule-list .rule-row').length, 2);
    assert.match(element.querySelector('#rule-list').textContent, /title has “GitHub”/);

    element.querySelector('#rule-app').dispatchEvent(new Event('focus'));
    await until(() => element.querySelectorAll('datalist option').length === 2, 'the running programs');
    assert.deepEqual([...element.querySelectorAll('datalist option')].map((o) => o.value), ['firefox', 'kate']);

    element.querySelector('#rule-app').value = 'kate';
    element.querySelector('#rule-preset').value = 'Web';
    click(element.querySelector('#rule-add'));
    await until(() => program.presets.rules.length === 3, 'the new rule');
    assert.deepEqual(program.presets.rules[2], { app: 'kate', title: '', preset: 'Web' });
    await until(() => element.querySelectorAll('#rule-list .rule-row').length === 3, 'the rule shown');

    // Nothing typed: said, nothing sent.
    const saves = program.sent('SavePresets').length;
    click(element.querySelector('#rule-add'));
    await settle();
    assert.equal(program.sent('SavePresets').length, saves);
    assert.ok(element.querySelector('.preset-rules .write-status').textContent.includes(t('rules.appEmpty')));

    click(element.querySelector('#rule-list .rule-row button'));
    await until(() => program.presets.rules.length === 2, 'the removal');
    assert.equal(program.presets.rules[0].app, 'chromium');
});

test('where the desktop does not tell the window in front, the page says so; without presets it is as before', async () => {
    const { program, element } = await remapPage({ presets: sample() });
    program.state = Object.assign({}, program.state, { reason: 'Your desktop does not tell programs which window is in front' });
    program.focus('', 'Default', 'start');
    await until(() => element.querySelector('#preset-source-reason'), 'the reason');
    assert.match(element.querySelector('#preset-source-reason').textContent, /does not tell programs/);

    const old = await remapPage({});
    assert.equal(old.element.querySelector('#preset-bar'), null);
    assert.ok(old.element.querySelector('#remap-list'));
});
