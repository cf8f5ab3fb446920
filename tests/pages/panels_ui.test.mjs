import { openDialogElement, click, settle, until } from './dom.mjs';
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { Catalogue } from '../../pages/template/common/core/catalogue.js';
import { DeviceEditor } from '../../pages/template/common/core/device_editor.js';
import { ProfileDocument } from '../../pages/template/common/core/profile.js';
import { devicePanels } from '../../pages/template/common/ui/registry.js';
import products from '../../pages/template/common/data/products.js';
import '../../pages/template/common/panels/buttons_panel.js';
import '../../pages/template/common/panels/lighting_panel.js';
import '../../pages/template/common/panels/keyboard_keys_panel.js';
import '../../pages/template/common/panels/keyboard_colours_panel.js';
import '../../pages/template/common/panels/dpi_panel.js';
import { fakeProgram } from './fake_program.mjs';
import { definition, familyTable, t } from './helpers.mjs';

const catalogue = new Catalogue(products, familyTable);

// A device's panel rendered into the document as the device page renders
// it, on a fake program that refuses writes while refusing() says so.
async function panelFor(key, id, { refusing = () => false, answers = {} } = {}) {
    const program = fakeProgram({ refuse: () => refusing(), answers });
    const device = catalogue.describeDevice({ Version: key });
    const driver = definition(device.family.definition || device.familyVersion);
    const session = new DeviceEditor({ client: program.client, device, driver });
    await session.loadProfile();
    const panel = devicePanels(device, driver).find((p) => p.id === id);
    assert.ok(panel, `${key} has the ${id} panel`);
    const toasts = [];
    const rendered = panel.render({
        session, driver, device, product: device.product, family: device.family, catalogue, client: program.client,
        toast: (message) => toasts.push(message),
    });
    const element = rendered instanceof Node ? rendered : rendered.element;
    document.body.replaceChildren(element);
    return { program, session, element, toasts };
}

const stateOf = (row) => row.querySelector('.write-status').dataset.state;

test('a refused button write says why, keeps what the button did, and Retry writes it', async () => {
    let refusing = true;
    const { program, session, element } = await panelFor('258A1007', 'buttons', { refusing: () => refusing });
    const row = element.querySelector('li[data-index="62"]');
    const shown = () => row.querySelector('.assignment').textContent;
    assert.equal(shown(), 'Right click', 'the factory assignment');

    click(row.querySelector('#assign-62'));
    const picker = openDialogElement();
    click([...picker.querySelectorAll('.pick-item')].find((b) => b.textContent === 'Back'));
    await until(() => stateOf(row) === 'failed', 'the failure');
    assert.equal(shown(), 'Right click', 'the old value is shown again');
    assert.equal(row.querySelector('.write-status .message').textContent, t('error.deviceRefused'));
    assert.equal(session.entry(62), null, 'nothing recorded of a refused write');
    assert.equal(program.sent('WriteDevice').length, 1);

    refusing = false;
    click(row.querySelector('.write-status button'));
    assert.equal(shown(), 'Back', 'Retry shows what it writes');
    await until(() => stateOf(row) === 'ok', 'the retried write');
    assert.equal(shown(), 'Back');
    assert.equal(session.entry(62).Task, 'Back');
    assert.deepEqual(program.sent('WriteDevice').map((c) => [c.Index, c.TaskType, c.Task]), [['62', 'MouseFunction', 'Back'], ['62', 'MouseFunction', 'Back']]);
});

test('"Write all" writes every button as shown, one after another', async () => {
    const { program, element } = await panelFor('258A1007', 'buttons');
    const writeAll = [...element.querySelectorAll('button')].find((b) => b.textContent === t('record.writeAll'));
    assert.ok(writeAll, 'the panel offers to write what it shows');
    click(writeAll);
    await until(() => program.sent('WriteDevice').length === 6, 'six writes');
    await settle(5);
    assert.deepEqual(program.sent('WriteDevice').map((c) => c.Task), ['LeftClick', 'RightClick', 'MiddleClick', 'Back', 'Forward', 'DpiCycling']);
});

test('a refused lighting change puts every control back', async () => {
    let refusing = false;
    const { program, element } = await panelFor('25A7FA91', 'lighting', { refusing: () => refusing });
    await until(() => element.querySelector('#light-mode'), 'the lighting fields');
    const mode = element.querySelector('#light-mode');
    const brightness = element.querySelector('#light-brightness');
    const before = { mode: mode.value, brightness: brightness.value };

    refusing = true;
    brightness.value = String(Number(before.brightness) - 2);
    brightness.dispatchEvent(new window.Event('change'));
    await until(() => element.querySelector('.write-status').dataset.state === 'failed', 'the failure');
    assert.equal(brightness.value, before.brightness);
    assert.equal(mode.value, before.mode);

    // Taken: the row written holds the change and the bytes around it.
    refusing = false;
    mode.value = '2';
    mode.dispatchEvent(new window.Event('change'));
    await until(() => element.querySelector('.write-status').dataset.state === 'ok', 'the write');
    const written = program.sent('WriteDevice').at(-1);
    assert.equal(written.TaskType, 'Lights');
    assert.equal(mode.value, '2');
    // The colour row shows only for the modes that use it.
    assert.equal(element.querySelector('#light-colour').closest('.field').hidden, false);
    mode.value = '3';
    mode.dispatchEvent(new window.Event('change'));
    await until(() => program.sent('WriteDevice').length === 3, 'the third write');
    assert.equal(element.querySelector('#light-colour').closest('.field').hidden, true, 'spectrum takes no colour');
});

test('only the panels a family can use are offered', () => {
    const ids = (key) => {
        const device = catalogue.describeDevice({ Version: key });
        return devicePanels(device, definition(device.family.definition || device.familyVersion)).map((p) => p.id);
    };
    assert.ok(ids('258A0150').includes('colours'), 'a keyboard with key colours');
    assert.ok(ids('258A0150').includes('keys'));
    assert.ok(!ids('258A0150').includes('buttons') && !ids('258A0150').includes('dpi'));
    assert.ok(!ids('258A1007').includes('colours') && !ids('258A1007').includes('keys'));
    assert.ok(ids('258A1007').includes('buttons') && ids('258A1007').includes('dpi'));
    // Without the program's family table the pages know no device, and
    // offer nothing to write with a guess.
    const blind = new Catalogue(products, {});
    assert.equal(blind.describeDevice({ Version: '258A1007' }).kind, 'unknown');
});
