// The assignment picker: a searchable, grouped choice of everything a
// button can do on this family (from its Driver definition), a key or
// combination caught by pressing it, rapid fire, and the groups other
// modules add (the macro editor). Resolves with an assignment or null.
//
//   pickAssignment({ title, driver, family, current, factory, buttonLength, extra })
//     buttonLength: the bytes the button's row holds (what does not fit is
//     not offered); extra: the ctx handed to assignment sources.
import { COMMAND } from '../core/commands.js';
import { combinable, combinationFits, describe, functionGroup, functionLabel, keyLabel, normaliseKeys, sameAssignment, MODIFIER_ORDER } from '../core/assignment.js';
import { offersFunctions } from '../core/catalogue.js';
import { t } from '../core/i18n.js';
import { h, icon } from './dom.js';
import { openDialog } from './dialog.js';
import { assignmentSources } from './registry.js';

const GROUP_ORDER = ['mouse', 'dpi', 'media', 'profile', 'other'];

// The keys a key event names: the modifiers held and the key itself.
export function keysFromEvent(event, driver) {
    const mods = [];
    if (event.ctrlKey)
        mods.push('Ctrl');
    if (event.shiftKey)
        mods.push('Shift');
    if (event.altKey)
        mods.push('Alt');
    if (event.metaKey)
        mods.push('Win');
    const row = driver.keyForEvent(event.keyCode, event.location);
    return { mods, key: row ? row.Task : null, isModifierKey: [16, 17, 18, 91, 92].includes(event.keyCode) };
}

// Rapid fire is written with the family's "GKey" code, which must fit the
// button (W1.0 buttons hold three bytes, the code four).
export function rapidFireFits(driver, buttonLength) {
    const row = driver.rowByTask('GKey');
    const length = row ? Number.parseInt(row.Length, 10) : NaN;
    return Number.isFinite(length) && (!Number.isFinite(buttonLength) || length <= buttonLength);
}

export function pickAssignment({ title, driver, family, current, factory, buttonLength = NaN, extra }) {
    return new Promise((resolve) => {
        let chosen = null;
        const limits = family.hotkey || { maxKeys: 2, modifiersAreKeys: false };
        const choose = (assignment) => {
            chosen = assignment;
            dialog.close('chosen');
        };
        // The button's present assignment is marked where it is offered.
        const itemButton = (label, assignment, extraClass = '') => h('button', {
            type: 'button', class: `pick-item ${extraClass}${sameAssignment(assignment, current) ? ' current' : ''}`,
            'aria-current': sameAssignment(assignment, current) ? 'true' : null,
            dataset: { search: label.toLowerCase() },
            onclick: () => choose(assignment),
        }, label);

        // Press a key: the first key (with the modifiers held) is caught;
        // a modifier pressed and released alone is that key.
        const captured = h('span', { class: 'capture-result', id: 'capture-result', 'aria-live': 'polite' });
        const useCaptured = h('button', { type: 'button', class: 'button', id: 'capture-use', disabled: true }, t('picker.use'));
        let capturedKeys = null;
        let capturing = false;
        let loneModifier = null;
        const captureButton = h('button', { type: 'button', class: 'button secondary', id: 'capture-start', 'aria-pressed': 'false' }, icon('keyboard'), t('picker.press'));
        // While a key is awaited the program captures the keyboard, so keys
        // the desktop would take (the Windows key, Alt+Tab) reach the page.
        const client = extra && extra.client;
        const setCapture = (on) => {
            if (client && on !== capturing)
                client.send(COMMAND.mouseTracks, { status: on ? '开始' : '停止' }, { timeout: 3000, quietNoReply: true });
            capturing = on;
            captureButton.setAttribute('aria-pressed', on ? 'true' : 'false');
            captureButton.classList.toggle('capturing', on);
            if (on)
                captured.textContent = t('picker.pressNow');
        };
        const showCaptured = (keys) => {
            const fits = combinationFits(keys, limits);
            capturedKeys = fits ? keys : null;
            captured.textContent = fits ? keys.map((k) => keyLabel(k, t, driver)).join(' + ')
                : keys.every(combinable) ? t('picker.tooMany', { n: limits.maxKeys }) : t('picker.notCombinable');
            useCaptured.disabled = !fits;
        };
        captureButton.addEventListener('click', () => setCapture(!capturing));
        useCaptured.addEventListener('click', () => capturedKeys && choose({ kind: 'keys', keys: capturedKeys }));

        // Combination builder.
        const modBoxes = MODIFIER_ORDER.map((m) => {
            const box = h('input', { type: 'checkbox', value: m });
            return { m, box, label: h('label', { class: 'check' }, box, keyLabel(m, t, driver)) };
        });
        // Keys a combination can name.
        const keys = driver.keys().filter((k) => combinable(k.Task));
        const keyOptions = () => [h('option', { value: '' }, t('picker.noKey')), ...keys.map((k) => h('option', { value: k.Task }, keyLabel(k.Task, t, driver)))];
        const comboKey1 = h('select', { 'aria-label': t('picker.key1') }, keyOptions());
        const comboKey2 = h('select', { 'aria-label': t('picker.key2') }, keyOptions());
        const comboNote = h('p', { class: 'hint', 'aria-live': 'polite' }, t('picker.comboHint', { n: limits.maxKeys }));
        const comboUse = h('button', { type: 'button', class: 'button', id: 'combo-use' }, t('picker.useCombo'));
        comboUse.addEventListener('click', () => {
            const keys = normaliseKeys([...modBoxes.filter((x) => x.box.checked).map((x) => x.m), comboKey1.value, comboKey2.value]);
            if (!combinationFits(keys, limits)) {
                comboNote.textContent = keys.length ? t('picker.tooMany', { n: limits.maxKeys }) : t('picker.pickKey');
                return;
            }
            choose({ kind: 'keys', keys });
        });

        // Rapid fire.
        const rapidKey = h('select', { 'aria-label': t('picker.rapidKey') }, driver.keys().map((k) => h('option', { value: k.Task }, keyLabel(k.Task, t, driver))));
        const rapidCount = h('input', { type: 'number', min: 1, max: 255, value: 3, 'aria-label': t('picker.rapidCount') });
        const rapidInterval = h('input', { type: 'number', min: 0, max: 255, value: 30, 'aria-label': t('picker.rapidInterval') });
        const rapidUse = h('button', { type: 'button', class: 'button', id: 'rapid-use' }, t('picker.useRapid'));
        rapidUse.addEventListener('click', () => choose({ kind: 'rapid', key: rapidKey.value, count: Number(rapidCount.value), interval: Number(rapidInterval.value) }));

        // Functions of the definition, in the groups the family offers (a
        // keyboard has no DPI or lift-off functions: they act on a mouse's
        // sensor).
        const groups = new Map(GROUP_ORDER.map((g) => [g, []]));
        for (const row of driver.functions()) {
            const group = functionGroup(row.Task);
            if (offersFunctions(family, group))
                groups.get(group).push(itemButton(functionLabel(row.Task, t), { kind: 'function', task: row.Task }));
        }
        // What owners look for and the family cannot do (the W1 mouse's
        // buttons hold three bytes, media codes four): said, rather than
        // left out without a word.
        const cannot = GROUP_ORDER.filter((g) => !groups.get(g).length && Array.isArray(family.cannot) && family.cannot.includes(g));
        const groupSections = [];
        const addGroup = (id, titleText, ...content) => {
            const sectionEl = h('section', { class: 'pick-group', dataset: { group: id } }, h('h3', null, titleText), ...content);
            groupSections.push(sectionEl);
            return sectionEl;
        };

        const top = [];
        if (factory)
            top.push(itemButton(t('picker.factory', { what: describe(factory, t, driver) }), factory, 'factory'));
        top.push(itemButton(t('assign.disabled'), { kind: 'disable' }, 'disable'));
        addGroup('quick', t('picker.quick'), h('div', { class: 'pick-items' }, top));
        for (const g of GROUP_ORDER) {
            if (groups.get(g).length)
                addGroup(g, t(`picker.group.${g}`), h('div', { class: 'pick-items' }, groups.get(g)));
            else if (cannot.includes(g))
                addGroup(g, t(`picker.group.${g}`), h('p', { class: 'hint cannot' }, t('picker.cannot', { what: t(`picker.group.${g}`) })));
        }
        addGroup('keys', t('picker.group.keys'),
            h('div', { class: 'capture' }, captureButton, captured, useCaptured),
            h('div', { class: 'pick-items keys' }, keys.map((k) => itemButton(keyLabel(k.Task, t, driver), { kind: 'keys', keys: [k.Task] }, 'key'))));
        addGroup('combo', t('picker.group.combo'),
            h('div', { class: 'combo' }, modBoxes.map((x) => x.label), comboKey1, comboKey2, comboUse), comboNote);
        if (family.rapidFire && rapidFireFits(driver, buttonLength))
            addGroup('rapid', t('picker.group.rapid'),
                h('div', { class: 'combo' }, rapidKey,
                    h('label', { class: 'inline-label' }, t('picker.rapidCount'), rapidCount),
                    h('label', { class: 'inline-label' }, t('picker.rapidInterval'), rapidInterval), rapidUse),
                h('p', { class: 'hint' }, t('picker.rapidHint')));
        for (const source of assignmentSources(extra)) {
            const open = h('button', { type: 'button', class: 'pick-item', dataset: { search: t(source.title).toLowerCase() } }, t(source.title));
            open.addEventListener('click', async () => {
                const picked = await source.pick(Object.assign({}, extra, { current }));
                if (picked)
                    choose(picked);
            });
            addGroup(source.id, t(source.title), h('div', { class: 'pick-items' }, open));
        }

        const search = h('input', { type: 'search', id: 'picker-search', placeholder: t('picker.search'), 'aria-label': t('picker.search') });
        const noMatch = h('p', { class: 'muted', role: 'status', hidden: true });
        search.addEventListener('input', () => {
            const q = search.value.trim().toLowerCase();
            let shown = 0;
            for (const sectionEl of groupSections) {
                let any = false;
                for (const item of sectionEl.querySelectorAll('.pick-item')) {
                    const match = !q || item.dataset.search.includes(q);
                    item.hidden = !match;
                    any = any || match;
                }
                // While searching only matching items show: no key capture,
                // builders or notes that Enter or Tab could reach unasked.
                for (const aside of sectionEl.querySelectorAll('.capture, .cannot'))
                    aside.hidden = !!q;
                const builder = ['combo', 'rapid'].includes(sectionEl.dataset.group);
                sectionEl.hidden = q ? (builder || !any) : false;
                shown += sectionEl.hidden ? 0 : 1;
            }
            noMatch.hidden = shown > 0;
            noMatch.textContent = shown ? '' : t('picker.noMatch', { q: search.value.trim() });
        });
        // Enter in the search takes the first match.
        search.addEventListener('keydown', (e) => {
            if (e.key !== 'Enter' || !search.value.trim())
                return;
            e.preventDefault();
            const first = [...content.querySelectorAll('.pick-item')].find((item) => !item.hidden && !item.closest('[hidden]'));
            if (first)
                first.click();
        });

        const currentText = h('p', { class: 'muted' }, t('picker.current', { what: describe(current, t, driver) }));
        const close = h('button', { type: 'button', class: 'button secondary', id: 'picker-cancel' }, t('action.cancel'));
        const content = h('div', { class: 'picker' }, currentText,
            h('div', { class: 'picker-search' }, icon('search'), search),
            h('div', { class: 'picker-groups' }, groupSections, noMatch),
            h('div', { class: 'dialog-actions' }, close));
        const dialog = openDialog({
            title, content, className: 'picker-dialog',
            onClose: () => {
                if (capturing)
                    setCapture(false);
                resolve(chosen);
            },
        });
        close.addEventListener('click', () => dialog.close('cancel'));

        dialog.addEventListener('keydown', (e) => {
            // Escape closes the picker from anywhere in it, the search box
            // included (which would otherwise only empty itself); while a
            // key is awaited, Escape is that key.
            if (!capturing && e.key === 'Escape') {
                e.preventDefault();
                e.stopPropagation();
                dialog.close('cancel');
                return;
            }
            if (!capturing)
                return;
            e.preventDefault();
            e.stopPropagation();
            const { mods, key, isModifierKey } = keysFromEvent(e, driver);
            if (isModifierKey) {
                loneModifier = key;
                captured.textContent = [...mods.map((m) => keyLabel(m, t, driver)), '…'].join(' + ');
                return;
            }
            loneModifier = null;
            setCapture(false);
            if (!key) {
                captured.textContent = t('picker.unknownKey');
                return;
            }
            showCaptured(normaliseKeys([...mods, key]));
            useCaptured.focus();
        }, true);
        dialog.addEventListener('keyup', (e) => {
            if (!capturing || !loneModifier)
                return;
            e.preventDefault();
            const key = loneModifier;
            loneModifier = null;
            setCapture(false);
            showCaptured([key]);
            useCaptured.focus();
        }, true);
        search.focus();
    });
}

