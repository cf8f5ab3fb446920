// One device opened by the pages: its Driver definition, its profile
// document, and the writes that keep both the device and the profile in
// step. A write that the device takes is recorded in the profile and the
// profile is written out; a write the device refuses changes nothing.
import { DriverDefinition } from './driver.js';
import { ProfileDocument, profilePath } from './profile.js';
import { parseSummary } from './readback.js';

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
            const loading = this.client.send('GetLocalConf', { Name: version }).then((reply) => {
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

export class DeviceSession {
    constructor({ client, device, driver }) {
        this.client = client;
        this.device = device;
        this.driver = driver;
        this.key = device.key;
        this.path = profilePath(device.key);
        this.profile = null;
        this.saving = Promise.resolve();
        this.listeners = new Set();
        this.summaryRead = null;
    }

    // Reads the device's profile, or creates it when there is none (the
    // program writes only to devices whose profile it has read).
    async loadProfile() {
        const reply = await this.client.send('ReadFileToStr', { FilePath: this.path, Xpath: '/Configuration' });
        const read = reply.ok ? ProfileDocument.parse(reply.text, this.key) : null;
        if (read) {
            this.profile = read;
            return { ok: true, created: false };
        }
        this.profile = ProfileDocument.create({
            deviceKey: this.key,
            driverVersion: this.device.familyVersion,
            product: this.device.name,
        });
        const saved = await this.saveProfile();
        return { ok: saved.ok, created: true, result: saved };
    }

    // Writes the profile document; resolves with the outcome. Saves run one
    // after another, each with the document as it is then.
    saveProfile() {
        const next = this.saving.then(() =>
            this.client.send('ModifyFileFromStr', { FilePath: this.path, ContentStr: this.profile.toXml() }));
        this.saving = next.catch(() => {});
        return next;
    }

    // Writes the files the program still holds (a no-op without an answer
    // when nothing is pending).
    flush() {
        return this.client.send('savexml', {}, { timeout: 1500, quietNoReply: true });
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
        const result = await this.client.send('WriteDevice', members, { timeout: WRITE_TIMEOUT_MS });
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

    // Factory settings, after the user confirmed. The profile forgets what
    // the device no longer holds.
    async restore() {
        const result = await this.client.send('RestDevice', { Version: this.key }, { timeout: WRITE_TIMEOUT_MS });
        this.summaryRead = null;
        if (!result.ok)
            return result;
        this.profile.clearSettings();
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
            this.summaryRead = this.client.send('GetWindowsMouseConfig', { Version: this.key })
                .then((reply) => (reply.ok ? parseSummary(reply.text) : {}));
        return this.summaryRead;
    }

    readDpi(dpiIndex) {
        return this.client.send('ReadDevicesDpiVal', { Version: this.key, DpiIndex: dpiIndex });
    }
}
