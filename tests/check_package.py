#!/usr/bin/env python3
"""Checks the package that the `dist` target lays out: its files, the zip,
the DLL's size and version resource, and the text files' form.

usage: check_package.py DIST_DIR VERSION [--far3 ARCH]

With --far3 it checks the Far 3 package vorlane-far3-ARCH/ instead of the
1.x one.
"""
import os
import re
import sys
import zipfile

FILES = ['readme.txt', 'vorlane.dll', 'vorlane.exe', 'vorlane.mac', 'vorlane_eng.lng', 'vorlane_rus.lng']
FAR3_FILES = ['readme.txt', 'vorlane.dll', 'vorlane.mac', 'vorlane_eng.hlf', 'vorlane_eng.lng',
              'vorlane_rus.hlf', 'vorlane_rus.lng']


def shown(text):
    """The columns a text takes: the hot key's '&' takes none."""
    return len(text.replace('&', '', 1))


def buttons(texts):
    """A centred button row: each text in brackets with a space on each side,
    one column between them."""
    return sum(shown(t) + 4 for t in texts) + len(texts) - 1


def dialog_problems(lng, msgs, far3):
    """The dialogs the language file's texts go into must fit: the 1.x reload
    dialog is 35 wide with its frame from column 1 to 33; the Far 3 dialogs
    grow with their texts up to 80 columns (frame and margins take 10)."""
    problems = []
    if not far3:
        row = buttons(msgs[2:4])
        start = (35 - row) // 2
        if start < 2 or start + row - 1 > 32:
            problems.append('%s: the reload dialog\'s buttons take %d columns, more than the 31 inside its frame' % (lng, row))
        return problems
    reload_content = max(buttons(msgs[2:5]), shown(msgs[1]))
    config_content = max([buttons(msgs[11:13]), shown(msgs[6]), shown(msgs[7])] +
                         [shown(m) + 4 for m in msgs[8:11] + msgs[18:19]])
    for name, content in [('reload', reload_content), ('configuration', config_content)]:
        if content + 10 > 80:
            problems.append('%s: the %s dialog would need %d columns, more than 80' % (lng, name, content + 10))
    return problems


def main():
    dist, version = sys.argv[1], sys.argv[2]
    far3 = sys.argv[4] if len(sys.argv) > 4 and sys.argv[3] == '--far3' else None
    name = 'vorlane-far3-' + far3 if far3 else 'vorlane'
    files = FAR3_FILES if far3 else FILES
    # KiB: the Far 3 DLLs carry the C/C++ reading for indentation and the
    # standard library's regular expressions (with its locales) besides.
    limit = 1536 if far3 else 32
    folder = os.path.join(dist, name)
    problems = []

    present = sorted(os.listdir(folder))
    if present != files:
        problems.append('package folder holds %s, expected %s' % (present, files))

    zpath = os.path.join(dist, 'vorlane-%s-%s.zip' % (version, 'far3-' + far3 if far3 else 'win32'))
    with zipfile.ZipFile(zpath) as z:
        names = sorted(n for n in z.namelist() if not n.endswith('/'))
        if names != [name + '/' + f for f in files]:
            problems.append('zip holds %s' % names)
        for f in files:
            if z.read(name + '/' + f) != open(os.path.join(folder, f), 'rb').read():
                problems.append('zip copy of %s differs' % f)

    dll = open(os.path.join(folder, 'vorlane.dll'), 'rb').read()
    if len(dll) >= limit * 1024:
        problems.append('vorlane.dll is %d bytes, not under %d KiB' % (len(dll), limit))
    # The PE header names the machine: i386 0x14C, x86-64 0x8664.
    pe = int.from_bytes(dll[0x3C:0x40], 'little')
    machine = int.from_bytes(dll[pe + 4:pe + 6], 'little')
    want = 0x8664 if far3 == 'x64' else 0x14C
    if machine != want:
        problems.append('vorlane.dll is for machine 0x%X, expected 0x%X' % (machine, want))
    for key, value in [('FileVersion', version), ('ProductVersion', version), ('ProductName', 'vorlane'),
                       ('OriginalFilename', 'vorlane.dll')]:
        wanted = (key + '\0').encode('utf-16-le')
        at = dll.find(wanted)
        if at < 0:
            problems.append('version resource lacks %s' % key)
            continue
        if value.encode('utf-16-le') not in dll[at:at + 200]:
            problems.append('version resource %s is not %s' % (key, value))
    # The binary VS_FIXEDFILEINFO carries the same version.
    major, minor, patch = (int(x) for x in version.split('.'))
    fixed = (0xFEEF04BD).to_bytes(4, 'little')
    at = dll.find(fixed)
    if at < 0:
        problems.append('no fixed file info')
    else:
        ms = int.from_bytes(dll[at + 8:at + 12], 'little')
        ls = int.from_bytes(dll[at + 12:at + 16], 'little')
        if (ms >> 16, ms & 0xFFFF, ls >> 16) != (major, minor, patch):
            problems.append('fixed file version is %d.%d.%d' % (ms >> 16, ms & 0xFFFF, ls >> 16))

    for text in ['readme.txt', 'vorlane.mac']:
        data = open(os.path.join(folder, text), 'rb').read()
        if data.count(b'\n') != data.count(b'\r\n') or not data:
            problems.append('%s does not have CR LF line ends' % text)
    if b'@VERSION@' in open(os.path.join(folder, 'readme.txt'), 'rb').read():
        problems.append('readme.txt still holds @VERSION@')

    for lng, first in [('vorlane_eng.lng', b'.Language=English,English'), ('vorlane_rus.lng', b'.Language=Russian,Russian (')]:
        data = open(os.path.join(folder, lng), 'rb').read()
        if far3:
            # Far 3's language files: UTF-8 with a byte-order mark.
            if not data.startswith(b'\xef\xbb\xbf'):
                problems.append('%s has no UTF-8 byte-order mark' % lng)
            data = data[3:]
            try:
                data.decode('utf-8')
            except UnicodeDecodeError:
                problems.append('%s is not UTF-8' % lng)
        lines = [l.strip() for l in data.split(b'\n')]
        if not lines[0].startswith(first):
            problems.append('%s begins %r' % (lng, lines[0]))
        msgs = [l for l in lines if l.startswith(b'"')]
        # The Far 3 edition has its configuration dialog's and messages' texts too.
        expected = 28 if far3 else 4
        if len(msgs) != expected:
            problems.append('%s holds %d messages, expected %d' % (lng, len(msgs), expected))
        elif not (b'&' in msgs[2] and b'&' in msgs[3]):
            problems.append('%s: the button texts have no hot key' % lng)
        else:
            texts = [m.strip(b'"').decode('utf-8' if far3 else 'cp866') for m in msgs]
            problems += dialog_problems(lng, texts, far3)

    if far3:
        # Help: UTF-8 with a byte-order mark, a language line Far matches, and
        # the topics the dialogs' F1 opens.
        for hlf, first in [('vorlane_eng.hlf', b'.Language=English,English'),
                           ('vorlane_rus.hlf', b'.Language=Russian,Russian (')]:
            data = open(os.path.join(folder, hlf), 'rb').read()
            if not data.startswith(b'\xef\xbb\xbf' + first):
                problems.append('%s does not begin with a byte-order mark and %r' % (hlf, first))
            try:
                text = data[3:].decode('utf-8')
            except UnicodeDecodeError:
                problems.append('%s is not UTF-8' % hlf)
                continue
            topics = set(l[1:].split('=')[0].strip() for l in text.splitlines() if l.startswith('@'))
            for topic in ('Contents', 'MacroFile', 'Reload', 'Config', 'FieldStops', 'InsertMacro'):
                if topic not in topics:
                    problems.append('%s has no topic %s' % (hlf, topic))
            # Every link ~text~@Topic@ leads to a topic of the file.
            for target in re.findall(r'~[^~\n]*~@([^@\n]*)@', text):
                if target not in topics:
                    problems.append('%s links to a topic it lacks: %s' % (hlf, target))

    for p in problems:
        print('FAIL ' + p)
    print('%d passed, %d failed' % (0 if problems else 1, 1 if problems else 0))
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main())
