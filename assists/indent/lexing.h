// The lexing of a line for the reading: blanks, comments, literals, raw
// strings, directives and words in order, each token handed to the frames
// (statements.h), and the votes that only a line's shape shows (its
// indentation written with tabs or spaces, a comment's leaders).
#pragma once

#include "assists/indent/reading.h"

namespace indent {

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

// A capitalised name alone before a ':' (and at most a comment after it):
// in a class, a macro that stands for an access label
// ("JSON_PRIVATE_UNLESS_TESTED:", "Q_SLOTS:").
template <class Char>
bool CapitalisedName(const Char *s, int n) {
  bool letter = false;
  for (int k = 0; k < n; ++k) {
    if (!IsNameUnit(s[k]) || (s[k] >= 'a' && s[k] <= 'z')) return false;
    if (s[k] >= 'A' && s[k] <= 'Z') letter = true;
  }
  return letter && n >= 2 && !(s[0] >= '0' && s[0] <= '9');
}

template <class Char>
bool MacroLabel(const Char *s, int n) {
  int k = 0;
  while (k < n && IsNameUnit(s[k])) ++k;
  if (!CapitalisedName(s, k)) return false;
  while (k < n && (s[k] == ' ' || s[k] == '\t')) ++k;
  if (k >= n || s[k] != ':' || (k + 1 < n && s[k + 1] == ':')) return false;
  for (++k; k < n && (s[k] == ' ' || s[k] == '\t'); ++k) {
  }
  return k == n || (k + 1 < n && s[k] == '/' && (s[k + 1] == '/' || s[k + 1] == '*'));
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
void Reader<Char>::Read(const Char *text, int length) {
  ++lines_;
  const bool afterMacro = macroEnded_;
  const bool inComment = comment_;
  macroEnded_ = commentEnded_ = false;
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
  // Lines less than a tab stop in, written with spaces, are counted apart:
  // a file that writes a tab per full stop and spaces for the rest
  // ("\t    x") writes them so too (style.h's Tabs weighs them).
  if (!comment_ && !raw_ && !string_ && column > 0) {
    const bool shallow = text[0] != '\t' && column < tab_;
    if (shallow)
      ++style_.shallowSpaceLines;
    else if (text[0] == '\t')
      ++style_.tabLines;
    else
      ++style_.spaceLines;
    // A line that shallow inside a statement or parenthesis ("  \"text\"")
    // is alignment: it says nothing of how the lines are indented.
    const Frame &f = top();
    if (!shallow || (f.kind != ParenFrame && !f.inStmt)) {
      style_.recent = (style_.recent << 1) | (text[0] == '\t' ? 1u : 0u);
      ++style_.recentCount;
    }
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
  } else if (comment_ && commentTextColumn_ >= 0 && commentLead_ != '*') {  // "*/" first, below text
    if (column == commentTextColumn_)
      ++style_.closeVotes[1];
    else if (column == commentColumn_ + 1)
      ++style_.closeVotes[0];
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
      // (A "*/" there ends the comment before the column is read.)
      commentTextColumn_ = i < length ? column : -1;
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
        style_.Keep(Style::InitKept, lineIndent_ - top().stmtIndent);
      if (!(c == '}' && top().kind != ParenFrame)) {
        int k = i;
        while (k < length && IsNameUnit(text[k])) ++k;
        const bool shift = c == '<' && i + 1 < length && text[i + 1] == '<';
        macroLabel_ = top().kind == BlockFrame && top().block == ClassBlock && !top().inStmt &&
                      MacroLabel(text + i, length - i);
        BeginLine(top(), k > i && (macroLabel_ || IsLabelWord(Classify(text + i, k - i))), shift, c == '{', k > i);
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
    // "->" closes no bracket: it reads as one '.'.
    const bool arrow = c == '-' && i + 1 < length && text[i + 1] == '>';
    Punct(arrow ? '.' : c, i + 1 < length ? text[i + 1] : 0, at);
    advance(arrow ? 2 : 1);
  }
  stringAtEnd_ = string_;
  if (string_ && last_ != '\\') string_ = false;  // an unclosed literal ends with its line
  commentEnded_ = inComment && !comment_ && last_ == '/';
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
