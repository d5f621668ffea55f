// The Far 3 edition's dialogs: the reload dialog behind the menu entry and
// the configuration dialog behind "Plugins configuration".
#include <cstring>
#include <initializer_list>

#include "far3/edition.h"

namespace far3 {

const FarDialogItem DialogTemplate[DialogItemCount] = {
    // Type, X1, Y1, X2, Y2, Selected, History, Mask, Flags, Data
    {DI_DOUBLEBOX, 3, 1, 56, 4, {0}, nullptr, nullptr, 0, nullptr, 0, 0, {0, 0}},
    {DI_BUTTON, 0, 3, 0, 0, {0}, nullptr, nullptr, DIF_CENTERGROUP | DIF_DEFAULTBUTTON, nullptr, 0, 0, {0, 0}},
    {DI_BUTTON, 0, 3, 0, 0, {0}, nullptr, nullptr, DIF_CENTERGROUP, nullptr, 0, 0, {0, 0}},
    {DI_BUTTON, 0, 3, 0, 0, {0}, nullptr, nullptr, DIF_CENTERGROUP, nullptr, 0, 0, {0, 0}},
};
const int DialogMessages[DialogItemCount] = {MDialogTitle, MReload, MClose, MEditMacroFile};

namespace {


const FarChar *Text(int msgId) {
  // The host copies the texts; ours live until the dialog is freed.
  const FarChar *text = GetMsgText(msgId);
  return text ? text : Empty;
}

// The columns a text takes on screen: the hot key's '&' takes none.
intptr_t ShownWidth(const FarChar *text) {
  intptr_t n = 0;
  bool marked = false;
  for (; text && *text; ++text) {
    if (*text == '&' && !marked) {
      marked = true;
      continue;
    }
    ++n;
  }
  return n;
}

// A centred row of buttons: each its text in brackets with a space on each
// side, one column between them.
intptr_t ButtonRowWidth(const FarChar *const *texts, int count) {
  intptr_t width = count > 0 ? count - 1 : 0;
  for (int i = 0; i < count; ++i) width += ShownWidth(texts[i]) + 4;
  return width;
}

// A dialog's width for CONTENT columns, laid out as Far's own: the frame 3
// columns in from each side and a column of margin inside it. Never narrower
// than the layout's MINIMUM, never wider than an 80-column console (shorter
// texts in the language file must do the rest).
intptr_t DialogWidth(intptr_t content, intptr_t minimum) {
  intptr_t width = content + 10;
  if (width < minimum) width = minimum;
  return width > 80 ? 80 : width;
}

bool HaveDialogs() {
  return StartupInfo.DialogInit && StartupInfo.DialogRun && StartupInfo.DialogFree;
}

enum {
  ConfigBox,
  ConfigMasksLabel,
  ConfigMasks,
  ConfigKeywordMacros,
  ConfigBraceAlignment,
  ConfigTabAfterBrace,
  ConfigFieldStops,
  ConfigIndentation,
  ConfigIndentCaseLabels,
  ConfigPasteIndent,
  ConfigCleanBlankLines,
  ConfigSeparator,
  ConfigOk,
  ConfigCancel,
  ConfigItemCount
};

const FarChar MasksHistory[] = FAR3_TEXT("vorlane.Masks");
const FarChar ConfigTopic[] = FAR3_TEXT("Config");
const FarChar ReloadTopic[] = FAR3_TEXT("Reload");

// One run of the configuration dialog showing `options`. 1 when the user chose
// OK (the dialog's values are then in `options`), 0 on Cancel or Esc, -1 when
// the dialog could not be shown.
int RunConfigDialog(Options *options) {
  FarDialogItem items[ConfigItemCount];
  std::memset(items, 0, sizeof(items));
  auto item = [&](int i, int type, intptr_t x1, intptr_t y1, intptr_t x2, Flags64 flags,
                  const FarChar *data) {
    items[i].Type = type;
    items[i].X1 = x1;
    items[i].Y1 = y1;
    items[i].X2 = x2;
    items[i].Y2 = y1;
    items[i].Flags = flags;
    items[i].Data = data;
  };
  // As wide as its longest text asks (a check box's text follows its "[ ] ").
  const FarChar *buttons[] = {Text(MOk), Text(MCancel)};
  intptr_t content = ButtonRowWidth(buttons, 2);
  for (int msg : {MConfigTitle, MConfigMasks})
    if (ShownWidth(Text(msg)) > content) content = ShownWidth(Text(msg));
  for (int msg : {MConfigKeywordMacros, MConfigBraceAlignment, MConfigTabAfterBrace, MConfigFieldStops,
                  MConfigIndentation, MConfigIndentCaseLabels, MConfigPasteIndent, MConfigCleanBlankLines})
    if (ShownWidth(Text(msg)) + 4 > content) content = ShownWidth(Text(msg)) + 4;
  const intptr_t width = DialogWidth(content, 66);
  item(ConfigBox, DI_DOUBLEBOX, 3, 1, width - 4, 0, Text(MConfigTitle));
  items[ConfigBox].Y2 = 15;
  item(ConfigMasksLabel, DI_TEXT, 5, 2, 0, 0, Text(MConfigMasks));
  item(ConfigMasks, DI_EDIT, 5, 3, width - 6, DIF_HISTORY | DIF_FOCUS, options->masks);
  items[ConfigMasks].History = MasksHistory;
  items[ConfigMasks].MaxLength = MaskLimit - 1;
  item(ConfigKeywordMacros, DI_CHECKBOX, 5, 5, 0, 0, Text(MConfigKeywordMacros));
  items[ConfigKeywordMacros].Selected = options->keywordMacros ? BSTATE_CHECKED : BSTATE_UNCHECKED;
  item(ConfigBraceAlignment, DI_CHECKBOX, 5, 6, 0, 0, Text(MConfigBraceAlignment));
  items[ConfigBraceAlignment].Selected = options->braceAlignment ? BSTATE_CHECKED : BSTATE_UNCHECKED;
  item(ConfigTabAfterBrace, DI_CHECKBOX, 5, 7, 0, 0, Text(MConfigTabAfterBrace));
  items[ConfigTabAfterBrace].Selected = options->tabAfterBrace ? BSTATE_CHECKED : BSTATE_UNCHECKED;
  item(ConfigFieldStops, DI_CHECKBOX, 5, 8, 0, 0, Text(MConfigFieldStops));
  items[ConfigFieldStops].Selected = options->fieldStops ? BSTATE_CHECKED : BSTATE_UNCHECKED;
  item(ConfigIndentation, DI_CHECKBOX, 5, 9, 0, 0, Text(MConfigIndentation));
  items[ConfigIndentation].Selected = options->indentation ? BSTATE_CHECKED : BSTATE_UNCHECKED;
  item(ConfigIndentCaseLabels, DI_CHECKBOX, 5, 10, 0, 0, Text(MConfigIndentCaseLabels));
  items[ConfigIndentCaseLabels].Selected = options->indentCaseLabels ? BSTATE_CHECKED : BSTATE_UNCHECKED;
  item(ConfigPasteIndent, DI_CHECKBOX, 5, 11, 0, 0, Text(MConfigPasteIndent));
  items[ConfigPasteIndent].Selected = options->pasteIndent ? BSTATE_CHECKED : BSTATE_UNCHECKED;
  item(ConfigCleanBlankLines, DI_CHECKBOX, 5, 12, 0, 0, Text(MConfigCleanBlankLines));
  items[ConfigCleanBlankLines].Selected = options->cleanBlankLines ? BSTATE_CHECKED : BSTATE_UNCHECKED;
  item(ConfigSeparator, DI_TEXT, -1, 13, 0, DIF_SEPARATOR, Empty);
  item(ConfigOk, DI_BUTTON, 0, 14, 0, DIF_CENTERGROUP | DIF_DEFAULTBUTTON, buttons[0]);
  item(ConfigCancel, DI_BUTTON, 0, 14, 0, DIF_CENTERGROUP, buttons[1]);

  if (!HaveDialogs() || !StartupInfo.SendDlgMessage) return -1;
  HANDLE dialog = StartupInfo.DialogInit(&PluginGuid, &ConfigDialogGuid, -1, -1, width, 17, ConfigTopic,
                                         items, ConfigItemCount, 0, FDLG_NONE, nullptr, nullptr);
  if (dialog == INVALID_HANDLE_VALUE || !dialog) return -1;
  int chosen = StartupInfo.DialogRun(dialog) == ConfigOk ? 1 : 0;
  if (chosen) {
    // The item array is never written back: the values are read from the
    // dialog before it is freed.
    const auto *masks = reinterpret_cast<const FarChar *>(
        StartupInfo.SendDlgMessage(dialog, DM_GETCONSTTEXTPTR, ConfigMasks, nullptr));
    size_t n = masks ? TextLength(masks) : 0;
    if (n >= MaskLimit) n = MaskLimit - 1;
    if (masks) std::memcpy(options->masks, masks, n * sizeof(FarChar));
    options->masks[n] = 0;
    auto checked = [&](int i) {
      return StartupInfo.SendDlgMessage(dialog, DM_GETCHECK, i, nullptr) == BSTATE_CHECKED;
    };
    options->keywordMacros = checked(ConfigKeywordMacros);
    options->braceAlignment = checked(ConfigBraceAlignment);
    options->tabAfterBrace = checked(ConfigTabAfterBrace);
    options->fieldStops = checked(ConfigFieldStops);
    options->indentation = checked(ConfigIndentation);
    options->indentCaseLabels = checked(ConfigIndentCaseLabels);
    options->pasteIndent = checked(ConfigPasteIndent);
    options->cleanBlankLines = checked(ConfigCleanBlankLines);
  }
  StartupInfo.DialogFree(dialog);
  return chosen;
}

}  // namespace

}  // namespace far3

using namespace far3;

extern "C" HANDLE WINAPI OpenW(const OpenInfo *Info) {
  if (Info && Info->StructSize >= offsetof(OpenInfo, Instance)) {
    if (Info->OpenFrom == OPEN_FROMMACRO)
      return CallMacro(reinterpret_cast<const OpenMacroInfo *>(Info->Data));
    if (Info->Guid && std::memcmp(Info->Guid, &InsertMacroGuid, sizeof(GUID)) == 0) {
      PickMacro();
      return nullptr;
    }
    if (Info->Guid && std::memcmp(Info->Guid, &ReindentGuid, sizeof(GUID)) == 0) {
      Reindent();
      return nullptr;
    }
  }
  FarDialogItem items[DialogItemCount];
  for (int i = 0; i < DialogItemCount; ++i) {
    items[i] = DialogTemplate[i];
    items[i].Data = Text(DialogMessages[i]);
  }
  if (!HaveDialogs()) return nullptr;
  // As wide as its title and button row ask.
  const FarChar *buttons[DialogItemCount - 1] = {items[1].Data, items[2].Data, items[3].Data};
  intptr_t content = ButtonRowWidth(buttons, DialogItemCount - 1);
  if (ShownWidth(items[0].Data) > content) content = ShownWidth(items[0].Data);
  const intptr_t width = DialogWidth(content, 60);
  items[0].X2 = width - 4;
  HANDLE dialog = StartupInfo.DialogInit(&PluginGuid, &DialogGuid, -1, -1, width, 6, ReloadTopic,
                                         items, DialogItemCount, 0, FDLG_NONE, nullptr, nullptr);
  if (dialog == INVALID_HANDLE_VALUE) return nullptr;
  intptr_t result = StartupInfo.DialogRun(dialog);
  StartupInfo.DialogFree(dialog);
  if (result == DialogReload) {
    FreeMacros();
    LoadMacros();
  } else if (result == DialogEdit) {
    EditMacroFile();
  }
  return nullptr;
}

extern "C" intptr_t WINAPI ConfigureW(const ConfigureInfo *) {
  // Whatever entry led here (the configuration menu's, or Shift+F9 on the
  // plug-in's menu item), it is the one dialog.
  Options options;
  ReadOptions(&options);
  for (;;) {
    if (RunConfigDialog(&options) != 1) return 0;
    if (!MasksValid(options.masks)) {
      // Nothing is stored; the dialog comes back with what the user typed.
      ShowMessage(ConfigTopic, GetMsgText(MBadMasks), options.masks);
      continue;
    }
    if (!WriteOptions(options)) {
      ShowMessage(ConfigTopic, GetMsgText(MNotStored));
      return 0;
    }
    SetActiveOptions(options);
    return 1;
  }
}
