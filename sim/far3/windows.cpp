// The Far 3 face: editor windows the plug-in opens, switching between them,
// and saving with the EE_SAVE event.
#include "sim/far3/internal.h"

#include <cstdio>

#include "files/files.h"

namespace sim {

intptr_t Host3::OpenEditor(const FarChar *name, Flags64 flags, intptr_t startLine,
                           intptr_t startChar, uintptr_t codePage) {
  EditorCall3 call;
  call.fileName = TextOf(name);
  call.flags = flags;
  call.startLine = startLine;
  call.startChar = startChar;
  call.codePage = codePage;
  if (trace) Trace(depth_, "editor open \"" + Utf8(call.fileName) + "\"");
  if (call.fileName.empty()) {
    editorCalls.push_back(call);
    return 0;
  }
  // A file that does not exist opens as a new, empty one.
  std::string bytes;
  ReadFileBytes(call.fileName, &bytes);
  SendEvent(far3::EE_KILLFOCUS, nullptr);
  Window previous{static_cast<const TextEditor<char16_t> &>(*this), fileName, undoRecords, stepsHeld_,
                  newStep_, editorId, lastChangePos_};
  otherWindows_.push_back(std::move(previous));
  SetTextUtf8(bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? bytes.substr(3) : bytes);
  curLine = curPos = topLine = leftPos = 0;
  fileName = call.fileName;
  undoRecords.clear();
  stepsHeld_ = 0;
  newStep_ = false;
  lastChangePos_ = 0;
  editorId = nextEditorId_++;
  SendEvent(far3::EE_GOTFOCUS, nullptr);
  SendEvent(far3::EE_READ, nullptr);
  // Non-modal with an immediate return: this build answers EEC_MODIFIED.
  call.result = 1;
  editorCalls.push_back(call);
  if (report) report({"editor opened ", Utf8(call.fileName)});
  return call.result;
}

void Host3::NextWindow() {
  if (otherWindows_.empty()) return;
  SendEvent(far3::EE_KILLFOCUS, nullptr);
  Window next = std::move(otherWindows_.front());
  otherWindows_.pop_front();
  Window current{static_cast<const TextEditor<char16_t> &>(*this), fileName, undoRecords, stepsHeld_,
                 newStep_, editorId, lastChangePos_};
  otherWindows_.push_back(std::move(current));
  static_cast<TextEditor<char16_t> &>(*this) = next.editor;
  fileName = next.fileName;
  undoRecords = next.undo;
  stepsHeld_ = next.stepsHeld;
  newStep_ = next.newStep;
  editorId = next.id;
  lastChangePos_ = next.lastChangePos;
  if (trace) Trace(depth_, "window \"" + Utf8(fileName) + "\"");
  SendEvent(far3::EE_GOTFOCUS, nullptr);
}

void Host3::Save(const std::u16string &name) {
  // The event comes first; the file is written after it, with whatever the
  // plug-in changed in the text meanwhile.
  static const char16_t eol[] = u"\r\n";
  far3::EditorSaveFile save;
  std::memset(&save, 0, sizeof(save));
  save.StructSize = sizeof(save);
  save.FileName = reinterpret_cast<const FarChar *>(name.c_str());
  save.FileEOL = reinterpret_cast<const FarChar *>(eol);
  save.CodePage = 65001;
  saving_ = true;
  SendEvent(far3::EE_SAVE, &save);
  saving_ = false;
  if (trace) Trace(depth_, "save \"" + Utf8(name) + "\"");
  if (WriteFileBytes(name, TextUtf8())) fileName = name;
}

namespace {

FILE *OpenPath(const std::u16string &path, bool write) {
#ifdef _WIN32
  return _wfopen(reinterpret_cast<const wchar_t *>(path.c_str()), write ? L"wb" : L"rb");
#else
  return files::Open(Utf8(path).c_str(), write ? "wb" : "rb");
#endif
}

}  // namespace

bool ReadFileBytes(const std::u16string &path, std::string *bytes) {
  bytes->clear();
  FILE *f = OpenPath(path, false);
  if (!f) return false;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0) bytes->append(buffer, n);
  std::fclose(f);
  return true;
}

bool WriteFileBytes(const std::u16string &path, const std::string &bytes) {
  FILE *f = OpenPath(path, true);
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace sim
