// The C/C++ reading of the lines above the cursor: which block, statement,
// parenthesis or comment the cursor stands in, and the indentation style the
// file shows. The lines are read forward from a start a bounded distance up;
// nothing here touches the host.
#pragma once

#include <new>

namespace indent {

constexpr int MaxFrames = 40;      // deeper nesting is read as the deepest frame
constexpr int MaxConditionals = 4;  // #if levels whose first branch is kept
constexpr int MaxDelimiter = 16;   // a raw string's delimiter
constexpr int NoDelta = -1000;     // a relative column not known

enum FrameKind : unsigned char { RootFrame, BlockFrame, InitFrame, ParenFrame };
enum BlockKind : unsigned char { CodeBlock, ClassBlock, SwitchBlock, NamespaceBlock, EnumBlock, ExternBlock };
enum Word : unsigned char {
  NoWord, OtherWord, IfWord, ForWord, WhileWord, SwitchWord, CatchWord, ElseWord, DoWord, TryWord,
  CaseWord, DefaultWord, AccessWord, ClassWord, EnumWord, NamespaceWord, ExternWord, ReturnWord,
  TemplateWord, OperatorWord
};

inline bool HasCondition(Word w) {
  return w == IfWord || w == ForWord || w == WhileWord || w == SwitchWord || w == CatchWord;
}
inline bool IsLabelWord(Word w) { return w == CaseWord || w == DefaultWord || w == AccessWord; }

// A block, initializer list or parenthesis open at the cursor, or the root.
// Plain data: FreshFrame makes one, and frames not in use stay unwritten.
struct Frame {
  FrameKind kind;
  BlockKind block;
  bool condition;  // a parenthesis holding an if/for/while/switch/catch condition
  bool angle;      // template brackets, read as a parenthesis
  int base;            // column of the statement that opened it: its closer goes there
  int align;          // parenthesis: column of what follows the opener on its line;
                           // -1 when the opener ends its line, -2 while not yet known
  int openerIndent;    // indentation of the line holding the opener
  int lastLine;       // indentation of the latest line that began directly in it
  bool bodySeen;   // a line began in it (its first line teaches the unit)
  int nestedCont;     // braced list: where the latest list in it that began on
                      // its opener's line went on below that line

  // The statement under way in a root, block or initializer list.
  bool inStmt;
  bool awaitBody;   // a control head is complete: its statement or block follows
  bool expectCond;  // an if/for/... waits for its condition
  bool doWhile;     // a do's block closed: its while follows
  bool assign;      // '=' or return: a brace opens an initializer or lambda
  bool parens;      // a parenthesis opened in the statement at this level
  bool onlyWords;    // nothing but names so far (a return type on its own line)
  bool macroCall;   // one capitalised name and its arguments, ended by the line end
  bool templateHead;  // "template <...>" is complete: its declaration follows
  int words;            // names in the statement so far
  int colonAlign;      // column after a continuation line's leading ':' (initializers)
  int shiftColumn;     // column of the first "<<" on the statement's first line
  int prevSibling;     // the sibling before this statement began (a goto label gives it back)
  Word word;       // the statement's (or its current part's) first word
  int stmtIndent;      // indentation of the line where the statement began
  int partIndent;      // ...where its current part (a head or the controlled statement) began
  int contIndent;      // ...of its latest continuation line
  int stmtLine;
  int sibling;         // indentation of the latest statement begun here
  bool afterLabel;  // a case, default or access label ended last
  bool labelIsAccess;
  int labelIndent;
  bool underflow;   // root: a brace closed a block opened above the lines read
  bool ownLine;     // block: its '{' stood first on its line
  int headIndent;      // block: the column of the head its '{' belongs to
};

inline Frame FreshFrame(FrameKind kind, int base) {
  Frame f{};
  f.kind = kind;
  f.block = CodeBlock;
  f.base = base;
  f.align = f.lastLine = -1;
  f.onlyWords = true;
  f.word = NoWord;
  f.colonAlign = f.prevSibling = f.stmtIndent = f.partIndent = f.contIndent = f.stmtLine = -1;
  f.sibling = f.labelIndent = f.nestedCont = f.shiftColumn = f.headIndent = -1;
  return f;
}

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
  // Blocks whose '{' stands on its own line: the first line in at the
  // brace's own column ([1], Whitesmiths) or further in ([0]).
  int braceBodyVotes[2] = {};
  // A function's '{' on its own line less its head's column; -1 not seen.
  int funcBraceDelta = -1;
  // A braced list's first entry below a '{' that ends its line, less the
  // list's statement's column (LLVM's and Google's: a continuation); -1 not seen.
  int listDelta = -1;
  // Statements whose first continuation line begins with "<<": under the
  // first line's "<<" ([1]) or elsewhere ([0]).
  int shiftVotes[2] = {};
  unsigned recent = 0;   // the latest indented lines, a bit each: 1 for a tab first
  int recentCount = 0;

  // Whether the file's indentation is written with tabs: the latest lines
  // decide, then the whole; -1 when no line tells.
  int Tabs() const {
    const int n = recentCount < 8 ? recentCount : 8;
    int t = 0;
    for (int i = 0; i < n; ++i) t += (recent >> i) & 1;
    if (n && 2 * t != n) return 2 * t > n ? 1 : 0;
    if (tabLines != spaceLines) return tabLines > spaceLines ? 1 : 0;
    return -1;
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
    if (Tabs() < 0) {
      tabLines = o.tabLines;
      spaceLines = o.spaceLines;
      recent = o.recent;
      recentCount = o.recentCount;
    }
    if (!Continuation())
      for (int d = 0; d <= 16; ++d) contVotes[d] = o.contVotes[d];
    int *mine[] = {&caseDelta, &accessDelta, &namespaceDelta, &labelBody, &braceDelta, &typeBraceDelta,
                   &labelBraceDelta, &initDelta, &funcBraceDelta, &listDelta};
    const int theirs[] = {o.caseDelta, o.accessDelta, o.namespaceDelta, o.labelBody, o.braceDelta,
                          o.typeBraceDelta, o.labelBraceDelta, o.initDelta, o.funcBraceDelta, o.listDelta};
    for (int i = 0; i < 10; ++i)
      if (*mine[i] < 0) *mine[i] = theirs[i];
    if (braceBodyVotes[0] + braceBodyVotes[1] == 0) {
      braceBodyVotes[0] = o.braceBodyVotes[0];
      braceBodyVotes[1] = o.braceBodyVotes[1];
    }
    if (parenAligned < 0) {
      parenAligned = o.parenAligned;
      parenVotes[0] = o.parenVotes[0];
      parenVotes[1] = o.parenVotes[1];
      parenDelta = o.parenDelta;
    }
    if (declVotes[0] + declVotes[1] == 0) {
      declVotes[0] = o.declVotes[0];
      declVotes[1] = o.declVotes[1];
    }
    if (gotoIndent < 0) {
      gotoIndent = o.gotoIndent;
      gotoDelta = o.gotoDelta;
    }
    // Comment shapes, each kind as a whole.
    if (commentTextVotes[0] + commentTextVotes[1] == 0) {
      commentTextVotes[0] = o.commentTextVotes[0];
      commentTextVotes[1] = o.commentTextVotes[1];
    }
    if (commentLeadDelta < 0) commentLeadDelta = o.commentLeadDelta;
    if (commentBareVotes[0] + commentBareVotes[1] == 0) {
      commentBareVotes[0] = o.commentBareVotes[0];
      commentBareVotes[1] = o.commentBareVotes[1];
      commentBareDelta = o.commentBareDelta;
    }
    if (docBareVotes[0] + docBareVotes[1] == 0) {
      docBareVotes[0] = o.docBareVotes[0];
      docBareVotes[1] = o.docBareVotes[1];
      docBareDelta = o.docBareDelta;
    }
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

// Whether a frame holds declarations rather than statements.
inline bool AtDeclarations(const Frame &f) {
  return f.kind == RootFrame ||
         (f.kind == BlockFrame && (f.block == ClassBlock || f.block == NamespaceBlock || f.block == ExternBlock));
}

// The reader's whole state; plain data so that an #if can keep a copy. Only
// the first `depth` frames hold anything.
struct Nesting {
  Frame frames[MaxFrames];
  int depth;  // frames[0] is the root
  void Reset() {
    frames[0] = FreshFrame(RootFrame, 0);
    depth = 1;
  }
  void CopyFrom(const Nesting &o) {
    depth = o.depth;
    for (int i = 0; i < depth; ++i) frames[i] = o.frames[i];
  }
};

template <class Char>
class Reader {
public:
  explicit Reader(int tabSize) { Reset(tabSize); }
  // Forgets all it read: as new, for a tab size.
  void Reset(int tabSize) {
    tab_ = tabSize > 0 && tabSize <= 512 ? tabSize : 8;
    n_.Reset();
    style_ = Style();
    conditionals_ = skippedConditionals_ = 0;
    comment_ = string_ = raw_ = lineComment_ = stringAtEnd_ = directive_ = directiveBrace_ = commentDoc_ = false;
    delimiterLength_ = commentColumn_ = commentLeadColumn_ = directiveIndent_ = directiveLast_ = 0;
    commentTextColumn_ = -1;
    quote_ = commentLead_ = prev_ = last_ = 0;
    lineIndent_ = lines_ = column_ = 0;
    firstToken_ = colonNext_ = firstOnLine_ = operatorName_ = macroEnded_ = false;
    prevWord_ = NoWord;
  }
  Reader &operator=(const Reader &) = delete;
  // A reading going on from another's, in caller-owned room (the object is
  // too large for a key handler's stack): the only copy made.
  static Reader *CopyAt(void *room, const Reader &o) { return new (room) Reader(o); }

  // Reads one line (its first `length` units; the cursor's line is read up to
  // the cursor).
  void Read(const Char *text, int length);

  // Where the reading ended.
  const Frame &Top() const { return n_.frames[n_.depth - 1]; }
  const Frame &Enclosing(int up) const { return n_.frames[n_.depth - 1 - up]; }
  int Depth() const { return n_.depth; }
  const Style &style() const { return style_; }
  void AdoptStyle(const Style &o) { style_.Adopt(o); }
  bool InComment() const { return comment_; }
  bool InDirective() const { return directive_; }
  // Whether the last line read ended inside a string or character literal.
  bool InString() const { return stringAtEnd_ || raw_; }
  bool InLineComment() const { return lineComment_; }
  // The block comment the reading ended in: its opener's column, and the
  // first non-blank unit and column of its latest non-blank line after the
  // opener's (0 when none).
  int CommentColumn() const { return commentColumn_; }
  Char CommentLead() const { return commentLead_; }
  int CommentLeadColumn() const { return commentLeadColumn_; }
  // The column of the text after the opener on the opener's line; -1 none.
  int CommentTextColumn() const { return commentTextColumn_; }
  bool CommentIsDoc() const { return commentDoc_; }
  // The directive the reading ended in: its first line's column, and the
  // indentation of its latest line.
  int DirectiveIndent() const { return directiveIndent_; }
  int DirectiveLastIndent() const { return directiveLast_; }
  bool DirectiveOpensBrace() const { return directiveBrace_; }
  int Lines() const { return lines_; }
  // Whether the last line read was a macro's use that its line's end ended
  // (its statement stood at Top().sibling).
  bool MacroCallEnded() const { return macroEnded_; }
  // The unit that ended the last line read (0 for a blank line).
  Char LastToken() const { return last_; }

  int tabSize() const { return tab_; }

private:
  Reader(const Reader &) = default;
  Frame &top() { return n_.frames[n_.depth - 1]; }
  void Push(FrameKind kind, int base);
  void BeginLine(Frame &f, bool label, bool shift);
  void Start(Frame &f, Word w);
  void NextPart(Frame &f);
  void Operand(Frame &f);
  bool DeclarationContext() const;
  void End(Frame &f);
  void Word_(const Char *s, int n, bool capital);
  void Punct(Char c, Char next, int column);
  void OpenBrace();
  void CloseBrace();
  void Directive(const Char *text, int i, int length);
  void Restart();

  int tab_;
  Nesting n_;
  Style style_;
  // #if levels: the nesting at each #if, and at the end of its first branch.
  Nesting saved_[MaxConditionals];
  Nesting firstBranch_[MaxConditionals];
  bool hasElse_[MaxConditionals] = {};
  int conditionals_ = 0;
  int skippedConditionals_ = 0;

  bool comment_ = false, string_ = false, raw_ = false, lineComment_ = false, stringAtEnd_ = false;
  bool directive_ = false, directiveBrace_ = false;
  Char quote_ = 0;
  Char delimiter_[MaxDelimiter + 1] = {};
  int delimiterLength_ = 0;
  int commentColumn_ = 0, commentLeadColumn_ = 0, commentTextColumn_ = -1;
  Char commentLead_ = 0;
  bool commentDoc_ = false;
  int directiveIndent_ = 0, directiveLast_ = 0;
  int lineIndent_ = 0;
  bool firstToken_ = false;
  Char prev_ = 0;           // the last token's unit ('a' for a name, '0' for a number)
  Word prevWord_ = NoWord;  // ...and its word when it was a name
  bool operatorName_ = false;  // in an operator's name (operator|=): its '=' assigns nothing
  bool macroEnded_ = false;    // the last line read ended a macro's use ("CHECK(x)")
  Char last_ = 0;
  int lines_ = 0;
  int column_ = 0;  // the current token's column
  bool colonNext_ = false;
  bool firstOnLine_ = false;  // the token being read is its line's first  // a continuation line began with ':': the next token sets its column
};

// ---------------------------------------------------------------------------

template <class Char>
inline bool IsNameUnit(Char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '$' || c >= 0x80;
}

template <class Char>
bool Equals(const Char *s, int n, const char *word) {
  int i = 0;
  for (; i < n && word[i]; ++i)
    if (s[i] != static_cast<Char>(word[i])) return false;
  return i == n && !word[i];
}

template <class Char>
Word Classify(const Char *s, int n) {
  struct Entry {
    const char *text;
    Word word;
  };
  static const Entry entries[] = {
      {"if", IfWord},           {"for", ForWord},           {"while", WhileWord},
      {"switch", SwitchWord},   {"catch", CatchWord},       {"else", ElseWord},
      {"do", DoWord},           {"try", TryWord},           {"case", CaseWord},
      {"default", DefaultWord}, {"public", AccessWord},     {"protected", AccessWord},
      {"private", AccessWord},  {"class", ClassWord},       {"struct", ClassWord},
      {"union", ClassWord},     {"enum", EnumWord},         {"namespace", NamespaceWord},
      {"extern", ExternWord},   {"return", ReturnWord},     {"template", TemplateWord},
      {"signals", AccessWord},  {"Q_SIGNALS", AccessWord}, {"operator", OperatorWord},
  };
  for (const Entry &e : entries)
    if (Equals(s, n, e.text)) return e.word;
  return OtherWord;
}

template <class Char>
void Reader<Char>::Push(FrameKind kind, int base) {
  if (n_.depth >= MaxFrames) return;
  Frame &f = n_.frames[n_.depth++];
  f = FreshFrame(kind, base);
  f.openerIndent = lineIndent_;
}

template <class Char>
void Reader<Char>::Restart() {
  n_.Reset();
  conditionals_ = skippedConditionals_ = 0;
}

// The first token of a line, in frame `f`.
// `label`: the line begins with a case, default or access label's word;
// `shift`: with "<<".
template <class Char>
void Reader<Char>::BeginLine(Frame &f, bool label, bool shift) {
  const int indent = lineIndent_;
  if (f.kind == ParenFrame) {
    if (f.lastLine < 0 && f.align == -1) style_.VoteContinuation(indent - f.openerIndent);
    if (f.lastLine < 0 && f.align >= 0 && !f.angle) {
      const bool decl = AtDeclarations(n_.frames[n_.depth - 2]);
      if (indent == f.align) {
        style_.parenAligned = 1;
        ++style_.parenVotes[1];
        style_.declVotes[1] += decl;
      } else if (indent > f.openerIndent && indent < f.align) {
        style_.parenAligned = 0;
        ++style_.parenVotes[0];
        style_.declVotes[0] += decl;
        style_.parenDelta = indent - f.openerIndent;
      }
    }
    f.lastLine = indent;
    return;
  }
  // The first line inside a braced list that began on its opener's line
  // ("{ name, offset,"): its column teaches the list's next such entries.
  if (f.kind == InitFrame && f.lastLine < 0 && f.sibling < 0 && indent > f.base && indent - f.base <= 16)
    style_.listDelta = indent - f.base;
  if (f.kind == InitFrame && f.lastLine < 0 && f.sibling >= 0 && n_.depth >= 2 &&
      n_.frames[n_.depth - 2].kind == InitFrame)
    n_.frames[n_.depth - 2].nestedCont = indent;
  if (f.kind == BlockFrame && !f.bodySeen && !label) {
    f.bodySeen = true;
    // A case's statements stand a label's offset in: the unit is from the label.
    const bool fromLabel = f.block == SwitchBlock && f.afterLabel && f.labelIndent >= 0;
    const int delta = indent - (fromLabel ? f.labelIndent : f.base);
    if (f.block == NamespaceBlock) {
      if (delta >= 0) style_.namespaceDelta = delta;
    } else if (f.block != ExternBlock && delta > 0 && delta <= 16) {
      ++style_.unitVotes[delta];
      style_.lastUnit = delta;
    }
    // Whitesmiths: a brace one level in from its head, its body at the
    // brace; the brace's offset is the unit. (Code not indented at all is
    // no such sign.)
    const int offset = f.base - f.headIndent;
    if (f.block != NamespaceBlock && f.block != ExternBlock && f.ownLine && !fromLabel && delta >= 0 &&
        f.headIndent >= 0 && offset > 0 && offset <= 16) {
      ++style_.braceBodyVotes[delta == 0 ? 1 : 0];
      if (delta == 0) {
        ++style_.unitVotes[offset];
        style_.lastUnit = offset;
      }
    }
  }
  f.lastLine = indent;
  if (f.inStmt && !f.awaitBody && !f.templateHead) {
    // A "<<" lined up under the first one is alignment, not a unit.
    const bool shiftAligned = shift && f.shiftColumn >= 0 && indent == f.shiftColumn;
    if (f.contIndent < 0 && !shiftAligned) style_.VoteContinuation(indent - f.partIndent);
    if (f.contIndent < 0 && shift && f.shiftColumn >= 0) ++style_.shiftVotes[shiftAligned ? 1 : 0];
    f.contIndent = indent;
    colonNext_ = false;
  }
}

template <class Char>
void Reader<Char>::Start(Frame &f, Word w) {
  f.inStmt = true;
  f.awaitBody = f.expectCond = f.doWhile = f.assign = f.parens = false;
  f.onlyWords = true;
  f.macroCall = false;
  f.word = w;
  f.stmtIndent = f.partIndent = lineIndent_;
  f.contIndent = -1;
  f.stmtLine = lines_;
  f.templateHead = false;
  f.words = 0;
  f.colonAlign = -1;
  f.prevSibling = f.sibling;
  if (!IsLabelWord(w)) {
    if (f.afterLabel && !f.labelIsAccess && f.labelIndent >= 0 && lineIndent_ > f.labelIndent)
      style_.labelBody = lineIndent_ - f.labelIndent;
    f.sibling = lineIndent_;
    f.afterLabel = false;
  }
  if (HasCondition(w)) f.expectCond = true;
  if (w == ElseWord || w == DoWord || w == TryWord) f.awaitBody = true;
}

// An operand or operator in a statement frame: it begins a statement where
// none is under way, and after a complete head it begins the statement the
// head controls.
template <class Char>
void Reader<Char>::Operand(Frame &f) {
  if (!f.inStmt) Start(f, OtherWord);
  if (f.awaitBody) {
    f.awaitBody = false;
    f.partIndent = lineIndent_;
    f.word = OtherWord;
  }
}

// The first token after a template's head begins its declaration.
template <class Char>
void Reader<Char>::NextPart(Frame &f) {
  if (colonNext_ && f.inStmt) {
    f.colonAlign = column_;
    colonNext_ = false;
  }
  if (!f.templateHead) return;
  f.templateHead = false;
  f.partIndent = lineIndent_;
  f.contIndent = -1;
}

// Where '<' after a name opens template arguments: outside function bodies,
// or in a template's head.
template <class Char>
bool Reader<Char>::DeclarationContext() const {
  for (int k = n_.depth - 1; k >= 0; --k) {
    const Frame &f = n_.frames[k];
    if (f.kind == ParenFrame) continue;
    if (f.word == TemplateWord) return true;
    if (f.kind == RootFrame) return true;
    return f.kind == BlockFrame && f.block != CodeBlock && f.block != SwitchBlock;
  }
  return false;
}

template <class Char>
void Reader<Char>::End(Frame &f) {
  f.inStmt = f.awaitBody = f.expectCond = f.doWhile = f.assign = f.parens = false;
  f.macroCall = f.templateHead = false;
  f.contIndent = f.colonAlign = f.shiftColumn = -1;
  f.word = NoWord;
}

template <class Char>
void Reader<Char>::Word_(const Char *s, int n, bool capital) {
  Frame &f = top();
  const Word w = Classify(s, n);
  if (f.kind != ParenFrame) {
    NextPart(f);
    if (!f.inStmt) {
      Start(f, w);
      f.macroCall = capital && f.kind != InitFrame;
    } else if (f.awaitBody) {
      // The controlled statement, or a further head (else if, a nested for).
      f.awaitBody = false;
      f.partIndent = lineIndent_;
      f.contIndent = -1;
      f.word = w;
      if (HasCondition(w)) f.expectCond = true;
      if (w == ElseWord || w == DoWord || w == TryWord) f.awaitBody = true;
    } else {
      f.macroCall = false;
      if (f.doWhile && w == WhileWord) f.expectCond = true;
      if (w == ReturnWord) f.assign = true;
      // "template <...> class", "typedef struct": the block is a class's.
      if ((w == ClassWord || w == EnumWord) && !f.parens && !f.assign && f.word != EnumWord) f.word = w;
    }
    ++f.words;
  }
  prev_ = 'a';
  prevWord_ = w;
  operatorName_ = w == OperatorWord;
}

template <class Char>
void Reader<Char>::OpenBrace() {
  Frame &f = top();
  if (f.kind == ParenFrame) {
    // A lambda's body or a braced list inside a call.
    const bool list = prev_ == '(' || prev_ == ',' || prev_ == '[' || prev_ == '{' || prev_ == '=';
    Push(list ? InitFrame : BlockFrame, lineIndent_);
    if (list) top().align = -2;
    return;
  }
  // A '{' on its own line right after a case label: how far in from it.
  if (firstOnLine_ && !f.inStmt && f.afterLabel && !f.labelIsAccess && f.labelIndent >= 0 &&
      lineIndent_ >= f.labelIndent)
    style_.labelBraceDelta = lineIndent_ - f.labelIndent;
  if (!f.inStmt) Start(f, OtherWord);
  f.macroCall = false;
  const bool list = f.kind == InitFrame || prev_ == '=' || prev_ == ',' || prev_ == '(' ||
                    prev_ == '[' || prev_ == '{' || prevWord_ == ReturnWord ||
                    (f.assign && prev_ != ')' && prevWord_ != OtherWord && prev_ == 'a');
  // A '{' on its own line is its block's base: its '}' goes under it, and
  // its lines are indented from it (GNU's braces stand two in from the head).
  const int base = firstOnLine_ ? lineIndent_ : f.partIndent;
  BlockKind block = CodeBlock;
  if (!list && !f.parens) {
    if (f.word == ClassWord) block = ClassBlock;
    if (f.word == EnumWord) block = EnumBlock;
    if (f.word == NamespaceWord) block = NamespaceBlock;
    if (f.word == ExternWord) block = ExternBlock;
  }
  if (f.awaitBody && f.word == SwitchWord) block = SwitchBlock;
  if (firstOnLine_ && !list && lineIndent_ >= f.partIndent) {
    if (f.awaitBody)
      style_.braceDelta = lineIndent_ - f.partIndent;
    else if (block == ClassBlock || block == EnumBlock)
      style_.typeBraceDelta = lineIndent_ - f.partIndent;
    else if (block == CodeBlock && f.parens)
      style_.funcBraceDelta = lineIndent_ - f.partIndent;
  }
  const int head = f.partIndent;
  f.awaitBody = false;
  Push(list || block == EnumBlock ? (list ? InitFrame : BlockFrame) : BlockFrame, base);
  top().block = block;
  top().ownLine = firstOnLine_ && !list;
  top().headIndent = head;
  if (list) top().align = -2;  // where its first entry stands on the opener's line
}

template <class Char>
void Reader<Char>::CloseBrace() {
  while (n_.depth > 1 && top().kind == ParenFrame) --n_.depth;
  if (n_.depth == 1) {
    // Closes a block opened above the lines read: what follows stands where
    // this brace's statement stood.
    Frame &root = top();
    End(root);
    root.sibling = lineIndent_;
    root.afterLabel = false;
    root.underflow = true;
    return;
  }
  const Frame closed = top();
  --n_.depth;
  Frame &f = top();
  if (f.kind == ParenFrame) return;
  if (closed.kind == InitFrame || closed.block == ClassBlock || closed.block == EnumBlock || f.assign ||
      f.kind == InitFrame)
    return;  // the statement goes on to its ';' or ','
  if (f.word == DoWord) {
    f.doWhile = true;
    return;
  }
  End(f);
}

template <class Char>
void Reader<Char>::Punct(Char c, Char next, int column) {
  const bool inOperatorName = operatorName_ && (c == '=' || c == '+' || c == '-' || c == '*' || c == '/' ||
                                                c == '%' || c == '^' || c == '&' || c == '|' || c == '<' ||
                                                c == '>' || c == '!' || c == '~');
  // A '<' read as a template's bracket was a comparison after all.
  if (c == ';' || c == '{' || c == '}' || c == ')' || c == ']')
    while (n_.depth > 1 && top().angle) --n_.depth;
  Frame &f = top();
  if ((f.kind == ParenFrame || f.kind == InitFrame) && f.align == -2) f.align = column;
  if (f.kind != ParenFrame) NextPart(f);
  if (c == '<' && next == '<' && prev_ != '<' && f.kind != ParenFrame && f.inStmt && f.shiftColumn < 0 &&
      f.stmtLine == lines_)
    f.shiftColumn = column;
  if (c == '{') {
    OpenBrace();
  } else if (c == '}') {
    CloseBrace();
  } else if (c == '<' && next != '<' && next != '=' && prev_ == 'a' && prevWord_ != OperatorWord &&
             DeclarationContext()) {
    if (f.kind != ParenFrame && !f.inStmt) Start(f, OtherWord);
    Push(ParenFrame, f.kind == ParenFrame ? lineIndent_ : f.partIndent);
    top().angle = true;
    top().align = -2;
  } else if (c == '>' && f.angle) {
    --n_.depth;
    Frame &g = top();
    if (g.kind != ParenFrame && g.word == TemplateWord && g.words == 1) g.templateHead = true;
  } else if (c == '(' || c == '[') {
    bool condition = false;
    if (f.kind != ParenFrame) {
      Operand(f);
      condition = f.expectCond && c == '(';
      f.expectCond = false;
      f.parens = true;
      f.onlyWords = false;
    }
    Push(ParenFrame, f.kind == ParenFrame ? lineIndent_ : f.partIndent);
    top().condition = condition;
    top().align = -2;
  } else if (c == ')' || c == ']') {
    if (f.kind == ParenFrame) {
      const bool condition = f.condition;
      --n_.depth;
      Frame &g = top();
      if (condition && g.kind != ParenFrame && g.inStmt) {
        if (g.doWhile)
          g.doWhile = false;
        else
          g.awaitBody = true;
      }
    }
  } else if (c == ';') {
    if (f.kind != ParenFrame) End(f);
  } else if (c == ',') {
    if (f.kind == InitFrame || (f.kind == BlockFrame && f.block == EnumBlock))
      End(f);
    else if (f.kind != ParenFrame)
      f.onlyWords = false;
  } else if (c == ':') {
    if (f.kind != ParenFrame && f.inStmt && IsLabelWord(f.word) && !f.parens) {
      const bool access = f.word == AccessWord;
      if (f.block == SwitchBlock && !access) {
        style_.caseDelta = f.stmtIndent - f.base;
        if (style_.caseDelta >= 0 && style_.caseDelta <= 16) ++style_.caseVotes[style_.caseDelta];
      }
      if (f.block == ClassBlock && access && f.stmtIndent >= f.base) style_.accessDelta = f.stmtIndent - f.base;
      f.labelIndent = f.stmtIndent;
      f.labelIsAccess = access;
      End(f);
      f.afterLabel = true;
    } else if ((f.kind == BlockFrame || (f.kind == RootFrame && f.underflow)) && f.block != ClassBlock &&
               f.inStmt && f.words == 1 && f.onlyWords && !f.awaitBody && prev_ == 'a' && f.word == OtherWord) {
      // A goto label (in a function whose start lies above the lines read,
      // too): the statements around it keep their place.
      style_.gotoIndent = f.stmtIndent;
      style_.gotoDelta = f.prevSibling >= 0 ? f.stmtIndent - f.prevSibling : NoDelta;
      f.sibling = f.prevSibling;
      End(f);
    } else if (f.kind != ParenFrame) {
      f.onlyWords = false;
      if (firstOnLine_ && f.inStmt) colonNext_ = true;
    }
  } else {
    if (f.kind != ParenFrame) {
      Operand(f);
      if (c == '=' && !inOperatorName && next != '=' && prev_ != '=' && prev_ != '!' && prev_ != '<' &&
          prev_ != '>')
        f.assign = true;
      if (c != '*' && c != '&' && c != '<' && c != '>') f.onlyWords = false;
      // "struct list *": a pointer's type, not a class's head.
      if ((c == '*' || c == '&') && f.word == ClassWord) f.word = OtherWord;
      f.macroCall = false;
    }
  }
  prev_ = c;
  prevWord_ = NoWord;
  operatorName_ = inOperatorName;
}

// A directive line: #if levels keep their first branch's nesting.
template <class Char>
void Reader<Char>::Directive(const Char *text, int i, int length) {
  ++i;  // the '#'
  while (i < length && (text[i] == ' ' || text[i] == '\t')) ++i;
  int j = i;
  while (j < length && IsNameUnit(text[j])) ++j;
  const Char *w = text + i;
  const int n = j - i;
  if (Equals(w, n, "if") || Equals(w, n, "ifdef") || Equals(w, n, "ifndef")) {
    if (conditionals_ < MaxConditionals) {
      saved_[conditionals_].CopyFrom(n_);
      hasElse_[conditionals_] = false;
      ++conditionals_;
    } else {
      ++skippedConditionals_;
    }
  } else if (Equals(w, n, "else") || Equals(w, n, "elif") || Equals(w, n, "elifdef") ||
             Equals(w, n, "elifndef")) {
    if (!skippedConditionals_ && conditionals_ > 0) {
      const int k = conditionals_ - 1;
      if (!hasElse_[k]) firstBranch_[k].CopyFrom(n_);
      hasElse_[k] = true;
      n_.CopyFrom(saved_[k]);
    }
  } else if (Equals(w, n, "endif")) {
    if (skippedConditionals_) {
      --skippedConditionals_;
    } else if (conditionals_ > 0) {
      const int k = --conditionals_;
      if (hasElse_[k]) n_.CopyFrom(firstBranch_[k]);
    }
  }
}

template <class Char>
void Reader<Char>::Read(const Char *text, int length) {
  ++lines_;
  const bool afterMacro = macroEnded_;
  macroEnded_ = false;
  lineComment_ = false;
  int i = 0, column = 0;
  auto advance = [&](int k) {
    for (; k > 0 && i < length; --k, ++i) column = text[i] == '\t' ? (column / tab_ + 1) * tab_ : column + 1;
  };
  while (i < length && (text[i] == ' ' || text[i] == '\t')) advance(1);
  lineIndent_ = column;
  if (i == length) {
    if (directive_) directive_ = false;
    last_ = 0;
    return;
  }
  if (!comment_ && !raw_ && !string_ && column > 0) {
    if (text[0] == '\t')
      ++style_.tabLines;
    else
      ++style_.spaceLines;
    style_.recent = (style_.recent << 1) | (text[0] == '\t' ? 1u : 0u);
    ++style_.recentCount;
  }
  last_ = 0;
  for (int k = length - 1; k >= 0; --k)
    if (text[k] != ' ' && text[k] != '\t') {
      last_ = text[k];
      break;
    }

  if (directive_) {  // a directive's continuation line
    directiveLast_ = column;
    directiveBrace_ = last_ == '\\' && [&] {
      for (int k = length - 1; k > i; --k)
        if (text[k] != ' ' && text[k] != '\t' && text[k] != '\\') return text[k] == '{';
      return false;
    }();
    directive_ = last_ == '\\';
    return;
  }
  if (!comment_ && !raw_ && !string_ && text[i] == '#') {
    directiveIndent_ = directiveLast_ = column;
    directiveBrace_ = false;
    directive_ = last_ == '\\';
    Directive(text, i, length);
    return;
  }
  if (comment_ && (text[i] != '*' || i + 1 >= length || text[i + 1] != '/')) {
    if (!commentLead_) {  // the comment's first line below its opener
      const int delta = column - commentColumn_;
      if (text[i] == '*') {
        if (delta >= 0 && delta <= 3) style_.commentLeadDelta = delta;
        ++(commentTextColumn_ >= 0 ? style_.commentTextVotes
                                   : commentDoc_ ? style_.docBareVotes : style_.commentBareVotes)[0];
      } else if (commentTextColumn_ >= 0) {
        if (column == commentTextColumn_) ++style_.commentTextVotes[1];
      } else if (delta >= 0 && delta <= 8) {
        ++(commentDoc_ ? style_.docBareVotes : style_.commentBareVotes)[1];
        (commentDoc_ ? style_.docBareDelta : style_.commentBareDelta) = delta;
      }
    }
    commentLead_ = text[i];
    commentLeadColumn_ = column;
  }
  firstToken_ = true;
  while (i < length) {
    const Char c = text[i];
    if (comment_) {
      if (c == '*' && i + 1 < length && text[i + 1] == '/') {
        comment_ = false;
        advance(2);
      } else {
        advance(1);
      }
      continue;
    }
    if (raw_) {
      if (c == ')' && i + delimiterLength_ + 1 < length + 0 &&
          [&] {
            for (int k = 0; k < delimiterLength_; ++k)
              if (text[i + 1 + k] != delimiter_[k]) return false;
            return text[i + 1 + delimiterLength_] == '"';
          }()) {
        raw_ = false;
        advance(delimiterLength_ + 2);
        prev_ = '"';
      } else {
        advance(1);
      }
      continue;
    }
    if (string_) {
      if (c == '\\') {
        advance(2);
      } else {
        if (c == quote_) string_ = false;
        advance(1);
      }
      continue;
    }
    if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {  // a form feed: GNU's page break
      advance(1);
      continue;
    }
    if (c == '/' && i + 1 < length && text[i + 1] == '/') {
      lineComment_ = true;
      break;
    }
    if (c == '/' && i + 1 < length && text[i + 1] == '*') {
      comment_ = true;
      commentColumn_ = column;
      commentLead_ = 0;
      commentLeadColumn_ = 0;
      advance(2);
      // "/**" and "/*!" open documentation, which may be shaped apart (Qt's
      // text four in below a license banner's "**" leaders).
      commentDoc_ = i < length && (text[i] == '!' || (text[i] == '*' && (i + 1 == length || (text[i + 1] != '*' &&
                                                                                           text[i + 1] != '/'))));
      // The opener's own text ("/* text", "/** text"), where lines below may
      // line up.
      while (i < length && (text[i] == '*' || text[i] == '!') && !(i + 1 < length && text[i + 1] == '/'))
        advance(1);
      while (i < length && (text[i] == ' ' || text[i] == '\t')) advance(1);
      commentTextColumn_ = i < length && !(text[i] == '*' && i + 1 < length && text[i + 1] == '/') ? column : -1;
      continue;
    }
    if (c == '*' && i + 1 < length && text[i + 1] == '/') {
      // The end of a comment whose start lies above the lines read: all
      // before it was comment.
      Restart();
      advance(2);
      continue;
    }
    const int at = column;
    column_ = at;
    firstOnLine_ = firstToken_;
    if (firstToken_) {
      firstToken_ = false;
      if (c == ':' && !(i + 1 < length && text[i + 1] == ':') && top().kind != ParenFrame && top().inStmt &&
          prev_ == ')' && lineIndent_ >= top().stmtIndent)
        style_.initDelta = lineIndent_ - top().stmtIndent;
      if (!(c == '}' && top().kind != ParenFrame)) {
        int k = i;
        while (k < length && IsNameUnit(text[k])) ++k;
        const bool shift = c == '<' && i + 1 < length && text[i + 1] == '<';
        BeginLine(top(), k > i && IsLabelWord(Classify(text + i, k - i)), shift);
        Frame &f = top();
        if (shift && afterMacro && f.kind != ParenFrame && !f.inStmt) {
          // "<<" below a macro's use goes on its statement.
          Start(f, OtherWord);
          f.stmtIndent = f.partIndent = f.sibling = f.prevSibling;
          f.contIndent = lineIndent_;
          f.onlyWords = false;
        }
      }
    }
    if ((top().kind == ParenFrame || top().kind == InitFrame) && top().align == -2) top().align = at;
    if (c == '"' || c == '\'') {
      Frame &f = top();
      if (f.kind != ParenFrame) {
        Operand(f);
        f.onlyWords = false;
        f.macroCall = false;
      }
      // R"delim( ... )delim": a raw string, which may run over lines.
      if (c == '"' && i > 0 && text[i - 1] == 'R' && prev_ == 'a') {
        int k = i + 1;
        delimiterLength_ = 0;
        while (k < length && text[k] != '(' && delimiterLength_ < MaxDelimiter)
          delimiter_[delimiterLength_++] = text[k++];
        if (k < length && text[k] == '(') {
          raw_ = true;
          advance(k + 1 - i);
          continue;
        }
      }
      string_ = true;
      quote_ = c;
      advance(1);
      prev_ = '"';
      prevWord_ = NoWord;
      operatorName_ = false;
      continue;
    }
    if (IsNameUnit(c)) {
      const bool digit = c >= '0' && c <= '9';
      int k = i;
      bool capital = !digit;
      while (k < length && (IsNameUnit(text[k]) || (digit && (text[k] == '.' || text[k] == '\'')))) {
        if (text[k] >= 'a' && text[k] <= 'z') capital = false;
        ++k;
      }
      if (digit) {
        Punct('0', 0, at);
        prev_ = '0';
      } else {
        Word_(text + i, k - i, capital && k - i > 1);
      }
      advance(k - i);
      continue;
    }
    if (c == ':' && i + 1 < length && text[i + 1] == ':') {
      Frame &f = top();
      if (f.kind != ParenFrame && !f.inStmt) Start(f, OtherWord);
      advance(2);
      prev_ = ':';
      prevWord_ = NoWord;
      operatorName_ = false;
      continue;
    }
    if (c == '-' && i + 1 < length && text[i + 1] == '>') {  // "->" closes no bracket
      Punct('.', 0, at);
      advance(2);
      continue;
    }
    Punct(c, i + 1 < length ? text[i + 1] : 0, at);
    advance(1);
  }
  stringAtEnd_ = string_;
  if (string_ && last_ != '\\') string_ = false;  // an unclosed literal ends with its line
  Frame &f = top();
  if ((f.kind == ParenFrame || f.kind == InitFrame) && f.align == -2) f.align = -1;
  // A line holding only a capitalised name and its arguments is a macro's
  // use that needs no ';'.
  if (f.kind != ParenFrame && f.inStmt && f.macroCall && f.stmtLine == lines_ && (prev_ == ')' || prev_ == 'a')) {
    End(f);
    macroEnded_ = true;
  }
}

}  // namespace indent
