#include "tools/import.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <map>
#include <memory>
#include <set>

#include "macros/macro_file.h"
#include "macros/utf8.h"
#include "macros/variables.h"
#include "sim/far3/stand_in.h"
#include "tools/platform.h"

#ifdef VORLANE_HAVE_JSONCPP
#include <json/json.h>
#endif

namespace {

#ifdef VORLANE_HAVE_JSONCPP
// The usual file masks of the languages Visual Studio Code names.
const std::map<std::string, std::string> &LanguageMasks() {
  static const std::map<std::string, std::string> masks = {
      {"c", "*.c,*.h"},
      {"cpp", "*.cpp,*.cc,*.cxx,*.c++,*.hpp,*.hh,*.hxx,*.h++,*.inl"},
      {"csharp", "*.cs"},
      {"java", "*.java"},
      {"javascript", "*.js,*.mjs,*.cjs"},
      {"javascriptreact", "*.jsx"},
      {"typescript", "*.ts,*.mts,*.cts"},
      {"typescriptreact", "*.tsx"},
      {"python", "*.py,*.pyw"},
      {"go", "*.go"},
      {"rust", "*.rs"},
      {"php", "*.php"},
      {"ruby", "*.rb"},
      {"perl", "*.pl,*.pm"},
      {"lua", "*.lua"},
      {"shellscript", "*.sh,*.bash"},
      {"powershell", "*.ps1,*.psm1"},
      {"bat", "*.bat,*.cmd"},
      {"html", "*.html,*.htm"},
      {"css", "*.css"},
      {"scss", "*.scss"},
      {"json", "*.json"},
      {"xml", "*.xml"},
      {"yaml", "*.yaml,*.yml"},
      {"markdown", "*.md"},
      {"sql", "*.sql"},
      {"kotlin", "*.kt,*.kts"},
      {"swift", "*.swift"},
      {"dart", "*.dart"},
      {"scala", "*.scala"},
      {"haskell", "*.hs"},
      {"fsharp", "*.fs,*.fsi,*.fsx"},
      {"vb", "*.vb"},
      {"objective-c", "*.m"},
      {"objective-cpp", "*.mm"},
      {"makefile", "makefile,Makefile,GNUmakefile,*.mk"},
      {"cmake", "CMakeLists.txt,*.cmake"},
  };
  return masks;
}
#endif

std::string Quoted(const std::string &text) { return "'" + text + "'"; }

// ---------------------------------------------------------------------------
// The snippet syntax: text, $1 ${1} ${1:default} ${1|a,b|} $0, variables
// $NAME ${NAME} ${NAME:default}, transforms ${1/re/fmt/} ${NAME/re/fmt/}, and
// the escapes \$ \} \\ (and \, \| in choices).

struct Node {
  enum Kind { Text, Stop, Variable } kind = Text;
  std::string text;              // Text: the characters; Variable: its name
  int number = -1;               // Stop
  std::vector<Node> children;    // a placeholder's or variable's default
  std::vector<std::string> choices;
  bool transform = false;
  std::string regex, format, options;  // a transform's parts, as written
};

class SnippetParser {
public:
  explicit SnippetParser(const std::string &s) : s_(s) {}
  std::vector<Node> Parse() { return Sequence(false); }

private:
  bool At(char c) const { return p_ < s_.size() && s_[p_] == c; }
  static bool IsWordStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

  void AddText(std::vector<Node> *out, const std::string &t) {
    if (out->empty() || out->back().kind != Node::Text) out->push_back(Node());
    out->back().text += t;
  }

  // Nodes up to the end, or (inside a default) up to its closing brace.
  std::vector<Node> Sequence(bool inside) {
    std::vector<Node> out;
    while (p_ < s_.size()) {
      char c = s_[p_];
      if (inside && c == '}') return out;
      if (c == '\\' && p_ + 1 < s_.size() &&
          (s_[p_ + 1] == '$' || s_[p_ + 1] == '}' || s_[p_ + 1] == '\\')) {
        AddText(&out, std::string(1, s_[p_ + 1]));
        p_ += 2;
        continue;
      }
      if (c == '$' && depth_ < 64) {
        size_t start = p_;
        Node node;
        if (Dollar(&node)) {
          out.push_back(node);
          continue;
        }
        p_ = start + 1;
        AddText(&out, "$");
        continue;
      }
      AddText(&out, std::string(1, c));
      ++p_;
    }
    return out;
  }

  int Number() {
    int n = 0;
    while (p_ < s_.size() && IsDigit(s_[p_])) {
      if (n < 100000) n = n * 10 + (s_[p_] - '0');
      ++p_;
    }
    return n;
  }

  std::string Word() {
    size_t start = p_;
    while (p_ < s_.size() && (IsWordStart(s_[p_]) || IsDigit(s_[p_]))) ++p_;
    return s_.substr(start, p_ - start);
  }

  // A transform /re/fmt/flags}: its three parts, escapes kept as written
  // but for an escaped '/' in the expression (false when it never closes).
  bool Transform(Node *node) {
    std::string *parts[] = {&node->regex, &node->format, &node->options};
    int part = 0;
    int nesting = 0;  // the format's own ${...}, whose slashes are theirs
    ++p_;  // the first '/'
    while (p_ < s_.size()) {
      const char c = s_[p_];
      if (c == '\\' && p_ + 1 < s_.size()) {
        if (part == 0 && s_[p_ + 1] == '/') *parts[part] += '/';
        else *parts[part] += s_.substr(p_, 2);
        p_ += 2;
        continue;
      }
      if (part == 1 && s_.compare(p_, 2, "${") == 0) {
        ++nesting;
        *parts[part] += "${";
        p_ += 2;
        continue;
      }
      if (part == 1 && c == '}' && nesting > 0) {
        --nesting;
        *parts[part] += c;
        ++p_;
        continue;
      }
      if (c == '/' && part < 2 && nesting == 0) {
        ++part;
        ++p_;
        continue;
      }
      if (c == '}' && part >= 1) break;  // the end (a format may go without its last slash)
      *parts[part] += c;
      ++p_;
    }
    if (!At('}')) return false;  // (the loop stops at a '}' only after the first part)
    ++p_;
    return true;
  }

  bool Dollar(Node *node) {
    ++p_;  // '$'
    if (p_ < s_.size() && IsDigit(s_[p_])) {
      node->kind = Node::Stop;
      node->number = Number();
      return true;
    }
    if (p_ < s_.size() && IsWordStart(s_[p_])) {
      node->kind = Node::Variable;
      node->text = Word();
      return true;
    }
    if (!At('{')) return false;
    ++p_;
    if (p_ < s_.size() && IsDigit(s_[p_])) {
      node->kind = Node::Stop;
      node->number = Number();
    } else if (p_ < s_.size() && IsWordStart(s_[p_])) {
      node->kind = Node::Variable;
      node->text = Word();
    } else {
      return false;
    }
    if (At('}')) {
      ++p_;
      return true;
    }
    if (At(':')) {
      ++p_;
      ++depth_;
      node->children = Sequence(true);
      --depth_;
      if (!At('}')) return false;
      ++p_;
      return true;
    }
    if (At('|') && node->kind == Node::Stop) {
      ++p_;
      std::string choice;
      while (p_ < s_.size()) {
        char c = s_[p_];
        if (c == '\\' && p_ + 1 < s_.size() && std::string(",|\\$}").find(s_[p_ + 1]) != std::string::npos) {
          choice += s_[p_ + 1];
          p_ += 2;
          continue;
        }
        if (c == ',' || c == '|') {
          node->choices.push_back(choice);
          choice.clear();
          ++p_;
          if (c == '|') break;
          continue;
        }
        choice += c;
        ++p_;
      }
      if (!At('}') || node->choices.empty()) return false;
      ++p_;
      return true;
    }
    if (At('/')) {
      node->transform = true;
      return Transform(node);
    }
    return false;
  }

  const std::string &s_;
  size_t p_ = 0;
  int depth_ = 0;
};

// The text a default stands for, nested stops and variables as their own
// defaults; the numbers of the stops in it go to `nested`.
std::string FlatText(const std::vector<Node> &nodes, std::vector<int> *nested) {
  std::string out;
  for (const Node &n : nodes) {
    if (n.kind == Node::Text) {
      out += n.text;
    } else {
      if (n.kind == Node::Stop) nested->push_back(n.number);
      out += n.choices.empty() ? FlatText(n.children, nested) : n.choices[0];
    }
  }
  return out;
}

// Each number's default: the first non-empty one among its occurrences.
void CollectDefaults(const std::vector<Node> &nodes, std::map<int, const Node *> *defaults) {
  for (const Node &n : nodes) {
    if (n.kind == Node::Stop && (!n.children.empty() || !n.choices.empty()) && !defaults->count(n.number))
      (*defaults)[n.number] = &n;
    if (n.kind == Node::Variable) CollectDefaults(n.children, defaults);
  }
}

class BodyWriter {
public:
  BodyWriter(const std::string &language, std::vector<std::string> *notes)
      : language_(language), notes_(notes) {}

  void Write(const std::vector<Node> &nodes) {
    CollectDefaults(nodes, &defaults_);
    Nodes(nodes);
  }

  // Typed characters as tokens: a line feed is `nl` (a new line at the
  // keyword line's indentation), a tab the Tab key.
  void Characters(const std::string &text) {
    for (size_t i = 0; i < text.size();) {
      uint32_t cp = 0;
      size_t n = Utf8Step(text.data() + i, text.size() - i, &cp);
      if (cp == Utf8Invalid) {
        Note("a byte that is not UTF-8 is left out");
      } else if (cp == '\n') {
        Token("nl");
      } else if (cp == '\t') {
        Token("tab");
      } else if (cp == ' ') {
        Token("sp");
      } else if (cp == '"') {
        Token("qu");
      } else if (cp < 0x20 || cp == 0x7F) {
        if (cp != '\r') Note("a control character (U+" + Hex(cp) + ") is left out");
      } else {
        Token(text.substr(i, n));
      }
      i += n;
    }
  }

  std::string tokens;

private:
  static std::string Hex(uint32_t cp) {
    char buffer[16];
    std::snprintf(buffer, sizeof(buffer), "%04X", static_cast<unsigned>(cp));
    return buffer;
  }
  void Note(const std::string &text) {
    if (std::find(notes_->begin(), notes_->end(), text) == notes_->end()) notes_->push_back(text);
  }
  void Token(const std::string &t) {
    if (!tokens.empty()) tokens += ' ';
    tokens += t;
  }

  void Nodes(const std::vector<Node> &nodes) {
    for (const Node &n : nodes) {
      if (n.kind == Node::Text) Characters(n.text);
      else if (n.kind == Node::Stop) Stop(n);
      else Variable(n);
    }
  }

  // `re REGEX fmt FORMAT [opts OPTIONS]`: a transformation, before the word
  // it applies to.
  void TransformTokens(const Node &n) {
    Token("re");
    Characters(n.regex);
    Token("fmt");
    Characters(n.format);
    if (!n.options.empty()) {
      Token("opts");
      Characters(n.options);
    }
  }

  void Stop(const Node &n) {
    const std::string number = std::to_string(n.number);
    // A transformed mirror shows its stop's text transformed; at a stop's
    // first place a transformation has nothing to show yet.
    const bool mirrorWithTransform = n.transform && seen_.count(n.number) && n.number >= 1 && n.number <= 9;
    if (n.transform && !mirrorWithTransform)
      Note("the transformation of $" + number + " is left out: it copies the stop's text as typed");
    if (n.choices.size() > 1 && (n.number < 1 || n.number > 9)) {
      std::string rest;
      for (size_t i = 1; i < n.choices.size(); ++i) rest += (rest.empty() ? "" : ", ") + Quoted(n.choices[i]);
      Note("$" + number + " offers a choice: " + Quoted(n.choices[0]) + " is its default, " + rest +
           (n.choices.size() > 2 ? " are" : " is") + " left out");
    }
    if (n.number == 0) {
      Nodes(n.children);
      Token("field0");
      return;
    }
    const Node *def = defaults_.count(n.number) ? defaults_[n.number] : nullptr;
    std::vector<int> nested;
    const std::string text = def ? FlatText(def->choices.empty() ? def->children : std::vector<Node>(), &nested)
                                 : std::string();
    const std::string shown = def && !def->choices.empty() ? def->choices[0] : text;
    if (n.number > 9) {
      Note("$" + number + ": stops are numbered 1 to 9, so this one is a stop without a number" +
           std::string(seen_.count(n.number) ? " (not a copy of the first)" : ""));
      seen_.insert(n.number);
      if (&n == def && !shown.empty()) {
        Token("from");
        Characters(shown);
      }
      Token("field");
      return;
    }
    if (seen_.count(n.number)) {
      // A mirror: it copies the stop's text.
      if (mirrorWithTransform) TransformTokens(n);
      if ((!n.children.empty() || !n.choices.empty()) && &n != def) {
        std::vector<int> ignored;
        const std::string own = n.choices.empty() ? FlatText(n.children, &ignored) : n.choices[0];
        if (own != shown) Note("a later $" + number + " has its own default " + Quoted(own) +
                               ": it copies the first one's text instead");
      }
      Token("field" + number);
      return;
    }
    seen_.insert(n.number);
    for (int m : nested)
      Note("$" + std::to_string(m) + " stands inside the default of $" + number +
           ": its text is part of that default, not a stop of its own");
    if (!shown.empty()) {
      Token("from");
      Characters(shown);
    }
    // Its choices: the first is the default, `or` before each further one.
    if (def && def->choices.size() > 1) {
      if (shown.empty()) Token("from");
      for (size_t i = 1; i < def->choices.size(); ++i) {
        Token("or");
        Characters(def->choices[i]);
      }
    }
    Token("field" + number);
  }

  void Variable(const Node &n) {
    // A variable the Far 3 edition knows becomes its word, its default
    // (plain text) after `from`. The comment markers are words only for the
    // C family: other languages' snippets keep their own markers typed.
    const bool cFamily = LineComment() == "//";
    for (const VariableWord &v : VariableWords) {
      if (n.text != v.snippet) continue;
      const bool marker = v.variable == ::Variable::LineComment || v.variable == ::Variable::BlockStart ||
                          v.variable == ::Variable::BlockEnd;
      if (marker && !cFamily) break;
      // Words that always have a value need no default.
      const bool always = marker || v.variable == ::Variable::LineNumber || v.variable == ::Variable::LineIndex;
      std::vector<int> nested;
      const std::string fallback = FlatText(n.children, &nested);
      for (int m : nested)
        Note("$" + std::to_string(m) + " stands inside the default of " + n.text +
             ": its text is part of that default, not a stop of its own");
      if (!fallback.empty() && !always) {
        Token("from");
        Characters(fallback);
      }
      if (n.transform) TransformTokens(n);
      Token(v.word);
      return;
    }
    std::string known;
    bool knows = true;
    if (n.text == "TM_SELECTED_TEXT" || n.text == "TM_CURRENT_WORD") known = "";
    else if (n.text == "LINE_COMMENT") known = LineComment();
    else if (n.text == "BLOCK_COMMENT_START") known = "/*";
    else if (n.text == "BLOCK_COMMENT_END") known = "*/";
    else knows = false;
    if (n.transform) {
      Note("the variable " + n.text + " with a transformation is left out");
      return;
    }
    if (knows) {
      Characters(known);
      if (known.empty() && !n.children.empty()) Nodes(n.children);
      return;
    }
    if (!n.children.empty()) {
      Note("the variable " + n.text + " is not known when a macro is typed: its default stands in its place");
      Nodes(n.children);
    } else {
      Note("the variable " + n.text + " is not known when a macro is typed: it is left out");
    }
  }

  std::string LineComment() const {
    static const std::set<std::string> hash = {"python", "shellscript", "perl", "ruby", "powershell",
                                               "yaml", "makefile", "cmake"};
    if (hash.count(language_)) return "#";
    if (language_ == "lua" || language_ == "sql" || language_ == "haskell") return "--";
    if (language_ == "bat") return "REM";
    return "//";
  }

  std::string language_;
  std::vector<std::string> *notes_;
  std::map<int, const Node *> defaults_;
  std::set<int> seen_;
};

size_t Utf16Length(const std::string &text) { return sim::Utf16(text).size(); }

}  // namespace

bool ConvertSnippetBody(const std::string &body, const std::string &prefix, const std::string &language,
                        std::string *tokens, std::vector<std::string> *notes) {
  SnippetParser parser(body);
  std::vector<Node> nodes = parser.Parse();
  BodyWriter writer(language, notes);
  // The keyword is on the line already: a body that begins with it goes on
  // behind it, any other takes it back first.
  if (!nodes.empty() && nodes[0].kind == Node::Text && nodes[0].text.compare(0, prefix.size(), prefix) == 0) {
    nodes[0].text.erase(0, prefix.size());
  } else {
    const size_t units = Utf16Length(prefix);
    for (size_t i = 0; i < units; ++i) writer.tokens += i ? " bs" : "bs";
  }
  writer.Write(nodes);
  *tokens = writer.tokens;
  return true;
}

#ifdef VORLANE_HAVE_JSONCPP

namespace {

struct Place {
  int line = 1, column = 1;
};

// Lines and columns (bytes, 1-based) of offsets into a text.
class Places {
public:
  explicit Places(const std::string &bytes) {
    for (size_t i = 0; i < bytes.size(); ++i)
      if (bytes[i] == '\n') breaks_.push_back(i);
  }
  Place At(ptrdiff_t offset) const {
    Place p;
    if (offset < 0) return p;
    const size_t at = static_cast<size_t>(offset);
    auto it = std::lower_bound(breaks_.begin(), breaks_.end(), at);
    p.line = static_cast<int>(it - breaks_.begin()) + 1;
    const size_t start = it == breaks_.begin() ? 0 : *(it - 1) + 1;
    p.column = static_cast<int>(at - start) + 1;
    return p;
  }

private:
  std::vector<size_t> breaks_;
};

std::string BaseName(const std::string &path) {
  size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The language a file of per-language snippets is named after ("" if none).
std::string LanguageOfFile(const std::string &path) {
  std::string base = BaseName(path);
  if (base.size() <= 5 || base.compare(base.size() - 5, 5, ".json") != 0) return "";
  base.erase(base.size() - 5);
  for (char &c : base)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return LanguageMasks().count(base) ? base : "";
}

// A description as a remark line: control characters (a line end, or the
// 0x1A that ends a macro file's data) become spaces.
std::string OneLine(std::string text) {
  for (char &c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  return text;
}

bool HoldsControl(const std::string &text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
  return false;
}

}  // namespace

void ImportSnippetFile(const std::string &fileName, const std::string &bytes, ImportResult *result) {
  auto say = [&](Place p, bool error, const std::string &text) {
    result->notes.push_back(ImportNote{fileName, p.line, p.column, error, text});
  };
  Json::CharReaderBuilder builder;
  builder["collectComments"] = false;
  builder["allowComments"] = true;
  builder["allowTrailingCommas"] = true;
  builder["failIfExtra"] = true;
  builder["rejectDupKeys"] = false;
  builder["stackLimit"] = 256;
  Json::Value root;
  std::string errors;
  bool parsed = false;
  try {
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    parsed = reader->parse(bytes.data(), bytes.data() + bytes.size(), &root, &errors);
  } catch (const std::exception &e) {
    errors = std::string("* Line 1, Column 1\n  ") + e.what() + "\n";
  }
  if (!parsed) {
    // "* Line L, Column C\n  message\n": the first finding.
    Place p;
    std::string message = "not a snippet file";
    int line = 0, column = 0;
    if (std::sscanf(errors.c_str(), "* Line %d, Column %d", &line, &column) == 2) {
      p.line = line;
      p.column = column;
      size_t start = errors.find('\n');
      if (start != std::string::npos) {
        size_t end = errors.find('\n', start + 1);
        message = errors.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
        message.erase(0, message.find_first_not_of(' '));
      }
    }
    say(p, true, "cannot be read as JSON: " + message);
    result->status = 2;
    return;
  }
  const Places places(bytes);
  if (!root.isObject()) {
    say(places.At(root.getOffsetStart()), true, "not a snippet file: an object of snippets is expected");
    result->status = 2;
    return;
  }
  const std::string fileLanguage = LanguageOfFile(fileName);
  // In the file's order (the object's members come sorted by name).
  std::vector<std::string> names = root.getMemberNames();
  std::stable_sort(names.begin(), names.end(), [&root](const std::string &a, const std::string &b) {
    return root[a].getOffsetStart() < root[b].getOffsetStart();
  });
  for (const std::string &name : names) {
    const Json::Value &snippet = root[name];
    const Place at = places.At(snippet.getOffsetStart());
    auto skip = [&](const std::string &why) {
      say(at, false, Quoted(name) + ": " + why + ": the snippet is skipped");
      if (result->status < 1) result->status = 1;
    };
    if (!snippet.isObject()) {
      skip("not a snippet (an object with prefix and body)");
      continue;
    }
    const Json::Value &prefix = snippet["prefix"];
    const Json::Value &body = snippet["body"];
    std::vector<std::string> prefixes;
    if (prefix.isString()) {
      prefixes.push_back(prefix.asString());
    } else if (prefix.isArray()) {
      for (const Json::Value &p : prefix)
        if (p.isString()) prefixes.push_back(p.asString());
    }
    if (prefixes.empty()) {
      skip("no prefix to type");
      continue;
    }
    std::string text;
    bool bodyOk = body.isString();
    if (bodyOk) {
      text = body.asString();
    } else if (body.isArray() && body.size() > 0) {
      bodyOk = true;
      for (Json::ArrayIndex i = 0; i < body.size(); ++i) {
        if (!body[i].isString()) bodyOk = false;
        else text += (i ? "\n" : "") + body[i].asString();
      }
    }
    if (!bodyOk) {
      skip("no body (a string or a list of lines)");
      continue;
    }
    // Which files: the file's own language, else the snippet's scope.
    std::string language = fileLanguage, masks;
    if (!fileLanguage.empty()) {
      masks = LanguageMasks().at(fileLanguage);
    } else if (snippet["scope"].isString() && !snippet["scope"].asString().empty()) {
      std::string scope = snippet["scope"].asString();
      std::vector<std::string> unknown;
      size_t known = 0;
      for (size_t start = 0; start <= scope.size();) {
        size_t comma = scope.find(',', start);
        if (comma == std::string::npos) comma = scope.size();
        std::string one = scope.substr(start, comma - start);
        one.erase(0, one.find_first_not_of(' '));
        one.erase(one.find_last_not_of(' ') + 1);
        start = comma + 1;
        if (one.empty()) continue;
        auto it = LanguageMasks().find(one);
        if (it == LanguageMasks().end()) {
          unknown.push_back(one);
          continue;
        }
        masks += (masks.empty() ? "" : ",") + it->second;
        if (known++ == 0) language = one;
      }
      if (known == 0) {
        skip("its scope " + Quoted(scope) + " names no language whose files are known");
        continue;
      }
      for (const std::string &u : unknown)
        say(at, false, Quoted(name) + ": the scope's language " + Quoted(u) + " has no known files: left out");
    } else if (!result->language.empty()) {
      language = result->language;
      masks = LanguageMasks().at(language);
    }
    const std::string remark =
        snippet["description"].isString() ? OneLine(snippet["description"].asString()) : std::string();
    const Place bodyAt = places.At(body.getOffsetStart());
    for (const std::string &p : prefixes) {
      if (p.empty() || p.find('"') != std::string::npos || HoldsControl(p)) {
        skip("the prefix " + Quoted(p) + " holds a quote or a control character, which no macro name can");
        continue;
      }
      if (p.find(' ') != std::string::npos && result->onSpace) {
        skip("the prefix " + Quoted(p) + " holds a space: a macro on Space is a keyword alone (without "
             "--on-space it expands on Tab)");
        continue;
      }
      if (p.front() == ' ' || p.back() == ' ') {
        skip("the prefix " + Quoted(p) + " begins or ends with a space");
        continue;
      }
      if (Utf16Length(p) > MacroNameLimit) {
        skip("the prefix is longer than a macro name may be (127)");
        continue;
      }
      std::string tokens;
      std::vector<std::string> notes;
      const bool written = ConvertSnippetBody(text, p, language, &tokens, &notes);
      for (const std::string &n : notes) say(bodyAt, false, Quoted(name) + ": " + n);
      if (!written) {
        if (result->status < 1) result->status = 1;
        continue;
      }
      ImportedMacro m;
      m.masks = masks;
      m.remark = remark;
      m.name = p;
      m.body = tokens;
      m.snippet = name;
      m.file = fileName;
      m.line = at.line;
      m.column = at.column;
      result->macros.push_back(m);
    }
  }
}

#else

void ImportSnippetFile(const std::string &fileName, const std::string &, ImportResult *result) {
  result->notes.push_back(ImportNote{fileName, 1, 1, true, "this build of vorlane reads no JSON"});
  result->status = 2;
}

#endif

std::string ImportedMacroFile(ImportResult *result) {
  // Sections in the order their masks first appear, the general part first.
  std::vector<std::string> order = {""};
  for (const ImportedMacro &m : result->macros)
    if (std::find(order.begin(), order.end(), m.masks) == order.end()) order.push_back(m.masks);
  std::string out;
  for (const std::string &masks : order) {
    std::map<std::string, const ImportedMacro *> named;
    std::string section;
    for (const ImportedMacro &m : result->macros) {
      if (m.masks != masks) continue;
      auto it = named.find(m.name);
      if (it != named.end()) {
        result->notes.push_back(ImportNote{m.file, m.line, m.column, false,
                                           Quoted(m.snippet) + ": the name " + Quoted(m.name) +
                                               " is already taken by " + Quoted(it->second->snippet) +
                                               " for the same files: the snippet is skipped"});
        if (result->status < 1) result->status = 1;
        continue;
      }
      named[m.name] = &m;
      section += "\n";
      if (!m.remark.empty()) section += "; " + m.remark + "\n";
      // Tab takes a name behind the cursor wherever it stands; a name with
      // a blank is quoted.
      const bool quoted = m.name.find(' ') != std::string::npos;
      section += std::string(result->onSpace ? "Macro " : "MacroTab ") + (quoted ? "\"" : "") + m.name +
                 (quoted ? "\"" : "") + " \"" + m.body + "\"\n";
    }
    if (section.empty()) continue;
    if (!masks.empty()) out += "\nFiles " + masks + "\n";
    out += section;
  }
  if (out.empty()) return out;
  return "; Macros for the vorlane plug-in (Far 3), made by 'vorlane import' from snippet files.\n" + out;
}

#ifdef VORLANE_HAVE_JSONCPP
bool KnownLanguage(const std::string &name) { return LanguageMasks().count(name) != 0; }
#else
bool KnownLanguage(const std::string &) { return false; }
#endif

namespace {

const char ImportUsage[] =
    "usage: vorlane import [--on-space] [--language NAME] FILE...\n"
    "\n"
    "Reads Visual Studio Code snippet files (*.code-snippets, or per-language\n"
    "files such as c.json and cpp.json) and writes macro-file lines for the\n"
    "Far 3 edition on standard output. What does not carry over is reported on\n"
    "standard error as FILE:LINE:COL: note: message.\n"
    "\n"
    "Each snippet expands on Tab behind its prefix (MacroTab lines), so typing\n"
    "the language's own words goes on as typed.\n"
    "  --on-space     expand on Space after a prefix alone on its line instead\n"
    "                 (Macro lines; prefixes with a space are skipped)\n"
    "  --language NAME  the language (c, cpp, ...) of the snippets whose file's\n"
    "                 name names none (cdoc.json) and that have no scope; else\n"
    "                 they apply to every file\n"
    "\n"
    "Exit status: 0 every snippet written, 1 some skipped, 2 a file that cannot\n"
    "be read or parsed (or usage).\n";

}  // namespace

int RunImport(int argc, char **argv) {
  std::vector<std::string> files;
  ImportResult result;
  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << ImportUsage;
      return 0;
    }
    if (arg == "--on-space") {
      result.onSpace = true;
      continue;
    }
    if (arg == "--language") {
      if (i + 1 >= argc || !KnownLanguage(argv[i + 1])) {
        std::cerr << "vorlane import: --language takes a language whose files are known (c, cpp, ...)\n"
                  << ImportUsage;
        return 2;
      }
      result.language = argv[++i];
      continue;
    }
    if (arg.size() > 1 && arg[0] == '-') {
      std::cerr << "vorlane import: unknown option '" << arg << "'\n" << ImportUsage;
      return 2;
    }
    files.push_back(arg);
  }
  if (files.empty()) {
    std::cerr << "vorlane import: no FILE given\n" << ImportUsage;
    return 2;
  }
  for (const std::string &file : files) {
    std::string bytes;
    const bool read = ReadFile(file, &bytes);
    if (!read) {
      result.notes.push_back(ImportNote{file, 0, 0, true, "cannot read the file"});
      result.status = 2;
      continue;
    }
    ImportSnippetFile(file, bytes, &result);
  }
  const std::string out = ImportedMacroFile(&result);
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fflush(stdout);
  for (const ImportNote &n : result.notes) {
    std::cerr << n.file;
    if (n.line > 0) std::cerr << ":" << n.line << ":" << n.column;
    std::cerr << ": " << (n.error ? "error" : "note") << ": " << n.text << "\n";
  }
  return result.status;
}
