// Recording a macro: while it runs the program captures the keyboard
// ("mouseTracks"), so keys the desktop would take reach the page too, and
// mouse buttons are recorded from clicks on a pad shown meanwhile. Every
// key pressed belongs to the macro (Tab and Escape too), so a recording
// that hears nothing for a while ends by itself: a keyboard alone can end
// it. The software remapping pauses meanwhile.
import { COMMAND } from '../core/commands.js';
import { MacroRecorder } from '../core/macro.js';
import { t } from '../core/i18n.js';
import { h } from './dom.js';

const START = '开始';
const STOP = '停止';
export const QUIET_STOP_MS = 10000;

// The mouse buttons of a pointer event, by the words the definitions use.
const POINTER_BUTTONS = { 0: '左键', 1: '中键', 2: '右键', 3: '后退', 4: '前进' };

// steps(): the macro's steps now (an appended recording follows them);
// onLive(steps): the steps so far while recording; onDone(steps, select):
// the macro once recorded; onStateChange(): recording started or ended;
// focus(): where keys go while recording.
export function macroRecording({ client, driver, buttons, remapping, steps, onLive, onDone, onStateChange, focus, quietMs = QUIET_STOP_MS }) {
    const recordDelays = h('input', { type: 'checkbox', id: 'macro-record-delays', checked: true });
    const recordMode = h('select', { id: 'macro-record-mode', 'aria-label': t('macro.recordMode') },
        h('option', { value: 'replace' }, t('macro.recordReplace')), h('option', { value: 'append' }, t('macro.recordAppend')));
    const record = h('button', { type: 'button', class: 'button', id: 'macro-record', 'aria-pressed': 'false' }, h('span', { class: 'record-dot', 'aria-hidden': 'true' }), t('macro.record'));
    const recordState = h('span', { class: 'hint', id: 'macro-record-state', role: 'status' });
    const pad = h('div', { class: 'click-pad', id: 'macro-pad', tabindex: '-1', hidden: true }, t('macro.pad'));

    let recording = null;
    let quiet = null;
    const listen = () => {
        clearTimeout(quiet);
        quiet = setTimeout(() => recording && stop(), quietMs);
    };
    const showRecording = (on) => {
        record.setAttribute('aria-pressed', on ? 'true' : 'false');
        record.classList.toggle('recording', on);
        record.lastChild.textContent = on ? t('macro.stop') : t('macro.record');
        pad.hidden = !on || !buttons.length;
    };

    async function start() {
        recording = { recorder: new MacroRecorder({ recordDelays: recordDelays.checked }), base: recordMode.value === 'append' ? steps() : [], captured: false };
        listen();
        showRecording(true);
        recordState.textContent = t('macro.recording');
        onStateChange();
        focus();
        if (remapping)
            remapping.pause();
        const reply = await client.send(COMMAND.mouseTracks, { status: START }, { timeout: 3000 });
        if (recording) {
            recording.captured = reply.ok;
            if (!reply.ok)
                recordState.textContent = t('macro.recordingFocus');
        }
    }

    function stop() {
        const current = recording;
        if (!current)
            return;
        recording = null;
        clearTimeout(quiet);
        showRecording(false);
        const recorded = current.recorder.finish(performance.now());
        onDone([...current.base, ...recorded], current.base.length + recorded.length - 1);
        recordState.textContent = t('macro.recorded', { n: recorded.length });
        onStateChange();
        client.send(COMMAND.mouseTracks, { status: STOP }, { timeout: 3000 });
        if (remapping)
            remapping.resume();
    }

    const live = () => onLive([...recording.base, ...recording.recorder.steps]);

    // Keys (down and up) while recording: the definition's key rows.
    const onKey = (e) => {
        if (!recording)
            return;
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
        live();
    };
    const onButton = (e) => {
        if (!recording || !buttons.length)
            return;
        e.preventDefault();
        const name = POINTER_BUTTONS[e.button] || '';
        if (!buttons.includes(name))
            return;
        recording.recorder.add({ time: e.timeStamp || performance.now(), kind: 'button', down: e.type === 'pointerdown', name });
        listen();
        live();
    };
    pad.addEventListener('pointerdown', onButton);
    pad.addEventListener('pointerup', onButton);
    pad.addEventListener('contextmenu', (e) => e.preventDefault());
    record.addEventListener('click', () => (recording ? stop() : start()));

    return {
        row: h('div', { class: 'macro-record' }, record,
            h('label', { class: 'check' }, recordDelays, t('macro.recordDelays')), recordMode, recordState),
        pad,
        get active() {
            return !!recording;
        },
        stop,
        // Keys reach the recording through the element that holds focus.
        listenTo(element) {
            element.addEventListener('keydown', onKey, true);
            element.addEventListener('keyup', onKey, true);
        },
    };
}
