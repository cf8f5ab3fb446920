// The macro's steps as rows: each says what it does in words, a pause can
// be changed in place, and every row can be moved or removed. The row
// clicked becomes the selected one (insertions go after it).
import { BUTTON_IDS, moveStep, removeStep, setDelay } from '../core/macro.js';
import { keyLabel } from '../core/assignment.js';
import { t } from '../core/i18n.js';
import { h, icon, clear } from './dom.js';

export function buttonName(word) {
    return BUTTON_IDS[word] ? t(`macro.button.${BUTTON_IDS[word]}`) : word;
}

// A step as people read it.
export function stepLabel(step, driver) {
    const key = (name) => keyLabel(name, t, driver);
    switch (step.type) {
    case 'key':
        return t(step.down ? 'macro.keyDown' : 'macro.keyUp', { key: key(step.key) });
    case 'button':
        return t(step.down ? 'macro.buttonDown' : 'macro.buttonUp', { button: buttonName(step.button) });
    case 'delay':
        return t('macro.delay', { ms: step.ms });
    case 'wheel':
        return t(step.up ? 'macro.wheelUp' : 'macro.wheelDown');
    case 'move':
        return t('macro.move', { x: step.x, y: step.y });
    default:
        return '';
    }
}

// The list and the note shown when it is empty. onChange(next, select) is
// called with the steps after a row's change; onSelect(i) when a row is
// clicked. show(steps, selected, { follow }) draws them; follow keeps the
// last in view (while recording).
export function macroStepList({ driver, onChange, onSelect }) {
    const list = h('ol', { class: 'macro-steps', id: 'macro-steps', 'aria-label': t('macro.steps') });
    const empty = h('p', { class: 'muted macro-empty' }, t('macro.empty'));

    const row = (steps, step, i, selected) => {
        const controls = [];
        if (step.type === 'delay') {
            const ms = h('input', { type: 'number', class: 'macro-delay', min: 0, max: 65535, value: step.ms, 'aria-label': t('macro.delayAt', { n: i + 1 }) });
            ms.addEventListener('change', () => onChange(setDelay(steps, i, ms.value), i));
            controls.push(ms, h('span', { class: 'unit' }, 'ms'));
        }
        const up = h('button', { type: 'button', class: 'icon-button', title: t('macro.moveUp'), 'aria-label': t('macro.moveUp'), disabled: i === 0 }, '↑');
        const down = h('button', { type: 'button', class: 'icon-button', title: t('macro.moveDown'), 'aria-label': t('macro.moveDown'), disabled: i === steps.length - 1 }, '↓');
        const remove = h('button', { type: 'button', class: 'icon-button', title: t('macro.remove'), 'aria-label': t('macro.remove') }, icon('close'));
        up.addEventListener('click', () => onChange(moveStep(steps, i, i - 1), i - 1));
        down.addEventListener('click', () => onChange(moveStep(steps, i, i + 1), i + 1));
        remove.addEventListener('click', () => onChange(removeStep(steps, i), i - 1));
        // A key the definition does not name cannot go on the device.
        const unknown = step.type === 'key' && !driver.keyByName(step.key) && !driver.modifiers().some((m) => m.Task === step.key);
        const select = h('button', { type: 'button', class: 'step-select', 'aria-pressed': i === selected ? 'true' : 'false' },
            h('span', { class: 'step-number' }, String(i + 1)), h('span', { class: 'step-text' }, stepLabel(step, driver)));
        select.addEventListener('click', () => onSelect(i));
        return h('li', { class: `macro-step step-${step.type}${i === selected ? ' selected' : ''}${unknown ? ' unknown' : ''}`, dataset: { index: String(i) } },
            select, h('span', { class: 'step-controls' }, controls, up, down, remove));
    };

    const show = (steps, selected, { follow = false } = {}) => {
        clear(list);
        steps.forEach((s, i) => list.append(row(steps, s, i, selected)));
        empty.hidden = steps.length > 0;
        if (follow && list.lastChild && list.lastChild.scrollIntoView)
            list.lastChild.scrollIntoView({ block: 'nearest' });
    };
    return { list, empty, show };
}
