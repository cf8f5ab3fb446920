"""The hidraw transport through the real programs, on a fake sysfs tree.

The tree holds a 258a:0029-like mouse (a plain mouse on interface 0;
keyboard, consumer and a 0xFF00 vendor collection on interface 1) and a
25a7 W1 mouse (0xFF01 input report 9, 0xFF02 feature report 8). The
descriptors are the fuzz corpus's, written by hand from public tables (no
public dump exists). Checked: orvanta-hidraw-probe describes both without
opening anything; orvanta-cli with the hidraw transport lists both with
their access level, keeps a dry run for the exact device, and a W1 write is
then logged and not sent; the window starts on the transport with no
device at all.

usage: test_hidraw_programs.py CLI WINDOW PROBE TRANSPORT CORPUS
"""
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

CLI, WINDOW, PROBE, TRANSPORT, CORPUS = sys.argv[1:6]
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


def add_interface(root, node, port, interface, vendor, product, descriptor, firmware, name):
    usb = os.path.join(root, 'devices/usb1', port)
    hid = os.path.join(usb, f'{port}:1.{interface}', f'0003:{vendor:04X}:{product:04X}.{node:04d}')
    os.makedirs(hid)
    with open(os.path.join(usb, 'bcdDevice'), 'w') as f:
        f.write(firmware + '\n')
    with open(os.path.join(hid, 'uevent'), 'w') as f:
        f.write(f'DRIVER=hid-generic\nHID_ID=0003:{vendor:08X}:{product:08X}\nHID_NAME={name}\n'
                f'HID_PHYS=usb-0000:00:14.0-{port[2:]}/input{interface}\nHID_UNIQ=\n')
    shutil.copy(os.path.join(CORPUS, descriptor), os.path.join(hid, 'report_descriptor'))
    entry = os.path.join(root, 'class/hidraw', f'hidraw{node}')
    os.makedirs(entry)
    os.symlink(hid, os.path.join(entry, 'device'))


def environment(folder, sysfs, runtime):
    env = {'HOME': folder, 'PATH': '/usr/bin:/bin', 'XDG_RUNTIME_DIR': runtime, 'QT_QPA_PLATFORM': 'offscreen',
           'LANG': 'C.UTF-8', 'ORVANTA_TRANSPORT': TRANSPORT, 'ORVANTA_SYSFS_ROOT': sysfs,
           'ORVANTA_UPGRADE_URL': 'http://127.0.0.1:1'}
    env.update({k: v for k, v in os.environ.items() if k.split('_')[0] in ('ASAN', 'LSAN', 'UBSAN')})
    return env


def cli(folder, env, *requests):
    out = subprocess.run([os.path.join(folder, 'orvanta-cli'), *requests], env=env, capture_output=True, text=True,
                         timeout=120)
    check(out.returncode == 0, f'orvanta-cli ended with {out.returncode}: {out.stderr[-1500:]}')
    return [json.loads(line) for line in out.stdout.splitlines() if line.startswith('{')]


def main():
    work = tempfile.mkdtemp(prefix='orvanta-hidraw-')
    runtime = tempfile.mkdtemp(prefix='orvanta-run-')
    try:
        sysfs = os.path.join(work, 'sys')
        add_interface(sysfs, 0, '1-1', 0, 0x258A, 0x0029, 'mouse-interface-0', '0910', 'Test Mouse')
        add_interface(sysfs, 1, '1-1', 1, 0x258A, 0x0029, 'mouse-interface-1', '0910', 'Test Mouse')
        add_interface(sysfs, 2, '1-2', 1, 0x25A7, 0xFA07, 'w1-interface-1', '0102', 'W1 Mouse')
        folder = os.path.join(work, 'app')
        os.makedirs(folder)
        pages = os.path.join(os.path.dirname(WINDOW), 'skn.dat')
        for program, name in ((CLI, 'orvanta-cli'), (WINDOW, 'orvanta'), (pages, 'skn.dat')):
            try:
                os.link(program, os.path.join(folder, name))
            except OSError:
                shutil.copy2(program, os.path.join(folder, name))
        env = environment(folder, sysfs, runtime)

        probe = subprocess.run([PROBE], env=env, capture_output=True, text=True, timeout=60)
        check(probe.returncode == 0, f'the probe ended with {probe.returncode}')
        for line in ('I: 3 258a 0029', 'I: 3 25a7 fa07', 'P: usb-0000:00:14.0-1/input1', 'R: 106 05 01 09 06',
                     'col03: usage page 0xff00 usage 0x0001 (vendor), feature 4 (519 bytes)', '# family W1, listed',
                     '# family list-only, not listed (no vendor collection)'):
            check(line in probe.stdout, f'the probe does not say "{line}":\n{probe.stdout}')

        listed = cli(folder, env, '{"FuncName":"GetDevicesList"}')
        devices = json.loads(listed[0]['text']) if listed and listed[0]['reply'] == 'success' else []
        by_key = {d['Version']: d for d in devices}
        check(sorted(by_key) == ['258A0029', '25A7FA07'], f'listed {sorted(by_key)}')
        check(all(d.get('Access') == 'read-only' for d in devices), f'access levels: {devices}')

        w1 = by_key.get('25A7FA07', {}).get('DevicePath', '')
        answers = cli(folder, env,
                      json.dumps({'FuncName': 'SetDeviceAccessLevel', 'DevicePath': w1, 'Access': 'dry-run'}),
                      json.dumps({'FuncName': 'SetDeviceAccessLevel', 'DevicePath': w1, 'Access': 'verified'}),
                      json.dumps({'FuncName': 'SetDeviceAccessLevel', 'DevicePath': 'nowhere', 'Access': 'dry-run'}),
                      '{"FuncName":"GetDevicesList"}')
        check([a['reply'] for a in answers] == ['success', 'failure', 'failure', 'success'], f'answers {answers}')
        after = {d['Version']: d.get('Access') for d in json.loads(answers[3]['text'])} if len(answers) == 4 else {}
        check(after == {'258A0029': 'read-only', '25A7FA07': 'dry-run'}, f'after the choice: {after}')
        check(os.path.isfile(os.path.join(folder, 'hidraw-access.json')), 'the choice is not kept beside the settings')

        # The window on the transport with no device at all: it starts and
        # asks for the devices.
        empty = os.path.join(work, 'empty-sys')
        os.makedirs(os.path.join(empty, 'class/hidraw'))
        errors_path = os.path.join(work, 'window.err')
        with open(errors_path, 'w') as errors:
            window = subprocess.Popen([os.path.join(folder, 'orvanta')], env=environment(folder, empty, runtime),
                                      stdout=subprocess.DEVNULL, stderr=errors, start_new_session=True)
        seen = ''
        deadline = time.time() + 60
        try:
            while time.time() < deadline and 'funcname====GetDevicesList' not in seen and window.poll() is None:
                time.sleep(0.2)
                with open(errors_path, errors='replace') as errors:
                    seen = errors.read()
        finally:
            try:
                os.killpg(window.pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
            window.wait(timeout=30)
        check('funcname====GetDevicesList' in seen, 'the window on the hidraw transport did not start:\n' + seen[-2000:])
        check('transport library not loaded' not in seen, 'the window did not load the hidraw transport')
    finally:
        shutil.rmtree(work, ignore_errors=True)
        shutil.rmtree(runtime, ignore_errors=True)
    for failure in failures:
        print('FAIL:', failure)
    if failures:
        sys.exit(1)
    print('the probe, orvanta-cli and the window work on the hidraw transport')


main()
