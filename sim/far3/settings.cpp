// The Far 3 face: the settings store behind SettingsControl.
#include "sim/far3/internal.h"

namespace sim {

namespace {

// The one settings handle the stand-in gives out at a time.
HANDLE const SettingsHandle = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x5E77));

}  // namespace

intptr_t Host3::SettingsControl(HANDLE handle, int command, intptr_t param1, void *param2) {
  using far3::FarSettingsCreate;
  using far3::FarSettingsItem;
  if (command == far3::SCTL_CREATE) {
    auto *create = static_cast<FarSettingsCreate *>(param2);
    if (!create || !SizeFits(create->StructSize, sizeof(FarSettingsCreate)) ||
        std::memcmp(&create->Guid, &globalInfo.Guid, sizeof(GUID)) != 0 ||
        param1 != far3::PSL_ROAMING)
      return 0;
    if (settingsOpen_) {
      // Far waits for the database, then reports it busy.
      hostFaults.push_back("a second settings handle while one was open");
      return 0;
    }
    settingsOpen_ = true;
    ++settingsHandles;
    settingsPending_ = settingsStore;
    create->Handle = SettingsHandle;
    return 1;
  }
  if (handle != SettingsHandle || !settingsOpen_) return 0;
  switch (command) {
    case far3::SCTL_FREE:
      settingsStore = settingsPending_;
      settingsStrings_.clear();
      settingsOpen_ = false;
      return 1;
    case far3::SCTL_GET: {
      auto *item = static_cast<FarSettingsItem *>(param2);
      if (!item || !SizeFits(item->StructSize, sizeof(FarSettingsItem)) || item->Root != 0 ||
          !item->Name)
        return 0;
      auto found = settingsPending_.find(TextOf(item->Name));
      if (found == settingsPending_.end()) return 0;
      const StoredSetting &value = found->second;
      // Far converts leniently between the two types.
      if (item->Type == far3::FST_QWORD) {
        item->Number = value.type == far3::FST_QWORD ? value.number : 0;
        return 1;
      }
      if (item->Type == far3::FST_STRING) {
        settingsStrings_.push_back(value.type == far3::FST_STRING
                                       ? value.text
                                       : Utf16(std::to_string(value.number)));
        item->String = reinterpret_cast<const FarChar *>(settingsStrings_.back().c_str());
        return 1;
      }
      return 0;
    }
    case far3::SCTL_SET: {
      auto *item = static_cast<FarSettingsItem *>(param2);
      if (!item || !SizeFits(item->StructSize, sizeof(FarSettingsItem)) || item->Root != 0 ||
          !item->Name)
        return 0;
      StoredSetting value;
      value.type = item->Type;
      if (item->Type == far3::FST_QWORD)
        value.number = item->Number;
      else if (item->Type == far3::FST_STRING && item->String)
        value.text = TextOf(item->String);
      else
        return 0;
      settingsPending_[TextOf(item->Name)] = value;
      return 1;
    }
    default:
      return 0;
  }
}

}  // namespace sim
