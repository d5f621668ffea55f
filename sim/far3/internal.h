// What the Far 3 face's service files share: the record names they use and
// the checks Far makes of every record and text it is given.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "sim/far3/stand_in.h"

namespace sim {

using far3::FarChar;
using far3::GUID;
using far3::Flags64;
using far3::FarDialogItem;
using far3::PluginStartupInfo;
using far3::FarStandardFunctions;
using far3::PluginInfo;
using far3::OpenInfo;
using far3::ExitInfo;
using far3::GlobalInfo;
using far3::ProcessEditorInputInfo;
using far3::EditorInfo;
using far3::EditorGetString;
using far3::EditorSetString;
using far3::EditorSetPosition;
using far3::EditorUndoRedo;
using far3::Rect;
using far3::ECTL_GETSTRING;
using far3::ECTL_SETSTRING;
using far3::ECTL_GETINFO;
using far3::ECTL_SETPOSITION;
using far3::ECTL_REDRAW;
using far3::ECTL_PROCESSINPUT;
using far3::ECTL_GETFILENAME;
using far3::ECTL_UNDOREDO;
using far3::EOPT_EXPANDALLTABS;
using far3::EOPT_AUTOINDENT;
using far3::EOPT_CURSORBEYONDEOL;
using far3::OPEN_EDITOR;

// The host the plug-in's calls of the host's functions reach.
void SetCurrent(Host3 *host);

// Far's check of a record's StructSize: its own size or more (a newer
// plug-in), up to a sane limit; less is refused.
inline bool SizeFits(size_t structSize, size_t minimum) {
  return structSize >= minimum && structSize <= 65536;
}

inline std::u16string TextOf(const FarChar *text) {
  std::u16string out;
  if (text)
    for (; *text; ++text) out += static_cast<char16_t>(*text);
  return out;
}

inline bool IsUndoKey(const INPUT_RECORD &rec) {
  const DWORD ctrl = LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED;
  return IsKeyDown(rec) && rec.Event.KeyEvent.wVirtualKeyCode == 'Z' &&
         (rec.Event.KeyEvent.dwControlKeyState & ctrl) != 0 &&
         (rec.Event.KeyEvent.dwControlKeyState & (SHIFT_PRESSED | LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED)) == 0;
}


}  // namespace sim
