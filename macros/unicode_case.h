// Unicode's simple case mapping and letter classes, read from the tables of
// the library the transformations run on (the same tables in every build).
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// The code point's upper (upper != 0) or lower case letter; itself when it
// has none.
uint32_t vorlane_case_mapped(uint32_t c, int upper);
// Whether the code point is a letter or a digit of any script.
int vorlane_is_letter_or_digit(uint32_t c);

#ifdef __cplusplus
}
#endif
