import { test } from 'node:test';
import assert from 'node:assert/strict';
import { parseXml, serializeXml, XmlError } from '../../pages/template/common/core/xml.js';

test('reads elements, attributes, entities and text, skipping declarations and comments', () => {
    const root = parseXml('\ufeff<?xml version="1.0"?>\n<!-- c --><a x="1 &amp; 2" y=\'&#x41;&lt;\'><b/><![CDATA[<raw>]]>t&gt;</a>');
    assert.equal(root.name, 'a');
    assert.equal(root.attr('x'), '1 & 2');
    assert.equal(root.attr('y'), 'A<');
    assert.equal(root.attr('missing'), '');
    assert.equal(root.elements('b').length, 1);
    assert.equal(root.text(), '<raw>t>');
});

test('what it writes reads back the same, whatever the attribute holds', () => {
    const root = parseXml('<Configuration><Mode Index="0"/></Configuration>');
    const hostile = 'a"b<c>&d\'e\nline\ttab </Mode><x y="';
    root.element('Mode').append(parseXml('<Key/>')).setAttr('Value', hostile);
    const text = serializeXml(root);
    assert.match(text, /^<\?xml version="1.0" encoding="UTF-8"\?>\n<Configuration>\n\t<Mode Index="0">\n\t\t<Key /);
    const again = parseXml(text);
    assert.equal(again.element('Mode').element('Key').attr('Value'), hostile);
});

test('refuses what is not well-formed instead of guessing', () => {
    const bad = [
        '', 'text only', '<a>', '<a></b>', '<a x=1/>', '<a x="1" x="2"/>', '<a/><b/>', '<a x="<"/>',
        '<a>&unknown;</a>', '<a>&#0;</a>', '<!DOCTYPE a [<!ENTITY e "x">]><a/>', '<a><!-- open</a>',
        `${'<a>'.repeat(100)}${'</a>'.repeat(100)}`,
    ];
    for (const text of bad)
        assert.throws(() => parseXml(text), XmlError, JSON.stringify(text.slice(0, 40)));
    assert.throws(() => parseXml(undefined), XmlError);
});
