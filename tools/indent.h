// `vorlane indent`: whole files re-indented by the Far 3 edition's C/C++
// indentation, the code the DLLs run on a selection.
#pragma once

int RunIndent(int argc, char **argv);
