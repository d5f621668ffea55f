// Keyword expansion: Space typed behind a keyword alone on its line plays the
// keyword's macro instead of inserting the Space.
#pragma once

#include <cstddef>

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

// Where a Tab-triggered name written as a word (a letter, digit or `_`
// first) is code: not a member's name (right after `.`, `->` or `::`), and
// not in a comment or a literal. A name written otherwise (`//`, `@param`)
// is meant for such places and fits anywhere.
template <class E>
bool TabTriggerFits(const BasicMacroEntry<typename E::Char> &entry, const typename E::Char *text,
                    const EditorPosition &pos) {
  const int n = static_cast<int>(TextLength(entry.Name));
  if (!WordUnit(entry.Name[0]) || n > pos.CurPos) return true;
  const int at = pos.CurPos - n;
  if (at >= 1 && text[at - 1] == '.') return false;
  if (at >= 2 && ((text[at - 2] == '-' && text[at - 1] == '>') || (text[at - 2] == ':' && text[at - 1] == ':')))
    return false;
  return !indent::InCommentOrLiteral<E>(pos.CurLine, at, E::editor()->TabSize());
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
