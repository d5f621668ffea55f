#!/usr/bin/env python3
"""Runs the scenario suite through `vorlane play` and compares each result
byte for byte with the scenario's expectation.

usage: run_scenarios.py [--wine | --valgrind] [--host far3] VORLANE SCENARIO_DIR [NAME...]

--valgrind runs the sessions under valgrind's memcheck, all in one process
(`vorlane play-batch`: starting valgrind costs far more than a session); any
error it reports fails the run. --wine runs them in one such process too
(starting a Wine program costs a sixth of a CPU second, a session a few
milliseconds; and Windows' clipboard, which each Far 3 session fills, is
shared by every program under Wine). Otherwise each session is a process of its own,
VORLANE_SCENARIO_JOBS of them at a time (default: four). --host far3 plays
every session through the Far 3 edition (the same expectations hold).

A scenario file (*.scn) holds sections, each opened by a line '=== NAME',
optionally followed by flags:
  === args        one command-line argument per line (after 'play'); @ROOT@
                  stands for the repository's top folder
  === args far3   more arguments, only with --host far3
  === keys        the KEYS; its last line feed is not part of them
  === input       the editor's text; flags: crlf (line feeds become CR LF),
                  noeol (the last line feed is dropped), repeat ({TEXT*N}
                  stands for N copies of TEXT: a long line written in a few
                  characters; '\\n' in TEXT is a line feed)
  === macros      a macro file, copied to macros.mac (same flags as input)
  === file NAME   any other file the session reads (same flags)
  === output      the expected text (same flags)
  === stderr      the expected standard error, whole (default: only the
                  cursor line is compared)
  === cursor      the expected 'LINE:COL'
  === status      the expected exit status (default 0)
  === stderr far3 what standard error holds instead with --host far3 (a trace
                  shows that host's own commands)
  === only 1.x    the scenario is not played with --host far3; the section
                  says why (=== only far3: played with --host far3 only)
Lines before the first section, and lines starting with '#' in args, are
remarks.
"""
import concurrent.futures
import re
import os
import shutil
import subprocess
import sys
import tempfile


def parse(path):
    sections = {}
    order = []
    current = None
    with open(path, 'rb') as f:
        data = f.read()
    for raw in data.split(b'\n'):
        if raw.startswith(b'=== '):
            parts = raw[4:].decode().split()
            flags = ('crlf', 'noeol', 'repeat')
            current = (parts[0], ' '.join(p for p in parts[1:] if p not in flags))
            sections[current] = {'lines': [], 'flags': set(p for p in parts[1:] if p in flags)}
            order.append(current)
        elif current is not None:
            sections[current]['lines'].append(raw)
    out = {}
    for key in order:
        sec = sections[key]
        lines = sec['lines']
        # A scenario file's own last line feed closes the last section.
        if key == order[-1] and lines and lines[-1] == b'':
            lines = lines[:-1]
        if 'repeat' in sec['flags']:
            # (a '\\n' in TEXT is a line feed: N copies of a line)
            lines = [re.sub(rb'\{([^{}*]*)\*(\d+)\}', lambda m: m.group(1).replace(b'\\n', b'\n') * int(m.group(2)),
                            line) for line in lines]
        body = b'\n'.join(lines) + (b'\n' if lines else b'')
        if 'noeol' in sec['flags'] and body.endswith(b'\n'):
            body = body[:-1]
        if 'crlf' in sec['flags']:
            body = body.replace(b'\n', b'\r\n')
        out[key] = body
    return out


# What Wine says when it could not start a program at all: a fault of the
# moment, not of the program.
WINE_START_FAILURES = (b'Application could not be started', b'ShellExecuteEx failed')


def run(cmd, work, wine, name):
    """Runs one session; under Wine a program that hangs or could not be
    started is tried again, up to three times in all."""
    for attempt in range(3):
        try:
            result = subprocess.run(cmd, cwd=work, capture_output=True, stdin=subprocess.DEVNULL, timeout=120)
        except subprocess.TimeoutExpired:
            if not wine or attempt == 2:
                raise
            print('retry %s (Wine did not finish in 120 s)' % name)
            continue
        output = result.stdout + result.stderr
        if wine and attempt < 2 and any(f in output for f in WINE_START_FAILURES):
            print('retry %s (Wine could not start the program)' % name)
            continue
        return result


VALGRIND = ['valgrind', '-q', '--vgdb=no', '--error-exitcode=99', '--leak-check=full',
            '--errors-for-leak-kinds=definite,indirect']


class Result:
    def __init__(self, returncode, stdout, stderr):
        self.returncode, self.stdout, self.stderr = returncode, stdout, stderr


def prepare(scenario, folder, host):
    """Makes the session's folder with its files; returns it and the
    arguments after 'play'."""
    work = tempfile.mkdtemp(prefix='vorlane-scn-')
    args = []
    for (kind, arg), body in scenario.items():
        if kind == 'input':
            open(os.path.join(work, 'input'), 'wb').write(body)
        elif kind == 'macros':
            open(os.path.join(work, 'macros.mac'), 'wb').write(body)
        elif kind == 'file':
            open(os.path.join(work, arg), 'wb').write(body)
    root = os.path.dirname(os.path.dirname(os.path.abspath(folder)))
    for line in scenario.get(('args', ''), b'').decode().split('\n'):
        if line and not line.startswith('#'):
            args.append(line.replace('@ROOT@', root))
    if ('keys', '') in scenario:
        keys = scenario[('keys', '')]
        if keys.endswith(b'\n'):
            keys = keys[:-1]
        open(os.path.join(work, 'keys'), 'wb').write(keys)
        args += ['--keys-file', 'keys']
    if ('macros', '') in scenario:
        args += ['--macros', 'macros.mac']
    if host != '1.x':
        args += ['--host', host]
        for line in scenario.get(('args', 'far3'), b'').decode().split('\n'):
            if line and not line.startswith('#'):
                args.append(line.replace('@ROOT@', root))
    args.append('input')
    return work, args


def problems_of(scenario, result, host, wine):
    problems = []
    status = int(scenario.get(('status', ''), b'0').strip() or b'0')
    if result.returncode != status:
        problems.append('exit status %d, expected %d' % (result.returncode, status))
    if ('output', '') in scenario and result.stdout != scenario[('output', '')]:
        problems.append('output differs:\n  got      %r\n  expected %r'
                        % (result.stdout, scenario[('output', '')]))
    err = result.stderr.replace(b'\r\n', b'\n') if wine else result.stderr
    want_err = scenario.get(('stderr', host), scenario.get(('stderr', '')))
    if want_err is not None and err != want_err:
        problems.append('standard error differs:\n  got      %r\n  expected %r'
                        % (err, want_err))
    if ('cursor', '') in scenario:
        want = b'cursor ' + scenario[('cursor', '')].strip() + b'\n'
        tail = err.split(b'\n')[-2:] if err else [b'']
        got = tail[0] + b'\n' if len(tail) == 2 else b''
        if got != want:
            problems.append('cursor: got %r, expected %r' % (got, want))
    return problems


def windows_path(path):
    """A Linux path as a Wine program names it (Wine's drive Z: is /)."""
    return 'Z:' + path.replace('/', '\\')


def run_batch(tool, sessions, wine=False):
    """Runs every session in one process (`vorlane play-batch`), under
    valgrind, or under Wine. Returns each session's result and what went
    wrong with the process (valgrind's report; empty when clean)."""
    batch = tempfile.mkdtemp(prefix='vorlane-batch-')
    try:
        listing = os.path.join(batch, 'sessions')
        with open(listing, 'w') as f:
            for work, args in sessions:
                f.write('\n'.join([windows_path(work) if wine else work] + args) + '\n\n')
        log = os.path.join(batch, 'valgrind.log')
        if wine:
            # A Wine program that could not start is started again, up to
            # three times in all.
            for attempt in range(3):
                done = subprocess.run([shutil.which('wine') or 'wine', tool, 'play-batch', windows_path(listing)],
                                      capture_output=True, stdin=subprocess.DEVNULL, timeout=600)
                if not any(f in done.stdout + done.stderr for f in WINE_START_FAILURES):
                    break
                print('retry a batch (Wine could not start the program)')
        else:
            done = subprocess.run(VALGRIND + ['--log-file=' + log, tool, 'play-batch', listing],
                                  capture_output=True, stdin=subprocess.DEVNULL, timeout=600)
        report = open(log, 'rb').read() if os.path.exists(log) else b''
        if done.returncode != 0 and not report:
            report = done.stderr or b'play-batch exited with %d' % done.returncode
        results = []
        for work, _ in sessions:
            def read(name):
                path = os.path.join(work, name)
                return open(path, 'rb').read() if os.path.exists(path) else b''
            status = read('status').strip()
            results.append(Result(int(status) if status else -1, read('stdout'), read('stderr')))
        return results, report
    finally:
        shutil.rmtree(batch, ignore_errors=True)


def main():
    args = sys.argv[1:]
    wine = valgrind = False
    host = '1.x'
    while args and args[0] in ('--wine', '--valgrind', '--host'):
        if args[0] == '--wine':
            wine = True
        elif args[0] == '--valgrind':
            valgrind = True
        else:
            host = args[1]
            args = args[1:]
        args = args[1:]
    tool, folder = os.path.abspath(args[0]), args[1]
    only = set(args[2:])
    names = sorted(n for n in os.listdir(folder) if n.endswith('.scn'))
    if only:
        names = [n for n in names if n[:-4] in only]
    passed = failed = skipped = 0
    chosen = []
    for name in names:
        scenario = parse(os.path.join(folder, name))
        # The Windows build has no --explain: those scenarios are native only.
        if wine and b'--explain' in scenario.get(('args', ''), b'').split(b'\n'):
            skipped += 1
            print('skip %s (native only)' % name)
            continue
        only = [arg for (kind, arg) in scenario if kind == 'only']
        if only and host not in only:
            skipped += 1
            reason = scenario[('only', only[0])].decode().strip().replace('\n', ' ')
            print('skip %s (%s only: %s)' % (name, only[0], reason))
            continue
        chosen.append((name, scenario))

    sessions = [prepare(scenario, folder, host) for _, scenario in chosen]
    try:
        if valgrind:
            results, report = run_batch(tool, sessions)
            if report:
                failed += 1
                print('FAIL valgrind reported errors in the batch:\n%s'
                      % report.decode(errors='replace')[-4000:])
        elif wine:
            # One process: every Far 3 session puts its clipboard on Windows'
            # own, which all programs under the Wine server share.
            results, report = run_batch(tool, sessions, wine=True)
            if report:
                failed += 1
                print('FAIL the batch under Wine: %s' % report.decode(errors='replace')[-4000:])
        else:
            prefix = [shutil.which('wine') or 'wine'] if wine else []
            jobs = int(os.environ.get('VORLANE_SCENARIO_JOBS', '4'))
            with concurrent.futures.ThreadPoolExecutor(max_workers=max(1, jobs)) as pool:
                results = list(pool.map(
                    lambda one: run(prefix + [tool, 'play'] + one[1][1], one[1][0], wine, one[0][0]),
                    zip(chosen, sessions)))
        for (name, scenario), (work, session_args), result in zip(chosen, sessions, results):
            problems = problems_of(scenario, result, host, wine)
            if problems:
                failed += 1
                print('FAIL %s\n  %s\n  %s' % (name, ' '.join([tool, 'play'] + session_args),
                                               '\n  '.join(problems)))
                if result.stderr:
                    print('  stderr: %r' % result.stderr[-2000:])
            else:
                passed += 1
                print('ok   %s' % name)
    finally:
        for work, _ in sessions:
            shutil.rmtree(work, ignore_errors=True)
    print('%d passed, %d failed, %d skipped' % (passed, failed, skipped))
    return 1 if failed or not passed else 0


if __name__ == '__main__':
    sys.exit(main())
