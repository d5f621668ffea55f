// The Far 3 face: dialogs and message boxes.
#include "sim/far3/internal.h"

#include "sim/dialog_layout.h"
#include "sim/far1/stand_in.h"

namespace sim {

HANDLE Host3::DialogInit(const GUID *pluginId, const GUID *id, intptr_t x1, intptr_t y1,
                         intptr_t x2, intptr_t y2, const FarChar *help,
                         const FarDialogItem *items, size_t count, Flags64 flags) {
  // Far dereferences both GUIDs and refuses a plug-in id it does not know.
  if (!pluginId || !id || std::memcmp(pluginId, &globalInfo.Guid, sizeof(GUID)) != 0)
    return INVALID_HANDLE_VALUE;
  if (!shows_.Allow("dialog", &hostFaults)) return INVALID_HANDLE_VALUE;
  DialogCall3 call;
  call.pluginId = *pluginId;
  call.id = *id;
  call.x1 = x1;
  call.y1 = y1;
  call.x2 = x2;
  call.y2 = y2;
  call.helpTopicNull = help == nullptr;
  call.helpTopic = TextOf(help);
  call.flags = flags;
  std::vector<LayoutItem> layout;
  for (size_t i = 0; items && i < count; ++i) {
    call.items.push_back(items[i]);
    call.texts.push_back(TextOf(items[i].Data));
    const FarDialogItem &item = items[i];
    LayoutItem l;
    switch (item.Type) {
      case far3::DI_DOUBLEBOX: l.kind = LayoutItem::Box; break;
      case far3::DI_TEXT:
        l.kind = (item.Flags & far3::DIF_SEPARATOR) ? LayoutItem::Separator : LayoutItem::Text;
        break;
      case far3::DI_EDIT: l.kind = LayoutItem::Edit; break;
      case far3::DI_CHECKBOX: l.kind = LayoutItem::CheckBox; break;
      case far3::DI_BUTTON: l.kind = LayoutItem::Button; break;
      default: break;
    }
    l.x1 = static_cast<int>(item.X1);
    l.y1 = static_cast<int>(item.Y1);
    l.x2 = static_cast<int>(item.X2);
    l.y2 = static_cast<int>(item.Y2);
    l.centerGroup = (item.Flags & far3::DIF_CENTERGROUP) != 0;
    l.isDefault = (item.Flags & far3::DIF_DEFAULTBUTTON) != 0;
    std::u16string shown;
    if (l.kind != LayoutItem::Edit) ShownText(call.texts.back().c_str(), &shown);
    else shown = call.texts.back();
    l.shown = Utf8(shown);
    l.width = static_cast<int>(shown.size());
    layout.push_back(l);
  }
  // Centred (X1 = Y1 = -1): X2 and Y2 are the size.
  const int width = static_cast<int>(x1 == -1 ? x2 : x2 - x1 + 1);
  const int height = static_cast<int>(y1 == -1 ? y2 : y2 - y1 + 1);
  LayoutDialog(width, height, layout, &call.layout, &hostFaults);
  dialogCalls.push_back(call);
  // The handle is the call's number, counted from 1.
  return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(dialogCalls.size()));
}

intptr_t Host3::DialogRun(HANDLE dialog) {
  uintptr_t n = reinterpret_cast<uintptr_t>(dialog);
  if (n == 0 || n > dialogCalls.size()) return -1;
  DialogCall3 &call = dialogCalls[n - 1];
  call.run = true;
  if (dialogScript)
    call.answer = dialogScript(call);
  else
    call.answer = dialogNext_ < dialogAnswers.size() ? dialogAnswers[dialogNext_++] : -1;
  std::string text = "dialog";
  for (const std::u16string &t : call.texts) text += " [" + Utf8(t) + "]";
  if (trace) Trace(depth_, text + " -> " + std::to_string(call.answer));
  return call.answer;
}

void Host3::DialogFree(HANDLE dialog) {
  uintptr_t n = reinterpret_cast<uintptr_t>(dialog);
  if (n >= 1 && n <= dialogCalls.size()) dialogCalls[n - 1].freed = true;
}

intptr_t Host3::SendDlgMessage(HANDLE dialog, intptr_t msg, intptr_t param1, void *) {
  uintptr_t n = reinterpret_cast<uintptr_t>(dialog);
  if (n == 0 || n > dialogCalls.size()) return 0;
  DialogCall3 &call = dialogCalls[n - 1];
  if (call.freed) {
    hostFaults.push_back("a dialog was sent message " + std::to_string(msg) + " after DialogFree");
    return 0;
  }
  if (param1 < 0 || static_cast<size_t>(param1) >= call.items.size()) return 0;
  const size_t i = static_cast<size_t>(param1);
  if (msg == far3::DM_GETCONSTTEXTPTR)
    return reinterpret_cast<intptr_t>(call.texts[i].c_str());
  if (msg == far3::DM_GETCHECK) return call.items[i].Selected;
  return 0;
}

intptr_t Host3::Message(Flags64 flags, const FarChar *help, const FarChar *const *items,
                        size_t count, intptr_t buttons) {
  // At least a title and one line; the first button (or OK) is chosen.
  if (!items || count < 2) return -1;
  if (!shows_.Allow("message box", &hostFaults)) return -1;
  MessageCall3 call;
  call.flags = flags;
  call.helpTopic = TextOf(help);
  for (size_t i = 0; i < count; ++i) call.lines.push_back(TextOf(items[i]));
  messageBoxes.push_back(call);
  std::vector<std::string> parts = {"message"};
  for (const std::u16string &line : call.lines) {
    parts.push_back(" [");
    parts.push_back(Utf8(line));
    parts.push_back("]");
  }
  if (report) report(parts);
  if (trace) {
    std::string text;
    for (const std::string &part : parts) text += part;
    Trace(depth_, text);
  }
  (void)buttons;
  return 0;
}

}  // namespace sim
