// Start, menu entry and stop of the plug-in, against a recording fake host.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "far1/far_editor.h"
#include "macros/macro_file.h"
#include "far1/plugin.h"
#include "tests/support.h"

namespace {

struct Recorder {
  std::vector<int> msgIds;
  bool msgNull = false;
  int dialogAnswer = -1;
  int dialogs = 0;
  std::vector<FarDialogItem> items;
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0, count = 0;
  INT_PTR module = 0;
  const char *help = "unset";
} rec;

const char *WINAPI FakeGetMsg(INT_PTR, int id) {
  rec.msgIds.push_back(id);
  static const char *const texts[] = {"Menu entry", "Title", "&Reload", "&Close"};
  if (rec.msgNull) return nullptr;
  return id >= 0 && id < 4 ? texts[id] : "";
}

int WINAPI FakeDialog(INT_PTR module, int x1, int y1, int x2, int y2, const char *help,
                      FarDialogItem *items, int count) {
  ++rec.dialogs;
  rec.module = module;
  rec.x1 = x1;
  rec.y1 = y1;
  rec.x2 = x2;
  rec.y2 = y2;
  rec.help = help;
  rec.count = count;
  rec.items.assign(items, items + count);
  return rec.dialogAnswer;
}

int WINAPI FakeEditorControl(int, void *) { return 1; }

class Lifecycle : public ::testing::Test {
protected:
  void SetUp() override {
    rec = Recorder();
    // A record larger than the part the plug-in copies, as later hosts pass.
    std::memset(raw, 0x5A, sizeof(raw));
    info = reinterpret_cast<PluginStartupInfo *>(raw);
    info->StructSize = static_cast<int>(sizeof(raw));
    std::memset(info->ModuleName, 0, sizeof(info->ModuleName));
    std::strcpy(info->ModuleName, "C:\\NOWHERE\\VORLANE.DLL");
    info->ModuleNumber = 77;
    info->GetMsg = &FakeGetMsg;
    info->Dialog = &FakeDialog;
    info->EditorControl = &FakeEditorControl;
  }
  void TearDown() override { ExitFAR(); }

  alignas(8) unsigned char raw[sizeof(PluginStartupInfo) + 64];
  PluginStartupInfo *info = nullptr;
};

TEST_F(Lifecycle, StartCopiesTheRecordAndMakesTheEditorFromIt) {
  SetStartupInfo(info);
  EXPECT_EQ(0, std::memcmp(&StartupInfo, raw, StartupInfoCopySize));
  ASSERT_NE(nullptr, FarEditor);
  EXPECT_EQ(0, std::memcmp(&FarEditor->Info, raw, sizeof(PluginStartupInfo)));
  EXPECT_EQ(nullptr, MacroTable);  // no macro file there
  EXPECT_EQ(0, MacroCount);
}

TEST_F(Lifecycle, PluginInfoWritesExactlySixFieldsEveryCall) {
  SetStartupInfo(info);
  for (int call = 0; call < 2; ++call) {
    PluginInfo pi;
    std::memset(&pi, 0xA5, sizeof(pi));
    PluginInfo pattern = pi;
    GetPluginInfo(&pi);
    EXPECT_EQ(40, pi.StructSize);
    EXPECT_EQ(static_cast<DWORD>(PF_DISABLEPANELS | PF_EDITOR), pi.Flags);
    EXPECT_EQ(0, pi.DiskMenuStringsNumber);
    ASSERT_EQ(MenuString, pi.PluginMenuStrings);
    EXPECT_STREQ("Menu entry", pi.PluginMenuStrings[0]);
    EXPECT_EQ(1, pi.PluginMenuStringsNumber);
    EXPECT_EQ(0, pi.PluginConfigStringsNumber);
    EXPECT_EQ(pattern.DiskMenuStrings, pi.DiskMenuStrings);
    EXPECT_EQ(pattern.DiskMenuNumbers, pi.DiskMenuNumbers);
    EXPECT_EQ(pattern.PluginConfigStrings, pi.PluginConfigStrings);
    EXPECT_EQ(pattern.CommandPrefix, pi.CommandPrefix);
  }
  EXPECT_EQ((std::vector<int>{0, 0}), rec.msgIds);
}

TEST_F(Lifecycle, ExitReleasesEverythingAndAllowsAFreshStart) {
  SetStartupInfo(info);
  ExitFAR();
  EXPECT_EQ(nullptr, FarEditor);
  EXPECT_EQ(nullptr, MacroTable);
  EXPECT_EQ(0, MacroCount);
  ExitFAR();  // a second exit finds nothing to release
  SetStartupInfo(info);
  EXPECT_NE(nullptr, FarEditor);
}

TEST_F(Lifecycle, OpenPluginNeverOpensAPanel) {
  SetStartupInfo(info);
  for (int from : {0, 5, -1, 12345}) {
    for (INT_PTR item : {INT_PTR(0), INT_PTR(-1), INT_PTR(99)}) {
      rec.dialogAnswer = from == 5 ? 1 : -1;
      EXPECT_EQ(INVALID_HANDLE_VALUE, OpenPlugin(from, item));
    }
  }
  EXPECT_EQ(12, rec.dialogs);
}

TEST_F(Lifecycle, ModuleNameWithoutNulIsReadWithinItsField) {
  std::memset(info->ModuleName, 'A', sizeof(info->ModuleName));
  SetStartupInfo(info);
  EXPECT_NE(nullptr, FarEditor);
  EXPECT_EQ(0, MacroCount);
  rec.dialogAnswer = 1;  // a reload from the same field
  EXPECT_EQ(INVALID_HANDLE_VALUE, OpenPlugin(5, 0));
  EXPECT_EQ(0, MacroCount);
}

TEST_F(Lifecycle, NullMessagesGiveAFallbackEntryAndEmptyDialogTexts) {
  rec.msgNull = true;
  SetStartupInfo(info);
  PluginInfo pi;
  std::memset(&pi, 0, sizeof(pi));
  GetPluginInfo(&pi);
  ASSERT_NE(nullptr, pi.PluginMenuStrings[0]);
  EXPECT_STREQ("vorlane", pi.PluginMenuStrings[0]);
  OpenPlugin(5, 0);
  ASSERT_EQ(3u, rec.items.size());
  for (const FarDialogItem &item : rec.items) EXPECT_STREQ("", item.Data);
}

TEST_F(Lifecycle, DialogCallCarriesTheTemplateAndMessages) {
  SetStartupInfo(info);
  rec.msgIds.clear();
  OpenPlugin(5, 0);
  EXPECT_EQ((std::vector<int>{1, 2, 3}), rec.msgIds);
  EXPECT_EQ(77, rec.module);
  EXPECT_EQ(-1, rec.x1);
  EXPECT_EQ(-1, rec.y1);
  EXPECT_EQ(35, rec.x2);
  EXPECT_EQ(6, rec.y2);
  EXPECT_EQ(nullptr, rec.help);
  ASSERT_EQ(3, rec.count);
  const FarDialogItem &box = rec.items[0], &reload = rec.items[1], &close = rec.items[2];
  EXPECT_EQ(DI_DOUBLEBOX, box.Type);
  EXPECT_EQ(1, box.X1);
  EXPECT_EQ(1, box.Y1);
  EXPECT_EQ(33, box.X2);
  EXPECT_EQ(4, box.Y2);
  EXPECT_EQ(0u, box.Flags);
  EXPECT_EQ(0, box.DefaultButton);
  EXPECT_STREQ("Title", box.Data);
  for (const FarDialogItem *b : {&reload, &close}) {
    EXPECT_EQ(DI_BUTTON, b->Type);
    EXPECT_EQ(0, b->X1);
    EXPECT_EQ(3, b->Y1);
    EXPECT_EQ(0, b->X2);
    EXPECT_EQ(0, b->Y2);
    EXPECT_EQ(0, b->Focus);
    EXPECT_EQ(static_cast<DWORD>(DIF_CENTERGROUP), b->Flags);
  }
  EXPECT_EQ(1, reload.DefaultButton);
  EXPECT_EQ(0, close.DefaultButton);
  EXPECT_STREQ("&Reload", reload.Data);
  EXPECT_STREQ("&Close", close.Data);
  // The template itself stays empty for the next call.
  for (const FarDialogItem &item : DialogTemplate) EXPECT_STREQ("", item.Data);
}

const char *WINAPI LongGetMsg(INT_PTR, int) {
  static std::string text(2000, 'x');
  return text.c_str();
}

TEST_F(Lifecycle, OverlongDialogTextIsCutToTheItem) {
  info->GetMsg = &LongGetMsg;
  SetStartupInfo(info);
  OpenPlugin(5, 0);
  ASSERT_EQ(3u, rec.items.size());
  for (const FarDialogItem &item : rec.items)
    EXPECT_EQ(std::string(511, 'x'), std::string(item.Data));
}

}  // namespace
