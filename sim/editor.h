// The stand-in host's in-memory text editor, as the hosts' editors apply keys:
// one implementation for both faces, over bytes (the 1.x host) or UTF-16
// units (Far 3).
#pragma once

#include <string>
#include <vector>

#include "assists/win32_input.h"

namespace sim {

struct Settings {
  bool autoIndent = false;
  bool expandTabs = false;
  int tabSize = 8;
  bool overtype = false;
  bool cursorBeyondEol = true;
  bool reentry = true;  // fed events go back to the plug-in first, as in the host
  // The editor redraws after every key it applies, fed keys included (1.x);
  // off, it redraws only after the user's own keys (Far 3).
  bool redrawAfterFedKeys = true;
  // A selection stays through cursor keys and typing (typing inserts at the
  // cursor); Backspace and Del still delete it (Far 3's option, default off).
  bool persistentBlocks = false;
  // Shift+Tab moves the cursor back to the previous tab stop, counted from the
  // column last drawn (Far 3); off, it is typed as a Tab.
  bool shiftTabMovesBack = false;
};

enum { BlockNone = 0, BlockStream = 1, BlockColumn = 2 };

inline bool IsKeyDown(const INPUT_RECORD &rec) {
  return rec.EventType == KEY_EVENT && rec.Event.KeyEvent.bKeyDown;
}

// Shift, Ctrl or Alt pressed or released alone: the editor does nothing with it.
bool IsModifierKey(const INPUT_RECORD &rec);

template <class Unit>
struct BasicLine {
  std::basic_string<Unit> text;
  std::basic_string<Unit> eol;  // CR LF, LF, or empty on a last line without one
};

template <class Unit>
class TextEditor {
public:
  using String = std::basic_string<Unit>;
  using Line = BasicLine<Unit>;

  TextEditor() { lines.push_back(Line()); }
  TextEditor(const TextEditor &) = default;
  TextEditor &operator=(const TextEditor &) = default;
  virtual ~TextEditor() = default;

  // What the host reports of each change the editor makes (Far 3's change
  // events): a line changed, added or deleted, numbered as the text stands
  // when it is reported.
  enum ChangeType { LineChanged = 0, LineAdded = 1, LineDeleted = 2 };

  // The text: lines split at LF, each keeping its own end of line.
  void SetText(const String &text);
  String Text() const;

  // Takes over another editor's text, cursor, scroll, settings and selection.
  void CopyEditorFrom(const TextEditor &other);

  // The editor alone applying one event.
  void Apply(const INPUT_RECORD &rec);
  // The editor redrawing its window, as after a key or on ECTL_REDRAW.
  void Redraw() { Draw(); }
  // The window scrolled to a cursor put somewhere, and drawn.
  void DrawAt() {
    Fix();
    EnsureVisible();
    Draw();
  }

  // Selections, as a test sets them (stream: end exclusive).
  void SelectStream(int line1, int pos1, int line2, int pos2);
  void SelectColumn(int line1, int col1, int line2, int col2);
  void Unselect() { blockType_ = BlockNone; }
  int blockType() const { return blockType_; }
  // Deletes the selection (nothing without one), as Backspace on it does.
  void DeleteSelection();
  // The part of line N the selection covers, as ECTL_GETSTRING reports it:
  // false when none; an end of -1 runs to the end of the line.
  bool Selected(int n, int *start, int *end) const;

  // Screen column of a character index on a line (tabs expand).
  int ScreenColumn(int line, int pos) const;
  // The character index whose screen span holds COL; past the end, the
  // remaining columns beyond it.
  int PosAtColumn(int line, int col) const;
  // The screen column the editor remembered at its last redraw.
  int rememberedColumn() const { return rememberedColumn_; }

  // What either host's ECTL_SETPOSITION does with its record's fields; -1 in
  // a field leaves it as it is.
  template <class Position>
  void SetPosition(const Position &p) {
    unclampedColumn_ = -1;
    if (p.CurLine != -1) curLine = static_cast<int>(p.CurLine);
    Fix();
    if (p.CurPos != -1)
      curPos = static_cast<int>(p.CurPos);
    else if (p.CurTabPos != -1)
      curPos = PosAtColumn(curLine, p.CurTabPos < 0 ? 0 : static_cast<int>(p.CurTabPos));
    if (p.Overtype != -1) settings.overtype = p.Overtype != 0;
    // An editor that draws only after the user's keys clamps a cursor set
    // beyond the line's end only when it next draws: a key typed before that
    // pads the line out to it.
    if (!settings.cursorBeyondEol && !settings.redrawAfterFedKeys &&
        curPos > static_cast<int>(lines[static_cast<size_t>(curLine)].text.size()))
      unclampedColumn_ = ScreenColumn(curLine, curPos);
    Fix();
    EnsureVisible();
    const int last = static_cast<int>(lines.size()) - 1;
    if (p.TopScreenLine != -1)
      topLine = p.TopScreenLine < 0 ? 0 : p.TopScreenLine > last ? last : static_cast<int>(p.TopScreenLine);
    if (p.LeftPos != -1) leftPos = p.LeftPos < 0 ? 0 : static_cast<int>(p.LeftPos);
  }

  // The fields both hosts' ECTL_GETINFO fill alike.
  template <class Info>
  void FillInfo(Info *ei) const {
    ei->WindowSizeX = windowX;
    ei->WindowSizeY = windowY;
    ei->TotalLines = static_cast<int>(lines.size());
    ei->CurLine = curLine;
    ei->CurPos = curPos;
    ei->CurTabPos = ScreenColumn(curLine, curPos);
    ei->TopScreenLine = topLine;
    ei->LeftPos = leftPos;
    ei->Overtype = settings.overtype ? 1 : 0;
    ei->BlockType = blockType_;
    ei->BlockStartLine = blockType_ == BlockNone ? 0 : blockLine1_;
    ei->TabSize = settings.tabSize;
  }

  // The character a key event carries for this editor's text.
  static unsigned UnitOf(const INPUT_RECORD &rec);
  // An ASCII text as this editor's units.
  static String Lit(const char *ascii);

  std::vector<Line> lines;
  // What Shift+Ins pastes (nothing while empty); LF ends a line, CR is dropped.
  String clipboard;
  int curLine = 0, curPos = 0, topLine = 0, leftPos = 0;
  int windowX = 80, windowY = 25;
  Settings settings;

protected:
  // Told of each change as it is made (nothing by default), and of the redraw
  // in the middle of an Enter that types an auto indent.
  virtual void Changed(int /*type*/, int /*line*/) {}
  virtual void MidRedraw() {}
  void Notify(int type, int line) {
    if (quiet_ == 0) Changed(type, line);
  }
  int quiet_ = 0;  // inside a compound change that is reported once
  // Ctrl+Y: the current line goes; the last line is emptied instead.
  void DeleteLine();
  // Shift+Ins: the clipboard typed in, each line end splitting the line as
  // Enter does at its end (no auto indent).
  void Paste();

  // What a redraw does to the cursor: the column is remembered as it stood
  // before a short line pulled it back.
  void Draw();
  void Fix();
  void EnsureVisible();
  // Shift with an arrow: a stream selection from the cursor, or the one that
  // ends at the cursor grown or shrunk.
  void ShiftSelect(WORD vk);
  void PadTo(Line &line, int pos);
  void InsertText(const String &s);
  void Enter();
  void Tab();
  // A key that types on an empty line, the cursor beyond its end, first
  // copies the indent of the nearest non-empty line above.
  void IndentEmptyLine();
  void Backspace();
  void Delete();
  String DefaultEol(int line) const;

  int blockType_ = BlockNone;
  int blockLine1_ = 0, blockPos1_ = 0, blockLine2_ = 0, blockPos2_ = 0;
  int rememberedColumn_ = 0;
  int unclampedColumn_ = -1;  // Up or Down's column before a short line pulled it back
  // The column the editor's own Shift+Tab counts from: every line a redraw
  // draws overwrites it, so the last line drawn decides.
  int drawnColumn_ = 0;
};

extern template class TextEditor<char>;
extern template class TextEditor<char16_t>;

}  // namespace sim
