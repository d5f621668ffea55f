"""Mechanical mutants of C++ lines, for `scripts/faults --mutants`.

Each mutant is one line of one file changed in one place by one of these
kinds (the names are what the verdicts print):

  relational   <, <=, >, >= turned into its neighbour (< and <=, > and >=)
  equality     == and != swapped
  logical      && and || swapped
  negated      if (C) / while (C) becomes if (!(C)) / while (!(C))
  dropped      one operand of && or || removed (the condition without it)
  constant     an integer literal plus or minus one
  increment    ++x, x++, --x or x-- removed (a statement or a for's step)
  statement    a call, an assignment, break or continue removed (becomes ;)
  arguments    the two arguments of a two-argument call swapped

Only code is mutated: comments, string and character literals and
preprocessor lines are left alone.
"""
import re
import subprocess

CODE_DIRS = ('macros', 'assists', 'snippets', 'keys', 'far1', 'far3', 'tools', 'log', 'files')
SUFFIXES = ('.h', '.cpp')


def mask(line, in_comment):
    """The line with comments, string and character literals blanked (same
    length), and whether a block comment is still open at its end."""
    out = list(line)
    i, n = 0, len(line)
    while i < n:
        if in_comment:
            end = line.find('*/', i)
            stop = n if end < 0 else end + 2
            for k in range(i, stop):
                out[k] = ' '
            i = stop
            in_comment = end < 0
            continue
        c = line[i]
        if line.startswith('//', i):
            for k in range(i, n):
                out[k] = ' '
            break
        if line.startswith('/*', i):
            in_comment = True
            continue
        if c in '"\'':
            # A digit separator (1'000) is no literal.
            if c == "'" and i > 0 and line[i - 1].isalnum() and i + 1 < n and line[i + 1].isalnum() \
                    and line[i - 1].isdigit():
                i += 1
                continue
            k = i + 1
            while k < n and line[k] != c:
                k += 2 if line[k] == '\\' else 1
            for j in range(i + 1, min(k, n)):
                out[j] = '_'
            i = k + 1
            continue
        i += 1
    return ''.join(out), in_comment


def close_paren(code, open_at):
    depth = 0
    for k in range(open_at, len(code)):
        if code[k] in '([{':
            depth += 1
        elif code[k] in ')]}':
            depth -= 1
            if depth == 0:
                return k
    return -1


def operand_end(code, start):
    """Where the operand starting at `start` ends: at a top-level &&, ||, ?,
    ',' or ';', or where its enclosing parenthesis closes."""
    depth = 0
    k = start
    while k < len(code):
        c = code[k]
        if c in '([{':
            depth += 1
        elif c in ')]}':
            if depth == 0:
                return k
            depth -= 1
        elif depth == 0 and (code.startswith('&&', k) or code.startswith('||', k) or c in '?,;'):
            return k
        k += 1
    return k


def operand_start(code, end):
    depth = 0
    k = end - 1
    while k >= 0:
        c = code[k]
        if c in ')]}':
            depth += 1
        elif c in '([{':
            if depth == 0:
                return k + 1
            depth -= 1
        elif depth == 0 and (code[max(k - 1, 0):k + 1] in ('&&', '||') or c in '?,;' or
                             (c == '=' and code[k - 1:k] not in ('<', '>', '=', '!') and code[k + 1:k + 2] != '=')
                             or (c == ':' and code[k - 1:k] != ':' and code[k + 1:k + 2] != ':')):
            return k + 1
        k -= 1
    return 0


STATEMENT = re.compile(r'^(\s*)(break;|continue;|[\w:.>\-\[\]*]+(\(.*\))?\s*(=|\+=|-=|\|=|&=|\*=)\s*.+;'
                       r'|[\w:.>\-\[\]]+\(.*\);)\s*$')
DECLARES = re.compile(r'^\s*(return|const|auto|static|using|typedef|case|default|goto|delete|new)\b')


def line_mutants(line, code):
    """(kind, new line) for each mutation of one line; `code` is its masked form."""
    out = []

    def put(kind, start, end, text):
        new = line[:start] + text + line[end:]
        if new != line:
            out.append((kind, new))

    for m in re.finditer(r'(?<=\s)(<=|>=|<|>)(?=\s)', code):
        op = m.group(1)
        put('relational', m.start(1), m.end(1), {'<': '<=', '<=': '<', '>': '>=', '>=': '>'}[op])
    for m in re.finditer(r'(?<=\s)(==|!=)(?=\s)', code):
        put('equality', m.start(1), m.end(1), '!=' if m.group(1) == '==' else '==')
    for m in re.finditer(r'(?<=\s)(&&|\|\|)(?=\s)', code):
        put('logical', m.start(1), m.end(1), '||' if m.group(1) == '&&' else '&&')
        # Dropped: the right operand with its operator, and the left one.
        right_end = operand_end(code, m.end(1) + 1)
        while right_end > m.end(1) and code[right_end - 1] == ' ':
            right_end -= 1
        put('dropped', m.start(1) - 1, right_end, '')
        left_start = operand_start(code, m.start(1) - 1)
        while left_start < len(code) and code[left_start] == ' ':
            left_start += 1
        put('dropped', left_start, m.end(1) + 1, '')
    for m in re.finditer(r'\b(if|while)\s*\(', code):
        open_at = m.end() - 1
        close = close_paren(code, open_at)
        if close > open_at + 1:
            put('negated', open_at + 1, close, '!(' + line[open_at + 1:close] + ')')
    for m in re.finditer(r'(?<![\w.\'])(\d+)(?![\w.\'])', code):
        n = int(m.group(1))
        put('constant', m.start(1), m.end(1), str(n + 1))
        if n > 0:
            put('constant', m.start(1), m.end(1), str(n - 1))
    stmt = re.match(r'^(\s*)(\+\+|--)?([\w.>\-\[\]*]+?)(\+\+|--)?;\s*$', code)
    if stmt and (stmt.group(2) or stmt.group(4)) and not (stmt.group(2) and stmt.group(4)):
        put('increment', len(stmt.group(1)), len(code.rstrip()), ';')
    else:
        for m in re.finditer(r';\s*((\+\+|--)[\w.]+|[\w.]+(\+\+|--))\s*\)', code):
            put('increment', m.start(1), m.end(1), '')
        st = STATEMENT.match(code)
        if st and not DECLARES.match(code) and not re.match(r'^\s*[\w:<>]+\s+[*&]?\w+\s*[=({;]', code):
            put('statement', len(st.group(1)), len(code.rstrip()), ';')
    for m in re.finditer(r'\b(\w+)\(', code):
        if m.group(1) in ('if', 'while', 'for', 'switch', 'return', 'sizeof', 'static_cast', 'catch'):
            continue
        open_at = m.end() - 1
        close = close_paren(code, open_at)
        if close < 0:
            continue
        inner = code[open_at + 1:close]
        depth, commas = 0, []
        for k, c in enumerate(inner):
            if c in '([{<':
                depth += 1
            elif c in ')]}>':
                depth -= 1
            elif c == ',' and depth == 0:
                commas.append(k)
        if len(commas) != 1:
            continue
        a = line[open_at + 1:open_at + 1 + commas[0]].strip()
        b = line[open_at + 2 + commas[0]:close].strip()
        if a and b and a != b:
            put('arguments', open_at + 1, close, b + ', ' + a)
    return out


def file_mutants(path, text, wanted_lines=None):
    """Every mutant of a file: (path, line number, old, new, kind)."""
    result = []
    in_comment = False
    for number, line in enumerate(text.split('\n'), 1):
        code, in_comment_after = mask(line, in_comment)
        stripped = code.strip()
        skip = (not stripped or stripped.startswith('#') or 'static_assert' in code or
                (wanted_lines is not None and number not in wanted_lines))
        if not skip:
            seen = set()
            for kind, new in line_mutants(line, code):
                if new not in seen:
                    seen.add(new)
                    result.append((path, number, line, new, kind))
        in_comment = in_comment_after
    return result


def changed_lines(root, since, paths):
    """Line numbers added or changed since the commit, per file."""
    diff = subprocess.run(['git', 'diff', '-U0', since, '--'] + list(paths), cwd=root,
                          capture_output=True, text=True, check=True).stdout
    lines, current = {}, None
    for row in diff.split('\n'):
        if row.startswith('+++ '):
            current = row[6:] if row.startswith('+++ b/') else None
        elif row.startswith('@@') and current:
            m = re.match(r'@@ -\S+ \+(\d+)(?:,(\d+))? @@', row)
            start, count = int(m.group(1)), int(m.group(2) or '1')
            lines.setdefault(current, set()).update(range(start, start + count))
    return lines


def source_files(root, paths):
    listed = subprocess.run(['git', 'ls-files', '--'] + list(paths), cwd=root, capture_output=True,
                            text=True, check=True).stdout.split()
    return [p for p in listed if p.endswith(SUFFIXES)]


def all_mutants(root, since=None, files=None):
    import os
    paths = files or list(CODE_DIRS)
    wanted = changed_lines(root, since, paths) if since else None
    result = []
    for path in source_files(root, paths):
        if wanted is not None and path not in wanted:
            continue
        with open(os.path.join(root, path), encoding='utf-8') as f:
            text = f.read()
        result.extend(file_mutants(path, text, wanted.get(path) if wanted is not None else None))
    return result


def read_equivalents(path):
    """The argued equivalents: '== FILE', '- OLD', '+ NEW', '= REASON' blocks."""
    known = {}
    try:
        rows = open(path, encoding='utf-8').read().split('\n')
    except FileNotFoundError:
        return known
    i = 0
    while i < len(rows):
        if rows[i].startswith('== ') and i + 3 < len(rows):
            known[(rows[i][3:].strip(), rows[i + 1][2:], rows[i + 2][2:])] = rows[i + 3][2:].strip()
            i += 4
        else:
            i += 1
    return known
