#!/usr/bin/env python3
"""Prints the benchmark summary: each measure beside its goal, from the
medians in a Google Benchmark JSON file."""
import json
import os
import sys


def main():
    data = json.load(open(sys.argv[1]))
    med = {}
    counters = {}
    for b in data['benchmarks']:
        if b.get('aggregate_name') != 'median':
            continue
        name = b['run_name']
        scale = {'ns': 1, 'us': 1e3, 'ms': 1e6, 's': 1e9}[b['time_unit']]
        med[name] = b['real_time'] * scale  # nanoseconds
        counters[name] = b
    rows = []

    def row(measure, value, goal, ok):
        rows.append((measure, value, goal, 'yes' if ok else 'NO'))

    r = med['BM_OrdinaryKeys_Plugin'] / med['BM_OrdinaryKeys_EmptyFunction']
    cmds = counters['BM_OrdinaryKeys_Plugin'].get('host_commands', -1)
    row('ordinary keys: plug-in / empty function', '%.2f (%.2f ns / %.2f ns), %d host commands'
        % (r, med['BM_OrdinaryKeys_Plugin'], med['BM_OrdinaryKeys_EmptyFunction'], cmds),
        '<= 1.5, 0 commands', r <= 1.5 and cmds == 0)

    r3 = med['BM_OrdinaryKeys_Far3'] / med['BM_OrdinaryKeys_Far3EmptyFunction']
    cmds3 = counters['BM_OrdinaryKeys_Far3'].get('host_commands', -1)
    row('  Far 3: ProcessEditorInputW / empty function', '%.2f (%.2f ns / %.2f ns), %d host commands'
        % (r3, med['BM_OrdinaryKeys_Far3'], med['BM_OrdinaryKeys_Far3EmptyFunction'], cmds3),
        '<= 1.5, 0 commands', r3 <= 1.5 and cmds3 == 0)

    # Field stops: a Tab that jumps, and the tracking of a character typed on
    # a line holding a stop (both with stops waiting).
    tab = counters['BM_FieldTab_Far3'].get('host_commands', -1)
    track = counters['BM_FieldTracking_Far3'].get('host_commands', -1)
    row('  Far 3: field stops: Tab jump / typing on a stop line', '%d / %d host commands (%.1f us / %.1f us)'
        % (tab, track, med['BM_FieldTab_Far3'] / 1e3, med['BM_FieldTracking_Far3'] / 1e3),
        'measured', True)
    mirror = counters['BM_FieldMirrorKey_Far3'].get('host_commands', -1)
    tabDefault = counters['BM_FieldTabDefault_Far3'].get('host_commands', -1)
    row('  Far 3: key into a stop with 2 mirrors / Tab onto a default', '%d / %d host commands (%.1f us / %.1f us)'
        % (mirror, tabDefault, med['BM_FieldMirrorKey_Far3'] / 1e3, med['BM_FieldTabDefault_Far3'] / 1e3),
        'measured', True)

    # Each trigger key's host commands in both editions: Far 3 may add its two
    # undo brackets, the three that set the host's new-step mark after them
    # (ECTL_GETINFO, a fed Home, ECTL_SETPOSITION) and the redraws fed keys
    # need; the Enter assist needs one command more there, as Far 3's
    # EditorInfo has no file name.
    for i, kind in enumerate(['Space (expansion)', "'}' (alignment)", "Enter after '{'"]):
        c1 = counters['BM_Trigger_Far1/%d' % i]['host_commands']
        c3 = counters['BM_Trigger_Far3/%d' % i]['host_commands']
        redraws = counters['BM_Trigger_Far3/%d' % i]['redraws'] - counters['BM_Trigger_Far1/%d' % i]['redraws']
        extra = 1 if i == 2 else 0
        row('trigger %s: host commands 1.x / Far 3' % kind, '%d / %d (%.1f us / %.1f us)'
            % (c1, c3, med['BM_Trigger_Far1/%d' % i] / 1e3, med['BM_Trigger_Far3/%d' % i] / 1e3),
            'Far 3 <= 1.x + 2 undo + 3 mark + redraws' + (' + 1' if extra else ''),
            c3 <= c1 + 2 + 3 + max(redraws, 0) + extra)

    r = med['BM_TypeFile_Plugin'] / med['BM_TypeFile_EditorAlone']
    c = counters['BM_TypeFile_Plugin']
    row('typing a %d-line file: with / without plug-in' % c.get('lines', 0),
        '%.2f (%.1f ms / %.1f ms for %d events)' % (r, med['BM_TypeFile_Plugin'] / 1e6,
                                                     med['BM_TypeFile_EditorAlone'] / 1e6, c.get('events', 0)),
        '<= 1.05', r <= 1.05)

    sizes = [1000, 10000, 100000]
    per = [med['BM_LoadMacros/%d' % n] / n for n in sizes]
    plain = [med['BM_PlainRead/%d' % n] / n for n in sizes]
    spread = max(per) / min(per)
    row('LoadMacros ns per line at 1k / 10k / 100k', ' / '.join('%.0f' % p for p in per) + ' (spread %.2f)' % spread,
        'spread <= 1.2', spread <= 1.2)
    resident = [med['BM_LoadMacrosResidentHeap/%d' % n] / n for n in sizes]
    rspread = max(resident) / min(resident)
    row('  the same with freed memory kept resident', ' / '.join('%.0f' % p for p in resident) +
        ' (spread %.2f)' % rspread, 'diagnostic', True)
    ratios = [p / q for p, q in zip(per, plain)]
    row('LoadMacros / plain line-by-line read', ' / '.join('%.1f' % x for x in ratios), '<= 3', max(ratios) <= 3)

    row('FindMacro miss in 10 000 macros', '%.1f us per call' % (med['BM_FindMacroMiss'] / 1e3), 'measured', True)
    one, ten = med['BM_FindMacroSections_Far3/1'], med['BM_FindMacroSections_Far3/10']
    calls = counters['BM_FindMacroSections_Far3/10'].get('mask_calls', -1)
    row('  Far 3: macro among 1 000 in 10 sections / in 1', '%.2f (%.2f us / %.2f us), %.0f mask call'
        % (ten / one, ten / 1e3, one / 1e3, calls), '<= 1.5, 1 mask call', ten / one <= 1.5 and calls == 1)

    per = [med['BM_BraceScan/%d' % n] / n for n in sizes]
    spread = max(per) / min(per)
    cmd_ok = all(counters['BM_BraceScan/%d' % n]['host_commands'] - 2 * n == counters['BM_BraceScan/1000']['host_commands'] - 2000
                 for n in sizes)
    const = counters['BM_BraceScan/1000']['host_commands'] - 2000
    row("'}' scan ns per line walked at 1k / 10k / 100k", ' / '.join('%.0f' % p for p in per) + ' (spread %.2f)' % spread,
        'spread <= 1.2', spread <= 1.2)
    row("'}' scan host commands", '2 per line + %d' % const, '2 per line + constant', cmd_ok)
    per3 = [med['BM_BraceScan_Far3/%d' % n] / n for n in sizes]
    spread3 = max(per3) / min(per3)
    const3 = counters['BM_BraceScan_Far3/1000']['host_commands'] - 2000
    cmd3_ok = all(counters['BM_BraceScan_Far3/%d' % n]['host_commands'] - 2 * n == const3 for n in sizes)
    row("  Far 3: '}' scan ns per line walked", ' / '.join('%.0f' % p for p in per3) + ' (spread %.2f)' % spread3,
        'spread <= 1.2', spread3 <= 1.2)
    row("  Far 3: '}' scan host commands", '2 per line + %d' % const3, '2 per line + constant', cmd3_ok)
    # C/C++ indentation's Enter: the lines it reads are bounded (a first look
    # of 200 lines, and 3 000 more when that leaves the place uncertain).
    for i, kind in enumerate(['a short function', 'a 20 000-line function', 'a line 2 000 parentheses deep']):
        c = counters['BM_IndentEnter_Far3/%d' % i]['host_commands']
        row("  Far 3: C/C++ indentation's Enter at the end of %s" % kind,
            '%d host commands (%.1f us)' % (c, med['BM_IndentEnter_Far3/%d' % i] / 1e3),
            '<= 3 200 + 15 commands', c <= 3215)
    row('Space playing a %d-character body' % counters['BM_ExpandLongBody'].get('body_chars', 0),
        '%.1f us per call' % (med['BM_ExpandLongBody'] / 1e3), 'measured', True)
    row('SetStartupInfo with the default macro file', '%.1f us' % (med['BM_StartUp'] / 1e3), 'measured', True)
    row('  Far 3: SetStartupInfoW with it (UTF-8 decoded)', '%.1f us' % (med['BM_StartUp_Far3'] / 1e3),
        'measured', True)

    ctx = data.get('context', {})
    reps = next((b.get('repetitions') for b in data['benchmarks'] if b.get('repetitions')), '?')
    print('machine: %s cores, %s MHz; medians of %s repetitions' % (ctx.get('num_cpus'), ctx.get('mhz_per_cpu'), reps))
    w = [max(len(r[i]) for r in rows + [('measure', 'result', 'goal', 'met')]) for i in range(4)]
    line = '| %s | %s | %s | %s |'
    print(line % tuple(h.ljust(w[i]) for i, h in enumerate(('measure', 'result', 'goal', 'met'))))
    print(line % tuple('-' * w[i] for i in range(4)))
    for r in rows:
        print(line % tuple(r[i].ljust(w[i]) for i in range(4)))


if __name__ == '__main__':
    main()
