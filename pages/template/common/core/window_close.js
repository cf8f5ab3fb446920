// What the close button does where the desktop shows no tray icon: a window
// hidden to the tray could only come back by starting the program again, so
// the user chooses (once, or each time) between quitting and keeping the
// program running without a window. The choice is kept in conf.ini under
// CLOSE_CHOICE_KEY: 'quit', 'background', or nothing (ask).
import { COMMAND, readAnswer } from './commands.js';
export const CLOSE_CHOICE_KEY = 'CloseWithoutTray';
export const CLOSE_CHOICES = ['quit', 'background'];

// The answer of "GetTrayState": true, false, or null when it cannot be
// read (an older program: the close button then does what it always did).
export function trayShown(reply) {
    const value = readAnswer(COMMAND.GetTrayState, reply);
    return value && typeof value.Tray === 'boolean' ? value.Tray : null;
}

// The remembered choice from "ReadConf", or '' (ask).
export function rememberedChoice(reply) {
    const text = reply && reply.ok ? String(reply.text).trim() : '';
    return CLOSE_CHOICES.includes(text) ? text : '';
}

// The command the close button sends: 'CloseX' (to the tray, or hidden),
// 'CloseApp' (quit), or '' (ask the user first).
export function closeCommand(tray, remembered) {
    if (tray !== false)
        return COMMAND.CloseX;
    if (remembered === 'quit')
        return COMMAND.CloseApp;
    if (remembered === 'background')
        return COMMAND.CloseX;
    return '';
}
