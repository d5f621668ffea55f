// The snippet-session fuzzer: a body with stops expands on one line, then
// words, blanks and the body's own separators are typed into its stops,
// deleted from them, and Tab and Shift+Tab move between them. A model of the
// stops by position (what the user sees a stop hold) says after every key
// what the line must read: a typed character that goes missing, or text that
// a wrongly placed stop swallows when it is typed over, shows at once.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "far3/edition.h"
#include "sim/far3/stand_in.h"
#include "sim/keys.h"
#include "sim/plugin_api.h"
#include "tests/fuzz/bytes.h"
#include "tests/fuzz/session.h"

namespace {

struct Body {
  const char *macro;      // the body, behind the name `t`
  const char16_t *text;   // the line it expands to
  int stops[5][2];        // in Tab's order, the exit last
  int count;
};

// Bodies whose stops stand beside text equal to what is typed into them.
const Body kBodies[] = {
    {"sp from i n t field1 sp from n a m e field2 ;", u"t int name;", {{2, 5}, {6, 10}, {11, 11}}, 3},
    {"( from a field1 , sp from b field2 , sp from c field3 )", u"t(a, b, c)", {{2, 3}, {5, 6}, {8, 9}, {10, 10}}, 4},
    {"sp field1 field2 sp field3 ;", u"t  ;", {{2, 2}, {2, 2}, {3, 3}, {4, 4}}, 4},
    {"sp from x field1 x from x field2 sp x", u"t xxx x", {{2, 3}, {4, 5}, {7, 7}}, 3},
};

// What is typed: letters, blanks and the bodies' separators.
const char16_t kTyped[] = u"  ,,;;xxaint&*()";

}  // namespace

bool RunFuzzStops(const uint8_t *data, size_t size, std::string *failure) {
  fuzz::Bytes in(data, size);
  const Body &body = kBodies[in.Next() % (sizeof(kBodies) / sizeof(kBodies[0]))];
  const std::string dir = fuzz::Folder("vorlane-fuzz-stops-");
  std::ofstream(dir + "vorlane.mac", std::ios::binary | std::ios::trunc) << "Macro t \"" << body.macro << "\"\n";
  sim::Host3 host(LinkedPlugin3());
  host.SetText(u"t");
  host.fileName = u"a.c";
  host.curLine = 0;
  host.curPos = 1;
  host.Start(dir + "vorlane.dll");
  host.Input(sim::KeyRecord(VK_SPACE, ' ', 0, true));

  // The model: the line, each stop's [start, end), the current stop, whether
  // its text is selected, the cursor.
  std::u16string line = body.text;
  std::vector<std::pair<int, int>> stops;
  for (int i = 0; i < body.count; ++i) stops.emplace_back(body.stops[i][0], body.stops[i][1]);
  int current = 0, cursor = stops[0].second;
  bool selected = stops[0].second > stops[0].first;
  const bool trace = std::getenv("VORLANE_FUZZ_TRACE") != nullptr;
  auto check = [&](const std::string &after) {
    if (trace) std::fprintf(stderr, "%s: \"%s\" at %d\n", after.c_str(), sim::Utf8(line).c_str(), cursor);
    const std::u16string &got = host.lines[0].text;
    if (host.lines.size() == 1 && got == line && host.curLine == 0 && host.curPos == cursor) return true;
    *failure = "after " + after + ": the line reads \"" + sim::Utf8(got) + "\" with the cursor at " +
               std::to_string(host.curPos) + ", the stops say \"" + sim::Utf8(line) + "\" at " +
               std::to_string(cursor);
    return false;
  };
  // A unit typed at X in the current stop: the stop takes it in, every stop
  // behind X moves on, and so does one at X that comes later in the body.
  auto insert = [&](int x, char16_t ch) {
    line.insert(static_cast<size_t>(x), 1, ch);
    for (size_t i = 0; i < stops.size(); ++i) {
      std::pair<int, int> &s = stops[i];
      if (static_cast<int>(i) == current) {
        ++s.second;
      } else if (s.first > x || (s.first == x && static_cast<int>(i) > current)) {
        ++s.first;
        ++s.second;
      }
    }
  };
  // The unit at X, in the current stop, deleted.
  auto erase = [&](int x) {
    line.erase(static_cast<size_t>(x), 1);
    for (size_t i = 0; i < stops.size(); ++i) {
      std::pair<int, int> &s = stops[i];
      if (static_cast<int>(i) == current) {
        --s.second;
      } else if (s.first > x) {
        --s.first;
        --s.second;
      }
    }
  };
  if (!check("the expansion")) return false;
  for (int step = 0; step < 60 && !in.Done(); ++step) {
    const uint8_t what = in.Next() % 8;
    std::pair<int, int> &c = stops[static_cast<size_t>(current)];
    std::string said;
    if (what < 5) {
      const char16_t ch = kTyped[in.Next() % (sizeof(kTyped) / sizeof(kTyped[0]) - 1)];
      host.Input(sim::KeyRecord(ch < 0x80 ? sim::VirtualKeyOf(static_cast<unsigned char>(ch)) : 0, ch, 0, true));
      if (selected) {
        // Typed over the stop's text.
        while (c.second > c.first) erase(c.second - 1);
        cursor = c.first;
      }
      insert(cursor, ch);
      ++cursor;
      said = "typing '" + sim::Utf8(std::u16string(1, ch)) + "'";
    } else if (what == 5) {
      // Backspace inside the current stop only (elsewhere it deletes text of
      // the body, not of a stop).
      if (selected || cursor <= c.first) continue;
      host.Input(sim::KeyRecord(VK_BACK, 8, 0, true));
      erase(--cursor);
      said = "Backspace";
    } else {
      const bool back = what == 6;
      if (back && current == 0) continue;
      host.Input(sim::KeyRecord(VK_TAB, '\t', back ? DWORD{SHIFT_PRESSED} : 0, true));
      current += back ? -1 : 1;
      const std::pair<int, int> &t = stops[static_cast<size_t>(current)];
      cursor = t.second;
      selected = t.second > t.first && current + 1 < static_cast<int>(stops.size());
      said = back ? "Shift+Tab" : "Tab";
      if (!check(said)) return false;
      // The exit ends the session.
      if (current + 1 == static_cast<int>(stops.size())) break;
      continue;
    }
    selected = false;
    if (!check(said)) return false;
  }
  host.Stop();
  return true;
}
