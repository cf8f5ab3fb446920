// Puts text on the clipboard: the asynchronous clipboard where the page
// may use it, else a hidden text area and the copy command.
import { h } from './dom.js';

export async function copyText(text) {
    try {
        await navigator.clipboard.writeText(text);
    } catch (e) {
        const area = h('textarea', { class: 'sr-only' });
        area.value = text;
        document.body.append(area);
        area.select();
        document.execCommand('copy');
        area.remove();
    }
}
