#!/usr/bin/env python3
"""Differential soak: one long generated editing session over a mixed C++
text with the default macro file, played by the native `vorlane play` and by
`vorlane.exe play` with the real DLL under Wine. Their outputs (text and
cursor) must be byte-identical.

usage: soak.py NATIVE_VORLANE WINDOWS_VORLANE_EXE [--events N] [--seed S]
"""
import os
import random
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

TEXT = '''#include <stdio.h>

struct point {
    int x, y;
};

int main(int argc, char **argv)
{
    if (argc > 1) {
        printf("%s\\n", argv[1]);
    }
\tfor (int i = 0; i < 3; i++)
\t{
\t\tputs("x");
\t}
    return 0;
}
'''

WORDS = ['if', 'for', 'while', 'else', 'do', 'switch', 'case', 'main', 'inc', 'def', 'pr',
         'class', 'struct', 'ret', 'x', 'int', 'y = 1;', '//', '{', '}']
NAMED = ['<Enter>', '<Tab>', '<BS>', '<Del>', '<Left>', '<Right>', '<Up>', '<Down>', '<Home>', '<End>']


def generate(rng, events):
    keys = []
    menus = 0
    count = 0
    while count < events:
        r = rng.random()
        if r < 0.25:
            word = rng.choice(WORDS)
            keys.append(word.replace('<', '<lt>') + ' ')
            count += len(word) + 1
        elif r < 0.45:
            keys.append(rng.choice(NAMED))
        elif r < 0.55:
            keys.append(rng.choice(['}', '{', ' ', '<Enter>']))
        elif r < 0.62:
            keys.append(rng.choice(['<S-Enter>', '<C-Enter>', '<C-x>', '<A-Tab>', '<S-a>']))
        elif r < 0.68:
            keys.append(rng.choice(['<Release:Space>', '<Release:Enter>', '<Mouse>', '<Focus>']))
        elif r < 0.685:
            keys.append('<Menu>')
            menus += 1
        else:
            keys.append(rng.choice('abcdefghijklmnopqrstuvwxyz0123456789;()=+-*/,."'))
        count += 1
    return ''.join(keys), menus, count


def main():
    args = sys.argv[1:]
    native, exe = os.path.abspath(args[0]), os.path.abspath(args[1])
    events, seed = 20000, 1
    if '--events' in args:
        events = int(args[args.index('--events') + 1])
    if '--seed' in args:
        seed = int(args[args.index('--seed') + 1])
    rng = random.Random(seed)
    keys, menus, count = generate(rng, events)
    answers = ','.join(rng.choice(['1', '2', '-1']) for _ in range(menus)) or '-1'
    work = tempfile.mkdtemp(prefix='vorlane-soak-')
    try:
        open(os.path.join(work, 'main.cpp'), 'w', newline='\r\n').write(TEXT)
        open(os.path.join(work, 'keys'), 'w').write(keys)
        shutil.copy(os.path.join(ROOT, 'package', 'vorlane.mac'), os.path.join(work, 'vorlane.mac'))
        common = ['play', '--macros', 'vorlane.mac', '--keys-file', 'keys', '--dialog', answers, 'main.cpp']
        outs = []
        for cmd in ([native] + common, [shutil.which('wine') or 'wine', exe] + common):
            r = subprocess.run(cmd, cwd=work, capture_output=True, stdin=subprocess.DEVNULL, timeout=1800)
            if r.returncode != 0:
                print('FAIL %s exited %d: %r' % (cmd[0], r.returncode, r.stderr[-500:]))
                print('0 passed, 1 failed')
                return 1
            outs.append((r.stdout, r.stderr.replace(b'\r\n', b'\n').strip().split(b'\n')[-1]))
        same = outs[0] == outs[1]
        print('soak: %d events (%d menu choices), seed %d, %d bytes of text, %s; native and DLL %s'
              % (count, menus, seed, len(outs[0][0]), outs[0][1].decode(), 'agree' if same else 'DIFFER'))
        if not same:
            a, b = outs[0][0], outs[1][0]
            i = next((k for k in range(min(len(a), len(b))) if a[k] != b[k]), min(len(a), len(b)))
            print('first difference at byte %d: native %r, DLL %r; cursors %r %r'
                  % (i, a[i:i + 40], b[i:i + 40], outs[0][1], outs[1][1]))
        print('%d passed, %d failed' % (1 if same else 0, 0 if same else 1))
        return 0 if same else 1
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == '__main__':
    sys.exit(main())
