// The Win32 console input both hosts hand to the plug-in, and the base types
// of their interfaces: from <windows.h> on Windows, declared with the same
// layout elsewhere so that the same plug-in code builds and is tested there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(_WIN32) && defined(_WINDOWS_)
// <windows.h> came first (a file that calls the Win32 API): its declarations.
#elif defined(_WIN32)
// Declared as <windows.h> declares them, names and tags alike, so that files
// with and without it agree; the header itself is left to the few files that
// call the Win32 API (parsing it made up most of each file's compile time).
// Such a file includes it before any header of ours.
#ifndef WINAPI
#define WINAPI __stdcall
#endif
typedef int BOOL;
typedef char CHAR;
typedef short SHORT;
typedef wchar_t WCHAR;
typedef unsigned short WORD;
typedef unsigned long DWORD;
typedef unsigned int UINT;
#ifdef _WIN64
typedef long long INT_PTR;
#else
typedef int INT_PTR;
#endif
typedef void *HANDLE;

typedef struct _COORD {
  SHORT X;
  SHORT Y;
} COORD;
typedef struct _KEY_EVENT_RECORD {
  BOOL bKeyDown;
  WORD wRepeatCount;
  WORD wVirtualKeyCode;
  WORD wVirtualScanCode;
  union {
    WCHAR UnicodeChar;
    CHAR AsciiChar;
  } uChar;
  DWORD dwControlKeyState;
} KEY_EVENT_RECORD;
typedef struct _MOUSE_EVENT_RECORD {
  COORD dwMousePosition;
  DWORD dwButtonState;
  DWORD dwControlKeyState;
  DWORD dwEventFlags;
} MOUSE_EVENT_RECORD;
typedef struct _WINDOW_BUFFER_SIZE_RECORD {
  COORD dwSize;
} WINDOW_BUFFER_SIZE_RECORD;
typedef struct _MENU_EVENT_RECORD {
  UINT dwCommandId;
} MENU_EVENT_RECORD;
typedef struct _FOCUS_EVENT_RECORD {
  BOOL bSetFocus;
} FOCUS_EVENT_RECORD;
typedef struct _INPUT_RECORD {
  WORD EventType;
  union {
    KEY_EVENT_RECORD KeyEvent;
    MOUSE_EVENT_RECORD MouseEvent;
    WINDOW_BUFFER_SIZE_RECORD WindowBufferSizeEvent;
    MENU_EVENT_RECORD MenuEvent;
    FOCUS_EVENT_RECORD FocusEvent;
  } Event;
} INPUT_RECORD;
#ifndef GUID_DEFINED
#define GUID_DEFINED
typedef struct _GUID {
  unsigned long Data1;
  unsigned short Data2;
  unsigned short Data3;
  unsigned char Data4[8];
} GUID;
#endif

#define KEY_EVENT 0x1
#define MOUSE_EVENT 0x2
#define WINDOW_BUFFER_SIZE_EVENT 0x4
#define MENU_EVENT 0x8
#define FOCUS_EVENT 0x10
#define RIGHT_ALT_PRESSED 0x1
#define LEFT_ALT_PRESSED 0x2
#define RIGHT_CTRL_PRESSED 0x4
#define LEFT_CTRL_PRESSED 0x8
#define SHIFT_PRESSED 0x10
#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_PRIOR 0x21
#define VK_NEXT 0x22
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_INSERT 0x2D
#define VK_DELETE 0x2E
#define VK_F1 0x70
#define VK_F2 0x71
#define INVALID_HANDLE_VALUE ((HANDLE)(INT_PTR)-1)
#else
#define WINAPI
typedef int BOOL;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef intptr_t INT_PTR;
typedef void *HANDLE;

struct KEY_EVENT_RECORD {
  BOOL bKeyDown;
  WORD wRepeatCount;
  WORD wVirtualKeyCode;
  WORD wVirtualScanCode;
  union {
    uint16_t UnicodeChar;
    char AsciiChar;
  } uChar;
  DWORD dwControlKeyState;
};

struct INPUT_RECORD {
  WORD EventType;
  union {
    KEY_EVENT_RECORD KeyEvent;
    unsigned char Raw[16];
  } Event;
};

enum : WORD {
  KEY_EVENT = 0x1,
  MOUSE_EVENT = 0x2,
  WINDOW_BUFFER_SIZE_EVENT = 0x4,
  MENU_EVENT = 0x8,
  FOCUS_EVENT = 0x10,
};
enum : DWORD {
  RIGHT_ALT_PRESSED = 0x1,
  LEFT_ALT_PRESSED = 0x2,
  RIGHT_CTRL_PRESSED = 0x4,
  LEFT_CTRL_PRESSED = 0x8,
  SHIFT_PRESSED = 0x10,
};
enum : WORD {
  VK_BACK = 0x08,
  VK_TAB = 0x09,
  VK_RETURN = 0x0D,
  VK_ESCAPE = 0x1B,
  VK_SPACE = 0x20,
  VK_PRIOR = 0x21,
  VK_NEXT = 0x22,
  VK_END = 0x23,
  VK_HOME = 0x24,
  VK_LEFT = 0x25,
  VK_UP = 0x26,
  VK_RIGHT = 0x27,
  VK_DOWN = 0x28,
  VK_INSERT = 0x2D,
  VK_DELETE = 0x2E,
  VK_F1 = 0x70,
  VK_F2 = 0x71,
};
#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)
#endif

static_assert(sizeof(INPUT_RECORD) == 20, "INPUT_RECORD");
static_assert(offsetof(INPUT_RECORD, Event) == 4, "key event at 4");
static_assert(offsetof(INPUT_RECORD, Event.KeyEvent.bKeyDown) == 4, "bKeyDown");
static_assert(offsetof(INPUT_RECORD, Event.KeyEvent.wRepeatCount) == 8, "wRepeatCount");
static_assert(offsetof(INPUT_RECORD, Event.KeyEvent.wVirtualKeyCode) == 10, "vk");
static_assert(offsetof(INPUT_RECORD, Event.KeyEvent.wVirtualScanCode) == 12, "scan");
static_assert(offsetof(INPUT_RECORD, Event.KeyEvent.uChar) == 14, "uChar");
static_assert(offsetof(INPUT_RECORD, Event.KeyEvent.dwControlKeyState) == 16, "state");

// A key event with repeat count 1: what the plug-ins feed the editor (down,
// no modifiers) and what the stand-in host types. `unit` is the character's
// code unit, zero-extended (a 1.x byte keeps its high byte 0).
inline INPUT_RECORD MakeKeyEvent(WORD vk, WORD unit, DWORD mods = 0, bool down = true) {
  INPUT_RECORD rec;
  std::memset(&rec, 0, sizeof(rec));
  rec.EventType = KEY_EVENT;
  rec.Event.KeyEvent.bKeyDown = down ? 1 : 0;
  rec.Event.KeyEvent.wRepeatCount = 1;
  rec.Event.KeyEvent.wVirtualKeyCode = vk;
  rec.Event.KeyEvent.uChar.UnicodeChar = unit;
  rec.Event.KeyEvent.dwControlKeyState = mods;
  return rec;
}
