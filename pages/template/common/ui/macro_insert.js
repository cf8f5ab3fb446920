// The rows that add to a macro: a step of a chosen kind after the selected
// one (a key, a mouse button, a pause, the wheel, a move), the same pause
// for every pause, and clearing every step.
import { insertKinds, stepsToInsert } from '../core/macro_edit.js';
import { keyLabel } from '../core/assignment.js';
import { t } from '../core/i18n.js';
import { h } from './dom.js';
import { buttonName } from './macro_steps_view.js';

// onInsert(steps), onAllDelays(ms), onClear(): what the user asked for.
export function macroInsertRows({ driver, buttons, scheme, onInsert, onAllDelays, onClear }) {
    const kind = h('select', { id: 'macro-insert-kind', 'aria-label': t('macro.insertKind') },
        insertKinds(buttons, scheme).map((k) => h('option', { value: k }, t(`macro.insert.${k}`))));
    const keyChoice = h('select', { id: 'macro-insert-key', 'aria-label': t('macro.insertKey') },
        [...driver.modifiers(), ...driver.keys()].map((k) => h('option', { value: k.Task }, keyLabel(k.Task, t, driver))));
    const buttonChoice = h('select', { id: 'macro-insert-button', 'aria-label': t('macro.insertButton') },
        buttons.map((b) => h('option', { value: b }, buttonName(b))));
    const amount = h('input', { type: 'number', id: 'macro-insert-ms', min: 0, max: 65535, value: 50, 'aria-label': t('macro.insertMs') });
    const moveX = h('input', { type: 'number', id: 'macro-insert-x', min: -32768, max: 32767, value: 0, 'aria-label': 'X' });
    const moveY = h('input', { type: 'number', id: 'macro-insert-y', min: -32768, max: 32767, value: 0, 'aria-label': 'Y' });
    const insert = h('button', { type: 'button', class: 'button secondary', id: 'macro-insert' }, t('macro.insertAfter'));
    // Only the fields of the kind chosen show.
    const showFields = () => {
        const k = kind.value;
        keyChoice.hidden = !['tap', 'keyDown', 'keyUp'].includes(k);
        buttonChoice.hidden = !['click', 'buttonDown', 'buttonUp'].includes(k);
        amount.hidden = k !== 'delay';
        moveX.hidden = moveY.hidden = k !== 'move';
    };
    kind.addEventListener('change', showFields);
    insert.addEventListener('click', () => {
        const made = stepsToInsert(kind.value, { key: keyChoice.value, button: buttonChoice.value, ms: amount.value, x: moveX.value, y: moveY.value });
        if (made)
            onInsert(made);
    });
    showFields();

    const allMs = h('input', { type: 'number', id: 'macro-all-ms', min: 0, max: 65535, value: 20, 'aria-label': t('macro.allDelays') });
    const allApply = h('button', { type: 'button', class: 'button secondary', id: 'macro-all-apply' }, t('macro.allDelays'));
    allApply.addEventListener('click', () => onAllDelays(allMs.value));
    const clearSteps = h('button', { type: 'button', class: 'button secondary', id: 'macro-clear' }, t('macro.clear'));
    clearSteps.addEventListener('click', onClear);

    return [
        h('div', { class: 'macro-insert' }, kind, keyChoice, buttonChoice, amount, moveX, moveY, insert),
        h('div', { class: 'macro-insert' }, h('span', { class: 'inline-label' }, allMs, allApply), clearSteps),
    ];
}
