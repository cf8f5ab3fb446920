"""The crash handler through the real programs.

Each program is linked into a temporary application folder (a portable
layout: reports go to its crashes/ folder) and made to crash on purpose
with --crash-test. Checked: the process ends with the original signal; one
report lies in crashes/ with the program, the version, the signal and the
last log lines; the reporter's symbolised form names the function that
crashed; the window starts the reporter (offscreen it prints the report);
at most 10 reports are kept; without the reporter the report is still
written.

usage: test_crash.py CLI WINDOW REPORTER EMULATOR DEVICES VERSION
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile

CLI, WINDOW, REPORTER, EMULATOR, DEVICES, VERSION = sys.argv[1:7]

EXPECTED = {
    'segv': (signal.SIGSEGV, 'orvantaCrashTestSegv'),
    'abort': (signal.SIGABRT, 'orvantaCrashTestAbort'),
    'throw': (signal.SIGABRT, 'orvantaCrashTestThrow'),
    'purecall': (signal.SIGABRT, 'orvantaCrashTestPureCall'),
}

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


def place(source, folder, name):
    target = os.path.join(folder, name)
    try:
        os.link(source, target)
    except OSError:
        shutil.copy2(source, target)
    return target


RUNTIME = {}


def environment(folder):
    # The runtime folder holds the single-instance socket, whose path must
    # stay short: a private folder of its own in the temporary folder.
    runtime = RUNTIME.setdefault(folder, tempfile.mkdtemp(prefix='orvanta-run-'))
    env = {'HOME': folder, 'PATH': '/usr/bin:/bin', 'XDG_RUNTIME_DIR': runtime, 'QT_QPA_PLATFORM': 'offscreen',
           'LANG': 'C.UTF-8', 'ORVANTA_TRANSPORT': EMULATOR, 'ORVANTA_DEVICES': os.path.join(folder, 'devices.json'),
           'ORVANTA_UPGRADE_URL': 'http://127.0.0.1:1'}
    env.update({k: v for k, v in os.environ.items() if k.split('_')[0] in ('ASAN', 'LSAN', 'UBSAN')})
    return env


def reports(folder):
    crashes = os.path.join(folder, 'crashes')
    return sorted(os.listdir(crashes)) if os.path.isdir(crashes) else []


def read(folder, name):
    with open(os.path.join(folder, 'crashes', name), errors='replace') as f:
        return f.read()


def run(program, folder, *arguments):
    return subprocess.run([program, *arguments], env=environment(folder), capture_output=True, text=True,
                          timeout=180)


def new_folder(work, name, window=False, reporter=True):
    folder = os.path.join(work, name)
    os.makedirs(folder)
    shutil.copy(DEVICES, os.path.join(folder, 'devices.json'))
    place(CLI, folder, 'orvanta-cli')
    if window:
        place(WINDOW, folder, 'orvanta')
    if reporter:
        place(REPORTER, folder, 'CrashReporter')
    return folder


def symbolised(folder, name):
    out = subprocess.run([os.path.join(folder, 'CrashReporter'), '--print', '--report',
                          os.path.join(folder, 'crashes', name)],
                         env=environment(folder), capture_output=True, text=True, timeout=180)
    check(out.returncode == 0, f'the reporter ended with {out.returncode}: {out.stderr[-1000:]}')
    return out.stdout


def check_report(text, program, kind):
    sig, function = EXPECTED[kind]
    check(text.startswith('Orvanta crash report\n'), f'{program} {kind}: no report header')
    check(f'Program: {program}\n' in text, f'{program} {kind}: the program is not named')
    check(f'Version: {VERSION}\n' in text, f'{program} {kind}: the version is not named')
    check(f'Signal: {int(sig)} {sig.name}\n' in text, f'{program} {kind}: the signal is not {sig.name}')
    check('Stack of the crashing thread:\n#0 ' in text, f'{program} {kind}: no stack')
    check('Modules (executable mappings):\n' in text and '/libc.so' in text, f'{program} {kind}: no modules')
    check(f"crash test '{kind}' requested" in text.split('Last log lines:\n', 1)[-1],
          f'{program} {kind}: the last log lines are missing')


def cli_crashes(work):
    for kind, (sig, function) in EXPECTED.items():
        folder = new_folder(work, f'cli-{kind}')
        out = run(os.path.join(folder, 'orvanta-cli'), folder, f'--crash-test={kind}')
        check(out.returncode == -sig, f'orvanta-cli {kind} ended with {out.returncode}, not -{sig.name}')
        names = reports(folder)
        if not check(len(names) == 1, f'orvanta-cli {kind}: reports {names}'):
            continue
        check(names[0] in out.stderr, f'orvanta-cli {kind}: stderr does not name the report: {out.stderr[-500:]}')
        text = read(folder, names[0])
        check_report(text, 'orvanta-cli', kind)
        if kind == 'throw':
            check('Reason: uncaught exception of type std::runtime_error: crash test' in text,
                  'the uncaught exception is not named')
        shown = symbolised(folder, names[0])
        check(f' in {function}()' in shown, f'orvanta-cli {kind}: the symbolised report does not name {function}:\n'
              + shown[:3000])
        check('crash_test.cpp:' in shown, f'orvanta-cli {kind}: no source line for the crash')


def window_crashes(work):
    for kind, (sig, function) in EXPECTED.items():
        folder = new_folder(work, f'window-{kind}', window=True)
        out = run(os.path.join(folder, 'orvanta'), folder, f'--crash-test={kind}')
        check(out.returncode == -sig, f'the window ({kind}) ended with {out.returncode}: {out.stderr[-1500:]}')
        names = reports(folder)
        if not check(len(names) == 1, f'the window ({kind}) left reports {names}: {out.stderr[-1500:]}'):
            continue
        text = read(folder, names[0])
        check_report(text, 'orvanta', kind)
        check('Chromium: not started' not in text, f'the window\'s report ({kind}) has no Chromium version')
        # The reporter ran (offscreen: it printed the report) and wrote the
        # symbolised stack into the report for the Diagnostics.
        check(f' in {function}()' in out.stdout, f'the window ({kind}) did not start the reporter:\n' + out.stdout[:2000])
        check(f' in {function}()' in text, f'the reporter did not symbolise the stored report ({kind})')


def window_without_reporter(work):
    folder = new_folder(work, 'no-reporter', window=True, reporter=False)
    out = run(os.path.join(folder, 'orvanta'), folder, '--crash-test=abort')
    check(out.returncode == -signal.SIGABRT, f'without a reporter the window ended with {out.returncode}')
    names = reports(folder)
    if check(len(names) == 1, f'without a reporter: reports {names}'):
        check_report(read(folder, names[0]), 'orvanta', 'abort')


def at_most_ten(work):
    folder = new_folder(work, 'many')
    for _ in range(12):
        run(os.path.join(folder, 'orvanta-cli'), folder, '--crash-test=segv')
    names = reports(folder)
    check(len(names) == 10, f'after 12 crashes {len(names)} reports are kept')
    # A run that does not crash keeps them as they are.
    out = run(os.path.join(folder, 'orvanta-cli'), folder, '{"FuncName":"GetCrashReports"}')
    check(out.returncode == 0 and reports(folder) == names, 'a normal run changed the reports')
    check(out.stdout.count('crash-') == 10, 'GetCrashReports does not list the ten reports')


def main():
    work = tempfile.mkdtemp(prefix='orvanta-crash-', dir=os.environ.get('ORVANTA_TEST_WORK'))
    try:
        cli_crashes(work)
        window_crashes(work)
        window_without_reporter(work)
        at_most_ten(work)
    finally:
        shutil.rmtree(work, ignore_errors=True)
        for runtime in RUNTIME.values():
            shutil.rmtree(runtime, ignore_errors=True)
    for failure in failures:
        print('FAIL:', failure)
    if failures:
        sys.exit(1)
    print('every crash left its report, symbolised by the reporter')


main()
