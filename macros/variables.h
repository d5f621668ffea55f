// Variables in macro bodies (Far 3): words that type, at playback, what the
// editor knows where the macro is typed (the file's name, the line, the word
// under the cursor, the comment markers of C/C++). Each word answers to one
// snippet-file variable, so that an imported $NAME maps to it one for one.
#pragma once

#include <cstddef>

#include "macros/fields.h"

enum class Variable {
  None = -1,
  FileName,    // the file's name, without its folder
  FileBase,    // ...without its last extension
  Directory,   // the file's folder
  FilePath,    // the file's full path
  LineNumber,  // the cursor's line, 1-based
  LineIndex,   // ...0-based
  LineText,    // the cursor's line as it stands
  Word,        // the word under the cursor
  LineComment,
  BlockStart,
  BlockEnd,
};

struct VariableWord {
  const char *word;     // in a macro body
  const char *snippet;  // the snippet files' name for it
  Variable variable;
};

constexpr VariableWord VariableWords[] = {
    {"filename", "TM_FILENAME", Variable::FileName},
    {"filebase", "TM_FILENAME_BASE", Variable::FileBase},
    {"directory", "TM_DIRECTORY", Variable::Directory},
    {"filepath", "TM_FILEPATH", Variable::FilePath},
    {"linenumber", "TM_LINE_NUMBER", Variable::LineNumber},
    {"lineindex", "TM_LINE_INDEX", Variable::LineIndex},
    {"linetext", "TM_CURRENT_LINE", Variable::LineText},
    {"word", "TM_CURRENT_WORD", Variable::Word},
    {"linecomment", "LINE_COMMENT", Variable::LineComment},
    {"blockstart", "BLOCK_COMMENT_START", Variable::BlockStart},
    {"blockend", "BLOCK_COMMENT_END", Variable::BlockEnd},
};

// The variable a body token names, or Variable::None.
template <class Char>
Variable VariableOf(const Char *token) {
  for (const VariableWord &v : VariableWords)
    if (EqualsAscii(token, v.word)) return v.variable;
  return Variable::None;
}

// The text of `variable` where the cursor stands, into `out` (room for `room`
// units, NUL included); its length. `fileName` is the editor's (null: none),
// `line` the cursor's line (`length` units) and `pos` the cursor's index in
// it, `lineNumber` its 0-based number.
template <class Char>
size_t VariableText(Variable variable, const Char *fileName, const Char *line, int length, int pos,
                    int lineNumber, Char *out, size_t room) {
  size_t n = 0;
  auto put = [&](Char c) {
    if (n + 1 < room) out[n++] = c;
  };
  auto putAscii = [&](const char *s) {
    for (; *s; ++s) put(static_cast<Char>(*s));
  };
  auto putNumber = [&](long value) {
    char digits[24];
    int k = 0;
    do {
      digits[k++] = static_cast<char>('0' + value % 10);
      value /= 10;
    } while (value > 0 && k < 23);
    while (k > 0) put(static_cast<Char>(digits[--k]));
  };
  // The name's parts: its folder ends at the last separator, its base at the
  // last dot after that.
  const Char *name = fileName;  // read only within nameLength, 0 without a name
  size_t nameLength = 0, slash = 0, dot = 0;
  bool hasSlash = false, hasDot = false;
  if (fileName) {
    for (; fileName[nameLength]; ++nameLength) {
      if (fileName[nameLength] == '\\' || fileName[nameLength] == '/') {
        slash = nameLength;
        hasSlash = true;
        hasDot = false;
      } else if (fileName[nameLength] == '.') {
        dot = nameLength;
        hasDot = true;
      }
    }
  }
  const size_t baseStart = hasSlash ? slash + 1 : 0;
  switch (variable) {
    case Variable::FileName:
      for (size_t i = baseStart; i < nameLength; ++i) put(name[i]);
      break;
    case Variable::FileBase:
      for (size_t i = baseStart; i < (hasDot && dot > baseStart ? dot : nameLength); ++i) put(name[i]);
      break;
    case Variable::Directory:
      for (size_t i = 0; hasSlash && i < slash; ++i) put(name[i]);
      break;
    case Variable::FilePath:
      for (size_t i = 0; i < nameLength; ++i) put(name[i]);
      break;
    case Variable::LineNumber:
      putNumber(lineNumber + 1L);
      break;
    case Variable::LineIndex:
      putNumber(lineNumber);
      break;
    case Variable::LineText:
      for (int i = 0; i < length; ++i) put(line[i]);
      break;
    case Variable::Word: {
      auto inWord = [](Char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c >= 0x80;
      };
      int start = pos < length ? pos : length, end = start;
      while (start > 0 && inWord(line[start - 1])) --start;
      while (end < length && inWord(line[end])) ++end;
      for (int i = start; i < end; ++i) put(line[i]);
      break;
    }
    case Variable::LineComment:
      putAscii("//");
      break;
    case Variable::BlockStart:
      putAscii("/*");
      break;
    case Variable::BlockEnd:
      putAscii("*/");
      break;
    case Variable::None:
      break;
  }
  if (room) out[n] = 0;
  return n;
}
