import { test } from 'node:test';
import assert from 'node:assert/strict';
import { ProfileDocument, profilePath } from '../../pages/template/common/core/profile.js';
import { parseXml } from '../../pages/template/common/core/xml.js';

test('a new profile names its device where the program looks for it', () => {
    const profile = ProfileDocument.create({ deviceKey: '258A1007', driverVersion: 'M1.0', product: 'RX318 Pro' });
    const root = parseXml(profile.toXml());
    const key2 = root.element('Conf').elements('Key').find((k) => k.attr('Index') === '2');
    assert.equal(key2.attr('Value'), '258A1007');
    assert.equal(root.elements('Mode').length, 1);
    assert.equal(profilePath('25A7FA91'), 'profile-25A7FA91.xml');
    for (const bad of ['../etc', '258a1007', '258A10071', ''])
        assert.throws(() => profilePath(bad));
    assert.throws(() => ProfileDocument.create({ deviceKey: '../x' }));
});

test('writes are kept per Index, replaced by later ones, and survive a round trip', () => {
    const profile = ProfileDocument.create({ deviceKey: '258A1008', driverVersion: 'M2.0' });
    profile.record(61, { TaskType: 'HotKey', Task: 'Ctrl+C', TaskCount: '1', TaskDelay: '0', TaskManner: '0x01' }, { name: 'pButton0', length: 8 });
    profile.record(50, { TaskType: 'DPI', Task: '1|800|800|FF0000', TaskCount: '1' });
    profile.record(61, { TaskType: 'MouseFunction', Task: 'Back', TaskCount: '1' });
    const hostile = 'x"/><Conf><Key Index="2" Value="FFFFFFFF"/></Conf><y z="';
    profile.record(62, { TaskType: 'Macro', Task: hostile, TaskCount: '2' });

    const again = ProfileDocument.parse(profile.toXml(), '258A1008');
    assert.ok(again);
    assert.deepEqual(again.indexes(), ['61', '50', '62']);
    assert.deepEqual(again.entry(61), { TaskType: 'MouseFunction', Task: 'Back', TaskCount: '1', TaskDelay: '', TaskManner: '' });
    assert.equal(again.entry(62).Task, hostile);
    assert.equal(again.deviceKey, '258A1008');
    assert.equal(again.entry(99), null);

    again.forget(50);
    assert.equal(again.entry(50), null);
    again.clearSettings();
    assert.deepEqual(again.indexes(), []);
    assert.equal(again.deviceKey, '258A1008', 'the device key stays');
});

test('a profile of another device, or no profile at all, is not taken', () => {
    const other = ProfileDocument.create({ deviceKey: '258A1007' }).toXml();
    assert.equal(ProfileDocument.parse(other, '258A1008'), null);
    assert.equal(ProfileDocument.parse('<Configuration', '258A1007'), null);
    assert.equal(ProfileDocument.parse('<root name="x"/>', '258A1007'), null);
    // A profile without a mode gets one, so writes can be recorded.
    const bare = ProfileDocument.parse('<Configuration><Conf><Key Index="2" Value="258A1007"/></Conf></Configuration>', '258A1007');
    bare.record(40, { TaskType: 'SwitchProfile', Task: '0x04' });
    assert.equal(bare.entry(40).Task, '0x04');
});
