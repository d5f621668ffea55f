#include "assists/input_filter.h"

#include <cstring>

#include "assists/braces.h"
#include "editor/far_editor.h"
#include "macros/expand.h"
#include "plugin/plugin.h"

int Busy = 0;

bool IsBlank(const char *text) {
  for (; *text; ++text)
    if (*text != ' ') return false;
  return true;
}

bool IsBlank(const char *text, int length) {
  for (int i = 0; i < length; ++i)
    if (text[i] != ' ') return false;
  return true;
}

bool IsSourceFileName(const char *fileName) {
  const char *dot = std::strrchr(fileName, '.');
  if (!dot) return false;
  static const char *const extensions[] = {".cpp", ".c", ".h", ".hpp"};
  for (const char *ext : extensions) {
    const char *a = dot;
    const char *b = ext;
    while (*a && *b) {
      char c = *a;
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
      if (c != *b) break;
      ++a;
      ++b;
    }
    if (!*a && !*b) return true;
  }
  return false;
}

extern "C" int WINAPI ProcessEditorInput(const INPUT_RECORD *Rec) {
  // Everything up to the host's file name reads only the record: ordinary keys
  // cost no call into the host. The trigger test comes first, as it turns
  // away nearly every event; the other tests read the same record.
  if (!Rec) return 0;
  const KEY_EVENT_RECORD &key = Rec->Event.KeyEvent;
  const unsigned char c = KeyChar(*Rec);
  if (c != ' ' && c != '}' && key.wVirtualKeyCode != VK_RETURN) return 0;
  if (Busy) return 0;
  if (Rec->EventType != KEY_EVENT || !key.bKeyDown) return 0;
  if (!FarEditor) return 0;

  EditorInfo ei;
  std::memset(&ei, 0, sizeof(ei));
  FarEditor->Control(ECTL_GETINFO, &ei);
  if (!ei.FileName || !IsSourceFileName(ei.FileName)) return 0;

  if (c == ' ') return ExpandKeyword() ? 1 : 0;
  if (c == '}') return AlignClosingBrace();

  EditorGetString line;
  FarEditor->GetString(&line, -1);
  return IndentAfterBrace(Rec, ei.CurPos, line);
}
