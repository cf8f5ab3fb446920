// Factory settings written value by value: for families whose reset cannot
// be relied on to bring them back (family "factoryWrites" in
// data/products.js), the product's factory values are written as the
// panels write them, so the pages read them back the same way.
import { toRequest } from './assignment.js';
import { writableButtons } from './catalogue.js';
import { dpiTask } from './dpi.js';
import { lightingBytes, lightingTask, parseColour } from './lighting.js';
import { RAW_TYPE, rawBytes } from './device_editor.js';

// The writes, in order: buttons, DPI stages and their colours, the active
// stage, report rate, lighting. Each: { index, request, name, length }.
// Values the product does not give are left as they are.
export function factoryWrites(driver, product, family) {
    const factory = (product && product.factory) || {};
    const writes = [];
    for (const button of writableButtons(product, driver)) {
        if (!button.factory)
            continue;
        writes.push({
            index: button.index,
            request: Object.assign(toRequest(button.factory, driver), family.buttonPlay || {}),
            name: `pButton${button.row.number}`,
            length: button.row.length,
        });
    }
    for (const stage of driver.dpiStages()) {
        const x = Array.isArray(factory.stages) ? Number(factory.stages[stage.number]) : NaN;
        const colour = Array.isArray(factory.colours) ? String(factory.colours[stage.number] || '') : '';
        const separate = Number.isFinite(stage.colourIndex);
        if (Number.isFinite(x) && x > 0)
            writes.push({
                index: stage.index,
                request: { TaskType: 'DPI', Task: dpiTask({ x, y: x, linked: true, colour: separate ? '' : colour }) },
                name: `pDpi${stage.number}`,
                length: stage.length,
            });
        if (separate && parseColour(colour))
            writes.push({ index: stage.colourIndex, request: { TaskType: 'DPIRGB', Task: colour.toUpperCase() }, name: `pDpi${stage.number}`, length: 3 });
    }
    const raw = (task, value) => {
        const index = driver.settingIndex(task);
        if (Number.isFinite(index) && Number.isFinite(value))
            writes.push({ index, request: { TaskType: RAW_TYPE, Task: rawBytes([value]) }, name: task, length: 1 });
    };
    raw('pDpiCurrent', factory.currentStage);
    raw('pReportrate', factory.reportRate);
    const light = factory.lighting;
    const lightIndex = driver.settingIndex('pLights');
    if (light && family.lighting && Number.isFinite(lightIndex)) {
        const bytes = lightingBytes({
            mode: light.mode, brightness: light.brightness, speed: light.speed, colour: parseColour(light.colour) || [255, 0, 0],
        }, family.lighting, null);
        writes.push({ index: lightIndex, request: { TaskType: 'Lights', Task: lightingTask(bytes) }, name: 'pLights', length: family.lighting.bytes });
    }
    return writes;
}
