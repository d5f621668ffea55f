// Choices at a stop: `from A or B or C fieldN` types A as the stop's default
// and keeps B and C. When the cursor arrives at the stop (after the body, on
// Tab, on Shift+Tab) the host's menu lists A, B and C near the cursor, the
// first focused; Enter puts the chosen text in the stop (its mirrors follow,
// in one undo step), Esc keeps the stop's text. Typing instead of choosing
// works as at any stop.
#pragma once

#include "snippets/mirrors.h"
#include "snippets/moving.h"

// The stop just marked (the last one) offers its default and the `count`
// further texts in `others` (each NUL-ended, one after another).
template <class E>
void GiveFieldChoices(const typename E::Char *others, size_t length, int count) {
  using Char = typename E::Char;
  FieldStops<Char> &f = E::fields();
  if (!f.marking || f.count == 0 || count <= 0) return;
  typename FieldStops<Char>::Stop &s = f.stops[f.count - 1];
  if (s.number <= 0 || s.mirrorOf >= 0 || s.exit) return;
  SyncFieldStops<E>();
  const Char *first = nullptr;
  int firstLength = 0;
  field_stops::StopText(f, s, &first, &firstLength);
  const size_t need = f.choicesUsed + static_cast<size_t>(firstLength) + 1 + length;
  if (need > f.choicesRoom) {
    const size_t room = need * 2;
    Char *grown = static_cast<Char *>(std::realloc(f.choices, room * sizeof(Char)));
    if (!grown) return;
    f.choices = grown;
    f.choicesRoom = room;
  }
  s.choiceAt = static_cast<int>(f.choicesUsed);
  s.choiceCount = count + 1;
  for (int i = 0; i < firstLength; ++i) f.choices[f.choicesUsed++] = first[i];
  f.choices[f.choicesUsed++] = 0;
  for (size_t i = 0; i < length; ++i) f.choices[f.choicesUsed++] = others[i];
}

// At the current stop: its choices in the host's menu, and the one chosen
// put in the stop.
template <class E>
void OfferFieldChoices() {
  using Char = typename E::Char;
  FieldStops<Char> &f = E::fields();
  if (!f.waiting || f.current < 0 || f.current >= f.count) return;
  const int i = f.current;
  if (f.stops[i].choiceAt < 0 || f.stops[i].choiceCount <= 0 || !f.choices) return;
  const int count = f.stops[i].choiceCount;
  const Char **items = static_cast<const Char **>(std::malloc(static_cast<size_t>(count) * sizeof(Char *)));
  if (!items) return;
  const Char *p = f.choices + f.stops[i].choiceAt;
  for (int k = 0; k < count; ++k) {
    items[k] = p;
    while (*p) ++p;
    ++p;
  }
  const int chosen = E::ChooseText(items, count);
  if (chosen < 0 || chosen >= count || !f.waiting || f.current != i) {
    std::free(items);
    return;
  }
  // The choices live in f.choices, which the replacement below leaves alone.
  const Char *text = items[chosen];
  std::free(items);
  int length = 0;
  while (text[length]) ++length;
  typename E::Editor *ed = E::editor();
  // As for a key typed into a stop with mirrors: an undo brings the stops
  // back to where they stood before.
  TakeFieldSnapshot<E>();
  ed->BeginUndo();
  ed->Unselect();
  f.copying = true;  // the change this makes moves nothing more
  field_stops::ReplaceMirror<E>(i, text, length);
  f.copying = false;
  UpdateFieldMirrors<E>();
  const typename FieldStops<Char>::Stop &s = f.stops[i];
  ed->SetPosition(f.lines[s.line].number, s.end, -1, -1);
  ed->EndUndo();
  SelectFieldStop<E>();
  ed->Redraw();
}

// The stop just marked is a mirror with a transformation: it keeps the
// parts, and shows its stop's text transformed from now on.
template <class E>
void GiveMirrorTransform(const TransformText &t) {
  using Char = typename E::Char;
  FieldStops<Char> &f = E::fields();
  if (!f.marking || f.count == 0) return;
  const int j = f.count - 1;
  typename FieldStops<Char>::Stop &m = f.stops[j];
  if (m.mirrorOf < 0) return;
  const size_t need = f.transformsUsed + t.regexLength + t.formatLength + t.optionsLength;
  if (need > f.transformsRoom) {
    const size_t room = need * 2 + 16;
    char16_t *grown = static_cast<char16_t *>(std::realloc(f.transforms, room * sizeof(char16_t)));
    if (!grown) return;
    f.transforms = grown;
    f.transformsRoom = room;
  }
  m.transformAt = static_cast<int>(f.transformsUsed);
  m.regexLength = static_cast<int>(t.regexLength);
  m.formatLength = static_cast<int>(t.formatLength);
  m.optionsLength = static_cast<int>(t.optionsLength);
  for (size_t i = 0; i < t.regexLength; ++i) f.transforms[f.transformsUsed++] = t.regex[i];
  for (size_t i = 0; i < t.formatLength; ++i) f.transforms[f.transformsUsed++] = t.format[i];
  for (size_t i = 0; i < t.optionsLength; ++i) f.transforms[f.transformsUsed++] = t.options[i];
  // What it typed (the stop's text as it stood) becomes the transformed text.
  SyncFieldStops<E>();
  const typename FieldStops<Char>::Stop &s = f.stops[m.mirrorOf];
  const Char *text = nullptr;
  int length = 0;
  field_stops::StopText(f, s, &text, &length);
  Char *copy = field_stops::CopyUnits(text, length);
  if (!copy && length > 0) return;
  Char *owned = nullptr;
  int wantLength = 0;
  const Char *want = field_stops::MirrorText(f, m, copy, length, &wantLength, &owned);
  f.copying = true;
  field_stops::ReplaceMirror<E>(j, want, wantLength);
  f.copying = false;
  std::free(owned);
  std::free(copy);
}
