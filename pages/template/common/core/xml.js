// A small XML reader and writer for the documents the pages handle: the
// Driver definitions, the client profile and the device profiles. Elements,
// attributes and text are kept; comments, processing instructions and the
// document type are skipped. It runs in the page and under Node alike, and
// refuses what it cannot read rather than guessing (the profile documents
// come back from files anyone could have edited).

export class XmlError extends Error {}

const MAX_DEPTH = 64;
const MAX_NODES = 200000;

const NAMED_ENTITIES = { lt: '<', gt: '>', amp: '&', quot: '"', apos: "'" };

function decodeEntities(text, position) {
    if (text.indexOf('&') < 0)
        return text;
    return text.replace(/&([^;&\s]{1,10});/g, (whole, name) => {
        if (name[0] === '#') {
            const code = name[1] === 'x' || name[1] === 'X' ? parseInt(name.slice(2), 16) : parseInt(name.slice(1), 10);
            if (!Number.isFinite(code) || code <= 0 || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff))
                throw new XmlError(`bad character reference ${whole} near ${position}`);
            return String.fromCodePoint(code);
        }
        if (!Object.prototype.hasOwnProperty.call(NAMED_ENTITIES, name))
            throw new XmlError(`unknown entity ${whole} near ${position}`);
        return NAMED_ENTITIES[name];
    });
}

export class XmlElement {
    constructor(name, attributes) {
        this.name = name;
        // Insertion order is kept: attributes are written back in the order
        // they were read or set.
        this.attributes = attributes || new Map();
        this.children = [];
    }

    attr(name) {
        const value = this.attributes.get(name);
        return value === undefined ? '' : value;
    }

    hasAttr(name) {
        return this.attributes.has(name);
    }

    setAttr(name, value) {
        this.attributes.set(name, String(value));
        return this;
    }

    elements(name) {
        return this.children.filter((c) => c instanceof XmlElement && (name === undefined || c.name === name));
    }

    element(name) {
        return this.children.find((c) => c instanceof XmlElement && c.name === name) || null;
    }

    append(child) {
        this.children.push(child);
        return child;
    }

    remove(child) {
        const at = this.children.indexOf(child);
        if (at >= 0)
            this.children.splice(at, 1);
    }

    text() {
        return this.children.map((c) => (typeof c === 'string' ? c : c.text())).join('');
    }
}

const NAME = /^[A-Za-z_:\u00C0-\uFFFF][-A-Za-z0-9_.:\u00B7\u00C0-\uFFFF]*/;

// Parses text into its root element; throws XmlError on anything that is not
// well-formed XML.
export function parseXml(input) {
    if (typeof input !== 'string')
        throw new XmlError('not a text');
    let text = input.charCodeAt(0) === 0xfeff ? input.slice(1) : input;
    let at = 0;
    let nodes = 0;
    const stack = [];
    let root = null;

    const fail = (what) => {
        throw new XmlError(`${what} at ${at}`);
    };
    const skipUntil = (end) => {
        const found = text.indexOf(end, at);
        if (found < 0)
            fail(`missing "${end}"`);
        at = found + end.length;
    };

    while (at < text.length) {
        const lt = text.indexOf('<', at);
        const chunk = text.slice(at, lt < 0 ? text.length : lt);
        if (chunk.length) {
            if (stack.length)
                stack[stack.length - 1].children.push(decodeEntities(chunk, at));
            else if (chunk.trim().length)
                fail('text outside the root element');
        }
        if (lt < 0)
            break;
        at = lt;
        if (text.startsWith('<?', at)) {
            skipUntil('?>');
        } else if (text.startsWith('<!--', at)) {
            skipUntil('-->');
        } else if (text.startsWith('<![CDATA[', at)) {
            if (!stack.length)
                fail('character data outside the root element');
            const end = text.indexOf(']]>', at);
            if (end < 0)
                fail('unterminated character data');
            stack[stack.length - 1].children.push(text.slice(at + 9, end));
            at = end + 3;
        } else if (text.startsWith('<!', at)) {
            // A document type without an internal subset.
            if (root || stack.length)
                fail('declaration inside the document');
            const end = text.indexOf('>', at);
            if (end < 0 || text.slice(at, end).includes('['))
                fail('unsupported document type');
            at = end + 1;
        } else if (text.startsWith('</', at)) {
            at += 2;
            const match = NAME.exec(text.slice(at, at + 256));
            if (!match)
                fail('bad closing tag');
            at += match[0].length;
            while (/\s/.test(text[at] || ''))
                ++at;
            if (text[at] !== '>')
                fail('bad closing tag');
            ++at;
            const open = stack.pop();
            if (!open || open.name !== match[0])
                fail(`closing tag </${match[0]}> does not match`);
        } else {
            ++at;
            const match = NAME.exec(text.slice(at, at + 256));
            if (!match)
                fail('bad tag name');
            at += match[0].length;
            const attributes = new Map();
            for (;;) {
                const space = /^\s*/.exec(text.slice(at, at + 4096))[0].length;
                at += space;
                if (text.startsWith('/>', at) || text[at] === '>')
                    break;
                if (!space)
                    fail('attributes must be separated by blanks');
                const attrName = NAME.exec(text.slice(at, at + 256));
                if (!attrName)
                    fail('bad attribute name');
                at += attrName[0].length;
                while (/\s/.test(text[at] || ''))
                    ++at;
                if (text[at] !== '=')
                    fail('attribute without value');
                ++at;
                while (/\s/.test(text[at] || ''))
                    ++at;
                const quote = text[at];
                if (quote !== '"' && quote !== "'")
                    fail('unquoted attribute value');
                const end = text.indexOf(quote, at + 1);
                if (end < 0)
                    fail('unterminated attribute value');
                const raw = text.slice(at + 1, end);
                if (raw.includes('<'))
                    fail('"<" in an attribute value');
                if (attributes.has(attrName[0]))
                    fail(`attribute ${attrName[0]} given twice`);
                attributes.set(attrName[0], decodeEntities(raw, at));
                at = end + 1;
            }
            const element = new XmlElement(match[0], attributes);
            if (++nodes > MAX_NODES)
                fail('too many elements');
            if (stack.length)
                stack[stack.length - 1].children.push(element);
            else if (root)
                fail('a second root element');
            else
                root = element;
            if (text.startsWith('/>', at)) {
                at += 2;
            } else {
                ++at;
                stack.push(element);
                if (stack.length > MAX_DEPTH)
                    fail('elements nested too deeply');
            }
        }
    }
    if (stack.length)
        throw new XmlError(`element <${stack[stack.length - 1].name}> is not closed`);
    if (!root)
        throw new XmlError('no root element');
    text = null;
    return root;
}

function escapeText(value) {
    return String(value).replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;');
}

function escapeAttribute(value) {
    // Line breaks and tabs are written as references so that they survive
    // a reader's attribute-value normalisation.
    return escapeText(value).replace(/"/g, '&quot;').replace(/\n/g, '&#10;').replace(/\r/g, '&#13;')
        .replace(/\t/g, '&#9;');
}

function write(element, indent, depth, out) {
    const pad = indent.repeat(depth);
    let tag = `${pad}<${element.name}`;
    for (const [name, value] of element.attributes)
        tag += ` ${name}="${escapeAttribute(value)}"`;
    const texts = element.children.filter((c) => typeof c === 'string' && c.trim().length);
    const elements = element.elements();
    if (!texts.length && !elements.length) {
        out.push(`${tag}/>`);
        return;
    }
    if (!elements.length) {
        out.push(`${tag}>${escapeText(element.text())}</${element.name}>`);
        return;
    }
    out.push(`${tag}>`);
    for (const child of element.children) {
        if (child instanceof XmlElement)
            write(child, indent, depth + 1, out);
        else if (child.trim().length)
            out.push(pad + indent + escapeText(child.trim()));
    }
    out.push(`${pad}</${element.name}>`);
}

// Writes the element as a document with an XML declaration, one element a
// line, indented with tabs.
export function serializeXml(root, { declaration = true, indent = '\t' } = {}) {
    const out = [];
    if (declaration)
        out.push('<?xml version="1.0" encoding="UTF-8"?>');
    write(root, indent, 0, out);
    return out.join('\n') + '\n';
}
