// The program as the page logic sees it: a file cache, devices that take or
// refuse writes, and a log of every command that reached it.
import { CommandClient } from '../../pages/template/common/core/client.js';
import { definitionText, repo } from './helpers.mjs';
import fs from 'node:fs';
import path from 'node:path';

// presets: a set ({ default, presets, rules }) makes the program one that
// keeps presets (it then answers their commands and raises
// "onPresetChanged" as the program does); without it, "GetPresets" is
// refused as by a program from before presets.
export function fakeProgram({ files = {}, refuse = () => false, answers = {}, presets = null, classes = [] } = {}) {
    const program = { files: Object.assign({}, files), commands: [], events: {}, presets, applied: [] };
    program.state = presets ? { preset: presets.default, cause: 'start', app: '', title: '', rule: -1, source: 'x11', reason: '', problems: [], paused: false } : null;
    const announce = () => setTimeout(() => program.events.onPresetChanged && program.events.onPresetChanged([JSON.stringify(program.state)]), 0);
    // The program switching as a window comes to the front.
    program.focus = (app, preset, cause = 'rule') => {
        program.state = Object.assign({}, program.state, { app, preset, cause });
        announce();
    };
    const presetAnswer = (c) => {
        switch (c.FuncName) {
        case 'GetPresets':
            return [true, JSON.stringify(Object.assign({}, program.presets, { state: program.state }))];
        case 'SavePresets': {
            const next = JSON.parse(c.Presets);
            if (!next.presets.some((p) => p.name === next.default) || next.rules.some((r) => !next.presets.some((p) => p.name === r.preset)))
                return [false, 'SavePresets failed: the set does not hold together'];
            program.presets = next;
            const active = next.presets.find((p) => p.name === program.state.preset);
            if (active)
                program.applied.push(active.map);
            else
                program.state = Object.assign({}, program.state, { preset: next.default });
            return [true, 'SavePresets success!'];
        }
        case 'SetActivePreset':
            if (!program.presets.presets.some((p) => p.name === c.Name))
                return [false, 'SetActivePreset failed!'];
            program.state = Object.assign({}, program.state, { preset: c.Name, cause: 'manual' });
            announce();
            return [true, 'SetActivePreset success!'];
        case 'GetFocusWindows':
            return [true, JSON.stringify({ classes, source: 'x11', reason: '' })];
        case 'PausePresets':
            program.state = Object.assign({}, program.state, { paused: c.Paused === 1 });
            return [true, 'PausePresets success!'];
        default:
            return null;
        }
    };
    const answer = (c) => {
        if (program.presets && !answers[c.FuncName]) {
            const reply = presetAnswer(c);
            if (reply)
                return reply;
        }
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
        case 'GetPresets':
            return [false, 'GetPresets failed'];
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
