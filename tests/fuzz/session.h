// A whole editing session decided by arbitrary bytes: macro file, text, file
// name, editor settings and an event stream, played through the stand-in host
// with the linked plug-in, checking after every event that the plug-in changed
// the text only in the ways it may.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Returns false with a description of the first broken invariant.
bool RunFuzzSession(const uint8_t *data, size_t size, std::string *failure);
