// The two brace assists: '}' on a blank line goes under its '{', and Enter
// right behind a '{' is followed by a Tab.
#pragma once

#include "plugin/host.h"

// Index of the first byte that is not a space, or -1 for a text of spaces only.
int FirstNonSpace(const char *text);

// Column of the '{' that opens the current line's block (looking only at the
// first non-space character of each line above), or -1. Leaves the cursor and
// the scroll as it found them.
int FindOpenBrace();

// '}' typed on a line of spaces: rewrites the line to put '}' under its '{'.
// 1 when the line was rewritten, 0 when the host should insert the '}'.
int AlignClosingBrace();

// Enter typed right behind a '{' with only spaces after the cursor: passes the
// Enter on, then one Tab. 1 when it did so, 0 when the host should handle it.
int IndentAfterBrace(const INPUT_RECORD *Rec, int column, const EditorGetString &line);
