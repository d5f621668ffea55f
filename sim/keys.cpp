#include "sim/keys.h"

#include <cstring>

#include "macros/utf8.h"

namespace sim {

const char KeyNotationHelp[] =
    "KEYS, read left to right:\n"
    "  any byte but '<'   a key press of that character (a space, a tab and a line\n"
    "                     feed are the same as <Space>, <Tab> and <Enter>); with\n"
    "                     --host far3 a UTF-8 character, one event per UTF-16 unit,\n"
    "                     and one typed with Shift on a US keyboard ({}:#\"<>?...,\n"
    "                     capitals) as the console sends it: Shift down, the key\n"
    "                     down and up with Shift held, Shift up\n"
    "  <Space> <Enter> <Tab> <BS> <Del> <Left> <Right> <Up> <Down> <Home> <End>\n"
    "                     named keys, in any letter case\n"
    "  <lt>               the character '<'\n"
    "  <S-K> <C-K> <A-K>  key K with Shift, Ctrl or Alt held; combinable, as in\n"
    "                     <C-S-Enter>; K is a named key or one character (<C-x>)\n"
    "  <R-K>              key K with the right Ctrl held (<R-v>)\n"
    "  <Release:K>        the key-up event of key K\n"
    "  <Mouse> <Focus>    a mouse event, a focus event\n"
    "  <Menu>             choose the plug-in's entry in the editor's plug-in menu\n"
    "  <Menu N>           Far 3: its N-th entry, in the menu's order (by text)\n"
    "  <Plugin.Menu N>    Far 3: a keyboard macro's Plugin.Menu with that entry's GUID\n"
    "  <Plugin.Call TEXT> Far 3: a keyboard macro's Plugin.Call with the string TEXT\n"
    "                     (what it gives the macro is written on standard error)\n"
    "  <Esc> <F1>         keys for a menu the plug-in shows; <C-A-f> is its filter\n"
    "  <Config>           choose the plug-in's entry in Far 3's \"Plugins\n"
    "                     configuration\" menu (--host far3)\n"
    "  <F2> <S-F2>        Far 3: save the file (Shift: under the next --save-as)\n"
    "  <C-Tab>            Far 3: go to the next editor window\n"
    "  <S-Ins> <C-v>      paste the --clipboard text (<R-v> too)\n"
    "  <S-Left> <S-Right> <S-Up> <S-Down>  select, as the editor does\n"
    "  <S-Tab>            Far 3: the editor's own moves back one tab stop\n"
    "  <A-Alt>            Alt pressed alone (as Alt+Shift switching the keyboard's\n"
    "                     layout sends it)\n";

namespace {

struct NamedKey {
  const char *name;
  WORD vk;
  unsigned c;
};

const NamedKey Named[] = {
    {"space", VK_SPACE, ' '}, {"enter", VK_RETURN, '\r'}, {"tab", VK_TAB, '\t'},
    {"bs", VK_BACK, 0x08},    {"del", VK_DELETE, 0},      {"left", VK_LEFT, 0},
    {"right", VK_RIGHT, 0},   {"up", VK_UP, 0},           {"down", VK_DOWN, 0},
    {"home", VK_HOME, 0},     {"end", VK_END, 0},         {"lt", 0, '<'},
    {"f2", VK_F2, 0},         {"ins", VK_INSERT, 0},      {"esc", VK_ESCAPE, 0x1B},
    {"f1", VK_F1, 0},         {"alt", 0x12, 0},
};

std::string Lower(const std::string &s) {
  std::string out = s;
  for (char &c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return out;
}

// The UTF-16 units of the UTF-8 character starting at `at`, and its length in
// bytes; false when no valid character starts there.
bool DecodeOne(const std::string &s, size_t at, std::u16string *units, size_t *length) {
  uint32_t cp = 0;
  size_t n = Utf8Step(s.data() + at, s.size() - at, &cp);
  if (cp == Utf8Invalid) return false;
  char16_t out[2];
  units->assign(out, DecodeUtf8(s.data() + at, n, out));
  *length = n;
  return true;
}

// A key named inside <...>: a named key or one character (one UTF-16 unit
// when `unicode`).
bool KeyByName(const std::string &name, bool unicode, WORD *vk, unsigned *c) {
  std::u16string units;
  size_t length = 0;
  if (name.size() == 1 || (unicode && DecodeOne(name, 0, &units, &length) &&
                           length == name.size() && units.size() == 1)) {
    *c = name.size() == 1 ? static_cast<unsigned char>(name[0]) : units[0];
    *vk = *c < 0x100 ? VirtualKeyOf(static_cast<unsigned char>(*c)) : 0;
    return true;
  }
  std::string lower = Lower(name);
  for (const NamedKey &k : Named) {
    if (lower == k.name) {
      *vk = k.vk;
      *c = k.c;
      return true;
    }
  }
  return false;
}

// A character a US keyboard types with Shift held: its key's virtual-key
// code and scan code; false for any other character.
bool ShiftedKey(unsigned c, WORD *vk, WORD *scan) {
  static const char Row[] = "~!@#$%^&*()_+{}|:\"<>?";
  static const WORD RowVk[] = {0xC0, '1', '2', '3', '4', '5', '6', '7', '8', '9', '0',
                               0xBD, 0xBB, 0xDB, 0xDD, 0xDC, 0xBA, 0xDE, 0xBC, 0xBE, 0xBF};
  static const WORD RowScan[] = {0x29, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B,
                                 0x0C, 0x0D, 0x1A, 0x1B, 0x2B, 0x27, 0x28, 0x33, 0x34, 0x35};
  static const WORD LetterScan[] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                    0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                    0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
  if (c >= 'A' && c <= 'Z') {
    *vk = static_cast<WORD>(c);
    *scan = LetterScan[c - 'A'];
    return true;
  }
  for (size_t i = 0; Row[i]; ++i) {
    if (static_cast<unsigned char>(Row[i]) == c) {
      *vk = RowVk[i];
      *scan = RowScan[i];
      return true;
    }
  }
  return false;
}

// A character typed on the Far 3 host: a shifted one comes as the console
// gives it, between a Shift key-down and key-up, its own records carrying
// SHIFT_PRESSED, released before Shift is.
bool TypeShifted(unsigned c, std::vector<ScriptStep> *steps) {
  WORD vk = 0, scan = 0;
  if (!ShiftedKey(c, &vk, &scan)) return false;
  ScriptStep step;
  auto push = [&](WORD key, WORD keyScan, unsigned ch, DWORD mods, bool down) {
    step.input = KeyRecord(key, ch, mods, down);
    step.input.Event.KeyEvent.wVirtualScanCode = keyScan;
    steps->push_back(step);
  };
  push(ShiftKey, 0x2A, 0, SHIFT_PRESSED, true);
  push(vk, scan, c, SHIFT_PRESSED, true);
  push(vk, scan, c, SHIFT_PRESSED, false);
  push(ShiftKey, 0x2A, 0, 0, false);
  return true;
}

}  // namespace

WORD VirtualKeyOf(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<WORD>(c - 32);
  if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ') return c;
  if (c == '\r' || c == '\n') return VK_RETURN;
  if (c == '\t') return VK_TAB;
  if (c == 0x08) return VK_BACK;
  return 0;
}

INPUT_RECORD KeyRecord(WORD vk, unsigned c, DWORD mods, bool down) {
  return MakeKeyEvent(vk, static_cast<WORD>(c), mods, down);
}

bool ParseKeys(const std::string &keys, std::vector<ScriptStep> *steps, std::string *error,
               bool unicode) {
  for (size_t i = 0; i < keys.size(); ++i) {
    unsigned char ch = static_cast<unsigned char>(keys[i]);
    ScriptStep step;
    if (unicode && ch >= 0x80) {
      // One key event per UTF-16 unit, as the console delivers them.
      std::u16string units;
      size_t length = 0;
      if (!DecodeOne(keys, i, &units, &length)) {
        *error = "invalid UTF-8 at position " + std::to_string(i + 1);
        return false;
      }
      for (char16_t u : units) {
        step.input = KeyRecord(0, u, 0, true);
        steps->push_back(step);
      }
      i += length - 1;
      continue;
    }
    if (ch != '<') {
      if (unicode && TypeShifted(ch, steps)) continue;
      if (ch == '\n') ch = '\r';
      step.input = KeyRecord(VirtualKeyOf(ch), ch, 0, true);
      steps->push_back(step);
      continue;
    }
    size_t close = keys.find('>', i + 1);
    // "<>>" names the key '>'.
    if (close == i + 1 && i + 2 < keys.size() && keys[i + 2] == '>') close = i + 2;
    if (close == std::string::npos) {
      *error = "unclosed '<' at position " + std::to_string(i + 1);
      return false;
    }
    std::string inner = keys.substr(i + 1, close - i - 1);
    std::string lower = Lower(inner);
    if (lower == "menu") {
      step.kind = ScriptStep::Menu;
    } else if ((lower.compare(0, 5, "menu ") == 0 || lower.compare(0, 12, "plugin.menu ") == 0) &&
               lower.find_first_not_of("0123456789", lower.find(' ') + 1) == std::string::npos &&
               lower.size() > lower.find(' ') + 1 && lower.size() < lower.find(' ') + 4) {
      step.kind = lower[0] == 'm' ? ScriptStep::Menu : ScriptStep::MacroMenu;
      step.entry = std::stoi(lower.substr(lower.find(' ') + 1));
    } else if (lower.compare(0, 12, "plugin.call ") == 0) {
      step.kind = ScriptStep::MacroCall;
      step.text = inner.substr(12);
    } else if (lower == "config") {
      step.kind = ScriptStep::Config;
    } else if (lower == "mouse") {
      std::memset(&step.input, 0, sizeof(step.input));
      step.input.EventType = MOUSE_EVENT;
    } else if (lower == "focus") {
      std::memset(&step.input, 0, sizeof(step.input));
      step.input.EventType = FOCUS_EVENT;
    } else {
      bool down = true;
      std::string rest = inner;
      if (lower.compare(0, 8, "release:") == 0) {
        down = false;
        rest = inner.substr(8);
      }
      DWORD mods = 0;
      while (rest.size() > 2 && rest[1] == '-') {
        char m = static_cast<char>(rest[0] | 0x20);
        if (m == 's') mods |= SHIFT_PRESSED;
        else if (m == 'c') mods |= LEFT_CTRL_PRESSED;
        else if (m == 'r') mods |= RIGHT_CTRL_PRESSED;
        else if (m == 'a') mods |= LEFT_ALT_PRESSED;
        else break;
        rest.erase(0, 2);
      }
      WORD vk = 0;
      unsigned c = 0;
      if (rest.empty() || !KeyByName(rest, unicode, &vk, &c)) {
        *error = "unknown key name '<" + inner + ">' at position " + std::to_string(i + 1);
        return false;
      }
      if (unicode && down && mods == 0 && TypeShifted(c, steps)) {
        i = close;
        continue;
      }
      step.input = KeyRecord(vk, c, mods, down);
    }
    steps->push_back(step);
    i = close;
  }
  return true;
}

}  // namespace sim
