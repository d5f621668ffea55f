#!/usr/bin/env python3
"""Runs `vorlane import` on the snippet files in this folder, compares its
output, notes and exit status with what is expected, checks every output with
`vorlane check --host far3` and plays the imported macros through
`vorlane play --host far3`.

usage: run_import.py VORLANE
"""
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))


def expected(name):
    with open(os.path.join(HERE, name), 'rb') as f:
        return f.read()


CASES = [
    # files, expected standard output, expected standard error, exit status
    # Every feature of a snippet file: scopes, prefix lists, placeholders,
    # mirrors, choices, nested stops, variables, escapes; what cannot be
    # carried over is skipped with a note (status 1).
    (['features.code-snippets'], expected('features.expected'), expected('features.notes'), 1),
    # On Space instead of Tab: `Macro` lines, and a prefix with a space skipped.
    (['--on-space', 'features.code-snippets'], expected('features_space.expected'),
     expected('features_space.notes'), 1),
    # A per-language file with comments and trailing commas: all written.
    (['cpp.json'], expected('cpp.expected'), b'', 0),
    # ...named through a folder: the language from the file's own name.
    (['../import/cpp.json'], expected('cpp.expected'), b'', 0),
    # Two files: one section per set of masks, whichever file gave it.
    (['cpp.json', 'features.code-snippets'], None, None, 1),
    # Control characters: a description's become spaces (0x1A would end the
    # file's data there), a prefix holding one is skipped.
    (['controls.json'], expected('controls.expected'), expected('controls.notes'), 1),
    # A number's first default wins, the later one noted; $9 stays field9; a
    # two-item choice's note in the singular; a known variable without its
    # default. Notes alone leave the status 0.
    (['details.code-snippets'], expected('details.expected'), expected('details.notes'), 0),
    # A snippet without a prefix is skipped: status 1 though nothing else is wrong.
    # A 40-line snippet with variables, a transformation, a choice and the
    # selection: written whole, no note.
    (['long.code-snippets'], expected('long.expected'), b'', 0),
    (['noprefix.json'], None, b"noprefix.json:3:13: note: 'no name': no prefix to type: the snippet is skipped\n", 1),
    # A file the parser rejects: its line and column, status 2.
    (['broken.json'], b'', b'broken.json:4:25: error: cannot be read as JSON: '
                           b"Missing ',' or ']' in array declaration\n", 2),
    # JSON, but no object of snippets.
    (['array.json'], b'', b'array.json:1:1: error: not a snippet file: an object of snippets is expected\n', 2),
    # Nesting deeper than the parser's limit: refused at the file's start.
    (['deep.json'], b'', b'deep.json:1:1: error: cannot be read as JSON: Exceeded stackLimit in readValue().\n', 2),
    (['absent.json', 'cpp.json'], expected('cpp.expected'), b'absent.json: error: cannot read the file\n', 2),
    # A file whose name names no language (doc-comment packs): --language
    # gives its snippets their files; an unknown one is a usage error.
    (['--language', 'c', 'cdoc.json'], expected('cdoc.expected'), b'', 0),
    (['--language', 'klingon', 'cdoc.json'], b'', None, 2),
    ([], b'', None, 2),
]

# Sessions with imported macros: files, the edited file's name, keys, text
# before and after.
PLAYS = [
    # A body's tab is the file's unit: spaces after spaces (the editor's tab
    # size where the file shows no unit yet, as Enter's).
    (['cpp.json'], 'main.cpp', '    for<Tab><Tab>j<Tab>len<Tab>x', '\n',
     '    for (int j = 0; j < len; ++j) {\n            x\n    }\n'),
    (['cpp.json'], 'shape.hpp', 'class<Tab>Shape<Down><End>', '\n',
     'class Shape {\npublic:\n\tShape();\n};\n'),
    (['features.code-snippets'], 'a.c', 'pr<Tab><Tab>n<Tab>;', '\n', 'printf("%d\\n", n);;\n'),
    (['features.code-snippets'], 'a.cpp', 'pr<Tab><S-Tab>', '\n', "std::cout << value << '\\n';\n"),
    (['features.code-snippets'], 'a.cpp', 'swap<Tab>int<Tab>x<Tab>y', '\n', 'int tmp = x;\nx = y;\ny = tmp;\n'),
    (['features.code-snippets'], 'a.cpp', 'sout<Tab>', '\n', 'sout\t\n'),
    (['--on-space', 'features.code-snippets'], 'a.cpp', 'swap int<Tab>x<Tab>y', '\n',
     'int tmp = x;\nx = y;\ny = tmp;\n'),
    # A prefix with a space, behind other text, the text after the cursor kept.
    (['features.code-snippets'], 'a.cpp', 'f(y = two words<Tab>);', '\n', 'f(y = x);\n'),
    (['long.code-snippets'], 'C:\\src\\my_widget.h', 'longh<Tab><Esc>Shape', '\n', None),
    # A pack whose prefixes are the language's own words: typing them goes on
    # as typed; Tab behind one expands it.
    (['pack.code-snippets'], 'a.cpp', 'class Foo {', '\n', 'class Foo {\n'),
    (['pack.code-snippets'], 'a.cpp', 'return x;', '\n', 'return x;\n'),
    (['pack.code-snippets'], 'a.cpp', 'case 3:', '\n', 'case 3:\n'),
    (['pack.code-snippets'], 'a.cpp', '// note', '\n', '// note\n'),
    (['pack.code-snippets'], 'a.cpp', 'class<Tab>Foo<Tab>int n;', '\n',
     'class Foo {\npublic:\n\tFoo();\n\nprivate:\n\tint n;\n};\n'),
    (['pack.code-snippets'], 'a.cpp', '    x = std::cout<Tab>n', '\n', "    x = std::cout << n << '\\n';\n"),
    (['pack.code-snippets'], 'a.cpp', '} else if<Tab>a', '\n', '} else if (a) {\n\t\n}\n'),
]


def run(cmd, **kw):
    return subprocess.run(cmd, capture_output=True, stdin=subprocess.DEVNULL, timeout=120, **kw)


def main():
    tool = os.path.abspath(sys.argv[1])
    passed = failed = 0
    for files, out, err, status in CASES:
        r = run([tool, 'import'] + files, cwd=HERE)
        problems = []
        if r.returncode != status:
            problems.append('exit status %d, expected %d' % (r.returncode, status))
        if out is not None and r.stdout != out:
            problems.append('standard output differs:\n  got      %r\n  expected %r' % (r.stdout, out))
        if err is not None and r.stderr != err:
            problems.append('standard error differs:\n  got      %r\n  expected %r' % (r.stderr, err))
        if r.stdout:
            with tempfile.TemporaryDirectory() as tmp:
                path = os.path.join(tmp, 'imported.mac')
                with open(path, 'wb') as f:
                    f.write(r.stdout)
                c = run([tool, 'check', '--host', 'far3', path])
                if c.returncode != 0 or b': error:' in c.stdout:
                    problems.append('the output does not pass the check:\n' + c.stdout.decode())
        name = 'import ' + ' '.join(files)
        if problems:
            failed += 1
            print('FAIL ' + name)
            for p in problems:
                print('  ' + p)
        else:
            passed += 1
            print('ok   ' + name)
    for files, name, keys, before, after in PLAYS:
        with tempfile.TemporaryDirectory() as tmp:
            r = run([tool, 'import'] + files, cwd=HERE)
            macros = os.path.join(tmp, 'imported.mac')
            text = os.path.join(tmp, 'input')
            with open(macros, 'wb') as f:
                f.write(r.stdout)
            with open(text, 'w') as f:
                f.write(before)
            p = run([tool, 'play', '--host', 'far3', '--macros', macros, '--name', name, '--keys', keys, text])
            label = 'play %s in %s: %s' % (' '.join(files), name, keys)
            # A long body: its 40 lines are all there, the stop renamed.
            if after is None:
                after = p.stdout.decode() if p.stdout.count(b'\n') == 40 and b'class Shape {' in p.stdout and \
                    b'#define MY_WIDGET_H' in p.stdout else '(40 lines with class Shape and the guard)'
            if p.returncode != 0 or p.stdout != after.encode():
                failed += 1
                print('FAIL ' + label)
                print('  got      %r (status %d)\n  expected %r' % (p.stdout, p.returncode, after.encode()))
            else:
                passed += 1
                print('ok   ' + label)
    print('%d passed, %d failed' % (passed, failed))
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
