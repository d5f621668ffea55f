// Keyword expansion: Space typed behind a keyword alone on its line plays the
// keyword's macro instead of inserting the Space.
#pragma once

#include <cstddef>
#include <cstring>

#include "assists/adapter.h"
#include "macros/fields.h"
#include "snippets/playback.h"

// Plays `entry` at the cursor as one undo step, with the first stop's text
// selected afterwards. With `TypeName` the keyword is typed first (a macro
// picked from a list rather than typed).
template <class E, bool TypeName = false>
void PlayExpansion(const BasicMacroEntry<typename E::Char> *entry) {
  typename E::Editor *ed = E::editor();
  unsigned marked = 0;
  if constexpr (E::HasFieldStops) marked = E::fields().generation;
  // A macro picked from a list: its variables see the line and the word
  // under the cursor before its name is typed there.
  VariableContext<typename E::Char> context;
  VariableContext<typename E::Char> *given = nullptr;
  // ...and a body with `selection` wraps the selected block: read now,
  // deleted inside the undo step.
  SelectedBlock<typename E::Char> block;
  bool wraps = false;
  if constexpr (E::HasVariables && TypeName) {
    const unsigned needs = BodyNeeds(entry->Body);
    ReadVariableContext<E>(needs, &context);
    given = &context;
    if ((needs & NeedsSelection) && ReadSelectedBlock<E>(&block)) {
      wraps = true;
      context.selection = block.text;
      context.selectionLength = block.length;
    }
  }
  // A macro picked from a list: the line as it stands before anything
  // changes (a typed trigger's caller read it): an undo that brings it back
  // took the whole expansion back.
  if constexpr (E::HasFieldStops && TypeName) {
    const EditorPosition at = ed->GetPosition();
    typename E::Editor::LineRecord line;
    ed->GetString(&line, -1);
    NoteExpansionStart<E>(at, line.StringText, static_cast<int>(line.StringLength));
  }
  // Played while stops wait: where they stand now, for an undo that takes
  // this expansion back in one change the text alone cannot place.
  if constexpr (E::HasFieldStops) {
    if (E::fields().waiting && !E::fields().marking) {
      SyncFieldStops<E>();
      if (E::fields().waiting) TakeFieldSnapshot<E>();
    }
  }
  ed->BeginUndo();
  E::busy() = 1;
  if constexpr (E::HasVariables && TypeName) {
    if (wraps) DeleteSelectedBlock<E>(block);
  }
  (void)wraps;
  if constexpr (TypeName)
    for (const typename E::Char *p = entry->Name; *p; ++p) ed->TypeChar(*p);
  PlayMacro<E>(entry, given);
  E::busy() = 0;
  ed->EndUndo();
  // The first stop's text selected, after the step is closed (the keys that
  // close it drop a selection); only for stops this body marked.
  if constexpr (E::HasFieldStops) {
    if (E::fields().generation != marked) {
      SelectFieldStop<E>();
      OfferFieldChoices<E>();
    }
  }
  (void)marked;
  ed->Redraw();
}

// 1 when a macro was played, else 0 (the host then inserts the Space).
template <class E>
int ExpandKeyword() {
  using Char = typename E::Char;
  typename E::Editor *ed = E::editor();
  EditorPosition pos = ed->GetPosition();
  typename E::Editor::LineRecord line;
  ed->GetString(&line, -1);
  const int length = static_cast<int>(line.StringLength);

  // No character before the cursor within the text: at column 0 the body
  // would land in front of the keyword, past the end there is nothing to see.
  if (pos.CurPos <= 0 || pos.CurPos > length) return 0;
  if (line.StringText[pos.CurPos - 1] == ' ') return 0;

  // A line that does not fit the buffer is far longer than any name.
  Char keyword[4096];
  if (static_cast<size_t>(length) >= sizeof(keyword) / sizeof(Char)) return 0;
  // A NUL inside the line: it holds more than a keyword.
  for (int i = 0; i < length; ++i)
    if (line.StringText[i] == 0) return 0;
  const Char *text = line.StringText;
  if constexpr (E::KeywordAfterTabs)
    while (*text == ' ' || *text == '\t') ++text;
  TrimCopy<Char>(text, keyword, sizeof(keyword) / sizeof(Char));

  const BasicMacroEntry<Char> *entry = E::FindMacro(keyword);
  if (!entry || TriggerOf(*entry) != MacroTrigger::Space) return 0;

  if constexpr (E::HasFieldStops) NoteExpansionStart<E>(pos, line.StringText, length);
  PlayExpansion<E>(entry);
  return 1;
}

// A Tab-triggered name written with a character other than a letter, digit
// or `_` first (`//`, `/`, `#ifndef`) stands as a name at the line's start
// or behind a blank only: not the `/` that ends `*/`, `///` or a path.
template <class Char>
bool StandsAlone(const Char *text, int at) {
  return at == 0 || text[at - 1] == ' ' || text[at - 1] == '\t';
}

// The lines above that are read for a name the file types a tab behind.
constexpr int HabitLines = 200;
// The leading blanks of each such line that are skipped at most.
constexpr int HabitUnits = 4096;

// Whether one of the HabitLines lines above `line` begins its text with
// `name` and a tab: the file's own habit (`else\t\t/* none */`,
// `//\tcomment`, `#ifndef\tDEBUG`), so a Tab there types a tab. Only a line's
// start counts: the name there is where it would expand, not in a comment.
template <class E>
bool FileTypesTabBehind(const typename E::Char *name, int n, int line) {
  typename E::Editor::LineRecord above;
  for (int l = line - 1; l >= 0 && l >= line - HabitLines; --l) {
    E::editor()->GetString(&above, l);
    const typename E::Char *text = above.StringText;
    const int length = static_cast<int>(above.StringLength);
    int at = 0;
    while (at < length && at < HabitUnits && (text[at] == ' ' || text[at] == '\t')) ++at;
    if (at + n < length && text[at + n] == '\t' &&
        std::memcmp(text + at, name, static_cast<size_t>(n) * sizeof(typename E::Char)) == 0)
      return true;
  }
  return false;
}

// Where a Tab-triggered name is meant: one written as a word (a letter,
// digit or `_` first) where it is code: not a member's name (right after `.`,
// `->` or `::`), and not in a comment or a literal; one written otherwise
// (`//`, `@param`, meant for comments and directives) anywhere it stands
// alone. Neither where the lines above type a tab behind it.
template <class E>
bool TabTriggerFits(const BasicMacroEntry<typename E::Char> &entry, const typename E::Char *text,
                    const EditorPosition &pos) {
  const int n = static_cast<int>(TextLength(entry.Name));
  if (n > pos.CurPos) return true;
  const int at = pos.CurPos - n;
  if (!WordUnit(entry.Name[0])) {
    if (!StandsAlone(text, at)) return false;
  } else {
    if (at >= 1 && text[at - 1] == '.') return false;
    if (at >= 2 && ((text[at - 2] == '-' && text[at - 1] == '>') || (text[at - 2] == ':' && text[at - 1] == ':')))
      return false;
    if (indent::InCommentOrLiteral<E>(pos.CurLine, at, E::editor()->TabSize())) return false;
  }
  // The line's text is not used past here: reading the lines above may reuse it.
  return !FileTypesTabBehind<E>(entry.Name, n, pos.CurLine);
}

// Tab behind a Tab-triggered macro's name (anywhere in the line, text after
// the cursor kept): 1 when a macro was played, else 0 (the host's Tab).
template <class E>
int ExpandAtTab() {
  typename E::Editor *ed = E::editor();
  EditorPosition pos = ed->GetPosition();
  typename E::Editor::LineRecord line;
  ed->GetString(&line, -1);
  if (pos.CurPos <= 0 || pos.CurPos > static_cast<int>(line.StringLength)) return 0;
  const BasicMacroEntry<typename E::Char> *entry = E::FindTabMacro(line.StringText, pos.CurPos);
  if (!entry || !TabTriggerFits<E>(*entry, line.StringText, pos)) return 0;
  if constexpr (E::HasFieldStops) NoteExpansionStart<E>(pos, line.StringText, static_cast<int>(line.StringLength));
  PlayExpansion<E>(entry);
  return 1;
}
