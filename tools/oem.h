// The OEM (DOS) code pages: the 1.x host takes a fed character in the
// console's OEM code page, so a byte of 0x80 and above in a 1.x macro body is
// typed as the OEM character of that byte.
#pragma once

// The Unicode character of `byte` in code page 437 or 866.
unsigned OemToUnicode(unsigned char byte, int codePage);

// 866 on a Russian system, 437 otherwise.
int DefaultOemCodePage();
