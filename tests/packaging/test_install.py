#!/usr/bin/env python3
"""The installed program: what `cmake --install` puts where, and that the
installed program keeps every user's files in that user's XDG folders.

    test_install.py BUILD_DIR BIN DATA HELPERS TRANSPORT APP_ID SELF_UPDATER

installs BUILD_DIR with DESTDIR into a temporary folder (prefix /usr, as
the Debian package does) and checks:
  - the installed files are exactly the expected list;
  - the desktop entry and the AppStream metainfo validate;
  - orvanta-cli, run by two users (two temporary homes), writes only below
    its user's XDG folders, reads back what it wrote, sees only its own
    files, and changes nothing under the prefix;
  - orvanta (offscreen) starts from the installation, its pages ask for the
    device list, and it too writes nothing under the prefix.
"""
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

BUILD, BIN, DATA, HELPERS, TRANSPORT, APP_ID = sys.argv[1:7]
# A distribution build (SELF_UPDATER 0) installs no updater.
SELF_UPDATER = sys.argv[7] != '0' if len(sys.argv) > 7 else True
PREFIX = '/usr'


GNOME_EXTENSION = 'share/gnome-shell/extensions/orvanta-focus@orvanta.org'


def check_gnome_extension(prefix):
    """The extension's metadata names the folder it lies in and the Shell
    versions its form of script is for."""
    folder = os.path.join(prefix, GNOME_EXTENSION)
    with open(os.path.join(folder, 'metadata.json')) as f:
        metadata = json.load(f)
    if metadata.get('uuid') != os.path.basename(folder):
        fail(f'the GNOME extension\'s uuid {metadata.get("uuid")} is not its folder\'s name')
    with open(os.path.join(folder, 'extension.js')) as f:
        modules = 'export default class' in f.read()
    versions = [int(v) for v in metadata.get('shell-version', [])]
    if not versions or any((v >= 45) != modules for v in versions):
        fail(f'the GNOME extension\'s script does not suit the Shell versions {versions}')


def expected_files():
    icons = [f'share/icons/hicolor/{n}x{n}/apps/{APP_ID}.png' for n in (16, 24, 32, 48, 64, 128, 256)]
    return sorted([
        f'{BIN}/orvanta', f'{BIN}/orvanta-cli', f'{BIN}/orvanta-pack', f'{BIN}/orvanta-hidraw-probe',
        *([f'{HELPERS}/Updater'] if SELF_UPDATER else []),
        f'{HELPERS}/CrashReporter',
        f'{TRANSPORT}/libUsbInterface.so', f'{TRANSPORT}/libOrvantaHidraw.so',
        *(f'{DATA}/{name}' for name in ('skn.dat', 'devices.json', 'ttd.mp3', 'alert.mp3', 'online.wav',
                                         'installed-layout')),
        f'share/applications/{APP_ID}.desktop',
        f'share/metainfo/{APP_ID}.metainfo.xml',
        *icons, f'share/icons/hicolor/scalable/apps/{APP_ID}.svg',
        'share/man/man1/orvanta.1', 'share/man/man1/orvanta-cli.1', 'share/man/man1/orvanta-pack.1',
        'share/man/man1/orvanta-hidraw-probe.1',
        f'{GNOME_EXTENSION}/metadata.json', f'{GNOME_EXTENSION}/extension.js',
    ])


def listing(root):
    """Every file and folder below root with its size and times."""
    found = {}
    for folder, dirs, files in os.walk(root):
        for name in dirs + files:
            path = os.path.join(folder, name)
            st = os.lstat(path)
            found[os.path.relpath(path, root)] = (st.st_mode, st.st_size, st.st_mtime_ns, st.st_ctime_ns)
    return found


def files_below(root):
    return sorted(os.path.relpath(os.path.join(f, n), root) for f, _, names in os.walk(root) for n in names)


def fail(message):
    print('FAIL:', message)
    sys.exit(1)


def user_environment(home):
    runtime = os.path.join(home, 'run')
    os.makedirs(runtime, mode=0o700, exist_ok=True)
    environment = {'HOME': home, 'PATH': '/usr/bin:/bin', 'XDG_RUNTIME_DIR': runtime,
                   'QT_QPA_PLATFORM': 'offscreen', 'LANG': 'C.UTF-8'}
    # The sanitizer build's settings go along; nothing else of the test's
    # environment does.
    environment.update({k: v for k, v in os.environ.items() if k.split('_')[0] in ('ASAN', 'LSAN', 'UBSAN')})
    return environment


def cli(installed_bin, home, *requests, transport='demo'):
    """orvanta-cli of the installation; on the demo devices unless transport
    is None (then the installed default, the transport for real devices)."""
    environment = user_environment(home)
    if transport:
        environment['ORVANTA_TRANSPORT'] = transport
    else:
        environment['ORVANTA_SYSFS_ROOT'] = os.path.join(home, 'no-sys')
    out = subprocess.run([os.path.join(installed_bin, 'orvanta-cli'), *requests], env=environment,
                         capture_output=True, text=True, timeout=120)
    if out.returncode != 0:
        fail(f'orvanta-cli ended with {out.returncode}: {out.stderr[-2000:]}')
    return [json.loads(line) for line in out.stdout.splitlines() if line.startswith('{')]


def check_user_files(home, user_folder_files):
    """Everything the program wrote for this user lies in its XDG folders
    (or its private runtime folder)."""
    allowed = ('.config/orvanta/', '.local/state/orvanta/', '.cache/orvanta/', 'run/')
    for path in files_below(home):
        if not path.startswith(allowed):
            fail(f'{home}: {path} lies outside the user\'s folders')
    config = files_below(os.path.join(home, '.config/orvanta'))
    for name in user_folder_files:
        if name not in config:
            fail(f'{home}: {name} is not in the user\'s settings folder (found {config})')


def main():
    work = tempfile.mkdtemp(prefix='orvanta-install-')
    try:
        root = os.path.join(work, 'root')
        subprocess.run(['cmake', '--install', BUILD, '--prefix', PREFIX], env=dict(os.environ, DESTDIR=root),
                       check=True, capture_output=True)
        prefix = root + PREFIX
        installed = sorted(p for p in files_below(prefix))
        if installed != expected_files():
            fail('installed files differ:\n  missing: %s\n  unexpected: %s' % (
                sorted(set(expected_files()) - set(installed)), sorted(set(installed) - set(expected_files()))))
        # The udev rule lies outside the prefix, where udev reads rules.
        rules = [p for p in files_below(root) if p.endswith('rules.d/70-orvanta.rules')]
        if len(rules) != 1 or rules[0].startswith('etc/'):
            fail(f'the udev rule is not installed once into a udev rules folder: {rules}')

        subprocess.run(['desktop-file-validate', os.path.join(prefix, f'share/applications/{APP_ID}.desktop')],
                       check=True)
        subprocess.run(['appstreamcli', 'validate', '--no-net',
                        os.path.join(prefix, f'share/metainfo/{APP_ID}.metainfo.xml')], check=True,
                       stdout=subprocess.DEVNULL)

        check_gnome_extension(prefix)

        before = listing(prefix)
        installed_bin = os.path.join(prefix, BIN)
        first, second = os.path.join(work, 'first'), os.path.join(work, 'second')
        os.makedirs(first)
        os.makedirs(second)

        # Two users write a macro file of the same name; each reads back its own.
        for home, text in ((first, '<Macros><Macro Name="first"/></Macros>'),
                           (second, '<Macros><Macro Name="second"/></Macros>')):
            answers = cli(installed_bin, home,
                          '{"FuncName":"GetDevicesList"}',
                          json.dumps({'FuncName': 'ModifyFileFromStr', 'FilePath': 'macros.xml', 'ContentStr': text}),
                          '{"FuncName":"WriteConf","KeyName":"Language","Value":"en"}')
            if [a['reply'] for a in answers] != ['success'] * 3:
                fail(f'orvanta-cli answered {answers}')
            if 'Version' not in answers[0]['text']:
                fail('the installed program lists no demo device')
            access = json.loads(cli(installed_bin, home, '{"FuncName":"GetDeviceAccess"}')[0]['text'])
            if access.get('Demo') is not True:
                fail(f'the installed program does not say its devices are a demo: {access}')
            # Without it, the installed program reaches real devices (none
            # in an empty sysfs tree) and says no demo.
            real = json.loads(cli(installed_bin, home, '{"FuncName":"GetDeviceAccess"}', transport=None)[0]['text'])
            if real.get('Demo') is not False:
                fail(f'the installed program does not default to real devices: {real}')
            installation = json.loads(cli(installed_bin, home, '{"FuncName":"GetInstallation"}')[0]['text'])
            if installation != {'Installed': True, 'SelfUpdate': False}:
                fail(f'the installed program says {installation}')
        for home, name in ((first, 'first'), (second, 'second')):
            answers = cli(installed_bin, home, '{"FuncName":"ReadFileToStr","FilePath":"macros.xml","Xpath":"/Macros"}')
            if name not in answers[0].get('text', '') or ('second' if name == 'first' else 'first') in answers[0]['text']:
                fail(f'{name} reads {answers}')
            check_user_files(home, ['conf.ini', 'macros.xml'])
            if not os.path.isfile(os.path.join(home, '.local/state/orvanta/app.log')):
                fail(f'{home}: no log in the state folder')
            # A shipped file the user has not written is read from the
            # installation; a name that leaves the folders is refused.
            answers = cli(installed_bin, home,
                          '{"FuncName":"ReadFileToStr","FilePath":"devices.json","Xpath":"/x"}',
                          '{"FuncName":"ReadFileToStr","FilePath":"../../../../etc/passwd","Xpath":"/x"}')
            if answers[1]['reply'] != 'failure':
                fail(f'a path outside the folders was read: {answers[1]}')

        # The window, offscreen: the pages come up and ask for the devices.
        third = os.path.join(work, 'third')
        os.makedirs(third)
        errors_path = os.path.join(work, 'orvanta.err')
        with open(errors_path, 'w') as errors:
            process = subprocess.Popen([os.path.join(installed_bin, 'orvanta')], env=user_environment(third),
                                       stdout=subprocess.DEVNULL, stderr=errors, start_new_session=True)
        seen = ''
        deadline = time.time() + 60
        try:
            while time.time() < deadline and 'funcname====GetDevicesList' not in seen:
                with open(errors_path, errors='replace') as errors:
                    seen = errors.read()
                if process.poll() is not None:
                    break
                time.sleep(0.2)
        finally:
            try:
                os.killpg(process.pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
            process.wait(timeout=30)
        if 'funcname====GetDevicesList' not in seen:
            fail('the installed program\'s pages did not ask for the devices:\n' + seen[-3000:])
        check_user_files(third, ['conf.ini'])
        # An installation is updated by its package manager: nothing is
        # asked of the update service at start.
        with open(os.path.join(third, '.local/state/orvanta/app.log'), errors='replace') as log:
            text = log.read()
        if 'no start-up check' not in text or 'update check failed' in text:
            fail('the installed program asked for updates at start:\n' + text[-2000:])

        # A crash of the installed window: the report lies in the user's
        # state folder and the reporter from the helper folder shows it
        # (offscreen, it prints it symbolised).
        fourth = os.path.join(work, 'fourth')
        os.makedirs(fourth)
        crashed = subprocess.run([os.path.join(installed_bin, 'orvanta'), '--crash-test=segv'],
                                 env=user_environment(fourth), capture_output=True, text=True, timeout=120)
        reports = files_below(os.path.join(fourth, '.local/state/orvanta/crashes'))
        if crashed.returncode != -signal.SIGSEGV or len(reports) != 1:
            fail(f'the installed window ended with {crashed.returncode}, reports {reports}: {crashed.stderr[-2000:]}')
        if 'orvantaCrashTestSegv' not in crashed.stdout:
            fail('the installed reporter did not show the crash:\n' + crashed.stdout[-2000:])
        check_user_files(fourth, [])

        after = listing(prefix)
        if before != after:
            changed = sorted(k for k in set(before) | set(after) if before.get(k) != after.get(k))
            fail(f'the installation changed: {changed}')
        print('installed files, two users and the window: as expected')
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == '__main__':
    main()
