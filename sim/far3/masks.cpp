#include "sim/far3/masks.h"

#include <cstdlib>
#include <functional>
#include <vector>

namespace sim {

char16_t FoldedUpper(char16_t c) {
  if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 32);
  if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return static_cast<char16_t>(c - 32);
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return static_cast<char16_t>(c - 32);
  if (c >= 0x430 && c <= 0x44F) return static_cast<char16_t>(c - 32);
  if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 80);
  return c;
}

namespace {

using String = std::u16string;

char16_t Upper(char16_t c) { return FoldedUpper(c); }

bool SameFolded(char16_t a, char16_t b) { return Upper(a) == Upper(b); }

String SkipPath(const String &name) {
  size_t slash = name.find_last_of(u"\\/");
  return slash == String::npos ? name : name.substr(slash + 1);
}

// ---- wildcards --------------------------------------------------------------

// One '[...]' set at mask[i] ('[' included); false when it does not close.
bool SetAt(const String &mask, size_t i, size_t *end, char16_t c, bool *matches) {
  size_t close = mask.find(u']', i + 1);
  if (close == String::npos) return false;
  *end = close + 1;
  *matches = false;
  for (size_t k = i + 1; k < close; ++k) {
    char16_t lo = mask[k], hi = lo;
    if (k + 2 < close && mask[k + 1] == u'-') {
      hi = mask[k + 2];
      k += 2;
    }
    const char16_t forms[] = {c, Upper(c)};
    for (char16_t f : forms)
      if ((f >= lo && f <= hi) || (f >= Upper(lo) && f <= Upper(hi))) *matches = true;
  }
  return true;
}

bool Wild(const String &mask, size_t m, const String &name, size_t n) {
  while (m < mask.size()) {
    char16_t c = mask[m];
    if (c == u'*') {
      while (m < mask.size() && mask[m] == u'*') ++m;
      if (m == mask.size()) return true;
      for (size_t k = n; k <= name.size(); ++k)
        if (Wild(mask, m, name, k)) return true;
      return false;
    }
    if (c == u'[') {
      size_t close = mask.find(u']', m + 1);
      if (close == m + 1) {  // "[]" matches nothing and takes nothing
        m += 2;
        continue;
      }
      if (close != String::npos) {
        size_t end = 0;
        bool in = false;
        if (n >= name.size() || !SetAt(mask, m, &end, name[n], &in) || !in) return false;
        m = end;
        ++n;
        continue;
      }
      // An unclosed '[' is a character like any other.
    }
    if (n >= name.size()) return false;
    if (c != u'?' && !SameFolded(c, name[n])) return false;
    ++m;
    ++n;
  }
  return n == name.size();
}

// One wildcard mask with the dot rules every list applies.
bool WildWithDots(String mask, const String &name) {
  if (mask == u"*.*") mask = u"*";
  const bool nameHasDot = name.find(u'.') != String::npos;
  if (mask.size() >= 2 && mask.compare(mask.size() - 2, 2, u".*") == 0 && !nameHasDot &&
      Wild(mask.substr(0, mask.size() - 2), 0, name, 0))
    return true;
  if (!mask.empty() && mask.back() == u'.' && mask != u".")
    return !nameHasDot && Wild(mask.substr(0, mask.size() - 1), 0, name, 0);
  return Wild(mask, 0, name, 0);
}

// ---- regular expressions ----------------------------------------------------

struct Node;
using Sequence = std::vector<Node>;
struct Node {
  enum Kind { Char, Any, Class, Begin, End, Group } kind = Char;
  char16_t c = 0;
  std::vector<std::pair<char16_t, char16_t>> ranges;
  bool negate = false;
  std::vector<Sequence> alternatives;
  int min = 1, max = 1;  // max -1: unbounded
};

class Regex {
public:
  bool Compile(const String &pattern, bool ignoreCase) {
    pattern_ = pattern;
    pos_ = 0;
    ignoreCase_ = ignoreCase;
    ok_ = true;
    root_ = Alternatives();
    return ok_ && pos_ == pattern_.size();
  }
  bool Search(const String &text) const {
    for (size_t start = 0; start <= text.size(); ++start) {
      Node group;
      group.kind = Node::Group;
      group.alternatives = root_;
      if (MatchNode(group, 0, text, start, [](size_t) { return true; })) return true;
    }
    return false;
  }

private:
  using Next = std::function<bool(size_t)>;

  std::vector<Sequence> Alternatives() {
    std::vector<Sequence> alts(1);
    while (ok_ && pos_ < pattern_.size()) {
      char16_t c = pattern_[pos_];
      if (c == u')') break;
      if (c == u'|') {
        ++pos_;
        alts.emplace_back();
        continue;
      }
      Node node;
      if (!Atom(&node)) {
        ok_ = false;
        break;
      }
      Quantifier(&node);
      alts.back().push_back(node);
    }
    return alts;
  }

  static void AddEscapeClass(char16_t e, Node *node) {
    if (e == u'd' || e == u'D') node->ranges.push_back({u'0', u'9'});
    if (e == u'w' || e == u'W') {
      node->ranges.push_back({u'a', u'z'});
      node->ranges.push_back({u'A', u'Z'});
      node->ranges.push_back({u'0', u'9'});
      node->ranges.push_back({u'_', u'_'});
    }
    if (e == u's' || e == u'S') {
      node->ranges.push_back({u' ', u' '});
      node->ranges.push_back({u'\t', u'\r'});
    }
  }

  bool Atom(Node *node) {
    char16_t c = pattern_[pos_++];
    switch (c) {
      case u'.':
        node->kind = Node::Any;
        return true;
      case u'^':
        node->kind = Node::Begin;
        return true;
      case u'$':
        node->kind = Node::End;
        return true;
      case u'*':
      case u'+':
      case u'?':
      case u'{':
      case u'}':
        return false;  // nothing to repeat, or a form the model lacks
      case u'(': {
        node->kind = Node::Group;
        node->alternatives = Alternatives();
        if (!ok_ || pos_ >= pattern_.size() || pattern_[pos_] != u')') return false;
        ++pos_;
        return true;
      }
      case u'[': {
        node->kind = Node::Class;
        if (pos_ < pattern_.size() && pattern_[pos_] == u'^') {
          node->negate = true;
          ++pos_;
        }
        bool first = true;
        while (pos_ < pattern_.size() && (pattern_[pos_] != u']' || first)) {
          first = false;
          char16_t lo = pattern_[pos_++];
          if (lo == u'\\') {
            if (pos_ >= pattern_.size()) return false;
            char16_t e = pattern_[pos_++];
            if (e == u'd' || e == u'w' || e == u's') {
              AddEscapeClass(e, node);
              continue;
            }
            lo = e;
          }
          char16_t hi = lo;
          if (pos_ + 1 < pattern_.size() && pattern_[pos_] == u'-' && pattern_[pos_ + 1] != u']') {
            hi = pattern_[pos_ + 1];
            pos_ += 2;
          }
          node->ranges.push_back({lo, hi});
        }
        if (pos_ >= pattern_.size()) return false;  // unclosed class
        ++pos_;
        return true;
      }
      case u'\\': {
        if (pos_ >= pattern_.size()) return false;
        char16_t e = pattern_[pos_++];
        if (e == u'd' || e == u'w' || e == u's' || e == u'D' || e == u'W' || e == u'S') {
          node->kind = Node::Class;
          node->negate = e == u'D' || e == u'W' || e == u'S';
          AddEscapeClass(e, node);
          return true;
        }
        node->c = e == u't' ? u'\t' : e == u'n' ? u'\n' : e;
        return true;
      }
      default:
        node->c = c;
        return true;
    }
  }

  void Quantifier(Node *node) {
    if (pos_ >= pattern_.size()) return;
    char16_t q = pattern_[pos_];
    if (q == u'*' || q == u'+' || q == u'?') {
      ++pos_;
      node->min = q == u'+' ? 1 : 0;
      node->max = q == u'?' ? 1 : -1;
      if (pos_ < pattern_.size() && (pattern_[pos_] == u'?' || pattern_[pos_] == u'{')) ok_ = false;
    }
  }

  bool Same(char16_t a, char16_t b) const { return ignoreCase_ ? SameFolded(a, b) : a == b; }

  bool InClass(const Node &node, char16_t c) const {
    bool in = false;
    for (const auto &r : node.ranges) {
      if (c >= r.first && c <= r.second) in = true;
      if (ignoreCase_ && (Upper(c) >= Upper(r.first) && Upper(c) <= Upper(r.second))) in = true;
    }
    return in != node.negate;
  }

  // One occurrence of `node` at `pos`, then `next`.
  bool One(const Node &node, const String &text, size_t pos, const Next &next) const {
    switch (node.kind) {
      case Node::Char:
        return pos < text.size() && Same(node.c, text[pos]) && next(pos + 1);
      case Node::Any:
        return pos < text.size() && next(pos + 1);
      case Node::Class:
        return pos < text.size() && InClass(node, text[pos]) && next(pos + 1);
      case Node::Begin:
        return pos == 0 && next(pos);
      case Node::End:
        return pos == text.size() && next(pos);
      case Node::Group:
        for (const Sequence &alt : node.alternatives)
          if (MatchSequence(alt, 0, text, pos, next)) return true;
        return false;
    }
    return false;
  }

  bool MatchNode(const Node &node, int count, const String &text, size_t pos, const Next &next) const {
    // Greedy: one more occurrence first (never an empty one), then stop.
    if (node.max < 0 || count < node.max) {
      if (One(node, text, pos, [&](size_t after) {
            return after != pos && MatchNode(node, count + 1, text, after, next);
          }))
        return true;
    }
    return count >= node.min && next(pos);
  }

  bool MatchSequence(const Sequence &seq, size_t i, const String &text, size_t pos,
                     const Next &next) const {
    if (i == seq.size()) return next(pos);
    const Node &node = seq[i];
    if (node.min == 1 && node.max == 1)
      return One(node, text, pos, [&](size_t after) { return MatchSequence(seq, i + 1, text, after, next); });
    return MatchNode(node, 0, text, pos,
                     [&](size_t after) { return MatchSequence(seq, i + 1, text, after, next); });
  }

  String pattern_;
  size_t pos_ = 0;
  bool ignoreCase_ = false;
  bool ok_ = true;
  std::vector<Sequence> root_;
};

// ---- lists --------------------------------------------------------------------

struct Item {
  bool regex = false;
  String mask;
  Regex compiled;
};

struct List {
  bool valid = false;
  std::vector<Item> include, exclude;
};

String Ascii(const char *s) {
  String out;
  for (; *s; ++s) out += static_cast<char16_t>(*s);
  return out;
}

String PathExt() {
  const char *env = std::getenv("PATHEXT");
  String value = Ascii(env && *env ? env : ".COM;.EXE;.BAT;.CMD");
  String out;
  size_t start = 0;
  while (start <= value.size()) {
    size_t end = value.find(u';', start);
    if (end == String::npos) end = value.size();
    if (end > start) out += (out.empty() ? u"*" : u",*") + value.substr(start, end - start);
    start = end + 1;
  }
  return out;
}

String Expand(const String &list) {
  String out;
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i] == u'<') {
      size_t close = list.find(u'>', i);
      if (close != String::npos) {
        String name = list.substr(i + 1, close - i - 1);
        for (char16_t &c : name) c = Upper(c);
        if (name == u"TEMP") out += u"*.bak,*.tmp";
        else if (name == u"EXEC") out += u"*.exe,*.cmd,*.bat,*.com,%PATHEXT%";
        else if (name == u"ARC") out += u"*.rar,*.zip,*.7z,*.arj,*.cab,*.lzh,*.tar,*.gz,*.bz2,*.xz";
        i = close;
        continue;
      }
    }
    out += list[i];
  }
  size_t at;
  while ((at = out.find(u"%PATHEXT%")) != String::npos) out.replace(at, 9, PathExt());
  return out;
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

List Parse(const String &raw) {
  List list;
  const String s = Expand(raw);
  std::vector<Item> *part = &list.include;
  bool sawBar = false;
  size_t i = 0;
  while (i < s.size()) {
    char16_t c = s[i];
    if (c == u',' || c == u';' || IsBlank(c)) {
      ++i;
      continue;
    }
    if (c == u'|') {
      if (sawBar) break;  // a second '|' ends the list
      sawBar = true;
      part = &list.exclude;
      ++i;
      continue;
    }
    Item item;
    if (c == u'/') {
      size_t k = i + 1;
      while (k < s.size() && s[k] != u'/') k += s[k] == u'\\' ? 2 : 1;
      if (k >= s.size()) return List();  // unterminated
      String pattern = s.substr(i + 1, k - i - 1);
      bool ignoreCase = false;
      size_t o = k + 1;
      for (; o < s.size() && s[o] != u',' && s[o] != u';' && s[o] != u'|' && !IsBlank(s[o]); ++o) {
        if (s[o] == u'i') ignoreCase = true;
        else if (s[o] != u's' && s[o] != u'm' && s[o] != u'x' && s[o] != u'o') return List();
      }
      item.regex = true;
      if (!item.compiled.Compile(pattern, ignoreCase)) return List();
      part->push_back(item);
      i = o;
      continue;
    }
    if (c == u'"') {
      size_t close = s.find(u'"', i + 1);
      if (close != String::npos) {
        item.mask = s.substr(i + 1, close - i - 1);
        i = close + 1;
        if (!item.mask.empty()) part->push_back(item);
        continue;
      }
      ++i;  // an unbalanced quote is dropped
    }
    // A plain mask runs to a separator, '|' or '/' outside a [...] set.
    size_t k = i;
    bool inSet = false;
    while (k < s.size()) {
      char16_t d = s[k];
      if (inSet) {
        if (d == u']') inSet = false;
      } else if (d == u'[' && s.find(u']', k + 1) != String::npos) {
        inSet = true;
      } else if (d == u',' || d == u';' || d == u'|' || d == u'/') {
        break;
      }
      ++k;
    }
    item.mask = s.substr(i, k - i);
    while (!item.mask.empty() && IsBlank(item.mask.back())) item.mask.pop_back();
    if (!item.mask.empty()) part->push_back(item);
    i = k;
  }
  if (list.include.empty() && list.exclude.empty()) return List();
  if (list.include.empty()) {
    Item all;
    all.mask = u"*";
    list.include.push_back(all);
  }
  list.valid = true;
  return list;
}

bool ItemMatches(const Item &item, const String &name) {
  return item.regex ? item.compiled.Search(name) : WildWithDots(item.mask, name);
}

}  // namespace

struct MaskList::Parsed {
  List list;
};

MaskList::MaskList(const std::u16string &list)
    : text_(list), parsed_(std::make_shared<Parsed>(Parsed{Parse(list)})) {}

bool MaskList::valid() const { return parsed_->list.valid; }

bool MaskList::Matches(const std::u16string &name, bool skipPath) const {
  const List &parsed = parsed_->list;
  if (!parsed.valid) return false;
  const String subject = skipPath ? SkipPath(name) : name;
  bool in = false;
  for (const Item &item : parsed.include) in = in || ItemMatches(item, subject);
  if (!in) return false;
  for (const Item &item : parsed.exclude)
    if (ItemMatches(item, subject)) return false;
  return true;
}

bool MaskListValid(const std::u16string &list) { return MaskList(list).valid(); }

bool MaskListMatches(const std::u16string &list, const std::u16string &name, bool skipPath) {
  return MaskList(list).Matches(name, skipPath);
}

bool MaskMatches(const std::u16string &mask, const std::u16string &name, bool skipPath) {
  return WildWithDots(mask, skipPath ? SkipPath(name) : name);
}

}  // namespace sim
