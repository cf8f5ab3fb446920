// The macro editor: the macro as step rows (insert, delete, move, change a
// pause) and as text, recorded from the keyboard (the program captures the
// keyboard with "mouseTracks" while recording, so keys the desktop would
// take reach the page too) and from mouse buttons clicked on the pad, its
// repeat count and play mode, the room it takes in the device's macro slot,
// and the saved macros (library, export, import).
//
//   openMacroEditor({ ctx, driver, family, macro, purpose })
//   resolves with { name, steps, repeat, mode } or null. purpose 'assign':
//   the macro goes on a button; 'library': it is saved in the library.
import { COMMAND } from '../core/commands.js';
import { BUTTON_IDS, MacroRecorder, macroButtons, heldAtEnd, insertSteps, macroBytes, macroProblems, macroScheme, moveStep,
    parseStepsText, removeStep, setAllDelays, setDelay, stepWords, stepsText } from '../core/macro.js';
import { exportText, importText, readLibrary } from '../core/macro_library.js';
import { saveToLibrary } from './macro_saving.js';
import { keyLabel } from '../core/assignment.js';
import { failureText } from '../core/client.js';
import { language, t } from '../core/i18n.js';
import { h, icon, clear } from './dom.js';
import { openDialog } from './dialog.js';

const START = '开始';
const STOP = '停止';
// While recording, every key belongs to the macro (Tab and Escape too), so
// a recording that hears nothing for this long ends by itself: a keyboard
// alone can end it.
const QUIET_STOP_MS = 10000;

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

export function openMacroEditor({ ctx, driver, family, macro = null, purpose = 'assign', target = '' }) {
    return new Promise((resolve) => {
        const client = ctx.client;
        const scheme = macroScheme(driver, family);
        const buttons = macroButtons(driver);
        let steps = macro ? parseStepsText(macro.steps).steps : [];
        let selected = steps.length - 1;
        let result = null;
        const history = [];
        const future = [];
        let recording = null;

        // Whether the user has changed anything yet.
        let touched = steps.length > 0;
        const edit = (next, select = selected) => {
            touched = true;
            history.push({ steps, selected });
            if (history.length > 100)
                history.shift();
            future.length = 0;
            steps = next;
            selected = Math.min(select, steps.length - 1);
            draw();
        };
        const undo = () => {
            const last = history.pop();
            if (!last)
                return;
            future.push({ steps, selected });
            ({ steps, selected } = last);
            draw();
        };
        const redo = () => {
            const next = future.pop();
            if (!next)
                return;
            history.push({ steps, selected });
            ({ steps, selected } = next);
            draw();
        };

        // Name, repeat, play mode.
        const name = h('input', { type: 'text', id: 'macro-name', maxlength: 80, value: macro ? macro.name || '' : '', placeholder: t('macro.namePlaceholder') });
        const repeat = h('input', { type: 'number', id: 'macro-repeat', min: 1, max: 255, value: macro ? macro.repeat || 1 : 1 });
        const modes = family.macroModes || [];
        const mode = h('select', { id: 'macro-mode' }, modes.map((m) => h('option', { value: m.value, selected: macro && macro.mode === m.value }, t(`macro.mode.${m.name}`))));

        // The steps.
        const list = h('ol', { class: 'macro-steps', id: 'macro-steps', 'aria-label': t('macro.steps') });
        const empty = h('p', { class: 'muted macro-empty' }, t('macro.empty'));
        const capacityBar = h('span', { class: 'capacity-fill' });
        const capacityText = h('span', { class: 'capacity-text', id: 'macro-capacity' });
        const problemsText = h('p', { class: 'macro-problems', role: 'status', id: 'macro-problems' });
        const use = h('button', { type: 'button', class: 'button', id: 'macro-use' }, purpose === 'assign' ? t('macro.use') : t('macro.save'));

        const stepRow = (step, i) => {
            const controls = [];
            if (step.type === 'delay') {
                const ms = h('input', { type: 'number', class: 'macro-delay', min: 0, max: 65535, value: step.ms, 'aria-label': t('macro.delayAt', { n: i + 1 }) });
                ms.addEventListener('change', () => edit(setDelay(steps, i, ms.value), i));
                controls.push(ms, h('span', { class: 'unit' }, 'ms'));
            }
            const up = h('button', { type: 'button', class: 'icon-button', title: t('macro.moveUp'), 'aria-label': t('macro.moveUp'), disabled: i === 0 }, '↑');
            const down = h('button', { type: 'button', class: 'icon-button', title: t('macro.moveDown'), 'aria-label': t('macro.moveDown'), disabled: i === steps.length - 1 }, '↓');
            const remove = h('button', { type: 'button', class: 'icon-button', title: t('macro.remove'), 'aria-label': t('macro.remove') }, icon('close'));
            up.addEventListener('click', () => edit(moveStep(steps, i, i - 1), i - 1));
            down.addEventListener('click', () => edit(moveStep(steps, i, i + 1), i + 1));
            remove.addEventListener('click', () => edit(removeStep(steps, i), i - 1));
            const unknown = (step.type === 'key' && !driver.keyByName(step.key) && !driver.modifiers().some((m) => m.Task === step.key));
            const li = h('li', { class: `macro-step step-${step.type}${i === selected ? ' selected' : ''}${unknown ? ' unknown' : ''}`, dataset: { index: String(i) } },
                h('button', { type: 'button', class: 'step-select', 'aria-pressed': i === selected ? 'true' : 'false' },
                    h('span', { class: 'step-number' }, String(i + 1)), h('span', { class: 'step-text' }, stepLabel(step, driver))),
                h('span', { class: 'step-controls' }, controls, up, down, remove));
            li.querySelector('.step-select').addEventListener('click', () => {
                selected = i;
                draw();
            });
            return li;
        };

        const draw = () => {
            clear(list);
            steps.forEach((s, i) => list.append(stepRow(s, i)));
            empty.hidden = steps.length > 0;
            const bytes = macroBytes(steps, scheme);
            const slot = scheme.slot;
            capacityBar.style.width = `${Math.min(100, Number.isFinite(slot) ? 100 * bytes / slot : 0)}%`;
            capacityBar.parentElement.classList.toggle('over', Number.isFinite(slot) && bytes > slot);
            capacityText.textContent = Number.isFinite(slot) ? t('macro.capacity', { used: bytes, size: slot }) : '';
            const problems = purpose === 'assign' ? macroProblems(steps, scheme, driver) : macroProblems(steps, { slot: NaN, overhead: 0, delayBytes: 3, moves: true, pairs: false }, driver).filter((p) => p !== 'keys');
            const held = heldAtEnd(steps);
            // A new macro is empty by nature: that is no error until the
            // user has done something (the empty list says what to do).
            const shown = touched ? problems : problems.filter((p) => p !== 'empty');
            problemsText.textContent = [...shown.map((p) => t(`macro.problem.${p}`)), held.length ? t('macro.problem.held') : ''].filter(Boolean).join(' ');
            use.disabled = problems.length > 0 || !!recording || (purpose === 'library' && !name.value.trim());
            textArea.value = stepsText(steps, stepWords(language()));
            undoButton.disabled = !history.length;
            redoButton.disabled = !future.length;
        };

        // Inserting steps after the selected one.
        const kinds = ['tap', 'keyDown', 'keyUp', ...(buttons.length ? ['click', 'buttonDown', 'buttonUp'] : []), 'delay', 'wheelDown', 'wheelUp', ...(scheme.moves ? ['move'] : [])];
        const kind = h('select', { id: 'macro-insert-kind', 'aria-label': t('macro.insertKind') }, kinds.map((k) => h('option', { value: k }, t(`macro.insert.${k}`))));
        const keyChoice = h('select', { id: 'macro-insert-key', 'aria-label': t('macro.insertKey') },
            [...driver.modifiers(), ...driver.keys()].map((k) => h('option', { value: k.Task }, keyLabel(k.Task, t, driver))));
        const buttonChoice = h('select', { id: 'macro-insert-button', 'aria-label': t('macro.insertButton') },
            buttons.map((b) => h('option', { value: b }, buttonName(b))));
        const amount = h('input', { type: 'number', id: 'macro-insert-ms', min: 0, max: 65535, value: 50, 'aria-label': t('macro.insertMs') });
        const moveX = h('input', { type: 'number', id: 'macro-insert-x', min: -32768, max: 32767, value: 0, 'aria-label': 'X' });
        const moveY = h('input', { type: 'number', id: 'macro-insert-y', min: -32768, max: 32767, value: 0, 'aria-label': 'Y' });
        const insert = h('button', { type: 'button', class: 'button secondary', id: 'macro-insert' }, t('macro.insertAfter'));
        const showInsertFields = () => {
            const k = kind.value;
            keyChoice.hidden = !['tap', 'keyDown', 'keyUp'].includes(k);
            buttonChoice.hidden = !['click', 'buttonDown', 'buttonUp'].includes(k);
            amount.hidden = k !== 'delay';
            moveX.hidden = moveY.hidden = k !== 'move';
        };
        kind.addEventListener('change', showInsertFields);
        insert.addEventListener('click', () => {
            const key = keyChoice.value;
            const button = buttonChoice.value;
            const pause = { type: 'delay', ms: 20 };
            const made = {
                tap: [{ type: 'key', down: true, key }, pause, { type: 'key', down: false, key }],
                keyDown: [{ type: 'key', down: true, key }],
                keyUp: [{ type: 'key', down: false, key }],
                click: [{ type: 'button', down: true, button }, pause, { type: 'button', down: false, button }],
                buttonDown: [{ type: 'button', down: true, button }],
                buttonUp: [{ type: 'button', down: false, button }],
                delay: [{ type: 'delay', ms: Number(amount.value) }],
                wheelDown: [{ type: 'wheel', up: false }],
                wheelUp: [{ type: 'wheel', up: true }],
                move: [{ type: 'move', x: Math.trunc(Number(moveX.value)) || 0, y: Math.trunc(Number(moveY.value)) || 0 }],
            }[kind.value];
            edit(insertSteps(steps, selected + 1, made), selected + made.length);
        });
        const allMs = h('input', { type: 'number', id: 'macro-all-ms', min: 0, max: 65535, value: 20, 'aria-label': t('macro.allDelays') });
        const allApply = h('button', { type: 'button', class: 'button secondary', id: 'macro-all-apply' }, t('macro.allDelays'));
        allApply.addEventListener('click', () => edit(setAllDelays(steps, allMs.value)));
        const clearSteps = h('button', { type: 'button', class: 'button secondary', id: 'macro-clear' }, t('macro.clear'));
        clearSteps.addEventListener('click', () => edit([], -1));
        const undoButton = h('button', { type: 'button', class: 'button secondary', id: 'macro-undo', title: 'Ctrl+Z' }, t('macro.undo'));
        const redoButton = h('button', { type: 'button', class: 'button secondary', id: 'macro-redo', title: 'Ctrl+Y' }, t('macro.redo'));
        undoButton.addEventListener('click', undo);
        redoButton.addEventListener('click', redo);

        // The same macro as text.
        const textArea = h('textarea', { id: 'macro-text', rows: 3, spellcheck: 'false', 'aria-label': t('macro.asText') });
        const textApply = h('button', { type: 'button', class: 'button secondary', id: 'macro-text-apply' }, t('macro.applyText'));
        const textNote = h('span', { class: 'hint', role: 'status' });
        textApply.addEventListener('click', () => {
            const parsed = parseStepsText(textArea.value);
            edit(parsed.steps, parsed.steps.length - 1);
            textNote.textContent = parsed.skipped ? t('macro.skipped', { n: parsed.skipped }) : '';
        });

        // Recording.
        const recordDelays = h('input', { type: 'checkbox', id: 'macro-record-delays', checked: true });
        const recordMode = h('select', { id: 'macro-record-mode', 'aria-label': t('macro.recordMode') },
            h('option', { value: 'replace' }, t('macro.recordReplace')), h('option', { value: 'append' }, t('macro.recordAppend')));
        const record = h('button', { type: 'button', class: 'button', id: 'macro-record', 'aria-pressed': 'false' }, h('span', { class: 'record-dot', 'aria-hidden': 'true' }), t('macro.record'));
        const recordState = h('span', { class: 'hint', id: 'macro-record-state', role: 'status' });
        // Mouse buttons are recorded from clicks on this pad, shown while
        // recording.
        const pad = h('div', { class: 'click-pad', id: 'macro-pad', tabindex: '-1', hidden: true }, t('macro.pad'));

        let quiet = null;
        const listen = () => {
            clearTimeout(quiet);
            quiet = setTimeout(() => recording && stopRecording(), QUIET_STOP_MS);
        };
        const startRecording = async () => {
            recording = { recorder: new MacroRecorder({ recordDelays: recordDelays.checked }), base: recordMode.value === 'append' ? steps : [], captured: false };
            listen();
            record.setAttribute('aria-pressed', 'true');
            record.classList.add('recording');
            record.lastChild.textContent = t('macro.stop');
            recordState.textContent = t('macro.recording');
            pad.hidden = !buttons.length;
            draw();
            dialog.focus();
            if (ctx.remapping)
                ctx.remapping.pause();
            const reply = await client.send(COMMAND.mouseTracks, { status: START }, { timeout: 3000 });
            if (recording) {
                recording.captured = reply.ok;
                if (!reply.ok)
                    recordState.textContent = t('macro.recordingFocus');
            }
        };
        const stopRecording = async () => {
            const current = recording;
            recording = null;
            clearTimeout(quiet);
            record.setAttribute('aria-pressed', 'false');
            record.classList.remove('recording');
            record.lastChild.textContent = t('macro.record');
            pad.hidden = true;
            const recorded = current.recorder.finish(performance.now());
            edit([...current.base, ...recorded], current.base.length + recorded.length - 1);
            recordState.textContent = t('macro.recorded', { n: recorded.length });
            client.send(COMMAND.mouseTracks, { status: STOP }, { timeout: 3000 });
            if (ctx.remapping)
                ctx.remapping.resume();
        };
        record.addEventListener('click', () => (recording ? stopRecording() : startRecording()));
        const liveSteps = () => {
            const shown = [...recording.base, ...recording.recorder.steps];
            clear(list);
            shown.forEach((s, i) => list.append(stepRow(s, i)));
            empty.hidden = shown.length > 0;
            list.lastChild && list.lastChild.scrollIntoView({ block: 'nearest' });
        };
        const onKey = (e) => {
            if (!recording)
                return;
            // Everything typed while recording belongs to the macro.
            e.preventDefault();
            e.stopPropagation();
            if (e.repeat)
                return;
            const row = driver.keyForEvent(e.keyCode, e.location);
            if (!row) {
                recordState.textContent = t('macro.keyUnknown');
                return;
            }
            recording.recorder.add({ time: e.timeStamp || performance.now(), kind: 'key', down: e.type === 'keydown', name: row.Task });
            listen();
            liveSteps();
        };
        const onButton = (e) => {
            if (!recording || !buttons.length)
                return;
            e.preventDefault();
            const name = { 0: '左键', 1: '中键', 2: '右键', 3: '后退', 4: '前进' }[e.button] || '';
            if (!buttons.includes(name))
                return;
            recording.recorder.add({ time: e.timeStamp || performance.now(), kind: 'button', down: e.type === 'pointerdown', name });
            listen();
            liveSteps();
        };
        pad.addEventListener('pointerdown', onButton);
        pad.addEventListener('pointerup', onButton);
        pad.addEventListener('contextmenu', (e) => e.preventDefault());

        // The library.
        const libraryStatus = h('span', { class: 'hint', role: 'status', id: 'macro-library-status' });
        const libraryChoice = h('select', { id: 'macro-library', 'aria-label': t('macro.library') });
        let library = [];
        const fillLibrary = () => {
            clear(libraryChoice);
            libraryChoice.append(h('option', { value: '' }, library.length ? t('macro.libraryPick') : t('macro.libraryEmpty')));
            for (const m of library)
                libraryChoice.append(h('option', { value: m.name }, m.name));
        };
        readLibrary(client).then((list) => {
            library = list;
            fillLibrary();
        });
        const current = () => ({ name: name.value.trim(), steps: stepsText(steps), repeat: Number(repeat.value) || 1, mode: modes.length ? mode.value : '' });
        const load = (m) => {
            const parsed = parseStepsText(m.steps);
            name.value = m.name;
            repeat.value = m.repeat;
            if (modes.some((x) => x.value === m.mode))
                mode.value = m.mode;
            edit(parsed.steps, parsed.steps.length - 1);
        };
        const libraryLoad = h('button', { type: 'button', class: 'button secondary', id: 'macro-library-load' }, t('macro.libraryLoad'));
        libraryLoad.addEventListener('click', () => {
            const m = library.find((x) => x.name === libraryChoice.value);
            if (m)
                load(m);
        });
        const librarySave = h('button', { type: 'button', class: 'button secondary', id: 'macro-library-save' }, t('macro.librarySave'));
        librarySave.addEventListener('click', async () => {
            const m = current();
            if (!m.name) {
                libraryStatus.textContent = t('macro.needName');
                name.focus();
                return;
            }
            const saved = await saveToLibrary(client, m);
            if (!saved)
                return;
            library = saved.macros;
            fillLibrary();
            if (saved.reply.ok) {
                name.value = saved.macro.name;
                libraryStatus.textContent = t('macro.librarySaved', { name: saved.macro.name });
            } else {
                libraryStatus.textContent = failureText(saved.reply, t);
            }
        });
        const exportButton = h('button', { type: 'button', class: 'button secondary', id: 'macro-export' }, t('macro.export'));
        exportButton.addEventListener('click', async () => {
            // The program asks where to save; a cancelled dialog answers
            // nothing at all.
            const reply = await client.send(COMMAND.SaveCommand, { CommandString: exportText(current()) }, { timeout: 600000, quietNoReply: true });
            libraryStatus.textContent = reply.ok ? t('macro.exported') : reply.noReply ? '' : failureText(reply, t);
        });
        const importButton = h('button', { type: 'button', class: 'button secondary', id: 'macro-import' }, t('macro.import'));
        importButton.addEventListener('click', async () => {
            const reply = await client.send(COMMAND.LoadCommand, {}, { timeout: 600000, quietNoReply: true });
            if (reply.noReply)
                return;
            const m = reply.ok ? importText(reply.text, t('macro.imported')) : null;
            if (!m) {
                libraryStatus.textContent = t('macro.notAMacro');
                libraryStatus.classList.add('error-text');
                return;
            }
            libraryStatus.classList.remove('error-text');
            load(m);
            libraryStatus.textContent = t('macro.importedFrom', { name: m.name });
        });

        const cancel = h('button', { type: 'button', class: 'button secondary', id: 'macro-cancel' }, t('action.cancel'));
        const content = h('div', { class: 'macro-editor' },
            h('div', { class: 'macro-head' },
                h('label', { class: 'inline-label' }, t('macro.name'), name),
                h('label', { class: 'inline-label' }, t('macro.repeat'), repeat),
                modes.length ? h('label', { class: 'inline-label' }, t('macro.mode'), mode) : null,
                h('span', { class: 'toolbar-space' }), undoButton, redoButton),
            h('div', { class: 'macro-record' }, record,
                h('label', { class: 'check' }, recordDelays, t('macro.recordDelays')), recordMode, recordState),
            pad,
            h('div', { class: 'macro-body' }, list, empty),
            h('div', { class: 'macro-insert' }, kind, keyChoice, buttonChoice, amount, moveX, moveY, insert),
            h('div', { class: 'macro-insert' }, h('span', { class: 'inline-label' }, allMs, allApply), clearSteps),
            h('details', { class: 'macro-text' }, h('summary', null, t('macro.asText')), textArea, h('div', { class: 'field-control' }, textApply, textNote)),
            h('div', { class: 'capacity', 'aria-live': 'polite' }, h('span', { class: 'capacity-track' }, capacityBar), capacityText),
            problemsText,
            h('div', { class: 'macro-library-row' }, libraryChoice, libraryLoad, librarySave, exportButton, importButton, libraryStatus));

        // The editor scrolls when the window is small; its buttons stay in
        // view below it.
        const dialog = openDialog({
            title: purpose !== 'assign' ? t('macro.titleLibrary') : target ? t('macro.titleAssignTo', { target }) : t('macro.titleAssign'),
            content: [content, h('div', { class: 'dialog-actions' }, cancel, use)],
            className: 'macro-dialog',
            onClose: () => {
                if (recording)
                    stopRecording();
                resolve(result);
            },
        });
        dialog.tabIndex = -1;
        dialog.addEventListener('keydown', onKey, true);
        dialog.addEventListener('keyup', onKey, true);
        dialog.addEventListener('keydown', (e) => {
            if (recording || !(e.ctrlKey || e.metaKey) || e.target.matches('input, textarea, select'))
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
            if (recording)
                e.preventDefault();
        });
        name.addEventListener('input', draw);
        cancel.addEventListener('click', () => dialog.close('cancel'));
        use.addEventListener('click', () => {
            result = current();
            dialog.close('ok');
        });
        showInsertFields();
        draw();
    });
}
