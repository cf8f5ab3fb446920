// Element building without a framework. h('button', { class: 'x', onclick },
// 'text', child) creates the element; texts become text nodes, never HTML.

export function h(tag, props, ...children) {
    const el = document.createElement(tag);
    if (props) {
        for (const [name, value] of Object.entries(props)) {
            if (value === undefined || value === null || value === false)
                continue;
            if (name === 'class')
                el.className = value;
            else if (name === 'dataset')
                Object.assign(el.dataset, value);
            else if (name === 'style' && typeof value === 'object')
                Object.assign(el.style, value);
            else if (name.startsWith('on') && typeof value === 'function')
                el.addEventListener(name.slice(2), value);
            else if (name === 'value' || name === 'checked' || name === 'disabled' || name === 'selected')
                el[name] = value;
            else
                el.setAttribute(name, value === true ? '' : String(value));
        }
    }
    append(el, children);
    return el;
}

function append(el, children) {
    for (const child of children) {
        if (child === undefined || child === null || child === false)
            continue;
        if (Array.isArray(child))
            append(el, child);
        else if (child instanceof Node)
            el.appendChild(child);
        else
            el.appendChild(document.createTextNode(String(child)));
    }
}

export function clear(el) {
    while (el.firstChild)
        el.removeChild(el.firstChild);
    return el;
}

// SVG elements (h creates HTML elements only).
export function svg(tag, attrs, ...children) {
    const el = document.createElementNS('http://www.w3.org/2000/svg', tag);
    for (const [name, value] of Object.entries(attrs || {}))
        if (value !== undefined && value !== null)
            el.setAttribute(name, String(value));
    for (const child of children.flat())
        if (child)
            el.appendChild(child instanceof Node ? child : document.createTextNode(String(child)));
    return el;
}

let idCounter = 0;
export function uid(prefix = 'id') {
    idCounter += 1;
    return `${prefix}-${idCounter}`;
}

// Icons drawn inline (nothing is fetched): 16 x 16 strokes.
const ICONS = {
    minimise: 'M3 8h10',
    maximise: 'M3.5 3.5h9v9h-9z',
    restore: 'M5.5 3.5h7v7M3.5 5.5h7v7h-7z',
    close: 'M4 4l8 8M12 4l-8 8',
    devices: 'M5 2.5h6a3 3 0 0 1 3 3v5a5 5 0 0 1-10 0v-5a3 3 0 0 1 3-3zM8 2.5v4',
    settings: 'M8 5.5a2.5 2.5 0 1 1 0 5 2.5 2.5 0 0 1 0-5zM8 1.5v2M8 12.5v2M1.5 8h2M12.5 8h2M3.4 3.4l1.4 1.4M11.2 11.2l1.4 1.4M3.4 12.6l1.4-1.4M11.2 4.8l1.4-1.4',
    back: 'M10 3L5 8l5 5',
    check: 'M3 8.5l3 3 7-7',
    warning: 'M8 2l6.5 11.5h-13zM8 6.5v3M8 11.5v.5',
    refresh: 'M13 4v3.5H9.5M12.6 7.2A5 5 0 1 0 13 9',
    search: 'M7 2.5a4.5 4.5 0 1 1 0 9 4.5 4.5 0 0 1 0-9zM10.5 10.5l3.5 3.5',
    keyboard: 'M1.5 4.5h13v7h-13zM4 7h1M7 7h1M10 7h1M5 9.5h6',
    info: 'M8 1.5a6.5 6.5 0 1 1 0 13 6.5 6.5 0 0 1 0-13zM8 7v4.5M8 4.5v.5',
    log: 'M3 3.5h10M3 6.5h10M3 9.5h7M3 12.5h5',
    copy: 'M5.5 5.5h8v8h-8zM3 10.5h-.5v-8h8v.5',
    macro: 'M2.5 3.5h11v9h-11zM5 6.5l2 1.5-2 1.5M8.5 10h3',
    pointer: 'M4 2l8 6.5-3.6.6 2.1 4.4-1.6.8-2.1-4.4L4 12.5z',
    remap: 'M2.5 5h9l-2.5-2.5M13.5 11h-9l2.5 2.5',
    lock: 'M4 7.5h8v6H4zM5.5 7.5V5a2.5 2.5 0 0 1 5 0v2.5',
    chip: 'M4.5 4.5h7v7h-7zM6.5 2v2.5M9.5 2v2.5M6.5 11.5V14M9.5 11.5V14M2 6.5h2.5M2 9.5h2.5M11.5 6.5H14M11.5 9.5H14',
};

export function icon(name, label) {
    const el = svg('svg', { viewBox: '0 0 16 16', width: 16, height: 16, class: `icon icon-${name}`, 'aria-hidden': label ? null : 'true', role: label ? 'img' : null, 'aria-label': label || null },
        svg('path', { d: ICONS[name] || '', fill: 'none', stroke: 'currentColor', 'stroke-width': 1.5, 'stroke-linecap': 'round', 'stroke-linejoin': 'round' }));
    return el;
}
