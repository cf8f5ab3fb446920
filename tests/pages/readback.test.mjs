import { test } from 'node:test';
import assert from 'node:assert/strict';
import { dpiReadIndex, parseDpiReply, parseDpiStages, parseSummary } from '../../pages/template/common/core/readback.js';
import { colourText, lightingBytes, lightingState, lightingTask, parseLightingTask, parseSummaryLighting } from '../../pages/template/common/core/lighting.js';
import { checkDpiEntry, dpiSteps, dpiTask, parseDpiTask, snapDpi } from '../../pages/template/common/core/dpi.js';

test('the settings summary splits into its fields, commas inside values included', () => {
    const text = 'reporVal:1,curDpi:1,DpiXVal:800,DpiYVal:800,lightVal:1,5,3,ff00,2,0,0,jittersVal:1,2,soundVal:0,1,'
        + 'defaultMouseAccel:0,defaultScrollLinesX:3,defaultMouseSpeed:5,defaultMouseDoubleClick:5,defaultScrollLinesY:3';
    const fields = parseSummary(text);
    assert.equal(fields.reporVal, '1');
    assert.equal(fields.lightVal, '1,5,3,ff00,2,0,0');
    assert.equal(fields.jittersVal, '1,2');
    assert.equal(fields.defaultScrollLinesY, '3');
    assert.deepEqual(parseSummary(''), {});
    assert.deepEqual(parseSummary(null), {});
});

test('the lighting of the summary is read, its run-together colour with the remembered one', () => {
    // ff,00,00 and f,f0,00 both read "ff00"
    assert.deepEqual(parseSummaryLighting('1,5,3,ff00,2,0,0', null), [1, 5, 3, 255, 0, 0, 2, 0, 0, 0]);
    assert.deepEqual(parseSummaryLighting('1,5,3,ff00,2,0,0', [15, 240, 0]).slice(3, 6), [15, 240, 0]);
    assert.deepEqual(parseSummaryLighting('0,1,2,102030,3,4,5', null), [0, 1, 2, 16, 32, 48, 3, 4, 5, 0]);
    assert.equal(parseSummaryLighting('1,5,3,zz,2,0,0', null), null);
    assert.equal(parseSummaryLighting('1,5', null), null);
});

test('lighting values go into their bytes and the rest is written back as read', () => {
    const m = { bytes: 10, fields: { mode: 0, brightness: 1, speed: 2, colour: 3 } };
    const w1 = { bytes: 6, fields: { colour: 0, mode: 3, brightness: 4, speed: 5 } };
    const base = [1, 5, 3, 255, 0, 0, 2, 9, 8, 0];
    const bytes = lightingBytes({ mode: 2, brightness: 4, speed: 1, colour: [0, 128, 255] }, m, base);
    assert.deepEqual(bytes, [2, 4, 1, 0, 128, 255, 2, 9, 8, 0]);
    assert.equal(lightingTask(bytes), '0x02,0x04,0x01,0x00,0x80,0xff,0x02,0x09,0x08,0x00');
    assert.deepEqual(parseLightingTask(lightingTask(bytes)), bytes);
    assert.equal(parseLightingTask('0x1,0x100'), null);
    assert.deepEqual(lightingBytes({ mode: 1, brightness: 5, speed: 3, colour: [255, 0, 0] }, w1, null), [255, 0, 0, 1, 5, 3]);
    assert.deepEqual(lightingState([255, 0, 0, 1, 5, 3], w1), { mode: 1, brightness: 5, speed: 3, colour: [255, 0, 0] });
    assert.equal(colourText([0, 15, 255]), '000FFF');
});

test('DPI reads carry the whole value, and with detail the stage colour as the device holds it', () => {
    assert.deepEqual(parseDpiReply('{"DpiXVal":"800","DpiYVal":"1600"}'), { x: 800, y: 1600, mode: null, colour: null });
    // Past 12750 DPI the value is whole, not its low byte.
    assert.equal(parseDpiReply('{"DpiXVal":"16000","DpiYVal":"16000"}').x, 16000);
    // Black is a colour: a stage that holds 00,00,00 is not shown red.
    assert.deepEqual(parseDpiReply('{"DpiModeVal":"0","DpiRGBVal":"000000","DpiXVal":"800","DpiYVal":"400"}'),
        { x: 800, y: 400, mode: 0, colour: '000000' });
    assert.equal(parseDpiReply('{"DpiRGBVal":"00000","DpiXVal":"800","DpiYVal":"400"}').colour, null);
    assert.equal(parseDpiReply('nonsense'), null);
    assert.equal(parseDpiReply('{"DpiXVal":"a"}'), null);
    assert.equal(dpiReadIndex({ number: 2, index: 52 }), 2);
    assert.equal(dpiReadIndex({ number: 7, index: 57 }), 57);

    // Every stage in one reply: a stage that cannot be read is null, the
    // others keep their places.
    const all = parseDpiStages('{"Current":"2","Stages":[{"DpiXVal":"800","DpiYVal":"800","DpiModeVal":"1","DpiRGBVal":"ff0000"},{"DpiXVal":"x"},7]}');
    assert.equal(all.current, 2);
    assert.deepEqual(all.stages, [{ x: 800, y: 800, mode: 1, colour: 'FF0000' }, null, null]);
    assert.equal(parseDpiStages('{"Current":"1"}'), null, 'no stage list');
    assert.equal(parseDpiStages('[1,2]'), null);
    assert.equal(parseDpiStages('{"Current":"a","Stages":[]}').current, null);
});

test('a DPI entry is judged before anything is written', () => {
    const range = { min: 100, max: 12000, bands: [{ to: 12000, step: 50 }] };
    assert.deepEqual(checkDpiEntry('', range), { ok: false, reason: 'empty' });
    assert.deepEqual(checkDpiEntry('   ', range), { ok: false, reason: 'empty' });
    assert.deepEqual(checkDpiEntry('abc', range), { ok: false, reason: 'notNumber' });
    assert.deepEqual(checkDpiEntry('8e2', range), { ok: false, reason: 'notNumber' });
    assert.deepEqual(checkDpiEntry('-800', range), { ok: false, reason: 'notNumber' });
    assert.deepEqual(checkDpiEntry('50000', range), { ok: false, reason: 'range' });
    assert.deepEqual(checkDpiEntry('50', range), { ok: false, reason: 'range' });
    assert.deepEqual(checkDpiEntry('826', range), { ok: true, value: 850 });
    assert.deepEqual(checkDpiEntry(' 12000 ', range), { ok: true, value: 12000 });
    assert.deepEqual(checkDpiEntry(800, range), { ok: true, value: 800 });
});

test('DPI values snap to what the device takes, band by band', () => {
    const range = { min: 100, max: 25500, bands: [{ to: 7200, step: 50 }, { to: 25500, step: 100 }] };
    assert.equal(snapDpi(826, range), 850);
    assert.equal(snapDpi(7230, range), 7200);
    assert.equal(snapDpi(7260, range), 7300);
    assert.equal(snapDpi(99999, range), 25500);
    assert.equal(snapDpi('x', range), 100);
    const steps = dpiSteps(range);
    assert.equal(steps[0], 100);
    assert.ok(steps.includes(7200) && steps.includes(7300) && !steps.includes(7250));
    assert.equal(steps[steps.length - 1], 25500);
    assert.equal(dpiTask({ x: 1600, y: 800, linked: true, colour: 'ff8000' }), '1|1600|1600|FF8000');
    assert.equal(dpiTask({ x: 1600, y: 800, linked: false, colour: '' }), '0|1600|800');
    assert.deepEqual(parseDpiTask('0|1600|800'), { linked: false, x: 1600, y: 800, colour: '' });
    assert.equal(parseDpiTask('1|x|800'), null);
});
