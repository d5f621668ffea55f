#!/usr/bin/env python3
"""Types the style specimens in this folder whole: each is a file written in
one indentation style, holding the constructs the reading knows. For every
line, `vorlane retype --below` opens the file without that line, presses
Enter at the end of the line above and types the line's text: every line
must come out as written. `vorlane indent --check` re-indents each whole
file: no line may move.

usage: run_specimens.py [--wine] VORLANE [SPECIMEN...]
"""
import os
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))

# The editor's settings a specimen is written for (Far's defaults otherwise:
# tab size 8, tabs kept).
SETTINGS = {
    'mixed_tabs4.c': ['--tab-size', '4'],
}


def run(prefix, tool, args):
    r = subprocess.run(prefix + [tool] + args, cwd=HERE, capture_output=True, timeout=600)
    return r.returncode, r.stdout.decode('utf-8', errors='replace').replace('\r\n', '\n')


def main():
    args = sys.argv[1:]
    prefix = []
    if args and args[0] == '--wine':
        prefix = [shutil.which('wine') or 'wine']
        args = args[1:]
    tool = os.path.abspath(args[0])
    names = args[1:] or sorted(n for n in os.listdir(HERE) if n.endswith(('.c', '.cc', '.cpp', '.h')))
    failed = 0
    for name in names:
        settings = SETTINGS.get(name, [])
        status, out = run(prefix, tool, ['retype', '--below', '--misses'] + settings + ['--', name])
        typed = status == 0 and out.endswith('(100.0 %)\n') and '\ntotal: ' in '\n' + out
        status, whole = run(prefix, tool, ['indent', '--check'] + settings + ['--', name])
        kept = status == 0
        if typed and kept:
            print('ok   %s' % name)
            continue
        failed += 1
        print('FAIL %s' % name)
        if not typed:
            print(out, end='')
        if not kept:
            print(whole, end='')
    print('%d specimens, %d failed' % (len(names), failed))
    return 1 if failed or not names else 0


if __name__ == '__main__':
    sys.exit(main())
