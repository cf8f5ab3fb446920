// The products the pages know (data/products.js): which Driver definition
// a device key uses, the product's name and picture, its buttons, its DPI
// range, and the family's page data (lighting layout and modes, report
// rates, combination limits). Byte codes are not here: they come from the
// Driver definition the program serves.

const KEY = /^[0-9A-F]{8}$/;

// The product's buttons that the family's definition can write, each with
// its definition row.
export function writableButtons(product, driver) {
    const rows = new Map(driver.buttons().map((b) => [b.index, b]));
    return ((product && product.buttons) || []).filter((b) => rows.has(b.index))
        .map((b) => Object.assign({}, b, { row: rows.get(b.index) }));
}

export class Catalogue {
    constructor(data) {
        this.data = data && typeof data === 'object' ? data : {};
        this.families = this.data.families || {};
        this.products = Array.isArray(this.data.products) ? this.data.products : [];
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
        };
    }
}
