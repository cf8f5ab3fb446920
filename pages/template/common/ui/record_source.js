// Where the values of a panel come from when the device cannot be asked
// (button and key assignments): this computer's record of what it last
// wrote, or the factory setting. The note says so, and offers the two ways
// to bring the device and the record in line: write everything shown to the
// device, or go to the device's factory settings.
import { t } from '../core/i18n.js';
import { h } from './dom.js';
import { WriteStatus } from './status.js';

// writeAll(progress) writes everything and resolves with the failed
// count; progress(done, total) reports each step. factoryHref: the Device
// tab, where the factory reset is.
export function recordSourceNote({ id, writeAll, factoryHref }) {
    const status = new WriteStatus();
    const write = h('button', { type: 'button', class: 'button secondary', id: `${id}-write-all` }, t('record.writeAll'));
    write.addEventListener('click', async () => {
        write.disabled = true;
        status.busy();
        const failed = await writeAll();
        write.disabled = false;
        if (failed)
            status.failed(t('record.writeAllFailed', { n: failed }));
        else
            status.done();
    });
    return h('div', { class: 'record-source', id },
        h('p', { class: 'hint' }, t('record.source')),
        h('div', { class: 'field-control' }, write, h('a', { class: 'button secondary', href: factoryHref }, t('record.factory')), status.el));
}

// Runs writes one after another; resolves with how many failed.
export async function writeInTurn(writes) {
    let failed = 0;
    for (const write of writes) {
        const result = await write();
        if (!result || !result.ok)
            ++failed;
    }
    return failed;
}
