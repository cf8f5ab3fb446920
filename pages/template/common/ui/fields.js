// Form rows shared by the panels: a label, the control, an optional hint,
// and the write status of that control.
import { h, uid } from './dom.js';
import { WriteStatus } from './status.js';

export function field({ label, control, hint, className = '' }) {
    const status = new WriteStatus();
    const id = control.id || uid('field');
    control.id = id;
    const hintEl = hint ? h('p', { class: 'hint', id: `${id}-hint` }, hint) : null;
    if (hintEl)
        control.setAttribute('aria-describedby', hintEl.id);
    const el = h('div', { class: `field ${className}` },
        h('label', { for: id, class: 'field-label' }, label),
        h('div', { class: 'field-control' }, control, status.el),
        hintEl);
    return { el, status };
}

// A group of radio buttons; onchange(value) runs when the user picks one.
export function radioGroup({ name, label, options, value, onchange, id }) {
    const status = new WriteStatus();
    const group = h('div', { class: 'segmented', role: 'radiogroup', 'aria-label': label, id });
    for (const option of options) {
        const inputId = uid(name);
        const input = h('input', { type: 'radio', name, id: inputId, value: String(option.value), checked: String(option.value) === String(value) });
        input.addEventListener('change', () => {
            if (input.checked)
                onchange(option.value);
        });
        group.append(h('span', { class: 'segment' }, input, h('label', { for: inputId }, option.label)));
    }
    const set = (v) => {
        for (const input of group.querySelectorAll('input'))
            input.checked = input.value === String(v);
    };
    const el = h('div', { class: 'field' }, h('span', { class: 'field-label', 'aria-hidden': 'true' }, label), h('div', { class: 'field-control' }, group, status.el));
    return { el, status, set, group };
}

export function section(title, ...content) {
    return h('section', { class: 'card' }, h('h2', null, title), ...content);
}
