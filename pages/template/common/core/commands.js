// Every command the pages send to the program, in one table: the name the
// program knows it by, the members of its request, and what the text of a
// success answer holds. Modules name a command through COMMAND (a misspelt
// name is undefined where it is written, and the client refuses it), and
// read the structured answers through readAnswer.
//
// Answer shapes:
//   'text'     a text the caller reads as it is
//   'json'     a JSON object
//   'list'     a JSON array ("GetDevicesList": one record per device)
//   'ack'      a fixed confirmation ("writeDevices success!"); only ok counts
//   'none'     the program answers only when it has something to say
//
// The window shortcuts ("MoveWindow ...", the exact minimise request) are
// not JSON commands: titlebar.js sends those texts itself.
const TABLE = {
    // Devices.
    GetDevicesList: { members: [], answer: 'list' },
    GetDeviceFamilies: { members: [], answer: 'json' },
    GetDeviceAccess: { members: [], answer: 'json' },
    GetLocalConf: { members: ['Name'], answer: 'text' },
    ReadDevicesDpiVal: { members: ['Version', 'DpiIndex', 'Detail'], answer: 'text' },
    ReadDevicesDpiStages: { members: ['Version', 'DpiIndexes'], answer: 'json' },
    GetWindowsMouseConfig: { members: ['Version'], answer: 'text' },
    WriteDevice: { members: ['Version', 'DriverVersion', 'Index', 'Task', 'TaskType', 'TaskCount', 'TaskDelay', 'TaskManner'], answer: 'ack' },
    WriteRGBDevice: { members: ['Version', 'DriverVersion', 'Data'], answer: 'text' },
    RestDevice: { members: ['Version'], answer: 'ack' },
    SetDeviceAccessLevel: { members: ['DevicePath', 'Access'], answer: 'ack' },
    // Files the pages keep.
    ReadFileToStr: { members: ['FilePath', 'Xpath'], answer: 'text' },
    ModifyFileFromStr: { members: ['FilePath', 'ContentStr'], answer: 'ack' },
    savexml: { members: [], answer: 'none' },
    ReadConf: { members: ['KeyName'], answer: 'text' },
    WriteConf: { members: ['KeyName', 'WriteData'], answer: 'ack' },
    GetDefaultLanguage: { members: [], answer: 'text' },
    GetSessionStart: { members: [], answer: 'json' },
    SetSessionStart: { members: ['Enabled'], answer: 'ack' },
    GetInstallation: { members: [], answer: 'json' },
    // Reports of earlier crashes.
    GetCrashReports: { members: [], answer: 'list' },
    ReadCrashReport: { members: ['Name'], answer: 'text' },
    SaveCrashReport: { members: ['Name'], answer: 'ack' },
    SaveCommand: { members: ['CommandString'], answer: 'ack' },
    LoadCommand: { members: [], answer: 'text' },
    // The software remapping and macro recording.
    GetVirtualDevice: { members: [], answer: 'text' },
    RefreshVirtualDrive: { members: ['VirtualStr'], answer: 'text' },
    mouseTracks: { members: ['status'], answer: 'ack' },
    // Presets that follow the window in front.
    GetPresets: { members: [], answer: 'json' },
    SavePresets: { members: ['Presets'], answer: 'text' },
    SetActivePreset: { members: ['Name'], answer: 'text' },
    GetFocusWindows: { members: [], answer: 'json' },
    PausePresets: { members: ['Paused'], answer: 'text' },
    // The desktop's pointer settings.
    GetPointerSupport: { members: [], answer: 'json' },
    modifyMouseAcce: { members: ['Num'], answer: 'ack' },
    ModifyWindowAcceleratedSpeed: { members: ['Num'], answer: 'ack' },
    modifyMouseDoubleClick: { members: ['Num'], answer: 'ack' },
    ModifyMouseScrollLines: { members: ['Num'], answer: 'ack' },
    modifyMouseScrollLinesX: { members: ['Num'], answer: 'ack' },
    // Updates and firmware.
    DownloadFile: { members: ['downloadUrl', 'relativePath'], answer: 'text' },
    UnPackFile: { members: ['FileName', 'UnPath'], answer: 'ack' },
    GetUpdateTrust: { members: ['downloadUrl', 'FileName'], answer: 'json' },
    UpdateFirmware: { members: ['downloadUrl', 'Version'], answer: 'text' },
    ExecuteUpdate: { name: 'ExecuteUpdate--', members: ['FilePath', 'UpdateState', 'DeviceVersion', 'DeviceId', 'Version'], answer: 'none' },
    // Music lighting.
    RGBMusicPlay: { members: [], answer: 'ack' },
    // The window, the views and the tray.
    GetTrayState: { members: [], answer: 'json' },
    TrayFun: { members: ['TrayFunName'], answer: 'ack' },
    CloseX: { members: [], answer: 'none' },
    CloseApp: { members: [], answer: 'none' },
    OpenView: { members: ['Url', 'width', 'height'], answer: 'none' },
    CloseView: { members: [], answer: 'none' },
    maxsizeWindow: { members: [], answer: 'none' },
    restoreWindow: { members: [], answer: 'none' },
};

// The name to send for each command.
export const COMMAND = Object.freeze(Object.fromEntries(Object.entries(TABLE).map(([key, c]) => [key, c.name || key])));

const BY_NAME = new Map(Object.entries(TABLE).map(([key, c]) => [c.name || key, Object.freeze(Object.assign({ key }, c))]));

// The table's entry for a name as sent, or null.
export function commandInfo(name) {
    return BY_NAME.get(name) || null;
}

// Every name the pages may send.
export function commandNames() {
    return [...BY_NAME.keys()];
}

// The value a success answer carries, read as the command's answer shape:
// the parsed object ('json') or array ('list'), the text ('text'), true
// ('ack', 'none'); null for a failure, no answer, or a text that is not the
// promised shape.
export function readAnswer(name, reply) {
    const info = commandInfo(name);
    if (!info || !reply || !reply.ok)
        return null;
    if (info.answer === 'text')
        return reply.text;
    if (info.answer !== 'json' && info.answer !== 'list')
        return true;
    let value;
    try {
        value = JSON.parse(reply.text);
    } catch (e) {
        return null;
    }
    if (info.answer === 'list')
        return Array.isArray(value) ? value : null;
    return value && typeof value === 'object' && !Array.isArray(value) ? value : null;
}
