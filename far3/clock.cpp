// The Far 3 edition's clock for the date words of macro bodies.
#include "assists/windows_api.h"  // first: it declares what the rest uses
#include <cstdlib>
#include <ctime>

#include "far3/edition.h"

namespace far3 {

namespace {
unsigned long long Reads = 0;  // since the plug-in started
}

void ResetClockReads() { Reads = 0; }

void Edition::ReadClock(Clock *clock) {
  clock->serial = ++Reads;
  // A fixed clock first: a session that must type the same date every time
  // (tests, demonstrations) sets it in the environment, as FARPROFILE is.
#ifdef _WIN32
  char fixed[64];
  const DWORD n = GetEnvironmentVariableA("VORLANE_CLOCK", fixed, sizeof(fixed));
  if (n > 0 && n < sizeof(fixed) && ParseClock(fixed, clock)) return;
  SYSTEMTIME local;
  GetLocalTime(&local);
  clock->year = local.wYear;
  clock->month = local.wMonth;
  clock->day = local.wDay;
  clock->weekday = local.wDayOfWeek;
  clock->hour = local.wHour;
  clock->minute = local.wMinute;
  clock->second = local.wSecond;
  // Seconds since 1601 in 100 ns units, to seconds since 1970.
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const unsigned long long ticks = (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  clock->unixSeconds = static_cast<long long>(ticks / 10000000ULL) - 11644473600LL;
  // The offset as the local fields and UTC differ, whatever the zone's rules.
  const long long localSeconds = DaysFromCivil(clock->year, clock->month, clock->day) * 86400 +
                                 clock->hour * 3600 + clock->minute * 60 + clock->second;
  const long long diff = localSeconds - clock->unixSeconds;
  clock->offsetMinutes = static_cast<int>((diff >= 0 ? diff + 30 : diff - 30) / 60);
#else
  const char *fixed = std::getenv("VORLANE_CLOCK");
  if (fixed && ParseClock(fixed, clock)) return;
  const std::time_t now = std::time(nullptr);
  std::tm local;
  localtime_r(&now, &local);
  clock->year = local.tm_year + 1900;
  clock->month = local.tm_mon + 1;
  clock->day = local.tm_mday;
  clock->weekday = local.tm_wday;
  clock->hour = local.tm_hour;
  clock->minute = local.tm_min;
  clock->second = local.tm_sec;
  clock->unixSeconds = static_cast<long long>(now);
  clock->offsetMinutes = static_cast<int>(local.tm_gmtoff / 60);
#endif
}

#ifndef _WIN32
const char16_t *(*StandInClipboard)(size_t *length) = nullptr;
#endif

void Edition::ReadClipboard(FarChar **text, size_t *length) {
  *text = nullptr;
  *length = 0;
#ifdef _WIN32
  if (!OpenClipboard(nullptr)) return;
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  const wchar_t *units = data ? static_cast<const wchar_t *>(GlobalLock(data)) : nullptr;
  if (units) {
    size_t n = 0;
    while (units[n]) ++n;
    *text = static_cast<FarChar *>(std::malloc((n + 1) * sizeof(FarChar)));
    if (*text) {
      for (size_t i = 0; i < n; ++i) (*text)[i] = units[i];
      (*text)[n] = 0;
      *length = n;
    }
    GlobalUnlock(data);
  }
  CloseClipboard();
#else
  size_t n = 0;
  const char16_t *units = StandInClipboard ? StandInClipboard(&n) : nullptr;
  if (!units || n == 0) return;
  *text = static_cast<FarChar *>(std::malloc((n + 1) * sizeof(FarChar)));
  if (!*text) return;
  for (size_t i = 0; i < n; ++i) (*text)[i] = units[i];
  (*text)[n] = 0;
  *length = n;
#endif
}

}  // namespace far3
