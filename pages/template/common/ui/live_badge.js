// The sign that a device is sending input reports: a dot and what the last
// report said (the DPI stage where the family reports one). A mouse may
// report many times a second; the badge changes the page only when what it
// shows changes (the text, or the dot going quiet after QUIET_AFTER_MS
// without a report), and never animates: an idle page with a reporting
// mouse draws nothing.
import { t } from '../core/i18n.js';
import { h } from './dom.js';

export const QUIET_AFTER_MS = 5000;

// What the badge says for a decoded report (with stage false, only that
// reports come).
export function liveText(report, stage = true) {
    return stage && report && report.decoded && Number.isFinite(report.decoded.stage)
        ? t('devices.liveStage', { stage: report.decoded.stage + 1 }) : t('devices.liveReport');
}

// stage: whether the text names the stage (else the title does).
export function liveBadge({ id, stage = true } = {}) {
    const text = h('span', { class: 'live-text' }, '');
    const badge = h('span', { class: 'live', 'data-live': 'idle', id }, h('span', { class: 'live-dot', 'aria-hidden': 'true' }), text);
    let quiet = null;
    const set = (state) => {
        if (badge.dataset.live !== state)
            badge.dataset.live = state;
    };
    badge.update = (report) => {
        set('on');
        const said = liveText(report, stage);
        if (text.textContent !== said)
            text.textContent = said;
        const title = stage ? (report && report.text ? report.text : '') : liveText(report);
        if (badge.title !== title)
            badge.title = title;
        clearTimeout(quiet);
        quiet = setTimeout(() => set('quiet'), QUIET_AFTER_MS);
    };
    return badge;
}
