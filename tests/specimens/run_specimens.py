#!/usr/bin/env python3
"""Types the style specimens in this folder whole: each is a file written in
one indentation style, holding the constructs the reading knows. For every
line, `vorlane retype --below` opens the file without that line, presses
Enter at the end of the line above and types the line's text: every line
must come out as written. `vorlane indent --check` re-indents each whole
file: no line may move. Then three of its code lines that end a statement or
open or close a block, one at a time, are moved four columns by hand and the
file re-indented whole: no other line may move (one line out of place must
not cascade).

usage: run_specimens.py [--wine] VORLANE [SPECIMEN...]
"""
import os
import random
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))

# The editor's settings a specimen is written for (Far's defaults otherwise:
# tab size 8, tabs kept).
SETTINGS = {
    'mixed_tabs4.c': ['--tab-size', '4'],
}


def run(prefix, tool, args):
    r = subprocess.run(prefix + [tool] + args, cwd=HERE, capture_output=True, timeout=600)
    return r.returncode, r.stdout.decode('utf-8', errors='replace').replace('\r\n', '\n')


def Cascades(prefix, tool, settings, name):
    """Lines other than the moved one that a whole re-indent moves, after
    one code line at a time was moved by hand; '' when none."""
    with open(os.path.join(HERE, name), encoding='utf-8') as f:
        lines = f.read().split('\n')
    # Lines that end a statement or open or close a block: the line below a
    # line left open (a head, arguments going on) stands relative to it, and
    # a whole re-indent learns that relation from the lines as they stand.
    code = [i for i, l in enumerate(lines) if i > 0 and l.strip() and not l.lstrip().startswith(('*', '/', '#'))
            and l.rstrip().endswith((';', '{', '}'))]
    random.seed(name)
    report = ''
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, name)
        for i in sorted(random.sample(code, 3)):
            moved = list(lines)
            moved[i] = '    ' + moved[i]
            with open(path, 'w', encoding='utf-8', newline='') as f:
                f.write('\n'.join(moved))
            r = subprocess.run(prefix + [tool, 'indent'] + settings + ['--', path], capture_output=True, timeout=600)
            out = r.stdout.decode('utf-8', errors='replace').replace('\r\n', '\n').split('\n')
            others = [k + 1 for k in range(min(len(out), len(lines))) if k != i and out[k] != lines[k]]
            if others or len(out) != len(lines):
                report += '%s: line %d moved by hand moved lines %s\n' % (name, i + 1, others[:8])
    return report


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
        moved = Cascades(prefix, tool, settings, name)
        if moved:
            kept = False
            whole += moved
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
