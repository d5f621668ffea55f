// The host's plug-in records and constants, declared from the host's published
// binary layout. On 32-bit Windows every size and offset is checked below; on
// other platforms the same names exist so the plug-in code builds and is tested.
#pragma once

#include <cstddef>
#include <cstdint>

#include "assists/win32_input.h"

static_assert(sizeof(INPUT_RECORD) == 20, "INPUT_RECORD is 20 bytes");

struct FarDialogItem;

typedef int(WINAPI *FarDialogFn)(INT_PTR PluginNumber, int X1, int Y1, int X2, int Y2,
                                 const char *HelpTopic, FarDialogItem *Item,
                                 int ItemsNumber);
typedef const char *(WINAPI *FarGetMsgFn)(INT_PTR PluginNumber, int MsgId);
typedef int(WINAPI *FarEditorControlFn)(int Command, void *Param);

struct PluginStartupInfo {
  int StructSize;
  char ModuleName[260];
  INT_PTR ModuleNumber;
  const char *RootKey;
  void *Menu;
  FarDialogFn Dialog;
  void *Message;
  FarGetMsgFn GetMsg;
  void *Control;
  void *SaveScreen;
  void *RestoreScreen;
  void *GetDirList;
  void *GetPluginDirList;
  void *FreeDirList;
  void *Viewer;
  void *Editor;
  void *CmpName;
  void *CharTable;
  void *Text;
  FarEditorControlFn EditorControl;
};

struct PluginInfo {
  int StructSize;
  DWORD Flags;
  const char *const *DiskMenuStrings;
  int *DiskMenuNumbers;
  int DiskMenuStringsNumber;
  const char *const *PluginMenuStrings;
  int PluginMenuStringsNumber;
  const char *const *PluginConfigStrings;
  int PluginConfigStringsNumber;
  const char *CommandPrefix;
};

struct FarDialogItem {
  int Type;
  int X1, Y1, X2, Y2;
  int Focus;
  union {
    int Selected;
    const char *History;
    const char *Mask;
    void *ListItems;
    int ListPos;
  } Param;
  DWORD Flags;
  int DefaultButton;
  char Data[512];
};

struct EditorInfo {
  int EditorID;
  const char *FileName;
  int WindowSizeX;
  int WindowSizeY;
  int TotalLines;
  int CurLine;
  int CurPos;
  int CurTabPos;
  int TopScreenLine;
  int LeftPos;
  int Overtype;
  int BlockType;
  int BlockStartLine;
  int AnsiMode;
  int TableNum;
  DWORD Options;
  int TabSize;
  int BookMarkCount;
  DWORD CurState;
  DWORD Reserved[6];
};

struct EditorGetString {
  int StringNumber;
  const char *StringText;
  const char *StringEOL;
  int StringLength;
  int SelStart;
  int SelEnd;
};

struct EditorSetString {
  int StringNumber;
  char *StringText;
  char *StringEOL;
  int StringLength;
};

struct EditorSetPosition {
  int CurLine;
  int CurPos;
  int CurTabPos;
  int TopScreenLine;
  int LeftPos;
  int Overtype;
};

enum {
  ECTL_GETSTRING = 0,
  ECTL_SETSTRING = 1,
  ECTL_GETINFO = 6,
  ECTL_SETPOSITION = 7,
  ECTL_REDRAW = 9,
  ECTL_PROCESSINPUT = 17,
};

enum { BTYPE_NONE = 0, BTYPE_STREAM = 1, BTYPE_COLUMN = 2 };
enum { DI_DOUBLEBOX = 3, DI_BUTTON = 7 };
enum : DWORD { DIF_CENTERGROUP = 0x4000 };
enum : DWORD { PF_DISABLEPANELS = 0x2, PF_EDITOR = 0x4 };

// How many bytes of the host's start-up record the plug-in copies: the part
// that every 1.x host passes; later hosts append fields we never read.
constexpr size_t StartupInfoCopySize = sizeof(PluginStartupInfo);

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(PluginStartupInfo) == 336, "PluginStartupInfo");
static_assert(offsetof(PluginStartupInfo, ModuleName) == 4, "ModuleName");
static_assert(offsetof(PluginStartupInfo, ModuleNumber) == 264, "ModuleNumber");
static_assert(offsetof(PluginStartupInfo, Dialog) == 276, "Dialog");
static_assert(offsetof(PluginStartupInfo, GetMsg) == 284, "GetMsg");
static_assert(offsetof(PluginStartupInfo, EditorControl) == 332, "EditorControl");
static_assert(sizeof(PluginInfo) == 40, "PluginInfo");
static_assert(offsetof(PluginInfo, Flags) == 4, "Flags");
static_assert(offsetof(PluginInfo, DiskMenuStringsNumber) == 16, "DiskMenuStringsNumber");
static_assert(offsetof(PluginInfo, PluginMenuStrings) == 20, "PluginMenuStrings");
static_assert(offsetof(PluginInfo, PluginMenuStringsNumber) == 24, "PluginMenuStringsNumber");
static_assert(offsetof(PluginInfo, PluginConfigStringsNumber) == 32, "PluginConfigStringsNumber");
static_assert(offsetof(PluginInfo, CommandPrefix) == 36, "CommandPrefix");
static_assert(sizeof(FarDialogItem) == 548, "FarDialogItem");
static_assert(offsetof(FarDialogItem, Param) == 24, "Param");
static_assert(offsetof(FarDialogItem, Flags) == 28, "Flags");
static_assert(offsetof(FarDialogItem, DefaultButton) == 32, "DefaultButton");
static_assert(offsetof(FarDialogItem, Data) == 36, "Data");
static_assert(sizeof(EditorInfo) == 100, "EditorInfo");
static_assert(offsetof(EditorInfo, FileName) == 4, "FileName");
static_assert(offsetof(EditorInfo, TotalLines) == 16, "TotalLines");
static_assert(offsetof(EditorInfo, CurLine) == 20, "CurLine");
static_assert(offsetof(EditorInfo, CurPos) == 24, "CurPos");
static_assert(offsetof(EditorInfo, TopScreenLine) == 32, "TopScreenLine");
static_assert(offsetof(EditorInfo, LeftPos) == 36, "LeftPos");
static_assert(offsetof(EditorInfo, BlockType) == 44, "BlockType");
static_assert(offsetof(EditorInfo, BlockStartLine) == 48, "BlockStartLine");
static_assert(offsetof(EditorInfo, TabSize) == 64, "TabSize");
static_assert(sizeof(EditorGetString) == 24, "EditorGetString");
static_assert(offsetof(EditorGetString, StringText) == 4, "StringText");
static_assert(offsetof(EditorGetString, StringLength) == 12, "StringLength");
static_assert(offsetof(EditorGetString, SelStart) == 16, "SelStart");
static_assert(offsetof(EditorGetString, SelEnd) == 20, "SelEnd");
static_assert(sizeof(EditorSetString) == 16, "EditorSetString");
static_assert(offsetof(EditorSetString, StringEOL) == 8, "StringEOL");
static_assert(offsetof(EditorSetString, StringLength) == 12, "StringLength");
static_assert(sizeof(EditorSetPosition) == 24, "EditorSetPosition");
static_assert(offsetof(EditorSetPosition, TopScreenLine) == 12, "TopScreenLine");
static_assert(offsetof(EditorSetPosition, Overtype) == 20, "Overtype");
#endif

// The character a key event carries for the 1.x host: the low byte of uChar,
// never sign-extended.
inline unsigned char KeyChar(const INPUT_RECORD &rec) {
  return static_cast<unsigned char>(rec.Event.KeyEvent.uChar.UnicodeChar & 0xFF);
}
