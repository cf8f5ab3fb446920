#!/usr/bin/env python3
"""Checks the udev rule: every rule names its subsystem, no hidraw rule grants a
whole vendor, and, matched against hand-written device descriptions the way
udev matches them (the keys the rule uses: SUBSYSTEM, KERNEL, ENV, IMPORT of
usb_id), the vendor interfaces of the supported mice are granted while a
keyboard's typing interface, other interfaces and other vendors are not.

    check_udev_rule.py <rules file>
"""
import fnmatch
import re
import sys

KEY = re.compile(r'\s*([A-Z]+)(?:\{([^}]*)\})?\s*(==|!=|\+=|=|:=)\s*"([^"]*)"\s*,?')


def parse(text):
    rules = []
    for number, line in enumerate(text.splitlines(), 1):
        line = line.strip()
        if not line or line.startswith('#'):
            continue
        keys, rest = [], line
        while rest:
            match = KEY.match(rest)
            if not match:
                raise SystemExit(f'line {number}: cannot read "{rest}"')
            keys.append(match.groups())
            rest = rest[match.end():]
        rules.append((number, keys))
    return rules


def value_matches(pattern, value):
    return any(fnmatch.fnmatchcase(value or '', alternative) for alternative in pattern.split('|'))


def granted(rules, device):
    """True when some rule tags the device "uaccess"."""
    env = dict(device.get('env', {}))
    tagged = False
    for _, keys in rules:
        ok = True
        for name, attr, op, value in keys:
            if op not in ('==', '!='):
                continue
            if name == 'SUBSYSTEM':
                actual = device['subsystem']
            elif name == 'KERNEL':
                actual = device['kernel']
            elif name == 'ENV':
                actual = env.get(attr, '')
            elif name == 'ATTRS' and attr in ('idVendor', 'idProduct'):
                # The USB device's own attributes, as usb_id reports them.
                usb = device.get('usb_id', {})
                actual = usb.get('ID_VENDOR_ID' if attr == 'idVendor' else 'ID_MODEL_ID', '')
            else:
                raise SystemExit(f'the check does not know the match key {name}')
            if value_matches(value, actual) != (op == '=='):
                ok = False
                break
        if not ok:
            continue
        for name, attr, op, value in keys:
            if name == 'IMPORT' and value == 'usb_id':
                env.update(device.get('usb_id', {}))
            if name == 'TAG' and value == 'uaccess':
                tagged = True
    return tagged


def hidraw(vendor, model, interface):
    return {'subsystem': 'hidraw', 'kernel': 'hidraw3',
            'usb_id': {'ID_VENDOR_ID': vendor, 'ID_MODEL_ID': model, 'ID_USB_INTERFACE_NUM': interface}}


def main():
    rules = parse(open(sys.argv[1], encoding='utf-8').read())
    failures = []
    for number, keys in rules:
        names = [(name, attr) for name, attr, op, _ in keys if op in ('==', '!=')]
        if not any(name == 'SUBSYSTEM' for name, _ in names):
            failures.append(f'line {number} names no SUBSYSTEM')
        vendor = any(attr in ('ID_VENDOR_ID', 'idVendor') for _, attr in names)
        narrowed = {attr for _, attr in names} >= {'ID_MODEL_ID', 'ID_USB_INTERFACE_NUM'}
        if vendor and not narrowed:
            failures.append(f'line {number} grants a whole vendor')

    expected = [
        ('258a:0029 mouse, vendor interface 1', hidraw('258a', '0029', '01'), True),
        ('258a:1007 mouse, vendor interface 1', hidraw('258a', '1007', '01'), True),
        ('258a:0029 mouse, plain mouse interface 0', hidraw('258a', '0029', '00'), False),
        ('258a:0049 keyboard, typing interface 0', hidraw('258a', '0049', '00'), False),
        ('258a:0049 keyboard, interface 1', hidraw('258a', '0049', '01'), False),
        ('25a7:fa07 W1 mouse, interface 1', hidraw('25a7', 'fa07', '01'), True),
        ('25a7:fa07 W1 mouse, interface 0', hidraw('25a7', 'fa07', '00'), False),
        ('25a7:0001, another product of that vendor', hidraw('25a7', '0001', '01'), False),
        ('046d:c08b, another vendor', hidraw('046d', 'c08b', '01'), False),
        ('uinput', {'subsystem': 'misc', 'kernel': 'uinput'}, True),
        ('a mouse event node', {'subsystem': 'input', 'kernel': 'event5', 'env': {'ID_INPUT_MOUSE': '1'}}, True),
        ('a keyboard event node', {'subsystem': 'input', 'kernel': 'event4', 'env': {'ID_INPUT_KEYBOARD': '1'}}, False),
        ('a mouse that is a keyboard too', {'subsystem': 'input', 'kernel': 'event6',
                                            'env': {'ID_INPUT_MOUSE': '1', 'ID_INPUT_KEYBOARD': '1'}}, False),
        ('a touchpad', {'subsystem': 'input', 'kernel': 'event7',
                        'env': {'ID_INPUT_MOUSE': '1', 'ID_INPUT_TOUCHPAD': '1'}}, False),
    ]
    for name, device, want in expected:
        if granted(rules, device) != want:
            failures.append(f'{name}: {"not granted" if want else "granted"}')
    for failure in failures:
        print('FAIL:', failure)
    print(f'{len(expected)} devices checked, {len(failures)} failures')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
