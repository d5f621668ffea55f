// The key notation of `vorlane play`.
#include <gtest/gtest.h>

#include "far1/host.h"
#include "sim/keys.h"

namespace {

std::vector<sim::ScriptStep> Parse(const std::string &keys) {
  std::vector<sim::ScriptStep> steps;
  std::string error;
  EXPECT_TRUE(sim::ParseKeys(keys, &steps, &error)) << error;
  return steps;
}

std::string Error(const std::string &keys) {
  std::vector<sim::ScriptStep> steps;
  std::string error;
  EXPECT_FALSE(sim::ParseKeys(keys, &steps, &error));
  return error;
}

TEST(Keys, PlainBytesAndTheirVirtualKeys) {
  auto s = Parse("aZ5; \t\n");
  ASSERT_EQ(7u, s.size());
  WORD vks[] = {'A', 'Z', '5', 0, VK_SPACE, VK_TAB, VK_RETURN};
  unsigned chars[] = {'a', 'Z', '5', ';', ' ', '\t', '\r'};
  for (size_t i = 0; i < s.size(); ++i) {
    const KEY_EVENT_RECORD &k = s[i].input.Event.KeyEvent;
    EXPECT_EQ(KEY_EVENT, s[i].input.EventType);
    EXPECT_EQ(1, k.bKeyDown);
    EXPECT_EQ(1, k.wRepeatCount);
    EXPECT_EQ(vks[i], k.wVirtualKeyCode) << i;
    EXPECT_EQ(chars[i], KeyChar(s[i].input)) << i;
    EXPECT_EQ(0u, k.dwControlKeyState);
  }
}

TEST(Keys, NamedKeysModifiersAndSpecialEvents) {
  auto s = Parse("<enter><BS><Del><lt><C-S-Enter><c-x><A-Tab><Release:Space><Mouse><Focus><Menu>");
  ASSERT_EQ(11u, s.size());
  EXPECT_EQ(VK_RETURN, s[0].input.Event.KeyEvent.wVirtualKeyCode);
  EXPECT_EQ('\r', KeyChar(s[0].input));
  EXPECT_EQ(VK_BACK, s[1].input.Event.KeyEvent.wVirtualKeyCode);
  EXPECT_EQ(8, KeyChar(s[1].input));
  EXPECT_EQ(VK_DELETE, s[2].input.Event.KeyEvent.wVirtualKeyCode);
  EXPECT_EQ(0, KeyChar(s[2].input));
  EXPECT_EQ('<', KeyChar(s[3].input));
  EXPECT_EQ(static_cast<DWORD>(SHIFT_PRESSED | LEFT_CTRL_PRESSED),
            s[4].input.Event.KeyEvent.dwControlKeyState);
  EXPECT_EQ(VK_RETURN, s[4].input.Event.KeyEvent.wVirtualKeyCode);
  EXPECT_EQ('x', KeyChar(s[5].input));
  EXPECT_EQ('X', s[5].input.Event.KeyEvent.wVirtualKeyCode);
  EXPECT_EQ(static_cast<DWORD>(LEFT_CTRL_PRESSED), s[5].input.Event.KeyEvent.dwControlKeyState);
  EXPECT_EQ(static_cast<DWORD>(LEFT_ALT_PRESSED), s[6].input.Event.KeyEvent.dwControlKeyState);
  EXPECT_EQ(0, s[7].input.Event.KeyEvent.bKeyDown);
  EXPECT_EQ(' ', KeyChar(s[7].input));
  EXPECT_EQ(MOUSE_EVENT, s[8].input.EventType);
  EXPECT_EQ(FOCUS_EVENT, s[9].input.EventType);
  EXPECT_EQ(sim::ScriptStep::Menu, s[10].kind);
}

TEST(Keys, FaultsNameTheCulpritAndItsPosition) {
  EXPECT_EQ("unknown key name '<Foo>' at position 3", Error("ab<Foo>"));
  EXPECT_EQ("unclosed '<' at position 2", Error("a<Enter"));
  EXPECT_EQ("unknown key name '<C->' at position 1", Error("<C->"));
}

}  // namespace

namespace {

TEST(Keys, Far3ReadsUtf8OneEventPerUtf16Unit) {
  std::vector<sim::ScriptStep> s;
  std::string error;
  ASSERT_TRUE(sim::ParseKeys("\xD1\x91\xF0\x9F\x98\x80<Release:\xD0\x96>a", &s, &error, true)) << error;
  ASSERT_EQ(5u, s.size());
  auto unit = [&](size_t i) { return s[i].input.Event.KeyEvent.uChar.UnicodeChar; };
  EXPECT_EQ(0x0451, unit(0));
  EXPECT_EQ(0xD83D, unit(1));  // U+1F600 as its two units
  EXPECT_EQ(0xDE00, unit(2));
  EXPECT_EQ(0x0416, unit(3));
  EXPECT_EQ(0, s[3].input.Event.KeyEvent.bKeyDown);
  EXPECT_EQ('a', unit(4));
  s.clear();
  EXPECT_FALSE(sim::ParseKeys("ab\xC3(", &s, &error, true));
  EXPECT_EQ("invalid UTF-8 at position 3", error);
  s.clear();  // without `unicode` every byte is a key of its own
  ASSERT_TRUE(sim::ParseKeys("\xD1\x91", &s, &error));
  EXPECT_EQ(2u, s.size());
}

}  // namespace

namespace {

// The Far 3 console's records for a shifted character: Shift down, the
// character down and up with SHIFT_PRESSED, Shift up; a plain one as before.
TEST(Keys, Far3TypesAShiftedCharacterBetweenShiftsRecords) {
  std::vector<sim::ScriptStep> s;
  std::string error;
  ASSERT_TRUE(sim::ParseKeys("}a<lt>AZ", &s, &error, true)) << error;
  ASSERT_EQ(17u, s.size());
  auto key = [&](size_t i) { return s[i].input.Event.KeyEvent; };
  EXPECT_EQ(sim::ShiftKey, key(0).wVirtualKeyCode);
  EXPECT_EQ(1, key(0).bKeyDown);
  EXPECT_EQ(SHIFT_PRESSED, key(0).dwControlKeyState);
  EXPECT_EQ(0xDD, key(1).wVirtualKeyCode);
  EXPECT_EQ(0x1B, key(1).wVirtualScanCode);
  EXPECT_EQ('}', key(1).uChar.UnicodeChar);
  EXPECT_EQ(1, key(1).bKeyDown);
  EXPECT_EQ(SHIFT_PRESSED, key(1).dwControlKeyState);
  EXPECT_EQ(0, key(2).bKeyDown);
  EXPECT_EQ(SHIFT_PRESSED, key(2).dwControlKeyState);
  EXPECT_EQ(sim::ShiftKey, key(3).wVirtualKeyCode);
  EXPECT_EQ(0, key(3).bKeyDown);
  EXPECT_EQ(0u, key(3).dwControlKeyState);
  EXPECT_EQ('a', key(4).uChar.UnicodeChar);
  EXPECT_EQ(0u, key(4).dwControlKeyState);
  EXPECT_EQ(0xBC, key(6).wVirtualKeyCode);  // '<' on the comma's key
  EXPECT_EQ('<', key(6).uChar.UnicodeChar);
  // The capitals from the first to the last letter: the letter's key and scan code.
  EXPECT_EQ(sim::ShiftKey, key(9).wVirtualKeyCode);
  EXPECT_EQ('A', key(10).wVirtualKeyCode);
  EXPECT_EQ(0x1E, key(10).wVirtualScanCode);
  EXPECT_EQ(SHIFT_PRESSED, key(10).dwControlKeyState);
  EXPECT_EQ('Z', key(14).wVirtualKeyCode);
  EXPECT_EQ(0x2C, key(14).wVirtualScanCode);
  EXPECT_EQ('Z', key(14).uChar.UnicodeChar);
  s.clear();  // the 1.x host's keys stay one record each
  ASSERT_TRUE(sim::ParseKeys("}A", &s, &error));
  EXPECT_EQ(2u, s.size());
  EXPECT_EQ(0u, s[0].input.Event.KeyEvent.dwControlKeyState);
}

}  // namespace
