// `vorlane import`: Visual Studio Code snippet files turned into macro-file
// lines for the Far 3 edition.
#pragma once

#include <string>
#include <vector>

// What was said about a snippet file: FILE:LINE:COL: note|error: TEXT.
struct ImportNote {
  std::string file;
  int line = 0, column = 0;
  bool error = false;
  std::string text;
};

// One macro made from a snippet's prefix.
struct ImportedMacro {
  std::string masks;   // its section's masks; empty: every file
  std::string remark;  // the snippet's description (one line)
  std::string name;
  std::string body;    // tokens, UTF-8
  std::string snippet;
  std::string file;
  int line = 0, column = 0;
};

struct ImportResult {
  std::vector<ImportedMacro> macros;
  std::vector<ImportNote> notes;
  int status = 0;  // 0 all written, 1 some skipped, 2 a file unread or unparsable
  // Macros expand on Space (`Macro` lines) instead of Tab (`MacroTab`).
  bool onSpace = false;
  // The language of the snippets that neither their file's name nor their
  // scope names ("": they go to every file).
  std::string language;
};

// Whether Visual Studio Code's language NAME has files whose masks are known.
bool KnownLanguage(const std::string &name);

// Reads the snippets of one file's text; `fileName` names it in notes and
// tells a per-language file (c.json, cpp.json, ...).
void ImportSnippetFile(const std::string &fileName, const std::string &bytes, ImportResult *result);

// The macro file for everything read: macros for every file first, then a
// `Files` section for each set of masks. A name given twice for the same
// files is written once (the later is skipped with a note).
std::string ImportedMacroFile(ImportResult *result);

// A snippet body (its lines joined by line feeds) as macro tokens, for the
// keyword `prefix` in a file of `language` ("" when unknown); notes say what
// did not carry over. False when the body cannot be written.
bool ConvertSnippetBody(const std::string &body, const std::string &prefix, const std::string &language,
                        std::string *tokens, std::vector<std::string> *notes);

int RunImport(int argc, char **argv);
