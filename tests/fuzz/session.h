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

// The same through the Far 3 edition and the stand-in's Far 3 face: UTF-16
// text with any code unit, key-ups, the menu and Ctrl+Z; besides the checks
// above, every undo group is closed before the event returns, and an undo
// right after an assist gives back exactly the text and cursor before it.
bool RunFuzzSession3(const uint8_t *data, size_t size, std::string *failure);

// A snippet body expanded on one line, then words, blanks and the body's
// separators typed into its stops, Backspace inside them, Tab and Shift+Tab:
// after every key the line reads what a model of the stops by position says.
bool RunFuzzStops(const uint8_t *data, size_t size, std::string *failure);
