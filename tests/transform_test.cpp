// Transformations through the bounded engine: answers snippet files expect,
// and values and expressions that would hang or crash an unbounded one. They
// run in every build, the Windows ones under Wine included.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "macros/transform.h"

namespace {

std::u16string U16(const std::string &utf8) {
  std::u16string out;
  for (size_t i = 0; i < utf8.size();) {
    unsigned c = static_cast<unsigned char>(utf8[i]);
    int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    c &= more == 3 ? 0x07 : more == 2 ? 0x0F : more == 1 ? 0x1F : 0x7F;
    for (++i; more-- > 0 && i < utf8.size(); ++i) c = (c << 6) | (static_cast<unsigned char>(utf8[i]) & 0x3F);
    if (c >= 0x10000) {
      out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
  }
  return out;
}

struct Outcome {
  bool transformed = false;
  std::u16string text;
  bool gaveUp = false;
  double ms = 0;
};

Outcome Transform(const std::string &re, const std::string &fmt, const std::string &opts, const std::u16string &value) {
  const std::u16string r = U16(re), f = U16(fmt), o = U16(opts);
  TransformText t;
  t.regex = r.data();
  t.regexLength = r.size();
  t.format = f.data();
  t.formatLength = f.size();
  t.options = o.data();
  t.optionsLength = o.size();
  const size_t before = TransformsGivenUp();
  const auto start = std::chrono::steady_clock::now();
  size_t n = 0;
  char16_t *out = ApplyTransform(t, value.data(), value.size(), &n);
  Outcome result;
  result.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  result.gaveUp = TransformsGivenUp() != before;
  if (out) {
    result.transformed = true;
    result.text.assign(out, n);
    std::free(out);
  }
  return result;
}

std::u16string Transformed(const std::string &re, const std::string &fmt, const std::string &opts,
                           const std::string &value) {
  Outcome o = Transform(re, fmt, opts, U16(value));
  EXPECT_TRUE(o.transformed) << re << " on " << value;
  EXPECT_FALSE(o.gaveUp);
  return o.text;
}

// Generous against a loaded machine or Wine; an unbounded engine takes
// seconds to minutes on these, or ends the process.
constexpr double kPromptMs = 500;

}  // namespace

TEST(Transform, JavaScriptExpressionsMeanWhatTheyMeanThere) {
  EXPECT_EQ(Transformed("\\u0041(\\u{42})", "<$1>", "", "xAB"), U16("x<B>"));
  EXPECT_EQ(Transformed("a[^]b", "-", "g", "a\nb a-b"), U16("- -"));
  EXPECT_EQ(Transformed("(x)?\\1y", "[$1]", "", "y"), U16("[]"));       // an unset group's reference is empty
  EXPECT_EQ(Transformed("b$", "B", "", "ab\n"), U16("ab\n"));             // $ only at the very end
  EXPECT_EQ(Transformed("b$", "B", "gm", "ab\ncb"), U16("aB\ncB"));
  EXPECT_EQ(Transformed("^c", "C", "gi", "ab\ncb"), U16("ab\ncb"));     // without m, ^ only at the very start
  EXPECT_EQ(Transformed("(?<=a)b", "B", "g", "ab cb ab"), U16("aB cb aB"));  // look-behind
  EXPECT_EQ(Transformed("(?<word>[a-z]+)-(\\d)", "$2:${1:/upcase}", "", "x abc-7"), U16("x 7:ABC"));
  EXPECT_EQ(Transformed("^.(.)$", "$1", "", "\xF0\x9D\x84\x9E\xF0\x9F\x98\x80"),  // astral characters
            U16("\xF0\x9F\x98\x80"));
  EXPECT_EQ(Transformed("", "-", "g", "\xF0\x9D\x84\x9E" "a"), U16("-\xF0\x9D\x84\x9E-a-"));
  EXPECT_EQ(Transformed("B", "x", "gi", "abAB"), U16("axAx"));
  EXPECT_EQ(Transformed("\\.", "_", "g", "a.b.c"), U16("a_b_c"));
  EXPECT_EQ(Transformed("b", "[$.$-$]", "", "abc"), U16("a[$.$-$]c"));  // a $ before no group is itself
  EXPECT_EQ(Transformed("(b)", "v2{1}$1", "", "abc"), U16("av2{1}bc"));  // digits and braces after no $
  EXPECT_EQ(Transformed("(.*)", "\\t$1\\n\\q", "", "v"), U16("\tv\nq"));    // escapes in a format
  EXPECT_EQ(Transformed("(.*)", "${1:?yes:no}${2:-two}${1:+plus}", "", "v"), U16("yestwoplus"));
  EXPECT_EQ(Transformed("(.*)", "${1:+[${2:-${1:/upcase}}]}", "", "v"), U16("[V]"));
  EXPECT_EQ(Transformed("(x)?y", "${1:none}", "", "y"), U16("none"));  // ':' alone: the else text
  EXPECT_EQ(Transformed("(a)(b)(c)(d)(e)(f)(g)(h)(i)", "${9}$9", "", "abcdefghi"), U16("ii"));
  EXPECT_EQ(Transformed("(x)?y", "${1:none}", "", "xy"), U16("x"));
  // Formats nest sixteen deep; deeper ones are dropped (the stack stays bounded).
  std::string nest16 = "x", nest17;
  for (int i = 0; i < 16; ++i) nest16 = "${1:+" + nest16 + "}";
  nest17 = "${1:+" + nest16 + "}";
  EXPECT_EQ(Transformed("(.*)", nest16, "", "v"), U16("x"));
  EXPECT_EQ(Transformed("(.*)", nest17, "", "v"), U16(""));
}

TEST(Transform, CaseChangesFollowUnicode) {
  EXPECT_EQ(Transformed("(.*)", "${1:/upcase}", "", "łódź σχέδιο"), U16("ŁÓDŹ ΣΧΈΔΙΟ"));
  EXPECT_EQ(Transformed("(.*)", "${1:/downcase}", "", "ŁÓDŹ ΣΧΈΔΙΟ Ёлка"), U16("łódź σχέδιο ёлка"));
  EXPECT_EQ(Transformed("(.*)", "${1:/capitalize}", "", "élan vital"), U16("Élan vital"));
  EXPECT_EQ(Transformed("(.*)", "${1:/pascalcase}", "", "σχέδιο-łódź_3d"), U16("ΣχέδιοŁódź3d"));
  EXPECT_EQ(Transformed("(.*)", "${1:/camelcase}", "", "Ärger über--alles "), U16("ärgerÜberAlles"));
  EXPECT_EQ(Transformed("(.*)", "${1:/camelcase}", "", "Foo"), U16("foo"));
  EXPECT_EQ(Transformed("(.*)", "${1:/pascalcase}", "", "-- --"), U16("-- --"));
  EXPECT_EQ(Transformed("(.*)", "${1:/upcase}", "", "\xF0\x90\x90\xA8"), U16("\xF0\x90\x90\x80"));  // Deseret
}

TEST(Transform, BadExpressionsAndTextAreTypedAsTheyAre) {
  char why[100] = "";
  const std::u16string bad = U16("(");
  TransformText t;
  t.regex = bad.data();
  t.regexLength = bad.size();
  EXPECT_FALSE(TransformCompiles(t, why, sizeof(why)));
  EXPECT_STREQ(why, "missing closing parenthesis at unit 1");
  char tiny[8] = "";
  EXPECT_FALSE(TransformCompiles(t, tiny, sizeof(tiny)));
  EXPECT_STREQ(tiny, "missing");
  EXPECT_FALSE(Transform("(", "x", "", U16("a")).transformed);
  // One code unit at a time could end a match inside a surrogate pair.
  EXPECT_FALSE(Transform("\\C", "x", "g", U16("\xF0\x9D\x84\x9E")).transformed);
  // A lone surrogate in the value: untransformed, and not the engine's limit.
  const Outcome lone = Transform("(.*)", "${1:/upcase}", "", std::u16string(u"a\xD800" u"b"));
  EXPECT_FALSE(lone.transformed);
  EXPECT_FALSE(lone.gaveUp);
}

TEST(Transform, NoExpressionOrValueHoldsTheKey) {
  // The file name of sixteen and twenty a's, and the long line, of the reports.
  for (size_t n : {16, 20, 30}) {
    const Outcome o = Transform("(a*)*b", "x", "", std::u16string(n, u'a'));
    EXPECT_TRUE(o.transformed);
    EXPECT_EQ(o.text, std::u16string(n, u'a'));
    EXPECT_LT(o.ms, kPromptMs);
  }
  for (size_t n : {10000, 50000}) {
    const Outcome o = Transform("(.*)", "${1:/upcase}", "", std::u16string(n, u'a'));
    EXPECT_TRUE(o.transformed);
    EXPECT_EQ(o.text, std::u16string(n, u'A'));
  }
  const std::u16string mega(1 << 20, u'a');
  std::string manyRefs;
  for (int i = 0; i < 500; ++i) manyRefs += "$1";
  const char *many = manyRefs.c_str();
  std::u16string words;
  while (words.size() < (1u << 20)) words += u"word1 Word2 ";
  struct Case {
    const char *re, *fmt, *opts;
    const std::u16string &value;
    bool transformed;
  } cases[] = {
      {"(.*)", "${1:/upcase}", "", mega, false},       // past the work limit: typed as it is
      {"(a*)*(b|c)", "x", "", mega, false},            // catastrophic backtracking
      {"(a*)*(b|c)", "x", "", std::u16string(10000, u'a'), false},
      {"[^x]*(x|y)", "z", "", mega, false},            // a scan from every position
      {"[^x]*(x|y)", "z", "", std::u16string(10000, u'a'), false},  // each start within its own limit
      {"[^x]*+(x|y)", "z", "", std::u16string(10000, u'a'), false},  // possessive: one item, a long move
      {"^(\\w+\\s?)*$", "x", "", words.substr(0, 60) + u"!", false},
      {"(\\w+)", "${1:/pascalcase}", "g", words, false},
      {"(?<=a)b|a", "x", "g", mega, false},
      {"(.)*", "x", "", mega, false},                  // as deep as the value is long
      {"^(.*)$", many, "", std::u16string(1000, u'a'), false},  // half a million units to type
      {"^a", "x", "", mega, true},                     // cheap on any length
      {"(a*)*b", "x", "", mega, true},                 // no b: the engine knows at once
  };
  for (const Case &c : cases) {
    const Outcome o = Transform(c.re, c.fmt, c.opts, c.value);
    EXPECT_EQ(o.transformed, c.transformed) << c.re;
    EXPECT_EQ(o.gaveUp, !c.transformed) << c.re;
    EXPECT_LT(o.ms, kPromptMs) << c.re;
    if (o.transformed && std::string(c.re) == "^a") {
      EXPECT_EQ(o.text, u"x" + mega.substr(1));
    }
  }
}
