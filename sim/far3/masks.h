// The stand-in host's model of Far 3's file masks (FSF.ProcessName): the list
// syntax, wildcards and dot rules as Far applies them.
//
// Where the model is only an approximation of Far:
// - Regular expressions (/.../ items) understand literals, '.', classes
//   [...] with ranges and '^' negation, the escapes \d \w \s \D \W \S and an
//   escaped character, '^' and '$' anchors, groups (...) with '|', and the
//   quantifiers * + ? (greedy). Far's own engine has more ({n,m}, lazy
//   quantifiers, named groups, ...): such a regex counts as invalid here.
// - Letter case is folded for ASCII, Latin-1, Greek and Cyrillic only.
// - Mask groups: <temp> is *.bak,*.tmp and <exec> is
//   *.exe,*.cmd,*.bat,*.com,%PATHEXT%, as in a fresh profile; <arc> is a short
//   stand-in list (*.rar,*.zip,*.7z,*.arj,*.cab,*.lzh,*.tar,*.gz,*.bz2,*.xz);
//   other groups are empty. %PATHEXT% comes from the environment, or is
//   .COM;.EXE;.BAT;.CMD when unset.
// Like Far, the stand-in's ProcessName keeps the last list it parsed.
#pragma once

#include <memory>
#include <string>

namespace sim {

// A mask list parsed once, to match many names against.
class MaskList {
public:
  explicit MaskList(const std::u16string &list);
  const std::u16string &text() const { return text_; }
  bool valid() const;
  // An invalid list matches nothing. With `skipPath` only the part after the
  // last '\' or '/' counts.
  bool Matches(const std::u16string &name, bool skipPath) const;

private:
  struct Parsed;
  std::u16string text_;
  std::shared_ptr<const Parsed> parsed_;
};

// A character in capitals, as the model folds letter case (see above); the
// stand-in's menu filter and sort fold the same way.
char16_t FoldedUpper(char16_t c);

// PN_CHECKMASK: whether `list` is a valid mask list.
bool MaskListValid(const std::u16string &list);
// PN_CMPNAMELIST: whether `name` matches the list (an invalid list matches
// nothing). With `skipPath` only the part after the last '\' or '/' counts.
bool MaskListMatches(const std::u16string &list, const std::u16string &name, bool skipPath);
// PN_CMPNAME: one wildcard pattern, no list syntax.
bool MaskMatches(const std::u16string &mask, const std::u16string &name, bool skipPath);

}  // namespace sim
