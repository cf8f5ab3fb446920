// Modal dialogs on the platform's <dialog>: focus stays inside, Escape
// cancels, focus returns to where it was.
import { t } from '../core/i18n.js';
import { h } from './dom.js';

export function openDialog({ title, content, className = '', onClose }) {
    const previous = document.activeElement;
    const heading = h('h2', { class: 'dialog-title', id: 'dialog-title' }, title);
    const dialog = h('dialog', { class: `dialog ${className}`, 'aria-labelledby': 'dialog-title' }, heading, content);
    document.body.append(dialog);
    dialog.addEventListener('close', () => {
        dialog.remove();
        if (onClose)
            onClose(dialog.returnValue);
        if (previous && previous.focus)
            previous.focus();
    });
    dialog.showModal();
    return dialog;
}

// Resolves true when the user confirms.
export function confirmDialog({ title, text, confirm, danger = false }) {
    return new Promise((resolve) => {
        const cancelButton = h('button', { type: 'button', class: 'button secondary', id: 'confirm-cancel' }, t('action.cancel'));
        const okButton = h('button', { type: 'button', class: danger ? 'button danger' : 'button', id: 'confirm-ok' }, confirm);
        const dialog = openDialog({
            title,
            content: h('div', null, h('p', null, text), h('div', { class: 'dialog-actions' }, cancelButton, okButton)),
            onClose: (value) => resolve(value === 'ok'),
        });
        cancelButton.addEventListener('click', () => dialog.close('cancel'));
        okButton.addEventListener('click', () => dialog.close('ok'));
        cancelButton.focus();
    });
}

// Asks the user to choose: choices [{ value, label, primary }]; resolves the
// chosen value, or null when the dialog is closed (Escape, Cancel).
export function choiceDialog({ title, text, choices }) {
    return new Promise((resolve) => {
        const cancelButton = h('button', { type: 'button', class: 'button secondary', id: 'choice-cancel' }, t('action.cancel'));
        const buttons = choices.map((c) => {
            const button = h('button', { type: 'button', class: c.primary ? 'button' : 'button secondary', id: `choice-${c.value}` }, c.label);
            button.addEventListener('click', () => dialog.close(`choice:${c.value}`));
            return button;
        });
        const dialog = openDialog({
            title,
            content: h('div', null, h('p', null, text), h('div', { class: 'dialog-actions' }, cancelButton, ...buttons)),
            onClose: (value) => {
                const chosen = String(value || '');
                resolve(chosen.startsWith('choice:') ? chosen.slice(7) : null);
            },
        });
        cancelButton.addEventListener('click', () => dialog.close('cancel'));
        cancelButton.focus();
    });
}
