// What is open at a point of a C/C++ file: the frames (the root, blocks,
// initializer lists, parentheses) and the statement under way in each, as
// plain data the reading keeps; the words that decide them.
#pragma once

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
  int openerLine;      // the reading's line that held the opener (its first is 1)
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
  bool oldParams;   // root: an old-style function's parameter declarations, before its '{'
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
  bool afterLabel;  // a case, default or access label ended last (at labelIndent)
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

// Whether a frame holds declarations rather than statements (only a block
// is ever of a class's, a namespace's or an extern's kind).
inline bool AtDeclarations(const Frame &f) {
  return f.kind == RootFrame || f.block == ClassBlock || f.block == NamespaceBlock || f.block == ExternBlock;
}

// A declaration's type alone on its line, its name on the next ("static int"
// / "name(void)"): where the statement's words so far can be only that.
inline bool TypeAlone(const Frame &f) {
  return f.inStmt && f.onlyWords && !f.awaitBody && !f.templateHead && f.word != ReturnWord &&
         f.word != ClassWord && f.kind != ParenFrame && f.kind != InitFrame && AtDeclarations(f);
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

}  // namespace indent
