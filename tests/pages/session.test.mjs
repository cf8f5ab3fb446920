import { test } from 'node:test';
import assert from 'node:assert/strict';
import { CommandClient } from '../../pages/template/common/core/client.js';
import { DeviceEditor, DriverCache } from '../../pages/template/common/core/device_editor.js';
import { ProfileDocument } from '../../pages/template/common/core/profile.js';
import { Catalogue } from '../../pages/template/common/core/catalogue.js';
import { DeviceList, decodeReport, parseDeviceList } from '../../pages/template/common/core/devices.js';
import products from '../../pages/template/common/data/products.js';
import { definition, definitionText, familyTable } from './helpers.mjs';

// The program as the pages see it: a file cache, a device that takes or
// refuses writes, and the commands that reach them.
function fakeProgram({ files = {}, refuse = false } = {}) {
    const program = { files: Object.assign({}, files), writes: [], commands: [], events: {} };
    const answer = (request) => {
        const c = JSON.parse(request);
        program.commands.push(c.FuncName);
        switch (c.FuncName) {
        case 'GetLocalConf':
            return [true, definitionText(c.Name)];
        case 'ReadFileToStr':
            return c.FilePath in program.files ? [true, program.files[c.FilePath]] : [false, 'queryProfile load xml file failed!'];
        case 'ModifyFileFromStr':
            program.files[c.FilePath] = c.ContentStr;
            return [true, 'ModifyFileFromStr success'];
        case 'WriteDevice':
            program.writes.push(c);
            return refuse ? [false, 'writeDevices failed!'] : [true, 'writeDevices success!'];
        case 'RestDevice':
            return [true, 'RestDevice success'];
        case 'GetDevicesList':
            return program.devices ? [true, JSON.stringify(program.devices)] : null;
        default:
            return null;
        }
    };
    program.client = new CommandClient({
        query: (q) => {
            const reply = answer(q.request);
            if (reply)
                setTimeout(() => (reply[0] ? q.onSuccess(reply[1]) : q.onFailure(0, reply[1])), 0);
        },
        subscribe: (name, fn) => {
            program.events[name] = fn;
        },
    });
    return program;
}

const catalogue = new Catalogue(products, familyTable);
const m2 = catalogue.describeDevice({ Version: '258A1008' });

test('a device without a profile gets one before anything is written', async () => {
    const program = fakeProgram();
    const session = new DeviceEditor({ client: program.client, device: m2, driver: definition('M2.0') });
    const loaded = await session.loadProfile();
    assert.deepEqual(loaded.created, true);
    // A write asked for at once goes after the new profile is saved.
    const written = session.write(40, { TaskType: 'SwitchProfile', Task: '0x04' });
    assert.equal((await loaded.saved).ok, true);
    await written;
    assert.deepEqual(program.commands.slice(0, 3), ['ReadFileToStr', 'ModifyFileFromStr', 'WriteDevice']);
    assert.equal(ProfileDocument.parse(program.files['profile-258A1008.xml'], '258A1008').driverVersion, 'M2.0');
});

test('a write the device takes is kept in the profile; one it refuses is not', async () => {
    const stored = ProfileDocument.create({ deviceKey: '258A1008', driverVersion: 'M2.0' })
        .record(62, { TaskType: 'MouseFunction', Task: 'Back', TaskCount: '1' }).toXml();
    const program = fakeProgram({ files: { 'profile-258A1008.xml': stored } });
    const session = new DeviceEditor({ client: program.client, device: m2, driver: definition('M2.0') });
    assert.equal((await session.loadProfile()).created, false);
    assert.deepEqual(session.entry(62).Task, 'Back');

    const result = await session.write(61, { TaskType: 'HotKey', Task: 'Ctrl+C', TaskManner: '0x01' }, { name: 'pButton0', length: 8 });
    assert.ok(result.ok && result.profileSaved);
    assert.deepEqual(program.writes[0], {
        FuncName: 'WriteDevice', TaskCount: '1', TaskDelay: '0', TaskManner: '0x01', TaskType: 'HotKey', Task: 'Ctrl+C',
        Version: '258A1008', DriverVersion: 'M2.0', Index: '61',
    });
    const saved = ProfileDocument.parse(program.files['profile-258A1008.xml'], '258A1008');
    assert.equal(saved.entry(61).Task, 'Ctrl+C');
    assert.equal(saved.entry(62).Task, 'Back');

    program.files = {};
    const refusing = fakeProgram({ refuse: true });
    const s2 = new DeviceEditor({ client: refusing.client, device: m2, driver: definition('M2.0') });
    await s2.loadProfile();
    const before = refusing.files['profile-258A1008.xml'];
    const failed = await s2.write(61, { TaskType: 'MouseFunction', Task: 'Back' });
    assert.equal(failed.ok, false);
    assert.equal(s2.entry(61), null);
    assert.equal(refusing.files['profile-258A1008.xml'], before);
});

test('factory settings empty the profile of what was written', async () => {
    const program = fakeProgram();
    const session = new DeviceEditor({ client: program.client, device: m2, driver: definition('M2.0') });
    await session.loadProfile();
    await session.write(40, { TaskType: 'SwitchProfile', Task: '0x04' });
    const result = await session.restore();
    assert.ok(result.ok);
    assert.deepEqual(ProfileDocument.parse(program.files['profile-258A1008.xml'], '258A1008').indexes(), []);
});

test('definitions are read once per family; a missing one is asked again later', async () => {
    const program = fakeProgram();
    const cache = new DriverCache(program.client);
    const [a, b] = await Promise.all([cache.get('M1.0'), cache.get('M1.0')]);
    assert.equal(a, b);
    assert.equal(program.commands.filter((c) => c === 'GetLocalConf').length, 1);
    assert.equal(await cache.get('K4.0'), null);
});

test('the device list takes only records that name a device, and follows device changes', async () => {
    assert.equal(parseDeviceList('oops'), null);
    assert.deepEqual(parseDeviceList('[{"Version":"258A1007"},{"Version":"../x"},null,{"DeviceId":"1"}]').map((r) => r.Version), ['258A1007']);

    const program = fakeProgram();
    program.devices = [{ Version: '25A7FA91' }, { Version: '258A0049' }, { Version: '258A1007' }, { Version: '12345678' }];
    const list = new DeviceList(program.client, catalogue);
    const devices = await list.refresh();
    assert.deepEqual(devices.map((d) => d.kind), ['mouse', 'mouse', 'keyboard', 'unknown']);
    assert.equal(list.reportingDevice().key, '25A7FA91');

    const reports = [];
    list.onReportReceived((r) => reports.push(r));
    program.events.onDeviceData(['5,1a,2,0,0,0,0,0']);
    assert.equal(reports[0].decoded.stage, 2);
    assert.equal(reports[0].device.key, '25A7FA91');

    // Unplugged: no answer at all, so the list is empty.
    program.devices = null;
    program.events.devicesChanged([]);
    await new Promise((r) => setTimeout(r, 2700));
    assert.deepEqual(list.devices, []);
});

test('only reports of the form the family names are decoded', () => {
    const w1 = catalogue.family('W1.0');
    assert.deepEqual(decodeReport('5,1a,1,0', w1), { stage: 1 });
    assert.deepEqual(decodeReport('5,1b,1,0', w1), {});
    assert.deepEqual(decodeReport('5,1a', w1), {});
    assert.deepEqual(decodeReport('5,1a,1', catalogue.family('M1.0')), {});
});
