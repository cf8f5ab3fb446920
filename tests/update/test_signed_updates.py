"""Signed updates through the real tools, as a self-hosted server would run
them: orvanta-pack makes a key pair and signs a pages package; a local HTTP
server serves it; orvanta-cli, trusting the key through ORVANTA_UPDATE_KEYS,
installs it with "DownloadFile" and with "UnPackFile". The same package with
one byte changed, an unsigned one, and the signed one without its key in
ORVANTA_UPDATE_KEYS are refused with nothing written. A list signed with
orvanta-pack sign-list verifies with Debian's minisign.

usage: test_signed_updates.py CLI PACK
"""
import functools
import http.server
import json
import os
import shutil
import subprocess
import sys
import tempfile
import threading

CLI, PACK = sys.argv[1:3]
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


def run(args, **kwargs):
    return subprocess.run(args, capture_output=True, text=True, timeout=120, **kwargs)


def cli(folder, env, *requests):
    """The replies of orvanta-cli to the requests, as (reply, text)."""
    out = run([os.path.join(folder, 'orvanta-cli'), *[json.dumps(r) for r in requests]], env=env)
    check(out.returncode == 0, f'orvanta-cli ended with {out.returncode}: {out.stderr[-1500:]}')
    objects = [json.loads(line) for line in out.stdout.splitlines() if line.startswith('{')]
    return [(o['reply'], o.get('text', '')) for o in objects if 'reply' in o]


class Quiet(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def main():
    work = tempfile.mkdtemp(prefix='orvanta-signed-')
    runtime = tempfile.mkdtemp(prefix='orvanta-run-')
    served = os.path.join(work, 'served')
    server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), functools.partial(Quiet, directory=served))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    base = f'http://127.0.0.1:{server.server_address[1]}'
    try:
        folder = os.path.join(work, 'app')
        keys = os.path.join(work, 'keys')
        site = os.path.join(work, 'site')
        for path in (folder, keys, served, os.path.join(site, 'pages')):
            os.makedirs(path)
        shutil.copy2(CLI, os.path.join(folder, 'orvanta-cli'))
        with open(os.path.join(site, 'pages', 'new.html'), 'w') as f:
            f.write('<p>new pages</p>\n')

        key, public = os.path.join(keys, 'lab.key'), os.path.join(keys, 'lab.pub')
        made = run([PACK, 'keygen', '--name', 'Lab server', '--secret-key', key, '--public-key', public])
        check(made.returncode == 0, f'keygen failed: {made.stderr}')
        check(os.stat(key).st_mode & 0o077 == 0, 'the secret key is readable by others')
        signed = os.path.join(served, 'signed.pkg')
        packed = run([PACK, 'pack', site, signed, '--key', key, '--sequence', '3'])
        check(packed.returncode == 0, f'pack --key failed: {packed.stderr}')
        check(run([PACK, 'pack', site, os.path.join(served, 'unsigned.pkg')]).returncode == 0, 'pack failed')
        with open(signed, 'rb') as f:
            changed = bytearray(f.read())
        changed[-1] ^= 0x01
        with open(os.path.join(served, 'changed.pkg'), 'wb') as f:
            f.write(changed)
        verified = run([PACK, 'verify', signed, '--public-key', public])
        check(verified.returncode == 0 and 'signed by Lab server, release 3' in verified.stdout,
              f'verify: {verified.stdout} {verified.stderr}')

        env = {'HOME': work, 'PATH': '/usr/bin:/bin', 'XDG_RUNTIME_DIR': runtime, 'QT_QPA_PLATFORM': 'offscreen',
               'LANG': 'C.UTF-8', 'ORVANTA_UPGRADE_URL': 'http://127.0.0.1:1'}
        env.update({k: v for k, v in os.environ.items() if k.split('_')[0] in ('ASAN', 'LSAN', 'UBSAN')})
        trusting = dict(env, ORVANTA_UPDATE_KEYS=public)
        new_page = os.path.join(folder, 'pages', 'new.html')

        def download(name, environment):
            return cli(folder, environment, {'FuncName': 'DownloadFile', 'downloadUrl': f'{base}/{name}',
                                             'relativePath': 'tupdates/'})

        # Refused: one byte changed, no signature, a key nobody named.
        for name, environment in (('changed.pkg', trusting), ('unsigned.pkg', trusting), ('signed.pkg', env)):
            replies = download(name, environment)
            check(replies == [('failure', 'downloadFaild')], f'{name} was not refused: {replies}')
            check(not os.path.exists(new_page), f'{name} wrote the pages')
            check(not os.path.exists(os.path.join(folder, 'tupdates', name)), f'{name} was left behind')
        with open(os.path.join(folder, 'app.log')) as f:
            log = f.read()
        check('refused: not signed by a trusted key' in log, 'app.log does not say why')

        replies = download('signed.pkg', trusting)
        check(replies == [('success', os.path.join(folder, 'tupdates', 'signed.pkg'))], f'signed: {replies}')
        check(os.path.exists(new_page), 'the signed package did not install')
        trust = cli(folder, trusting, {'FuncName': 'GetUpdateTrust', 'downloadUrl': f'{base}/signed.pkg'})
        check(trust and trust[0][0] == 'success', f'GetUpdateTrust: {trust}')
        os.remove(new_page)

        # A package a page names in the application folder.
        shutil.copy2(os.path.join(served, 'unsigned.pkg'), os.path.join(folder, 'local.pkg'))
        replies = cli(folder, trusting, {'FuncName': 'UnPackFile', 'FileName': 'local.pkg', 'UnPath': ''})
        check(replies == [('failure', 'failed!')], f'an unsigned UnPackFile: {replies}')
        check(not os.path.exists(new_page), 'the unsigned package wrote the pages')
        shutil.copy2(signed, os.path.join(folder, 'local.pkg'))
        replies = cli(folder, trusting, {'FuncName': 'UnPackFile', 'FileName': 'local.pkg', 'UnPath': ''})
        check(replies == [('success', 'success!')], f'a signed UnPackFile: {replies}')
        check(os.path.exists(new_page), 'the signed package did not unpack')

        # A list signed here verifies with minisign itself.
        minisign = shutil.which('minisign')
        if check(minisign is not None, 'minisign is not installed (scripts/deps.sh installs it)'):
            listed = os.path.join(work, 'list.json')
            with open(listed, 'w') as f:
                f.write('{"code":1}')
            signed_list = run([PACK, 'sign-list', listed, '--key', key, '--channel', 'upgrade', '--sequence', '9'])
            check(signed_list.returncode == 0, f'sign-list: {signed_list.stderr}')
            checked = run([minisign, '-V', '-p', public, '-m', listed])
            check(checked.returncode == 0 and 'channel:upgrade\tsequence:9' in checked.stdout,
                  f'minisign -V: {checked.stdout} {checked.stderr}')
    finally:
        server.shutdown()
        shutil.rmtree(work, ignore_errors=True)
        shutil.rmtree(runtime, ignore_errors=True)

    for failure in failures:
        print('FAIL:', failure)
    print(f'{len(failures)} failures')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
