import { test } from 'node:test';
import assert from 'node:assert/strict';
import { hasPointerFields, pointerState, pointerSupport } from '../../pages/template/common/core/pointer.js';
import { parseSummary } from '../../pages/template/common/core/readback.js';

const summary = (accel, x, speed, click, y) => parseSummary(
    `reporVal:1,curDpi:1,defaultMouseAccel:${accel},defaultScrollLinesX:${x},defaultMouseSpeed:${speed},defaultMouseDoubleClick:${click},defaultScrollLinesY:${y}`);

test('the summary\'s reading indexes become the indexes the pages set', () => {
    const s = pointerState(summary(8, 4, 5, 0, 3));
    assert.equal(s.acceleration, 2, 'acceleration 2 reads as preset 8 and is set as preset 2');
    assert.deepEqual([s.speed, s.doubleClick, s.linesY, s.charsX, s.pageAtATime], [6, 0, 3, 4, false]);
    assert.equal(pointerState(summary(0, 3, 0, 9, 3)).speed, 1);
    assert.equal(pointerState(summary(0, 3, 10, 9, 3)).speed, 11);
    assert.equal(pointerState(summary(0, 3, 10, 9, 3)).doubleClick, 11, '200 ms');
    assert.equal(pointerState(summary(0, 3, 5, 2, 3)).doubleClick, 3, '780 ms is nearest 760 ms');
    assert.equal(pointerState(summary(0, 3, 5, 0, 65535)).pageAtATime, true);
});

test('what the report cannot tell apart or name is taken from what was set here', () => {
    // Presets 1 and 3 both give acceleration 1.
    assert.equal(pointerState(summary(1, 3, 5, 5, 3)).acceleration, 1);
    assert.equal(pointerState(summary(1, 3, 5, 5, 3), { acceleration: 3 }).acceleration, 3);
    assert.equal(pointerState(summary(1, 3, 5, 5, 3), { acceleration: 2 }).acceleration, 1, 'a memory the report contradicts loses');
    // Acceleration levels no preset sets: shown as set elsewhere.
    assert.equal(pointerState(summary(3, 3, 5, 5, 3)).acceleration, null);
    // 760 ms (index 3) reads as "no match" (5); 480 ms (a real 5) does not
    // lose to a memory that the table can name.
    assert.equal(pointerState(summary(0, 3, 5, 5, 3), { doubleClick: 3 }).doubleClick, 3);
    assert.equal(pointerState(summary(0, 3, 5, 5, 3), { doubleClick: 0 }).doubleClick, 7);
    assert.equal(pointerState(summary(0, 3, 5, 5, 3)).doubleClick, 7);
});

test('a summary without the pointer fields is recognised', () => {
    assert.equal(hasPointerFields(parseSummary('reporVal:1,curDpi:1')), false);
    assert.equal(hasPointerFields(summary(0, 3, 5, 5, 3)), true);
    const s = pointerState(parseSummary('defaultMouseAccel:x,defaultScrollLinesX:-1,defaultMouseSpeed:,defaultMouseDoubleClick:42,defaultScrollLinesY:'));
    assert.deepEqual([s.acceleration, s.speed, s.doubleClick, s.linesY, s.charsX], [null, NaN, NaN, NaN, NaN]);
});

test('the page learns which settings the desktop applies, and trusts nothing else', () => {
    const x11 = pointerSupport({ ok: true, text: '{"Desktop":"X11","Tool":"","Applied":["acceleration"],"StoredOnly":["speed","doubleClickTime","wheelScrollLines","wheelScrollChars"]}' });
    assert.equal(x11.known, true);
    assert.equal(x11.desktop, 'X11');
    assert.equal(x11.applies('acceleration'), true);
    assert.equal(x11.applies('speed'), false);
    assert.equal(x11.allApplied, false);
    const gnome = pointerSupport({ ok: true, text: '{"Desktop":"GSettings","Tool":"Settings › Mouse & Touchpad","Applied":["acceleration","speed","doubleClickTime","nonsense"]}' });
    assert.equal(gnome.tool, 'Settings › Mouse & Touchpad');
    assert.equal(gnome.applies('wheelScrollLines'), false);
    assert.equal(gnome.applies('nonsense'), false);
    const file = pointerSupport({ ok: true, text: '{"Desktop":"file","Applied":["acceleration","speed","doubleClickTime","wheelScrollLines","wheelScrollChars"]}' });
    assert.equal(file.allApplied, true);
    // An older program, or an answer that is not one: everything as before.
    for (const reply of [{ ok: false, code: 0, text: '' }, { ok: true, text: 'garbage' }, { ok: true, text: '{}' }, null]) {
        const s = pointerSupport(reply);
        assert.equal(s.known, false);
        assert.equal(s.applies('speed'), true);
    }
});
