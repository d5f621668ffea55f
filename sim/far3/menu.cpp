// The Far 3 face's menus: the Menu service a plug-in calls, the editor's
// plug-in menu (F11) with its entries sorted by text, and keyboard macros
// reaching the plug-in through Plugin.Menu and Plugin.Call.
#include <algorithm>

#include "sim/far3/internal.h"

namespace sim {

namespace {

// An item's text without the '&' that marks its hot key (shown as it is
// with FMENU_SHOWAMPERSAND).
std::u16string WithoutAmpersand(const std::u16string &text, bool showAmpersand) {
  std::u16string out = text;
  size_t amp = showAmpersand ? std::u16string::npos : out.find(u'&');
  if (amp != std::u16string::npos) out.erase(amp, 1);
  return out;
}

// An item's text as the filter sees it: without its '&', trimmed.
std::u16string FilterText(const std::u16string &text, bool showAmpersand) {
  std::u16string out = WithoutAmpersand(text, showAmpersand);
  size_t a = out.find_first_not_of(u' ');
  if (a == std::u16string::npos) return std::u16string();
  return out.substr(a, out.find_last_not_of(u' ') - a + 1);
}

bool Contains(const std::u16string &text, const std::u16string &part) {
  if (part.empty()) return true;
  for (size_t i = 0; i + part.size() <= text.size(); ++i) {
    size_t k = 0;
    while (k < part.size() && FoldedUpper(text[i + k]) == FoldedUpper(part[k])) ++k;
    if (k == part.size()) return true;
  }
  return false;
}

constexpr DWORD CtrlKeys = LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED;
constexpr DWORD AltKeys = LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED;

}  // namespace

intptr_t Host3::ShowMenu(const GUID *id, intptr_t x, intptr_t y, Flags64 flags, const FarChar *title, const FarChar *bottom,
                         const FarChar *helpTopic, const far3::FarKey *breakKeys,
                         intptr_t *breakCode, const far3::FarMenuItem *items, size_t count) {
  if (breakCode) *breakCode = -1;
  MenuCall3 call;
  if (id) call.id = *id;
  call.x = x;
  call.y = y;
  call.flags = flags;
  call.title = TextOf(title);
  call.bottom = TextOf(bottom);
  call.helpTopic = TextOf(helpTopic);
  const bool showAmpersand = (flags & far3::FMENU_SHOWAMPERSAND) != 0;
  size_t selected = count;
  for (size_t i = 0; i < count; ++i) {
    call.items.push_back(TextOf(items[i].Text));
    call.itemFlags.push_back(items[i].Flags);
    const bool choosable = !(items[i].Flags & (far3::MIF_SEPARATOR | far3::MIF_DISABLE | far3::MIF_HIDDEN));
    if (selected == count && (items[i].Flags & far3::MIF_SELECTED) && choosable) selected = i;
  }
  auto choosable = [&](size_t i, const std::u16string &filter) {
    if (items[i].Flags & (far3::MIF_SEPARATOR | far3::MIF_DISABLE | far3::MIF_HIDDEN)) return false;
    return Contains(FilterText(call.items[i], showAmpersand), filter);
  };
  auto first = [&](const std::u16string &filter) {
    for (size_t i = 0; i < count; ++i)
      if (choosable(i, filter)) return i;
    return count;
  };
  if (selected == count) selected = first(std::u16string());

  // Drawn as Far draws it: a tab as one space, the box the longest item and
  // five columns wide (at least the title's), never wider than the screen
  // less four; a longer item is cut by '»'.
  size_t longest = 0;
  std::vector<std::u16string> drawn;
  for (size_t i = 0; i < count; ++i) {
    std::u16string text = WithoutAmpersand(call.items[i], showAmpersand);
    std::replace(text.begin(), text.end(), u'\t', u' ');
    longest = std::max(longest, text.size());
    drawn.push_back(text);
  }
  size_t box = std::max(longest, call.title.size()) + 5;
  const size_t screen = static_cast<size_t>(windowX);
  if (box > screen - 4) box = screen - 4;
  const size_t textRoom = box - 5;
  if (report)
    report({"menu \"", Utf8(call.title), "\" (", Utf8(call.bottom), "), ", std::to_string(count),
            " items, ", std::to_string(box), " columns"});
  for (std::u16string &text : drawn) {
    if (text.size() > textRoom) text = text.substr(0, textRoom - 1) + u"\u00BB";
    call.drawn.push_back(Utf8(text));
    if (report) report({"  ", Utf8(text)});
  }

  // Inside the call the editor loses the focus and is drawn behind the menu.
  SendEvent(far3::EE_KILLFOCUS, nullptr);
  SendEvent(far3::EE_REDRAW, nullptr);
  bool filterOn = false;
  std::u16string filter;
  intptr_t answer = -1;
  INPUT_RECORD rec;
  for (;;) {
    if (count == 0 || !menuKeys || !menuKeys(&rec)) break;  // no key left: Esc
    if (!IsKeyDown(rec)) continue;
    const KEY_EVENT_RECORD &k = rec.Event.KeyEvent;
    const DWORD mods = k.dwControlKeyState & (CtrlKeys | AltKeys | SHIFT_PRESSED);
    bool broke = false;
    for (size_t b = 0; breakKeys && breakKeys[b].VirtualKeyCode; ++b) {
      const DWORD want = breakKeys[b].ControlKeyState & (CtrlKeys | AltKeys | SHIFT_PRESSED);
      auto same = [](DWORD a, DWORD c, DWORD mask) { return ((a & mask) != 0) == ((c & mask) != 0); };
      if (breakKeys[b].VirtualKeyCode == k.wVirtualKeyCode && same(mods, want, CtrlKeys) &&
          same(mods, want, AltKeys) && same(mods, want, SHIFT_PRESSED)) {
        if (breakCode) *breakCode = static_cast<intptr_t>(b);
        answer = selected < count ? static_cast<intptr_t>(selected) : -1;
        broke = true;
        break;
      }
    }
    if (broke) break;
    if (k.wVirtualKeyCode == VK_ESCAPE) break;
    if (k.wVirtualKeyCode == VK_RETURN && mods == 0) {
      if (selected < count && choosable(selected, filterOn ? filter : std::u16string())) {
        answer = static_cast<intptr_t>(selected);
        break;
      }
      continue;
    }
    if (k.wVirtualKeyCode == VK_F1 && mods == 0) {
      call.helpShown.push_back(call.helpTopic);
      if (report) report({"help topic ", Utf8(call.helpTopic)});
      continue;
    }
    if (k.wVirtualKeyCode == 'F' && (mods & CtrlKeys) && (mods & AltKeys)) {
      filterOn = !filterOn;
      filter.clear();
      if (report) report({"menu filter ", filterOn ? "on" : "off"});
      continue;
    }
    const std::u16string &f = filterOn ? filter : std::u16string();
    if (k.wVirtualKeyCode == VK_UP || k.wVirtualKeyCode == VK_DOWN) {
      const bool down = k.wVirtualKeyCode == VK_DOWN;
      size_t i = selected;
      for (size_t step = 0; step < count; ++step) {
        if (down && i + 1 == count) {
          if (!(flags & far3::FMENU_WRAPMODE)) break;
          i = 0;
        } else if (!down && i == 0) {
          if (!(flags & far3::FMENU_WRAPMODE)) break;
          i = count - 1;
        } else {
          i = down ? i + 1 : i - 1;
        }
        if (choosable(i, f)) {
          selected = i;
          break;
        }
      }
      continue;
    }
    if (filterOn && k.wVirtualKeyCode == VK_BACK) {
      if (!filter.empty()) filter.pop_back();
    } else if (filterOn && k.uChar.UnicodeChar >= 0x20 && !(mods & (CtrlKeys | AltKeys))) {
      filter += static_cast<char16_t>(k.uChar.UnicodeChar);
    } else if (!filterOn && !showAmpersand && k.uChar.UnicodeChar > 0x20) {
      // Without the filter a letter is a hot key: the item whose '&' marks it.
      for (size_t i = 0; i < count && answer < 0; ++i) {
        size_t amp = call.items[i].find(u'&');
        if (amp != std::u16string::npos && amp + 1 < call.items[i].size() &&
            FoldedUpper(call.items[i][amp + 1]) == FoldedUpper(static_cast<char16_t>(k.uChar.UnicodeChar)) &&
            choosable(i, std::u16string()))
          answer = static_cast<intptr_t>(i);
      }
      if (answer >= 0) break;
      continue;
    } else {
      continue;
    }
    if (report) report({"menu filter [", Utf8(filter), "]"});
    if (selected >= count || !choosable(selected, filter)) selected = first(filter);
  }
  call.answer = answer;
  if (report) report({"menu -> ", std::to_string(answer)});
  menuCalls.push_back(call);
  SendEvent(far3::EE_GOTFOCUS, nullptr);
  return answer;
}

std::vector<Host3::MenuEntry> Host3::PluginMenuEntries() {
  std::vector<MenuEntry> entries;
  if (!plugin_.GetPluginInfoW) return entries;
  PluginInfo pi;
  std::memset(&pi, 0, sizeof(pi));
  pi.StructSize = sizeof(pi);
  plugin_.GetPluginInfoW(&pi);
  pluginInfo = pi;
  const far3::PluginMenuItem &menu = pi.PluginMenu;
  for (size_t i = 0; i < menu.Count && menu.Strings && menu.Guids; ++i)
    entries.push_back(MenuEntry{Utf8(TextOf(menu.Strings[i])), menu.Guids[i]});
  // Far lists the entries of all plug-ins sorted by their text.
  std::stable_sort(entries.begin(), entries.end(), [](const MenuEntry &a, const MenuEntry &b) {
    std::u16string x = Utf16(a.text), y = Utf16(b.text);
    for (char16_t &c : x) c = FoldedUpper(c);
    for (char16_t &c : y) c = FoldedUpper(c);
    return x < y;
  });
  return entries;
}

void Host3::Menu(int entry) {
  SetCurrent(this);
  if (!started_ || !plugin_.GetPluginInfoW || !plugin_.OpenW) return;
  std::vector<MenuEntry> entries = PluginMenuEntries();
  if (entry < 1 || static_cast<size_t>(entry) > entries.size()) {
    if (trace) Trace(depth_, "menu: no entry " + std::to_string(entry));
    return;
  }
  menuText = entries[static_cast<size_t>(entry) - 1].text;
  menuGuid = entries[static_cast<size_t>(entry) - 1].guid;
  if (trace) Trace(depth_, "menu \"" + menuText + "\"");
  // The F11 menu is closed before OpenW: the editor has lost and got back
  // the focus.
  SendEvent(far3::EE_KILLFOCUS, nullptr);
  SendEvent(far3::EE_GOTFOCUS, nullptr);
  HANDLE h = Open(OPEN_EDITOR, &menuGuid, 0);
  if (trace) Trace(depth_, std::string("open -> ") + (h ? "handle" : "null"));
  // The Enter that chose the entry is released in the editor.
  Input(MakeKeyEvent(VK_RETURN, '\r', 0, false));
}

HANDLE Host3::Open(int openFrom, const GUID *guid, intptr_t data) {
  OpenInfo oi;
  std::memset(&oi, 0, sizeof(oi));
  oi.StructSize = sizeof(oi);
  oi.OpenFrom = openFrom;
  oi.Guid = guid;
  oi.Data = data;
  HANDLE h = plugin_.OpenW(&oi);
  CheckCallEnded("OpenW");
  return h;
}

bool Host3::MacroMenu(int entry) {
  SetCurrent(this);
  if (!started_ || !plugin_.GetPluginInfoW || !plugin_.OpenW) return false;
  std::vector<MenuEntry> entries = PluginMenuEntries();
  if (entry < 1 || static_cast<size_t>(entry) > entries.size()) return false;
  GUID guid = entries[static_cast<size_t>(entry) - 1].guid;
  if (trace) Trace(depth_, "Plugin.Menu \"" + entries[static_cast<size_t>(entry) - 1].text + "\"");
  Open(OPEN_EDITOR, &guid, 0);
  Draw();
  SendEvent(far3::EE_REDRAW, nullptr);
  return true;
}

bool Host3::MacroCall(const std::vector<std::u16string> &strings) {
  SetCurrent(this);
  if (!started_ || !plugin_.OpenW) return false;
  // The values live in the macro engine during the call only.
  std::vector<std::u16string> held = strings;
  std::vector<far3::FarMacroValue> values(held.size());
  for (size_t i = 0; i < held.size(); ++i) {
    std::memset(&values[i], 0, sizeof(values[i]));
    values[i].Type = far3::FMVT_STRING;
    values[i].String = reinterpret_cast<const FarChar *>(held[i].c_str());
  }
  far3::OpenMacroInfo omi;
  std::memset(&omi, 0, sizeof(omi));
  omi.StructSize = sizeof(omi);
  omi.Count = values.size();
  omi.Values = values.empty() ? nullptr : values.data();
  static const GUID none{};
  HANDLE h = Open(far3::OPEN_FROMMACRO, &none, reinterpret_cast<intptr_t>(&omi));
  for (std::u16string &s : held) std::fill(s.begin(), s.end(), u'#');
  // NULL is false; a value outside the address space (a small number) true;
  // the stand-in's plug-in returns no FarMacroCall.
  const bool result = h != nullptr;
  if (trace) Trace(depth_, std::string("Plugin.Call -> ") + (result ? "true" : "false"));
  Draw();
  SendEvent(far3::EE_REDRAW, nullptr);
  return result;
}

}  // namespace sim
