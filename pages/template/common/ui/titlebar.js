// The window's own title bar: drag to move ("MoveWindow dx,dy,w,h"),
// double-click or the middle button to maximise and restore, minimise and
// close. The window commands are the program's; the page only asks.
import { COMMAND } from '../core/commands.js';
import { t, onLanguageChange } from '../core/i18n.js';
import { h, icon } from './dom.js';
import { closeWindow } from './close_window.js';

// options: { onClose } replaces the close command (a pop-up closes its own
// view), { maximise: false } leaves minimise and maximise out (a pop-up).
export function createTitleBar(client, brand, { onClose = null, maximise = true } = {}) {
    let maximised = false;
    let drag = null;
    let pending = null;

    const button = (id, iconName, labelKey, onclick) => {
        const b = h('button', { type: 'button', id, class: `window-button window-${id}`, onclick }, icon(iconName));
        const label = () => {
            b.setAttribute('aria-label', t(labelKey()));
            b.title = t(labelKey());
        };
        label();
        onLanguageChange(label);
        return b;
    };

    const toggleMaximise = () => {
        client.send(maximised ? COMMAND.restoreWindow : COMMAND.maxsizeWindow, {}, { timeout: 500 });
        maximised = !maximised;
        maximiseButton.replaceChildren(icon(maximised ? 'restore' : 'maximise'));
        maximiseButton.setAttribute('aria-label', t(maximised ? 'window.restore' : 'window.maximise'));
        maximiseButton.title = t(maximised ? 'window.restore' : 'window.maximise');
    };

    // The minimise shortcut is recognised by its exact text.
    const minimiseButton = button('minimise', 'minimise', () => 'window.minimise', () =>
        client.sendText('{"FuncName":"MinisizeWindow"}', { timeout: 1000, label: 'MinisizeWindow' }));
    const maximiseButton = button('maximise', 'maximise', () => (maximised ? 'window.restore' : 'window.maximise'), toggleMaximise);
    const closeButton = button('close', 'close', () => 'window.close', onClose || (() => closeWindow(client)));

    const title = h('span', { class: 'titlebar-name' }, brand.name);
    const bar = h('header', { class: 'titlebar', id: 'titlebar' },
        h('span', { class: 'brand-mark', 'aria-hidden': 'true' }, brand.mark || brand.name.slice(0, 2)),
        title,
        h('span', { class: 'titlebar-space' }),
        h('span', { class: 'window-buttons' }, maximise ? minimiseButton : null, maximise ? maximiseButton : null, closeButton));

    // Moves are sent at most once a frame, with the distance gathered since.
    const flush = () => {
        pending = null;
        if (!drag || (drag.dx === 0 && drag.dy === 0))
            return;
        const text = `MoveWindow ${drag.dx},${drag.dy},${window.innerWidth},${window.innerHeight}`;
        drag.dx = 0;
        drag.dy = 0;
        client.sendText(text, { timeout: 1000, quiet: true });
    };

    bar.addEventListener('mousedown', (e) => {
        if (e.button !== 0 || e.target.closest('button') || maximised)
            return;
        drag = { x: e.screenX, y: e.screenY, dx: 0, dy: 0 };
        e.preventDefault();
    });
    window.addEventListener('mousemove', (e) => {
        if (!drag)
            return;
        drag.dx += e.screenX - drag.x;
        drag.dy += e.screenY - drag.y;
        drag.x = e.screenX;
        drag.y = e.screenY;
        if (!pending)
            pending = requestAnimationFrame(flush);
    });
    window.addEventListener('mouseup', () => {
        if (drag)
            flush();
        drag = null;
    });
    bar.addEventListener('dblclick', (e) => {
        if (maximise && !e.target.closest('button'))
            toggleMaximise();
    });

    return bar;
}
