// Mirrors: every later `fieldN` of a body holds a copy of stop N's text.
// Whenever stop N's text has changed since it was last copied, each mirror
// whose text differs gets the new text (one line command each); a mirror the
// user edited keeps that edit until stop N changes again.
#pragma once

#include "snippets/state.h"
#include "macros/transform.h"

template <class E>
void SyncFieldStops(const EditorPosition *at = nullptr);

namespace field_stops {

// The part of a stop's line its text covers (clipped to the line).
template <class Char>
void StopText(const FieldStops<Char> &f, const typename FieldStops<Char>::Stop &s, const Char **text,
              int *length) {
  const typename FieldStops<Char>::Line &l = f.lines[s.line];
  const int from = s.pos < l.length ? s.pos : l.length, to = s.end < l.length ? s.end : l.length;
  *text = l.text + from;
  *length = to > from ? to - from : 0;
}

// Puts TEXT in place of mirror J's text: the line's copy and every stop on
// it are moved first, so the change the host then reports moves nothing.
template <class E>
void ReplaceMirror(int j, const typename E::Char *text, int length) {
  using Char = typename E::Char;
  FieldStops<Char> &f = E::fields();
  typename FieldStops<Char>::Stop &m = f.stops[j];
  typename FieldStops<Char>::Line &l = f.lines[m.line];
  const int start = m.pos, end = m.end < l.length ? m.end : l.length;
  const int head = start < l.length ? start : l.length;
  const int pad = start > l.length ? start - l.length : 0;
  const int tail = l.length - (end > head ? end : head);
  const int newLength = head + pad + length + tail;
  Char *line = static_cast<Char *>(std::malloc((static_cast<size_t>(newLength) + 1) * sizeof(Char)));
  if (!line) return;
  std::memcpy(line, l.text, static_cast<size_t>(head) * sizeof(Char));
  for (int i = 0; i < pad; ++i) line[head + i] = ' ';
  if (length > 0) std::memcpy(line + head + pad, text, static_cast<size_t>(length) * sizeof(Char));
  if (tail > 0) std::memcpy(line + head + pad + length, l.text + l.length - tail, static_cast<size_t>(tail) * sizeof(Char));
  line[newLength] = 0;
  const int oldEnd = l.length - tail, delta = newLength - l.length;
  for (int k = 0; k < f.count; ++k) {
    typename FieldStops<Char>::Stop &s = f.stops[k];
    if (k == j || s.dropped || s.line != m.line) continue;
    // What stands behind the mirror moves; at the place of an empty mirror,
    // a stop that comes after it in the body is behind it.
    const bool after = start == oldEnd && k > j;
    if (s.pos >= oldEnd && (s.pos > start || after)) s.pos += delta;
    if (s.end >= oldEnd && (s.end > start || after)) s.end += delta;
  }
  m.end = start + length;
  const int number = l.number;
  if (Recopy(l, line, newLength)) E::editor()->SetString(line, number);
  std::free(line);
}

// What mirror M shows of its stop's text: the text itself, or with a
// transformation its result (allocated into *owned, which the caller frees;
// an expression that does not compile shows the text as it is).
template <class Char>
const Char *MirrorText(const FieldStops<Char> &f, const typename FieldStops<Char>::Stop &m, const Char *text,
                       int length, int *outLength, Char **owned) {
  *owned = nullptr;
  *outLength = length;
  if (m.transformAt < 0 || !f.transforms) return text;
  TransformText t;
  t.regex = f.transforms + m.transformAt;
  t.regexLength = static_cast<size_t>(m.regexLength);
  t.format = t.regex + m.regexLength;
  t.formatLength = static_cast<size_t>(m.formatLength);
  t.options = t.format + m.formatLength;
  t.optionsLength = static_cast<size_t>(m.optionsLength);
  size_t n = 0;
  static_assert(sizeof(Char) == sizeof(char16_t), "transformations work on UTF-16 units");
  char16_t *result = ApplyTransform(t, reinterpret_cast<const char16_t *>(text), static_cast<size_t>(length), &n);
  if (!result) return text;
  *owned = reinterpret_cast<Char *>(result);
  *outLength = static_cast<int>(n);
  return *owned;
}

}  // namespace field_stops

// Copies each changed stop's text to its mirrors.
template <class E>
void UpdateFieldMirrors() {
  using Char = typename E::Char;
  using namespace field_stops;
  FieldStops<Char> &f = E::fields();
  if (f.marking || !f.waiting) return;
  for (int i = 0; i < f.count; ++i) {
    typename FieldStops<Char>::Stop &s = f.stops[i];
    if (s.dropped || !s.known) continue;
    const Char *text = nullptr;
    int length = 0;
    StopText(f, s, &text, &length);
    if (SameText(text, length, s.known, s.knownLength)) continue;
    Char *copy = CopyUnits(text, length);
    if (!copy) continue;
    std::free(s.known);
    s.known = copy;
    s.knownLength = length;
    f.lastCopied = i;
    for (int j = i + 1; j < f.count; ++j) {
      const typename FieldStops<Char>::Stop &m = f.stops[j];
      if (m.dropped || m.mirrorOf != i) continue;
      const Char *now = nullptr;
      int nowLength = 0;
      StopText(f, m, &now, &nowLength);
      Char *owned = nullptr;
      int wantLength = 0;
      const Char *want = MirrorText(f, m, s.known, s.knownLength, &wantLength, &owned);
      if (SameText(now, nowLength, want, wantLength)) {
        std::free(owned);
        continue;
      }
      f.copying = true;  // the change this makes moves nothing and copies nothing
      ReplaceMirror<E>(j, want, wantLength);
      f.copying = false;
      std::free(owned);
      if (!f.waiting) return;
    }
  }
}
