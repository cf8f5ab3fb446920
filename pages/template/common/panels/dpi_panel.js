// DPI stages: one row per stage with its colour, a slider that stops only
// at values the device takes, the value, X/Y linked or apart, and which
// stage is active. Every change is written at once, and only what the user
// changed: where the device can be read (M families) the values and the
// stage colours shown are read back from it, so that a DPI change writes
// the colour the device holds. A value that is not one the mouse takes is
// refused with a note and writes nothing.
import { colourText, parseColour } from '../core/lighting.js';
import { checkDpiEntry, dpiSteps, dpiTask, nearestStep, parseDpiTask, snapDpi } from '../core/dpi.js';
import { RAW_TYPE, rawBytes } from '../core/device_editor.js';
import { dpiReadIndex } from '../core/readback.js';
import { t } from '../core/i18n.js';
import { h, clear } from '../ui/dom.js';
import { registerDevicePanel } from '../ui/registry.js';
import { runWrite, WriteStatus } from '../ui/status.js';
import { field, section } from '../ui/fields.js';

const FALLBACK_COLOURS = ['FF0000', '00FF00', '0000FF', 'FFFF00', '00FFFF', 'FF00FF', 'FF8000', 'FFFFFF', '8000FF', '00FF80'];

function rawValue(entry) {
    if (!entry)
        return NaN;
    const value = parseInt(String(entry.Task).split(',')[0].replace(/^0x/i, ''), 16);
    return Number.isFinite(value) ? value : NaN;
}

// What the page shows for each stage: read from the device where it can be,
// else the profile, else the product's factory values.
export async function loadState(ctx) {
    const { session, driver, product, family } = ctx;
    const stages = driver.dpiStages();
    const factory = product.factory || {};
    const countIndex = driver.settingIndex('pDpiCount');
    const values = stages.map((stage) => {
        const stored = parseDpiTask(session.entry(stage.index) && session.entry(stage.index).Task);
        const colourEntry = Number.isFinite(stage.colourIndex) ? session.entry(stage.colourIndex) : null;
        const colour = (colourEntry && parseColour(colourEntry.Task) ? colourEntry.Task.toUpperCase() : '')
            || (stored && stored.colour) || (factory.colours && factory.colours[stage.number]) || FALLBACK_COLOURS[stage.number % FALLBACK_COLOURS.length];
        const x = stored ? stored.x : (factory.stages ? factory.stages[stage.number] : NaN);
        return { stage, x, y: stored ? stored.y : x, linked: stored ? stored.linked : true, colour, unset: false };
    });
    let current = rawValue(session.entry(driver.settingIndex('pDpiCurrent')));
    if (!Number.isFinite(current))
        current = Number.isFinite(factory.currentStage) ? factory.currentStage : 0;
    let count = rawValue(Number.isFinite(countIndex) ? session.entry(countIndex) : null);

    if (family.readBack) {
        const read = await session.dpiStages(values.map((v) => dpiReadIndex(v.stage)));
        if (read && Number.isFinite(read.current))
            current = read.current;
        (read ? read.stages : []).forEach((stage, i) => {
            if (!stage || i >= values.length)
                return;
            // A stage the device holds no value for is shown with a
            // suggestion, written when the stage is taken into use.
            values[i].unset = stage.x === 0;
            if (stage.x > 0) {
                values[i].x = stage.x;
                values[i].y = stage.y > 0 ? stage.y : stage.x;
            }
            if (stage.mode !== null)
                values[i].linked = stage.mode === 1 && values[i].x === values[i].y;
            else if (values[i].x !== values[i].y)
                values[i].linked = false;
            // The colour the stage holds (black included), so that a DPI
            // change writes it back as it is.
            if (stage.colour && !Number.isFinite(values[i].stage.colourIndex) && !values[i].unset)
                values[i].colour = stage.colour;
        });
        if (!Number.isFinite(count)) {
            // Stages in use: the leading stages that hold a value.
            count = values.findIndex((v) => !(v.x > 0));
            if (count < 0)
                count = values.length;
        }
    }
    if (!Number.isFinite(count) || count < 1)
        count = Number.isFinite(countIndex) ? Math.min(values.length, 5) : values.length;
    for (const v of values) {
        if (!Number.isFinite(v.x) || v.x <= 0)
            v.x = snapDpi(800 * (v.stage.number + 1), product.dpi);
        if (!Number.isFinite(v.y) || v.y <= 0)
            v.y = v.x;
    }
    return { values, current: Math.min(current, values.length - 1), count: Math.min(count, values.length), countIndex };
}

function stageRow(ctx, state, v, steps, onActive) {
    const { session, product, toast } = ctx;
    const n = v.stage.number + 1;
    const status = new WriteStatus();
    const separateColour = Number.isFinite(v.stage.colourIndex);

    const active = h('input', { type: 'radio', name: 'active-stage', class: 'stage-active', 'aria-label': t('dpi.activeStage', { n }), checked: state.current === v.stage.number });
    const colour = h('input', { type: 'color', class: 'swatch', value: `#${v.colour.toLowerCase()}`, 'aria-label': t('dpi.stageColour', { n }) });
    const slider = h('input', { type: 'range', class: 'stage-slider', min: 0, max: steps.length - 1, step: 1, value: nearestStep(steps, v.x), 'aria-label': t('dpi.stageValue', { n }) });
    const number = h('input', { type: 'number', class: 'stage-number', min: product.dpi.min, max: product.dpi.max, step: product.dpi.bands[0].step, value: v.x, 'aria-label': t('dpi.stageValue', { n }) });
    const linked = h('input', { type: 'checkbox', class: 'stage-linked', checked: v.linked });
    const yNumber = h('input', { type: 'number', class: 'stage-y', min: product.dpi.min, max: product.dpi.max, step: product.dpi.bands[0].step, value: v.y, 'aria-label': t('dpi.stageY', { n }) });
    const xLabel = h('span', { class: 'axis', 'aria-hidden': 'true' }, v.linked ? '' : 'X');
    const yPart = h('span', { class: 'axis-part', hidden: v.linked }, h('span', { class: 'axis', 'aria-hidden': 'true' }, 'Y'), yNumber);
    slider.setAttribute('aria-valuetext', `${v.x} DPI`);

    const show = () => {
        number.value = v.x;
        slider.value = nearestStep(steps, v.x);
        slider.setAttribute('aria-valuetext', `${v.x} DPI`);
        yNumber.value = v.y;
        linked.checked = v.linked;
        yPart.hidden = v.linked;
        xLabel.textContent = v.linked ? '' : 'X';
        colour.value = `#${v.colour.toLowerCase()}`;
    };

    // Writes the stage with next changed and everything else as the device
    // holds it; a Retry that succeeds leaves the new value on screen.
    const writeStage = (next) => {
        const before = { x: v.x, y: v.y, linked: v.linked, colour: v.colour, unset: v.unset };
        const target = Object.assign({}, before, next, { unset: false });
        const task = dpiTask({ x: target.x, y: target.y, linked: target.linked, colour: separateColour ? '' : target.colour });
        return runWrite(status, () => session.write(v.stage.index, { TaskType: 'DPI', Task: task }, { name: `pDpi${v.stage.number}`, length: v.stage.length }), {
            toast,
            apply: () => {
                Object.assign(v, target);
                show();
            },
            onFailure: () => {
                Object.assign(v, before);
                show();
            },
        });
    };

    const writeColour = (hex) => {
        if (!separateColour)
            return writeStage({ colour: hex });
        const before = v.colour;
        return runWrite(status, () => session.write(v.stage.colourIndex, { TaskType: 'DPIRGB', Task: hex }, { name: `pDpi${v.stage.number}`, length: 3 }), {
            toast,
            apply: () => {
                v.colour = hex;
                show();
            },
            onFailure: () => {
                v.colour = before;
                show();
            },
        });
    };

    // A typed value: one the mouse takes is written (snapped to its
    // step); anything else puts the last good value back and says why.
    const entered = (field, apply) => {
        // A number field holds "" for letters typed into it; its validity
        // says they were there.
        const typed = field.validity && field.validity.badInput ? '?' : field.value;
        const check = checkDpiEntry(typed, product.dpi);
        if (!check.ok) {
            show();
            status.failed(check.reason === 'range'
                ? t('dpi.entryRange', { min: product.dpi.min, max: product.dpi.max })
                : t(`dpi.entry.${check.reason}`));
            return;
        }
        apply(check.value);
    };

    slider.addEventListener('input', () => {
        number.value = steps[Number(slider.value)];
        slider.setAttribute('aria-valuetext', `${number.value} DPI`);
    });
    slider.addEventListener('change', () => {
        const x = steps[Number(slider.value)];
        writeStage({ x, y: v.linked ? x : v.y });
    });
    number.addEventListener('change', () => entered(number, (x) => writeStage({ x, y: v.linked ? x : v.y })));
    yNumber.addEventListener('change', () => entered(yNumber, (y) => writeStage({ y })));
    linked.addEventListener('change', () => writeStage({ linked: linked.checked, y: linked.checked ? v.x : v.y }));
    colour.addEventListener('change', () => writeColour(colourText(parseColour(colour.value))));
    active.addEventListener('change', () => {
        if (active.checked)
            onActive(v.stage.number, status);
    });

    const row = h('div', { class: 'stage-row', dataset: { stage: String(v.stage.number) } },
        h('span', { class: 'stage-pick' }, active, h('span', { class: 'stage-name' }, t('dpi.stage', { n }))),
        colour, slider,
        h('span', { class: 'stage-values' }, xLabel, number, yPart, h('span', { class: 'unit' }, 'DPI'),
            h('label', { class: 'check' }, linked, t('dpi.linked'))),
        status.el);
    row.writeColour = writeColour;
    row.writeShown = () => writeStage({});
    row.stageValue = v;
    return row;
}

function render(ctx) {
    const { session, driver, product, toast } = ctx;
    const disposers = [];
    let disposed = false;
    const body = h('div', { class: 'panel-content' }, h('div', { class: 'loading', role: 'status' }, h('span', { class: 'spinner', 'aria-hidden': 'true' }), t('device.reading')));
    const steps = dpiSteps(product.dpi);

    loadState(ctx).then((state) => {
        if (disposed)
            return;
        clear(body);
        const rows = h('div', { class: 'stage-list', id: 'dpi-stages' });
        const currentIndex = driver.settingIndex('pDpiCurrent');

        const markActive = () => {
            for (const radio of rows.querySelectorAll('.stage-active'))
                radio.checked = Number(radio.closest('.stage-row').dataset.stage) === state.current;
        };
        const setActive = (number, status) => {
            const before = state.current;
            runWrite(status, () => session.write(currentIndex, { TaskType: RAW_TYPE, Task: rawBytes([number]) }, { name: 'pDpiCurrent', length: 1 }), {
                toast,
                apply: () => {
                    state.current = number;
                    markActive();
                },
                onFailure: () => {
                    state.current = before;
                    markActive();
                },
            });
        };

        const drawRows = () => {
            clear(rows);
            rows.append(h('div', { class: 'stage-row header', 'aria-hidden': 'true' },
                h('span', null, t('dpi.headActive')), h('span', null, t('dpi.headColour')), h('span', null, t('dpi.headValue')), h('span', null, ''), h('span', null, '')));
            for (const v of state.values.slice(0, state.count))
                rows.append(stageRow(ctx, state, v, steps, setActive));
        };
        drawRows();

        const parts = [];
        if (Number.isFinite(state.countIndex)) {
            const select = h('select', { id: 'dpi-count' },
                state.values.map((v, i) => h('option', { value: i + 1, selected: i + 1 === state.count }, String(i + 1))));
            const count = field({ label: t('dpi.count'), control: select, hint: t('dpi.countHint') });
            select.addEventListener('change', () => {
                const before = state.count;
                const beforeCurrent = state.current;
                const next = Number(select.value);
                runWrite(count.status, () => session.write(state.countIndex, { TaskType: RAW_TYPE, Task: rawBytes([next]) }, { name: 'pDpiCount', length: 1 }), {
                    toast,
                    apply: () => {
                        state.count = next;
                        select.value = String(next);
                        if (state.current >= next)
                            state.current = 0;
                        drawRows();
                    },
                    onSuccess: async () => {
                        for (const row of rows.querySelectorAll('.stage-row:not(.header)'))
                            if (row.stageValue.unset)
                                await row.writeShown();
                    },
                    onFailure: () => {
                        state.count = before;
                        state.current = beforeCurrent;
                        select.value = String(before);
                        drawRows();
                    },
                });
            });
            parts.push(count.el);
        }

        // One colour for every stage in use, written stage by stage.
        const allColour = h('input', { type: 'color', id: 'dpi-all-colour', value: `#${state.values[0].colour.toLowerCase()}` });
        const applyAll = h('button', { type: 'button', class: 'button secondary', id: 'dpi-all-apply' }, t('dpi.applyAll'));
        applyAll.addEventListener('click', async () => {
            applyAll.disabled = true;
            const hex = colourText(parseColour(allColour.value));
            for (const row of rows.querySelectorAll('.stage-row:not(.header)'))
                await row.writeColour(hex);
            applyAll.disabled = false;
        });
        parts.push(h('div', { class: 'field inline' }, h('label', { for: 'dpi-all-colour', class: 'field-label' }, t('dpi.allColours')), h('div', { class: 'field-control' }, allColour, applyAll)));

        // The stage the mouse reports it is on (W1.0 reports it live) is
        // the active one, whatever was written last.
        const stopReports = ctx.devices.onReportReceived((r) => {
            if (!r.device || r.device.key !== ctx.device.key || !Number.isFinite(r.decoded.stage))
                return;
            state.current = r.decoded.stage;
            for (const row of rows.querySelectorAll('.stage-row:not(.header)')) {
                const mine = Number(row.dataset.stage) === r.decoded.stage;
                row.classList.toggle('is-live', mine);
                row.querySelector('.stage-active').checked = mine;
            }
        });
        disposers.push(stopReports);

        body.append(section(t('dpi.title'), h('p', { class: 'hint' }, ctx.family.readBack ? t('dpi.liveHint') : t('dpi.liveHintStored')), rows, ...parts));
    });
    return {
        element: body,
        dispose: () => {
            disposed = true;
            disposers.forEach((stop) => stop());
        },
    };
}

registerDevicePanel({
    id: 'dpi',
    title: 'panel.dpi',
    order: 10,
    supports: (device, driver) => device.kind === 'mouse' && driver.dpiStages().length > 0 && !!device.product.dpi,
    render,
});
