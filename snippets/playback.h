// Macro playback: a body's tokens are fed into the editor as keystrokes.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "assists/adapter.h"
#include "snippets/field_stops.h"
#include "snippets/typing.h"
#include "assists/indent/assist.h"
#include "macros/fields.h"
#include "macros/macro_file.h"
#include "snippets/selection.h"
#include "macros/transform.h"
#include "macros/variables.h"

constexpr int KeyNameCount = 9;
extern const char *const KeyNames[KeyNameCount];
extern const WORD KeyCodes[KeyNameCount];

// Longest token a body may hold: the 12-unit token buffer less its NUL.
constexpr size_t TokenLimit = 11;

// Whether a token of `length` units is one character: one unit, or a UTF-16
// surrogate pair (a character outside the Basic Multilingual Plane).
template <class Char>
bool IsOneCharacter(const Char *token, size_t length) {
  if (length == 1) return true;
  if constexpr (sizeof(Char) == 2) {
    return length == 2 && (token[0] & 0xFC00) == 0xD800 && (token[1] & 0xFC00) == 0xDC00;
  } else {
    return false;
  }
}

template <class E>
void PlayNamedToken(const typename E::Char *token) {
  typename E::Editor *ed = E::editor();
  if (EqualsAscii(token, "sp")) {
    ed->TypeChar(' ');
    return;
  }
  if (EqualsAscii(token, "qu")) {
    ed->TypeChar('"');
    return;
  }
  for (int i = 0; i < KeyNameCount; ++i) {
    if (EqualsAscii(token, KeyNames[i])) {
      ed->PressKey(KeyCodes[i]);
      return;
    }
  }
}

// `fieldN` (0 to 9): N; -1 for any other token.
template <class Char>
int StopNumber(const Char *token) {
  const char *word = "field";
  for (int i = 0; i < 5; ++i)
    if (token[i] != static_cast<Char>(word[i])) return -1;
  if (token[5] < '0' || token[5] > '9' || token[6] != 0) return -1;
  return static_cast<int>(token[5] - '0');
}

// What a body needs read before it plays, by the words it holds.
enum BodyNeed : unsigned {
  NeedsIndent = 1,     // nl, clipboard: the keyword line's indentation
  NeedsClock = 2,      // the date, time and random words
  NeedsLine = 4,       // linenumber, lineindex, linetext, word
  NeedsClipboard = 8,
  NeedsSelection = 16,
  NeedsTab = 32,       // tab: the file's indentation unit
};

// The needs of a body, in one pass over its tokens (space-separated, as
// playback splits them).
template <class Char>
unsigned BodyNeeds(const Char *body) {
  unsigned needs = 0;
  Char token[TokenLimit + 1];
  for (const Char *p = body; *p;) {
    while (*p == ' ') ++p;
    size_t n = 0;
    for (; p[n] && p[n] != ' '; ++n)
      if (n < TokenLimit) token[n] = p[n];
    const bool fits = n > 0 && n <= TokenLimit;
    p += n;
    if (!fits) continue;
    token[n] = 0;
    if (EqualsAscii(token, "nl")) needs |= NeedsIndent;
    if (EqualsAscii(token, "tab")) needs |= NeedsTab;
    const Variable v = VariableOf(token);
    if (v == Variable::LineNumber || v == Variable::LineIndex || v == Variable::LineText || v == Variable::Word)
      needs |= NeedsLine;
    else if (v == Variable::Clipboard)
      needs |= NeedsClipboard | NeedsIndent;
    else if (v == Variable::Selection)
      needs |= NeedsSelection;
    else if (v >= Variable::Year)
      needs |= NeedsClock;
  }
  return needs;
}

constexpr int KeywordIndentLimit = 256;

// The current line's leading blanks (at most LIMIT units), their count.
template <class E>
int ReadKeywordIndent(typename E::Char *out, int limit) {
  typename E::Editor::LineRecord line;
  if (!E::editor()->GetString(&line, -1)) return 0;
  int n = 0;
  while (n < static_cast<int>(line.StringLength) && n < limit &&
         (line.StringText[n] == ' ' || line.StringText[n] == '\t')) {
    out[n] = line.StringText[n];
    ++n;
  }
  return n;
}

// `nl`: Enter, then the keyword line's leading blanks as they stand, whatever
// the editor's auto indent did: the new line is those blanks and the text the
// Enter moved down, the cursor behind the blanks.
template <class E>
void NewLineAtKeywordIndent(const typename E::Char *indent, int indentLength) {
  using Char = typename E::Char;
  typename E::Editor *ed = E::editor();
  const EditorPosition pos = ed->GetPosition();
  typename E::Editor::LineRecord line;
  ed->GetString(&line, -1);
  const int length = static_cast<int>(line.StringLength);
  const int at = pos.CurPos < 0 ? 0 : pos.CurPos < length ? pos.CurPos : length;
  const int moved = length - at;
  Char *text = static_cast<Char *>(std::malloc((static_cast<size_t>(indentLength + moved) + 1) * sizeof(Char)));
  if (!text) return;
  for (int i = 0; i < indentLength; ++i) text[i] = indent[i];
  for (int i = 0; i < moved; ++i) text[indentLength + i] = line.StringText[at + i];
  text[indentLength + moved] = 0;
  ed->PressKey(VK_RETURN);
  ed->SetString(text, -1);
  std::free(text);
  ed->SetPosition(-1, indentLength, -1, -1);
}

// Where a body's variables take their values: the file's name and the
// cursor's line as they stood when the macro began (read once, and only for a
// body that uses them).
template <class Char>
struct VariableContext {
  const Char *fileName = nullptr;
  Char *line = nullptr;  // a copy, freed at the end
  int length = 0, pos = 0, lineNumber = 0;
  Clock clock;
  unsigned long long random = 0;
  const Char *selection = nullptr;  // the block's text, when the macro wraps one
  size_t selectionLength = 0;
  Char *clipboard = nullptr;  // the clipboard's text (allocated), when the body uses it
  size_t clipboardLength = 0;
  VariableContext() = default;
  VariableContext(const VariableContext &) = delete;
  VariableContext &operator=(const VariableContext &) = delete;
  ~VariableContext() {
    std::free(line);
    std::free(clipboard);
  }
};

template <class E>
void ReadVariableContext(unsigned needs, VariableContext<typename E::Char> *context) {
  using Char = typename E::Char;
  typename E::Editor *ed = E::editor();
  const Char *name = ed->FileName();
  context->fileName = name && *name ? name : nullptr;
  // The clock, for the date and random words: once per body. Each body's
  // random digits differ from the last one's, even at the same second.
  if (needs & NeedsClock) {
    E::ReadClock(&context->clock);
    context->random =
        static_cast<unsigned long long>(context->clock.unixSeconds) * 0x9E3779B97F4A7C15ULL + context->clock.serial;
  }
  // The clipboard: one read, through the edition.
  if (needs & NeedsClipboard) E::ReadClipboard(&context->clipboard, &context->clipboardLength);
  if (!(needs & NeedsLine)) return;
  const EditorPosition pos = ed->GetPosition();
  typename E::Editor::LineRecord line;
  ed->GetString(&line, -1);
  const int length = static_cast<int>(line.StringLength);
  context->line = static_cast<Char *>(std::malloc((static_cast<size_t>(length) + 1) * sizeof(Char)));
  if (!context->line) return;
  for (int i = 0; i < length; ++i) context->line[i] = line.StringText[i];
  context->length = length;
  context->pos = pos.CurPos;
  context->lineNumber = pos.CurLine;
}

// `re REGEX fmt FORMAT [opts OPTIONS] WORD`: the parts of a transformation,
// gathered from the body's character tokens (sp and qu as a space and a
// quote) until the variable it applies to.
struct TransformParts {
  enum Part { None, Regex, Format, Options } part = None;
  char16_t *text[3] = {nullptr, nullptr, nullptr};
  size_t length[3] = {0, 0, 0}, room[3] = {0, 0, 0};
  bool lost = false;  // memory ran short: the variable is typed untransformed
  TransformParts() = default;
  TransformParts(const TransformParts &) = delete;
  TransformParts &operator=(const TransformParts &) = delete;
  ~TransformParts() { Clear(); }
  void Clear() {
    for (int i = 0; i < 3; ++i) {
      std::free(text[i]);
      text[i] = nullptr;
      length[i] = room[i] = 0;
    }
    part = None;
    lost = false;
  }
  void Add(char16_t c) {
    const int i = part - 1;
    if (part == None || lost) return;
    if (length[i] + 1 > room[i]) {
      const size_t grown = room[i] ? room[i] * 2 : 32;
      char16_t *bigger = static_cast<char16_t *>(std::realloc(text[i], grown * sizeof(char16_t)));
      if (!bigger) {
        lost = true;
        return;
      }
      text[i] = bigger;
      room[i] = grown;
    }
    text[i][length[i]++] = c;
  }
  TransformText Text() const {
    TransformText t;
    t.regex = text[0];
    t.regexLength = length[0];
    t.format = text[1];
    t.formatLength = length[1];
    t.options = text[2];
    t.optionsLength = length[2];
    return t;
  }
};

// The selected block's text typed at the cursor: its first line where the
// cursor stands, each further line on a line of its own at the cursor line's
// indentation plus what that line had beyond the block's first line.
template <class E>
void TypeSelection(const typename E::Char *text, size_t length) {
  using Char = typename E::Char;
  typename E::Editor *ed = E::editor();
  auto blank = [](Char c) { return c == ' ' || c == '\t'; };
  // The target: the cursor line's blanks before the cursor, else its indentation.
  const EditorPosition pos = ed->GetPosition();
  typename E::Editor::LineRecord line;
  ed->GetString(&line, -1);
  const int lineLength = static_cast<int>(line.StringLength);
  const int at = pos.CurPos < lineLength ? pos.CurPos : lineLength;
  int target = 0;
  while (target < at && blank(line.StringText[target])) ++target;
  Char *indent = static_cast<Char *>(std::malloc((static_cast<size_t>(target) + length + 1) * sizeof(Char)));
  if (!indent) return;
  for (int i = 0; i < target; ++i) indent[i] = line.StringText[i];
  // The first line's own leading blanks: what every line shares.
  size_t shared = 0;
  while (shared < length && blank(text[shared])) ++shared;
  for (size_t i = 0, lineNo = 0; i <= length; ++lineNo) {
    size_t end = i;
    while (end < length && text[end] != '\n') ++end;
    size_t start = i;
    if (lineNo > 0) {
      // Beyond the shared blanks, a line keeps its own.
      size_t k = 0;
      while (k < shared && start + k < end && text[start + k] == text[k]) ++k;
      int n = target;
      if (k == shared)
        for (size_t j = start + k; j < end && blank(text[j]); ++j) indent[n++] = text[j];
      while (start < end && blank(text[start])) ++start;
      NewLineAtKeywordIndent<E>(indent, n);
    } else {
      while (start < end && blank(text[start])) ++start;
    }
    TypeUnits<E>(text + start, end - start, [] {});
    i = end + 1;
  }
  std::free(indent);
}

// A variable's value typed as text, never read as keys; a line end in it is
// `nl`'s (the keyword line's indentation follows it).
template <class E>
void TypeVariable(Variable variable, VariableContext<typename E::Char> &context,
                  const typename E::Char *indent, int indentLength, const EditorPosition *defaultStart,
                  const TransformParts *transform = nullptr) {
  using Char = typename E::Char;
  typename E::Editor *ed = E::editor();
  // A value: the default typed on this line since `from` goes.
  auto dropDefault = [&]() {
    if (!defaultStart) return;
    const EditorPosition now = ed->GetPosition();
    if (now.CurLine == defaultStart->CurLine && now.CurPos > defaultStart->CurPos) {
      ed->Select(now.CurLine, defaultStart->CurPos, now.CurPos - defaultStart->CurPos);
      ed->DeleteBlock();
    }
  };
  if (variable == Variable::Selection && context.selection && context.selectionLength > 0) {
    dropDefault();
    TypeSelection<E>(context.selection, context.selectionLength);
    return;
  }
  if (variable == Variable::Clipboard) {
    if (context.clipboardLength > 0) dropDefault();
    // Its lines at the keyword line's indentation, as `nl` opens them.
    TypeUnits<E>(context.clipboard, context.clipboardLength,
                 [&] { NewLineAtKeywordIndent<E>(indent, indentLength); });
    return;
  }
  size_t nameLength = 0;
  while (context.fileName && context.fileName[nameLength]) ++nameLength;
  const size_t room = static_cast<size_t>(context.length) + nameLength + 32;
  Char *text = static_cast<Char *>(std::malloc(room * sizeof(Char)));
  if (!text) return;
  size_t n = VariableText<Char>(variable, context.fileName, context.line, context.line ? context.length : 0,
                                context.pos, context.lineNumber, context.clock, &context.random, text, room);
  // Transformed: the result in place of the value; an expression that does
  // not compile leaves the value as it is.
  if (transform && !transform->lost && transform->part != TransformParts::None) {
    static_assert(sizeof(Char) == sizeof(char16_t), "transformations work on UTF-16 units");
    size_t m = 0;
    char16_t *changed = ApplyTransform(transform->Text(), reinterpret_cast<const char16_t *>(text), n, &m);
    if (changed) {
      std::free(text);
      text = reinterpret_cast<Char *>(changed);
      n = m;
    }
  }
  if (n > 0) dropDefault();
  TypeUnits<E>(text, n, [&] { NewLineAtKeywordIndent<E>(indent, indentLength); });
  std::free(text);
}

// Plays `entry`'s body at the cursor; `given` holds the variables' values
// when the caller read them before typing anything (null: read them now).
template <class E>
void PlayMacro(const BasicMacroEntry<typename E::Char> *entry,
               VariableContext<typename E::Char> *given = nullptr) {
  using Char = typename E::Char;
  typename E::Editor *ed = E::editor();
  Char token[TokenLimit + 1];
  // `nl` repeats the keyword line's leading blanks: read once, before the body
  // changes the line, and only for a body that uses it.
  Char indent[KeywordIndentLimit];
  int indentLength = 0;
  unsigned needs = 0;
  if constexpr (E::HasFieldStops) {
    needs = BodyNeeds(entry->Body);
    if (needs & NeedsIndent) indentLength = ReadKeywordIndent<E>(indent, KeywordIndentLimit);
  }
  (void)needs;
  (void)indent;
  (void)indentLength;
  // With C/C++ indentation on, `tab` types one indentation unit of the file
  // (spaces in a file indented with spaces), read once before the body plays.
  int tabSpaces = 0;
  if constexpr (E::HasIndentation) {
    if ((needs & NeedsTab) && E::IndentationOn())
      tabSpaces = indent::UnitSpaces<E>(ed->GetPosition().CurLine, ed->TabSize(), ed->ExpandsTabs());
  }
  VariableContext<Char> own;
  if constexpr (E::HasVariables) {
    if (!given) ReadVariableContext<E>(needs, &own);
  }
  VariableContext<Char> &context = given ? *given : own;
  // `from` before a variable: the text typed since is its default, which its
  // value replaces when it has one.
  EditorPosition defaultStart;
  bool defaultPending = false;
  (void)defaultStart;
  TransformParts transform;
  // `or` after a default: the further choices of the stop that follows,
  // gathered (not typed), each ended by a NUL.
  Char *choices = nullptr;
  size_t choicesLength = 0, choicesRoom = 0;
  int choiceCount = 0;
  bool choosing = false;
  auto addChoiceUnit = [&](Char c) {
    if (choicesLength + 1 > choicesRoom) {
      const size_t room = choicesRoom ? choicesRoom * 2 : 64;
      Char *grown = static_cast<Char *>(std::realloc(choices, room * sizeof(Char)));
      if (!grown) return;
      choices = grown;
      choicesRoom = room;
    }
    choices[choicesLength++] = c;
  };
  ed->BeginPlayback();
  for (int k = 1;; ++k) {
    size_t length = 0;
    GetField(token, sizeof(token) / sizeof(Char), entry->Body, k, 0, &length);
    if (length == 0) break;
    // A token too long for the buffer is in no vocabulary: skip it whole
    // rather than act on a cut copy.
    if (length > TokenLimit) continue;
    if constexpr (E::HasVariables) {
      // The parts of a transformation are gathered, not typed.
      if (EqualsAscii(token, "re") || EqualsAscii(token, "fmt") || EqualsAscii(token, "opts")) {
        if (token[0] == 'r') transform.Clear();
        transform.part = token[0] == 'r' ? TransformParts::Regex
                         : token[0] == 'f' ? TransformParts::Format
                                           : TransformParts::Options;
        continue;
      }
      if (transform.part != TransformParts::None && VariableOf(token) == Variable::None && StopNumber(token) < 0) {
        if (IsOneCharacter(token, length))
          for (size_t i = 0; i < length; ++i) transform.Add(static_cast<char16_t>(token[i]));
        else if (EqualsAscii(token, "sp"))
          transform.Add(u' ');
        else if (EqualsAscii(token, "qu"))
          transform.Add(u'"');
        else if (EqualsAscii(token, "tab"))
          transform.Add(u'\t');
        continue;
      }
    }
    if constexpr (E::HasFieldStops) {
      if (EqualsAscii(token, "or") && (choosing || E::fields().fromSet)) {
        if (choosing) addChoiceUnit(0);
        choosing = true;
        ++choiceCount;
        continue;
      }
      if (choosing && StopNumber(token) < 0) {
        if (IsOneCharacter(token, length))
          for (size_t i = 0; i < length; ++i) addChoiceUnit(token[i]);
        else if (EqualsAscii(token, "sp"))
          addChoiceUnit(' ');
        else if (EqualsAscii(token, "qu"))
          addChoiceUnit('"');
        continue;
      }
    }
    if (IsOneCharacter(token, length)) {
      for (size_t i = 0; i < length; ++i) ed->TypeChar(token[i]);
    } else if (EqualsAscii(token, "field")) {
      // Types nothing; where the host reports changes it marks a stop.
      if constexpr (E::HasFieldStops) MarkFieldStop<E>();
      defaultPending = false;
    } else if (int n = StopNumber(token); n >= 0) {
      // `field0` to `field9`, and `from`, `nl`: words of the edition with
      // field stops; elsewhere they type nothing.
      if constexpr (E::HasFieldStops) {
        MarkFieldStop<E>(n);
        // A transformation before a mirror: the mirror shows its stop's text
        // transformed.
        if (transform.part != TransformParts::None && !transform.lost) GiveMirrorTransform<E>(transform.Text());
        transform.Clear();
        if (choosing) {
          addChoiceUnit(0);
          if (n > 0) GiveFieldChoices<E>(choices, choicesLength, choiceCount);
          choosing = false;
          choicesLength = 0;
          choiceCount = 0;
        }
      }
      defaultPending = false;
    } else if (EqualsAscii(token, "from")) {
      if constexpr (E::HasFieldStops) MarkDefaultStart<E>();
      if constexpr (E::HasVariables) {
        defaultStart = ed->GetPosition();
        defaultPending = true;
      }
    } else if (EqualsAscii(token, "nl")) {
      if constexpr (E::HasFieldStops) NewLineAtKeywordIndent<E>(indent, indentLength);
    } else if (const Variable v = VariableOf(token); v != Variable::None) {
      // Variables: words of the Far 3 edition; elsewhere they type nothing.
      if constexpr (E::HasVariables) {
        TypeVariable<E>(v, context, indent, indentLength, defaultPending ? &defaultStart : nullptr, &transform);
        transform.Clear();
        if (defaultPending) E::fields().fromSet = false;  // the default was the variable's
        defaultPending = false;
      }
    } else if (tabSpaces > 0 && EqualsAscii(token, "tab")) {
      for (int i = 0; i < tabSpaces; ++i) ed->TypeChar(' ');
    } else {
      PlayNamedToken<E>(token);
    }
  }
  if constexpr (E::HasFieldStops) FinishFieldStops<E>();
  std::free(choices);
  ed->EndPlayback();
}
