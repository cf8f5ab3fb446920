// Mouse lighting values and the bytes they are written as. The layout of a
// family's lighting row is product data (data/products.js, "lighting"):
//   bytes:  how many values the write carries (10 on M families, whose last
//           byte stays 0; 6 on W1.0, where the program adds check bytes)
//   fields: the value position of "mode", "brightness", "speed" and the
//           first of the three "colour" bytes.
// Bytes the layout does not name are written back as they were read.

export function hex2(value) {
    return (value & 0xff).toString(16).padStart(2, '0');
}

export function colourText(rgb) {
    return rgb.map(hex2).join('').toUpperCase();
}

export function parseColour(text) {
    const match = /^#?([0-9a-f]{6})$/i.exec(String(text || '').trim());
    if (!match)
        return null;
    const v = match[1];
    return [0, 2, 4].map((i) => parseInt(v.slice(i, i + 2), 16));
}

// The values a lighting state stands for, starting from the bytes read or
// written last (base).
export function lightingBytes(state, layout, base) {
    const bytes = Array.from({ length: layout.bytes }, (_, i) => (base && Number.isFinite(base[i]) ? base[i] & 0xff : 0));
    const f = layout.fields;
    if (Number.isFinite(f.mode))
        bytes[f.mode] = state.mode & 0xff;
    if (Number.isFinite(f.brightness))
        bytes[f.brightness] = state.brightness & 0xff;
    if (Number.isFinite(f.speed))
        bytes[f.speed] = state.speed & 0xff;
    if (Number.isFinite(f.colour))
        state.colour.forEach((c, i) => {
            bytes[f.colour + i] = c & 0xff;
        });
    return bytes;
}

export function lightingState(bytes, layout) {
    const f = layout.fields;
    const at = (i) => (Number.isFinite(i) && Number.isFinite(bytes[i]) ? bytes[i] : 0);
    return {
        mode: at(f.mode),
        brightness: at(f.brightness),
        speed: at(f.speed),
        colour: [at(f.colour), at(f.colour + 1), at(f.colour + 2)],
    };
}

// The Task text of a lighting write: 0x-prefixed bytes joined by ",".
export function lightingTask(bytes) {
    return bytes.map((b) => `0x${hex2(b)}`).join(',');
}

export function parseLightingTask(task) {
    const items = String(task || '').split(',').filter((s) => s.trim().length);
    const bytes = items.map((s) => parseInt(s.trim().replace(/^0x/i, ''), 16));
    return bytes.every((b) => Number.isFinite(b) && b >= 0 && b <= 255) ? bytes : null;
}

// The lighting field of the settings summary: three values in decimal, the
// colour as three unpadded hexadecimal bytes run together, three more
// values in decimal ("1,5,3,ff00,2,0,0"). The run-together colour is
// ambiguous when a byte is below 0x10; a remembered colour that gives the
// same text is taken, else the likeliest reading.
export function parseSummaryLighting(text, rememberedColour) {
    const parts = String(text || '').split(',');
    if (parts.length !== 7)
        return null;
    const numbers = [0, 1, 2, 4, 5, 6].map((i) => Number.parseInt(parts[i], 10));
    if (!numbers.every(Number.isFinite))
        return null;
    const colour = splitColour(parts[3], rememberedColour);
    if (!colour)
        return null;
    return [numbers[0], numbers[1], numbers[2], ...colour, numbers[3], numbers[4], numbers[5], 0];
}

function splitColour(text, remembered) {
    const run = (rgb) => rgb.map((c) => c.toString(16)).join('');
    if (remembered && run(remembered) === text.toLowerCase())
        return remembered.slice();
    if (!/^[0-9a-f]{3,6}$/i.test(text))
        return null;
    // Each byte took one or two digits; prefer two-digit bytes first.
    const lengths = [];
    for (const a of [2, 1])
        for (const b of [2, 1])
            for (const c of [2, 1])
                if (a + b + c === text.length)
                    lengths.push([a, b, c]);
    for (const [a, b, c] of lengths) {
        const parts = [text.slice(0, a), text.slice(a, a + b), text.slice(a + b)];
        // A two-digit byte never starts with 0 in this form.
        if (parts.some((p) => p.length === 2 && p[0] === '0'))
            continue;
        return parts.map((p) => parseInt(p, 16));
    }
    return null;
}
