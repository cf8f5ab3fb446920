// DPI stages: the values a product accepts and the "DPI" write of a stage.
//
// A product's range (data/products.js, "dpi") is a list of bands
// [{ "to": 7200, "step": 50 }, { "to": 25500, "step": 100 }] above "min":
// values snap to the step of their band.

export function snapDpi(value, range) {
    const n = Number(value);
    if (!Number.isFinite(n))
        return range.min;
    let v = Math.max(range.min, Math.min(range.max, n));
    let from = range.min;
    for (const band of range.bands) {
        if (v <= band.to) {
            const snapped = from + Math.round((v - from) / band.step) * band.step;
            return Math.min(band.to, snapped);
        }
        from = band.to;
    }
    return range.max;
}

// What the user typed into a DPI field, judged before anything is written:
// { ok: true, value } with the value snapped to a step the mouse takes, or
// { ok: false, reason } where reason is 'empty', 'notNumber' or 'range' (a
// number outside what this mouse accepts is not clamped silently: the user
// is told the range and nothing is written).
export function checkDpiEntry(text, range) {
    const raw = String(text === undefined || text === null ? '' : text).trim();
    if (!raw)
        return { ok: false, reason: 'empty' };
    if (!/^[+]?\d+(\.\d+)?$/.test(raw))
        return { ok: false, reason: 'notNumber' };
    const n = Number(raw);
    if (!Number.isFinite(n))
        return { ok: false, reason: 'notNumber' };
    if (n < range.min || n > range.max)
        return { ok: false, reason: 'range' };
    return { ok: true, value: snapDpi(n, range) };
}

// The value the slider sits at for a DPI value and back: the slider runs in
// steps, so every slider position is a value the device takes.
export function dpiSteps(range) {
    const values = [range.min];
    for (const band of range.bands) {
        // Each band steps on from where the one below it stopped.
        for (let v = values[values.length - 1] + band.step; v <= band.to; v += band.step)
            values.push(v);
    }
    return values;
}

export function nearestStep(values, dpi) {
    let best = 0;
    for (let i = 1; i < values.length; ++i)
        if (Math.abs(values[i] - dpi) < Math.abs(values[best] - dpi))
            best = i;
    return best;
}

// The Task of a "DPI" write: "mode|x|y" and the colour RRGGBB where the
// stage carries one. Mode 1 links Y to X.
export function dpiTask({ x, y, linked, colour }) {
    const parts = [linked ? '1' : '0', String(Math.round(x)), String(Math.round(linked ? x : y))];
    if (colour)
        parts.push(colour.toUpperCase());
    return parts.join('|');
}

export function parseDpiTask(task) {
    const parts = String(task || '').split('|');
    if (parts.length < 3)
        return null;
    const x = Number.parseInt(parts[1], 10);
    const y = Number.parseInt(parts[2], 10);
    if (!Number.isFinite(x) || !Number.isFinite(y))
        return null;
    const colour = parts[3] && /^[0-9a-f]{6}$/i.test(parts[3]) ? parts[3].toUpperCase() : '';
    return { linked: parts[0] === '1', x, y, colour };
}
