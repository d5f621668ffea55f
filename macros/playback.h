// Macro playback: a body's tokens are fed into the editor as keystrokes.
#pragma once

#include <cstddef>

#include "assists/adapter.h"
#include "assists/field_stops/field_stops.h"
#include "macros/fields.h"
#include "macros/macro_file.h"

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

template <class E>
void PlayMacro(const BasicMacroEntry<typename E::Char> *entry) {
  using Char = typename E::Char;
  typename E::Editor *ed = E::editor();
  Char token[TokenLimit + 1];
  ed->BeginPlayback();
  for (int k = 1;; ++k) {
    size_t length = 0;
    GetField(token, sizeof(token) / sizeof(Char), entry->Body, k, 0, &length);
    if (length == 0) break;
    // A token too long for the buffer is in no vocabulary: skip it whole
    // rather than act on a cut copy.
    if (length > TokenLimit) continue;
    if (IsOneCharacter(token, length)) {
      for (size_t i = 0; i < length; ++i) ed->TypeChar(token[i]);
    } else if (EqualsAscii(token, "field")) {
      // Types nothing; where the host reports changes it marks a stop.
      if constexpr (E::HasFieldStops) MarkFieldStop<E>();
    } else {
      PlayNamedToken<E>(token);
    }
  }
  if constexpr (E::HasFieldStops) FinishFieldStops<E>();
  ed->EndPlayback();
}
