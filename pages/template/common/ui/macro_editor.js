// The macro editor: the macro as step rows (insert, delete, move, change a
// pause) and as text, recorded from the keyboard and from mouse buttons
// clicked on the pad, its repeat count and play mode, the room it takes in
// the device's macro slot, and the saved macros (library, export, import).
// The macro itself is a MacroEdit (core/macro_edit.js); the pieces shown
// are the step list, the insert rows, the recording and the library row.
//
//   openMacroEditor({ ctx, driver, family, macro, purpose, target })
//   resolves with { name, steps, repeat, mode } or null. purpose 'assign':
//   the macro goes on a button (target names it); 'library': it is saved
//   in the library.
import { insertSteps, macroBytes, macroButtons, macroScheme, parseStepsText, setAllDelays, stepWords, stepsText } from '../core/macro.js';
import { MacroEdit, editProblems } from '../core/macro_edit.js';
import { language, t } from '../core/i18n.js';
import { h } from './dom.js';
import { openDialog } from './dialog.js';
import { macroInsertRows } from './macro_insert.js';
import { macroLibraryRow } from './macro_library_row.js';
import { macroRecording } from './macro_recording.js';
import { macroStepList } from './macro_steps_view.js';

// The room the steps take in the device's slot: a bar and its words.
function capacityMeter() {
    const bar = h('span', { class: 'capacity-fill' });
    const text = h('span', { class: 'capacity-text', id: 'macro-capacity' });
    const track = h('span', { class: 'capacity-track' }, bar);
    return {
        element: h('div', { class: 'capacity', 'aria-live': 'polite' }, track, text),
        show(bytes, slot) {
            const known = Number.isFinite(slot);
            bar.style.width = `${Math.min(100, known ? 100 * bytes / slot : 0)}%`;
            track.classList.toggle('over', known && bytes > slot);
            text.textContent = known ? t('macro.capacity', { used: bytes, size: slot }) : '';
        },
    };
}

export function openMacroEditor({ ctx, driver, family, macro = null, purpose = 'assign', target = '' }) {
    return new Promise((resolve) => {
        const client = ctx.client;
        const scheme = macroScheme(driver, family);
        const buttons = macroButtons(driver);
        const model = new MacroEdit(macro ? parseStepsText(macro.steps).steps : []);
        let result = null;

        // Name, repeat, play mode.
        const name = h('input', { type: 'text', id: 'macro-name', maxlength: 80, value: macro ? macro.name || '' : '', placeholder: t('macro.namePlaceholder') });
        const repeat = h('input', { type: 'number', id: 'macro-repeat', min: 1, max: 255, value: macro ? macro.repeat || 1 : 1 });
        const modes = family.macroModes || [];
        const mode = h('select', { id: 'macro-mode' }, modes.map((m) => h('option', { value: m.value, selected: macro && macro.mode === m.value }, t(`macro.mode.${m.name}`))));
        const current = () => ({ name: name.value.trim(), steps: stepsText(model.steps), repeat: Number(repeat.value) || 1, mode: modes.length ? mode.value : '' });

        const change = (next, select) => {
            model.change(next, select);
            draw();
        };
        const stepList = macroStepList({
            driver, onChange: change,
            onSelect: (i) => {
                model.select(i);
                draw();
            },
        });
        const capacity = capacityMeter();
        const problemsText = h('p', { class: 'macro-problems', role: 'status', id: 'macro-problems' });
        const use = h('button', { type: 'button', class: 'button', id: 'macro-use' }, purpose === 'assign' ? t('macro.use') : t('macro.save'));
        const undoButton = h('button', { type: 'button', class: 'button secondary', id: 'macro-undo', title: 'Ctrl+Z' }, t('macro.undo'));
        const redoButton = h('button', { type: 'button', class: 'button secondary', id: 'macro-redo', title: 'Ctrl+Y' }, t('macro.redo'));
        const undo = () => model.undo() && draw();
        const redo = () => model.redo() && draw();
        undoButton.addEventListener('click', undo);
        redoButton.addEventListener('click', redo);

        // The same macro as text, in the interface's language.
        const textArea = h('textarea', { id: 'macro-text', rows: 3, spellcheck: 'false', 'aria-label': t('macro.asText') });
        const textApply = h('button', { type: 'button', class: 'button secondary', id: 'macro-text-apply' }, t('macro.applyText'));
        const textNote = h('span', { class: 'hint', role: 'status' });
        textApply.addEventListener('click', () => {
            const parsed = parseStepsText(textArea.value);
            change(parsed.steps, parsed.steps.length - 1);
            textNote.textContent = parsed.skipped ? t('macro.skipped', { n: parsed.skipped }) : '';
        });

        const recording = macroRecording({
            client, driver, buttons, remapping: ctx.remapping,
            steps: () => model.steps,
            onLive: (steps) => stepList.show(steps, model.selected, { follow: true }),
            onDone: change,
            onStateChange: () => draw(),
            focus: () => dialog.focus(),
        });

        const load = (m) => {
            const parsed = parseStepsText(m.steps);
            name.value = m.name;
            repeat.value = m.repeat;
            if (modes.some((x) => x.value === m.mode))
                mode.value = m.mode;
            change(parsed.steps, parsed.steps.length - 1);
        };
        const library = macroLibraryRow({
            client, current, load,
            named: (saved) => {
                name.value = saved;
            },
            askName: () => name.focus(),
        });

        const draw = () => {
            const steps = model.steps;
            stepList.show(steps, model.selected);
            capacity.show(macroBytes(steps, scheme), scheme.slot);
            const { problems, shown, held } = editProblems(steps, { scheme, driver, purpose, touched: model.touched });
            problemsText.textContent = [...shown.map((p) => t(`macro.problem.${p}`)), held.length ? t('macro.problem.held') : ''].filter(Boolean).join(' ');
            use.disabled = problems.length > 0 || recording.active || (purpose === 'library' && !name.value.trim());
            textArea.value = stepsText(steps, stepWords(language()));
            undoButton.disabled = !model.canUndo;
            redoButton.disabled = !model.canRedo;
        };

        const cancel = h('button', { type: 'button', class: 'button secondary', id: 'macro-cancel' }, t('action.cancel'));
        const content = h('div', { class: 'macro-editor' },
            h('div', { class: 'macro-head' },
                h('label', { class: 'inline-label' }, t('macro.name'), name),
                h('label', { class: 'inline-label' }, t('macro.repeat'), repeat),
                modes.length ? h('label', { class: 'inline-label' }, t('macro.mode'), mode) : null,
                h('span', { class: 'toolbar-space' }), undoButton, redoButton),
            recording.row,
            recording.pad,
            h('div', { class: 'macro-body' }, stepList.list, stepList.empty),
            macroInsertRows({
                driver, buttons, scheme,
                onInsert: (made) => change(insertSteps(model.steps, model.selected + 1, made), model.selected + made.length),
                onAllDelays: (ms) => change(setAllDelays(model.steps, ms)),
                onClear: () => change([], -1),
            }),
            h('details', { class: 'macro-text' }, h('summary', null, t('macro.asText')), textArea, h('div', { class: 'field-control' }, textApply, textNote)),
            capacity.element,
            problemsText,
            library.element);

        // The editor scrolls when the window is small; its buttons stay in
        // view below it.
        const dialog = openDialog({
            title: purpose !== 'assign' ? t('macro.titleLibrary') : target ? t('macro.titleAssignTo', { target }) : t('macro.titleAssign'),
            content: [content, h('div', { class: 'dialog-actions' }, cancel, use)],
            className: 'macro-dialog',
            onClose: () => {
                recording.stop();
                resolve(result);
            },
        });
        dialog.tabIndex = -1;
        recording.listenTo(dialog);
        dialog.addEventListener('keydown', (e) => {
            if (recording.active || !(e.ctrlKey || e.metaKey) || e.target.matches('input, textarea, select'))
                return;
            if (e.key === 'z' || e.key === 'Z') {
                e.preventDefault();
                (e.shiftKey ? redo : undo)();
            } else if (e.key === 'y') {
                e.preventDefault();
                redo();
            }
        });
        // Escape while recording is part of the macro, not a cancel.
        dialog.addEventListener('cancel', (e) => {
            if (recording.active)
                e.preventDefault();
        });
        name.addEventListener('input', draw);
        cancel.addEventListener('click', () => dialog.close('cancel'));
        use.addEventListener('click', () => {
            result = current();
            dialog.close('ok');
        });
        draw();
    });
}
