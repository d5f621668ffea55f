#!/usr/bin/env python3
"""Runs `vorlane indent` on small files: its output, --check (lines, shares,
exit status) and --in-place; line ends, bytes that are not UTF-8 and a last
line without a line break come back as they were.

usage: run_indent.py [--wine] VORLANE
"""
import os
import shutil
import subprocess
import sys
import tempfile

# A tab-indented file, written with CR LF, a byte that is no UTF-8 in a
# comment, lines off their place, and no line break at its end.
MIXED = (b'int f(int a)\r\n{\r\n\tint b = a; /* \xff */\r\n  if (a) {\r\n        b++;\r\n\t}\r\n'
         b'\treturn b;\r\n}')
MIXED_OUT = (b'int f(int a)\r\n{\r\n\tint b = a; /* \xff */\r\n\tif (a) {\r\n\t\tb++;\r\n\t}\r\n'
             b'\treturn b;\r\n}')
# Code commented out at column 0 inside a body (a run of such lines) stays there.
RIGHT = b'int g(void)\n{\n//\tint unused;\n//\tunused = 1;\n    return 0;\n}\n'
# Return types alone on their line four in over the name, the second after a
# blank line and ending with a capitalised type's name: both where they stand.
TYPES = b'    int\nf(void)\n{\n    return 0;\n}\n\n    static BOOL\ng(void)\n{\n    return 1;\n}\n'


def main():
    args = sys.argv[1:]
    prefix = []
    if args[0] == '--wine':
        prefix = [shutil.which('wine') or 'wine']
        args = args[1:]
    tool = os.path.abspath(args[0])
    failed = passed = 0

    def check(label, ok, detail=''):
        nonlocal failed, passed
        if ok:
            passed += 1
            print('ok   ' + label)
        else:
            failed += 1
            print('FAIL ' + label + ('\n  ' + detail if detail else ''))

    with tempfile.TemporaryDirectory() as tmp:
        mixed = os.path.join(tmp, 'mixed.c')
        right = os.path.join(tmp, 'right.c')
        with open(mixed, 'wb') as f:
            f.write(MIXED)
        with open(right, 'wb') as f:
            f.write(RIGHT)

        def run(*a):
            return subprocess.run(prefix + [tool, 'indent'] + list(a), cwd=tmp, capture_output=True,
                                  stdin=subprocess.DEVNULL, timeout=120)

        r = run('mixed.c')
        check('indent mixed.c: the file re-indented on standard output', r.returncode == 0 and r.stdout == MIXED_OUT,
              '%r (status %d)' % (r.stdout, r.returncode))
        r = run('--check', 'mixed.c', 'right.c')
        out = r.stdout.replace(b'\r\n', b'\n')
        want = (b'mixed.c:4\nmixed.c:5\nmixed.c: 6 of 8 lines as written (75.0 %)\n'
                b'right.c: 6 of 6 lines as written (100.0 %)\ntotal: 12 of 14 lines as written (85.7 %)\n')
        check('indent --check: the lines that would change, the shares, status 1',
              r.returncode == 1 and out == want, '%r (status %d)' % (out, r.returncode))
        r = run('--check', 'right.c')
        check('indent --check on a file as it should be: status 0', r.returncode == 0, 'status %d' % r.returncode)
        with open(os.path.join(tmp, 'types.c'), 'wb') as f:
            f.write(TYPES)
        r = run('--check', 'types.c')
        check('indent --check: types alone on their line stay four in', r.returncode == 0,
              r.stdout.decode(errors='replace'))
        with open(mixed, 'rb') as f:
            unchanged = f.read() == MIXED
        check('indent --check writes nothing', unchanged)
        r = run('--in-place', 'mixed.c')
        with open(mixed, 'rb') as f:
            written = f.read()
        check('indent --in-place writes the file back', r.returncode == 0 and written == MIXED_OUT and not r.stdout,
              '%r (status %d)' % (written, r.returncode))
        r = run('--check', 'mixed.c')
        check('a re-indented file is left as it is', r.returncode == 0, r.stdout.decode(errors='replace'))
        r = run('absent.c')
        check('a file that cannot be read: status 1', r.returncode == 1 and b'absent.c' in r.stderr,
              '%r (status %d)' % (r.stderr, r.returncode))
        r = run('--in-place', '--check', 'right.c')
        check('--in-place with --check: usage, status 2', r.returncode == 2, 'status %d' % r.returncode)
    print('%d passed, %d failed' % (passed, failed))
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
