// A keyboard as the pages draw and write it: its keys (lighting matrix
// position and name, where they are drawn, the definition's key row, and
// where the family keeps the key's assignment), the per-key colours of
// "WriteRGBDevice", and the key records of families that write a whole
// profile mode (K2.0, K3.0) from the device's profile document.

// Where a profile-mode family keeps a key: records are written in matrix
// order, one per position, so the layout mode lists every position. The
// Index of a position's key stays clear of the setting indexes (lighting
// 21, per-key lighting 43) that share the document's Key elements.
export const LAYOUT_INDEX_BASE = 1000;

export function layoutIndex(position) {
    return LAYOUT_INDEX_BASE + position;
}

const COLOUR = /^[0-9A-F]{6}$/;

// The drawn keys. layout: data/keyboard_layout.js; driver: the family's
// definition; product: its "gKeys" count. Each key:
//   { id, name, position, x, y, w, h, cap, keyRow, task, button }
// position: the lighting matrix position (NaN for keys outside it, the G
// keys); keyRow: the definition's key row for the matrix name (by its
// Value), task its name; button: { index, length } where the family writes
// the key's assignment by Index (K1.0), else null.
export function keyboardKeys(layout, driver, product = null) {
    const keyRows = new Map();
    for (const row of driver.keys())
        if (row.Value && !keyRows.has(row.Value))
            keyRows.set(row.Value, row);
    const buttonRows = new Map();
    for (const row of driver.rows) {
        const match = /^Button(\d+)$/.exec(row.Task);
        const index = Number.parseInt(row.Index, 10);
        if (match && Number.isFinite(index) && row.Name && !buttonRows.has(row.Name))
            buttonRows.set(row.Name, { index, length: Number.parseInt(row.Length, 10), task: row.Task });
    }
    const positions = new Map();
    layout.matrix.forEach((name, position) => {
        if (name && !positions.has(name))
            positions.set(name, position);
    });

    const keys = [];
    for (const [top, entries] of layout.rows) {
        for (const [name, left, w = 1, h = 1] of entries) {
            const keyRow = keyRows.get(name) || null;
            keys.push({
                id: name,
                name,
                position: positions.has(name) ? positions.get(name) : NaN,
                x: left, y: top, w, h,
                cap: Object.prototype.hasOwnProperty.call(layout.caps, name) ? layout.caps[name] : (keyRow ? keyRow.Name || keyRow.Task : name),
                keyRow,
                task: keyRow ? keyRow.Task : '',
                button: keyRow ? buttonRows.get(keyRow.Task) || null : null,
            });
        }
    }
    const count = Math.max(0, Math.min(Number.parseInt(product && product.gKeys, 10) || 0, 12));
    const gap = layout.gKeys.gap;
    const pitch = count > 1 ? Math.min(1 + gap, (layout.height - 1) / (count - 1)) : 0;
    for (let i = 1; i <= count; ++i) {
        const name = `G${i}`;
        keys.push({
            id: name, name, position: NaN,
            x: layout.gKeys.left, y: (i - 1) * pitch, w: 1.25, h: Math.min(1, pitch || 1) - (count > 1 ? gap : 0),
            cap: name, keyRow: null, task: '', button: buttonRows.get(name) || null, gKey: true,
        });
    }
    return keys;
}

// The drawing's extent: left edge (negative with G keys) and width.
export function keyboardExtent(keys, layout) {
    const left = Math.min(0, ...keys.map((k) => k.x));
    return { left, width: layout.width - left, height: layout.height };
}

// What a key does when nothing was written: keys send themselves, G keys
// nothing.
export function factoryAssignment(key) {
    return key.task ? { kind: 'keys', keys: [key.task] } : null;
}

// The "Data" of "WriteRGBDevice": the coloured keys by matrix name as
// "NAME#RRGGBB" items, wrapped as a JSON array text. The program clears
// every key a write does not name, so a write carries all coloured keys.
// colours: Map of matrix name to RRGGBB.
export function lightingData(colours, layout) {
    const known = new Set(layout.matrix.filter((n) => n));
    const items = [];
    for (const [name, colour] of colours) {
        const c = String(colour || '').toUpperCase();
        if (known.has(name) && COLOUR.test(c))
            items.push(`${name}#${c}`);
    }
    return JSON.stringify(items);
}

// The key record attributes of a layout key for an assignment, as the
// profile keeps them (Type, Value, PlayCount, PlayType, PlayWay): the
// request's TaskType, Task and TaskCount, and the family's play bytes.
export function recordAttributes(request, play = {}) {
    return {
        Type: request.TaskType || '',
        Value: request.Task || '',
        PlayCount: request.TaskCount || '1',
        PlayType: play.PlayType || '0',
        PlayWay: request.TaskManner || play.TaskManner || '0',
        PlayDelay: request.TaskDelay || '0',
    };
}

// The request a layout key's attributes stand for (for fromRequest).
export function recordRequest(attributes) {
    if (!attributes)
        return null;
    return { TaskType: attributes.Type || '', Task: attributes.Value || '', TaskCount: attributes.PlayCount || '1' };
}

// The layout mode of a profile-mode keyboard: one key per matrix
// position, in position order, each sending its own key (empty positions
// and keys without a definition row write no code).
export function defaultLayout(layout, driver, play = {}) {
    const keyRows = new Map();
    for (const row of driver.keys())
        if (row.Value && !keyRows.has(row.Value))
            keyRows.set(row.Value, row);
    return layout.matrix.map((name, position) => {
        const row = name ? keyRows.get(name) : null;
        let request = row ? { TaskType: 'Keyboard', Task: row.Task, TaskCount: '1' } : { TaskType: '', Task: '', TaskCount: '0' };
        // A key whose name holds "+" ("Num +") cannot be named as a key
        // (the program splits at "+"); its record takes the key's code from
        // the definition as the same key code, written as it stands.
        if (row && row.Task.includes('+') && /^[0-9A-F]{2}$/i.test(row.Code))
            request = { TaskType: 'MultiMedia', Task: `0200${row.Code.toUpperCase()}`, TaskCount: '1' };
        return Object.assign({ Index: String(layoutIndex(position)), Name: name || '-', Length: '15' },
            recordAttributes(request, row ? play : {}));
    });
}

// One use of a painting tool on the key named name (a matrix name).
//   brush: the key takes colour; eraser: the key is unlit;
//   fill: every key lit like this one (or unlit, like this one) takes
//   colour, or with all every key of names;
//   picker: nothing changes, the key's colour is picked.
// Returns { colours, picked } with a new Map.
export function paint(colours, tool, name, colour, { names = [], all = false } = {}) {
    const next = new Map(colours);
    const c = String(colour || '').toUpperCase();
    switch (tool) {
    case 'brush':
        if (COLOUR.test(c))
            next.set(name, c);
        break;
    case 'eraser':
        next.delete(name);
        break;
    case 'fill': {
        if (!COLOUR.test(c))
            break;
        const like = colours.get(name) || null;
        for (const n of names)
            if (all || (colours.get(n) || null) === like)
                next.set(n, c);
        break;
    }
    case 'picker':
        return { colours: next, picked: colours.get(name) || null };
    default:
        break;
    }
    return { colours: next, picked: null };
}
