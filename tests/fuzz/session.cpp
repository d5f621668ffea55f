#include "tests/fuzz/session.h"

#include "tests/fuzz/bytes.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <vector>

#include "far1/edition.h"
#include "keys/input_filter.h"
#include "sim/far1/stand_in.h"
#include "sim/keys.h"


namespace {

using fuzz::Bytes;

std::string State(const sim::Host &h) {
  return h.Text() + "|" + std::to_string(h.curLine) + ":" + std::to_string(h.curPos) + " top " +
         std::to_string(h.topLine) + " left " + std::to_string(h.leftPos);
}

INPUT_RECORD Event(Bytes &in, bool *menu, int *answer) {
  static const unsigned char chars[] = {' ', '}', '{', '\t', 'i', 'f', 'x', ';', '/', '"', '\r'};
  static const WORD keys[] = {VK_RETURN, VK_TAB, VK_BACK, VK_DELETE, VK_LEFT, VK_RIGHT,
                              VK_UP,     VK_DOWN, VK_HOME, VK_END};
  *menu = false;
  uint8_t kind = in.Next() % 12;
  uint8_t v = in.Next();
  DWORD mods = 0;
  if (kind >= 10) {
    mods = in.Next() & (SHIFT_PRESSED | LEFT_CTRL_PRESSED | LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED);
    kind = in.Next() % 6;
  }
  INPUT_RECORD rec;
  std::memset(&rec, 0, sizeof(rec));
  switch (kind) {
    case 0: case 1: case 2: {
      unsigned char c = chars[v % sizeof(chars)];
      return sim::KeyRecord(sim::VirtualKeyOf(c), c, mods, true);
    }
    case 3: {
      WORD vk = keys[v % (sizeof(keys) / sizeof(keys[0]))];
      return sim::KeyRecord(vk, vk == VK_RETURN ? '\r' : vk == VK_TAB ? '\t' : vk == VK_BACK ? 8 : 0, mods, true);
    }
    case 4:
      return sim::KeyRecord(sim::VirtualKeyOf(v), v, mods, true);  // any byte
    case 5: {
      unsigned char c = chars[v % sizeof(chars)];
      return sim::KeyRecord(sim::VirtualKeyOf(c), c, mods, false);  // a release
    }
    case 6:
      rec.EventType = MOUSE_EVENT;
      return rec;
    case 7:
      rec.EventType = FOCUS_EVENT;
      return rec;
    case 8:
      *menu = true;
      *answer = static_cast<int>(v % 4) - 1;  // -1, 0, 1, 2
      return rec;
    default:
      return sim::KeyRecord(VK_RETURN, '\r', mods, true);
  }
}

}  // namespace

bool RunFuzzSession(const uint8_t *data, size_t size, std::string *failure) {
  Bytes in(data, size);
  const std::string dir = fuzz::Folder("vorlane-fuzz-");
  const std::string macroPath = dir + "vorlane.mac";
  {
    std::ofstream(macroPath, std::ios::binary | std::ios::trunc) << in.Text(600);
  }
  static const char *const names[] = {"main.cpp", "a.C", "x.h", "y.HPP", "notes.txt", "makefile", "x.c.bak"};
  uint8_t choice = in.Next();
  std::string fileName = choice < 200 ? names[choice % 7] : in.Text(300);
  std::string text = in.Text(1500);
  uint8_t flags = in.Next();

  sim::Host host(LinkedPlugin());
  host.SetText(text);
  host.fileName = fileName;
  host.settings.autoIndent = flags & 1;
  host.settings.expandTabs = flags & 2;
  host.settings.overtype = flags & 4;
  host.settings.cursorBeyondEol = !(flags & 8);
  host.settings.tabSize = 1 + (flags >> 4);
  host.windowY = 5;  // small, so that scans scroll
  host.curLine = in.Next() % static_cast<int>(host.lines.size());
  host.curPos = in.Next() % 40;
  host.Start(dir + "vorlane.dll");

  const bool qualifies = IsSourceFileName(fileName.c_str());
  bool ok = true;
  sim::Host shadow;
  for (int step = 0; step < 300 && !in.Done() && ok; ++step) {
    bool menu = false;
    int answer = -1;
    INPUT_RECORD rec = Event(in, &menu, &answer);
    if (menu) {
      if (in.Next() & 1) std::ofstream(macroPath, std::ios::binary | std::ios::trunc) << in.Text(300);
      host.dialogAnswers.push_back(answer);
      std::string before = State(host);
      host.Menu();
      if (State(host) != before) {
        *failure = "the menu changed the text or the cursor";
        ok = false;
      }
      continue;
    }
    shadow.CopyEditorFrom(host);
    const std::string before = State(host);
    host.journal.clear();
    const int result = host.Input(rec);

    if (Busy != 0) {
      *failure = "busy flag left set after " + sim::DescribeInput(rec);
      ok = false;
      break;
    }
    if (result == 0) {
      // The plug-in stood aside: the editor alone must have produced this,
      // and after a '}' without a match the position is as it was.
      shadow.Apply(rec);
      if (State(shadow) != State(host)) {
        *failure = "answer 0 to " + sim::DescribeInput(rec) + " but the state is not the editor's own:\n  before   " +
                   before + "\n  editor   " + State(shadow) + "\n  got      " + State(host);
        ok = false;
      }
    } else {
      // Taken: the text changed only through the keys the plug-in fed and the
      // rewrite of a blank current line.
      if (!qualifies) {
        *failure = "a key was taken in a file whose name does not qualify: " + fileName;
        ok = false;
        break;
      }
      for (const sim::Command &c : host.journal) {
        if (c.depth != 1) continue;
        if (c.code == ECTL_PROCESSINPUT) {
          shadow.Apply(c.input);
        } else if (c.code == ECTL_SETSTRING) {
          std::string &line = shadow.lines[static_cast<size_t>(shadow.curLine)].text;
          bool blank = line.find_first_not_of(' ') == std::string::npos;
          bool brace = !c.text.empty() && c.text.back() == '}' &&
                       c.text.find_first_not_of(' ') == c.text.size() - 1;
          if (!blank || !brace || c.line != -1 || !c.eolNull) {
            *failure = "a line was set that was not a blank current line: \"" + c.text + "\"";
            ok = false;
          }
          line = c.text;
        } else if (c.code == ECTL_SETPOSITION) {
          const EditorSetPosition &p = c.position;
          if (p.CurLine != -1) shadow.curLine = p.CurLine;
          if (p.CurPos != -1) shadow.curPos = p.CurPos;
          if (p.TopScreenLine != -1) shadow.topLine = p.TopScreenLine;
          if (p.LeftPos != -1) shadow.leftPos = p.LeftPos;
        }
      }
      if (ok && shadow.Text() != host.Text()) {
        *failure = "taken " + sim::DescribeInput(rec) + " changed the text beyond what was fed:\n  before   " +
                   before + "\n  expected " + State(shadow) + "\n  got      " + State(host);
        ok = false;
      }
    }
  }
  host.Stop();
  return ok;
}
