#!/usr/bin/env python3
"""Runs `vorlane retype` (the C/C++ indentation measure) on the small files in
this folder and compares its standard output and exit status with what is
expected: a tab-indented file with a line indented by hand, a blank line
skipped, a CR LF file whose style shows only after its first nested line.

usage: run_retype.py VORLANE
"""
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))

CASES = [
    # Misses say where, as written and as typed; the total adds both files.
    (['--misses', 'tabs.c', 'spaces.cpp'],
     "tabs.c:6: want '  wrong();'\n"
     "         got  '\\twrong();'\n"
     "tabs.c:8: want '\\treturn 0;'\n"
     "         got  '  return 0;'\n"
     "tabs.c: 5 of 7 lines as written (71.4 %)\n"
     "spaces.cpp:2: want '    int a;'\n"
     "             got  '\\tint a;'\n"
     "spaces.cpp: 2 of 3 lines as written (66.7 %)\n"
     "total: 7 of 10 lines as written (70.0 %)\n", 0),
    # The editor's own settings: expanded tabs of four place the first member.
    (['--expand-tabs', '--tab-size', '4', 'spaces.cpp'],
     "spaces.cpp: 3 of 3 lines as written (100.0 %)\n"
     "total: 3 of 3 lines as written (100.0 %)\n", 0),
    # Without the plug-in's indentation: the host's Enter, with auto indent and without.
    (['--no-indentation', '--auto-indent', 'tabs.c'],
     "tabs.c: 4 of 7 lines as written (57.1 %)\n"
     "total: 4 of 7 lines as written (57.1 %)\n", 0),
    (['--no-indentation', 'tabs.c'],
     "tabs.c: 3 of 7 lines as written (42.9 %)\n"
     "total: 3 of 7 lines as written (42.9 %)\n", 0),
    # A file that cannot be read fails the run.
    (['missing.c'], "total: 0 of 0 lines as written (100.0 %)\n", 1),
    # Tab sizes from 1 to 512; outside them nothing runs (status 2).
    (['--tab-size', '1', 'spaces.cpp'],
     "spaces.cpp: 2 of 3 lines as written (66.7 %)\n"
     "total: 2 of 3 lines as written (66.7 %)\n", 0),
    (['--tab-size', '512', 'spaces.cpp'],
     "spaces.cpp: 2 of 3 lines as written (66.7 %)\n"
     "total: 2 of 3 lines as written (66.7 %)\n", 0),
    (['--tab-size', '0', 'spaces.cpp'], "", 2),
    (['--tab-size', '513', 'spaces.cpp'], "", 2),
    (['-x', 'spaces.cpp'], "", 2),  # an option of one dash is no file's name either
]


def main():
    vorlane = os.path.abspath(sys.argv[1])
    prefix = sys.argv[2:]  # e.g. wine
    failed = 0
    for args, want, status in CASES:
        # Its own temporary folder, which the run must leave empty.
        with tempfile.TemporaryDirectory() as tmp:
            env = dict(os.environ, TMPDIR=tmp)
            run = subprocess.run(prefix + [vorlane, 'retype'] + args, cwd=HERE, capture_output=True, env=env)
            left = os.listdir(tmp)
        got = run.stdout.decode('utf-8', 'replace').replace('\r\n', '\n')
        if left:
            failed += 1
            print('FAIL retype %s\n  left in the temporary folder: %s' % (' '.join(args), ', '.join(left)))
        elif got != want or run.returncode != status:
            failed += 1
            print('FAIL retype %s\n  status %d, expected %d\n  got:\n%s  expected:\n%s' %
                  (' '.join(args), run.returncode, status, got, want))
        else:
            print('ok   retype %s' % ' '.join(args))
    print('%d passed, %d failed' % (len(CASES) - failed, failed))
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
