#!/usr/bin/env python3
"""Runs `vorlane check` on the files in this folder and compares its output
and exit status with what is expected.

usage: run_check.py [--wine] VORLANE
"""
import concurrent.futures
import os
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def expected(name):
    with open(os.path.join(HERE, name), 'rb') as f:
        return f.read()


CASES = [
    # arguments, expected standard output (None: not compared), exit status
    (['findings.mac'], expected('findings.expected'), 1),
    (['--strict', '../../package/vorlane.mac'], b'', 0),
    (['--list', '../../package/vorlane.mac'], expected('default.list'), 0),
    (['warnings.mac'], None, 0),
    (['--strict', 'warnings.mac'], None, 1),
    # Notes alone pass --strict.
    (['--strict', 'notes.mac'], None, 0),
    (['absent.mac', 'warnings.mac'],
     b'absent.mac: error: cannot read the file\n' + expected('warnings.expected'), 1),
    # A folder is no macro file, whether or not the system lets it be opened.
    (['.'], b'.: error: cannot read the file\n', 1),
    # Far 3 reads UTF-8: each invalid sequence is an error; limits count UTF-16 units.
    (['--host', 'far3', 'far3.mac'], expected('far3.expected'), 1),
    (['--host', 'far3', '--strict', '../../package/vorlane.mac'], b'', 0),
    (['--host', 'far3', '--strict', '../../package/far3/vorlane.mac'], b'', 0),
    # Field stops: Far 3 only, at most 32 in a body.
    (['--host', 'far3', 'fields.mac'], expected('fields_far3.expected'), 0),
    # ...and a word that only looks like one ('fielx1') is no stop.
    (['--host', 'far3', '--list', 'fields.mac'], expected('fields_far3.list'), 0),
    (['fields.mac'], expected('fields_1x.expected'), 0),
    # In 1.x 'field' types nothing: the list of keys does not show it.
    (['--list', 'fields.mac'], expected('fields_1x.list'), 0),
    # The template words: Far 3 finds a default without a stop, two defaults
    # for one number, a number past 9; 1.x notes once a body that they type
    # nothing.
    (['--host', 'far3', 'templates.mac'], expected('templates_far3.expected'), 1),
    (['templates.mac'], expected('templates_1x.expected'), 0),
    # Variables and transformations: Far 3 reports an expression that does
    # not compile, a transformation without its variable or its 're', and
    # holds a body of any length; 1.x notes that the words type nothing and
    # keeps its 511-byte limit.
    (['--host', 'far3', 'variables.mac'], expected('variables_far3.expected'), 1),
    (['variables.mac'], expected('variables_1x.expected'), 1),
    # Sections: Far 3 rejects what its masks reject and a name twice in one
    # section; 1.x notes once that they are remarks there.
    (['--host', 'far3', 'sections.mac'], expected('sections_far3.expected'), 1),
    (['sections.mac'], expected('sections_1x.expected'), 1),
    # Triggers: Far 3 keeps Tab and list macros (a quoted name may hold a
    # blank, an empty one is left out); 1.x notes once that they are remarks.
    (['--host', 'far3', '--list', 'triggers.mac'], expected('triggers_far3.list'), 1),
    (['triggers.mac'], expected('triggers_1x.expected'), 1),
    # A line longer than the reader's buffer: said once, where it is cut.
    (['longline.mac'], expected('longline.expected'), 0),
    # Only the file's first line may begin with a byte-order mark: a later
    # one (two files joined) makes its line a remark, as in the plug-in.
    (['--host', 'far3', '--list', 'bom.mac'], expected('bom.list'), 0),
    # A 1.x body byte of 0x80 and above is typed as an OEM character: a note.
    (['--oem', '866', 'oem.mac'], expected('oem.expected'), 0),
    (['--oem', '1251', 'oem.mac'], b'', 2),
    ([], b'', 2),
    (['--bogus', 'warnings.mac'], b'', 2),
]


def main():
    args = sys.argv[1:]
    prefix = []
    if args[0] == '--wine':
        prefix = [shutil.which('wine') or 'wine']
        args = args[1:]
    tool = os.path.abspath(args[0])
    passed = failed = 0
    # Four at a time: a Wine program spends most of its start waiting.
    def check(case):
        return subprocess.run(prefix + [tool, 'check'] + case[0], cwd=HERE, capture_output=True,
                              stdin=subprocess.DEVNULL, timeout=120)
    with concurrent.futures.ThreadPoolExecutor(max_workers=4) as pool:
        runs = list(pool.map(check, CASES))
    for (argv, want, status), r in zip(CASES, runs):
        out = r.stdout.replace(b'\r\n', b'\n') if prefix else r.stdout
        problems = []
        if r.returncode != status:
            problems.append('exit status %d, expected %d' % (r.returncode, status))
        if want is not None and out != want:
            problems.append('output differs:\n%s\n--- expected:\n%s' % (out.decode('latin-1'), want.decode('latin-1')))
        if problems:
            failed += 1
            print('FAIL check %s\n  %s' % (' '.join(argv), '\n  '.join(problems)))
        else:
            passed += 1
            print('ok   check %s' % ' '.join(argv))
    print('%d passed, %d failed' % (passed, failed))
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
