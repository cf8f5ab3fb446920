// The close button of the main window: to the tray where there is one;
// without one the user says whether to quit or keep running (and may have
// that remembered; Settings can change it back).
import { COMMAND } from '../core/commands.js';
import { CLOSE_CHOICE_KEY, closeCommand, rememberedChoice, trayShown } from '../core/window_close.js';
import { t } from '../core/i18n.js';
import { h } from './dom.js';
import { openDialog } from './dialog.js';

function askHowToClose() {
    return new Promise((resolve) => {
        const remember = h('input', { type: 'checkbox', id: 'close-remember' });
        const quit = h('button', { type: 'button', class: 'button', id: 'close-quit' }, t('close.quit'));
        const background = h('button', { type: 'button', class: 'button secondary', id: 'close-background' }, t('close.background'));
        const cancel = h('button', { type: 'button', class: 'button secondary', id: 'close-cancel' }, t('action.cancel'));
        const dialog = openDialog({
            title: t('close.title'),
            content: h('div', null, h('p', null, t('close.text')),
                h('label', { class: 'check', for: 'close-remember' }, remember, t('close.remember')),
                h('div', { class: 'dialog-actions' }, cancel, background, quit)),
            onClose: (value) => resolve(value === 'quit' || value === 'background' ? { choice: value, remember: remember.checked } : null),
        });
        quit.addEventListener('click', () => dialog.close('quit'));
        background.addEventListener('click', () => dialog.close('background'));
        cancel.addEventListener('click', () => dialog.close('cancel'));
        quit.focus();
    });
}

export async function closeWindow(client) {
    const tray = trayShown(await client.send(COMMAND.GetTrayState, {}, { timeout: 1500 }));
    let command = closeCommand(tray, tray === false ? rememberedChoice(await client.send(COMMAND.ReadConf, { KeyName: CLOSE_CHOICE_KEY }, { timeout: 1500 })) : '');
    if (!command) {
        const answer = await askHowToClose();
        if (!answer)
            return null;
        if (answer.remember)
            await client.send(COMMAND.WriteConf, { KeyName: CLOSE_CHOICE_KEY, WriteData: answer.choice });
        command = closeCommand(false, answer.choice);
    }
    return client.send(command, {}, { timeout: 2000 });
}
