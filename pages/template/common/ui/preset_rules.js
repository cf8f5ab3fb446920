// The rules of the Remapping page: which preset a program gets when its
// window comes to the front. A program is named by its window class (as
// the desktop reports it; the running programs' classes are offered), and
// optionally by a part of its window title, which wins over a rule without
// one. Programs without a rule get the default preset.
import { t } from '../core/i18n.js';
import { APP_MAX, TITLE_MAX, addRule, removeRule } from '../core/presets.js';
import { h, clear, uid } from './dom.js';
import { WriteStatus } from './status.js';
import { savePresetChange } from './preset_bar.js';

export function presetRules({ remapping }) {
    const el = h('div', { class: 'preset-rules', id: 'preset-rules' });
    const status = new WriteStatus();
    const listId = uid('window-classes');
    const classes = h('datalist', { id: listId });
    let classesAsked = false;

    const save = async (make) => {
        if (await savePresetChange(remapping, status, make))
            render();
    };

    const askClasses = async () => {
        classesAsked = true;
        const names = await remapping.windowClasses();
        clear(classes);
        for (const name of names)
            classes.append(h('option', { value: name }));
    };

    function render() {
        clear(el);
        const set = remapping.presets;
        const list = h('ul', { class: 'rule-list', id: 'rule-list' });
        set.rules.forEach((rule, index) => {
            const remove = h('button', { type: 'button', class: 'button secondary', 'aria-label': t('rules.removeLabel', { app: rule.app }) }, t('rules.remove'));
            remove.addEventListener('click', () => save((s) => removeRule(s, index)));
            list.append(h('li', { class: 'rule-row' },
                h('span', { class: 'rule-app' }, rule.app),
                rule.title ? h('span', { class: 'rule-title' }, t('rules.titleHas', { title: rule.title })) : null,
                h('span', { class: 'rule-arrow', 'aria-hidden': 'true' }, '→'),
                h('span', { class: 'rule-preset' }, rule.preset),
                remove));
        });
        if (!set.rules.length)
            list.append(h('li', { class: 'hint' }, t('rules.none', { preset: set.default })));

        const app = h('input', { type: 'text', id: 'rule-app', list: listId, maxlength: APP_MAX, placeholder: t('rules.appPlaceholder'), autocomplete: 'off' });
        const title = h('input', { type: 'text', id: 'rule-title', maxlength: TITLE_MAX, placeholder: t('rules.titlePlaceholder'), autocomplete: 'off' });
        const preset = h('select', { id: 'rule-preset', 'aria-label': t('rules.preset') },
            set.presets.map((p) => h('option', { value: p.name, selected: p.name === remapping.editing }, p.name)));
        const add = h('button', { type: 'button', class: 'button', id: 'rule-add' }, t('rules.add'));
        add.addEventListener('click', () => save((s) => addRule(s, { app: app.value, title: title.value, preset: preset.value })));
        app.addEventListener('focus', () => {
            if (!classesAsked)
                askClasses();
        });
        const refresh = h('button', { type: 'button', class: 'link-button', id: 'rule-classes' }, t('rules.refreshClasses'));
        refresh.addEventListener('click', askClasses);
        el.append(list,
            h('div', { class: 'rule-form' },
                h('label', { class: 'field-label', for: app.id }, t('rules.app')), app,
                h('label', { class: 'field-label', for: title.id }, t('rules.titlePart')), title,
                h('label', { class: 'field-label', for: preset.id }, t('rules.preset')), preset,
                h('div', { class: 'rule-form-actions' }, add, refresh, status.el)),
            classes,
            h('p', { class: 'hint' }, t('rules.hint')));
    }
    render();
    return { el, render, askClasses };
}
