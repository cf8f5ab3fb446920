// Report rate: how often the mouse reports to the computer. Written at once.
import { RAW_TYPE, rawBytes } from '../core/device_editor.js';
import { parseNumber } from '../core/readback.js';
import { t } from '../core/i18n.js';
import { h, clear } from '../ui/dom.js';
import { registerDevicePanel } from '../ui/registry.js';
import { runWrite } from '../ui/status.js';
import { radioGroup, section } from '../ui/fields.js';

async function currentRate(ctx, index) {
    const { session, family, product } = ctx;
    if (family.readBack) {
        const summary = await session.summary();
        const read = parseNumber(summary.reporVal);
        if (family.reportRates.some((r) => r.value === read))
            return read;
    }
    const entry = session.entry(index);
    const stored = entry ? parseInt(String(entry.Task).replace(/^0x/i, ''), 16) : NaN;
    if (Number.isFinite(stored))
        return stored;
    return product.factory && Number.isFinite(product.factory.reportRate) ? product.factory.reportRate : NaN;
}

registerDevicePanel({
    id: 'performance',
    title: 'panel.performance',
    order: 40,
    supports: (device, driver) => device.kind === 'mouse' && Array.isArray(device.family.reportRates)
        && Number.isFinite(driver.settingIndex('pReportrate')),
    render(ctx) {
        const index = ctx.driver.settingIndex('pReportrate');
        const body = h('div', { class: 'panel-content' }, h('div', { class: 'loading', role: 'status' }, h('span', { class: 'spinner', 'aria-hidden': 'true' }), t('device.reading')));
        currentRate(ctx, index).then((rate) => {
            let current = rate;
            const group = radioGroup({
                name: 'report-rate',
                id: 'report-rate',
                label: t('performance.reportRate'),
                value: current,
                options: ctx.family.reportRates.map((r) => ({ value: r.value, label: t('performance.hz', { hz: r.hz }) })),
                onchange: (value) => {
                    const before = current;
                    runWrite(group.status, () => ctx.session.write(index, { TaskType: RAW_TYPE, Task: rawBytes([value]) }, { name: 'pReportrate', length: 1 }), {
                        toast: ctx.toast,
                        apply: () => {
                            current = value;
                            group.set(value);
                        },
                        onFailure: () => {
                            current = before;
                            group.set(before);
                        },
                    });
                },
            });
            clear(body).append(section(t('performance.title'), h('p', { class: 'hint' }, t('performance.hint')), group.el));
        });
        return body;
    },
});
