// The Far 3 edition at home in Far 3: its options in the settings store, the
// configuration dialog, the macro file in the user's profile, Edit macro file
// and the reload when the macro file is saved.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "far3/edition.h"
#include "tests/support.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

using test::Session3;

void SetEnv(const char *name, const std::string &value) {
#ifdef _WIN32
  // The plug-in reads the process environment, not the C library's copy.
  SetEnvironmentVariableA(name, value.empty() ? nullptr : value.c_str());
#else
  if (value.empty())
    unsetenv(name);
  else
    setenv(name, value.c_str(), 1);
#endif
}

// FARPROFILE for one test: a fresh folder holding PluginsData, as Far makes it.
struct Profile {
  // `folderName`: a folder of that name in the fresh one is the profile.
  explicit Profile(bool set = true, const char *folderName = nullptr) : dir(test::NewTempDir()) {
    if (folderName) {
      dir = test::Join(dir, folderName);
      MakeDir(dir);
    }
    pluginsData = test::Join(dir, "PluginsData");
    folder = test::Join(pluginsData, "vorlane");
    macroPath = test::Join(folder, "vorlane.mac");
    MakeDir(pluginsData);
    SetEnv("FARPROFILE", set ? dir : std::string());
  }
  ~Profile() { SetEnv("FARPROFILE", std::string()); }
  static void MakeDir(const std::string &path) {
#ifdef _WIN32
    CreateDirectoryA(path.c_str(), nullptr);
#else
    mkdir(path.c_str(), 0700);
#endif
  }
  void WriteMacros(const std::string &bytes) {
    MakeDir(folder);
    test::WriteFile(macroPath, bytes);
  }
  std::string dir, pluginsData, folder, macroPath;
};

sim::StoredSetting StoredText(const std::u16string &text) {
  sim::StoredSetting s;
  s.type = far3::FST_STRING;
  s.text = text;
  return s;
}

sim::StoredSetting Number(unsigned long long n) {
  sim::StoredSetting s;
  s.type = far3::FST_QWORD;
  s.number = n;
  return s;
}

// The configuration dialog's answer: OK with these values, or another button.
struct ConfigAnswer {
  std::u16string masks;
  int macros = 1, braces = 1, tab = 1;
  int button = 12;  // OK (13: Cancel)
  int fields = 1;
  int indentation = 1, caseLabels = 0, paste = 1, blank = 1;
};

// Answers each configuration dialog in turn; `shown` gets the masks each
// one showed.
void Answer(sim::Host3 &host, std::vector<ConfigAnswer> answers,
            std::vector<std::u16string> *shown = nullptr) {
  size_t next = 0;
  host.dialogScript = [answers, next, shown](sim::DialogCall3 &call) mutable -> intptr_t {
    if (next >= answers.size()) return -1;
    const ConfigAnswer &a = answers[next++];
    if (call.items.size() == 14) {
      if (shown) shown->push_back(call.texts[2]);
      call.texts[2] = a.masks;
      call.items[3].Selected = a.macros;
      call.items[4].Selected = a.braces;
      call.items[5].Selected = a.tab;
      call.items[6].Selected = a.fields;
      call.items[7].Selected = a.indentation;
      call.items[8].Selected = a.caseLabels;
      call.items[9].Selected = a.paste;
      call.items[10].Selected = a.blank;
    }
    return a.button;
  };
}

TEST(Far3Options, DefaultsUntilTheUserStoresAnything) {
  Session3 s("if\n", "main.cpp", "Macro if \"sp ( ) left\"\n");
  s.At(0, 2);
  s.Type(" ");
  EXPECT_EQ("if ()\n", s.host.TextUtf8());
  // Read once, from a handle freed at once; nothing written by reading.
  EXPECT_EQ(1u, s.host.settingsHandles);
  EXPECT_TRUE(s.host.settingsStore.empty());
  s.Type("<Home><Down>x<Up><End> ");
  EXPECT_EQ(1u, s.host.settingsHandles);
  EXPECT_TRUE(s.host.hostFaults.empty());
  EXPECT_TRUE(far3::ActiveOptions().keywordMacros);
  EXPECT_EQ(std::u16string(u"*.c,*.cpp,*.h,*.hpp"),
            std::u16string(reinterpret_cast<const char16_t *>(far3::ActiveOptions().masks)));
}

TEST(Far3Options, StoredValuesAreReadAndUnreadableOnesFallBack) {
  {
    Session3 s("if\n", "x.cc", "Macro if \"sp ( ) left\"\n");
    s.host.settingsStore[u"Masks"] = StoredText(u"*.cc;*.hh");
    s.host.settingsStore[u"BraceAlignment"] = Number(0);
    s.At(0, 2);
    s.Type(" ");
    EXPECT_EQ("if ()\n", s.host.TextUtf8());
    EXPECT_FALSE(far3::ActiveOptions().braceAlignment);
    EXPECT_TRUE(far3::ActiveOptions().tabAfterBrace);
    // A second start (no exit between) reads the store again.
    s.host.settingsStore[u"BraceAlignment"] = Number(1);
    s.host.Start(s.dir + "/vorlane.dll");
    s.At(0, 5);
    s.Type(" ");
    EXPECT_TRUE(far3::ActiveOptions().braceAlignment);
  }
  // A masks value Far rejects, an empty one and one too long for the dialog
  // all give the default list.
  for (const std::u16string &bad : {std::u16string(u"/(/"), std::u16string(2000, u'a'), std::u16string()}) {
    Session3 s("if\n", "main.cpp", "Macro if \"sp ( ) left\"\n");
    s.host.settingsStore[u"Masks"] = StoredText(bad);
    s.At(0, 2);
    s.Type(" ");
    EXPECT_EQ("if ()\n", s.host.TextUtf8());
  }
}

TEST(Far3Options, AStoredListTooLongForItsBufferIsNotTaken) {
  // A valid list of exactly MaskLimit units leaves no room for its end: the
  // default list stays.
  std::u16string list = u"*.cpp";
  for (int i = 0; i < 252; ++i) list += u",*.c";
  list += u",*.hxx,*.hh";
  ASSERT_EQ(far3::MaskLimit, list.size());
  Session3 s("if\n", "main.cpp", "Macro if \"sp ( ) left\"\n");
  s.host.settingsStore[u"Masks"] = StoredText(list);
  s.At(0, 2);
  s.Type(" ");
  const far3::FarChar *masks = far3::ActiveOptions().masks;
  EXPECT_EQ(u"*.c,*.cpp,*.h,*.hpp", std::u16string(masks, masks + TextLength(masks)));
}

TEST(Far3Options, WithoutTheHostsMatcherAnyTextButNoneIsAList) {
  Session3 s("");
  far3::FarStandardFunctions *fsf = far3::StartupInfo.FSF;
  far3::StartupInfo.FSF = nullptr;
  const far3::FarChar none[] = {0}, odd[] = {'/', '(', '/', 0};
  EXPECT_FALSE(far3::MasksValid(none));
  EXPECT_TRUE(far3::MasksValid(odd));
  far3::StartupInfo.FSF = fsf;
}

TEST(Far3Config, TheEntryAndTheDialog) {
  Session3 s("");
  s.host.settingsStore[u"Masks"] = StoredText(u"*.cc");
  s.host.settingsStore[u"KeywordMacros"] = Number(0);
  Answer(s.host, {ConfigAnswer{u"*.cc", 0, 1, 1, 13}});  // Cancel
  EXPECT_EQ(0, s.host.Configure());
  EXPECT_EQ("vorlane", s.host.configText);
  EXPECT_TRUE(test::SameGuid(far3::ConfigMenuGuid, s.host.configGuid));
  EXPECT_FALSE(test::SameGuid(far3::ConfigMenuGuid, far3::MenuGuid));
  ASSERT_EQ(1u, s.host.dialogCalls.size());
  const sim::DialogCall3 &call = s.host.dialogCalls[0];
  EXPECT_TRUE(test::SameGuid(far3::ConfigDialogGuid, call.id));
  EXPECT_FALSE(call.helpTopicNull);
  EXPECT_TRUE(call.freed);
  ASSERT_EQ(14u, call.items.size());
  EXPECT_EQ(far3::DI_EDIT, call.items[2].Type);
  EXPECT_NE(0u, call.items[2].Flags & far3::DIF_HISTORY);
  ASSERT_NE(nullptr, call.items[2].History);
  EXPECT_EQ(u"*.cc", call.texts[2]);  // what is stored, shown
  EXPECT_EQ(far3::DI_CHECKBOX, call.items[3].Type);
  EXPECT_EQ(0, call.items[3].Selected);
  EXPECT_EQ(1, call.items[4].Selected);
  EXPECT_EQ(1, call.items[5].Selected);
  EXPECT_EQ(1, call.items[6].Selected);
  EXPECT_EQ(u"&Keyword macros on Space", call.texts[3]);
  EXPECT_EQ(u"&Field stops on Tab", call.texts[6]);
  EXPECT_EQ(1, call.items[7].Selected);  // C/C++ indentation is on unless switched off
  EXPECT_EQ(0, call.items[8].Selected);
  EXPECT_EQ(1, call.items[9].Selected);  // so is a paste's
  EXPECT_EQ(u"C/C++ &indentation", call.texts[7]);
  EXPECT_EQ(u"Re-indent &pasted lines", call.texts[9]);
  EXPECT_EQ(1, call.items[10].Selected);  // and blank lines' cleaning
  EXPECT_EQ(u"Clean &blank lines the plug-in indented", call.texts[10]);
  EXPECT_EQ(far3::DIF_CENTERGROUP | far3::DIF_DEFAULTBUTTON, call.items[12].Flags);
  EXPECT_EQ(u"OK", call.texts[12]);
  EXPECT_EQ(u"Cancel", call.texts[13]);
}

TEST(Far3Config, OkStoresCancelAndEscChangeNothing) {
  Session3 s("if\n", "x.cc", "Macro if \"sp ( ) left\"\n");
  s.host.settingsStore[u"FutureOption"] = StoredText(u"kept");  // a newer version's
  Answer(s.host, {ConfigAnswer{u"*.cc,*.h", 1, 0, 1, 13}, ConfigAnswer{u"*.cc,*.h", 1, 0, 1, -1},
                  ConfigAnswer{u"*.cc,*.h", 1, 0, 1, 12, 1, 0, 1, 0, 0}});
  EXPECT_EQ(0, s.host.Configure());
  EXPECT_EQ(0, s.host.Configure());
  EXPECT_EQ(1u, s.host.settingsStore.size());
  EXPECT_EQ(1, s.host.Configure());
  EXPECT_EQ(u"*.cc,*.h", s.host.settingsStore[u"Masks"].text);
  EXPECT_EQ(far3::FST_STRING, s.host.settingsStore[u"Masks"].type);
  // Every switch is written, an off one too (a missing value reads as its default).
  for (const char16_t *name : {u"KeywordMacros", u"BraceAlignment", u"TabAfterBrace", u"FieldStops", u"Indentation",
                               u"IndentCaseLabels", u"PasteIndent", u"CleanBlankLines"}) {
    ASSERT_EQ(1u, s.host.settingsStore.count(name)) << sim::Utf8(name);
    EXPECT_EQ(far3::FST_QWORD, s.host.settingsStore[name].type) << sim::Utf8(name);
  }
  EXPECT_EQ(0u, s.host.settingsStore[u"BraceAlignment"].number);
  EXPECT_EQ(far3::FST_QWORD, s.host.settingsStore[u"KeywordMacros"].type);
  EXPECT_EQ(1u, s.host.settingsStore[u"KeywordMacros"].number);
  EXPECT_EQ(u"kept", s.host.settingsStore[u"FutureOption"].text);
  EXPECT_EQ(0u, s.host.settingsStore[u"Indentation"].number);
  EXPECT_EQ(1u, s.host.settingsStore[u"IndentCaseLabels"].number);
  EXPECT_EQ(0u, s.host.settingsStore[u"PasteIndent"].number);
  EXPECT_EQ(0u, s.host.settingsStore[u"CleanBlankLines"].number);
  EXPECT_TRUE(s.host.hostFaults.empty());
  // In force at once, and for the next session.
  s.At(0, 2);
  s.Type(" ");
  EXPECT_EQ("if ()\n", s.host.TextUtf8());
  s.host.Stop();
  s.host.Start(test::Join(s.dir, "vorlane.dll"));
  EXPECT_TRUE(far3::ActiveOptions().keywordMacros);
  EXPECT_FALSE(far3::ActiveOptions().braceAlignment);
  EXPECT_FALSE(far3::ActiveOptions().indentation);
  EXPECT_TRUE(far3::ActiveOptions().indentCaseLabels);
  EXPECT_FALSE(far3::ActiveOptions().pasteIndent);
  EXPECT_FALSE(far3::ActiveOptions().cleanBlankLines);
}

TEST(Far3Config, AnInvalidListIsRefusedAndTheDialogComesBack) {
  Session3 s("if\n", "main.cpp", "Macro if \"sp ( ) left\"\n");
  std::vector<std::u16string> shown;
  Answer(s.host, {ConfigAnswer{u"*.c,/(/", 0}, ConfigAnswer{u"", 0}, ConfigAnswer{u"*.c,/(/", 0, 1, 1, -1}},
         &shown);
  EXPECT_EQ(0, s.host.Configure());
  ASSERT_EQ(3u, s.host.dialogCalls.size());
  // The next run shows what the user typed; an empty list is refused too.
  ASSERT_EQ(3u, shown.size());
  EXPECT_EQ(u"*.c,/(/", shown[1]);
  EXPECT_EQ(u"", shown[2]);
  EXPECT_EQ(0, s.host.dialogCalls[1].items[3].Selected);
  ASSERT_EQ(2u, s.host.messageBoxes.size());
  EXPECT_EQ(u"The file masks are not valid:", s.host.messageBoxes[0].lines[1]);
  EXPECT_EQ(u"*.c,/(/", s.host.messageBoxes[0].lines[2]);
  EXPECT_TRUE(s.host.settingsStore.empty());
  s.At(0, 2);
  s.Type(" ");
  EXPECT_EQ("if ()\n", s.host.TextUtf8());
}

TEST(Far3Config, ASettingsStoreThatRefusesIsReported) {
  Session3 s("if\n", "main.cpp", "Macro if \"sp ( ) left\"\n");
  Answer(s.host, {ConfigAnswer{u"*.cc", 0}});
  far3::StartupInfo.SettingsControl = nullptr;
  EXPECT_EQ(0, s.host.Configure());
  ASSERT_EQ(1u, s.host.messageBoxes.size());
  EXPECT_EQ(u"The settings could not be stored.", s.host.messageBoxes[0].lines[1]);
  // Not in force either: what the user sees stored is what applies.
  s.At(0, 2);
  s.Type(" ");
  EXPECT_EQ("if ()\n", s.host.TextUtf8());
}

TEST(Far3Switches, EachAssistSwitchedOffLeavesItsKeyToTheEditor) {
  Session3 s("if\nint f() {\n    x;\n    \n", "main.cpp", "Macro if \"sp ( ) left\"\n");
  s.host.settingsStore[u"KeywordMacros"] = Number(0);
  s.host.settingsStore[u"BraceAlignment"] = Number(0);
  s.host.settingsStore[u"TabAfterBrace"] = Number(0);
  s.host.settingsStore[u"Indentation"] = Number(0);
  s.At(0, 2);
  s.Type(" ");
  s.At(1, 9);
  s.Type("<Enter>");
  s.At(4, 4);
  s.Type("}");
  EXPECT_EQ("if \nint f() {\n\n    x;\n    }\n", s.host.TextUtf8());
  // Not even the file name is asked for a switched-off assist.
  EXPECT_EQ(0u, s.host.processNameCalls);
}

TEST(Far3Masks, TheFileTestAsksTheHostWithTheBareName) {
  Session3 s("if\n", "C:\\gen\\a.cpp", "Macro if \"sp ( ) left\"\n");
  s.host.settingsStore[u"Masks"] = StoredText(u"*.cpp|gen*");
  s.At(0, 2);
  s.Type(" ");
  EXPECT_EQ("if ()\n", s.host.TextUtf8());  // the folder's name is no part of it
  EXPECT_EQ(2u, s.host.processNameCalls);  // the stored list checked, then the name
  s.host.fileName = u"C:\\src\\generated.cpp";
  s.host.SetTextUtf8("if\n");
  s.At(0, 2);
  s.Type(" ");
  EXPECT_EQ("if \n", s.host.TextUtf8());
}

TEST(Far3Profile, TheProfilesMacroFileWinsOverTheDefault) {
  Profile p;
  p.WriteMacros("Macro if \"sp [ ] left\"\n");
  Session3 s("if\n", "main.cpp", "Macro if \"sp ( ) left\"\n");
  s.At(0, 2);
  s.Type(" ");
  EXPECT_EQ("if []\n", s.host.TextUtf8());
  // Without one, the default; Reload looks again.
  std::remove(p.macroPath.c_str());
  s.host.dialogAnswers = {far3::DialogReload};
  s.Type("<Menu>");
  s.host.SetTextUtf8("if\n");
  s.At(0, 2);
  s.Type(" ");
  EXPECT_EQ("if ()\n", s.host.TextUtf8());
}

#ifndef _WIN32
// The native file system takes the path's UTF-8 bytes: three for each of
// these characters, which here are most of the path.
TEST(Far3Profile, AProfileInAFolderOfThreeByteCharactersIsRead) {
  std::string name;
  for (int i = 0; i < 70; ++i) name += "\xE6\x97\xA5";  // 210 bytes, a folder name's limit is 255
  Profile p(true, name.c_str());
  p.WriteMacros("Macro if \"sp [ ] left\"\n");
  Session3 s("if\n", "main.cpp", "Macro if \"sp ( ) left\"\n");
  s.At(0, 2);
  s.Type(" ");
  EXPECT_EQ("if []\n", s.host.TextUtf8());
}
#endif

TEST(Far3Profile, EditMacroFileCopiesTheDefaultOnceAndOpensIt) {
  Profile p;
  Session3 s("if\n", "main.cpp", "Macro if \"sp ( ) left\"\n");
  s.host.dialogAnswers = {far3::DialogEdit, far3::DialogEdit};
  s.Type("<Menu>");
  EXPECT_EQ("Macro if \"sp ( ) left\"\n", test::ReadFile(p.macroPath));
  ASSERT_EQ(1u, s.host.editorCalls.size());
  const sim::EditorCall3 &call = s.host.editorCalls[0];
  EXPECT_EQ(sim::Utf16(p.macroPath), call.fileName);
  EXPECT_EQ(far3::EF_NONMODAL | far3::EF_IMMEDIATERETURN, call.flags);
  EXPECT_EQ(65001u, call.codePage);
  // Far's own position: the one it saved for the file, else the top.
  EXPECT_EQ(-1, call.startLine);
  EXPECT_EQ(-1, call.startChar);
  EXPECT_EQ(2u, s.host.WindowCount());
  EXPECT_EQ("Macro if \"sp ( ) left\"\n", s.host.TextUtf8());
  // A file the user has is never overwritten.
  test::WriteFile(p.macroPath, "Macro if mine\n");
  s.Type("<C-Tab><Menu>");
  EXPECT_EQ("Macro if mine\n", test::ReadFile(p.macroPath));
  EXPECT_EQ(2u, s.host.editorCalls.size());
  EXPECT_TRUE(s.host.messageBoxes.empty());
}

TEST(Far3Profile, WithoutAProfileEditOpensTheDefault) {
  Profile p(false);
  Session3 s("if\n", "main.cpp", "Macro if a\n");
  s.host.dialogAnswers = {far3::DialogEdit};
  s.Type("<Menu>");
  ASSERT_EQ(1u, s.host.editorCalls.size());
  // The default's path as the plug-in derives it: in small letters.
  std::string lower = s.macroPath;
  for (char &c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  EXPECT_EQ(sim::Utf16(lower), s.host.editorCalls[0].fileName);
  EXPECT_FALSE(test::FileExists(p.macroPath));
}

TEST(Far3Profile, AProfileThatCannotTakeTheCopyIsReported) {
  Profile p;
  // A file where the plug-in's folder should be.
  test::WriteFile(test::Join(p.pluginsData, "vorlane"), "");
  Session3 s("if\n", "main.cpp", "Macro if a\n");
  s.host.dialogAnswers = {far3::DialogEdit};
  s.Type("<Menu>");
  EXPECT_TRUE(s.host.editorCalls.empty());
  ASSERT_EQ(1u, s.host.messageBoxes.size());
  EXPECT_EQ(u"The macro file could not be copied to", s.host.messageBoxes[0].lines[1]);
}

TEST(Far3Save, SavingTheMacroFileReloadsWhatTheEditorHolds) {
  Profile p;
  Session3 s("if\nwhile\n", "main.cpp", "Macro if \"sp ( ) left\"\n");
  s.host.dialogAnswers = {far3::DialogEdit};
  s.Type("<Menu><Down>Macro while \"sp [ ] left\"");
  // The event comes before the write: the file on disk is still the copy
  // when the plug-in reads, and the new macro works all the same.
  s.Type("<F2><C-Tab>");
  int saves = 0;
  for (const sim::EditorEvent3 &e : s.host.editorEvents)
    if (e.event == far3::EE_SAVE) {
      ++saves;
      EXPECT_EQ(sim::Utf16(p.macroPath), e.fileName);
      EXPECT_EQ(1, e.editorId);
    }
  EXPECT_EQ(1, saves);
  s.At(1, 5);
  s.Type(" ");
  EXPECT_EQ("if\nwhile []\n", s.host.TextUtf8());
  EXPECT_EQ("Macro if \"sp ( ) left\"\nMacro while \"sp [ ] left\"", test::ReadFile(p.macroPath));
  EXPECT_TRUE(s.host.messageBoxes.empty());
}

TEST(Far3Save, AfterALongerPathTheShorterFileInForceStillReloadsOnSave) {
  // The profile's file (the longer path) is in force, then removed: Reload
  // puts the default beside the DLL (shorter) in force, and saving that must
  // reload it, whatever was remembered of the longer name.
  Profile p;
  p.WriteMacros("Macro if \"sp { } left\"\n");
  Session3 s("Macro if \"sp [ ] left\"\n", "main.cpp", "Macro if \"sp ( ) left\"\n");
  ASSERT_GT(p.macroPath.size(), s.macroPath.size());
  ASSERT_EQ(1, far3::MacroCount);
  EXPECT_EQ(u'{', far3::MacroTable[0].Body[3]);
  std::remove(p.macroPath.c_str());
  s.host.dialogAnswers = {far3::DialogReload};
  s.Type("<Menu>");
  ASSERT_EQ(1, far3::MacroCount);
  EXPECT_EQ(u'(', far3::MacroTable[0].Body[3]);
  s.host.fileName = sim::Utf16(s.macroPath);
  s.Type("<F2>");
  ASSERT_EQ(1, far3::MacroCount);
  EXPECT_EQ(u'[', far3::MacroTable[0].Body[3]);
}

TEST(Far3Save, ASaveUnderTheMacroFilesNameInOtherLettersReloads) {
  // Names are compared as Windows does, letter case aside (a..z all of them).
  const std::string dir = test::Join(test::NewTempDir(), "zz");
  Profile::MakeDir(dir);
  Profile::MakeDir(test::Join(dir, "PluginsData"));
  Profile::MakeDir(test::Join(dir, "PluginsData/vorlane"));
  const std::string macroPath = test::Join(dir, "PluginsData/vorlane/vorlane.mac");
  test::WriteFile(macroPath, "Macro if \"sp ( ) left\"\n");
  SetEnv("FARPROFILE", dir);
  {
    Session3 s("Macro if \"sp [ ] left\"\n", "notes.txt", "Macro if \"sp < > left\"\n");
    ASSERT_EQ(1, far3::MacroCount);
    EXPECT_EQ(u'(', far3::MacroTable[0].Body[3]);
    std::string shouted = macroPath;
    for (char &c : shouted)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    s.host.saveAsNames.push_back(sim::Utf16(shouted));
    s.Type("<S-F2>");
    ASSERT_EQ(1, far3::MacroCount);
    EXPECT_EQ(u'[', far3::MacroTable[0].Body[3]);
  }
  SetEnv("FARPROFILE", std::string());
}

TEST(Far3Save, OnlyASaveUnderTheMacroFilesNameReloads) {
  Profile p;
  Session3 s("Macro if \"sp [ ] left\"\n", "notes.txt", "Macro if \"sp ( ) left\"\n");
  s.host.fileName = sim::Utf16(test::Join(s.dir, "notes.txt"));  // written in the session's folder
  // Saved under its own name: nothing happens.
  s.Type("<F2>");
  // Events other than a save, and a save record too short to hold a name,
  // are ignored.
  far3::ProcessEditorEventInfo info;
  std::memset(&info, 0, sizeof(info));
  info.StructSize = sizeof(info);
  far3::EditorSaveFile save;
  std::memset(&save, 0, sizeof(save));
  save.StructSize = 2;
  const std::u16string macroName = sim::Utf16(p.macroPath);
  save.FileName = reinterpret_cast<const far3::FarChar *>(macroName.c_str());
  info.Event = far3::EE_SAVE;
  info.Param = &save;
  ProcessEditorEventW(&info);
  info.Event = far3::EE_CLOSE;
  info.Param = nullptr;
  ProcessEditorEventW(&info);
  ASSERT_EQ(1, far3::MacroCount);
  EXPECT_EQ(u'(', far3::MacroTable[0].Body[3]);
  // Save As under the macro file's name (not yet made): the table follows.
  Profile::MakeDir(p.folder);
  s.host.saveAsNames.push_back(sim::Utf16(p.macroPath));
  s.Type("<S-F2>");
  ASSERT_EQ(1, far3::MacroCount);
  EXPECT_EQ(u'[', far3::MacroTable[0].Body[3]);
  // Saved elsewhere again: no longer the macro file.
  s.host.saveAsNames.push_back(sim::Utf16(test::Join(p.dir, "copy.mac")));
  s.Type("<Home>x<S-F2>");
  EXPECT_EQ(u'[', far3::MacroTable[0].Body[3]);
  EXPECT_EQ("xMacro if \"sp [ ] left\"\n", test::ReadFile(test::Join(p.dir, "copy.mac")));
}

TEST(Far3Save, AnUnreadableSaveKeepsTheTableAndSaysSoOnce) {
  Profile p;
  Session3 s("if\n", "main.cpp", "Macro if \"sp ( ) left\"\n");
  s.host.dialogAnswers = {far3::DialogEdit};
  s.Type("<Menu>");
  s.host.refuseLinesDuringSave = true;
  s.Type("<Del><Del><F2>");
  ASSERT_EQ(1u, s.host.messageBoxes.size());
  EXPECT_EQ(u"The macro file could not be read:", s.host.messageBoxes[0].lines[1]);
  EXPECT_EQ(sim::Utf16(p.macroPath), s.host.messageBoxes[0].lines[2]);
  EXPECT_EQ(1, far3::MacroCount);
  s.Type("<C-Tab>");
  s.At(0, 2);
  s.Type(" ");
  EXPECT_EQ("if ()\n", s.host.TextUtf8());
}

// The topics a help file defines (its "@Name" lines; "@Name=Other" too).
std::vector<std::u16string> HelpTopics(const std::string &path) {
  std::vector<std::u16string> topics;
  std::string text = test::ReadFile(path);
  EXPECT_EQ(0u, text.compare(0, 3, "\xEF\xBB\xBF")) << path << " starts with a byte-order mark";
  size_t at = 0;
  while ((at = text.find("\n@", at)) != std::string::npos) {
    at += 2;
    size_t end = text.find_first_of("=\r\n", at);
    std::string name = text.substr(at, end - at);
    if (!name.empty() && name[0] != '-' && name[0] != '+' && name[0] != '=') topics.push_back(sim::Utf16(name));
  }
  return topics;
}

TEST(Far3Help, EveryTopicTheDialogsAndMessagesNameIsInBothHelpFiles) {
  Profile p;
  Session3 s("if\n", "main.cpp", "Macro if a\n");
  s.host.dialogAnswers = {far3::DialogClose};
  s.Type("<Menu>");
  Answer(s.host, {ConfigAnswer{u"/(/"}});
  s.Type("<Config>");
  s.host.dialogScript = nullptr;
  s.host.refuseLinesDuringSave = true;
  s.host.saveAsNames.push_back(sim::Utf16(s.macroPath));
  s.Type("<S-F2>");
  std::vector<std::u16string> named;
  for (const sim::DialogCall3 &call : s.host.dialogCalls) named.push_back(call.helpTopic);
  for (const sim::MessageCall3 &box : s.host.messageBoxes) named.push_back(box.helpTopic);
  ASSERT_EQ(5u, named.size());  // reload dialog, configuration dialog twice, two messages
  for (const char *language : {"eng", "rus"}) {
    std::vector<std::u16string> topics =
        HelpTopics(std::string(VORLANE_SOURCE_DIR) + "/package/far3/vorlane_" + language + ".hlf");
    for (const char16_t *needed : {u"Contents", u"Config", u"MacroFile", u"Reload"})
      named.push_back(needed);
    for (const std::u16string &topic : named) {
      bool found = false;
      for (const std::u16string &t : topics) found = found || t == topic;
      EXPECT_TRUE(found) << language << ": no topic " << sim::Utf8(topic);
    }
  }
}

}  // namespace
