#pragma once

// Space typed behind a keyword alone on its line: plays the keyword's macro
// instead of inserting the Space. 1 when a macro was played, else 0.
int ExpandKeyword();
