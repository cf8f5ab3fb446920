import { test } from 'node:test';
import assert from 'node:assert/strict';
import { FrameSender } from '../../pages/template/common/core/frame_sender.js';
import { MusicMeter, bandEdges, parseMusicData } from '../../pages/template/common/core/music_lighting.js';
import layout from '../../pages/template/common/data/keyboard_layout.js';

// A clock the test moves, and timers that fire when it passes them.
function fakeClock() {
    const clock = { now: 0, timers: [] };
    clock.setTimer = (fn, ms) => {
        const timer = { at: clock.now + ms, fn };
        clock.timers.push(timer);
        return timer;
    };
    clock.clearTimer = (timer) => {
        clock.timers = clock.timers.filter((x) => x !== timer);
    };
    clock.advance = async (ms) => {
        clock.now += ms;
        for (const timer of clock.timers.filter((x) => x.at <= clock.now)) {
            clock.clearTimer(timer);
            timer.fn();
        }
        await new Promise((r) => setImmediate(r));
    };
    return clock;
}

test('frames go one at a time, no faster than the device takes, the newest first', async () => {
    const clock = fakeClock();
    const sent = [];
    const answers = [];
    const sender = new FrameSender({
        minInterval: 50, now: () => clock.now, setTimer: clock.setTimer, clearTimer: clock.clearTimer,
        send: (data) => {
            sent.push([clock.now, data]);
            return new Promise((resolve) => answers.push(resolve));
        },
    });
    const first = sender.push('a');
    const second = sender.push('b');
    const third = sender.push('c');
    assert.deepEqual(sent, [[0, 'a']]);
    assert.deepEqual(await second, { ok: false, overtaken: true, text: '' });
    answers.shift()({ ok: true, text: 'a' });
    assert.equal((await first).ok, true);
    await clock.advance(20);
    assert.equal(sent.length, 1, 'waits for the interval');
    await clock.advance(30);
    assert.deepEqual(sent.at(-1), [50, 'c']);
    // A slow answer holds the next frame back however long it takes.
    sender.push('d');
    await clock.advance(200);
    assert.equal(sent.length, 2);
    answers.shift()({ ok: true, text: 'c' });
    assert.equal((await third).ok, true);
    await clock.advance(0);
    assert.deepEqual(sent.at(-1), [250, 'd']);
    const idle = sender.idle();
    sender.push('e');
    sender.stop();
    assert.deepEqual(await sender.push('f'), { ok: false, stopped: true, text: '' });
    answers.shift()({ ok: true, text: 'd' });
    await idle;
    assert.deepEqual(sent.map((s) => s[1]), ['a', 'c', 'd'], 'nothing after stop');
});

test('music data is read with care', () => {
    const data = Array.from({ length: 257 }, (_, i) => i);
    assert.deepEqual(parseMusicData(JSON.stringify({ data }, null, 4)).slice(0, 3), [0, 1, 2]);
    assert.equal(parseMusicData(JSON.stringify({ data })).at(-1), 120, 'held to 120');
    assert.equal(parseMusicData(JSON.stringify({ data: data.slice(1) })), null);
    assert.equal(parseMusicData('{"data": 5}'), null);
    assert.equal(parseMusicData('nonsense'), null);
    assert.equal(parseMusicData(`{"data":[${'1,'.repeat(40000)}1]}`), null);
    assert.deepEqual(parseMusicData(JSON.stringify({ data: data.map(() => 'x') })).slice(0, 2), [0, 0]);
});

test('the spectrum becomes a level meter on the keys, column by column', () => {
    const edges = bandEdges(21);
    assert.equal(edges[0], 1);
    assert.equal(edges[21], 256);
    assert.ok(edges.every((e, i) => i === 0 || e > edges[i - 1]));

    const meter = new MusicMeter({ columns: 21, rows: 6, floor: 48, fall: 0.5 });
    const levels = new Array(257).fill(0);
    for (let i = edges[0]; i < edges[1]; ++i)
        levels[i] = 120;
    const heights = meter.update(levels);
    assert.equal(heights[0], 6);
    assert.equal(heights[1], 0);
    const colours = meter.colours(heights, layout.matrix);
    // Column 0: ESC, TILDE, TAB, CAPSLOCK, LSHIFT, LCTRL, bottom green, top red.
    assert.deepEqual([...colours.keys()].sort(), ['CAPSLOCK', 'ESC', 'LCTRL', 'LSHIFT', 'TAB', 'TILDE']);
    assert.equal(colours.get('LCTRL'), '00FF40');
    assert.equal(colours.get('ESC'), 'FF2000');
    // Silence: the meter falls back half a row a frame.
    assert.equal(meter.update(new Array(257).fill(0))[0], 5.5);
    assert.equal(meter.colours([0, ...new Array(20).fill(6)], layout.matrix).has('ESC'), false);
});

test('a frame whose command throws is a failed frame, and the next one still goes', async () => {
    let calls = 0;
    const sender = new FrameSender({
        minInterval: 0,
        send: () => {
            calls += 1;
            if (calls === 1)
                throw new Error('gone');
            return Promise.resolve({ ok: true, text: '' });
        },
    });
    const first = await sender.push('a');
    assert.equal(first.ok, false);
    assert.equal((await sender.push('b')).ok, true);
});
