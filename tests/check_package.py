#!/usr/bin/env python3
"""Checks the package that the `dist` target lays out: its files, the zip,
the DLL's size and version resource, and the text files' form.

usage: check_package.py DIST_DIR VERSION
"""
import os
import sys
import zipfile

FILES = ['readme.txt', 'vorlane.dll', 'vorlane.exe', 'vorlane.mac', 'vorlane_eng.lng', 'vorlane_rus.lng']


def main():
    dist, version = sys.argv[1], sys.argv[2]
    folder = os.path.join(dist, 'vorlane')
    problems = []

    present = sorted(os.listdir(folder))
    if present != FILES:
        problems.append('package folder holds %s, expected %s' % (present, FILES))

    zpath = os.path.join(dist, 'vorlane-%s-win32.zip' % version)
    with zipfile.ZipFile(zpath) as z:
        names = sorted(n for n in z.namelist() if not n.endswith('/'))
        if names != ['vorlane/' + f for f in FILES]:
            problems.append('zip holds %s' % names)
        for f in FILES:
            if z.read('vorlane/' + f) != open(os.path.join(folder, f), 'rb').read():
                problems.append('zip copy of %s differs' % f)

    dll = open(os.path.join(folder, 'vorlane.dll'), 'rb').read()
    if len(dll) >= 32 * 1024:
        problems.append('vorlane.dll is %d bytes, not under 32 KiB' % len(dll))
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
        lines = [l.strip() for l in open(os.path.join(folder, lng), 'rb').read().split(b'\n')]
        if not lines[0].startswith(first):
            problems.append('%s begins %r' % (lng, lines[0]))
        msgs = [l for l in lines if l.startswith(b'"')]
        if len(msgs) != 4:
            problems.append('%s holds %d messages, expected 4' % (lng, len(msgs)))
        elif not (b'&' in msgs[2] and b'&' in msgs[3]):
            problems.append('%s: the button texts have no hot key' % lng)

    for p in problems:
        print('FAIL ' + p)
    print('%d passed, %d failed' % (0 if problems else 1, 1 if problems else 0))
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main())
