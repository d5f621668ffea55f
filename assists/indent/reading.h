// The C/C++ reading of the lines above the cursor: which block, statement,
// parenthesis or comment the cursor stands in, and the indentation style the
// file shows. The lines are read forward from a start a bounded distance up;
// nothing here touches the host.
//
// The reading is in four files besides this class: frames.h (what is open),
// style.h (the votes the lines cast), lexing.h (a line's tokens, in order)
// and statements.h (what each token does to the frames).
#pragma once

#include <new>

#include "assists/indent/frames.h"
#include "assists/indent/style.h"
#include "assists/text.h"

namespace indent {

template <class Char>
class Reader {
public:
  explicit Reader(int tabSize) { Reset(tabSize); }
  // Forgets all it read: as new, for a tab size.
  void Reset(int tabSize) {
    tab_ = UsableTabSize(tabSize);
    n_.Reset();
    style_ = Style();
    style_.tabStop = tab_;
    conditionals_ = skippedConditionals_ = 0;
    comment_ = string_ = raw_ = lineComment_ = stringAtEnd_ = directive_ = directiveBrace_ = commentDoc_ = false;
    delimiterLength_ = commentColumn_ = commentLeadColumn_ = directiveIndent_ = directiveLast_ = 0;
    commentTextColumn_ = -1;
    quote_ = commentLead_ = prev_ = last_ = 0;
    lineIndent_ = lines_ = column_ = 0;
    firstToken_ = colonNext_ = firstOnLine_ = operatorName_ = macroEnded_ = macroLabel_ = commentEnded_ = false;
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
  // Whether the last line read ended a block comment begun above it (whose
  // opener's column CommentColumn() still gives).
  bool CommentEnded() const { return commentEnded_; }
  // The unit that ended the last line read (0 for a blank line).
  Char LastToken() const { return last_; }

  int tabSize() const { return tab_; }

private:
  Reader(const Reader &) = default;
  Frame &top() { return n_.frames[n_.depth - 1]; }
  void Push(FrameKind kind, int base);
  void BeginLine(Frame &f, bool label, bool shift, bool brace, bool name);
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
  // Reset gives the rest their first values (the constructor calls it).
  int conditionals_;
  int skippedConditionals_;

  bool comment_, string_, raw_, lineComment_, stringAtEnd_;
  bool directive_, directiveBrace_;
  Char quote_;
  Char delimiter_[MaxDelimiter + 1] = {};
  int delimiterLength_;
  int commentColumn_, commentLeadColumn_, commentTextColumn_;
  Char commentLead_;
  bool commentDoc_;
  int directiveIndent_, directiveLast_;
  int lineIndent_;
  bool firstToken_;
  bool macroLabel_;  // the line's first word is a macro standing for an access label
  Char prev_;          // the last token's unit ('a' for a name, '0' for a number)
  Word prevWord_;      // ...and its word when it was a name
  bool operatorName_;  // in an operator's name (operator|=): its '=' assigns nothing
  bool macroEnded_;    // the last line read ended a macro's use ("CHECK(x)")
  bool commentEnded_;
  Char last_;
  int lines_;
  int column_;  // the current token's column
  bool colonNext_;    // a continuation line began with ':': the next token sets its column
  bool firstOnLine_;  // the token being read is its line's first
};

}  // namespace indent

#include "assists/indent/lexing.h"
#include "assists/indent/statements.h"
