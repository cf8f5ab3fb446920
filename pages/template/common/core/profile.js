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

export class ProfileDocument {
    constructor(root) {
        this.root = root;
    }

    static create({ deviceKey, driverVersion = '', product = '' }) {
        if (!DEVICE_KEY.test(deviceKey))
            throw new Error('not a device key');
        const root = new XmlElement('Configuration');
        const conf = root.append(new XmlElement('Conf'));
        conf.append(new XmlElement('Key')).setAttr('Index', '1').setAttr('Name', 'Product').setAttr('Value', product);
        conf.append(new XmlElement('Key')).setAttr('Index', '2').setAttr('Name', 'Device').setAttr('Value', deviceKey);
        conf.append(new XmlElement('Key')).setAttr('Index', '3').setAttr('Name', 'Driver').setAttr('Value', driverVersion);
        root.append(new XmlElement('Mode')).setAttr('Index', '0');
        return new ProfileDocument(root);
    }

    // The document in text (as "ReadFileToStr" gives it back); null when it
    // is not a profile of that device.
    static parse(text, deviceKey) {
        let root;
        try {
            root = parseXml(text);
        } catch (e) {
            return null;
        }
        if (root.name !== 'Configuration')
            return null;
        const profile = new ProfileDocument(root);
        if (deviceKey !== undefined && profile.deviceKey !== deviceKey)
            return null;
        if (!root.element('Mode'))
            root.append(new XmlElement('Mode')).setAttr('Index', '0');
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

    mode() {
        return this.root.elements('Mode').find((m) => m.attr('Index') === '0') || this.root.element('Mode');
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
}
