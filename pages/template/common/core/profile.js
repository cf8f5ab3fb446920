// The device's profile document: the XML file the program looks a device up
// in before it writes to it (its "Conf/Key" with Index 2 names the device),
// and where the pages keep what they last wrote, so that a later visit shows
// what the device holds even where the device cannot be read back.
//
//   <Configuration>
//     <Conf>
//       <Key Index="1" Name="Product" Value="RX318 Pro"/>
//       <Key Index="2" Name="Device" Value="258A1007"/>
//       <Key Index="3" Name="Driver" Value="M1.0"/>
//     </Conf>
//     <Mode Index="0">
//       <Key Index="61" Name="pButton0" Type="HotKey" Value="Ctrl+C" Length="4"
//            PlayCount="1" PlayDelay="0" PlayWay="0x01"/>
//       ...
//     </Mode>
//   </Configuration>
//
// A Mode Key holds the last successful write of its Index: Type is the
// request's TaskType, Value its Task, PlayCount, PlayDelay and PlayWay its
// TaskCount, TaskDelay and TaskManner.
//
// Keyboards that write a whole profile mode from this document (K2.0,
// K3.0) keep their keys in Mode 0, one Key per lighting matrix position in
// position order (the program writes them as records in that order), and
// their settings in a Mode of their own, "Settings", where the program
// still finds them by Index:
//
//     <Mode Index="0">
//       <Key Index="1000" Name="ESC" Type="Keyboard" Value="Esc" Length="15" PlayCount="1" .../>
//       ...
//     </Mode>
//     <Mode Index="Settings">
//       <Key Index="21" Name="Lights" Type="Lights" Value="0x01,..." Length="10" .../>
//     </Mode>
//
// Per-key colours, which the keyboard does not keep, are kept here too:
//
//     <Colours><Key Name="ESC" Colour="FF0000"/></Colours>
import { XmlElement, parseXml, serializeXml } from './xml.js';

export const DEVICE_KEY = /^[0-9A-F]{8}$/;

// Where a device's profile lives, relative to the application folder.
export function profilePath(deviceKey) {
    if (!DEVICE_KEY.test(deviceKey))
        throw new Error('not a device key');
    return `profile-${deviceKey}.xml`;
}

const REQUEST_ATTRIBUTES = [
    ['TaskType', 'Type'],
    ['Task', 'Value'],
    ['TaskCount', 'PlayCount'],
    ['TaskDelay', 'PlayDelay'],
    ['TaskManner', 'PlayWay'],
];

export const SETTINGS_MODE = 'Settings';

const COLOUR = /^[0-9A-F]{6}$/;

export class ProfileDocument {
    // settingsMode: the Mode whose Keys record the writes ("0", or
    // SETTINGS_MODE for keyboards whose Mode 0 is their key layout).
    constructor(root, { settingsMode = '0' } = {}) {
        this.root = root;
        this.settingsMode = settingsMode;
    }

    static create({ deviceKey, driverVersion = '', product = '', settingsMode = '0' }) {
        if (!DEVICE_KEY.test(deviceKey))
            throw new Error('not a device key');
        const root = new XmlElement('Configuration');
        const conf = root.append(new XmlElement('Conf'));
        conf.append(new XmlElement('Key')).setAttr('Index', '1').setAttr('Name', 'Product').setAttr('Value', product);
        conf.append(new XmlElement('Key')).setAttr('Index', '2').setAttr('Name', 'Device').setAttr('Value', deviceKey);
        conf.append(new XmlElement('Key')).setAttr('Index', '3').setAttr('Name', 'Driver').setAttr('Value', driverVersion);
        root.append(new XmlElement('Mode')).setAttr('Index', '0');
        const profile = new ProfileDocument(root, { settingsMode });
        profile.mode();
        return profile;
    }

    // The document in text (as "ReadFileToStr" gives it back); null when it
    // is not a profile of that device.
    static parse(text, deviceKey, { settingsMode = '0' } = {}) {
        let root;
        try {
            root = parseXml(text);
        } catch (e) {
            return null;
        }
        if (root.name !== 'Configuration')
            return null;
        const profile = new ProfileDocument(root, { settingsMode });
        if (deviceKey !== undefined && profile.deviceKey !== deviceKey)
            return null;
        if (!root.elements('Mode').some((m) => m.attr('Index') === '0'))
            root.append(new XmlElement('Mode')).setAttr('Index', '0');
        profile.mode();
        return profile;
    }

    confValue(index) {
        const conf = this.root.element('Conf');
        const key = conf && conf.elements('Key').find((k) => k.attr('Index') === String(index));
        return key ? key.attr('Value') : '';
    }

    get deviceKey() {
        return this.confValue(2);
    }

    get driverVersion() {
        return this.confValue(3);
    }

    modeElement(index) {
        return this.root.elements('Mode').find((m) => m.attr('Index') === index) || null;
    }

    // The Mode that records the writes; made when missing.
    mode() {
        let mode = this.modeElement(this.settingsMode);
        if (!mode)
            mode = this.root.append(new XmlElement('Mode')).setAttr('Index', this.settingsMode);
        return mode;
    }

    // The key layout of a profile-mode keyboard (Mode 0): its Keys'
    // attributes, in document order.
    layout() {
        if (this.settingsMode === '0')
            return [];
        return this.modeElement('0').elements('Key').map((k) => Object.fromEntries(k.attributes));
    }

    layoutKey(index) {
        if (this.settingsMode === '0')
            return null;
        const key = this.modeElement('0').elements('Key').find((k) => k.attr('Index') === String(index));
        return key ? Object.fromEntries(key.attributes) : null;
    }

    setLayoutKey(index, attributes) {
        const key = this.modeElement('0').elements('Key').find((k) => k.attr('Index') === String(index));
        if (!key)
            return false;
        for (const [name, value] of Object.entries(attributes))
            key.setAttr(name, value);
        return true;
    }

    // Makes Mode 0 hold exactly the keys of defaults (attribute objects in
    // record order); keys already there keep what they were given. A
    // damaged layout (missing, extra or reordered keys) would shift every
    // record after it, so it is rebuilt rather than trusted.
    ensureLayout(defaults) {
        const mode = this.modeElement('0');
        const current = new Map(mode.elements('Key').map((k) => [k.attr('Index'), k]));
        const same = mode.elements('Key').length === defaults.length
            && defaults.every((d, i) => mode.elements('Key')[i].attr('Index') === d.Index);
        if (same)
            return false;
        for (const child of [...mode.children])
            mode.remove(child);
        for (const d of defaults) {
            const key = mode.append(new XmlElement('Key'));
            const old = current.get(d.Index);
            for (const [name, value] of Object.entries(d))
                key.setAttr(name, old && old.hasAttr(name) && name !== 'Name' && name !== 'Length' ? old.attr(name) : value);
        }
        return true;
    }

    // Per-key colours: matrix name to RRGGBB.
    colours() {
        const element = this.root.element('Colours');
        const colours = new Map();
        for (const key of element ? element.elements('Key') : []) {
            const colour = key.attr('Colour').toUpperCase();
            if (key.attr('Name') && COLOUR.test(colour))
                colours.set(key.attr('Name'), colour);
        }
        return colours;
    }

    setColours(colours) {
        let element = this.root.element('Colours');
        if (element)
            this.root.remove(element);
        element = this.root.append(new XmlElement('Colours'));
        for (const [name, colour] of colours)
            element.append(new XmlElement('Key')).setAttr('Name', name).setAttr('Colour', colour);
        return this;
    }

    keyElement(index) {
        return this.mode().elements('Key').find((k) => k.attr('Index') === String(index)) || null;
    }

    // The request last written under index, or null.
    entry(index) {
        const key = this.keyElement(index);
        if (!key)
            return null;
        const request = {};
        for (const [member, attribute] of REQUEST_ATTRIBUTES)
            request[member] = key.attr(attribute);
        return request;
    }

    indexes() {
        return this.mode().elements('Key').map((k) => k.attr('Index'));
    }

    // Keeps a successful write. name and length describe the row (the
    // definition's Task and Length), for people reading the file.
    record(index, request, { name = '', length = '' } = {}) {
        let key = this.keyElement(index);
        if (!key) {
            key = this.mode().append(new XmlElement('Key'));
            key.setAttr('Index', String(index));
        }
        if (name)
            key.setAttr('Name', name);
        for (const [member, attribute] of REQUEST_ATTRIBUTES)
            key.setAttr(attribute, request[member] === undefined ? '' : request[member]);
        if (length !== '')
            key.setAttr('Length', String(length));
        return this;
    }

    forget(index) {
        const key = this.keyElement(index);
        if (key)
            this.mode().remove(key);
    }

    // After a factory reset the device holds none of the written settings.
    clearSettings() {
        for (const key of this.mode().elements('Key'))
            this.mode().remove(key);
    }

    toXml() {
        return serializeXml(this.root);
    }

    // The document as it stands, to go back to (ProfileDocument.parse).
    snapshot() {
        return this.toXml();
    }
}
