// Device pictures (images/*.js, each an SVG text), drawn inline so the
// page's colours apply. The mouse picture marks its buttons by a fixed id
// convention: "buttonN" (the button's area, N the zone of data/products.js),
// "buttonN-leader" and "buttonN-marker" (the numbered label), "ledN".

import mouse from '../images/mouse.js';
import keyboard from '../images/keyboard.js';
import unknown from '../images/unknown.js';

export const IMAGES = { mouse, keyboard, unknown };
const texts = new Map(Object.entries(IMAGES));

// The picture as an element. small: a thumbnail, without ids, numbers and
// leader lines. zones: the zones to show (others are hidden).
export function deviceImage(name, { small = false, zones = null } = {}) {
    const text = texts.get(name) || texts.get('unknown') || '';
    const doc = new DOMParser().parseFromString(text, 'image/svg+xml');
    const root = doc.documentElement;
    if (!root || root.nodeName !== 'svg')
        return document.createElement('span');
    const svg = document.importNode(root, true);
    svg.setAttribute('aria-hidden', 'true');
    svg.setAttribute('focusable', 'false');
    if (small) {
        svg.querySelectorAll('.leader, .marker').forEach((n) => n.remove());
        svg.querySelectorAll('[id]').forEach((n) => n.removeAttribute('id'));
        svg.classList.add('small');
    } else if (zones) {
        svg.querySelectorAll('[id^="button"]').forEach((n) => {
            const zone = Number(/^button(\d+)/.exec(n.id)[1]);
            if (!zones.includes(zone))
                n.remove();
        });
    }
    return svg;
}
