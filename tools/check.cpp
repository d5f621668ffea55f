#include "tools/check.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <cstdlib>
#include <map>

#include "snippets/field_stops.h"
#include "far1/edition.h"
#include "macros/fields.h"
#include "macros/macro_file.h"
#include "snippets/playback.h"
#include "macros/transform.h"
#include "macros/utf8.h"
#include "sim/far3/stand_in.h"
#include "tools/oem.h"

namespace {

std::string Lower(std::string s) {
  for (char &c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return s;
}

struct Span {
  size_t start = 0, end = 0;
  size_t size() const { return end - start; }
};

Span Field(const char *text, int index, int options) {
  Span s;
  FindField(text, index, options, &s.start, &s.end);
  return s;
}

std::string Text(const char *line, Span s) { return std::string(line + s.start, s.size()); }

// UTF-16 units of UTF-8 text (the Far 3 edition's measure of names and
// bodies), and back.
std::u16string Units(const std::string &bytes) { return sim::Utf16(bytes); }
std::string UnitsAsUtf8(const std::u16string &units) { return sim::Utf8(units); }

// Whether a token is one character: one byte (1.x), or one UTF-8 character
// (Far 3: one UTF-16 unit or a surrogate pair).
bool OneCharacter(const std::string &token, bool far3) {
  if (token.size() == 1) return true;
  if (!far3 || token.empty()) return false;
  uint32_t cp = 0;
  return Utf8Step(token.data(), token.size(), &cp) == token.size();
}

bool InVocabulary(const std::string &token, bool far3 = false) {
  if (OneCharacter(token, far3) || token == "sp" || token == "qu") return true;
  for (const char *name : KeyNames)
    if (token == name) return true;
  return false;
}

// What a user probably meant by a token outside the vocabulary, or "".
std::string Suggest(const std::string &token) {
  std::string t = Lower(token);
  if (InVocabulary(t)) return t;
  static const std::map<std::string, std::string> hints = {
      {"space", "sp"},     {"spc", "sp"},       {"quote", "qu"},    {"dq", "qu"},
      {"enter", "en"},     {"return", "en"},    {"ret", "en"},      {"cr", "en"},
      {"backspace", "bs"}, {"back", "bs"},      {"bksp", "bs"},     {"tabulator", "tab"},
      {"lt", "left"},      {"rt", "right"},     {"dn", "down"},     {"pos1", "home"}};
  auto it = hints.find(t);
  return it == hints.end() ? std::string() : it->second;
}

bool IsWord(const std::string &token) {
  for (char c : token)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_')) return false;
  return true;
}

std::string Spaced(const std::string &word) {
  std::string out;
  for (char c : word) {
    if (!out.empty()) out += ' ';
    out += c;
  }
  return out;
}

class Checker {
public:
  Checker(CheckResult *result, const CheckOptions &options) : r_(result), o_(options) {}

  // Length of a span as the edition counts it: bytes, or UTF-16 units.
  size_t Length(const char *line, Span s) const {
    return o_.far3 ? Units(Text(line, s)).size() : s.size();
  }

  void Say(int line, size_t column, Diagnostic::Severity sev, const std::string &msg) {
    Diagnostic d;
    d.line = line;
    d.column = static_cast<int>(column) + 1;
    d.severity = sev;
    d.message = msg;
    r_->diagnostics.push_back(d);
  }

  void Line(const char *line, int lineNo, size_t base) {
    Span first = Field(line, 1, 0);
    std::string word = Text(line, first);
    size_t col = base + first.start;
    if (word == "Files") {
      FilesLine(line, lineNo, base, col);
      return;
    }
    // Far 3's other triggers: Tab behind the name, or the picker only.
    const bool tab = word == "MacroTab", listed = word == "MacroList";
    if ((tab || listed) && !o_.far3) {
      if (!triggersSaid_)
        Say(lineNo, col, Diagnostic::Note,
            "'" + word + "' lines are macros only in the Far 3 edition (--host far3): here they are remarks");
      triggersSaid_ = true;
      return;
    }
    if (word != "Macro" && !tab && !listed) {
      std::string lower = Lower(word);
      if (lower == "macrotab" || lower == "macrolist") {
        Say(lineNo, col, Diagnostic::Error,
            "'" + word + "' is not '" + (lower == "macrotab" ? "MacroTab" : "MacroList") +
                "' (the first word is compared with its letter case): line ignored");
      } else if (lower == "macro") {
        Say(lineNo, col, Diagnostic::Error,
            "'" + word + "' is not 'Macro' (the first word is compared with its letter case): line ignored");
      } else if (word.compare(0, 5, "Macro") == 0) {
        char c = word[5];
        Say(lineNo, col + 5, Diagnostic::Error,
            c == '\t' ? std::string("a tab follows 'Macro', but only spaces separate fields: line ignored")
                      : "'" + std::string(1, c) + "' is glued to 'Macro'; put a space between them: line ignored");
      } else if (lower.compare(0, 5, "macro") == 0) {
        Say(lineNo, col, Diagnostic::Error,
            "looks like a macro line, but its first word is '" + word.substr(0, 20) +
                "', not 'Macro': line ignored");
      } else {
        size_t i = word.find_first_not_of("\t");
        if (i != 0 && i != std::string::npos && Lower(word.substr(i, 5)) == "macro")
          Say(lineNo, col, Diagnostic::Error,
              "only spaces may stand before 'Macro'; a tab makes it part of the word: line ignored");
      }
      return;
    }

    MacroEntry entry;
    bool kept = false;
    std::string keptName, keptBody;
    if (o_.far3) {
      BasicMacroEntry<char16_t> wide;
      kept = ParseMacroLine(Units(line).c_str(), &wide);
      if (kept) keptName = UnitsAsUtf8(wide.Name), keptBody = UnitsAsUtf8(wide.Body);
      if (kept) std::free(wide.Body);
    } else {
      kept = ParseMacroLine(line, &entry);
      if (kept) keptName = entry.Name, keptBody = entry.Body;
    }
    const bool quotedName = tab || listed;
    Span name = Field(line, 2, quotedName ? FS_GROUPQUOTES | FS_STRIPQUOTES : 0);
    Span body = Field(line, 3, FS_GROUPQUOTES | FS_STRIPQUOTES);
    Span raw = Field(line, 3, FS_GROUPQUOTES);
    Span after = Field(line, 4, FS_GROUPQUOTES);
    std::string nameText = Text(line, name);

    if (name.size() == 0)
      Say(lineNo, base + first.end, Diagnostic::Error,
          quotedName ? "macro line without a name: the macro is left out"
                     : "macro line without a name: it can never be expanded");
    const char *unit = o_.far3 ? " UTF-16 units" : " characters";
    if (Length(line, name) > MacroNameLimit)
      Say(lineNo, base + name.start, Diagnostic::Error,
          "the name is " + std::to_string(Length(line, name)) + unit +
              " long, more than 127: the macro is left out");
    size_t quoteInName = quotedName ? std::string::npos : nameText.find('"');
    if (quoteInName != std::string::npos)
      Say(lineNo, base + name.start + quoteInName, Diagnostic::Warning,
          "the name holds a double quote, which starts quoted text: the body is not where it seems");
    if (!o_.far3 && Length(line, body) > MacroBodyLimit)
      Say(lineNo, base + body.start, Diagnostic::Error,
          "the body is " + std::to_string(Length(line, body)) + unit +
              " long, more than 511: the macro is left out");
    if (name.size() > 0 && body.size() == 0 && raw.size() == 0)
      Say(lineNo, base + name.end, Diagnostic::Warning,
          listed ? "empty body: the macro types nothing"
                 : std::string("empty body: the keyword only swallows the ") + (tab ? "Tab" : "Space"));

    const bool quotedBody = raw.size() > 0 && line[raw.start] == '"';
    size_t quotes = static_cast<size_t>(std::count(line, line + std::strlen(line), '"'));
    if (quotes % 2 == 1 && quotedBody && (raw.size() == 1 || line[raw.end - 1] != '"' ||
                                          after.size() == 0)) {
      Say(lineNo, base + raw.start, Diagnostic::Warning,
          "this quote is never closed: the body runs to the end of the line");
    } else if (after.size() > 0 && quotedBody) {
      Say(lineNo, base + after.start, Diagnostic::Warning, "text after the quoted body is ignored");
    } else if (after.size() > 0) {
      std::string lost;
      int count = 0;
      for (int k = 4;; ++k, ++count) {
        Span f = Field(line, k, FS_GROUPQUOTES);
        if (f.size() == 0) break;
        lost += (lost.empty() ? "'" : " '") + Text(line, f) + "'";
      }
      lost += count == 1 ? " is" : " are";
      Say(lineNo, base + after.start, Diagnostic::Warning,
          "the body is not in double quotes: only '" + Text(line, body) + "' is kept and " + lost +
              " lost; write \"" + Text(line, body) + " " + Text(line, Span{after.start, std::strlen(line)}) + "\"");
    }

    if (kept) {
      // Far 3: a name may stand once in each section.
      if (o_.far3) nameText = std::to_string(section_) + " " + nameText;
      auto it = firstLine_.find(nameText);
      if (it != firstLine_.end()) {
        const std::string shown = Text(line, name);
        Say(lineNo, base + name.start, Diagnostic::Error,
            "'" + shown + "' is already defined at line " + std::to_string(it->second.first) +
                (section_ > 0 ? " in the same section" : "") + ": this macro is never used");
        Say(it->second.first, it->second.second, Diagnostic::Note,
            "'" + shown + "' first defined here; this definition wins");
      } else {
        firstLine_[nameText] = {lineNo, base + name.start};
        r_->macros.push_back(CheckedMacro{lineNo, keptName, keptBody,
                                          tab ? MacroTrigger::Tab : listed ? MacroTrigger::List : MacroTrigger::Space});
      }
    }
    Tokens(line, body, lineNo, base);
  }

  // `Files MASKS`: a section's start in Far 3, a remark in 1.x.
  void FilesLine(const char *line, int lineNo, size_t base, size_t col) {
    if (!o_.far3) {
      if (!filesSaid_)
        Say(lineNo, col, Diagnostic::Note,
            "'Files' starts a section only in the Far 3 edition (--host far3): here it is a remark, "
            "and the macros after it apply to every file");
      filesSaid_ = true;
      return;
    }
    ++section_;
    size_t start = 0, end = 0;
    ParseFilesLine(line, &start, &end);
    const std::string masks(line + start, end - start);
    if (masks.empty())
      Say(lineNo, col, Diagnostic::Error, "'Files' without masks: the macros of this section apply nowhere");
    else if (!sim::MaskListValid(Units(masks)))
      Say(lineNo, base + start, Diagnostic::Error,
          "Far rejects the mask list '" + masks + "': the macros of this section apply nowhere");
  }

  void Tokens(const char *line, Span body, int lineNo, size_t base) {
    std::string text = Text(line, body);
    bool oemSaid = false;
    int fields = 0;
    // The template words: where a `from` waits for its stop, the text typed
    // since, and each stop number's default.
    bool templateSaid = false;
    size_t fromColumn = 0;
    bool fromPending = false;
    std::string typed;
    std::map<int, std::string> defaults;
    // A transformation: `re` REGEX `fmt` FORMAT [`opts` OPTIONS], then the
    // variable it rewrites.
    int part = 0;  // 0 none, 1 the expression, 2 the format, 3 the options
    // Choices: `or` after a default starts each further one, up to the stop.
    bool choosing = false, emptyChoice = false;
    size_t orColumn = 0;
    std::string choice;
    std::string transform[3];
    size_t reColumn = 0;
    for (int k = 1;; ++k) {
      Span t = Field(text.c_str(), k, 0);
      if (t.size() == 0) break;
      std::string token = Text(text.c_str(), t);
      size_t col = base + body.start + t.start;
      if (o_.far3 && (token == "re" || token == "fmt" || token == "opts")) {
        const int next = token == "re" ? 1 : token == "fmt" ? 2 : 3;
        if (next == 1 && part != 0)
          Say(lineNo, reColumn, Diagnostic::Error, "'re' has no variable after it: its transformation is lost");
        if (next > 1 && part == 0)
          Say(lineNo, col, Diagnostic::Error, "'" + token + "' without 're' before it types nothing");
        if (next == 1) {
          reColumn = col;
          for (std::string &p : transform) p.clear();
        }
        if (next == 1 || part != 0) part = next;
        continue;
      }
      if (o_.far3 && token == "or" && (fromPending || choosing)) {
        if ((choosing && choice.empty()) || (!choosing && typed.empty())) emptyChoice = true;
        choosing = true;
        orColumn = col;
        choice.clear();
        continue;
      }
      if (choosing) {
        const bool numberedStop = token.size() == 6 && token.compare(0, 5, "field") == 0 && token[5] >= '0' &&
                                  token[5] <= '9';
        if (!numberedStop) {
          if (OneCharacter(token, true) || token == "sp" || token == "qu") {
            choice += token;
          } else {
            Say(lineNo, col, Diagnostic::Error,
                "'" + token + "' ends the choices of 'or' before their stop: they are lost");
            choosing = false;
          }
          continue;
        }
        const int number = token[5] - '0';
        if (choice.empty()) emptyChoice = true;
        if (number == 0)
          Say(lineNo, orColumn, Diagnostic::Error, "choices for the exit (field0): it offers none");
        else if (defaults.count(number))
          Say(lineNo, orColumn, Diagnostic::Error,
              "choices on a mirror of stop " + std::to_string(number) + ": only a stop's first place offers them");
        if (emptyChoice) Say(lineNo, orColumn, Diagnostic::Error, "an empty choice: each 'or' needs text on both sides");
        choosing = emptyChoice = false;
        // (the stop word itself is checked below)
      }
      const bool stopWord = token.size() == 6 && token.compare(0, 5, "field") == 0 && token[5] >= '1' &&
                            token[5] <= '9';
      if (part != 0 && stopWord && !defaults.count(token[5] - '0')) {
        Say(lineNo, reColumn, Diagnostic::Error,
            "a transformation applies to a variable or a mirror: '" + token + "' is a stop's first place");
        part = 0;
      }
      if (part != 0 && VariableOf(token.c_str()) == Variable::None && !stopWord) {
        if (OneCharacter(token, true)) transform[part - 1] += token;
        else if (token == "sp") transform[part - 1] += " ";
        else if (token == "qu") transform[part - 1] += "\"";
        else if (token == "tab") transform[part - 1] += "\t";
        else
          Say(lineNo, col, Diagnostic::Warning,
              "'" + token + "' inside a transformation is no character of it: it is skipped");
        continue;
      }
      if (part != 0) {
        // The variable: the expression must compile, and the options be g, i, m.
        const std::u16string re = Units(transform[0]), options = Units(transform[2]);
        TransformText tt;
        tt.regex = re.c_str();
        tt.regexLength = re.size();
        tt.options = options.c_str();
        tt.optionsLength = options.size();
        char why[200];
        if (!TransformCompiles(tt, why, sizeof(why)))
          Say(lineNo, reColumn, Diagnostic::Error,
              "the expression '" + transform[0] + "' does not compile (" + why + "): '" + token +
                  "' types its value untransformed");
        if (transform[2].find_first_not_of("gim") != std::string::npos)
          Say(lineNo, reColumn, Diagnostic::Warning, "options other than g, i and m are ignored");
        part = 0;
      }
      if (!o_.far3 && token.size() == 1 && static_cast<unsigned char>(token[0]) >= 0x80 && !oemSaid) {
        // The 1.x host takes a fed character in the console's OEM code page.
        oemSaid = true;
        unsigned char byte = static_cast<unsigned char>(token[0]);
        char hex[16];
        std::snprintf(hex, sizeof(hex), "0x%02X", byte);
        char16_t u = static_cast<char16_t>(OemToUnicode(byte, o_.oemCodePage));
        char code[16];
        std::snprintf(code, sizeof(code), "U+%04X", static_cast<unsigned>(u));
        Say(lineNo, col, Diagnostic::Note,
            "byte " + std::string(hex) + " is typed as the OEM character '" + UnitsAsUtf8(std::u16string(1, u)) +
                "' (" + code + ") of code page " + std::to_string(o_.oemCodePage) + ", " +
                (o_.oemChosen ? "as chosen" : "assumed from this system's language") +
                " (--oem 437 or --oem 866 chooses); write such macros in that code page");
      }
      if (InVocabulary(token, o_.far3)) {
        if (fromPending)
          typed += token == "sp" ? " " : token == "qu" ? "\"" : OneCharacter(token, o_.far3) ? token : "<" + token + ">";
        continue;
      }
      const bool numbered = token.size() >= 6 && token.compare(0, 5, "field") == 0 &&
                            token.find_first_not_of("0123456789", 5) == std::string::npos;
      if (token == "from" || token == "nl" || numbered) {
        if (!o_.far3) {
          if (!templateSaid)
            Say(lineNo, col, Diagnostic::Note,
                "'" + token + "' types nothing here: from, field0 to field9 and nl work only in the Far 3 "
                "edition (--host far3)");
          templateSaid = true;
          continue;
        }
        if (token == "from") {
          fromPending = true;
          fromColumn = col;
          typed.clear();
          continue;
        }
        if (token == "nl") {
          if (fromPending) typed += "\n";
          continue;
        }
        if (token.size() > 6) {
          Say(lineNo, col, Diagnostic::Error,
              "'" + token + "': stops are numbered field1 to field9 (field0 is the exit); it types nothing");
          continue;
        }
        const int number = token[5] - '0';
        if (number > 0 && fromPending) {
          auto known = defaults.find(number);
          if (known != defaults.end() && known->second != typed)
            Say(lineNo, col, Diagnostic::Error,
                "stop " + std::to_string(number) + " is given two different defaults ('" + known->second +
                    "' and '" + typed + "'): its mirrors copy the first");
          else
            defaults[number] = typed;
        } else if (number > 0) {
          defaults.emplace(number, "");  // a stop seen without a default keeps any it had
        }
        fromPending = false;
        if (++fields == FieldStopLimit + 1)
          Say(lineNo, col, Diagnostic::Warning,
              "more than " + std::to_string(FieldStopLimit) + " field stops: this one and the rest are ignored");
        continue;
      }
      if (VariableOf(token.c_str()) != Variable::None) {
        // A variable: Far 3 types its value where the macro is typed.
        if (!o_.far3) {
          if (!templateSaid)
            Say(lineNo, col, Diagnostic::Note,
                "'" + token + "' types nothing here: variables work only in the Far 3 edition (--host far3)");
          templateSaid = true;
        }
        fromPending = false;  // what `from` began is the variable's default
        continue;
      }
      if (token == "field") {
        fromPending = false;
        // A field stop: Far 3 only, at most 32 of them in a body.
        if (!o_.far3) {
          if (++fields == 1)
            Say(lineNo, col, Diagnostic::Note,
                "'field' types nothing here: field stops work only in the Far 3 edition (--host far3)");
        } else if (++fields == FieldStopLimit + 1)
          Say(lineNo, col, Diagnostic::Warning,
              "more than " + std::to_string(FieldStopLimit) + " field stops: this one and the rest are ignored");
        continue;
      }
      if (Length(text.c_str(), t) > TokenLimit) {
        Say(lineNo, col, Diagnostic::Warning,
            "token '" + token.substr(0, 40) + "' has 12 or more characters and is skipped");
        continue;
      }
      std::string hint = Suggest(token);
      if (!hint.empty())
        Say(lineNo, col, Diagnostic::Warning,
            "unknown token '" + token + "' is skipped; did you mean '" + hint + "'?");
      else if (IsWord(token))
        Say(lineNo, col, Diagnostic::Note,
            "'" + token + "' types nothing: a word is typed one character per token ('" + Spaced(token) + "')");
      else
        Say(lineNo, col, Diagnostic::Warning, "unknown token '" + token + "' is skipped");
    }
    if (fromPending)
      Say(lineNo, fromColumn, Diagnostic::Error,
          "'from' has no stop after it (field, or field0 to field9): its text is no default");
    if (part != 0)
      Say(lineNo, reColumn, Diagnostic::Error, "'re' has no variable after it: its transformation is lost");
    if (choosing)
      Say(lineNo, orColumn, Diagnostic::Error, "'or' has no stop after it (field1 to field9): its choices are lost");
  }

private:
  CheckResult *r_;
  CheckOptions o_;
  std::map<std::string, std::pair<int, size_t>> firstLine_;
  int section_ = 0;
  bool filesSaid_ = false;
  bool triggersSaid_ = false;
};

const char CheckUsage[] =
    "usage: vorlane check [--list] [--strict] [--host 1.x|far3] [--oem 437|866] FILE...\n"
    "\n"
    "Reads each macro file as the plug-in does and reports, one line per finding,\n"
    "FILE:LINE:COL: error|warning|note: message (COL counts bytes)\n"
    "\n"
    "  --list         also print each macro the plug-in keeps and the keys its body types\n"
    "  --strict       warnings fail the check too\n"
    "  --host far3    read the file as the Far 3 edition does: UTF-8, a byte-order mark\n"
    "                 skipped, limits in UTF-16 units (default 1.x: the file's bytes)\n"
    "  --oem CP       the OEM code page a 1.x host types body bytes of 0x80 and above\n"
    "                 in (default: 866 on a Russian system, else 437)\n"
    "\n"
    "Exit status: 0 no errors, 1 errors (or warnings with --strict), 2 usage.\n";

}  // namespace

std::string DescribeBody(const std::string &body, bool far3) {
  std::string out;
  for (int k = 1;; ++k) {
    char token[4 * TokenLimit + 1];
    size_t length = 0;
    GetField(token, sizeof(token), body.c_str(), k, 0, &length);
    if (length == 0) break;
    std::string word;
    if (length >= sizeof(token)) continue;
    if (far3 && Units(token).size() > TokenLimit) continue;
    if (!far3 && length > TokenLimit) continue;
    if (far3 && length > 1 && OneCharacter(token, true)) {
      word = token;  // a character beyond ASCII, as it is typed
    } else if (length == 1) {
      unsigned char c = static_cast<unsigned char>(token[0]);
      if (c == '\t') word = "TabChar";
      else if (c < 0x20 || c >= 0x7F) {
        char hex[8];
        std::snprintf(hex, sizeof(hex), "0x%02X", c);
        word = hex;
      } else word = std::string(1, static_cast<char>(c));
    } else if (!std::strcmp(token, "sp")) word = "Space";
    else if (!std::strcmp(token, "qu")) word = "\"";
    else if (far3 && !std::strcmp(token, "field")) word = "[field]";
    else if (far3 && !std::strcmp(token, "from")) word = "[from]";
    else if (far3 && !std::strcmp(token, "nl")) word = "NewLine";
    else if (far3 && VariableOf(token) != Variable::None) word = std::string("[") + token + "]";
    else if (far3 && (!std::strcmp(token, "re") || !std::strcmp(token, "fmt") || !std::strcmp(token, "opts") ||
                      !std::strcmp(token, "or")))
      word = std::string("[") + token + "]";
    else if (far3 && std::strlen(token) == 6 && !std::strncmp(token, "field", 5) && token[5] >= '0' &&
             token[5] <= '9')
      word = std::string("[") + token + "]";
    else {
      static const char *const names[KeyNameCount] = {"Up", "Down", "Left", "Right", "Enter",
                                                      "Backspace", "Home", "End", "Tab"};
      for (int i = 0; i < KeyNameCount; ++i)
        if (!std::strcmp(token, KeyNames[i])) word = names[i];
    }
    if (word.empty()) continue;
    if (!out.empty()) out += ' ';
    out += word;
  }
  return out;
}

namespace {

// Each byte sequence of `line` that is not UTF-8: its offset and length.
std::vector<Span> InvalidUtf8(const std::string &line) {
  std::vector<Span> bad;
  for (size_t i = 0; i < line.size();) {
    uint32_t cp = 0;
    size_t n = Utf8Step(line.data() + i, line.size() - i, &cp);
    if (cp == Utf8Invalid) bad.push_back(Span{i, i + n});
    i += n;
  }
  return bad;
}

}  // namespace

CheckResult CheckMacroFile(const std::string &path, const CheckOptions &options) {
  CheckResult result;
  FILE *f = std::fopen(path.c_str(), "rb");
  if (!f) return result;
  result.readable = true;
  CheckOptions o = options;
  if (o.oemCodePage == 0) o.oemCodePage = DefaultOemCodePage();
  Checker checker(&result, o);
  MacroLineReader reader(f);
  // The 1.x edition reads lines of at most 2047 bytes; the Far 3 edition
  // reads each line whole.
  static char limited[MacroLineLimit + 1];
  char *whole = nullptr;
  size_t wholeRoom = 0;
  int lineNo = 1;
  size_t base = 0;
  bool first = true;
  for (;;) {
    const bool more = o.far3 ? reader.NextWhole(&whole, &wholeRoom) : reader.Next(limited);
    if (!more) break;
    const char *line = o.far3 ? (whole ? whole : "") : limited;
    if (base > 0 && base == MacroLineLimit)
      checker.Say(lineNo, base, Diagnostic::Warning,
                  "the line is longer than 2047 characters: from here on it is read as a line of its own");
    if (o.far3) {
      std::string text = line;
      size_t skip = first && text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
      text.erase(0, skip);
      for (const Span &s : InvalidUtf8(text)) {
        std::string bytes;
        for (size_t i = s.start; i < s.end; ++i) {
          char hex[8];
          std::snprintf(hex, sizeof(hex), "%s%02X", bytes.empty() ? "" : " ",
                        static_cast<unsigned char>(text[i]));
          bytes += hex;
        }
        checker.Say(lineNo, base + skip + s.start, Diagnostic::Error,
                    "invalid UTF-8 (bytes " + bytes + "): the Far 3 edition reads U+FFFD here");
      }
      // The rest is checked on the text as the plug-in decodes it, where each
      // invalid sequence became the three bytes of U+FFFD; columns are then
      // taken back to the file's bytes.
      std::string repaired;
      std::vector<size_t> origin;  // the file's offset of each repaired byte
      for (size_t i = 0; i < text.size();) {
        uint32_t cp = 0;
        size_t n = Utf8Step(text.data() + i, text.size() - i, &cp);
        if (cp == Utf8Invalid) {
          repaired += "\xEF\xBF\xBD";
          origin.insert(origin.end(), 3, i);
        } else {
          repaired.append(text, i, n);
          for (size_t k = 0; k < n; ++k) origin.push_back(i + k);
        }
        i += n;
      }
      origin.push_back(text.size());
      const size_t first = result.diagnostics.size();
      checker.Line(repaired.c_str(), lineNo, base + skip);
      for (size_t d = first; d < result.diagnostics.size(); ++d) {
        Diagnostic &diag = result.diagnostics[d];
        if (diag.line != lineNo) continue;  // a note on an earlier line
        size_t at = static_cast<size_t>(diag.column - 1) - (base + skip);
        diag.column = static_cast<int>(base + skip + origin[std::min(at, origin.size() - 1)]) + 1;
      }
    } else {
      checker.Line(line, lineNo, base);
    }
    first = false;
    if (reader.EndedLine()) {
      ++lineNo;
      base = 0;
    } else {
      base += MacroLineLimit;
    }
  }
  // A folder opens as a file on some systems but gives no bytes: it, and a
  // file whose reading fails, cannot be checked.
  std::free(whole);
  if (std::ferror(f)) {
    std::fclose(f);
    return CheckResult();
  }
  if (reader.EndedAtEof()) {
    // Trailing bytes after the end-of-data mark are common; anything else is lost.
    int c;
    bool more = false;
    while ((c = std::fgetc(f)) != EOF)
      if (c != '\r' && c != '\n' && c != 0x1A && c != ' ') more = true;
    if (more)
      checker.Say(lineNo, 0, Diagnostic::Warning,
                  "a 0x1A byte ends the file's text here: everything after it is ignored");
  }
  std::fclose(f);
  std::stable_sort(result.diagnostics.begin(), result.diagnostics.end(),
                   [](const Diagnostic &a, const Diagnostic &b) {
                     return a.line != b.line ? a.line < b.line : a.column < b.column;
                   });
  return result;
}

int RunCheck(int argc, char **argv) {
  bool list = false, strict = false;
  CheckOptions options;
  std::vector<std::string> files;
  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << CheckUsage;
      return 0;
    } else if (arg == "--list") {
      list = true;
    } else if (arg == "--strict") {
      strict = true;
    } else if (arg == "--host" && i + 1 < argc && (std::string(argv[i + 1]) == "far3" ||
                                                   std::string(argv[i + 1]) == "1.x")) {
      options.far3 = std::string(argv[++i]) == "far3";
    } else if (arg == "--oem" && i + 1 < argc && (std::string(argv[i + 1]) == "437" ||
                                                  std::string(argv[i + 1]) == "866")) {
      options.oemCodePage = std::atoi(argv[++i]);
      options.oemChosen = true;
    } else if (arg == "--oem" || arg == "--host") {
      std::cerr << "vorlane check: " << arg
                << (arg == "--oem" ? " needs 437 or 866\n" : " needs 1.x or far3\n") << CheckUsage;
      return 2;
    } else if (arg.size() > 1 && arg[0] == '-') {
      std::cerr << "vorlane check: unknown option '" << arg << "'\n" << CheckUsage;
      return 2;
    } else {
      files.push_back(arg);
    }
  }
  if (files.empty()) {
    std::cerr << "vorlane check: no FILE given\n" << CheckUsage;
    return 2;
  }
  static const char *const words[] = {"error", "warning", "note"};
  int errors = 0, warnings = 0;
  for (const std::string &file : files) {
    CheckResult r = CheckMacroFile(file, options);
    if (!r.readable) {
      std::cout << file << ": error: cannot read the file\n";
      ++errors;
      continue;
    }
    for (const Diagnostic &d : r.diagnostics) {
      std::cout << file << ":" << d.line << ":" << d.column << ": " << words[d.severity] << ": "
                << d.message << "\n";
      if (d.severity == Diagnostic::Error) ++errors;
      if (d.severity == Diagnostic::Warning) ++warnings;
    }
    if (list)
      for (const CheckedMacro &m : r.macros)
        std::cout << file << ":" << m.line << ": " << m.name
                  << (m.trigger == MacroTrigger::Tab ? " (Tab)" : m.trigger == MacroTrigger::List ? " (list)" : "")
                  << ": " << DescribeBody(m.body, options.far3) << "\n";
  }
  return errors > 0 || (strict && warnings > 0) ? 1 : 0;
}
