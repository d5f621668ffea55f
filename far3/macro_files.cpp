// Where the Far 3 edition's macros come from: the user's file in the Far
// profile, else the default beside the DLL; the Edit macro file button; and
// the reload when an editor saves the macro file.
#include "assists/windows_api.h"  // first: it declares what the rest uses
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "far3/edition.h"
#include "files/files.h"
#include "macros/utf8.h"

namespace far3 {

namespace {

// Windows' longest path, NUL included.
constexpr size_t PathLimit = 32768;

#ifdef _WIN32
const FarChar Separator = L'\\';
#else
const FarChar Separator = u'/';
#endif

// The file the table was last read from (empty: none).
FarChar InUse[PathLimit];
FarChar Scratch[PathLimit];

const FarChar MacroFileTopic[] = FAR3_TEXT("MacroFile");

bool Append(FarChar *path, size_t *length, const char *ascii) {
  for (; *ascii; ++ascii) {
    if (*length + 1 >= PathLimit) return false;
    path[(*length)++] = *ascii == '\\' ? Separator : static_cast<FarChar>(*ascii);
  }
  path[*length] = 0;
  return true;
}

// %FARPROFILE%, the folder of the user's roaming profile; false when the host
// did not set it.
bool ProfileFolder(FarChar *out, size_t *length) {
#ifdef _WIN32
  DWORD n = GetEnvironmentVariableW(L"FARPROFILE", out, static_cast<DWORD>(PathLimit));
  if (n == 0 || n >= PathLimit) return false;
  *length = n;
#else
  const char *value = std::getenv("FARPROFILE");
  if (!value || !value[0]) return false;
  size_t bytes = std::strlen(value);
  if (bytes >= PathLimit) return false;  // UTF-8 never takes fewer bytes than units
  *length = DecodeUtf8(value, bytes, out);
  out[*length] = 0;
#endif
  return true;
}

bool ProfileMacroPath(FarChar *out) {
  size_t n = 0;
  return ProfileFolder(out, &n) && Append(out, &n, "\\PluginsData\\vorlane\\vorlane.mac");
}

// x.dll reads x.mac.
bool ModuleMacroPath(FarChar *out) {
  const FarChar *module = StartupInfo.ModuleName;
  if (!module) return false;
  size_t n = TextLength(module);
  if (n >= PathLimit) return false;
  std::memcpy(out, module, (n + 1) * sizeof(FarChar));
  BuildMacroPath(out);
  return out[0] != 0;
}

#ifndef _WIN32
// The native file system's name for a path: its UTF-8 bytes (malloc'ed).
char *NativePath(const FarChar *path) {
  size_t n = TextLength(path);
  char *bytes = static_cast<char *>(std::malloc(3 * n + 1));
  if (bytes) bytes[EncodeUtf8(path, n, bytes)] = '\0';
  return bytes;
}
#endif

FILE *OpenFile(const FarChar *path, const char *mode) {
  if (!path[0]) return nullptr;
#ifdef _WIN32
  wchar_t wideMode[4] = {0};
  for (int i = 0; i < 3 && mode[i]; ++i) wideMode[i] = static_cast<wchar_t>(mode[i]);
  return _wfopen(path, wideMode);
#else
  char *native = NativePath(path);
  FILE *f = native ? files::Open(native, mode) : nullptr;
  std::free(native);
  return f;
#endif
}

bool MakeFolder(const FarChar *path) {
#ifdef _WIN32
  return CreateDirectoryW(path, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
#else
  char *native = NativePath(path);
  bool made = native && files::MakeFolder(native);
  std::free(native);
  return made;
#endif
}

void RemoveFile(const FarChar *path) {
#ifdef _WIN32
  DeleteFileW(path);
#else
  char *native = NativePath(path);
  if (native) files::Remove(native);
  std::free(native);
#endif
}

bool Exists(const FarChar *path) {
  FILE *f = OpenFile(path, "rb");
  if (f) std::fclose(f);
  return f != nullptr;
}

// Byte for byte; a copy that fails half-way is removed.
bool CopyBytes(const FarChar *from, const FarChar *to) {
  FILE *in = OpenFile(from, "rb");
  FILE *out = OpenFile(to, "wb");
  bool ok = in && out;
  unsigned char buffer[4096];
  while (ok) {
    size_t n = std::fread(buffer, 1, sizeof(buffer), in);
    if (n == 0) {
      ok = !std::ferror(in);
      break;
    }
    ok = std::fwrite(buffer, 1, n, out) == n;
  }
  if (in) std::fclose(in);
  if (out && std::fclose(out) != 0) ok = false;
  if (!ok && out) RemoveFile(to);
  return ok;
}

// The user's profile folder for us, made when missing:
// %FARPROFILE%\PluginsData\vorlane.
bool MakeProfileFolders() {
  size_t n = 0;
  if (!ProfileFolder(Scratch, &n)) return false;
  return Append(Scratch, &n, "\\PluginsData") && MakeFolder(Scratch) &&
         Append(Scratch, &n, "\\vorlane") && MakeFolder(Scratch);
}

// Windows file names: letter case and the two slashes do not matter.
bool SamePath(const FarChar *a, const FarChar *b) {
  if (!a[0] || !b[0]) return false;
  for (;; ++a, ++b) {
    FarChar x = *a, y = *b;
    if (x >= 'A' && x <= 'Z') x = static_cast<FarChar>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<FarChar>(y + 32);
    if (x == '/') x = '\\';
    if (y == '/') y = '\\';
    if (x != y) return false;
    if (!x) return true;
  }
}

void Remember(const FarChar *path) {
  size_t n = TextLength(path);
  if (n >= PathLimit) n = 0;
  std::memcpy(InUse, path, n * sizeof(FarChar));
  InUse[n] = 0;
}

// The editor's text as the bytes of a UTF-8 file, one line feed after each
// line. False when the editor would not give a line or memory ran out.
bool ReadEditorText(intptr_t editorId, char **bytesOut, size_t *sizeOut) {
  if (!StartupInfo.EditorControl) return false;
  EditorInfo ei{};
  ei.StructSize = sizeof(ei);
  if (!StartupInfo.EditorControl(editorId, ECTL_GETINFO, 0, &ei) || ei.TotalLines < 0) return false;
  char *bytes = nullptr;
  size_t size = 0, capacity = 0;
  for (intptr_t i = 0; i < ei.TotalLines; ++i) {
    EditorGetString egs{};
    egs.StructSize = sizeof(egs);
    egs.StringNumber = i;
    bool ok = StartupInfo.EditorControl(editorId, ECTL_GETSTRING, 0, &egs) != 0 && egs.StringText &&
              egs.StringLength >= 0;
    // At most three bytes per unit (a surrogate pair's two give four), and
    // the line feed.
    const size_t units = ok ? static_cast<size_t>(egs.StringLength) : 0;
    ok = ok && units <= (SIZE_MAX - size - 1) / 3;
    if (ok && capacity - size < 3 * units + 1) {
      size_t grown = capacity * 2 > size + 3 * units + 1 ? capacity * 2 : size + 3 * units + 1;
      char *more = static_cast<char *>(std::realloc(bytes, grown));
      ok = more != nullptr;
      if (ok) {
        bytes = more;
        capacity = grown;
      }
    }
    if (!ok) {
      std::free(bytes);
      return false;
    }
    size += EncodeUtf8(egs.StringText, units, bytes + size);
    bytes[size++] = '\n';
  }
  *bytesOut = bytes;
  *sizeOut = size;
  return true;
}

void NoteTabMacros() {
  TabMacros = false;
  for (int i = 0; i < MacroCount && !TabMacros; ++i) TabMacros = MacroTable[i].Trigger == MacroTrigger::Tab;
}

}  // namespace

void FreeMacros() {
  FreeMacroEntries(MacroTable, static_cast<size_t>(MacroCount));
  MacroTable = nullptr;
  MacroCount = 0;
  TabMacros = false;
  FreeMacroSections(&Sections);
}

void LoadMacros() {
  MacroTable = nullptr;
  MacroCount = 0;
  FreeMacroSections(&Sections);
  FILE *f = ProfileMacroPath(Scratch) ? OpenFile(Scratch, "rb") : nullptr;
  if (!f && ModuleMacroPath(Scratch)) f = OpenFile(Scratch, "rb");
  Remember(f ? Scratch : Empty);
  Sections.valid = &MasksValid;
  LoadMacroTable<FarChar>(f, nullptr, &MacroTable, &MacroCount, &Sections);
  NoteTabMacros();
}

bool SectionApplies(int k, const FarChar *fileName) {
  const FarChar *masks = Sections.masks[k - 1];
  return masks && fileName && fileName[0] && NameMatchesList(masks, fileName);
}

const MacroEntry *FindMacroFor(const FarChar *name, const FarChar *fileName) {
  // A section's masks are asked only when it defines the name.
  return FindMacroInSections<FarChar>(MacroTable, MacroCount, Sections, name,
                                      [fileName](int k) { return SectionApplies(k, fileName); });
}

const MacroEntry *FindTabMacroFor(const FarChar *text, int length, const FarChar *fileName) {
  return FindTabMacroIn<FarChar>(MacroTable, MacroCount, Sections, text, length,
                                 [fileName](int k) { return SectionApplies(k, fileName); });
}

void EditMacroFile() {
  static FarChar profile[PathLimit];
  const FarChar *path = profile;
  if (!ProfileMacroPath(profile)) {
    // No profile to copy into: the default is all there is.
    if (!ModuleMacroPath(Scratch)) return;
    path = Scratch;
  } else if (!Exists(profile)) {
    bool copied = MakeProfileFolders();
    if (copied && ModuleMacroPath(Scratch) && Exists(Scratch)) copied = CopyBytes(Scratch, profile);
    if (!copied) {
      ShowMessage(MacroFileTopic, GetMsgText(MNoProfileCopy), profile);
      return;
    }
  }
  if (!StartupInfo.Editor) return;
  // Non-modal and back at once: the dialog is gone and the user edits in an
  // ordinary editor window. The file is UTF-8.
  StartupInfo.Editor(path, nullptr, 0, 0, -1, -1, EF_NONMODAL | EF_IMMEDIATERETURN, -1, -1,
                     CP_UTF8_FILE);
}

void MacroFileSaving(intptr_t editorId, const FarChar *fileName) {
  if (!fileName) return;
  static FarChar profile[PathLimit];
  const bool profileFile = ProfileMacroPath(profile) && SamePath(fileName, profile);
  if (!profileFile && !SamePath(fileName, InUse)) return;
  // The host writes the file after this event: the new macros are the text
  // the editor holds now.
  char *bytes = nullptr;
  size_t size = 0;
  MacroEntry *table = nullptr;
  int count = 0;
  MacroSections<FarChar> sections;
  sections.valid = &MasksValid;
  bool read = ReadEditorText(editorId, &bytes, &size);
  if (read) read = LoadMacroTableFromBytes<FarChar>(bytes, size, &table, &count, &sections);
  std::free(bytes);
  if (!read) {
    ShowMessage(MacroFileTopic, GetMsgText(MMacroFileUnread), fileName, GetMsgText(MMacrosKept));
    return;
  }
  FreeMacros();
  MacroTable = table;
  MacroCount = count;
  Sections = sections;
  NoteTabMacros();  // the saved file's triggers
  Remember(fileName);
}

void ShowMessage(const FarChar *helpTopic, const FarChar *line1, const FarChar *line2,
                 const FarChar *line3) {
  if (!StartupInfo.Message) return;
  const FarChar *title = GetMsgText(MDialogTitle);
  const FarChar *items[4] = {title ? title : Empty, line1 ? line1 : Empty};
  size_t count = 2;
  if (line2) items[count++] = line2;
  if (line3) items[count++] = line3;
  StartupInfo.Message(&PluginGuid, &MessageGuid, FMSG_WARNING | FMSG_MB_OK, helpTopic, items,
                      count, 0);
}

}  // namespace far3
