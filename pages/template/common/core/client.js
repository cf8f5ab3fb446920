// The pages' side of the command interface: requests through "cefQuery",
// answered as promises, and events through "setMessageCallback", shared by
// any number of listeners. Every request and its outcome is kept in a short
// log that the diagnostics panel shows.
//
// send() never rejects; it resolves with
//   { ok: true, text }                       a success answer
//   { ok: false, code, text }                a failure answer
//   { ok: false, noReply: true, text: '' }   no answer within the time
// Some commands answer only in some cases ("GetDevicesList" with no device,
// "savexml" with nothing to write): callers give those a short timeout.

import { commandInfo } from './commands.js';

const DEFAULT_TIMEOUT_MS = 8000;
const LOG_LENGTH = 200;

export class CommandClient {
    constructor({ query, subscribe, now = () => Date.now(), setTimer = (fn, ms) => setTimeout(fn, ms), clearTimer = (id) => clearTimeout(id) } = {}) {
        this.query = query;
        this.subscribe = subscribe;
        this.now = now;
        this.setTimer = setTimer;
        this.clearTimer = clearTimer;
        this.listeners = new Map();
        this.logEntries = [];
        this.logListeners = new Set();
    }

    static forPage(win = globalThis) {
        return new CommandClient({
            query: (q) => win.cefQuery(q),
            subscribe: (name, fn) => win.setMessageCallback(name, fn),
        });
    }

    // A command: its name and members. Members are sent as given (texts or
    // numbers).
    // quietNoReply: a command that answers only when it has something to
    // say ("savexml"): its silence is logged as such, not as a fault.
    // A name that is not in the command table (core/commands.js) is not
    // sent: it fails at once, and the log says so.
    send(name, members = {}, { timeout = DEFAULT_TIMEOUT_MS, quietNoReply = false } = {}) {
        if (!commandInfo(name)) {
            const text = `not a command of the program: ${name}`;
            this.addLog({ time: this.now(), label: String(name), request: '', outcome: 'failure -1', text, ms: 0 });
            this.notifyLog();
            return Promise.resolve({ ok: false, code: -1, text });
        }
        const request = JSON.stringify(Object.assign({ FuncName: name }, members));
        return this.sendText(request, { timeout, label: name, quietNoReply });
    }

    // A request text as it stands (the window shortcuts "MoveWindow ..." and
    // the exact minimise request are not JSON commands).
    sendText(request, { timeout = DEFAULT_TIMEOUT_MS, label = request, quiet = false, quietNoReply = false } = {}) {
        return new Promise((resolve) => {
            let done = false;
            const entry = { time: this.now(), label, request, outcome: 'waiting', text: '' };
            if (!quiet)
                this.addLog(entry);
            const finish = (result) => {
                if (done)
                    return;
                done = true;
                this.clearTimer(timer);
                entry.outcome = result.ok ? 'success' : result.noReply ? (quietNoReply ? 'nothing to do' : 'no reply') : `failure ${result.code}`;
                entry.text = result.text;
                entry.ms = this.now() - entry.time;
                if (!quiet)
                    this.notifyLog();
                resolve(result);
            };
            const timer = this.setTimer(() => finish({ ok: false, noReply: true, text: '' }), timeout);
            try {
                this.query({
                    request,
                    persistent: false,
                    onSuccess: (text) => finish({ ok: true, text: text === undefined || text === null ? '' : String(text) }),
                    onFailure: (code, text) => finish({ ok: false, code: Number(code) || 0, text: text === undefined ? '' : String(text) }),
                });
            } catch (e) {
                finish({ ok: false, code: -1, text: String(e && e.message ? e.message : e) });
            }
        });
    }

    // Listens to a page event; returns the function that stops listening.
    // The page interface keeps the first function registered for a name, so
    // one function per name is registered and shares the event out.
    on(name, fn) {
        let set = this.listeners.get(name);
        if (!set) {
            set = new Set();
            this.listeners.set(name, set);
            this.subscribe(name, (args) => {
                for (const listener of [...set]) {
                    try {
                        listener(Array.isArray(args) ? args : []);
                    } catch (e) {
                        // One listener's fault must not keep the others from
                        // the event.
                        console.error(e);
                    }
                }
            });
        }
        set.add(fn);
        return () => set.delete(fn);
    }

    addLog(entry) {
        this.logEntries.push(entry);
        if (this.logEntries.length > LOG_LENGTH)
            this.logEntries.splice(0, this.logEntries.length - LOG_LENGTH);
        this.notifyLog();
    }

    notifyLog() {
        for (const fn of this.logListeners)
            fn(this.logEntries);
    }

    onLog(fn) {
        this.logListeners.add(fn);
        return () => this.logListeners.delete(fn);
    }

    log() {
        return this.logEntries.slice();
    }
}

// What a failed outcome means to a person: whether the device or the
// program refused, or nothing answered. t: the translation function.
export function failureText(result, t) {
    if (result.ok)
        return '';
    if (result.noReply)
        return t('error.noReply');
    const text = result.text || '';
    if (text === 'writeDevices failed!' || text === 'RestDevice failed')
        return t('error.deviceRefused');
    if (text === 'Write Faile')
        return t('error.settingsNotSaved');
    if (text === 'queryProfile load xml file failed!')
        return t('error.fileUnreadable');
    if (text === 'RefreshVirtualDrive failed!')
        return t('error.remapRefused');
    if (text === 'downloadFaild')
        return t('error.downloadFailed');
    return t('error.programRefused', { text });
}
