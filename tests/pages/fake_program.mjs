// The program as the page logic sees it: a file cache, devices that take or
// refuse writes, and a log of every command that reached it.
import { CommandClient } from '../../pages/template/common/core/client.js';
import { definitionText, repo } from './helpers.mjs';
import fs from 'node:fs';
import path from 'node:path';

export function fakeProgram({ files = {}, refuse = () => false, answers = {} } = {}) {
    const program = { files: Object.assign({}, files), commands: [], events: {} };
    const answer = (c) => {
        if (answers[c.FuncName])
            return answers[c.FuncName](c, program);
        switch (c.FuncName) {
        case 'GetLocalConf':
            return [true, c.Name === 'Define' ? fs.readFileSync(path.join(repo, 'resources', 'drive', 'Define.xml'), 'utf8') : definitionText(c.Name)];
        case 'GetVirtualDevice':
            return [true, fs.readFileSync(path.join(repo, 'resources', 'drive', 'Virtual.xml'), 'utf8')];
        case 'ReadFileToStr':
            return c.FilePath in program.files ? [true, program.files[c.FilePath]] : [false, 'queryProfile load xml file failed!'];
        case 'ModifyFileFromStr':
            program.files[c.FilePath] = c.ContentStr;
            return [true, 'ModifyFileFromStr success'];
        case 'WriteDevice':
            return refuse(c, program) ? [false, 'writeDevices failed!'] : [true, 'writeDevices success!'];
        case 'RestDevice':
            return [true, 'RestDevice success'];
        case 'RefreshVirtualDrive': {
            const children = (c.VirtualStr.match(/<key\b/g) || []).length;
            return children ? [true, 'RefreshVirtualDrive success!'] : [false, 'RefreshVirtualDrive failed!'];
        }
        case 'WriteRGBDevice':
            return [true, c.Data.slice(2, -2)];
        default:
            return null;
        }
    };
    program.client = new CommandClient({
        query: (q) => {
            const c = JSON.parse(q.request);
            program.commands.push(c);
            const reply = answer(c);
            if (reply)
                setTimeout(() => (reply[0] ? q.onSuccess(reply[1]) : q.onFailure(0, reply[1])), 0);
        },
        subscribe: (name, fn) => {
            program.events[name] = fn;
        },
    });
    program.sent = (name) => program.commands.filter((c) => c.FuncName === name);
    return program;
}
