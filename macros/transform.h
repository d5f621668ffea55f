// Transformations of macro bodies (Far 3): a variable's value rewritten by a
// regular expression and a format, as snippet files write
// ${NAME/regex/format/options}. The expressions are run by PCRE2 under
// limits, set as close to the JavaScript expressions of snippet files as it
// goes.
#pragma once

#include <cstddef>

// What a transformation is made of, in UTF-16 units (not NUL-ended).
struct TransformText {
  const char16_t *regex = nullptr;
  size_t regexLength = 0;
  const char16_t *format = nullptr;
  size_t formatLength = 0;
  const char16_t *options = nullptr;  // g, i, m
  size_t optionsLength = 0;
};

// Rewrites `input` (`length` units): each match of the expression (the
// first, or all with g) replaced by the format with its groups. The result is
// allocated (NUL-ended, *outLength units; the caller frees it); null when the
// expression does not compile (or the engine gives up), or without memory.
char16_t *ApplyTransform(const TransformText &t, const char16_t *input, size_t length, size_t *outLength);

// Whether the expression compiles; when not, a message in a user's words.
bool TransformCompiles(const TransformText &t, char *message, size_t room);

// How many transformations the engine gave up on (a limit reached), since
// the program started: `vorlane play --explain` tells the user.
size_t TransformsGivenUp();
