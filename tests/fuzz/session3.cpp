// The session fuzzer's Far 3 side.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

#include "far3/edition.h"
#include "sim/far1/stand_in.h"
#include "sim/far3/stand_in.h"
#include "sim/keys.h"
#include "tests/fuzz/bytes.h"
#include "tests/fuzz/session.h"

namespace {

using fuzz::Bytes;

// UTF-16 units: mostly the ones the assists look at, and any unit at all.
char16_t Unit(Bytes &in) {
  static const char16_t common[] = {u' ', u'{', u'}', u'\t', u'i', u'f', u'x', u'\n', u'\r', 0,
                                    0xD800, 0xDFFF, 0xD83D, 0xDE00, 0x0416, 0x0451, 0xFFFD, u'"'};
  uint8_t b = in.Next();
  if (b < 224) return common[b % (sizeof(common) / sizeof(common[0]))];
  return static_cast<char16_t>(in.Word());
}

std::u16string Units(Bytes &in, size_t limit) {
  std::u16string s;
  for (size_t len = in.Length(limit); len-- && !in.Done();) s += Unit(in);
  return s;
}

struct State {
  std::u16string text;
  int line = 0, pos = 0, top = 0, left = 0;
  bool operator==(const State &o) const {
    return text == o.text && line == o.line && pos == o.pos && top == o.top && left == o.left;
  }
  bool operator!=(const State &o) const { return !(*this == o); }
  // Text and the cursor's line: what an undo gives back. (A group that
  // shrank to one edit record puts the cursor where its first change was,
  // as Far does: in overtype a body's first keys may change nothing.)
  bool SameTextAndCursor(const State &o) const { return text == o.text && line == o.line; }
  std::string Describe() const {
    // Line ends and NULs shown as escapes: a finding's message is one line.
    std::string shown;
    for (char c : sim::Utf8(text)) shown += c == '\n' ? std::string("\\n") : c == '\r' ? std::string("\\r") : c == 0 ? std::string("\\0") : std::string(1, c);
    return shown + "|" + std::to_string(line) + ":" + std::to_string(pos) + " top " +
           std::to_string(top) + " left " + std::to_string(left);
  }
};

template <class H>
State StateOf(const H &h) {
  return State{h.Text(), h.curLine, h.curPos, h.topLine, h.leftPos};
}

std::string Journal(const sim::Host3 &host) {
  std::string out = "\n  commands:";
  for (const sim::Command3 &c : host.journal) out += "\n    " + sim::DescribeCommand3(c);
  return out;
}

// Whether the plug-in's table holds exactly what a fresh load of `path` gives.
bool TableIsFileOf(const std::string &path) {
  BasicMacroEntry<far3::FarChar> *table = nullptr;
  int count = 0;
  LoadMacroTable<far3::FarChar>(std::fopen(path.c_str(), "rb"), nullptr, &table, &count);
  bool same = count == far3::MacroCount;
  for (int i = 0; same && i < count; ++i) {
    const std::u16string name(reinterpret_cast<const char16_t *>(table[i].Name));
    const std::u16string body(reinterpret_cast<const char16_t *>(table[i].Body));
    same = name == reinterpret_cast<const char16_t *>(far3::MacroTable[i].Name) &&
           body == reinterpret_cast<const char16_t *>(far3::MacroTable[i].Body);
  }
  FreeMacroEntries(table, static_cast<size_t>(count));
  return same;
}

INPUT_RECORD Event(Bytes &in, bool *menu, int *answer) {
  static const WORD keys[] = {VK_RETURN, VK_TAB, VK_BACK, VK_DELETE, VK_LEFT, VK_RIGHT,
                              VK_UP,     VK_DOWN, VK_HOME, VK_END, VK_INSERT};
  *menu = false;
  uint8_t kind = in.Next() % 13;
  DWORD mods = 0;
  if (kind >= 11) {
    mods = in.Next() & (SHIFT_PRESSED | LEFT_CTRL_PRESSED | LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED);
    kind = in.Next() % 6;
  }
  INPUT_RECORD rec;
  std::memset(&rec, 0, sizeof(rec));
  switch (kind) {
    case 0: case 1: case 2: {
      char16_t c = Unit(in);
      return sim::KeyRecord(c < 0x80 ? sim::VirtualKeyOf(static_cast<unsigned char>(c)) : 0, c, mods, true);
    }
    case 3: {
      WORD vk = keys[in.Next() % (sizeof(keys) / sizeof(keys[0]))];
      return sim::KeyRecord(vk, vk == VK_RETURN ? '\r' : vk == VK_TAB ? '\t' : vk == VK_BACK ? 8 : 0, mods, true);
    }
    case 4:
      // Ctrl+Z, now and then Ctrl+Y (the line goes), a bare Tab or Shift+Tab
      // (field stops).
      if (in.Next() % 3 == 0) return sim::KeyRecord('Y', 0x19, LEFT_CTRL_PRESSED, true);
      if (in.Next() % 2 == 0) return sim::KeyRecord(VK_TAB, '\t', in.Next() % 3 == 0 ? DWORD{SHIFT_PRESSED} : DWORD{0}, true);
      return sim::KeyRecord('Z', 0x1A, LEFT_CTRL_PRESSED, true);
    case 5: {
      // A release; for the unit 0, Shift pressed or released alone, as around
      // each shifted character (the inputs found before read the same bytes).
      const char16_t u = Unit(in);
      if (u == 0) return sim::KeyRecord(sim::ShiftKey, 0, mods | SHIFT_PRESSED, (mods & SHIFT_PRESSED) == 0);
      return sim::KeyRecord(0, u, mods, false);
    }
    case 6:
      rec.EventType = MOUSE_EVENT;
      return rec;
    case 7:
      // The menu's dialog: Esc, nothing, Reload, Close, Edit macro file; now
      // and then F2 instead.
      if (in.Next() % 4 == 0) return sim::KeyRecord(VK_F2, 0, 0, true);
      *menu = true;
      *answer = static_cast<int>(in.Next() % 5) - 1;
      return rec;
    default: {
      // The trigger keys: Space, Enter and the electric ones.
      // On a US keyboard the electric ones come with Shift held.
      static const char16_t triggers[] = {u'}', u' ', u'{', u':', u'#', u'}'};
      const char16_t c = triggers[in.Next() % 6];
      return sim::KeyRecord(in.Next() & 1 ? VK_RETURN : 0, c, c == u' ' ? mods : mods | SHIFT_PRESSED, true);
    }
  }
}

}  // namespace

bool RunFuzzSession3(const uint8_t *data, size_t size, std::string *failure) {
  Bytes in(data, size);
  // A fixed clock: the date words type the same on every run of an input.
#ifdef _WIN32
  _putenv("VORLANE_CLOCK=2026-12-08T10:20:30+01:00");
#else
  setenv("VORLANE_CLOCK", "2026-12-08T10:20:30+01:00", 1);
#endif
  const std::string dir = fuzz::Folder("vorlane-fuzz3-");
  const std::string macroPath = dir + "vorlane.mac";
  // Half the sessions start with macros that mark field stops.
  // Half the sessions start with macros that mark field stops, with the
  // template words (defaults, mirrors, an explicit exit, nl) among them.
  const std::string fieldMacros = in.Next() & 1 ? "Macro if \"sp ( field ) en { en field en } field\"\n"
                                                  "Macro x \"field sp ( field ; sp field ; field ) field\"\n"
                                                  "Macro f \"en field bs field up field\"\n"
                                                  "Macro m \"sp from i field1 sp = sp field1 ; en field1 field0\"\n"
                                                  "Macro n \"from a b field nl tab field2 field2 x from c field0\"\n"
                                                  "Macro v \"filename sp from x directory sp re ( . ) fmt $ { 1 : / u p c a s e } opts g filebase sp year sp word sp linetext\"\n"
                                                  "Macro ch \"from a or b b or c field1 sp field1 sp selection field0\"\n"
                                                : "";
  std::ofstream(macroPath, std::ios::binary | std::ios::trunc) << fieldMacros << in.Text(600);
  static const char16_t *const names[] = {u"main.cpp", u"a.C", u"x.h", u"y.HPP", u"notes.txt",
                                          u"makefile", u"x.c.bak", u"\u0444\u0430\u0439\u043b.cpp"};
  uint8_t choice = in.Next();
  std::u16string fileName = choice < 200 ? names[choice % 8] : Units(in, 300);
  std::u16string text = Units(in, 1500);
  uint8_t flags = in.Next();

  sim::Host3 host(LinkedPlugin3());
  // VORLANE_FUZZ_TRACE=1: every event and command on standard error, to read
  // a finding.
  if (std::getenv("VORLANE_FUZZ_TRACE"))
    host.trace = [](const std::string &line) { std::fprintf(stderr, "%s\n", line.c_str()); };
  host.SetText(text);
  host.fileName = fileName;
  host.settings.autoIndent = flags & 1;
  host.settings.expandTabs = flags & 2;
  host.settings.overtype = flags & 4;
  host.settings.cursorBeyondEol = !(flags & 8);
  host.settings.tabSize = 1 + (flags >> 4);
  host.windowY = 5;
  host.clipboard = u"x {\n\ty }\n";  // what Shift+Ins pastes
  host.curLine = in.Next() % static_cast<int>(host.lines.size());
  host.curPos = in.Next() % 40;
  host.Redraw();  // as the editor first shows the file: a cursor it allows
  host.Start(dir + "vorlane.dll");

  const std::u16string macroName = sim::Utf16(macroPath);
  bool ok = true;
  sim::Host3 shadow;
  // Waiting field stops: each on its line as it stands (the plug-in's copy of
  // the line is the text), in the order they had, no command inside a change
  // report, and no subscription while nothing waits.
  std::vector<std::pair<int, int>> order;  // by stop index; -1 once passed or dropped
  std::vector<std::u16string> texts;       // by stop index: its text at the last check
  unsigned generation = 0;
  bool afterUndo = false;  // the last event was Ctrl+Z
  auto textOf = [](const FieldStops<far3::FarChar> &f, int i) {
    const far3::FarChar *t = nullptr;
    int n = 0;
    field_stops::StopText(f, f.stops[i], &t, &n);
    return std::u16string(reinterpret_cast<const char16_t *>(t), static_cast<size_t>(n));
  };
  auto checkFields = [&]() {
    const FieldStops<far3::FarChar> &f = far3::Fields;
    for (const sim::Command3 &c : host.journal)
      if (c.insideChange) {
        *failure = "a command inside EE_CHANGE: " + sim::DescribeCommand3(c);
        return false;
      }
    if (!f.waiting && !f.marking) {
      order.clear();
      if (!host.subscribed.empty()) {
        *failure = "still subscribed to change events with no field stop waiting";
        return false;
      }
      return true;
    }
    if (f.editorId != host.editorId) return true;
    std::vector<std::pair<int, int>> now(static_cast<size_t>(f.count), std::make_pair(-1, -1));
    for (int i = f.next; i < f.count; ++i) {
      if (f.stops[i].dropped) continue;
      const auto &l = f.lines[f.stops[i].line];
      if (l.number < 0 || l.number >= static_cast<int>(host.lines.size()) ||
          host.lines[static_cast<size_t>(l.number)].text !=
              std::u16string(reinterpret_cast<const char16_t *>(l.text), static_cast<size_t>(l.length)) ||
          f.stops[i].pos < 0 || (f.stops[i].end > l.length && f.stops[i].end != f.stops[i].pos) ||
          f.stops[i].end < f.stops[i].pos) {
        *failure = "a field stop is not on its line as it stands: line " + std::to_string(l.number) +
                   " pos " + std::to_string(f.stops[i].pos);
        return false;
      }
      now[static_cast<size_t>(i)] = std::make_pair(l.number, f.stops[i].pos);
    }
    if (generation == f.generation && order.size() == now.size()) {
      for (size_t i = 0; i < now.size(); ++i)
        for (size_t j = i + 1; j < now.size(); ++j)
          // Both waited before and wait now (Shift+Tab brings a passed stop back).
          if (order[i].first >= 0 && order[j].first >= 0 && now[i].first >= 0 && now[j].first >= 0 &&
              order[i] <= order[j] && now[j] < now[i]) {
            *failure = "field stops changed their order: " + std::to_string(i) + " and " + std::to_string(j) +
                       ", from " + std::to_string(order[i].first) + ":" + std::to_string(order[i].second) + " and " +
                       std::to_string(order[j].first) + ":" + std::to_string(order[j].second) + " to " +
                       std::to_string(now[i].first) + ":" + std::to_string(now[i].second) + " and " +
                       std::to_string(now[j].first) + ":" + std::to_string(now[j].second);
            return false;
          }
    }
    // A stop whose text changed since the last check has copied it to each
    // of its mirrors (a mirror keeps a text of its own only until then).
    std::vector<std::u16string> nowTexts(static_cast<size_t>(f.count));
    for (int i = 0; i < f.count; ++i)
      if (!f.stops[i].dropped) nowTexts[static_cast<size_t>(i)] = textOf(f, i);
    // (An undo may bring back a state in which a mirror held an edit of its own.)
    if (generation == f.generation && texts.size() == nowTexts.size() && !f.marking && !afterUndo) {
      for (int i = 0; i < f.count; ++i) {
        if (f.stops[i].dropped || nowTexts[static_cast<size_t>(i)] == texts[static_cast<size_t>(i)]) continue;
        for (int j = i + 1; j < f.count; ++j)
          if (!f.stops[j].dropped && f.stops[j].mirrorOf == i &&
              nowTexts[static_cast<size_t>(j)] != nowTexts[static_cast<size_t>(i)]) {
            *failure = "stop " + std::to_string(i) + " now holds \"" + sim::Utf8(nowTexts[static_cast<size_t>(i)]) +
                       "\" but its mirror " + std::to_string(j) + " holds \"" +
                       sim::Utf8(nowTexts[static_cast<size_t>(j)]) + "\"";
            return false;
          }
      }
    }
    texts = nowTexts;
    generation = f.generation;
    order = now;
    return true;
  };
  for (int step = 0; step < 300 && !in.Done() && ok; ++step) {
    if (!checkFields()) {
      ok = false;
      break;
    }
    bool menu = false;
    int answer = -1;
    INPUT_RECORD rec = Event(in, &menu, &answer);
    afterUndo = rec.EventType == KEY_EVENT && rec.Event.KeyEvent.wVirtualKeyCode == 'Z' &&
                (rec.Event.KeyEvent.dwControlKeyState & LEFT_CTRL_PRESSED);
    // Edit macro file may have opened the macro file in a window of its own.
    const bool qualifies = IsSourceFileName(host.fileName.c_str());
    if (menu) {
      if (in.Next() & 1) std::ofstream(macroPath, std::ios::binary | std::ios::trunc) << in.Text(300);
      host.dialogAnswers.push_back(answer);
      const State before = StateOf(host);
      const size_t windows = host.WindowCount();
      host.Menu();
      if (host.WindowCount() == windows && StateOf(host) != before) {
        *failure = "the menu changed the text or the cursor";
        ok = false;
      }
      continue;
    }
    if (rec.Event.KeyEvent.wVirtualKeyCode == VK_F2) {
      // Saved only in the macro file's window: a bare source name would be
      // written wherever the fuzzer runs. The table must then be what the
      // saved file gives.
      if (host.fileName != macroName) continue;
      host.Input(rec);
      if (!host.messageBoxes.empty() || !TableIsFileOf(macroPath)) {
        *failure = "after saving the macro file the table is not the saved file's";
        ok = false;
      }
      continue;
    }
    shadow.CopyEditorFrom(host);
    const State before = StateOf(host);
    const bool waitingBefore = far3::Fields.waiting;
    const size_t undoSteps = host.undoStepsMade;
    host.journal.clear();
    const intptr_t result = host.Input(rec);
    const bool keyDown = rec.EventType == KEY_EVENT && rec.Event.KeyEvent.bKeyDown;

    if (far3::Busy != 0) {
      *failure = "busy flag left set after " + sim::DescribeInput(rec, true);
      break;
    }
    if (!host.undoFaults.empty()) {
      *failure = "undo: " + host.undoFaults[0] + " after " + sim::DescribeInput(rec, true);
      break;
    }
    if (!host.hostFaults.empty()) {
      *failure = host.hostFaults[0] + " after " + sim::DescribeInput(rec, true);
      break;
    }
    if (result == 0) {
      // The plug-in stood aside: the editor alone must have produced this
      // (Ctrl+Z is the undo the host performs, not the editor's key; Ctrl+Tab
      // its switch to the next window).
      const WORD vk = rec.Event.KeyEvent.wVirtualKeyCode;
      if ((vk == 'Z' || vk == VK_TAB) && keyDown && (rec.Event.KeyEvent.dwControlKeyState & LEFT_CTRL_PRESSED))
        continue;
      shadow.Apply(rec);
      if (keyDown) shadow.Redraw();
      // At the redraw after a key that changed a stop with mirrors, the
      // plug-in copies the stop's text to them: only then may it set lines.
      for (const sim::Command3 &c : host.journal) {
        if (c.depth != 1 || c.code != far3::ECTL_SETSTRING) continue;
        if (!far3::Fields.waiting || c.line < 0 || c.line >= static_cast<intptr_t>(shadow.lines.size())) {
          *failure = "answer 0 to " + sim::DescribeInput(rec, true) + " yet a line was set: " +
                     sim::DescribeCommand3(c);
          ok = false;
          break;
        }
        shadow.lines[static_cast<size_t>(c.line)].text = c.text;
      }
      if (ok && StateOf(shadow) != StateOf(host)) {
        *failure = "answer 0 to " + sim::DescribeInput(rec, true) + " but the state is not the editor's own:\n  before   " +
                   before.Describe() + "\n  editor   " + StateOf(shadow).Describe() + "\n  got      " +
                   StateOf(host).Describe() + Journal(host);
        ok = false;
      }
      continue;
    }
    // Taken: the text changed only through the keys the plug-in fed and the
    // rewrite of a blank current line, all inside one undo group.
    if (!qualifies) {
      *failure = "a key was taken in a file whose name does not qualify";
      break;
    }
    int open = 0;
    for (const sim::Command3 &c : host.journal) {
      if (c.depth != 1) continue;
      if (c.code == far3::ECTL_UNDOREDO) {
        open += c.undo == far3::EUR_BEGIN ? 1 : c.undo == far3::EUR_END ? -1 : 0;
      } else if (c.code == far3::ECTL_PROCESSINPUT || c.code == far3::ECTL_SETSTRING) {
        // The Home fed after the group changes no text: it starts the next step.
        const bool home = c.code == far3::ECTL_PROCESSINPUT && open == 0 &&
                          c.input.Event.KeyEvent.wVirtualKeyCode == VK_HOME;
        if (open != 1 && !home) {
          *failure = "a change outside the undo group: " + sim::DescribeCommand3(c);
          ok = false;
        }
        if (c.code == far3::ECTL_PROCESSINPUT) {
          shadow.Apply(c.input);
          continue;
        }
        const int target = c.line == -1 ? shadow.curLine : static_cast<int>(c.line);
        if (target < 0 || target >= static_cast<int>(shadow.lines.size())) {
          *failure = "a line was set that is not there: " + std::to_string(c.line);
          ok = false;
          continue;
        }
        std::u16string &line = shadow.lines[static_cast<size_t>(target)].text;
        // C/C++ indentation changes only a line's leading blanks: the new
        // line Enter made, or the cursor's line with the electric key typed
        // at the cursor (blanks after it may go).
        const unsigned key = far3::KeyChar(rec);
        const bool enterKey = rec.Event.KeyEvent.wVirtualKeyCode == VK_RETURN;
        const bool electric = !enterKey && (key == u'}' || key == u'{' || key == u':' || key == u'#');
        if (!waitingBefore && far3::ActiveOptions().indentation && (enterKey || electric)) {
          auto leadTrim = [](const std::u16string &t) {
            const size_t k = t.find_first_not_of(u" \t");
            return k == std::u16string::npos ? std::u16string() : t.substr(k);
          };
          std::u16string want;
          bool fits = false;
          if (enterKey) {
            // (The line Enter leaves, when it held only blanks, may lose them.)
            fits = target == before.line + 1 || (target == before.line && leadTrim(line).empty() && c.text.empty());
            want = leadTrim(line);
          } else {
            const size_t at = std::min(static_cast<size_t>(before.pos), line.size());
            fits = target == before.line && leadTrim(line.substr(at)).empty();
            want = leadTrim(line.substr(0, at)) + static_cast<char16_t>(key);
          }
          const size_t lead = c.text.find_first_not_of(u" \t");
          if (!fits || leadTrim(c.text) != want || (lead != std::u16string::npos && c.text.substr(lead) != want)) {
            *failure = "indentation changed more than a line's leading blanks: \"" + sim::Utf8(line) + "\" became \"" +
                       sim::Utf8(c.text) + "\" after " + sim::DescribeInput(rec, true);
            ok = false;
          }
        }
        // The '}' assist rewrites only a blank current line; the rest (a
        // mirror's copy, the line nl opens) are the templates'.
        if (far3::KeyChar(rec) == u'}' && c.line == -1) {
          bool blank = line.find_first_not_of(u' ') == std::u16string::npos;
          bool brace = !c.text.empty() && c.text.back() == u'}' &&
                       c.text.find_first_not_of(u' ') == c.text.size() - 1;
          if (!blank || !brace || c.line != -1 || c.eolNull) {
            *failure = "a line was set that was not a blank current line: \"" + sim::Utf8(c.text) + "\"";
            ok = false;
          }
        }
        line = c.text;
      } else if (c.code == far3::ECTL_SELECT) {
        if (c.select.BlockType == far3::BTYPE_NONE)
          shadow.Unselect();
        else
          shadow.SelectStream(static_cast<int>(c.select.BlockStartLine), static_cast<int>(c.select.BlockStartPos),
                              static_cast<int>(c.select.BlockStartLine),
                              static_cast<int>(c.select.BlockStartPos + c.select.BlockWidth));
      } else if (c.code == far3::ECTL_DELETEBLOCK) {
        shadow.DeleteSelection();
      } else if (c.code == far3::ECTL_REDRAW) {
        shadow.Redraw();  // it settles a cursor a fed Up or Down left past a line's end
      } else if (c.code == far3::ECTL_SETPOSITION) {
        const far3::EditorSetPosition &p = c.position;
        if (p.CurLine != -1) shadow.curLine = static_cast<int>(p.CurLine);
        if (p.CurPos != -1) shadow.curPos = static_cast<int>(p.CurPos);
        if (p.TopScreenLine != -1) shadow.topLine = static_cast<int>(p.TopScreenLine);
        if (p.LeftPos != -1) shadow.leftPos = static_cast<int>(p.LeftPos);
      }
    }
    if (ok && shadow.Text() != host.Text()) {
      *failure = "taken " + sim::DescribeInput(rec, true) + " changed the text beyond what was fed:\n  before   " +
                 before.Describe() + "\n  expected " + StateOf(shadow).Describe() + "\n  got      " +
                 StateOf(host).Describe();
      ok = false;
    }
    // Now and then, one undo must give back the state before the assist.
    if (ok && host.undoStepsMade > undoSteps && (in.Next() & 1)) {
      // The host takes a step back record by record, the cursor ending where
      // the step's first record puts it: one whole line added or deleted (a
      // fed Enter at a line's end, alone or first in a group) puts it where
      // that line was.
      State expected = before;
      const std::vector<sim::Host3::UndoRecord> &records = host.undoRecords;
      const sim::Host3::UndoRecord *last = records.empty() ? nullptr : &records.back();
      if (last && last->kind == sim::Host3::UndoRecord::End) {
        size_t k = records.size() - 1;
        while (k > 0 && records[k - 1].kind != sim::Host3::UndoRecord::Begin) --k;
        last = k < records.size() - 1 ? &records[k] : nullptr;
      }
      if (last && last->kind == sim::Host3::UndoRecord::Lines &&
          ((last->old.empty() && last->newCount == 1) || (last->old.size() == 1 && last->newCount == 0)))
        // (the cursor stays within the text as it was: Enter on the last
        // line taken back leaves it on the line before)
        expected.line = last->old.empty()
                            ? std::min(last->curLine, static_cast<int>(std::count(before.text.begin(),
                                                                                  before.text.end(), u'\n')))
                            : last->curLine;
      host.Input(sim::KeyRecord('Z', 0x1A, LEFT_CTRL_PRESSED, true));
      afterUndo = true;
      if (!StateOf(host).SameTextAndCursor(expected)) {
        *failure = "one undo after " + sim::DescribeInput(rec, true) + " did not give back the state before it:\n  before   " +
                   before.Describe() + "\n  got      " + StateOf(host).Describe();
        ok = false;
      }
    }
  }
  if (ok && !checkFields()) ok = false;
  host.Stop();
  return ok;
}
