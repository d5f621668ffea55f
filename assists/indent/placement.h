// Where a C/C++ line goes: the column the reading of the lines above gives a
// line that begins with what it begins with, in the file's own style, and the
// blanks that write that column as the file writes them.
#pragma once

#include "assists/indent/reading.h"

namespace indent {

// What a line begins with, where that decides its place.
enum Lead {
  PlainLead, CloseBraceLead, OpenBraceLead, CloseParenLead, HashLead, CaseLead, AccessLead,
  GotoLead,   // a name and ':' typed behind it
  ScopeLead,  // ...and a second ':': a scope (std::), placed as a statement
  ShiftLead,  // "<<" typed at a line's start
  InitLead,   // ':' at a line's start: a constructor's initializer list
  CommentCloseLead,  // "*/" at a line's start
  MacroLabelLead,    // a capitalised name and ':' typed behind it
  CommaLead,         // ',' at a line's start
  TypeLead,          // a line of a type's words alone ("static char *"), seen whole
  WordsLead,         // any other line seen whole: what follows a comment is known
};

// The style to use where the file shows none: the editor's tab settings and
// the user's choice for case labels.
struct Fallback {
  int tabSize = 8;
  bool expandTabs = false;
  bool indentCaseLabels = false;
  int totalLines = -1;  // the file's lines, where the lines below may be read
};

struct Placement {
  int column = -1;           // -1: nothing to place (the host's own key runs)
  bool sure = true;          // false: reading further up may tell more
  const char *rule = "";     // which rule placed it, in a user's words
};

template <class Char>
bool StartsWord(const Char *s, int n, const char *word, int *after) {
  int i = 0;
  for (; word[i]; ++i)
    if (i >= n || s[i] != static_cast<Char>(word[i])) return false;
  if (i < n && IsNameUnit(s[i])) return false;
  *after = i;
  return true;
}

// The lead of a line's text (leading blanks skipped).
template <class Char>
Lead LeadOf(const Char *s, int n) {
  int i = 0;
  while (i < n && (s[i] == ' ' || s[i] == '\t')) ++i;
  s += i;
  n -= i;
  if (n <= 0) return PlainLead;
  if (s[0] == '}') return CloseBraceLead;
  if (s[0] == '{') return OpenBraceLead;
  if (s[0] == '*' && n > 1 && s[1] == '/') return CommentCloseLead;
  if (s[0] == ')' || s[0] == ']') return CloseParenLead;
  if (s[0] == '#') return HashLead;
  if (s[0] == ':' && !(n > 1 && s[1] == ':')) return InitLead;
  if (s[0] == ',') return CommaLead;
  int k = 0;
  auto colonNext = [&](int at) {
    while (at < n && (s[at] == ' ' || s[at] == '\t')) ++at;
    return at < n && s[at] == ':' && !(at + 1 < n && s[at + 1] == ':');
  };
  if (StartsWord(s, n, "case", &k)) return CaseLead;
  if (StartsWord(s, n, "default", &k) && colonNext(k)) return CaseLead;
  static const char *const access[] = {"public", "protected", "private", "signals", "Q_SIGNALS"};
  for (const char *a : access)
    if (StartsWord(s, n, a, &k)) {
      if (colonNext(k)) return AccessLead;
      // "public slots:" and the like
      while (k < n && (s[k] == ' ' || s[k] == '\t')) ++k;
      int j = k;
      while (j < n && IsNameUnit(s[j])) ++j;
      if (j > k && colonNext(j)) return AccessLead;
    }
  return PlainLead;
}

// Whether the file writes its indentation with tabs.
inline bool UsesTabs(const Style &st, const Fallback &fallback) {
  const int tabs = st.Tabs();
  return tabs >= 0 ? tabs == 1 : !fallback.expandTabs;
}

// Where a line goes, by the kind of line: each kind's rules in a function of
// its own, tried top down by Place. `p` gathers whether the place is sure.
template <class Char>
struct LinePlacer {
  const Reader<Char> &r;
  const Lead lead;
  const Fallback &fallback;
  const Style &st;
  const Frame &f;
  const bool tabs;
  const int seenUnit, guessedUnit, seenCont;
  Placement p;

  LinePlacer(const Reader<Char> &reader, Lead l, const Fallback &fb)
      : r(reader), lead(l), fallback(fb), st(reader.style()), f(reader.Top()), tabs(UsesTabs(st, fb)),
        seenUnit(st.Unit()), guessedUnit(tabs ? reader.tabSize() : fb.tabSize), seenCont(st.Continuation()) {}

  // A part of the style the file has not shown yet makes the place
  // uncertain where a rule uses it: a longer look up may find it.
  int U() {
    if (!seenUnit && !st.tabLines) p.sure = false;
    return seenUnit ? seenUnit : guessedUnit;
  }
  int C() {
    if (!seenCont) p.sure = false;
    return seenCont ? seenCont : (tabs ? U() : 2 * U());
  }
  int caseDelta() {
    if (st.caseDelta >= 0) return st.caseDelta;
    p.sure = false;
    return fallback.indentCaseLabels ? U() : 0;
  }
  int accessDelta() {
    if (st.accessDelta >= 0) return st.accessDelta;
    p.sure = false;
    return 0;
  }
  int labelBody() { return st.labelBody > 0 ? st.labelBody : U(); }
  // GNU's braces, two in from their heads: its comments line up their text.
  bool gnuBraces() const { return st.braceDelta > 0 || st.typeBraceDelta > 0; }
  // A brace's offset the file has not shown yet: its other braces' tell
  // (GNU's are all two in), else at the head's level.
  int braceDelta(int seen, int other) {
    if (seen >= 0) return seen;
    p.sure = false;
    return other >= 0 ? other : 0;
  }
  Placement at(int column, const char *rule) {
    // A line a tab stop or more in, where no line that far in has shown tabs
    // or spaces yet: lines further down may.
    if (column >= r.tabSize() && !st.tabLines && !st.spaceLines) p.sure = false;
    p.column = column < 0 ? 0 : column;
    p.rule = rule;
    return p;
  }

  // A line inside a block comment.
  Placement InComment() {
    // Text without leaders below an opener that ended its line (Qt's "/*!"):
    // its end at the opener's column.
    if (lead == CommentCloseLead && r.CommentLead() != '*' && r.CommentTextColumn() < 0)
      return at(r.CommentColumn(), "a comment's end under its opener, below text without leaders");
    if (lead == CommentCloseLead && r.CommentLead() != '*' && r.CommentTextColumn() >= 0) {
      const int *votes = st.closeVotes;
      bool star = votes[0] > votes[1];
      if (!votes[0] && !votes[1]) {  // GNU's braces tell its comments' shape
        p.sure = false;
        star = !gnuBraces();
      }
      if (star) return at(r.CommentColumn() + 1, "a comment's end under the opener's '*', below text lined up");
      return at(r.CommentTextColumn(), "a comment's end under the text after the comment's opener");
    }
    if (r.CommentLead() == '*') return at(r.CommentLeadColumn(), "under the '*' of the comment's line above");
    if (r.CommentLead()) return at(r.CommentLeadColumn(), "under the comment's text");
    if (r.CommentTextColumn() >= 0) {
      const int *votes = st.commentTextVotes;
      // Where the file shows neither, GNU's braces tell its comments' shape.
      bool aligned = votes[1] > votes[0];
      if (!votes[0] && !votes[1]) {
        p.sure = false;
        aligned = gnuBraces();
      }
      if (aligned) return at(r.CommentTextColumn(), "under the text after the comment's opener");
    }
    if (r.CommentTextColumn() < 0 && r.CommentIsDoc() && st.docBareVotes[0] + st.docBareVotes[1] > 0) {
      if (st.docBareVotes[1] > st.docBareVotes[0])
        return at(r.CommentColumn() + st.docBareDelta, "a documentation comment's text where the file's start it");
    } else if (r.CommentTextColumn() < 0 && st.commentBareVotes[1] > st.commentBareVotes[0]) {
      return at(r.CommentColumn() + st.commentBareDelta, "a comment's text where the file's comments start it");
    }
    if (r.CommentTextColumn() < 0 && r.CommentIsDoc() && st.docBareVotes[0] + st.docBareVotes[1] == 0)
      p.sure = false;  // a documentation comment further down may show its shape
    if (st.commentLeadDelta >= 0)
      return at(r.CommentColumn() + st.commentLeadDelta, "a comment's leader where the file puts it");
    p.sure = false;  // the comment's lines further down may show its leaders
    return at(r.CommentColumn() + 1, "under the '*' of the comment's opener");
  }

  // A directive's continuation line (after a backslash).
  Placement InDirective() {
    if (r.DirectiveLastIndent() == r.DirectiveIndent() && r.Lines() > 0)
      return at(r.DirectiveIndent() + U(), "a directive's continuation one level in");
    if (r.DirectiveOpensBrace()) return at(r.DirectiveLastIndent() + U(), "one level in after '{'");
    if (lead == CloseBraceLead && r.DirectiveLastIndent() - U() > r.DirectiveIndent())
      return at(r.DirectiveLastIndent() - U(), "a directive's '}' one level out from the line above");
    return at(r.DirectiveLastIndent(), "as the directive's line above");
  }

  // A line that begins with "<<".
  Placement ShiftLine() {
    if (f.kind != ParenFrame && f.inStmt && f.shiftColumn >= 0 && f.contIndent < 0) {
      // The statement's first line held a "<<": the first "<<" line goes under
      // it unless the file indents such lines.
      if (st.shiftVotes[0] > st.shiftVotes[1]) return p;
      if (!st.shiftVotes[1]) p.sure = false;
      return at(f.shiftColumn, "under the statement's first '<<'");
    }
    // A macro's use needs no ';': a "<<" line below it goes on its statement
    // ("CHECK(x)" then "<< message").
    if (!r.MacroCallEnded() || f.kind == ParenFrame || f.inStmt || f.sibling < 0) return p;
    return at(f.sibling + C(), "a '<<' line going on the macro's use above");
  }

  // A ':' alone after a constructor's head.
  Placement InitializerLine() {
    // Only right after a function's head: elsewhere a ':' line is the
    // statement's (a bit-field, a conditional's second half).
    if (f.kind == ParenFrame || !f.inStmt || r.LastToken() != ')') return p;
    if (st.initDelta >= 0) return at(f.stmtIndent + st.initDelta, "a constructor's initializers where the file puts them");
    p.sure = false;  // a constructor further down may show it
    return at(f.stmtIndent + (tabs ? U() : 4), "a constructor's initializers four columns in");
  }

  // A lone name and ':'.
  Placement GotoLabel() {
    // Only where a statement may begin, and only as the file has shown its
    // goto labels: never against it.
    const bool code = (f.kind == BlockFrame && (f.block == CodeBlock || f.block == SwitchBlock)) ||
                      (f.kind == RootFrame && f.underflow);
    if (!code || f.inStmt) return p;
    if (st.gotoIndent < 0) {
      p.sure = false;  // a label further down may show the file's column
      return at(0, "a goto label at the line's start, where the file shows none");
    }
    if (st.gotoIndent <= 1 || st.gotoDelta == NoDelta) return at(st.gotoIndent, "a goto label in the file's column");
    const int level = f.sibling >= 0 ? f.sibling : f.base + U();
    return at(level + st.gotoDelta, "a goto label as far from its statements as the file's");
  }

  // A capitalised name and ':': in a class, a macro standing for an access
  // label ("JSON_PRIVATE_UNLESS_TESTED:"), at the file's access labels'
  // column; elsewhere a goto label.
  Placement MacroLabel() {
    if (f.kind == BlockFrame && f.block == ClassBlock && !f.inStmt)
      return at(f.base + accessDelta(), "a macro standing for an access label, at the class's label column");
    return GotoLabel();
  }

  // A line inside parentheses (or template brackets).
  Placement InParens() {
    if (lead == CloseParenLead && f.align < 0)
      return at(f.openerIndent, "a closing parenthesis at its opener's line");
    if (f.lastLine >= 0) return at(f.lastLine, "as the line above inside the same parentheses");
    // Declarations' parentheses and code's are counted apart where the
    // file shows both kinds.
    const bool decl = r.Depth() >= 2 && AtDeclarations(r.Enclosing(1));
    const int kind0 = decl ? st.declVotes[0] : st.parenVotes[0] - st.declVotes[0];
    const int kind1 = decl ? st.declVotes[1] : st.parenVotes[1] - st.declVotes[1];
    const bool ofKind = kind0 + kind1 > 0;
    const bool indented = ofKind ? kind0 > kind1 || (kind0 == kind1 && st.parenAligned == 0)
                                 : st.parenAligned == 0 && st.parenVotes[0] >= st.parenVotes[1];
    if (f.align >= 0 && !f.angle && indented && st.parenDelta > 0)
      return at(f.openerIndent + st.parenDelta, decl ? "indented from the open parenthesis's line, as the file's declarations are"
                                                     : "indented from the open parenthesis's line, as the file does");
    if (f.align >= 0) {
      if (!ofKind && st.parenAligned < 0) p.sure = false;  // lines further down may show the file's way
      return at(f.align, "aligned after the open parenthesis");
    }
    return at(f.openerIndent + C(), "one continuation unit in: the parenthesis ends its line");
  }

  // A '}' outside parentheses.
  Placement ClosingBrace() {
    if (f.kind != RootFrame) return at(f.base, "'}' under the statement that opened its block");
    p.sure = false;
    return at(f.sibling >= 0 ? f.sibling - U() : 0, "'}' one level out");
  }

  // A line that goes on a statement under way: a head's body or brace, a
  // continuation, a declaration's name.
  Placement InStatement() {
    // Below an old-style function's head: its first parameter's declaration
    // (the next go under it as a continuation; its '{' is placed as a brace).
    if (f.kind == RootFrame && f.parens && !f.assign && !f.awaitBody && f.partIndent == 0 && lead != OpenBraceLead &&
        r.LastToken() == ')') {
      if (st.paramDelta > 0)
        return at(f.partIndent + st.paramDelta, "an old-style parameter's declaration where the file puts them");
      if (st.paramDelta < 0) p.sure = false;  // a function further down may show them
    }
    if (f.awaitBody) {
      if (lead == OpenBraceLead)
        return at(f.partIndent + braceDelta(st.braceDelta, st.typeBraceDelta),
                  "'{' where the file puts it after a head");
      return at(f.partIndent + U(), "one level in for the statement the head controls");
    }
    if (f.doWhile) return at(f.partIndent, "a do's while under its do");
    if (lead == OpenBraceLead && (f.word == ClassWord || f.word == EnumWord) && !f.parens && !f.assign)
      return at(f.partIndent + braceDelta(st.typeBraceDelta, st.braceDelta), "a type's '{' where the file puts it");
    if (lead == OpenBraceLead && f.parens && !f.assign) {
      if (st.funcBraceDelta >= 0)
        return at(f.partIndent + st.funcBraceDelta, "a function's '{' where the file puts it");
      p.sure = false;  // a function further down may show it (Whitesmiths: one level in)
    }
    if (lead == OpenBraceLead) return at(f.partIndent, "'{' at its statement's level");
    if (f.templateHead) return at(f.partIndent, "a template's declaration at its level");
    // An enumeration's name ("static enum retval") too: its '{' on the next
    // line is placed by the brace itself.
    if (f.onlyWords && f.word != ReturnWord && f.word != ClassWord &&
        (f.kind == RootFrame || (f.kind == BlockFrame && f.block != CodeBlock && f.block != SwitchBlock))) {
      if (st.typeIndent > 0 && f.partIndent - st.typeIndent >= f.base)
        return at(f.partIndent - st.typeIndent, "a declaration's name left of its type, as the file writes them");
      if (st.typeIndent < 0 && f.partIndent > f.base) p.sure = false;  // an indented type: the file may show why
      return at(f.partIndent, "a declaration's name under its type");
    }
    // WebKit's initializers, a ',' first: under the list's ':'.
    if (lead == CommaLead && f.contIndent >= 0 && f.colonAlign >= 0)
      return at(f.contIndent, "a ',' first, under the initializer list's ':'");
    if (lead == CommaLead) return p;
    if (f.contIndent >= 0 && f.colonAlign >= 0) return at(f.colonAlign, "an initializer under the one above");
    if (f.contIndent >= 0) return at(f.contIndent, "as the continuation line above");
    if (f.shiftColumn >= 0 && st.shiftVotes[1] > st.shiftVotes[0])
      return at(f.shiftColumn, "under the statement's first '<<', as the file puts them");
    return at(f.partIndent + C(), "one continuation unit in: the statement goes on");
  }

  // A case, default or access label, or the line after one: false when
  // neither decides (a label where none can stand).
  bool Labelled(Placement *out) {
    if (lead == CaseLead || lead == AccessLead) {
      if (f.kind == BlockFrame && f.block == SwitchBlock && lead == CaseLead)
        return *out = at(f.base + caseDelta(), "a case label at its switch's level in the file's style"), true;
      if (f.kind == BlockFrame && f.block == ClassBlock && lead == AccessLead)
        return *out = at(f.base + accessDelta(), "an access label at its class's level in the file's style"), true;
      if (f.afterLabel) return *out = at(f.labelIndent, "a label under the label above"), true;
      // A case label outside a switch: its switch began above the lines read.
      if (lead == CaseLead && f.kind == RootFrame) p.sure = false;
    }
    if (f.afterLabel) {
      if (lead == OpenBraceLead)
        return *out = at(f.labelIndent + braceDelta(st.labelBraceDelta, st.braceDelta),
                         "'{' after its label where the file puts it"),
               true;
      if (f.labelIsAccess) {
        if (f.sibling >= 0) return *out = at(f.sibling, "a member under the members above"), true;
        return *out = at(f.base + U(), "a member one level in from its class"), true;
      }
      return *out = at(f.labelIndent + labelBody(), "one level in after a case label"), true;
    }
    return false;
  }

  // A line that begins a statement, member or entry in a block, list or the
  // file's level.
  Placement InBlock() {
    // (A list is never the root: a frame encloses it.)
    if (f.kind == InitFrame && f.lastLine < 0 && f.sibling >= 0 && r.Enclosing(1).kind == InitFrame &&
        r.Enclosing(1).nestedCont >= 0)
      return at(r.Enclosing(1).nestedCont, "as the list's entry above went on");
    if (f.kind == InitFrame && f.lastLine < 0 && f.sibling >= 0 && f.align >= 0) {
      if (st.listAlignVotes[0] > st.listAlignVotes[1])
        return at(f.base + st.listContDelta, "a list's next entries some columns in, as the file's go on");
      if (!st.listAlignVotes[1]) p.sure = false;  // a list further down may show how its entries go on
      return at(f.align, "aligned after the '{' of a list that began on its line");
    }
    if (st.typeIndent < 0 && lead == PlainLead && r.CommentEnded() && AtDeclarations(f)) p.sure = false;
    if (st.typeIndent > 0 && AtDeclarations(f) && f.kind != InitFrame) {
      if (lead == TypeLead) return at(f.base + st.typeIndent, "a type alone on its line where the file puts them");
      // Below a comment at this level, a function it documents most likely
      // follows: its type, where the file's functions put theirs.
      if (lead == PlainLead && r.CommentEnded() && r.CommentColumn() == f.base)
        return at(f.base + st.typeIndent, "a function's type below its comment, where the file puts them");
    }
    if (f.sibling >= 0) return at(f.sibling, "as the statement above");
    if (f.kind == InitFrame && f.lastLine < 0) {
      if (st.listDelta >= 0) return at(f.base + st.listDelta, "a braced list's first entry where the file puts them");
      p.sure = false;  // a list further down may show it
    }
    if (f.kind == RootFrame) {
      if (r.Lines() > 0) p.sure = false;
      return at(0, "a statement at the file's level");
    }
    if (f.block == NamespaceBlock)
      return at(f.base + (st.namespaceDelta >= 0 ? st.namespaceDelta : 0), "a namespace's body in the file's style");
    if (f.block == ExternBlock) return at(f.base, "an extern block's body at its level");
    if (f.ownLine && st.braceBodyVotes[1] > st.braceBodyVotes[0])
      return at(f.base, "a block's body at its own line's '{', as the file's");
    return at(f.base + U(), "one level in after '{'");
  }
};

// The column for a line beginning with `lead`, read where `r` stopped.
template <class Char>
Placement Place(const Reader<Char> &r, Lead lead, const Fallback &fallback) {
  LinePlacer<Char> line(r, lead, fallback);
  if (r.InComment()) return line.InComment();
  if (lead == HashLead) return line.at(0, "a directive at the line's start");
  if (r.InDirective()) return line.InDirective();
  if (lead == ShiftLead) return line.ShiftLine();
  if (lead == InitLead) return line.InitializerLine();
  if (lead == GotoLead) return line.GotoLabel();
  if (lead == MacroLabelLead) return line.MacroLabel();
  const Frame &f = r.Top();
  // A ',' first places its line only in a constructor's initializer list.
  if (lead == CommaLead && (f.kind == ParenFrame || !f.inStmt)) return line.p;
  if (f.kind == ParenFrame) return line.InParens();
  if (lead == CloseBraceLead) return line.ClosingBrace();
  if (f.inStmt) return line.InStatement();
  Placement labelled;
  if (line.Labelled(&labelled)) return labelled;
  return line.InBlock();
}

// Writes `column` as blanks the way the file indents (tabs, then spaces for
// the rest, or spaces only) into `out` (room for `room` units); returns the
// count written.
template <class Char>
int Blanks(int column, bool tabs, int tabSize, Char *out, int room) {
  int n = 0;
  const int tab = UsableTabSize(tabSize);
  if (tabs)
    for (int c = 0; c + tab <= column && n < room; c += tab) out[n++] = '\t';
  int rest = tabs ? column % tab : column;
  while (rest-- > 0 && n < room) out[n++] = ' ';
  return n;
}

}  // namespace indent
