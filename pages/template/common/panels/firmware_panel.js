// Firmware: the version the device reports, and an update from a firmware
// package address ("UpdateFirmware": the program downloads the package,
// checks that its image is meant for this device, restarts the device into
// its boot loader and flashes it, reporting each step with
// "onUpdateFirmware"). The requests name this device ("Version"), so a
// package built for another device is refused before anything is sent, and
// the page says which device it was for. Only a package a trusted key signed
// is installed: the end says who signed it, or that it was refused. While it
// runs the device's page is locked; the end says plainly whether it worked
// and what to do next.
import { COMMAND } from '../core/commands.js';
import { FirmwareProgress, firmwareVersion, outcomeText, validAddress } from '../core/firmware.js';
import { askTrust, trustMessage } from '../core/update_trust.js';
import { failureText } from '../core/client.js';
import { t } from '../core/i18n.js';
import { h, icon, clear } from '../ui/dom.js';
import { registerDevicePanel } from '../ui/registry.js';
import { confirmDialog } from '../ui/dialog.js';
import { field, section } from '../ui/fields.js';

// The whole update may take minutes on a slow line; the flashing itself
// about twenty seconds.
const UPDATE_TIMEOUT_MS = 15 * 60 * 1000;

function render(ctx) {
    const { client, device, product } = ctx;
    const version = h('dd', { id: 'firmware-version' }, firmwareVersion(device.record) || '—');
    // A real device's firmware is never written: a boot loader that takes
    // a wrong image leaves a device that no longer starts.
    if (device.access)
        return section(t('panel.firmware'), h('dl', { class: 'facts' }, h('dt', null, t('firmware.current')), version),
            h('p', { class: 'banner info', id: 'firmware-real-device', role: 'note' }, t('firmware.realDevice')));
    const progress = new FirmwareProgress();
    const address = h('input', { type: 'url', id: 'firmware-address', class: 'wide', value: (product && product.firmware) || '', placeholder: 'https://…/firmware.pkg', spellcheck: 'false' });
    const addressRow = field({ label: t('firmware.address'), control: address, hint: t('firmware.addressHint') });
    const start = h('button', { type: 'button', class: 'button', id: 'firmware-start' }, icon('chip'), t('firmware.start'));
    addressRow.el.querySelector('.field-control').insertBefore(start, addressRow.status.el);

    const bar = h('span', { class: 'progress-fill' });
    const track = h('span', { class: 'progress-track', role: 'progressbar', 'aria-valuemin': 0, 'aria-valuemax': 100 }, bar);
    const phase = h('p', { class: 'firmware-phase', id: 'firmware-phase', role: 'status', 'aria-live': 'polite' });
    const outcome = h('div', { class: 'firmware-outcome', id: 'firmware-outcome' });
    const trustLine = h('p', { class: 'hint update-trust', id: 'firmware-trust', role: 'status', hidden: true });
    const progressBox = h('div', { class: 'firmware-progress', hidden: true }, phase, track, outcome, trustLine);
    // Where the package came from, to ask the program who signed it.
    let source = { address: '', path: '' };
    let verdict = null;
    const showTrust = () => {
        const message = trustMessage(verdict);
        // The outcome says so already when the signature was missing.
        const said = progress.reason === 'unsigned';
        trustLine.hidden = !message || progress.phase !== 'done' || said;
        clear(trustLine);
        if (message) {
            trustLine.classList.toggle('trusted', message.good);
            trustLine.append(icon(message.good ? 'lock' : 'warning'), t(message.key, message.values));
        }
    };

    const lock = (on) => {
        document.body.classList.toggle('updating-firmware', on);
        start.disabled = on;
        address.disabled = on;
    };

    const show = () => {
        progressBox.hidden = progress.phase === 'idle';
        const busy = progress.running;
        track.classList.toggle('indeterminate', busy && !Number.isFinite(progress.percent));
        bar.style.width = Number.isFinite(progress.percent) ? `${progress.percent}%` : '';
        if (Number.isFinite(progress.percent))
            track.setAttribute('aria-valuenow', String(progress.percent));
        else
            track.removeAttribute('aria-valuenow');
        phase.textContent = progress.phase === 'download' ? t('firmware.downloading')
            : progress.phase === 'flash' ? t('firmware.flashing') : '';
        clear(outcome);
        if (progress.phase === 'done') {
            const good = progress.ok;
            const nameOfKey = (key) => {
                const product = ctx.catalogue && ctx.catalogue.productForKey(key);
                return product ? product.name : '';
            };
            // A package refused for its signature says so, whatever step
            // it was refused at.
            if (!good && verdict && !verdict.trusted)
                progress.reason = verdict.unsigned ? 'unsigned' : 'refused';
            const text = outcomeText(progress, device.name || device.key, nameOfKey);
            outcome.append(h('p', { class: `banner ${good ? 'success' : 'warning'}`, role: 'alert' }, icon(good ? 'check' : 'warning'),
                t(text.key, text.values)));
            track.hidden = true;
        } else {
            track.hidden = false;
        }
        showTrust();
        lock(busy);
    };

    // Once it has ended, the program's verdict on the package.
    const learnTrust = async () => {
        if (progress.phase !== 'done' || (!source.address && !source.path))
            return;
        verdict = await askTrust(client, source);
        show();
    };

    // An update outlives the panel (the user may look at another tab): the
    // listeners stay until it ends.
    let disposed = false;
    const stopAll = () => {
        stopEvents();
        stopDownload();
    };
    const stopEvents = client.on('onUpdateFirmware', (args) => {
        if (progress.phase === 'idle' || progress.phase === 'done')
            return;
        if (progress.onEvent(args)) {
            show();
            learnTrust();
            if (progress.phase === 'done' && disposed)
                stopAll();
            if (progress.phase === 'done' && progress.ok)
                // The device comes back with its new version.
                ctx.devices.refresh().then(() => {
                    const back = ctx.devices.byKey(device.key);
                    if (back)
                        version.textContent = firmwareVersion(back.record) || '—';
                });
        }
    });
    const stopDownload = client.on('RefreshDownState', (args) => {
        if (progress.phase !== 'download')
            return;
        progress.onDownload(args[0], args[1]);
        show();
    });

    start.addEventListener('click', async () => {
        const url = address.value.trim();
        if (!validAddress(url)) {
            addressRow.status.failed(t('firmware.badAddress'));
            address.focus();
            return;
        }
        addressRow.status.idle();
        const sure = await confirmDialog({
            title: t('firmware.confirmTitle'),
            text: t('firmware.confirmText', { name: device.name }),
            confirm: t('firmware.start'),
        });
        if (!sure)
            return;
        progress.start();
        source = { address: url, path: '' };
        verdict = null;
        show();
        const reply = await client.send(COMMAND.UpdateFirmware, { downloadUrl: url, Version: device.key }, { timeout: UPDATE_TIMEOUT_MS });
        progress.onReply(reply);
        show();
        learnTrust();
        if (reply.ok && progress.path)
            await flashPresent(progress.path);
    });

    // A package downloaded before (the program answers with its path): it
    // is unpacked into the application folder and its image flashed.
    const flashPresent = async (path) => {
        source = { address: '', path };
        const unpacked = await client.send(COMMAND.UnPackFile, { FileName: path, UnPath: '' }, { timeout: 60000 });
        verdict = await askTrust(client, source);
        if (!unpacked.ok) {
            progress.finish(false, 'download');
            show();
            phase.textContent = failureText(unpacked, t);
            return;
        }
        progress.flashing();
        show();
        const record = device.record || {};
        client.send(COMMAND.ExecuteUpdate, {
            FilePath: 'update.bin', UpdateState: '1', DeviceVersion: firmwareVersion(record), DeviceId: String(record.DeviceId || ''),
            Version: device.key,
        }, { timeout: 500, quietNoReply: true });
    };

    return {
        element: h('div', { class: 'panel-content' },
            section(t('firmware.title'),
                h('dl', { class: 'facts' }, h('dt', null, t('firmware.current')), version,
                    h('dt', null, t('info.key')), h('dd', null, device.key))),
            section(t('firmware.updateTitle'), h('p', { class: 'hint' }, t('firmware.hint')), addressRow.el, progressBox)),
        dispose: () => {
            disposed = true;
            if (!progress.running)
                stopAll();
        },
    };
}

registerDevicePanel({
    id: 'firmware',
    title: 'panel.firmware',
    order: 80,
    supports: (device) => device.kind === 'mouse' || device.kind === 'keyboard',
    render,
});
