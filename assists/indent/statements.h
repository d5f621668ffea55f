// What each token does to the frames of what is open: statements begun and
// ended, heads and the statements they control, blocks, lists and
// parentheses opened and closed, labels, directives' #if levels; and the
// style votes each casts (the unit, braces' offsets, labels' columns).
#pragma once

#include "assists/indent/reading.h"

namespace indent {

template <class Char>
void Reader<Char>::Push(FrameKind kind, int base) {
  if (n_.depth >= MaxFrames) return;
  Frame &f = n_.frames[n_.depth++];
  f = FreshFrame(kind, base);
  f.openerIndent = lineIndent_;
  f.openerLine = lines_;
}

template <class Char>
void Reader<Char>::Restart() {
  n_.Reset();
  conditionals_ = skippedConditionals_ = 0;
}

// The first token of a line, in frame `f`.
// `label`: the line begins with a case, default or access label's word;
// `shift`: with "<<"; `brace`: with '{'; `name`: with a name.
template <class Char>
void Reader<Char>::BeginLine(Frame &f, bool label, bool shift, bool brace, bool name) {
  const int indent = lineIndent_;
  if (f.kind == ParenFrame) {
    if (f.lastLine < 0 && f.align == -1) style_.VoteContinuation(indent - f.openerIndent);
    if (f.lastLine < 0 && !f.angle) {  // (an opener ending its line aligns nothing: align < 0)
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
    style_.Keep(Style::ListKept, indent - f.base);
  // The line below a list's first entries on its '{' line ("{ a, b,"):
  // lined up after the '{', or a continuation's offset in.
  if (f.kind == InitFrame && f.lastLine < 0 && f.sibling >= 0 && f.align >= 0) {
    if (indent == f.align) {
      ++style_.listAlignVotes[1];
    } else if (indent > f.base && indent - f.base <= 16) {
      ++style_.listAlignVotes[0];
      style_.listContDelta = indent - f.base;
    }
  }
  // (Read only where the frame around is a braced list too.)
  if (f.kind == InitFrame && f.lastLine < 0 && f.sibling >= 0 && n_.depth >= 2)
    n_.frames[n_.depth - 2].nestedCont = indent;
  if (f.kind == BlockFrame && !f.bodySeen && !label) {
    f.bodySeen = true;
    // A case's statements stand a label's offset in: the unit is from the label.
    const bool fromLabel = f.block == SwitchBlock && f.afterLabel;
    const int delta = indent - (fromLabel ? f.labelIndent : f.base);
    if (f.block == NamespaceBlock) {
      if (delta >= 0) style_.Keep(Style::NamespaceKept, delta);
    } else if (f.block != ExternBlock && delta > 0 && delta <= 16) {
      ++style_.unitVotes[delta];
      style_.lastUnit = delta;
    }
    // Whitesmiths: a brace one level in from its head, its body at the
    // brace; the brace's offset is the unit. (Code not indented at all is
    // no such sign.) A body further in than its brace votes against it.
    const int offset = f.base - f.headIndent;
    if (f.block != NamespaceBlock && f.block != ExternBlock && f.ownLine && !fromLabel && delta >= 0 &&
        f.headIndent >= 0 && offset >= 0 && offset <= 16) {
      if (delta > 0) {
        ++style_.braceBodyVotes[0];
      } else if (offset > 0) {
        ++style_.braceBodyVotes[1];
        ++style_.unitVotes[offset];
        style_.lastUnit = offset;
      }
    }
  }
  f.lastLine = indent;
  // The name below a type alone on its line: the declaration is the name's
  // (Vim's own sources indent the type, "    int" over "name(void)").
  if (TypeAlone(f) && f.contIndent < 0 && indent >= f.base && indent <= f.partIndent &&
      f.partIndent - indent <= 16) {
    style_.Keep(Style::TypeIndentKept, f.partIndent - indent);
    f.stmtIndent = f.partIndent = f.sibling = f.contIndent = indent;
    return;
  }
  // An old-style function's parameter declarations, between its head and
  // its '{' ("name(a, s)" / "    int a;" / "    char *s;"): no continuation
  // (the first sets the statement's continuation column for the others).
  // Such a head stands at the line's start; a function's body read from its
  // middle is the root too.
  if (f.kind == RootFrame && f.parens && !f.assign && !f.awaitBody && f.partIndent == 0 && name &&
      prev_ == ')') {
    f.oldParams = true;
    f.contIndent = indent;
    colonNext_ = false;
    return;
  }
  if (f.inStmt && !f.awaitBody && !f.templateHead) {
    // A "<<" lined up under the first one is alignment, not a unit.
    const bool shiftAligned = shift && indent == f.shiftColumn;
    // A head's '{' on its own line is a brace's place, not a continuation
    // (an initializer's after '=' is one).
    const bool headBrace = brace && !f.assign;
    if (f.contIndent < 0 && !shiftAligned && !headBrace) style_.VoteContinuation(indent - f.partIndent);
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
    if (f.afterLabel && !f.labelIsAccess && lineIndent_ > f.labelIndent)
      style_.Keep(Style::LabelBodyKept, lineIndent_ - f.labelIndent);
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
  f.macroCall = f.templateHead = f.oldParams = false;
  f.contIndent = f.colonAlign = f.shiftColumn = -1;
  f.word = NoWord;
}

template <class Char>
void Reader<Char>::Word_(const Char *s, int n, bool capital) {
  Frame &f = top();
  const Word w = macroLabel_ ? AccessWord : Classify(s, n);
  macroLabel_ = false;
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
    const bool list = prev_ == '(' || prev_ == ',' || prev_ == '[' || prev_ == '=';
    Push(list ? InitFrame : BlockFrame, lineIndent_);
    if (list) top().align = -2;
    return;
  }
  // A '{' on its own line right after a case label: how far in from it.
  if (firstOnLine_ && !f.inStmt && f.afterLabel && !f.labelIsAccess && lineIndent_ >= f.labelIndent)
    style_.Keep(Style::LabelBraceKept, lineIndent_ - f.labelIndent);
  // A control statement's block in what read as a braced list: the list was
  // a block passed to a macro ("M({ if (x) {"); no list holds a statement.
  if (f.kind == InitFrame && f.awaitBody) f.kind = BlockFrame;
  if (!f.inStmt) Start(f, OtherWord);
  f.macroCall = false;
  // In a body, a '{' behind the second name of a statement that has no head
  // is a braced initializer ("markers << Pair { a,", "QList<int> v { 1,").
  const bool inBody = f.kind == BlockFrame && (f.block == CodeBlock || f.block == SwitchBlock);
  const bool braceInit = inBody && !firstOnLine_ && !f.assign && !f.parens && !f.awaitBody && prev_ == 'a' &&
                         prevWord_ == OtherWord && f.word == OtherWord && f.words >= 2;
  const bool list = f.kind == InitFrame || prev_ == '=' || prev_ == ',' || prev_ == '(' ||
                    prev_ == '[' || prev_ == '{' || prevWord_ == ReturnWord || braceInit ||
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
      style_.Keep(Style::BraceKept, lineIndent_ - f.partIndent);
    else if (block == ClassBlock || block == EnumBlock)
      style_.Keep(Style::TypeBraceKept, lineIndent_ - f.partIndent);
    else if (block == CodeBlock && f.parens)
      style_.Keep(Style::FuncBraceKept, lineIndent_ - f.partIndent);
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
    if (f.oldParams && f.contIndent >= f.partIndent)
      style_.Keep(Style::ParamKept, f.contIndent - f.partIndent);  // the head goes on to its '{'
    else if (f.kind != ParenFrame)
      End(f);
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
      if (f.block == ClassBlock && access && f.stmtIndent >= f.base) style_.Keep(Style::AccessKept, f.stmtIndent - f.base);
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

}  // namespace indent
