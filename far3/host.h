// Far Manager 3's plug-in records and constants (the Unicode API), declared
// from its published binary layout. Every record has natural alignment; sizes
// and offsets are checked below for x86 and for x64 (the native 64-bit build
// has the x64 layout). Text is UTF-16: wchar_t on Windows, char16_t elsewhere.
#pragma once

#include <cstddef>
#include <cstdint>

#include "assists/win32_input.h"

namespace far3 {

#ifdef _WIN32
using FarChar = wchar_t;
#define FAR3_TEXT(s) L##s
using GUID = ::GUID;
#else
using FarChar = char16_t;
#define FAR3_TEXT(s) u##s
struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};
#endif
static_assert(sizeof(FarChar) == 2, "the host's text is UTF-16");
static_assert(sizeof(GUID) == 16, "GUID");

using Flags64 = unsigned long long;

struct VersionInfo {
  DWORD Major;
  DWORD Minor;
  DWORD Revision;
  DWORD Build;
  int Stage;
};
enum { VS_RELEASE = 0, VS_PRIVATE = 5 };

struct GlobalInfo {
  size_t StructSize;
  VersionInfo MinFarVersion;
  VersionInfo Version;
  GUID Guid;
  const FarChar *Title;
  const FarChar *Description;
  const FarChar *Author;
  void *Instance;
};

// Compares a name with a file mask, checks a mask list (see PN_* below).
typedef size_t(WINAPI *ProcessNameFn)(const FarChar *Mask, FarChar *Name, size_t Size,
                                      Flags64 Flags);

struct FarStandardFunctions {
  size_t StructSize;
  void *Functions1[40];  // the table is copied; of these none is called
  ProcessNameFn ProcessName;
  void *Functions2[8];
};

struct FarDialogItem;

typedef intptr_t(WINAPI *EditorControlFn)(intptr_t EditorID, int Command, intptr_t Param1,
                                          void *Param2);
typedef const FarChar *(WINAPI *GetMsgFn)(const GUID *PluginId, intptr_t MsgId);
typedef intptr_t(WINAPI *MessageFn)(const GUID *PluginId, const GUID *Id, Flags64 Flags,
                                    const FarChar *HelpTopic, const FarChar *const *Items,
                                    size_t ItemsNumber, intptr_t ButtonsNumber);
typedef HANDLE(WINAPI *DialogInitFn)(const GUID *PluginId, const GUID *Id, intptr_t X1,
                                     intptr_t Y1, intptr_t X2, intptr_t Y2,
                                     const FarChar *HelpTopic, const FarDialogItem *Item,
                                     size_t ItemsNumber, intptr_t Reserved, Flags64 Flags,
                                     void *DlgProc, void *Param);
typedef intptr_t(WINAPI *DialogRunFn)(HANDLE Dialog);
typedef void(WINAPI *DialogFreeFn)(HANDLE Dialog);
typedef intptr_t(WINAPI *SendDlgMessageFn)(HANDLE Dialog, intptr_t Msg, intptr_t Param1,
                                           void *Param2);
typedef intptr_t(WINAPI *SettingsControlFn)(HANDLE Handle, int Command, intptr_t Param1,
                                            void *Param2);
typedef intptr_t(WINAPI *EditorFn)(const FarChar *FileName, const FarChar *Title, intptr_t X1,
                                   intptr_t Y1, intptr_t X2, intptr_t Y2, Flags64 Flags,
                                   intptr_t StartLine, intptr_t StartChar, uintptr_t CodePage);

// A key: its virtual-key code and Ctrl/Alt/Shift state.
struct FarKey {
  WORD VirtualKeyCode;
  DWORD ControlKeyState;
};

// One item of a menu the host shows (PluginStartupInfo.Menu).
struct FarMenuItem {
  Flags64 Flags;
  const FarChar *Text;
  FarKey AccelKey;
  intptr_t UserData;
  intptr_t Reserved[2];
};

typedef intptr_t(WINAPI *MenuFn)(const GUID *PluginId, const GUID *Id, intptr_t X, intptr_t Y,
                                 intptr_t MaxHeight, Flags64 Flags, const FarChar *Title,
                                 const FarChar *Bottom, const FarChar *HelpTopic,
                                 const FarKey *BreakKeys, intptr_t *BreakCode,
                                 const FarMenuItem *Item, size_t ItemsNumber);

// A value a keyboard macro passes to the plug-in (Plugin.Call's parameters).
struct FarMacroValue {
  int Type;
  union {
    long long Integer;
    long long Boolean;
    double Double;
    const FarChar *String;
    const char *MBString;
    void *Pointer;
    struct {
      void *Data;
      size_t Size;
    } Binary;
    struct {
      FarMacroValue *Values;
      size_t Count;
    } Array;
  };
};

// OpenInfo.Data when a keyboard macro calls the plug-in (OPEN_FROMMACRO).
struct OpenMacroInfo {
  size_t StructSize;
  size_t Count;
  FarMacroValue *Values;
};

struct PluginStartupInfo {
  size_t StructSize;
  const FarChar *ModuleName;
  MenuFn Menu;
  MessageFn Message;
  GetMsgFn GetMsg;
  void *PanelControl;
  void *SaveScreen;
  void *RestoreScreen;
  void *GetDirList;
  void *GetPluginDirList;
  void *FreeDirList;
  void *FreePluginDirList;
  void *Viewer;
  EditorFn Editor;
  void *Text;
  EditorControlFn EditorControl;
  FarStandardFunctions *FSF;
  void *ShowHelp;
  void *AdvControl;
  void *InputBox;
  void *ColorDialog;
  DialogInitFn DialogInit;
  DialogRunFn DialogRun;
  DialogFreeFn DialogFree;
  SendDlgMessageFn SendDlgMessage;
  void *DefDlgProc;
  void *ViewerControl;
  void *PluginsControl;
  void *FileFilterControl;
  void *RegExpControl;
  void *MacroControl;
  SettingsControlFn SettingsControl;
  void *Private;
  void *Instance;
  void *FreeScreen;
};

struct PluginMenuItem {
  const GUID *Guids;
  const FarChar *const *Strings;
  size_t Count;
};

struct PluginInfo {
  size_t StructSize;
  alignas(8) Flags64 Flags;
  PluginMenuItem DiskMenu;
  PluginMenuItem PluginMenu;
  PluginMenuItem PluginConfig;
  const FarChar *CommandPrefix;
  void *Instance;
};

struct OpenInfo {
  size_t StructSize;
  int OpenFrom;
  const GUID *Guid;
  intptr_t Data;
  void *Instance;
};

struct ExitInfo {
  size_t StructSize;
  void *Instance;
};

struct ProcessEditorInputInfo {
  size_t StructSize;
  INPUT_RECORD Rec;
  void *Instance;
};

struct ConfigureInfo {
  size_t StructSize;
  const GUID *Guid;
  void *Instance;
};

struct ProcessEditorEventInfo {
  size_t StructSize;
  intptr_t Event;
  void *Param;
  intptr_t EditorID;
  void *Instance;
};

struct EditorSaveFile {
  size_t StructSize;
  const FarChar *FileName;
  const FarChar *FileEOL;
  uintptr_t CodePage;
};

struct FarSettingsCreate {
  size_t StructSize;
  GUID Guid;
  HANDLE Handle;
};

struct FarSettingsItem {
  size_t StructSize;
  size_t Root;
  const FarChar *Name;
  int Type;
  union {
    unsigned long long Number;
    const FarChar *String;
    struct {
      size_t Size;
      const void *Data;
    } Data;
  };
};

struct Rect {
  int32_t Left, Top, Right, Bottom;
};

struct EditorInfo {
  size_t StructSize;
  intptr_t EditorID;
  intptr_t WindowSizeX;
  intptr_t WindowSizeY;
  intptr_t TotalLines;
  intptr_t CurLine;
  intptr_t CurPos;
  intptr_t CurTabPos;
  intptr_t TopScreenLine;
  intptr_t LeftPos;
  intptr_t Overtype;
  intptr_t BlockType;
  intptr_t BlockStartLine;
  uintptr_t Options;
  intptr_t TabSize;
  size_t BookmarkCount;
  size_t SessionBookmarkCount;
  uintptr_t CurState;
  uintptr_t CodePage;
  Rect WindowArea;
  Rect ClientArea;
};

struct EditorGetString {
  size_t StructSize;
  intptr_t StringNumber;
  intptr_t StringLength;
  const FarChar *StringText;
  const FarChar *StringEOL;
  intptr_t SelStart;
  intptr_t SelEnd;
};

struct EditorSetString {
  size_t StructSize;
  intptr_t StringNumber;
  intptr_t StringLength;
  const FarChar *StringText;
  const FarChar *StringEOL;
};

struct EditorSetPosition {
  size_t StructSize;
  intptr_t CurLine;
  intptr_t CurPos;
  intptr_t CurTabPos;
  intptr_t TopScreenLine;
  intptr_t LeftPos;
  intptr_t Overtype;
};

// EE_CHANGE's Param: which line changed, was added or deleted.
struct EditorChange {
  size_t StructSize;
  int Type;
  intptr_t StringNumber;
};

// ECTL_SUBSCRIBECHANGEEVENT's and ECTL_UNSUBSCRIBECHANGEEVENT's record.
struct EditorSubscribeChangeEvent {
  size_t StructSize;
  GUID PluginId;
};

struct EditorUndoRedo {
  size_t StructSize;
  int Command;
};

// ECTL_SELECT's record: a stream block from (line, pos) over WIDTH units and
// HEIGHT lines, or a column block in screen columns.
struct EditorSelect {
  size_t StructSize;
  intptr_t BlockType;
  intptr_t BlockStartLine;
  intptr_t BlockStartPos;
  intptr_t BlockWidth;
  intptr_t BlockHeight;
};

struct FarDialogItem {
  int Type;
  intptr_t X1, Y1, X2, Y2;
  union {
    intptr_t Selected;
    void *ListItems;
  };
  const FarChar *History;
  const FarChar *Mask;
  alignas(8) Flags64 Flags;
  const FarChar *Data;
  size_t MaxLength;
  intptr_t UserData;
  intptr_t Reserved[2];
};

enum {
  ECTL_GETSTRING = 0,
  ECTL_SETSTRING = 1,
  ECTL_GETINFO = 6,
  ECTL_SETPOSITION = 7,
  ECTL_SELECT = 8,
  ECTL_REDRAW = 9,
  ECTL_PROCESSINPUT = 15,
  ECTL_DELETEBLOCK = 25,
  ECTL_UNDOREDO = 32,
  ECTL_GETFILENAME = 33,
  ECTL_SUBSCRIBECHANGEEVENT = 36,
  ECTL_UNSUBSCRIBECHANGEEVENT = 37,
};
enum { SCTL_CREATE = 0, SCTL_FREE = 1, SCTL_SET = 2, SCTL_GET = 3 };
enum { FST_UNKNOWN = 0, FST_SUBKEY = 1, FST_QWORD = 2, FST_STRING = 3, FST_DATA = 4 };
enum { PSL_ROAMING = 0, PSL_LOCAL = 1 };
enum : Flags64 {
  PN_CMPNAME = 0,
  PN_CMPNAMELIST = 0x10000,
  PN_CHECKMASK = 0x30000,
  PN_SKIPPATH = 0x1000000,
  PN_SHOWERRORMESSAGE = 0x2000000,
};
enum : Flags64 { EF_NONMODAL = 0x1, EF_IMMEDIATERETURN = 0x100 };
enum { EE_READ = 0, EE_SAVE = 1, EE_REDRAW = 2, EE_CLOSE = 3, EE_GOTFOCUS = 6, EE_KILLFOCUS = 7, EE_CHANGE = 8 };
enum { ECTYPE_CHANGED = 0, ECTYPE_ADDED = 1, ECTYPE_DELETED = 2 };
enum { DM_GETCHECK = 25, DM_GETCONSTTEXTPTR = 63 };
enum { BSTATE_UNCHECKED = 0, BSTATE_CHECKED = 1 };
enum { EUR_BEGIN = 0, EUR_END = 1, EUR_UNDO = 2, EUR_REDO = 3 };
enum { BTYPE_NONE = 0, BTYPE_STREAM = 1, BTYPE_COLUMN = 2 };
enum : uintptr_t {
  EOPT_EXPANDALLTABS = 0x1,
  EOPT_PERSISTENTBLOCKS = 0x2,
  EOPT_DELREMOVESBLOCKS = 0x4,
  EOPT_AUTOINDENT = 0x8,
  EOPT_CURSORBEYONDEOL = 0x40,
  EOPT_EXPANDONLYNEWTABS = 0x80,
};
enum { OPEN_PLUGINSMENU = 1, OPEN_EDITOR = 5, OPEN_FROMMACRO = 11 };
enum { FMVT_UNKNOWN = 0, FMVT_INTEGER = 1, FMVT_STRING = 2, FMVT_DOUBLE = 3, FMVT_BOOLEAN = 4 };
enum : Flags64 {
  FMENU_SHOWAMPERSAND = 0x1,
  FMENU_WRAPMODE = 0x2,
  FMENU_AUTOHIGHLIGHT = 0x4,
  FMENU_SHOWNOBOX = 0x20,
};
enum : Flags64 {
  MIF_SELECTED = 0x10000,
  MIF_CHECKED = 0x20000,
  MIF_SEPARATOR = 0x40000,
  MIF_DISABLE = 0x80000,
  MIF_GRAYED = 0x100000,
  MIF_HIDDEN = 0x200000,
};
enum : Flags64 { PF_PRELOAD = 0x1, PF_DISABLEPANELS = 0x2, PF_EDITOR = 0x4 };
enum { DI_TEXT = 0, DI_DOUBLEBOX = 3, DI_EDIT = 4, DI_BUTTON = 7, DI_CHECKBOX = 8 };
enum : Flags64 {
  DIF_CENTERGROUP = 0x4000,
  DIF_SEPARATOR = 0x10000,
  DIF_HISTORY = 0x40000,
  DIF_DEFAULTBUTTON = 0x100000000ULL,
  DIF_FOCUS = 0x200000000ULL,
};
enum : Flags64 { FDLG_NONE = 0, FMSG_WARNING = 0x1, FMSG_MB_OK = 0x10000 };
// The code page of the macro file, which is UTF-8.
enum : uintptr_t { CP_UTF8_FILE = 65001 };

// The character a key event carries for Far 3: the whole UTF-16 unit.
inline unsigned KeyChar(const INPUT_RECORD &rec) { return rec.Event.KeyEvent.uChar.UnicodeChar; }

#define FAR3_CHECK(type, field, x86, x64) \
  static_assert(offsetof(type, field) == (sizeof(void *) == 8 ? (x64) : (x86)), #type "." #field)
#define FAR3_SIZE(type, x86, x64) \
  static_assert(sizeof(type) == (sizeof(void *) == 8 ? (x64) : (x86)), "sizeof " #type)

FAR3_SIZE(VersionInfo, 20, 20);
FAR3_CHECK(VersionInfo, Build, 12, 12);
FAR3_CHECK(VersionInfo, Stage, 16, 16);
FAR3_SIZE(GlobalInfo, 76, 96);
FAR3_CHECK(GlobalInfo, MinFarVersion, 4, 8);
FAR3_CHECK(GlobalInfo, Version, 24, 28);
FAR3_CHECK(GlobalInfo, Guid, 44, 48);
FAR3_CHECK(GlobalInfo, Title, 60, 64);
FAR3_CHECK(GlobalInfo, Description, 64, 72);
FAR3_CHECK(GlobalInfo, Author, 68, 80);
FAR3_CHECK(GlobalInfo, Instance, 72, 88);
FAR3_SIZE(PluginStartupInfo, 140, 280);
FAR3_CHECK(PluginStartupInfo, ModuleName, 4, 8);
FAR3_CHECK(PluginStartupInfo, Message, 12, 24);
FAR3_CHECK(PluginStartupInfo, GetMsg, 16, 32);
FAR3_CHECK(PluginStartupInfo, EditorControl, 60, 120);
FAR3_CHECK(PluginStartupInfo, FSF, 64, 128);
FAR3_CHECK(PluginStartupInfo, DialogInit, 84, 168);
FAR3_CHECK(PluginStartupInfo, DialogRun, 88, 176);
FAR3_CHECK(PluginStartupInfo, DialogFree, 92, 184);
FAR3_CHECK(PluginStartupInfo, SettingsControl, 124, 248);
FAR3_CHECK(PluginStartupInfo, FreeScreen, 136, 272);
FAR3_CHECK(PluginStartupInfo, Editor, 52, 104);
FAR3_CHECK(PluginStartupInfo, SendDlgMessage, 96, 192);
FAR3_SIZE(FarStandardFunctions, 200, 400);
FAR3_CHECK(FarStandardFunctions, ProcessName, 164, 328);
FAR3_SIZE(ConfigureInfo, 12, 24);
FAR3_CHECK(ConfigureInfo, Guid, 4, 8);
FAR3_SIZE(ProcessEditorEventInfo, 20, 40);
FAR3_SIZE(EditorChange, 12, 24);
FAR3_CHECK(EditorChange, Type, 4, 8);
FAR3_CHECK(EditorChange, StringNumber, 8, 16);
FAR3_SIZE(EditorSelect, 24, 48);
FAR3_CHECK(EditorSelect, BlockType, 4, 8);
FAR3_CHECK(EditorSelect, BlockStartLine, 8, 16);
FAR3_CHECK(EditorSelect, BlockStartPos, 12, 24);
FAR3_CHECK(EditorSelect, BlockWidth, 16, 32);
FAR3_CHECK(EditorSelect, BlockHeight, 20, 40);
FAR3_SIZE(EditorSubscribeChangeEvent, 20, 24);
FAR3_CHECK(EditorSubscribeChangeEvent, PluginId, 4, 8);
FAR3_CHECK(ProcessEditorEventInfo, Event, 4, 8);
FAR3_CHECK(ProcessEditorEventInfo, Param, 8, 16);
FAR3_CHECK(ProcessEditorEventInfo, EditorID, 12, 24);
FAR3_SIZE(EditorSaveFile, 16, 32);
FAR3_CHECK(EditorSaveFile, FileName, 4, 8);
FAR3_CHECK(EditorSaveFile, CodePage, 12, 24);
FAR3_SIZE(FarSettingsCreate, 24, 32);
FAR3_CHECK(FarSettingsCreate, Guid, 4, 8);
FAR3_CHECK(FarSettingsCreate, Handle, 20, 24);
FAR3_SIZE(FarSettingsItem, 24, 48);
FAR3_CHECK(FarSettingsItem, Root, 4, 8);
FAR3_CHECK(FarSettingsItem, Name, 8, 16);
FAR3_CHECK(FarSettingsItem, Type, 12, 24);
FAR3_CHECK(FarSettingsItem, Number, 16, 32);
FAR3_CHECK(FarSettingsItem, String, 16, 32);
FAR3_SIZE(PluginMenuItem, 12, 24);
FAR3_CHECK(PluginMenuItem, Strings, 4, 8);
FAR3_CHECK(PluginMenuItem, Count, 8, 16);
FAR3_SIZE(PluginInfo, 64, 104);
FAR3_CHECK(PluginInfo, Flags, 8, 8);
FAR3_CHECK(PluginInfo, DiskMenu, 16, 16);
FAR3_CHECK(PluginInfo, PluginMenu, 28, 40);
FAR3_CHECK(PluginInfo, PluginConfig, 40, 64);
FAR3_CHECK(PluginInfo, CommandPrefix, 52, 88);
FAR3_SIZE(FarKey, 8, 8);
FAR3_CHECK(FarKey, ControlKeyState, 4, 4);
FAR3_SIZE(FarMenuItem, 32, 48);
FAR3_CHECK(FarMenuItem, Text, 8, 8);
FAR3_CHECK(FarMenuItem, AccelKey, 12, 16);
FAR3_CHECK(FarMenuItem, UserData, 20, 24);
FAR3_CHECK(FarMenuItem, Reserved, 24, 32);
FAR3_SIZE(FarMacroValue, 16, 24);
FAR3_CHECK(FarMacroValue, String, 8, 8);
FAR3_CHECK(FarMacroValue, Binary.Size, 12, 16);
FAR3_SIZE(OpenMacroInfo, 12, 24);
FAR3_CHECK(OpenMacroInfo, Count, 4, 8);
FAR3_CHECK(OpenMacroInfo, Values, 8, 16);
FAR3_CHECK(PluginStartupInfo, Menu, 8, 16);
FAR3_SIZE(OpenInfo, 20, 40);
FAR3_CHECK(OpenInfo, OpenFrom, 4, 8);
FAR3_CHECK(OpenInfo, Guid, 8, 16);
FAR3_CHECK(OpenInfo, Data, 12, 24);
FAR3_SIZE(ExitInfo, 8, 16);
FAR3_SIZE(ProcessEditorInputInfo, 28, 40);
FAR3_CHECK(ProcessEditorInputInfo, Rec, 4, 8);
FAR3_CHECK(ProcessEditorInputInfo, Instance, 24, 32);
FAR3_SIZE(EditorInfo, 108, 184);
FAR3_CHECK(EditorInfo, EditorID, 4, 8);
FAR3_CHECK(EditorInfo, TotalLines, 16, 32);
FAR3_CHECK(EditorInfo, CurLine, 20, 40);
FAR3_CHECK(EditorInfo, CurPos, 24, 48);
FAR3_CHECK(EditorInfo, CurTabPos, 28, 56);
FAR3_CHECK(EditorInfo, TopScreenLine, 32, 64);
FAR3_CHECK(EditorInfo, LeftPos, 36, 72);
FAR3_CHECK(EditorInfo, Overtype, 40, 80);
FAR3_CHECK(EditorInfo, BlockType, 44, 88);
FAR3_CHECK(EditorInfo, Options, 52, 104);
FAR3_CHECK(EditorInfo, TabSize, 56, 112);
FAR3_CHECK(EditorInfo, CodePage, 72, 144);
FAR3_CHECK(EditorInfo, WindowArea, 76, 152);
FAR3_CHECK(EditorInfo, ClientArea, 92, 168);
FAR3_SIZE(EditorGetString, 28, 56);
FAR3_CHECK(EditorGetString, StringNumber, 4, 8);
FAR3_CHECK(EditorGetString, StringLength, 8, 16);
FAR3_CHECK(EditorGetString, StringText, 12, 24);
FAR3_CHECK(EditorGetString, StringEOL, 16, 32);
FAR3_CHECK(EditorGetString, SelStart, 20, 40);
FAR3_CHECK(EditorGetString, SelEnd, 24, 48);
FAR3_SIZE(EditorSetString, 20, 40);
FAR3_CHECK(EditorSetString, StringNumber, 4, 8);
FAR3_CHECK(EditorSetString, StringLength, 8, 16);
FAR3_CHECK(EditorSetString, StringText, 12, 24);
FAR3_CHECK(EditorSetString, StringEOL, 16, 32);
FAR3_SIZE(EditorSetPosition, 28, 56);
FAR3_CHECK(EditorSetPosition, CurLine, 4, 8);
FAR3_CHECK(EditorSetPosition, CurPos, 8, 16);
FAR3_CHECK(EditorSetPosition, CurTabPos, 12, 24);
FAR3_CHECK(EditorSetPosition, TopScreenLine, 16, 32);
FAR3_CHECK(EditorSetPosition, LeftPos, 20, 40);
FAR3_CHECK(EditorSetPosition, Overtype, 24, 48);
FAR3_SIZE(EditorUndoRedo, 8, 16);
FAR3_CHECK(EditorUndoRedo, Command, 4, 8);
FAR3_SIZE(FarDialogItem, 64, 112);
FAR3_CHECK(FarDialogItem, X1, 4, 8);
FAR3_CHECK(FarDialogItem, Y1, 8, 16);
FAR3_CHECK(FarDialogItem, X2, 12, 24);
FAR3_CHECK(FarDialogItem, Y2, 16, 32);
FAR3_CHECK(FarDialogItem, Selected, 20, 40);
FAR3_CHECK(FarDialogItem, History, 24, 48);
FAR3_CHECK(FarDialogItem, Mask, 28, 56);
FAR3_CHECK(FarDialogItem, Flags, 32, 64);
FAR3_CHECK(FarDialogItem, Data, 40, 72);
FAR3_CHECK(FarDialogItem, MaxLength, 44, 80);
FAR3_CHECK(FarDialogItem, UserData, 48, 88);
FAR3_CHECK(FarDialogItem, Reserved, 52, 96);

#undef FAR3_CHECK
#undef FAR3_SIZE

}  // namespace far3
