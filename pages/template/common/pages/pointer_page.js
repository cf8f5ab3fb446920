// Pointer: the desktop's pointer settings (acceleration, speed, wheel
// lines, horizontal wheel, double-click speed), shown as the program
// reports them and changed at once, each by its own command. They belong
// to the desktop, not to a mouse: the page is in the side bar and also a
// tab of every mouse. A setting this desktop does not use is shown
// disabled with that said (and where the desktop's own settings are), never
// offered as if changing it did something.
import { COMMAND } from '../core/commands.js';
import { parseSummary } from '../core/readback.js';
import { ACCELERATION_CHOICES, DOUBLE_CLICK_SET, PAGE_AT_A_TIME, SPEED_MAX, SPEED_MIN, hasPointerFields, pointerState, pointerSupport } from '../core/pointer.js';
import { t } from '../core/i18n.js';
import { h, clear } from '../ui/dom.js';
import { registerDevicePanel, registerPage } from '../ui/registry.js';
import { runWrite } from '../ui/status.js';
import { field, radioGroup, section } from '../ui/fields.js';

async function remembered(client) {
    const read = async (name) => {
        const reply = await client.send(COMMAND.ReadConf, { KeyName: name }, { timeout: 2000 });
        const n = reply.ok ? Number.parseInt(reply.text, 10) : NaN;
        return Number.isFinite(n) ? n : undefined;
    };
    return { acceleration: await read('PointerAcceleration'), doubleClick: await read('PointerDoubleClick') };
}

// One setting's command; resolves with its outcome. remember: the conf.ini
// key that keeps the index, for values the report cannot name.
function setter(client, command, remember) {
    return async (num) => {
        const result = await client.send(command, { Num: num });
        if (result.ok && remember)
            await client.send(COMMAND.WriteConf, { KeyName: remember, WriteData: String(num) });
        return result;
    };
}

// A slider whose every change is sent at once; a refused change puts the
// slider back. valueText(v): what a screen reader says for a position.
function rangeField({ id, label, min, max, value, left, right, send, valueText = String }) {
    const input = h('input', { type: 'range', id, min, max, step: 1, value });
    const row = field({ label, control: input });
    const ends = h('span', { class: 'range-ends', 'aria-hidden': 'true' }, h('span', null, left), h('span', null, right));
    row.el.querySelector('.field-control').prepend(ends);
    ends.insertBefore(input, ends.lastChild);
    let current = value;
    const show = (v) => {
        input.value = v;
        input.setAttribute('aria-valuetext', valueText(v));
    };
    show(value);
    input.addEventListener('change', () => {
        const next = Number(input.value);
        const before = current;
        runWrite(row.status, () => send(next), {
            apply: () => {
                current = next;
                show(next);
            },
            onFailure: () => {
                current = before;
                show(before);
            },
        });
    });
    row.el.control = input;
    return row.el;
}

// Marks a row whose setting this desktop does not use: its controls off,
// and a note that says so.
function unused(row, support) {
    row.classList.add('unused');
    for (const control of row.querySelectorAll('input, select, button'))
        control.disabled = true;
    row.append(h('p', { class: 'hint unused-note' },
        support.tool ? t('pointer.unusedTool', { tool: support.tool }) : t('pointer.unused')));
    return row;
}

function renderPointer(ctx, deviceKey) {
    const { client } = ctx;
    const body = h('div', { class: 'panel-content' }, h('div', { class: 'loading', role: 'status' }, h('span', { class: 'spinner', 'aria-hidden': 'true' }), t('pointer.reading')));
    Promise.all([client.send(COMMAND.GetWindowsMouseConfig, { Version: deviceKey || '' }), remembered(client),
        client.send(COMMAND.GetPointerSupport, {}, { timeout: 2000 })]).then(([reply, memory, supportReply]) => {
        const fields = reply.ok ? parseSummary(reply.text) : {};
        const support = pointerSupport(supportReply);
        clear(body);
        if (!hasPointerFields(fields)) {
            body.append(section(t('pointer.title'), h('p', { class: 'banner warning', role: 'alert' }, t('pointer.unreadable'))));
            return;
        }
        const state = pointerState(fields, memory);
        const accelerate = setter(client, COMMAND.modifyMouseAcce, 'PointerAcceleration');
        let acceleration = state.acceleration;
        const accel = radioGroup({
            name: 'pointer-acceleration', id: 'pointer-acceleration', label: t('pointer.acceleration'), value: acceleration,
            options: ACCELERATION_CHOICES.map((c) => ({ value: c.index, label: t(`pointer.accel.${c.name}`) })),
            onchange: async (value) => {
                const before = acceleration;
                const result = await runWrite(accel.status, () => accelerate(value), {
                    apply: () => {
                        acceleration = value;
                        accel.set(value);
                    },
                    onFailure: () => accel.set(before),
                });
                if (!result.ok)
                    acceleration = before;
            },
        });

        const speedRow = rangeField({
            id: 'pointer-speed', label: t('pointer.speed'), min: SPEED_MIN, max: SPEED_MAX,
            value: Number.isFinite(state.speed) ? state.speed : 6,
            left: t('pointer.slow'), right: t('pointer.fast'),
            send: setter(client, COMMAND.ModifyWindowAcceleratedSpeed),
        });
        const clickRow = rangeField({
            id: 'pointer-double-click', label: t('pointer.doubleClick'), min: 0, max: DOUBLE_CLICK_SET.length - 1,
            value: Number.isFinite(state.doubleClick) ? state.doubleClick : 5,
            left: t('pointer.slow'), right: t('pointer.fast'),
            send: setter(client, COMMAND.modifyMouseDoubleClick, 'PointerDoubleClick'),
            valueText: (v) => `${DOUBLE_CLICK_SET[v]} ms`,
        });
        const testArea = h('button', { type: 'button', class: 'double-click-test', id: 'pointer-click-test' }, t('pointer.tryIt'));
        testArea.addEventListener('dblclick', () => {
            testArea.classList.toggle('on');
            testArea.textContent = testArea.classList.contains('on') ? t('pointer.tryItOn') : t('pointer.tryIt');
        });

        // Vertical wheel: lines per notch, or a page at a time.
        const lines = h('input', { type: 'number', id: 'pointer-lines', min: 1, max: 100, value: Number.isFinite(state.linesY) ? state.linesY : 3 });
        const page = h('input', { type: 'checkbox', id: 'pointer-page', checked: state.pageAtATime });
        lines.disabled = state.pageAtATime;
        const linesRow = field({ label: t('pointer.lines'), control: lines });
        linesRow.el.querySelector('.field-control').insertBefore(h('label', { class: 'check', for: 'pointer-page' }, page, t('pointer.page')), linesRow.status.el);
        let linesBefore = { lines: lines.value, page: page.checked };
        const sendLines = setter(client, COMMAND.ModifyMouseScrollLines);
        const writeLines = async () => {
            const n = Math.min(100, Math.max(1, Number.parseInt(lines.value, 10) || 1));
            const whole = page.checked;
            const result = await runWrite(linesRow.status, () => sendLines(whole ? PAGE_AT_A_TIME : n), {
                apply: () => {
                    lines.value = n;
                    page.checked = whole;
                    lines.disabled = whole;
                },
                onFailure: () => {
                    lines.value = linesBefore.lines;
                    page.checked = linesBefore.page;
                    lines.disabled = page.checked;
                },
            });
            if (result.ok)
                linesBefore = { lines: lines.value, page: page.checked };
        };
        lines.addEventListener('change', writeLines);
        page.addEventListener('change', writeLines);

        const chars = h('input', { type: 'number', id: 'pointer-chars', min: 1, max: 100, value: Number.isFinite(state.charsX) ? state.charsX : 3 });
        const charsRow = field({ label: t('pointer.chars'), control: chars, hint: t('pointer.charsHint') });
        let charsBefore = chars.value;
        const sendChars = setter(client, COMMAND.modifyMouseScrollLinesX);
        chars.addEventListener('change', async () => {
            const n = Math.min(100, Math.max(1, Number.parseInt(chars.value, 10) || 1));
            const result = await runWrite(charsRow.status, () => sendChars(n), {
                apply: () => { chars.value = n; },
                onFailure: () => { chars.value = charsBefore; },
            });
            if (result.ok)
                charsBefore = chars.value;
        });

        const mark = (row, name) => (support.applies(name) ? row : unused(row, support));
        const usedNone = support.known && !support.applies('acceleration') && !support.applies('speed')
            && !support.applies('doubleClickTime') && !support.applies('wheelScrollLines') && !support.applies('wheelScrollChars');
        const hint = support.allApplied ? t('pointer.hint') : usedNone ? t('pointer.hintNone') : t('pointer.hintSome');
        body.append(section(t('pointer.title'),
            h('p', { class: 'hint', id: 'pointer-hint' }, hint),
            mark(accel.el, 'acceleration'),
            state.acceleration === null && support.applies('acceleration') ? h('p', { class: 'hint', id: 'pointer-accel-other' }, t('pointer.accelOther')) : null,
            mark(speedRow, 'speed')),
        section(t('pointer.wheelTitle'), mark(linesRow.el, 'wheelScrollLines'), mark(charsRow.el, 'wheelScrollChars')),
        section(t('pointer.clickTitle'), mark(clickRow, 'doubleClickTime'), h('div', { class: 'field' }, h('span', { class: 'field-label' }, t('pointer.tryLabel')), h('div', { class: 'field-control' }, testArea))));
        body.dataset.ready = 'true';
    });
    return body;
}

registerPage({
    id: 'pointer',
    nav: { icon: 'pointer', title: 'nav.pointer', order: 40 },
    render(ctx) {
        const mouse = ctx.devices.devices.find((d) => d.kind === 'mouse');
        return h('section', { class: 'page pointer-page' },
            h('div', { class: 'page-head' }, h('h1', null, t('pointer.pageTitle'))),
            renderPointer(ctx, mouse ? mouse.key : ''));
    },
});

registerDevicePanel({
    id: 'pointer',
    title: 'panel.pointer',
    order: 45,
    supports: (device) => device.kind === 'mouse',
    render: (ctx) => renderPointer(ctx, ctx.device.key),
});
