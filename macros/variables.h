// Variables in macro bodies (Far 3): words that type, at playback, what the
// editor knows where the macro is typed (the file's name, the line, the word
// under the cursor, the comment markers of C/C++). Each word answers to one
// snippet-file variable, so that an imported $NAME maps to it one for one.
#pragma once

#include <cstddef>

#include "macros/fields.h"

enum class Variable {
  None = -1,
  FileName,    // the file's name, without its folder
  FileBase,    // ...without its last extension
  Directory,   // the file's folder
  FilePath,    // the file's full path
  LineNumber,  // the cursor's line, 1-based
  LineIndex,   // ...0-based
  LineText,    // the cursor's line as it stands
  Word,        // the word under the cursor
  LineComment,
  BlockStart,
  BlockEnd,
  Year,        // four digits
  YearShort,   // two
  Month,       // 01 to 12
  MonthName,   // January
  MonthShort,  // Jan
  Day,         // the day of the month, 01 to 31
  DayName,     // Monday
  DayShort,    // Mon
  Hour,        // 00 to 23
  Minute,
  Second,
  UnixSeconds,
  TimeZone,    // the offset from UTC, +01:00
  Random,      // six decimal digits
  RandomHex,   // six hexadecimal digits
  Uuid,        // a new version 4 UUID
  Selection,   // the block selected when the macro was picked (typed by playback)
  Clipboard,   // the clipboard's text (typed by playback)
};

struct VariableWord {
  const char *word;     // in a macro body
  const char *snippet;  // the snippet files' name for it
  Variable variable;
};

constexpr VariableWord VariableWords[] = {
    {"filename", "TM_FILENAME", Variable::FileName},
    {"filebase", "TM_FILENAME_BASE", Variable::FileBase},
    {"directory", "TM_DIRECTORY", Variable::Directory},
    {"filepath", "TM_FILEPATH", Variable::FilePath},
    {"linenumber", "TM_LINE_NUMBER", Variable::LineNumber},
    {"lineindex", "TM_LINE_INDEX", Variable::LineIndex},
    {"linetext", "TM_CURRENT_LINE", Variable::LineText},
    {"word", "TM_CURRENT_WORD", Variable::Word},
    {"linecomment", "LINE_COMMENT", Variable::LineComment},
    {"blockstart", "BLOCK_COMMENT_START", Variable::BlockStart},
    {"blockend", "BLOCK_COMMENT_END", Variable::BlockEnd},
    {"year", "CURRENT_YEAR", Variable::Year},
    {"year2", "CURRENT_YEAR_SHORT", Variable::YearShort},
    {"month", "CURRENT_MONTH", Variable::Month},
    {"monthname", "CURRENT_MONTH_NAME", Variable::MonthName},
    {"monthshort", "CURRENT_MONTH_NAME_SHORT", Variable::MonthShort},
    {"day", "CURRENT_DATE", Variable::Day},
    {"dayname", "CURRENT_DAY_NAME", Variable::DayName},
    {"dayshort", "CURRENT_DAY_NAME_SHORT", Variable::DayShort},
    {"hour", "CURRENT_HOUR", Variable::Hour},
    {"minute", "CURRENT_MINUTE", Variable::Minute},
    {"second", "CURRENT_SECOND", Variable::Second},
    {"unixtime", "CURRENT_SECONDS_UNIX", Variable::UnixSeconds},
    {"tzoffset", "CURRENT_TIMEZONE_OFFSET", Variable::TimeZone},
    {"random", "RANDOM", Variable::Random},
    {"randomhex", "RANDOM_HEX", Variable::RandomHex},
    {"uuid", "UUID", Variable::Uuid},
    {"selection", "TM_SELECTED_TEXT", Variable::Selection},
    {"clipboard", "CLIPBOARD", Variable::Clipboard},
};

// The local date and time a body's date words type, read once per body.
struct Clock {
  int year = 1970, month = 1, day = 1, weekday = 4;  // weekday: 0 Sunday
  int hour = 0, minute = 0, second = 0;
  long long unixSeconds = 0;
  int offsetMinutes = 0;  // local time less UTC
  unsigned long long serial = 0;  // how many times the edition read its clock
};

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
inline long long DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yoe = y - era * 400;
  const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

// "YYYY-MM-DDTHH:MM:SS+HH:MM" (or Z): a fixed clock for sessions that must
// type the same date every time; false when the text is not that.
inline bool ParseClock(const char *text, Clock *clock) {
  int v[8] = {0};
  const char seps[] = "--T::";
  const char *p = text;
  for (int i = 0; i < 6; ++i) {
    if (*p < '0' || *p > '9') return false;
    while (*p >= '0' && *p <= '9') v[i] = v[i] * 10 + (*p++ - '0');
    if (i < 5 && *p++ != seps[i]) return false;
  }
  int sign = 0;
  if (*p == 'Z' && !p[1]) {
    sign = 1;
  } else if ((*p == '+' || *p == '-') && p[1] >= '0' && p[1] <= '9' && p[2] >= '0' && p[2] <= '9' && p[3] == ':' &&
             p[4] >= '0' && p[4] <= '9' && p[5] >= '0' && p[5] <= '9' && !p[6]) {
    sign = *p == '-' ? -1 : 1;
    v[6] = (p[1] - '0') * 10 + (p[2] - '0');
    v[7] = (p[4] - '0') * 10 + (p[5] - '0');
  } else {
    return false;
  }
  if (v[1] < 1 || v[1] > 12 || v[2] < 1 || v[2] > 31 || v[3] > 23 || v[4] > 59 || v[5] > 60) return false;
  clock->year = v[0];
  clock->month = v[1];
  clock->day = v[2];
  clock->hour = v[3];
  clock->minute = v[4];
  clock->second = v[5];
  clock->offsetMinutes = sign * (v[6] * 60 + v[7]);
  const long long days = DaysFromCivil(v[0], v[1], v[2]);
  clock->weekday = static_cast<int>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
  clock->unixSeconds = days * 86400 + v[3] * 3600 + v[4] * 60 + v[5] - clock->offsetMinutes * 60LL;
  return true;
}

// Random digits for RANDOM, RANDOM_HEX and UUID: xorshift64*, seeded by the
// edition from the clock and a count of the bodies played.
inline unsigned long long NextRandom(unsigned long long *state) {
  unsigned long long x = *state ? *state : 0x9E3779B97F4A7C15ULL;
  x ^= x >> 12;
  x ^= x << 25;
  x ^= x >> 27;
  *state = x;
  return x * 0x2545F4914F6CDD1DULL;
}

// The variable a body token names, or Variable::None.
template <class Char>
Variable VariableOf(const Char *token) {
  for (const VariableWord &v : VariableWords)
    if (EqualsAscii(token, v.word)) return v.variable;
  return Variable::None;
}

// The text of `variable` where the cursor stands, into `out` (room for `room`
// units, NUL included); its length. `fileName` is the editor's (null: none),
// `line` the cursor's line (`length` units) and `pos` the cursor's index in
// it, `lineNumber` its 0-based number.
template <class Char>
size_t VariableText(Variable variable, const Char *fileName, const Char *line, int length, int pos,
                    int lineNumber, const Clock &clock, unsigned long long *random, Char *out, size_t room) {
  size_t n = 0;
  auto put = [&](Char c) {
    if (n + 1 < room) out[n++] = c;
  };
  auto putAscii = [&](const char *s) {
    for (; *s; ++s) put(static_cast<Char>(*s));
  };
  auto putTwo = [&](int value) {
    put(static_cast<Char>('0' + value / 10 % 10));
    put(static_cast<Char>('0' + value % 10));
  };
  auto putHex = [&](unsigned long long bits, int digits) {
    for (int i = digits - 1; i >= 0; --i) put(static_cast<Char>("0123456789abcdef"[(bits >> (4 * i)) & 15]));
  };
  static const char *const months[] = {"January", "February", "March",     "April",   "May",      "June",
                                       "July",    "August",   "September", "October", "November", "December"};
  static const char *const days[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  auto putShort = [&](const char *name) {
    for (int i = 0; i < 3 && name[i]; ++i) put(static_cast<Char>(name[i]));
  };
  auto putNumber = [&](long long value) {
    char digits[24];
    int k = 0;
    do {
      digits[k++] = static_cast<char>('0' + value % 10);
      value /= 10;
    } while (value > 0 && k < 23);
    while (k > 0) put(static_cast<Char>(digits[--k]));
  };
  // The name's parts: its folder ends at the last separator, its base at the
  // last dot after that.
  const Char *name = fileName;  // read only within nameLength, 0 without a name
  size_t nameLength = 0, slash = 0, dot = 0;
  bool hasSlash = false, hasDot = false;
  if (fileName) {
    for (; fileName[nameLength]; ++nameLength) {
      if (fileName[nameLength] == '\\' || fileName[nameLength] == '/') {
        slash = nameLength;
        hasSlash = true;
        hasDot = false;
      } else if (fileName[nameLength] == '.') {
        dot = nameLength;
        hasDot = true;
      }
    }
  }
  const size_t baseStart = hasSlash ? slash + 1 : 0;
  switch (variable) {
    case Variable::FileName:
      for (size_t i = baseStart; i < nameLength; ++i) put(name[i]);
      break;
    case Variable::FileBase:
      for (size_t i = baseStart; i < (hasDot && dot > baseStart ? dot : nameLength); ++i) put(name[i]);
      break;
    case Variable::Directory:
      for (size_t i = 0; hasSlash && i < slash; ++i) put(name[i]);
      break;
    case Variable::FilePath:
      for (size_t i = 0; i < nameLength; ++i) put(name[i]);
      break;
    case Variable::LineNumber:
      putNumber(lineNumber + 1L);
      break;
    case Variable::LineIndex:
      putNumber(lineNumber);
      break;
    case Variable::LineText:
      for (int i = 0; i < length; ++i) put(line[i]);
      break;
    case Variable::Word: {
      auto inWord = [](Char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c >= 0x80;
      };
      int start = pos < length ? pos : length, end = start;
      while (start > 0 && inWord(line[start - 1])) --start;
      while (end < length && inWord(line[end])) ++end;
      for (int i = start; i < end; ++i) put(line[i]);
      break;
    }
    case Variable::LineComment:
      putAscii("//");
      break;
    case Variable::BlockStart:
      putAscii("/*");
      break;
    case Variable::BlockEnd:
      putAscii("*/");
      break;
    case Variable::Year:
      putNumber(clock.year);
      break;
    case Variable::YearShort:
      putTwo(clock.year % 100);
      break;
    case Variable::Month:
      putTwo(clock.month);
      break;
    case Variable::MonthName:
      putAscii(months[(clock.month + 11) % 12]);
      break;
    case Variable::MonthShort:
      putShort(months[(clock.month + 11) % 12]);
      break;
    case Variable::Day:
      putTwo(clock.day);
      break;
    case Variable::DayName:
      putAscii(days[((clock.weekday % 7) + 7) % 7]);
      break;
    case Variable::DayShort:
      putShort(days[((clock.weekday % 7) + 7) % 7]);
      break;
    case Variable::Hour:
      putTwo(clock.hour);
      break;
    case Variable::Minute:
      putTwo(clock.minute);
      break;
    case Variable::Second:
      putTwo(clock.second);
      break;
    case Variable::UnixSeconds:
      if (clock.unixSeconds < 0) put('-');
      putNumber(clock.unixSeconds < 0 ? -clock.unixSeconds : clock.unixSeconds);
      break;
    case Variable::TimeZone: {
      const int m = clock.offsetMinutes < 0 ? -clock.offsetMinutes : clock.offsetMinutes;
      put(clock.offsetMinutes < 0 ? '-' : '+');
      putTwo(m / 60);
      put(':');
      putTwo(m % 60);
      break;
    }
    case Variable::Random:
      for (int i = 0; i < 6; ++i) put(static_cast<Char>('0' + NextRandom(random) % 10));
      break;
    case Variable::RandomHex:
      putHex(NextRandom(random), 6);
      break;
    case Variable::Uuid: {
      const unsigned long long a = NextRandom(random), b = NextRandom(random);
      putHex(a >> 32, 8);
      put('-');
      putHex(a >> 16, 4);
      put('-');
      putHex(0x4000 | (a & 0x0FFF), 4);  // version 4
      put('-');
      putHex(0x8000 | ((b >> 48) & 0x3FFF), 4);  // the RFC's variant
      put('-');
      putHex(b, 12);
      break;
    }
    case Variable::Selection:  // the playback types it, line by line
    case Variable::Clipboard:
    case Variable::None:
      break;
  }
  if (room) out[n] = 0;
  return n;
}
