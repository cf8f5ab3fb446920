// One device opened by the pages: its Driver definition, its profile
// document, and the writes that keep both the device and the profile in
// step. A write that the device takes is recorded in the profile and the
// profile is written out; a write the device refuses changes nothing.
import { COMMAND } from './commands.js';
import { DriverDefinition } from './driver.js';
import { ProfileDocument, profilePath, SETTINGS_MODE } from './profile.js';
import { parseDpiStages, parseSummary } from './readback.js';

const WRITE_TIMEOUT_MS = 20000;

// Settings written as plain bytes (report rate, current stage, lighting)
// travel under a type whose content the program writes as it stands.
export const RAW_TYPE = 'SwitchProfile';

export function rawBytes(values) {
    return values.map((v) => `0x${(v & 0xff).toString(16).padStart(2, '0')}`).join(',');
}

// Driver definitions are read once per family and shared.
export class DriverCache {
    constructor(client) {
        this.client = client;
        this.loaded = new Map();
    }

    get(version) {
        if (!this.loaded.has(version)) {
            const loading = this.client.send(COMMAND.GetLocalConf, { Name: version }).then((reply) => {
                if (!reply.ok || !reply.text) {
                    this.loaded.delete(version);
                    return null;
                }
                try {
                    return DriverDefinition.parse(reply.text);
                } catch (e) {
                    this.loaded.delete(version);
                    return null;
                }
            });
            this.loaded.set(version, loading);
        }
        return this.loaded.get(version);
    }
}

export class DeviceEditor {
    // layout: for keyboards that write a whole profile mode from the
    // device's profile (K2.0, K3.0), the key records of Mode 0 as made
    // when nothing was assigned (core/keyboard.js defaultLayout); their
    // other settings are recorded before they are written.
    constructor({ client, device, driver, layout = null }) {
        this.client = client;
        this.device = device;
        this.driver = driver;
        this.key = device.key;
        this.path = profilePath(device.key);
        this.profile = null;
        this.saving = Promise.resolve();
        this.listeners = new Set();
        this.summaryRead = null;
        this.layoutDefaults = layout;
        this.settingsMode = layout ? SETTINGS_MODE : '0';
    }

    // Whether the device writes from its profile: then the profile holds a
    // change before the device is asked to take it.
    get profileWrites() {
        return !!this.layoutDefaults;
    }

    // Reads the device's profile, or creates it when there is none (the
    // program writes only to devices whose profile it has read). Resolves
    // once the profile is in memory; a save it needs (a new profile, a
    // layout completed) goes on meanwhile: saved resolves with its outcome,
    // and every write waits for it.
    async loadProfile() {
        const reply = await this.client.send(COMMAND.ReadFileToStr, { FilePath: this.path, Xpath: '/Configuration' });
        const read = reply.ok ? ProfileDocument.parse(reply.text, this.key, { settingsMode: this.settingsMode }) : null;
        if (read) {
            this.profile = read;
            if (this.layoutDefaults && this.profile.ensureLayout(this.layoutDefaults))
                return { ok: true, created: false, saved: this.saveProfile() };
            return { ok: true, created: false, saved: Promise.resolve({ ok: true }) };
        }
        this.profile = ProfileDocument.create({
            deviceKey: this.key,
            driverVersion: this.device.familyVersion,
            product: this.device.name,
            settingsMode: this.settingsMode,
        });
        if (this.layoutDefaults)
            this.profile.ensureLayout(this.layoutDefaults);
        return { ok: true, created: true, saved: this.saveProfile() };
    }

    // Writes the profile document; resolves with the outcome. Saves run one
    // after another, each with the document as it is then.
    saveProfile() {
        const next = this.saving.then(() =>
            this.client.send(COMMAND.ModifyFileFromStr, { FilePath: this.path, ContentStr: this.profile.toXml() }));
        this.saving = next.catch(() => {});
        return next;
    }

    // Writes the files the program still holds (a no-op without an answer
    // when nothing is pending).
    flush() {
        return this.client.send(COMMAND.savexml, {}, { timeout: 1500, quietNoReply: true });
    }

    // One setting. request: TaskType, Task, TaskCount (and TaskDelay,
    // TaskManner where the family reads them). Resolves with the write's
    // outcome; a profile that cannot be saved is reported as profileSaved:
    // false beside a successful write.
    async write(index, request, { name = '', length = '' } = {}) {
        const members = Object.assign({ TaskCount: '1', TaskDelay: '0', TaskManner: '0' }, request, {
            Version: this.key,
            DriverVersion: this.device.familyVersion,
            Index: String(index),
        });
        if (this.profileWrites)
            return this.writeThroughProfile(index, members, { name, length });
        // The program takes writes only for a profile it has seen saved.
        await this.saving;
        const result = await this.client.send(COMMAND.WriteDevice, members, { timeout: WRITE_TIMEOUT_MS });
        this.summaryRead = null;
        if (!result.ok)
            return result;
        const kept = {
            TaskType: members.TaskType, Task: members.Task, TaskCount: members.TaskCount,
            TaskDelay: members.TaskDelay, TaskManner: members.TaskManner,
        };
        this.profile.record(index, kept, { name, length });
        const saved = await this.saveProfile();
        this.notify(index);
        return Object.assign({}, result, { profileSaved: saved.ok });
    }

    // A write of a device that reads its settings from the profile: the
    // profile holds the change first (the program finds it there), and
    // goes back to what it held when the device refuses.
    async writeThroughProfile(index, members, { name, length }) {
        const kept = {
            TaskType: members.TaskType, Task: members.Task, TaskCount: members.TaskCount,
            TaskDelay: members.TaskDelay, TaskManner: members.TaskManner,
        };
        const before = this.profile.snapshot();
        this.profile.record(index, kept, { name, length });
        return this.writeAfterSave(members, before, index);
    }

    // A key of a profile-mode keyboard: its record attributes change in
    // the layout, then the whole mode is written (the profile block's
    // Index; the program writes every key of the mode in order).
    async writeLayoutKey(layoutIndex, attributes) {
        const row = this.driver.rowByTask('mode0');
        const modeIndex = row ? row.Index : '0';
        const before = this.profile.snapshot();
        if (!this.profile.setLayoutKey(layoutIndex, attributes))
            return { ok: false, code: 0, text: 'no such key' };
        const members = {
            Version: this.key, DriverVersion: this.device.familyVersion, Index: String(modeIndex),
            TaskType: attributes.Type || '', Task: attributes.Value || '', TaskCount: attributes.PlayCount || '1',
            TaskDelay: '0', TaskManner: '0',
        };
        return this.writeAfterSave(members, before, layoutIndex);
    }

    async writeAfterSave(members, before, changed) {
        const restore = async () => {
            this.profile = ProfileDocument.parse(before, this.key, { settingsMode: this.settingsMode });
            await this.saveProfile();
        };
        const saved = await this.saveProfile();
        if (!saved.ok) {
            await restore();
            return saved;
        }
        const result = await this.client.send(COMMAND.WriteDevice, members, { timeout: WRITE_TIMEOUT_MS });
        this.summaryRead = null;
        if (!result.ok) {
            await restore();
            return result;
        }
        this.notify(changed);
        return Object.assign({}, result, { profileSaved: true });
    }

    // Factory settings written value by value, for devices whose reset
    // command cannot be relied on to restore them (writes: the list of
    // core/factory.js). Stops at the first write the device refuses.
    async restoreByWrites(writes) {
        this.profile.clearSettings();
        let last = { ok: true, text: '' };
        for (const w of writes) {
            last = await this.write(w.index, w.request, { name: w.name, length: w.length });
            if (!last.ok)
                break;
        }
        const saved = await this.saveProfile();
        this.notify(null);
        return last.ok ? Object.assign({}, last, { profileSaved: saved.ok }) : last;
    }

    // Factory settings, after the user confirmed. The profile forgets what
    // the device no longer holds.
    async restore() {
        const result = await this.client.send(COMMAND.RestDevice, { Version: this.key }, { timeout: WRITE_TIMEOUT_MS });
        this.summaryRead = null;
        if (!result.ok)
            return result;
        this.profile.clearSettings();
        if (this.layoutDefaults) {
            this.profile.setColours(new Map());
            for (const key of this.layoutDefaults)
                this.profile.setLayoutKey(key.Index, key);
        }
        const saved = await this.saveProfile();
        this.notify(null);
        return Object.assign({}, result, { profileSaved: saved.ok });
    }

    entry(index) {
        return this.profile ? this.profile.entry(index) : null;
    }

    onChange(fn) {
        this.listeners.add(fn);
        return () => this.listeners.delete(fn);
    }

    notify(index) {
        for (const fn of this.listeners)
            fn(index);
    }

    // The device's settings summary as fields (reporVal, curDpi, lightVal,
    // ...), read once until the next write; {} when it cannot be read.
    summary() {
        if (!this.summaryRead)
            this.summaryRead = this.client.send(COMMAND.GetWindowsMouseConfig, { Version: this.key })
                .then((reply) => (reply.ok ? parseSummary(reply.text) : {}));
        return this.summaryRead;
    }

    // The current stage and the given stages (DpiIndex values) as the
    // device holds them, with their modes and colours, in one request:
    // { current, stages } or null when the device could not be read.
    async dpiStages(dpiIndexes) {
        const reply = await this.client.send(COMMAND.ReadDevicesDpiStages,
            { Version: this.key, DpiIndexes: dpiIndexes.join(',') });
        return reply.ok ? parseDpiStages(reply.text) : null;
    }
}
