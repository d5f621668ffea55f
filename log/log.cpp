#include "log/log.h"

#include "files/files.h"

#include <cstdarg>
#include <cstring>
#include <ctime>

FILE *LogFile = nullptr;
const char LogPath[] = "d:\\mendaw\\far\\vorlane\\vorlane.log";
const char *LogTarget = LogPath;

namespace {

// Writes text with every line feed turned into CR LF, the same bytes on every
// platform whatever its C library's text mode would do.
void WriteWithCrLf(FILE *f, const char *text) {
  const char *p = text;
  while (*p) {
    const char *nl = std::strchr(p, '\n');
    size_t n = nl ? static_cast<size_t>(nl - p) : std::strlen(p);
    if (n) std::fwrite(p, 1, n, f);
    if (!nl) break;
    std::fwrite("\r\n", 1, 2, f);
    p = nl + 1;
  }
}

}  // namespace

void OpenLog(const char *path) {
  if (LogFile) CloseLog();
  char buffer[260];
  std::strncpy(buffer, path, sizeof(buffer) - 1);
  buffer[sizeof(buffer) - 1] = '\0';
  LogFile = files::Open(buffer, "ab");
  if (!LogFile) std::fprintf(stderr, "Can't open log file '%s'\n", buffer);
}

void CloseLog() {
  if (LogFile) std::fclose(LogFile);
  LogFile = nullptr;
}

void WriteLog(const char *format, ...) {
  char message[10240];
  va_list args;
  va_start(args, format);
  std::vsnprintf(message, sizeof(message), format, args);
  va_end(args);
  message[sizeof(message) - 1] = '\0';  // a longer message is cut here

  char stamp[64];
  std::time_t now = std::time(nullptr);
  std::tm *local = std::localtime(&now);
  if (!local || !std::strftime(stamp, sizeof(stamp), "%d.%m.%Y %H:%M:%S", local))
    std::strcpy(stamp, "00.00.0000 00:00:00");

  OpenLog(LogTarget);
  if (!LogFile) return;
  WriteWithCrLf(LogFile, stamp);
  std::fputc(' ', LogFile);
  WriteWithCrLf(LogFile, message);
  WriteWithCrLf(LogFile, "\n");
  std::fflush(LogFile);
  CloseLog();
}
