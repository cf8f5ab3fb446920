// Firmware and page updates as the pages follow them: the states the
// program reports with "onUpdateFirmware", the download progress of
// "RefreshDownState", and what the page says at each step.

// The file name the program takes from an address (its last path segment,
// before any "?"); '' when it has none, which the program refuses.
export function packageName(address) {
    const match = /\/([^/?]+)(\?|$)/.exec(String(address || ''));
    return match ? match[1] : '';
}

// Addresses the pages hand to the downloader: http or https with a file
// name.
export function validAddress(address) {
    const text = String(address || '').trim();
    return /^https?:\/\/[^\s/]+\/\S*$/i.test(text) && !!packageName(text);
}

// The reason "updatefailed" carries for an image no trusted key signed.
const UNTRUSTED_IMAGE = 'not signed by a trusted key';

// One firmware update, from the request to its end. phase: 'idle',
// 'download', 'flash', 'done'; ok: the outcome once done; percent: the
// download's progress, NaN when unknown.
export class FirmwareProgress {
    constructor() {
        this.phase = 'idle';
        this.ok = null;
        this.reason = '';
        // The device a refused package was for ('' otherwise).
        this.packageKey = '';
        this.percent = NaN;
        this.path = '';
        this.log = [];
    }

    get running() {
        return this.phase === 'download' || this.phase === 'flash';
    }

    start() {
        this.phase = 'download';
        this.ok = null;
        this.reason = '';
        this.packageKey = '';
        this.percent = NaN;
        this.log = [];
    }

    // The program started flashing an image already on disk.
    flashing() {
        this.phase = 'flash';
        this.ok = null;
        this.reason = '';
    }

    // An "onUpdateFirmware" event's arguments: the state, and for a
    // package refused because it is for another device, the reason, the
    // package's device key and the device key the request named. Returns
    // whether it changed anything.
    onEvent(args) {
        const list = Array.isArray(args) ? args : [args];
        // The image did not come from a package a trusted key signed.
        if (String(list[0] || '') === 'updatefailed' && String(list[1] || '') === UNTRUSTED_IMAGE) {
            this.log.push('updatefailed');
            return this.finish(false, 'unsigned');
        }
        if (String(list[0] || '') === 'updatefailed' && list[2]) {
            this.log.push('updatefailed');
            this.packageKey = String(list[2]).toUpperCase();
            return this.finish(false, 'otherDevice');
        }
        return this.onState(list[0]);
    }

    // An "onUpdateFirmware" state. Returns whether it changed anything.
    onState(text) {
        const state = String(text || '');
        this.log.push(state);
        switch (state) {
        case 'downLoading':
            if (this.phase !== 'flash')
                this.phase = 'download';
            return true;
        case 'StartUpdate':
        case 'updating':
            this.phase = 'flash';
            return true;
        case 'updated':
            return this.finish(true, '');
        case 'updatefailed':
            // Before the flashing began it was the download that failed.
            return this.finish(false, this.phase === 'download' ? 'download' : 'flash');
        case 'url file is not captured':
            return this.finish(false, 'address');
        default:
            // "dirStr + fileName": the package is there already (its path
            // comes with the reply).
            return false;
        }
    }

    // A reply of "UpdateFirmware".
    onReply(result) {
        if (result.ok) {
            if (result.text && result.text !== 'start download')
                this.path = result.text;
            return;
        }
        if (result.noReply)
            return;
        this.finish(false, result.text === 'url file is not captured' ? 'address' : result.text === 'downloadFaild' ? 'download' : 'program');
    }

    // "RefreshDownState": total and received bytes.
    onDownload(total, received) {
        const t = Number(total);
        const r = Number(received);
        if (Number.isFinite(t) && t > 0 && Number.isFinite(r) && r >= 0)
            this.percent = Math.min(100, Math.round(100 * r / t));
    }

    finish(ok, reason) {
        if (this.phase === 'done')
            return false;
        this.phase = 'done';
        this.ok = ok;
        this.reason = reason;
        if (ok)
            this.percent = 100;
        return true;
    }
}

// The outcome's text key and its values: a package for another device
// names both devices (by product name where the catalogue knows the key).
export function outcomeText(progress, deviceName, nameOfKey) {
    if (progress.ok)
        return { key: 'firmware.done', values: {} };
    if (progress.reason === 'otherDevice') {
        const other = (nameOfKey && nameOfKey(progress.packageKey)) || progress.packageKey;
        return { key: 'firmware.failed.otherDevice', values: { package: other, device: deviceName } };
    }
    return { key: `firmware.failed.${progress.reason || 'program'}`, values: {} };
}

// The firmware version of a device record, as its two version characters.
export function firmwareVersion(record) {
    return String((record && record.LastVersionNum) || '').trim();
}
