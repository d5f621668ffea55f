// What a C/C++ file shows of its indentation style: the votes its lines
// cast while they are read, and what they decide.
#pragma once

#include "assists/indent/frames.h"

namespace indent {

// What the file shows of its indentation style, learnt while reading.
struct Style {
  int unitVotes[17] = {};  // spaces from a block's statement to its first line
  int lastUnit = 0;
  int tabLines = 0, spaceLines = 0;  // lines indented with a tab first or a space first
  int caseDelta = -1;    // a case label's column less its switch's; -1 not seen
  int caseVotes[17] = {};  // ...how often each, for a whole file's majority
  int accessDelta = -1;  // an access label's column less its class's
  int namespaceDelta = -1;
  int contVotes[17] = {};  // a continuation line's column less its statement's
  int labelBody = -1;    // a case body's column less its label's
  int parenAligned = -1; // 1: a parenthesis's next line aligns after it; 0: it is indented
  int parenVotes[2] = {}; // ...how often each: the file's habit, not a one-off
  int parenDelta = -1;   // ...by this much from the opener's line
  // ...and the same counts for parentheses opened where declarations stand
  // (file level, a namespace or class body): nginx indents its prototypes'
  // parameters and aligns its calls' arguments.
  int declVotes[2] = {};
  // A '{' on its own line less its head's column (GNU: 2): after a control
  // head, and after a struct, union, class or enum head; -1 not seen.
  int braceDelta = -1;
  int typeBraceDelta = -1;
  int labelBraceDelta = -1;  // ...and less its case label's column
  // A constructor's initializer line (": base(x)") less its head's column;
  // -1 not seen.
  int initDelta = -1;
  // The latest goto label's column, and that less its statements' (NoDelta
  // when no statement came before it); -1 not seen.
  int gotoIndent = -1;
  int gotoDelta = 0;
  // Block comments whose first line below the opener lines up with the
  // text after "/* " ([1]) or begins with a leader ([0]); and a leader's
  // column less the opener's (" * ": 1; "** ": 0), -1 not seen.
  int commentTextVotes[2] = {};
  int commentLeadDelta = -1;
  // Below an opener that ends its line: comments whose first line begins
  // with a leader ([0]) or with text ([1]), and that text's column less the
  // opener's (zlib's: 3).
  int commentBareVotes[2] = {};
  int commentBareDelta = -1;
  // ...the same for documentation comments ("/**", "/*!").
  int docBareVotes[2] = {};
  int docBareDelta = -1;
  // A "*/" first on its line below text lined up after "/* ": under the
  // opener's '*' ([0]) or under the text ([1], GNU's).
  int closeVotes[2] = {};
  // Lists whose entries begin on the '{' line: the next line lined up after
  // the '{' ([1]) or some columns in from the list's line ([0], that
  // offset in listContDelta).
  int listAlignVotes[2] = {};
  int listContDelta = -1;
  // Blocks whose '{' stands on its own line: the first line in at the
  // brace's own column ([1], Whitesmiths) or further in ([0]).
  int braceBodyVotes[2] = {};
  // A function's '{' on its own line less its head's column; -1 not seen.
  int funcBraceDelta = -1;
  // A braced list's first entry below a '{' that ends its line, less the
  // list's statement's column (LLVM's and Google's: a continuation); -1 not seen.
  int listDelta = -1;
  // A declaration's type alone on its line less the column of the name
  // below it ("    int" over "name(void)": 4; under each other: 0); -1 not seen.
  int typeIndent = -1;
  // An old-style function's parameter declarations ("name(a, s)" then
  // "    int a;") less the head's column; -1 not seen.
  int paramDelta = -1;
  // Statements whose first continuation line begins with "<<": under the
  // first line's "<<" ([1]) or elsewhere ([0]).
  int shiftVotes[2] = {};
  unsigned recent = 0;   // the latest lines a stop or more in, a bit each: 1 for a tab first
  int recentCount = 0;

  // Each offset above that a line sets and later lines keep, with how often
  // each value was set (a whole re-indent takes the most set, so that one
  // line out of place decides nothing for the lines below it).
  enum Kept { BraceKept, TypeBraceKept, FuncBraceKept, LabelBraceKept, InitKept, ListKept, AccessKept,
              NamespaceKept, LabelBodyKept, TypeIndentKept, ParamKept, KeptCount };
  int keptVotes[KeptCount][17] = {};
  int *KeptField(int k) {
    int *const fields[KeptCount] = {&braceDelta, &typeBraceDelta, &funcBraceDelta, &labelBraceDelta, &initDelta,
                                    &listDelta,  &accessDelta,    &namespaceDelta, &labelBody, &typeIndent, &paramDelta};
    return fields[k];
  }
  void Keep(int k, int value) {
    *KeptField(k) = value;
    if (value >= 0 && value <= 16) ++keptVotes[k][value];
  }

  int shallowSpaceLines = 0;  // lines indented with spaces less than a tab stop
  int tabStop = 8;            // the tab size the lines are read with

  // Whether the file's indentation is written with tabs (a tab for each full
  // tab stop, spaces for the rest): the latest lines a stop or more in
  // decide, then all of them, then lines less than a stop in written with
  // spaces; -1 when no line tells.
  int Tabs() const {
    // Lines a stop or more in begin with tabs (all but a stray few), in a
    // file whose unit is less than a stop: tabs for full stops and spaces
    // for the rest.
    const int unit = Unit();
    if (tabLines > 4 * spaceLines && unit > 0 && unit < tabStop) return 1;
    const int n = recentCount < 8 ? recentCount : 8;
    int t = 0;
    for (int i = 0; i < n; ++i) t += (recent >> i) & 1;
    if (n && 2 * t != n) return 2 * t > n ? 1 : 0;
    if (tabLines != spaceLines) return tabLines > spaceLines ? 1 : 0;
    return shallowSpaceLines ? 0 : -1;
  }

  // The continuation unit the file uses most (0: none seen). Aligned lines
  // far in are no unit: only up to 16 columns count.
  void VoteContinuation(int delta) {
    if (delta > 0 && delta <= 16) ++contVotes[delta];
  }
  int Continuation() const {
    int best = 0;
    for (int d = 1; d <= 16; ++d)
      if (contVotes[d] > contVotes[best]) best = d;
    return contVotes[best] ? best : 0;
  }

  // Takes the parts this reading has not seen from another's (of the lines
  // below the cursor).
  void Adopt(const Style &o) {
    if (!VotedUnit()) {
      for (int d = 0; d <= 16; ++d) unitVotes[d] = o.unitVotes[d];
      lastUnit = o.lastUnit;
    }
    // Tabs or spaces: from below where nothing above tells, or where only
    // lines shallower than a tab stop do and a deeper one below does.
    if (Tabs() < 0 || (!tabLines && !spaceLines && (o.tabLines || o.spaceLines))) {
      tabLines = o.tabLines;
      spaceLines = o.spaceLines;
      shallowSpaceLines += o.shallowSpaceLines;
      recent = o.recent;
      recentCount = o.recentCount;
    }
    if (!Continuation())
      for (int d = 0; d <= 16; ++d) contVotes[d] = o.contVotes[d];
    int *mine[] = {&caseDelta,      &accessDelta, &namespaceDelta, &labelBody, &braceDelta, &typeBraceDelta,
                   &labelBraceDelta, &initDelta,   &funcBraceDelta, &listDelta, &typeIndent, &paramDelta};
    const int theirs[] = {o.caseDelta,       o.accessDelta, o.namespaceDelta, o.labelBody,
                          o.braceDelta,      o.typeBraceDelta, o.labelBraceDelta, o.initDelta,
                          o.funcBraceDelta,  o.listDelta,  o.typeIndent, o.paramDelta};
    for (int i = 0; i < 12; ++i)
      if (*mine[i] < 0) *mine[i] = theirs[i];
    // A pair of votes (and the offset they learnt) where none of mine voted.
    auto pair = [](int *mine, const int *theirs, int *delta = nullptr, int theirDelta = 0) {
      if (mine[0] + mine[1] != 0) return;
      mine[0] = theirs[0];
      mine[1] = theirs[1];
      if (delta) *delta = theirDelta;
    };
    pair(braceBodyVotes, o.braceBodyVotes);
    if (parenAligned < 0) {
      parenAligned = o.parenAligned;
      parenVotes[0] = o.parenVotes[0];
      parenVotes[1] = o.parenVotes[1];
      parenDelta = o.parenDelta;
    }
    pair(declVotes, o.declVotes);
    if (gotoIndent < 0) {
      gotoIndent = o.gotoIndent;
      gotoDelta = o.gotoDelta;
    }
    // Comment shapes, each kind as a whole.
    pair(commentTextVotes, o.commentTextVotes);
    if (commentLeadDelta < 0) commentLeadDelta = o.commentLeadDelta;
    pair(commentBareVotes, o.commentBareVotes, &commentBareDelta, o.commentBareDelta);
    pair(docBareVotes, o.docBareVotes, &docBareDelta, o.docBareDelta);
    pair(closeVotes, o.closeVotes);
    pair(listAlignVotes, o.listAlignVotes, &listContDelta, o.listContDelta);
  }

  // The unit the blocks' first lines show most (0: none shows one).
  int VotedUnit() const {
    int best = 0;
    for (int d = 1; d <= 16; ++d)
      if (unitVotes[d] > unitVotes[best] || (unitVotes[d] == unitVotes[best] && d == lastUnit && d))
        best = d;
    return unitVotes[best] ? best : 0;
  }
  // That, else a namespace body's offset: a file whose only indented lines
  // stand in a namespace shows its unit there.
  int Unit() const {
    const int voted = VotedUnit();
    return voted ? voted : namespaceDelta > 0 && namespaceDelta <= 16 ? namespaceDelta : 0;
  }
};

}  // namespace indent
