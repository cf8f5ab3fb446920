// The attached devices: "GetDevicesList", asked again on "devicesChanged",
// and the input reports of "onDeviceData" as a live sign of the device.
import { COMMAND } from './commands.js';

// "GetDevicesList" answers nothing at all when no device is attached.
const LIST_TIMEOUT_MS = 2500;

// The records of a device list answer that name a device.
export function parseDeviceList(text) {
    let list;
    try {
        list = JSON.parse(text);
    } catch (e) {
        return null;
    }
    if (!Array.isArray(list))
        return null;
    return list.filter((r) => r && typeof r === 'object' && typeof r.Version === 'string' && /^[0-9A-Fa-f]{8}$/.test(r.Version));
}

// What an input report says, as far as the family's page data knows its
// form: { stage } for a DPI stage report, else {}.
export function decodeReport(text, family) {
    const report = family && family.reports && family.reports.dpiStage;
    if (!report)
        return {};
    const items = String(text).split(',').map((s) => s.trim().toLowerCase());
    const prefix = report.prefix.split(',');
    if (items.length <= report.byte || prefix.some((p, i) => items[i] !== p))
        return {};
    const stage = parseInt(items[report.byte], 16);
    return Number.isFinite(stage) ? { stage } : {};
}

export class DeviceList {
    constructor(client, catalogue) {
        this.client = client;
        this.catalogue = catalogue;
        this.devices = [];
        this.loaded = false;
        this.listeners = new Set();
        this.reportListeners = new Set();
        this.pending = null;
        this.lastReport = null;
        client.on('devicesChanged', () => this.refresh());
        client.on('onDeviceData', (args) => this.onReport(args[0]));
    }

    refresh() {
        // Requests that overlap share one answer.
        if (this.pending)
            return this.pending;
        // The records are described once the family table is in (it is
        // asked for first, so it is there by the time the list comes).
        const asked = this.client.send(COMMAND.GetDevicesList, {}, { timeout: LIST_TIMEOUT_MS });
        this.pending = Promise.all([asked, this.catalogue.ready]).then(([reply]) => {
            this.pending = null;
            const records = reply.ok ? parseDeviceList(reply.text) : [];
            // Mice first, then keyboards, then what the pages cannot configure.
            const rank = { mouse: 0, keyboard: 1 };
            this.devices = (records || []).map((r) => this.catalogue.describeDevice(r))
                .sort((a, b) => ((rank[a.kind] ?? 2) - (rank[b.kind] ?? 2)) || a.name.localeCompare(b.name));
            this.loaded = true;
            for (const fn of this.listeners)
                fn(this.devices);
            return this.devices;
        });
        return this.pending;
    }

    byKey(key) {
        return this.devices.find((d) => d.key === String(key).toUpperCase()) || null;
    }

    onChange(fn) {
        this.listeners.add(fn);
        return () => this.listeners.delete(fn);
    }

    // Reports name no device. Only the families whose reports the table
    // describes (the W1 family) send them, so a report belongs to the one
    // such device when there is exactly one.
    reportingDevice() {
        const senders = this.devices.filter((d) => !!(d.family && d.family.reports));
        return senders.length === 1 ? senders[0] : null;
    }

    onReport(text) {
        if (typeof text !== 'string')
            return;
        const device = this.reportingDevice();
        const report = { text, time: Date.now(), device, decoded: decodeReport(text, device && device.family) };
        this.lastReport = report;
        for (const fn of this.reportListeners)
            fn(report);
    }

    onReportReceived(fn) {
        this.reportListeners.add(fn);
        return () => this.reportListeners.delete(fn);
    }
}
