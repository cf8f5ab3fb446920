// This build's row of the client profile (as "ReadFileToStr" of conf.xml
// gives it): its name, client version and the view the music lighting data
// goes to.
import { parseXml } from './xml.js';

export function clientRow(text) {
    let root;
    try {
        root = parseXml(text);
    } catch (e) {
        return null;
    }
    const name = root.attr('name');
    const row = root.elements('client').find((c) => c.attr('Name') === name);
    return row ? { name: row.attr('Name'), version: row.attr('Version'), musicView: row.attr('MusicView') } : null;
}

// The row, read from the program; null when it cannot be read.
export async function readClientRow(client) {
    const reply = await client.send('ReadFileToStr', { FilePath: 'conf.xml', Xpath: '/root' }, { timeout: 3000 });
    return reply.ok ? clientRow(reply.text) : null;
}
