// Reading back what a mouse holds: the settings summary of
// "GetWindowsMouseConfig" and the stage values of "ReadDevicesDpiVal".

// "reporVal:1,curDpi:1,DpiXVal:800,...,lightVal:1,5,3,ff00,2,0,0,..." into
// { reporVal: '1', curDpi: '1', ..., lightVal: '1,5,3,ff00,2,0,0' }. Values
// may hold commas; labels are words followed by ":".
export function parseSummary(text) {
    const fields = {};
    if (typeof text !== 'string')
        return fields;
    const label = /(?:^|,)([A-Za-z]+):/g;
    const found = [];
    let match;
    while ((match = label.exec(text)) !== null)
        found.push({ name: match[1], start: match.index, valueStart: label.lastIndex });
    found.forEach((f, i) => {
        const end = i + 1 < found.length ? found[i + 1].start : text.length;
        let value = text.slice(f.valueStart, end);
        if (value.endsWith(','))
            value = value.slice(0, -1);
        if (!Object.prototype.hasOwnProperty.call(fields, f.name))
            fields[f.name] = value;
    });
    return fields;
}

export function parseNumber(text) {
    const n = Number.parseInt(text, 10);
    return Number.isFinite(n) ? n : NaN;
}

// The stage value "ReadDevicesDpiVal" gives ({"DpiXVal":"800","DpiYVal":"800"},
// and with "Detail" the stage's mode and colour, "DpiModeVal":"1",
// "DpiRGBVal":"FF0000"), or null when the answer is not one. mode and colour
// are null when the answer does not carry them.
export function parseDpiReply(text) {
    let value;
    try {
        value = JSON.parse(text);
    } catch (e) {
        return null;
    }
    return dpiValue(value);
}

// One stage object ({"DpiXVal", "DpiYVal", "DpiModeVal", "DpiRGBVal"}) as
// { x, y, mode, colour }; null when it holds no numbers.
function dpiValue(value) {
    if (!value || typeof value !== 'object')
        return null;
    const x = parseNumber(value.DpiXVal);
    const y = parseNumber(value.DpiYVal);
    if (!Number.isFinite(x) || !Number.isFinite(y))
        return null;
    const mode = parseNumber(value.DpiModeVal);
    const colour = typeof value.DpiRGBVal === 'string' && /^[0-9a-f]{6}$/i.test(value.DpiRGBVal)
        ? value.DpiRGBVal.toUpperCase() : null;
    return { x, y, mode: Number.isFinite(mode) ? mode : null, colour };
}

// The reply of "ReadDevicesDpiStages": { current, stages } with a stage
// per index asked for (null where one could not be read), or null when the
// reply is not the expected document.
export function parseDpiStages(text) {
    let value;
    try {
        value = JSON.parse(text);
    } catch (e) {
        return null;
    }
    if (!value || typeof value !== 'object' || !Array.isArray(value.Stages))
        return null;
    const current = parseNumber(value.Current);
    return { current: Number.isFinite(current) ? current : null, stages: value.Stages.map(dpiValue) };
}

// The DpiIndex that reads stage n: the first five stages by their number,
// the others by their property (the read takes any other number as the
// property itself).
export function dpiReadIndex(stage) {
    return stage.number < 5 ? stage.number : stage.index;
}
