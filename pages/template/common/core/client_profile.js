// This build's row of the client profile (as "ReadFileToStr" of conf.xml
// gives it): its name, client version, the view the music lighting data
// goes to and the host the start-up update check asks.
import { COMMAND } from './commands.js';
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
    return row ? {
        name: row.attr('Name'), version: row.attr('Version'), musicView: row.attr('MusicView'),
        upgradeHost: hostOf(row.attr('upgrade')),
    } : null;
}

// The host of an address ('' when it has none).
export function hostOf(address) {
    const match = /^[a-z][a-z0-9+.-]*:\/\/([^/?#]+)/i.exec(String(address || '').trim());
    return match ? match[1] : '';
}

// The row, read from the program; null when it cannot be read.
export async function readClientRow(client) {
    const reply = await client.send(COMMAND.ReadFileToStr, { FilePath: 'conf.xml', Xpath: '/root' }, { timeout: 3000 });
    return reply.ok ? clientRow(reply.text) : null;
}
