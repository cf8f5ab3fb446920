// A browser document for the tests of the interface modules (ui/, panels/,
// pages/): jsdom, with what it lacks and the pages use filled in (the
// <dialog> element's modal opening and closing, pointer events, scrolling
// into view). Import it before any page module: those find the document
// as a global, as they do in the program.
import { JSDOM } from 'jsdom';

const dom = new JSDOM('<!doctype html><html lang="en"><head></head><body></body></html>', {
    url: 'http://pages.orvanta.test/local/rx318/index.html',
    pretendToBeVisual: true,
});
const win = dom.window;

// <dialog>: open while shown; close(value) sets returnValue and fires
// "close" as a task, as browsers do.
const Dialog = win.HTMLDialogElement || win.HTMLElement;
if (!Dialog.prototype.showModal) {
    Object.defineProperty(win.HTMLElement.prototype, 'open', {
        configurable: true,
        get() {
            return this.hasAttribute('open');
        },
        set(on) {
            this.toggleAttribute('open', !!on);
        },
    });
    win.HTMLElement.prototype.showModal = function showModal() {
        this.open = true;
        if (this.returnValue === undefined)
            this.returnValue = '';
    };
    win.HTMLElement.prototype.close = function close(value) {
        if (!this.open)
            return;
        this.open = false;
        if (value !== undefined)
            this.returnValue = String(value);
        setTimeout(() => this.dispatchEvent(new win.Event('close')), 0);
    };
}
if (!win.PointerEvent) {
    win.PointerEvent = class PointerEvent extends win.MouseEvent {
        constructor(type, init = {}) {
            super(type, init);
            this.pointerId = init.pointerId || 1;
        }
    };
}
win.HTMLElement.prototype.scrollIntoView = function scrollIntoView() {};
win.Element.prototype.scrollIntoView = win.HTMLElement.prototype.scrollIntoView;

for (const name of ['window', 'document', 'Node', 'Element', 'HTMLElement', 'Event', 'KeyboardEvent', 'MouseEvent', 'PointerEvent',
    'CustomEvent', 'MutationObserver', 'getComputedStyle', 'requestAnimationFrame', 'cancelAnimationFrame', 'location', 'DocumentFragment',
    'DOMParser', 'XMLSerializer', 'SVGElement']) {
    Object.defineProperty(globalThis, name, { value: name === 'window' ? win : win[name], configurable: true, writable: true });
}

export { win as window };

// Lets timers and answers that are due run (the fake program answers on a
// timer; a dialog closes on one).
export function settle(ms = 0) {
    return new Promise((resolve) => setTimeout(resolve, ms));
}

// Waits until check() holds (at most a second); fails the test otherwise.
export async function until(check, what = 'the condition') {
    for (let i = 0; i < 200; i += 1) {
        if (check())
            return;
        await settle(5);
    }
    throw new Error(`timed out waiting for ${what}`);
}

// The open dialog (the last one opened), or null.
export function openDialogElement() {
    const dialogs = [...document.querySelectorAll('dialog')].filter((d) => d.open);
    return dialogs.length ? dialogs[dialogs.length - 1] : null;
}

export function click(el) {
    if (!el)
        throw new Error('nothing to click');
    el.dispatchEvent(new win.MouseEvent('click', { bubbles: true, cancelable: true }));
}

export function type(el, value, event = 'input') {
    el.value = value;
    el.dispatchEvent(new win.Event(event, { bubbles: true }));
}

// A key event; keyCode (which jsdom's events leave 0) as given.
export function key(el, type, init = {}) {
    const e = new win.KeyboardEvent(type, Object.assign({ bubbles: true, cancelable: true }, init));
    if (init.keyCode !== undefined)
        Object.defineProperty(e, 'keyCode', { value: init.keyCode });
    el.dispatchEvent(e);
    return e;
}
