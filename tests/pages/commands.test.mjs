import { test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { COMMAND, commandInfo, commandNames, readAnswer } from '../../pages/template/common/core/commands.js';
import { CommandClient } from '../../pages/template/common/core/client.js';
import { repo } from './helpers.mjs';

// The command names the program's dispatcher knows, read from its tables,
// and the two window requests it recognises before decoding.
function programCommands() {
    const names = new Set(['maxsizeWindow', 'restoreWindow']);
    const folder = path.join(repo, 'bridge');
    for (const file of fs.readdirSync(folder).filter((f) => f.endsWith('.cpp'))) {
        const text = fs.readFileSync(path.join(folder, file), 'utf8');
        // table.add(order, QStringLiteral("Name"), ...) and the pointer
        // setters' addSetter(table, order, QStringLiteral("Name"), ...).
        for (const m of text.matchAll(/(?:table\.add\(|addSetter\(\s*table\s*,)\s*\d+\s*,\s*QStringLiteral\("([^"]+)"\)/g))
            names.add(m[1]);
    }
    return names;
}

function pageModules(folder = path.join(repo, 'pages', 'template', 'common')) {
    const out = [];
    for (const entry of fs.readdirSync(folder, { withFileTypes: true })) {
        const full = path.join(folder, entry.name);
        if (entry.isDirectory())
            out.push(...pageModules(full));
        else if (entry.name.endsWith('.js'))
            out.push(full);
    }
    return out;
}

test('every command the pages send is one the program runs, under the same name', () => {
    const program = programCommands();
    assert.ok(program.size > 40, 'the program\'s tables were read');
    const missing = commandNames().filter((n) => !program.has(n));
    assert.deepEqual(missing, []);
    assert.equal(COMMAND.ExecuteUpdate, 'ExecuteUpdate--');
    assert.equal(commandInfo('ExecuteUpdate--').key, 'ExecuteUpdate');
    assert.equal(commandInfo('executeupdate--'), null);
});

test('no module names a command by a text of its own', () => {
    const offenders = [];
    for (const file of pageModules()) {
        const text = fs.readFileSync(file, 'utf8');
        if (/\bsend\(\s*['"`]/.test(text) && !file.endsWith(path.join('core', 'commands.js')))
            offenders.push(path.relative(repo, file));
        // A COMMAND.x the table lacks is undefined where it is written.
        for (const m of text.matchAll(/\bCOMMAND\.([A-Za-z_]+)/g))
            if (!(m[1] in COMMAND))
                offenders.push(`${path.relative(repo, file)}: COMMAND.${m[1]}`);
    }
    assert.deepEqual(offenders, []);
});

test('answers are read as their command promises them, and nothing else', () => {
    const ok = (text) => ({ ok: true, text });
    assert.deepEqual(readAnswer(COMMAND.GetTrayState, ok('{"Tray":false}')), { Tray: false });
    assert.equal(readAnswer(COMMAND.GetTrayState, ok('[1]')), null, 'an array is not an object');
    assert.equal(readAnswer(COMMAND.GetTrayState, ok('null')), null);
    assert.equal(readAnswer(COMMAND.GetTrayState, ok('{"Tray":')), null);
    assert.equal(readAnswer(COMMAND.GetTrayState, { ok: false, code: 0, text: '{"Tray":true}' }), null, 'a failure carries no value');
    assert.equal(readAnswer(COMMAND.GetTrayState, { ok: false, noReply: true, text: '' }), null);
    assert.deepEqual(readAnswer(COMMAND.GetDevicesList, ok('[{"Version":"258A1007"}]')), [{ Version: '258A1007' }]);
    assert.equal(readAnswer(COMMAND.GetDevicesList, ok('{"Version":"258A1007"}')), null, 'a list must be a list');
    assert.equal(readAnswer(COMMAND.ReadConf, ok('{"not":"parsed"}')), '{"not":"parsed"}');
    assert.equal(readAnswer(COMMAND.WriteDevice, ok('writeDevices success!')), true);
    assert.equal(readAnswer('NoSuchCommand', ok('{}')), null);
});

test('the client refuses a name the table lacks without asking the program', async () => {
    const sent = [];
    const client = new CommandClient({ query: (q) => sent.push(q), subscribe: () => {} });
    const result = await client.send('GetDeviceList');
    assert.equal(sent.length, 0);
    assert.equal(result.ok, false);
    assert.equal(result.code, -1);
    assert.match(result.text, /GetDeviceList/);
    assert.equal(client.log().at(-1).outcome, 'failure -1');
    assert.equal((await client.send(undefined)).ok, false);
    assert.equal(sent.length, 0);
});
