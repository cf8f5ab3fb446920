// The music lighting window: a pop-up view ("OpenView" with the address
// the client profile names as MusicView, so the program's music data
// reaches it). It plays the music track ("RGBMusicPlay"), turns each
// "OnRGBMusicData" spectrum into a level meter on the keyboard's keys and
// sends the frames with "WriteRGBDevice" at a rate the keyboard takes.
// Stopping, or closing the window, gives the keyboard its painted colours
// back.
import { COMMAND } from './core/commands.js';
import { CommandClient, failureText } from './core/client.js';
import { Catalogue, definitionOf, fetchFamilies } from './core/catalogue.js';
import products from './data/products.js';
import keyboardLayout from './data/keyboard_layout.js';
import { DeviceList } from './core/devices.js';
import { DriverCache } from './core/device_editor.js';
import { ProfileDocument, profilePath, SETTINGS_MODE } from './core/profile.js';
import { lightingData } from './core/keyboard.js';
import { FrameSender } from './core/frame_sender.js';
import { MusicMeter, parseMusicData } from './core/music_lighting.js';
import { t, setLanguage, supportedLanguage } from './core/i18n.js';
import { h, clear } from './ui/dom.js';
import { createTitleBar } from './ui/titlebar.js';

// No spectrum this long after the track was started: no music is playing.
const SILENCE_MS = 2500;

function readBrand() {
    const block = document.getElementById('brand');
    try {
        const brand = JSON.parse(block ? block.textContent : '{}');
        return { name: String(brand.name || ''), mark: String(brand.mark || '') };
    } catch (e) {
        return { name: document.title, mark: '' };
    }
}

// The painted colours the keyboard's profile keeps.
async function savedColours(client, key) {
    const reply = await client.send(COMMAND.ReadFileToStr, { FilePath: profilePath(key), Xpath: '/Configuration' }, { timeout: 3000 });
    const profile = reply.ok ? ProfileDocument.parse(reply.text, key, { settingsMode: SETTINGS_MODE }) : null;
    return profile ? profile.colours() : new Map();
}

export async function start() {
    const client = CommandClient.forPage(window);
    const familiesRead = fetchFamilies(client);
    const stored = await client.send(COMMAND.ReadConf, { KeyName: 'Language' }, { timeout: 2000 });
    setLanguage(stored.ok && supportedLanguage(stored.text) ? stored.text : 'en');
    document.documentElement.lang = stored.ok && supportedLanguage(stored.text) === 'zh' ? 'zh-CN' : 'en';
    const brand = readBrand();
    document.title = t('music.title');

    let sender = null;
    let playing = null;
    let silence = null;
    const meter = new MusicMeter({ columns: keyboardLayout.columns, rows: keyboardLayout.matrix.length / keyboardLayout.columns });

    const keyboards = h('select', { id: 'music-keyboard', 'aria-label': t('music.keyboard') });
    const play = h('button', { type: 'button', class: 'button', id: 'music-play' }, t('music.play'));
    const stop = h('button', { type: 'button', class: 'button secondary', id: 'music-stop', disabled: true }, t('music.stop'));
    const state = h('p', { class: 'muted', id: 'music-state', role: 'status' }, '');
    const bars = h('div', { class: 'music-bars', 'aria-hidden': 'true' },
        Array.from({ length: meter.columns }, () => h('span', { class: 'music-bar' })));

    const drawBars = (heights) => {
        [...bars.children].forEach((bar, i) => {
            bar.style.height = `${Math.round(100 * heights[i] / meter.rows)}%`;
        });
    };

    const stopFollowing = async () => {
        clearTimeout(silence);
        if (!playing)
            return;
        const { key, version } = playing;
        playing = null;
        play.disabled = false;
        stop.disabled = true;
        sender.stop();
        await sender.idle();
        drawBars(new Array(meter.columns).fill(0));
        // The painted colours come back.
        const colours = await savedColours(client, key);
        await client.send(COMMAND.WriteRGBDevice, { Version: key, DriverVersion: version, Data: lightingData(colours, keyboardLayout) });
        state.textContent = t('music.stopped');
    };

    const catalogue = new Catalogue(products, await familiesRead);
    const devices = new DeviceList(client, catalogue);
    const drivers = new DriverCache(client);
    const fillKeyboards = async (list) => {
        const preferred = await client.send(COMMAND.ReadConf, { KeyName: 'MusicDevice' }, { timeout: 2000 });
        const chosen = keyboards.value || (preferred.ok ? preferred.text : '');
        clear(keyboards);
        const found = list.filter((d) => !!(d.family && d.family.keyColours));
        for (const d of found)
            keyboards.append(h('option', { value: d.key, selected: d.key === chosen }, `${d.name} (${d.key})`));
        play.disabled = !found.length || !!playing;
        if (!found.length)
            state.textContent = t('music.noKeyboard');
        else if (!playing)
            state.textContent = t('music.ready');
    };
    devices.onChange(fillKeyboards);

    play.addEventListener('click', async () => {
        const device = devices.byKey(keyboards.value);
        if (!device)
            return;
        const definition = definitionOf(device.family, device.familyVersion);
        const driver = await drivers.get(definition);
        if (!driver) {
            state.textContent = t('device.noDefinition', { family: definition });
            return;
        }
        sender = new FrameSender({
            minInterval: 50,
            send: (data) => client.send(COMMAND.WriteRGBDevice, { Version: device.key, DriverVersion: driver.version, Data: data }),
        });
        playing = { key: device.key, version: driver.version };
        play.disabled = true;
        stop.disabled = false;
        const reply = await client.send(COMMAND.RGBMusicPlay, {}, { timeout: 4000 });
        if (!reply.ok) {
            state.textContent = failureText(reply, t);
            await stopFollowing();
            return;
        }
        state.textContent = t('music.playing');
        silence = setTimeout(() => {
            if (playing)
                state.textContent = t('music.silent');
        }, SILENCE_MS);
    });
    stop.addEventListener('click', stopFollowing);

    client.on('OnRGBMusicData', (args) => {
        if (!playing)
            return;
        const levels = parseMusicData(args[0]);
        if (!levels)
            return;
        clearTimeout(silence);
        silence = setTimeout(() => {
            if (playing)
                state.textContent = t('music.ended');
        }, SILENCE_MS);
        state.textContent = t('music.playing');
        const heights = meter.update(levels);
        drawBars(heights);
        sender.push(lightingData(meter.colours(heights, keyboardLayout.matrix), keyboardLayout));
    });

    const close = async () => {
        await stopFollowing();
        client.send(COMMAND.CloseView, {}, { timeout: 500, quietNoReply: true });
    };
    const main = h('main', { class: 'music-main' },
        h('h1', null, t('music.title')),
        h('p', { class: 'hint' }, t('music.hint')),
        h('div', { class: 'field' }, h('label', { for: 'music-keyboard', class: 'field-label' }, t('music.keyboard')),
            h('div', { class: 'field-control' }, keyboards)),
        bars,
        h('div', { class: 'dialog-actions' }, state, h('span', { class: 'toolbar-space' }), stop, play));
    document.body.append(h('div', { class: 'app music-app' }, createTitleBar(client, brand, { onClose: close, maximise: false }), main));
    window.addEventListener('beforeunload', () => {
        if (playing)
            stopFollowing();
    });
    await devices.refresh();
    document.body.dataset.ready = 'true';
    window.orvantaMusic = { devices, meter };
}

start();
