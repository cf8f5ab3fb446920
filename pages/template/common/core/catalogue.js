// The products the pages know (data/products.js): which family a device
// key belongs to, the product's name and picture, its buttons and its DPI
// range. The families (how each is written, what it can do, its lighting
// layout, report rates and combination limits) are the program's own table
// ("GetDeviceFamilies"), so that the pages and the program never disagree.
// Byte codes are not here either: they come from the Driver definition the
// program serves.
import { accessOf } from './real_access.js';
import { COMMAND, readAnswer } from './commands.js';

const KEY = /^[0-9A-F]{8}$/;

// The program's family table, or {} when it cannot be had (the pages then
// know no device: nothing is written with a guess).
export async function fetchFamilies(client) {
    const reply = await client.send(COMMAND.GetDeviceFamilies, {}, { timeout: 5000 });
    return readAnswer(COMMAND.GetDeviceFamilies, reply) || {};
}

// The Driver definition a family is written with (K3.0 with K2.0's).
export function definitionOf(family, version) {
    return (family && family.definition) || version;
}

// Whether the family writes whole profile modes from the device's profile
// document (the keys' assignments live there first).
export function writesProfiles(family) {
    return !!family && family.writer === 'keyboardProfile';
}

// Whether the family offers a group of functions in the picker ("mouse",
// "dpi", "media", "profile", "other").
export function offersFunctions(family, group) {
    return !!family && Array.isArray(family.functions) && family.functions.includes(group);
}

// The product's buttons that the family's definition can write, each with
// its definition row.
export function writableButtons(product, driver) {
    const rows = new Map(driver.buttons().map((b) => [b.index, b]));
    return ((product && product.buttons) || []).filter((b) => rows.has(b.index))
        .map((b) => Object.assign({}, b, { row: rows.get(b.index) }));
}

export class Catalogue {
    // data: the products (data/products.js); families: the program's table
    // (or load() asks the program for it).
    constructor(data, families = {}) {
        this.data = data && typeof data === 'object' ? data : {};
        this.families = families && typeof families === 'object' ? families : {};
        this.products = Array.isArray(this.data.products) ? this.data.products : [];
        // Settles once the family table is in (at once when it was given).
        this.ready = Promise.resolve();
    }

    // Asks the program for its family table; ready settles when it is in.
    load(client) {
        // A table that cannot be had leaves the families empty: devices are
        // then listed as ones the pages cannot configure, never not at all.
        this.ready = fetchFamilies(client).then((families) => {
            this.families = families;
        }, () => {});
        return this.ready;
    }

    // The product a device key belongs to, or null.
    productForKey(key) {
        const k = String(key || '').toUpperCase();
        if (!KEY.test(k))
            return null;
        for (const p of this.products) {
            if (Array.isArray(p.keys) && p.keys.includes(k))
                return p;
            if (Array.isArray(p.keyRange) && p.keyRange.length === 2 && k >= p.keyRange[0] && k <= p.keyRange[1])
                return p;
        }
        return null;
    }

    family(version) {
        return Object.prototype.hasOwnProperty.call(this.families, version) ? this.families[version] : null;
    }

    // The family macros of the library are named with when no device is
    // attached: the first mouse family of the table.
    libraryFamily() {
        const version = Object.keys(this.families).find((v) => this.families[v] && this.families[v].kind === 'mouse');
        return version ? { version, family: this.families[version] } : null;
    }

    lightingModes(family) {
        const name = family && family.lightingModes;
        const modes = (this.data.lightingModes || {})[name];
        return Array.isArray(modes) ? modes : [];
    }

    lightingRange(name) {
        return (this.data.lightingRanges || {})[name] || { min: 0, max: 255 };
    }

    // A device as the pages show it: the record of "GetDevicesList" with its
    // product and family, or kind "unknown" when the key is none of ours.
    describeDevice(record) {
        const key = String(record && record.Version ? record.Version : '').toUpperCase();
        const product = this.productForKey(key);
        const family = product ? this.family(product.family) : null;
        return {
            key,
            record,
            product,
            familyVersion: product ? product.family : '',
            family,
            kind: family ? family.kind : 'unknown',
            name: product ? product.name : '',
            access: accessOf(record),
        };
    }
}
