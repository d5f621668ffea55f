// The Far 3 edition's options: stored through the host's settings API, read
// once per session (and again after the configuration dialog stores them).
#include <cstring>

#include "assists/text.h"
#include "far3/edition.h"

namespace far3 {

namespace {

const FarChar DefaultMasks[] = FAR3_TEXT("*.c,*.cpp,*.h,*.hpp");
const FarChar MasksName[] = FAR3_TEXT("Masks");
const FarChar KeywordMacrosName[] = FAR3_TEXT("KeywordMacros");
const FarChar BraceAlignmentName[] = FAR3_TEXT("BraceAlignment");
const FarChar TabAfterBraceName[] = FAR3_TEXT("TabAfterBrace");
const FarChar FieldStopsName[] = FAR3_TEXT("FieldStops");
const FarChar IndentationName[] = FAR3_TEXT("Indentation");
const FarChar IndentCaseLabelsName[] = FAR3_TEXT("IndentCaseLabels");
const FarChar PasteIndentName[] = FAR3_TEXT("PasteIndent");
const FarChar CleanBlankLinesName[] = FAR3_TEXT("CleanBlankLines");

Options Active;
bool ActiveRead = false;

// A handle locks the settings database until it is freed: every use opens
// one, does its work and frees it before returning.
class SettingsHandle {
public:
  SettingsHandle() {
    if (!StartupInfo.SettingsControl) return;
    FarSettingsCreate create;
    std::memset(&create, 0, sizeof(create));
    create.StructSize = sizeof(create);
    create.Guid = PluginGuid;
    create.Handle = INVALID_HANDLE_VALUE;
    if (StartupInfo.SettingsControl(INVALID_HANDLE_VALUE, SCTL_CREATE, PSL_ROAMING, &create))
      handle_ = create.Handle;
  }
  ~SettingsHandle() {
    if (handle_) StartupInfo.SettingsControl(handle_, SCTL_FREE, 0, nullptr);
  }
  SettingsHandle(const SettingsHandle &) = delete;
  SettingsHandle &operator=(const SettingsHandle &) = delete;

  bool open() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }

  bool Get(const FarChar *name, int type, FarSettingsItem *item) {
    std::memset(item, 0, sizeof(*item));
    item->StructSize = sizeof(*item);
    item->Root = 0;
    item->Name = name;
    item->Type = type;
    return open() && StartupInfo.SettingsControl(handle_, SCTL_GET, 0, item) != 0;
  }
  bool Set(FarSettingsItem *item) {
    item->StructSize = sizeof(*item);
    item->Root = 0;
    return open() && StartupInfo.SettingsControl(handle_, SCTL_SET, 0, item) != 0;
  }
  void ReadSwitch(const FarChar *name, bool *value) {
    FarSettingsItem item;
    if (Get(name, FST_QWORD, &item)) *value = item.Number != 0;
  }
  bool WriteSwitch(const FarChar *name, bool value) {
    FarSettingsItem item;
    std::memset(&item, 0, sizeof(item));
    item.Name = name;
    item.Type = FST_QWORD;
    item.Number = value ? 1 : 0;
    return Set(&item);
  }

private:
  HANDLE handle_ = nullptr;
};

ProcessNameFn ProcessName() {
  return StartupInfo.FSF ? StartupInfo.FSF->ProcessName : nullptr;
}

}  // namespace

void DefaultOptions(Options *options) {
  std::memcpy(options->masks, DefaultMasks, sizeof(DefaultMasks));
  options->keywordMacros = true;
  options->braceAlignment = true;
  options->tabAfterBrace = true;
  options->fieldStops = true;
  options->indentation = true;
  options->indentCaseLabels = false;
  options->pasteIndent = true;
  options->cleanBlankLines = true;
}

void ReadOptions(Options *options) {
  DefaultOptions(options);
  SettingsHandle settings;
  if (!settings.open()) return;
  FarSettingsItem item;
  if (settings.Get(MasksName, FST_STRING, &item) && item.String) {
    // The string belongs to the handle: copy it, whole or not at all.
    size_t n = TextLength(item.String);
    if (n > 0 && n < MaskLimit && MasksValid(item.String))
      std::memcpy(options->masks, item.String, (n + 1) * sizeof(FarChar));
  }
  settings.ReadSwitch(KeywordMacrosName, &options->keywordMacros);
  settings.ReadSwitch(BraceAlignmentName, &options->braceAlignment);
  settings.ReadSwitch(TabAfterBraceName, &options->tabAfterBrace);
  settings.ReadSwitch(FieldStopsName, &options->fieldStops);
  settings.ReadSwitch(IndentationName, &options->indentation);
  settings.ReadSwitch(IndentCaseLabelsName, &options->indentCaseLabels);
  settings.ReadSwitch(PasteIndentName, &options->pasteIndent);
  settings.ReadSwitch(CleanBlankLinesName, &options->cleanBlankLines);
}

bool WriteOptions(const Options &options) {
  SettingsHandle settings;
  if (!settings.open()) return false;
  FarSettingsItem item;
  std::memset(&item, 0, sizeof(item));
  item.Name = MasksName;
  item.Type = FST_STRING;
  item.String = options.masks;
  // Each value is written even when an earlier one failed.
  bool stored = settings.Set(&item);
  stored = settings.WriteSwitch(KeywordMacrosName, options.keywordMacros) && stored;
  stored = settings.WriteSwitch(BraceAlignmentName, options.braceAlignment) && stored;
  stored = settings.WriteSwitch(TabAfterBraceName, options.tabAfterBrace) && stored;
  stored = settings.WriteSwitch(FieldStopsName, options.fieldStops) && stored;
  stored = settings.WriteSwitch(IndentationName, options.indentation) && stored;
  stored = settings.WriteSwitch(IndentCaseLabelsName, options.indentCaseLabels) && stored;
  stored = settings.WriteSwitch(PasteIndentName, options.pasteIndent) && stored;
  stored = settings.WriteSwitch(CleanBlankLinesName, options.cleanBlankLines) && stored;
  return stored;
}

const Options &ActiveOptions() {
  if (!ActiveRead) {
    ReadOptions(&Active);
    ActiveRead = true;
  }
  return Active;
}

void SetActiveOptions(const Options &options) {
  Active = options;
  ActiveRead = true;
}

void ResetOptions() { ActiveRead = false; }

bool MasksValid(const FarChar *masks) {
  ProcessNameFn processName = ProcessName();
  // Without the host's matcher only the fixed extensions are served, and any
  // text will do.
  if (!processName) return masks[0] != 0;
  return processName(masks, nullptr, 0, PN_CHECKMASK) != 0;
}

bool NameMatchesList(const FarChar *masks, const FarChar *name) {
  ProcessNameFn processName = ProcessName();
  return processName &&
         processName(masks, const_cast<FarChar *>(name), 0, PN_CMPNAMELIST | PN_SKIPPATH) != 0;
}

bool NameMatchesMasks(const FarChar *name) {
  ProcessNameFn processName = ProcessName();
  if (!processName) return IsSourceFileName(name);
  // The host only reads the name in compare mode; the cast is its signature's.
  return processName(ActiveOptions().masks, const_cast<FarChar *>(name), 0,
                     PN_CMPNAMELIST | PN_SKIPPATH) != 0;
}

}  // namespace far3
