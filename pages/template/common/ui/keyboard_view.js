// A drawn keyboard: one real button per key, placed as the layout data
// says, each with a label for screen readers. The keyboard is one Tab stop
// (the key last chosen, else the first); the arrow keys, Home and End move
// between keys inside it. Panels decide what a key shows (its text under
// the cap, its colour) and what choosing it does.
//
//   keyboardView(keys, extent, { onKey(key, event), describe(key), colourOf(key), className })
//   -> { el, refresh(), keyElement(id) }
import { h } from './dom.js';

function percent(value, total) {
    return `${(100 * value / total).toFixed(4)}%`;
}

// A lit key's colour, see-through, for its face and glow.
function tint(hex) {
    const n = Number.parseInt(hex, 16);
    return `rgba(${(n >> 16) & 255}, ${(n >> 8) & 255}, ${n & 255}, 0.45)`;
}

export function keyboardView(keys, extent, { onKey, describe = () => '', colourOf = () => null, detail = () => '', className = '' } = {}) {
    // The height follows the width (padding in percent of the width).
    const board = h('div', {
        class: `keyboard ${className}`, role: 'group',
        style: { paddingTop: percent(extent.height, extent.width) },
    });
    const elements = new Map();
    // The one key of the keyboard that Tab reaches.
    let stop = null;
    const rove = (el) => {
        if (stop === el)
            return;
        if (stop)
            stop.tabIndex = -1;
        stop = el;
        el.tabIndex = 0;
    };
    for (const key of keys) {
        const el = h('button', {
            type: 'button', class: `kb-key${key.gKey ? ' g-key' : ''}`, dataset: { key: key.id },
            style: {
                left: percent(key.x - extent.left, extent.width),
                top: percent(key.y, extent.height),
                width: percent(key.w, extent.width),
                height: percent(key.h, extent.height),
            },
        }, h('span', { class: String(key.cap).length > 2 && key.w < 1.5 ? 'kb-cap long' : 'kb-cap' }, key.cap), h('span', { class: 'kb-detail' }));
        el.tabIndex = elements.size === 0 ? 0 : -1;
        el.addEventListener('click', (e) => onKey && onKey(key, e));
        el.addEventListener('focus', () => rove(el));
        elements.set(key.id, { el, key });
        board.append(el);
    }

    // Arrow keys move to the nearest key in that direction.
    board.addEventListener('keydown', (e) => {
        const moves = { ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, -1], ArrowDown: [0, 1] };
        const move = moves[e.key];
        const from = e.target.closest && e.target.closest('.kb-key');
        if (from && (e.key === 'Home' || e.key === 'End')) {
            const all = [...elements.values()];
            const target = (e.key === 'Home' ? all[0] : all[all.length - 1]).el;
            e.preventDefault();
            target.focus();
            return;
        }
        if (!move || !from)
            return;
        const here = elements.get(from.dataset.key).key;
        const cx = here.x + here.w / 2;
        const cy = here.y + here.h / 2;
        let best = null;
        let bestScore = Infinity;
        for (const { el, key } of elements.values()) {
            const dx = key.x + key.w / 2 - cx;
            const dy = key.y + key.h / 2 - cy;
            const along = dx * move[0] + dy * move[1];
            if (along <= 0.1)
                continue;
            const across = Math.abs(dx * move[1]) + Math.abs(dy * move[0]);
            const score = along + across * 3;
            if (score < bestScore) {
                bestScore = score;
                best = el;
            }
        }
        if (best) {
            e.preventDefault();
            best.focus();
        }
    });

    const refresh = () => {
        for (const { el, key } of elements.values()) {
            const colour = colourOf(key);
            el.style.setProperty('--key-colour', colour ? `#${colour}` : 'transparent');
            el.style.setProperty('--key-tint', colour ? tint(colour) : 'transparent');
            el.classList.toggle('lit', !!colour);
            const text = detail(key);
            el.querySelector('.kb-detail').textContent = text;
            el.classList.toggle('changed', !!text);
            el.setAttribute('aria-label', describe(key));
            el.title = describe(key);
        }
    };
    refresh();
    stop = elements.size ? [...elements.values()][0].el : null;
    // Key texts grow and shrink with the drawing.
    if (typeof ResizeObserver === 'function')
        new ResizeObserver(() => {
            const unit = board.clientWidth / extent.width;
            board.style.fontSize = `${Math.max(9, Math.min(13, unit * 0.32)).toFixed(1)}px`;
        }).observe(board);
    return { el: board, refresh, keyElement: (id) => (elements.get(id) || {}).el || null };
}
