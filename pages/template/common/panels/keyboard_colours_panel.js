// Per-key colours: paint the drawn keyboard with a brush, fill, colour
// picker or eraser; the keyboard shows the colours at once ("Live") or when
// they are applied, through "WriteRGBDevice" (the whole frame each time,
// at a rate the keyboard takes). The device does not keep them: the
// device's profile does, and "Send again" shows them after a replug.
// Music lighting opens its own window (the view the client profile names).
import { COMMAND } from '../core/commands.js';
import { keyboardExtent, keyboardKeys, lightingData, paint } from '../core/keyboard.js';
import { FrameSender } from '../core/frame_sender.js';
import { readClientRow } from '../core/client_profile.js';
import { colourText, parseColour } from '../core/lighting.js';
import keyboardLayout from '../data/keyboard_layout.js';
import { failureText } from '../core/client.js';
import { t } from '../core/i18n.js';
import { h, icon } from '../ui/dom.js';
import { registerDevicePanel } from '../ui/registry.js';
import { WriteStatus } from '../ui/status.js';
import { section } from '../ui/fields.js';
import { keyboardView } from '../ui/keyboard_view.js';

const TOOLS = [
    { id: 'brush', key: 'b' },
    { id: 'fill', key: 'f' },
    { id: 'picker', key: 'i' },
    { id: 'eraser', key: 'e' },
];
const SWATCHES = ['FF0000', 'FF8000', 'FFFF00', '00FF00', '00FFFF', '0000FF', 'FF00FF', 'FFFFFF'];
const MUSIC_WINDOW = { width: 560, height: 440 };

// Opens the music lighting window for this keyboard.
async function openMusic(ctx, status) {
    const row = await readClientRow(ctx.client);
    if (!row || !row.musicView) {
        status.failed(t('colours.noMusicView'));
        return;
    }
    const stored = await ctx.client.send(COMMAND.WriteConf, { KeyName: 'MusicDevice', WriteData: ctx.device.key });
    if (!stored.ok) {
        status.failed(failureText(stored, t));
        return;
    }
    ctx.client.send(COMMAND.OpenView, { Url: row.musicView, width: MUSIC_WINDOW.width, height: MUSIC_WINDOW.height }, { timeout: 500, quietNoReply: true });
    status.idle();
}

function render(ctx) {
    const { session, driver, product, client } = ctx;
    const keys = keyboardKeys(keyboardLayout, driver, product).filter((k) => Number.isFinite(k.position));
    const names = keys.map((k) => k.name);
    let colours = session.profile.colours();
    let tool = 'brush';
    let brush = 'FF0000';
    let live = true;
    let unapplied = false;
    const status = new WriteStatus();
    const musicStatus = new WriteStatus();

    const sender = new FrameSender({
        minInterval: 50,
        send: (data) => client.send(COMMAND.WriteRGBDevice, { Version: session.key, DriverVersion: driver.version, Data: data }),
    });

    const colourInput = h('input', { type: 'color', id: 'paint-colour', value: `#${brush.toLowerCase()}`, 'aria-label': t('colours.colour') });
    const setBrush = (hex) => {
        brush = hex.toUpperCase();
        colourInput.value = `#${brush.toLowerCase()}`;
    };
    colourInput.addEventListener('input', () => setBrush(colourText(parseColour(colourInput.value))));

    const toolButtons = TOOLS.map((x) => {
        const b = h('button', {
            type: 'button', class: 'tool-button', id: `tool-${x.id}`, dataset: { tool: x.id },
            'aria-pressed': x.id === tool ? 'true' : 'false', title: `${t(`colours.tool.${x.id}`)} (${x.key.toUpperCase()})`,
        }, t(`colours.tool.${x.id}`));
        b.addEventListener('click', () => selectTool(x.id));
        return b;
    });
    function selectTool(id) {
        tool = id;
        for (const b of toolButtons)
            b.setAttribute('aria-pressed', b.dataset.tool === id ? 'true' : 'false');
    }

    const apply = h('button', { type: 'button', class: 'button secondary', id: 'colours-apply' }, t('colours.apply'));
    const send = async () => {
        const data = lightingData(colours, keyboardLayout);
        status.busy();
        const result = await sender.push(data);
        if (result.overtaken || result.stopped)
            return;
        if (!result.ok) {
            status.failed(failureText(result, t), send);
            return;
        }
        unapplied = false;
        session.profile.setColours(colours);
        const saved = await session.saveProfile();
        if (!saved.ok)
            ctx.toast(t('error.profileNotSaved'), 'warning');
        status.set('ok', [icon('check'), h('span', null, t('colours.sent'))]);
    };
    const commit = () => {
        if (live)
            send();
        else {
            unapplied = true;
            status.set('idle', [h('span', { class: 'hint' }, t('colours.unapplied'))]);
        }
    };
    apply.addEventListener('click', send);

    const use = (key, all) => {
        const result = paint(colours, tool, key.name, brush, { names, all });
        if (tool === 'picker') {
            if (result.picked)
                setBrush(result.picked);
            selectTool('brush');
            return false;
        }
        colours = result.colours;
        view.refresh();
        return true;
    };

    const colourName = (key) => {
        const c = colours.get(key.name);
        return c ? t('colours.keyLit', { key: key.cap || key.name, colour: `#${c}` }) : t('colours.keyOff', { key: key.cap || key.name });
    };
    const view = keyboardView(keys, keyboardExtent(keys, keyboardLayout), {
        className: 'paint',
        colourOf: (key) => colours.get(key.name) || null,
        describe: colourName,
        onKey: (key, event) => {
            // Mouse strokes are painted on pointer down; a click from the
            // keyboard (Enter, Space) paints here.
            if (event.detail !== 0)
                return;
            if (use(key, event.shiftKey))
                commit();
        },
    });

    // Brush and eraser strokes run over the keys the pointer passes.
    let stroke = false;
    view.el.addEventListener('pointerdown', (e) => {
        const el = e.target.closest('.kb-key');
        if (!el || e.button !== 0)
            return;
        e.preventDefault();
        const key = keys.find((k) => k.id === el.dataset.key);
        stroke = use(key, e.shiftKey) && (tool === 'brush' || tool === 'eraser');
        if (!stroke && tool === 'fill')
            commit();
    });
    view.el.addEventListener('pointerover', (e) => {
        const el = stroke && e.target.closest('.kb-key');
        if (el)
            use(keys.find((k) => k.id === el.dataset.key), false);
    });
    const endStroke = () => {
        if (!stroke)
            return;
        stroke = false;
        commit();
    };
    window.addEventListener('pointerup', endStroke);

    // Tool shortcuts while the keyboard drawing has focus.
    view.el.addEventListener('keydown', (e) => {
        const found = TOOLS.find((x) => x.key === e.key.toLowerCase());
        if (found && !e.ctrlKey && !e.altKey && !e.metaKey) {
            e.preventDefault();
            selectTool(found.id);
        }
    });

    const liveBox = h('input', { type: 'checkbox', id: 'colours-live', checked: live });
    liveBox.addEventListener('change', () => {
        live = liveBox.checked;
        if (live && unapplied)
            send();
    });
    const clearAll = h('button', { type: 'button', class: 'button secondary', id: 'colours-clear' }, t('colours.clear'));
    clearAll.addEventListener('click', () => {
        colours = new Map();
        view.refresh();
        commit();
    });
    const swatches = h('div', { class: 'swatches', role: 'group', 'aria-label': t('colours.swatches') },
        SWATCHES.map((c) => h('button', {
            type: 'button', class: 'swatch-button', style: { background: `#${c}` }, title: `#${c}`, 'aria-label': `#${c}`,
            onclick: () => setBrush(c),
        })));

    const music = h('button', { type: 'button', class: 'button secondary', id: 'music-open' }, t('colours.music'));
    music.addEventListener('click', () => openMusic(ctx, musicStatus));

    const element = h('div', { class: 'panel-content' },
        section(t('colours.title'),
            h('p', { class: 'hint' }, t('colours.hint')),
            h('div', { class: 'paint-toolbar', role: 'toolbar', 'aria-label': t('colours.tools') },
                h('div', { class: 'tool-group' }, toolButtons), colourInput, swatches,
                h('span', { class: 'toolbar-space' }),
                h('label', { class: 'check', for: 'colours-live' }, liveBox, t('colours.live')), apply, clearAll),
            view.el,
            h('div', { class: 'kb-footer' }, h('span', { class: 'hint' }, t('colours.keep')), status.el)),
        section(t('colours.musicTitle'),
            h('p', { class: 'hint' }, t('colours.musicHint')),
            h('div', { class: 'field-control' }, music, musicStatus.el)));

    return {
        element,
        dispose: () => {
            window.removeEventListener('pointerup', endStroke);
            sender.stop();
        },
    };
}

registerDevicePanel({
    id: 'colours',
    title: 'panel.colours',
    order: 35,
    supports: (device) => !!(device.family && device.family.keyColours),
    render,
});
