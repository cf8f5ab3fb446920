// The sign that a device is sending input reports: a dot and what the last
// report said (the DPI stage where the family reports one). A mouse may
// report many times a second; the badge changes the page only when its
// text changes, and its dot blinks at most once every PULSE_GAP_MS, with an
// opacity change the compositor draws alone: an idle page with a reporting
// mouse costs next to nothing.
import { t } from '../core/i18n.js';
import { h } from './dom.js';

export const PULSE_GAP_MS = 2000;

// What the badge says for a decoded report.
export function liveText(report) {
    return report && report.decoded && Number.isFinite(report.decoded.stage)
        ? t('devices.liveStage', { stage: report.decoded.stage + 1 }) : t('devices.liveReport');
}

// Whether a report at now should blink the dot, given the last blink.
export function shouldPulse(lastPulse, now) {
    return !Number.isFinite(lastPulse) || now - lastPulse >= PULSE_GAP_MS;
}

export function liveBadge({ id, now = () => Date.now() } = {}) {
    const text = h('span', { class: 'live-text' }, '');
    const badge = h('span', { class: 'live', 'data-live': 'idle', id }, h('span', { class: 'live-dot', 'aria-hidden': 'true' }), text);
    let lastPulse = NaN;
    badge.update = (report) => {
        if (badge.dataset.live !== 'on')
            badge.dataset.live = 'on';
        const said = liveText(report);
        if (text.textContent !== said)
            text.textContent = said;
        if (report && report.text && badge.title !== report.text && shouldPulse(lastPulse, now()))
            badge.title = report.text;
        if (shouldPulse(lastPulse, now())) {
            lastPulse = now();
            badge.classList.remove('pulse');
            // The class comes back on the next frame, which starts the
            // blink again without forcing a layout now.
            requestAnimationFrame(() => badge.classList.add('pulse'));
        }
    };
    return badge;
}
