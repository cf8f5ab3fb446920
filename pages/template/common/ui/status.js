// The outcome of a write, shown on the control that made it: a spinner while
// it runs, a brief tick when the device took it, and when it failed the
// reason in words with a Retry button beside the control.
import { failureText } from '../core/client.js';
import { t } from '../core/i18n.js';
import { h, icon, clear } from './dom.js';

export class WriteStatus {
    constructor() {
        this.el = h('span', { class: 'write-status', role: 'status', 'aria-live': 'polite' });
        this.timer = null;
    }

    set(state, content) {
        clearTimeout(this.timer);
        this.el.dataset.state = state;
        clear(this.el);
        if (content)
            this.el.append(...content);
    }

    busy() {
        this.set('busy', [h('span', { class: 'spinner', 'aria-hidden': 'true' }), h('span', { class: 'sr-only' }, t('status.writing'))]);
    }

    done() {
        this.set('ok', [icon('check'), h('span', { class: 'sr-only' }, t('status.written'))]);
        this.timer = setTimeout(() => this.set('idle'), 1800);
    }

    failed(message, retry) {
        const parts = [icon('warning'), h('span', { class: 'message' }, message)];
        if (retry)
            parts.push(h('button', { type: 'button', class: 'link-button', onclick: retry }, t('status.retry')));
        this.set('failed', parts);
    }

    idle() {
        this.set('idle');
    }
}

// Runs one write with its status shown. action: () => Promise<result>;
// apply puts the value being written on the control before each attempt
// (the first and every Retry), so that a write the device took always
// leaves the control showing what the device now holds; onFailure runs
// after a failed write (to show the old value again). Resolves with the
// result.
export async function runWrite(status, action, { apply, onFailure, onSuccess, toast } = {}) {
    if (apply)
        apply();
    status.busy();
    const result = await action();
    if (result.ok) {
        status.done();
        if (result.profileSaved === false && toast)
            toast(t('error.profileNotSaved'), 'warning');
        if (onSuccess)
            onSuccess(result);
    } else {
        status.failed(failureText(result, t), () => runWrite(status, action, { apply, onFailure, onSuccess, toast }));
        if (onFailure)
            onFailure(result);
    }
    return result;
}

// Short messages that concern the whole page, read out by screen readers.
export class Toasts {
    constructor() {
        this.el = h('div', { class: 'toasts', role: 'status', 'aria-live': 'polite' });
    }

    show(message, kind = 'info') {
        const item = h('div', { class: `toast toast-${kind}` }, kind === 'info' ? icon('info') : icon('warning'), h('span', null, message),
            h('button', { type: 'button', class: 'icon-button', 'aria-label': t('action.dismiss'), onclick: () => item.remove() }, icon('close')));
        this.el.append(item);
        setTimeout(() => item.remove(), kind === 'info' ? 4000 : 9000);
    }
}
