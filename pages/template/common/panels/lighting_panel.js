// Lighting: effect, colour, brightness and speed, as the family's lighting
// row holds them (mice "pLights", keyboards "Lights"). Every change writes the whole row at once (one write);
// bytes the page does not edit are written back as they were.
import { colourText, lightingBytes, lightingState, lightingTask, parseColour, parseLightingTask, parseSummaryLighting } from '../core/lighting.js';
import { t } from '../core/i18n.js';
import { h, clear } from '../ui/dom.js';
import { registerDevicePanel } from '../ui/registry.js';
import { runWrite, WriteStatus } from '../ui/status.js';
import { section } from '../ui/fields.js';

async function loadBytes(ctx, index) {
    const { session, family, product } = ctx;
    const layout = family.lighting;
    const entry = session.entry(index);
    const stored = entry ? parseLightingTask(entry.Task) : null;
    const remembered = stored && stored.length === layout.bytes ? stored : null;
    if (family.readBack) {
        const summary = await session.summary();
        const read = parseSummaryLighting(summary.lightVal, remembered ? lightingState(remembered, layout).colour : null);
        if (read && read.length === layout.bytes)
            return read;
    }
    if (remembered)
        return remembered;
    const f = (product.factory && product.factory.lighting) || { mode: 1, brightness: 5, speed: 3, colour: 'FF0000' };
    return lightingBytes({ mode: f.mode, brightness: f.brightness, speed: f.speed, colour: parseColour(f.colour) || [255, 0, 0] }, layout, null);
}

function render(ctx) {
    const { session, family, catalogue, toast } = ctx;
    const layout = family.lighting;
    const task = layout.task || 'pLights';
    const index = ctx.driver.settingIndex(task);
    const modes = catalogue.lightingModes(family);
    const body = h('div', { class: 'panel-content' }, h('div', { class: 'loading', role: 'status' }, h('span', { class: 'spinner', 'aria-hidden': 'true' }), t('device.reading')));

    loadBytes(ctx, index).then((initial) => {
        let bytes = initial;
        let state = lightingState(bytes, layout);
        const status = new WriteStatus();
        const brightnessRange = catalogue.lightingRange('brightness');
        const speedRange = catalogue.lightingRange('speed');

        const mode = h('select', { id: 'light-mode' }, modes.map((m) => h('option', { value: m.value }, t(`lighting.mode.${m.name}`))));
        const colour = h('input', { type: 'color', id: 'light-colour' });
        const brightness = h('input', { type: 'range', id: 'light-brightness', min: brightnessRange.min, max: brightnessRange.max, step: 1 });
        const speed = h('input', { type: 'range', id: 'light-speed', min: speedRange.min, max: speedRange.max, step: 1 });
        const preview = h('span', { class: 'light-preview', 'aria-hidden': 'true' });

        const rows = {
            colour: h('div', { class: 'field' }, h('label', { for: 'light-colour', class: 'field-label' }, t('lighting.colour')), h('div', { class: 'field-control' }, colour)),
            brightness: h('div', { class: 'field' }, h('label', { for: 'light-brightness', class: 'field-label' }, t('lighting.brightness')), h('div', { class: 'field-control' }, brightness, h('output', { for: 'light-brightness', class: 'range-value' }))),
            speed: h('div', { class: 'field' }, h('label', { for: 'light-speed', class: 'field-label' }, t('lighting.speed')), h('div', { class: 'field-control' }, speed, h('output', { for: 'light-speed', class: 'range-value' }))),
        };

        const show = () => {
            const m = modes.find((x) => x.value === state.mode);
            if (m)
                mode.value = String(state.mode);
            else
                mode.value = '';
            colour.value = `#${colourText(state.colour).toLowerCase()}`;
            brightness.value = state.brightness;
            speed.value = state.speed;
            rows.brightness.querySelector('output').textContent = String(state.brightness);
            rows.speed.querySelector('output').textContent = String(state.speed);
            const uses = m ? m.uses : ['colour', 'brightness', 'speed'];
            for (const [name, row] of Object.entries(rows))
                row.hidden = !uses.includes(name);
            preview.dataset.mode = m ? m.name : '';
            preview.style.setProperty('--light', colour.value);
            preview.style.opacity = String(0.35 + 0.65 * (state.brightness - brightnessRange.min) / Math.max(1, brightnessRange.max - brightnessRange.min));
        };

        const write = (changes) => {
            const beforeBytes = bytes;
            const beforeState = state;
            const nextState = Object.assign({}, state, changes);
            const nextBytes = lightingBytes(nextState, layout, bytes);
            runWrite(status, () => session.write(index, { TaskType: 'Lights', Task: lightingTask(nextBytes) }, { name: task, length: layout.bytes }), {
                toast,
                apply: () => {
                    state = nextState;
                    bytes = nextBytes;
                    show();
                },
                onFailure: () => {
                    bytes = beforeBytes;
                    state = beforeState;
                    show();
                },
            });
        };

        mode.addEventListener('change', () => write({ mode: Number(mode.value) }));
        colour.addEventListener('change', () => write({ colour: parseColour(colour.value) }));
        brightness.addEventListener('input', () => {
            rows.brightness.querySelector('output').textContent = brightness.value;
        });
        brightness.addEventListener('change', () => write({ brightness: Number(brightness.value) }));
        speed.addEventListener('input', () => {
            rows.speed.querySelector('output').textContent = speed.value;
        });
        speed.addEventListener('change', () => write({ speed: Number(speed.value) }));
        show();

        clear(body).append(section(t('lighting.title'),
            h('div', { class: 'lighting-layout' },
                h('div', { class: 'lighting-fields' },
                    h('div', { class: 'field' }, h('label', { for: 'light-mode', class: 'field-label' }, t('lighting.mode')), h('div', { class: 'field-control' }, mode, status.el)),
                    rows.colour, rows.brightness, rows.speed),
                preview),
            h('p', { class: 'hint' }, t('lighting.hint'))));
    });
    return body;
}

registerDevicePanel({
    id: 'lighting',
    title: 'panel.lighting',
    order: 30,
    supports: (device, driver) => !!device.family && !!device.family.lighting
        && Number.isFinite(driver.settingIndex(device.family.lighting.task || 'pLights')),
    render,
});
