#!/usr/bin/env python3
"""Differential soak: one long generated editing session over a mixed C++
text with the default macro file, played by the native `vorlane play` and by
`vorlane.exe play` with the real DLL under Wine. Their outputs (text and
cursor) must be byte-identical.

usage: soak.py NATIVE_VORLANE WINDOWS_VORLANE_EXE [--events N] [--seed S] [--host far3]

With --host far3 both play through the Far 3 edition (the Windows tool loads
its far3\\vorlane.dll): the text, the keys and the macro file then also hold
Cyrillic letters and characters outside the BMP, and Ctrl+Z takes back steps.
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


# What the Far 3 soak adds: its own default macros (with field stops), a
# macro with a Cyrillic name, text beyond ASCII, and keys that type it, take
# back a step or delete a line.
FAR3_MACROS = '\nMacro \u0435\u0441\u043b\u0438 "sp ( ) sp \u00ab \U0001F600 \u00bb left left left"\n'
FAR3_TEXT = '// \u0442\u0435\u0441\u0442 \u00ab\u0451\u00bb \U0001F600\n{ // \u0431\u043b\u043e\u043a\n'
FAR3_KEYS = ['<C-z>', '<C-y>', '\u0435\u0441\u043b\u0438 ', '\u0451', '\u2192', '\U0001F600']


def generate(rng, events, far3=False):
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
        elif far3 and r < 0.72:
            keys.append(rng.choice(FAR3_KEYS))
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
    far3 = '--host' in args and args[args.index('--host') + 1] == 'far3'
    rng = random.Random(seed)
    keys, menus, count = generate(rng, events, far3)
    answers = ','.join(rng.choice(['1', '2', '-1']) for _ in range(menus)) or '-1'
    work = tempfile.mkdtemp(prefix='vorlane-soak-')
    try:
        open(os.path.join(work, 'main.cpp'), 'w', newline='\r\n', encoding='utf-8').write(
            TEXT + (FAR3_TEXT if far3 else ''))
        open(os.path.join(work, 'keys'), 'w', encoding='utf-8').write(keys)
        default = ['package', 'far3', 'vorlane.mac'] if far3 else ['package', 'vorlane.mac']
        macros = open(os.path.join(ROOT, *default), encoding='utf-8').read()
        open(os.path.join(work, 'vorlane.mac'), 'w', encoding='utf-8').write(macros + (FAR3_MACROS if far3 else ''))
        common = ['play', '--macros', 'vorlane.mac', '--keys-file', 'keys', '--dialog', answers, 'main.cpp']
        if far3:
            common = ['play', '--host', 'far3'] + common[1:]
        outs = []
        for cmd in ([native] + common, [shutil.which('wine') or 'wine', exe] + common):
            for attempt in range(3):
                r = subprocess.run(cmd, cwd=work, capture_output=True, stdin=subprocess.DEVNULL, timeout=1800)
                # Wine now and then cannot start a program at all: try again.
                if not any(f in r.stdout + r.stderr for f in (b'Application could not be started',
                                                                b'ShellExecuteEx failed')):
                    break
            if r.returncode != 0:
                print('FAIL %s exited %d: %r' % (cmd[0], r.returncode, r.stderr[-500:]))
                print('0 passed, 1 failed')
                return 1
            outs.append((r.stdout, r.stderr.replace(b'\r\n', b'\n').strip().split(b'\n')[-1]))
        same = outs[0] == outs[1]
        print('soak%s: %d events (%d menu choices), seed %d, %d bytes of text, %s; native and DLL %s'
              % (' (Far 3)' if far3 else '', count, menus, seed, len(outs[0][0]), outs[0][1].decode(),
                 'agree' if same else 'DIFFER'))
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
