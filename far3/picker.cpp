// "Insert macro": a menu of the macros that apply to the file in the editor,
// and the same expansion for a keyboard macro's Plugin.Call.
#include <cstdlib>
#include <cstring>

#include "assists/indent/reindent.h"
#include "far3/edition.h"
#include "snippets/expand.h"
#include "snippets/preview.h"

namespace far3 {

namespace {

const FarChar PickerTopic[] = FAR3_TEXT("InsertMacro");
// Far shows a tab in a menu as one space: names are aligned with spaces, and
// a line break in a body is drawn as this mark.
constexpr FarChar LineBreakMark = 0x23CE;
constexpr FarChar Ellipsis = 0x2026;
// Names longer than this are not padded: the bodies stay in sight.
constexpr size_t NameColumnLimit = 24;
// Items as wide as Far draws them on a screen of 256 columns.
constexpr size_t ItemLimit = 256;
constexpr size_t ItemStride = ItemLimit + 1;  // an item's text and its NUL

// The widest item the menu shows uncut: the box is the item and five columns
// (frame, two in front, one behind) and leaves two columns each side.
size_t ItemWidth(int windowWidth) {
  const int width = windowWidth > 0 ? windowWidth : 80;
  const int item = width - 9;
  if (item < 20) return 20;
  return static_cast<size_t>(item) < ItemLimit ? static_cast<size_t>(item) : ItemLimit;
}

// NAME, spaces to the body's column, the preview; cut to `width` with an
// ellipsis as its last unit.
void ItemText(const MacroEntry &entry, size_t nameColumn, size_t width, FarChar *out) {
  static FarChar preview[MacroNameLimit + 2 * MacroBodyLimit + 2];
  PreviewMacro(entry, LineBreakMark, preview, sizeof(preview) / sizeof(FarChar));
  size_t n = 0;
  auto put = [&](FarChar c) {
    if (n < ItemLimit) out[n++] = c;
  };
  for (const FarChar *p = entry.Name; *p; ++p) put(*p);
  put(' ');
  put(' ');
  while (n < nameColumn + 2) put(' ');
  for (const FarChar *p = preview; *p; ++p) put(*p);
  if (n > width) {
    n = width;
    out[n - 1] = Ellipsis;
  }
  out[n] = 0;
}

int SectionOf(int entry) { return Sections.of ? Sections.of[entry] : 0; }

// Table entries by name, then the latest section first, then the file's order.
int ByNameLatestFirst(const void *a, const void *b) {
  const int i = *static_cast<const int *>(a), j = *static_cast<const int *>(b);
  const FarChar *x = MacroTable[i].Name, *y = MacroTable[j].Name;
  while (*x && *x == *y) ++x, ++y;
  if (*x != *y) return *x < *y ? -1 : 1;
  if (SectionOf(i) != SectionOf(j)) return SectionOf(i) > SectionOf(j) ? -1 : 1;
  return i < j ? -1 : i > j ? 1 : 0;
}


// Type to find: the letters, digits and '_' typed in the list narrow it to the
// macros whose names begin with them (a name's leading '#', '@', '/' and the
// like skipped, so "inc" finds "#inc"), shortest first; BS widens. The menu
// returns at each such key and opens again; Far's own filter (Ctrl+Alt+F)
// keeps whatever these keys leave it.
constexpr size_t TypedLimit = 32;
// Every key typed in the list reopens it: far more than anyone types there.
constexpr int ReopenLimit = 4096;
constexpr WORD BackKey = 0x08, MinusKey = 0xBD;

// The menu's break keys and the character each types (0: BS). Filled per
// call: a static with a constructor would bring the C++ runtime's guards in.
struct NameKeys {
  FarKey keys[26 * 2 + 10 + 3];
  FarChar chars[26 * 2 + 10 + 2];
  void Fill() {
    size_t n = 0;
    auto add = [&](WORD vk, DWORD state, FarChar c) {
      keys[n] = FarKey{vk, state};
      chars[n++] = c;
    };
    for (WORD c = 'A'; c <= 'Z'; ++c) {
      add(c, 0, static_cast<FarChar>(c - 'A' + 'a'));
      add(c, SHIFT_PRESSED, static_cast<FarChar>(c));
    }
    for (WORD c = '0'; c <= '9'; ++c) add(c, 0, static_cast<FarChar>(c));
    add(MinusKey, SHIFT_PRESSED, '_');
    add(BackKey, 0, 0);
    keys[n] = FarKey{0, 0};
  }
};

FarChar Folded(FarChar c) { return c >= 'A' && c <= 'Z' ? static_cast<FarChar>(c - 'A' + 'a') : c; }

bool WordUnit(FarChar c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c > 0x7F;
}

bool BeginsWith(const FarChar *name, const FarChar *typed) {
  for (; *typed; ++name, ++typed)
    if (Folded(*name) != Folded(*typed)) return false;
  return true;
}

bool NameAnswers(const FarChar *name, const FarChar *typed) {
  if (BeginsWith(name, typed)) return true;
  while (*name && !WordUnit(*name)) ++name;
  return BeginsWith(name, typed);
}

// The list (`order`: indexes into the macro table, `items` their texts) until
// Enter or Esc; the table index of the macro chosen, or -1.
intptr_t ChooseByName(const int *order, const FarMenuItem *items, size_t shown) {
  NameKeys keys;
  keys.Fill();
  const FarChar *title = GetMsgText(MPickerTitle);
  const FarChar *bottom = GetMsgText(MPickerBottom);
  if (!title) title = Empty;
  size_t *view = static_cast<size_t *>(std::malloc(shown * sizeof(size_t)));
  FarMenuItem *menu = static_cast<FarMenuItem *>(std::malloc(shown * sizeof(FarMenuItem)));
  if (!view || !menu) {
    std::free(view);
    std::free(menu);
    return -1;
  }
  FarChar typed[TypedLimit + 1] = {0};
  FarChar trial[TypedLimit + 1];
  FarChar heading[MacroNameLimit + TypedLimit + 8];
  size_t typedLength = 0, selected = 0;  // an index into `items`
  intptr_t answer = -1;
  // The items whose names answer `text`: all in the list's order when it is
  // empty, else the shortest names first.
  auto narrow = [&](const FarChar *text) {
    size_t n = 0;
    for (size_t k = 0; k < shown; ++k)
      if (NameAnswers(MacroTable[order[k]].Name, text)) view[n++] = k;
    if (text[0])
      for (size_t i = 1; i < n; ++i)
        for (size_t j = i; j > 0 && TextLength(MacroTable[order[view[j]]].Name) <
                                        TextLength(MacroTable[order[view[j - 1]]].Name); --j) {
          const size_t t = view[j];
          view[j] = view[j - 1];
          view[j - 1] = t;
        }
    return n;
  };
  size_t count = narrow(typed);
  for (int round = 0; round < ReopenLimit; ++round) {
    for (size_t i = 0; i < count; ++i) {
      menu[i] = items[view[i]];
      menu[i].Flags = view[i] == selected ? static_cast<Flags64>(MIF_SELECTED) : 0;
    }
    const FarChar *shownTitle = title;
    if (typedLength) {
      size_t n = 0;
      for (const FarChar *p = title; *p && n < MacroNameLimit; ++p) heading[n++] = *p;
      heading[n++] = ':';
      heading[n++] = ' ';
      for (size_t i = 0; i < typedLength; ++i) heading[n++] = typed[i];
      heading[n] = 0;
      shownTitle = heading;
    }
    intptr_t breakCode = -1;
    // Bodies hold '&' (as in &&): shown as typed, never taken as a hot key.
    const intptr_t at = StartupInfo.Menu(&PluginGuid, &PickerGuid, -1, -1, 0, FMENU_WRAPMODE | FMENU_SHOWAMPERSAND,
                                         shownTitle, bottom ? bottom : Empty, PickerTopic, keys.keys, &breakCode,
                                         menu, count);
    // -1 (Esc) as a size is past any count.
    const bool onItem = static_cast<size_t>(at) < count;
    if (onItem) selected = view[at];
    if (breakCode < 0) {
      if (onItem) answer = order[view[at]];
      break;
    }
    const FarChar c = keys.chars[breakCode];
    if (c == 0) {
      if (typedLength == 0) continue;
      typed[--typedLength] = 0;
      count = narrow(typed);
      continue;
    }
    if (typedLength == TypedLimit) continue;
    std::memcpy(trial, typed, typedLength * sizeof(FarChar));
    trial[typedLength] = c;
    trial[typedLength + 1] = 0;
    const size_t n = narrow(trial);
    // A key that leaves no macro is not taken: the list stays as it was
    // (narrowing to nothing writes no entry of `view`).
    if (n == 0) continue;
    std::memcpy(typed, trial, (typedLength + 2) * sizeof(FarChar));
    ++typedLength;
    count = n;
    selected = view[0];
  }
  std::free(view);
  std::free(menu);
  return answer;
}

// The macros that answer in this file, listed for the user to choose from:
// for each name the one its section gives, in the file's order. The table
// index of the one chosen, or -1. The host is asked once per section.
intptr_t ListAndChoose(const FarChar *fileName, size_t width, int *chosen, bool *applies, bool *answers,
                       FarMenuItem *items, FarChar *texts) {
  const size_t count = static_cast<size_t>(MacroCount);
  applies[0] = true;
  for (int k = 1; k <= Sections.count; ++k) applies[k] = SectionApplies(k, fileName);
  size_t candidates = 0;
  for (size_t i = 0; i < count; ++i) {
    answers[i] = false;
    if (applies[SectionOf(static_cast<int>(i))]) chosen[candidates++] = static_cast<int>(i);
  }
  // By name, the latest section first: the first of each name answers.
  std::qsort(chosen, candidates, sizeof(int), &ByNameLatestFirst);
  for (size_t k = 0; k < candidates; ++k)
    if (k == 0 || !SameMacroName(MacroTable[chosen[k]].Name, MacroTable[chosen[k - 1]].Name))
      answers[chosen[k]] = true;
  size_t shown = 0, nameColumn = 0;
  for (size_t i = 0; i < count; ++i) {
    if (!answers[i]) continue;
    chosen[shown++] = static_cast<int>(i);
    const size_t n = TextLength(MacroTable[i].Name);
    if (n > nameColumn && n <= NameColumnLimit) nameColumn = n;
  }
  for (size_t k = 0; k < shown; ++k) {
    FarChar *text = texts + k * ItemStride;
    ItemText(MacroTable[chosen[k]], nameColumn, width, text);
    items[k].Text = text;
  }
  if (shown > 0) return ChooseByName(chosen, items, shown);
  ShowMessage(PickerTopic, GetMsgText(MNoMacros));
  return -1;
}

}  // namespace

void PickMacro() {
  if (!FarEditor || !StartupInfo.Menu) return;
  if (MacroCount == 0) {
    ShowMessage(PickerTopic, GetMsgText(MNoMacros));
    return;
  }
  // No file name: no editor is current.
  const FarChar *fileName = FarEditor->ReadFileName();
  if (!fileName) return;
  FarEditor->GetPosition();
  const size_t width = ItemWidth(FarEditor->WindowWidth());
  const size_t count = static_cast<size_t>(MacroCount);
  int *chosen = static_cast<int *>(std::malloc(count * sizeof(int)));
  bool *applies = static_cast<bool *>(std::malloc(static_cast<size_t>(Sections.count) + 1));
  bool *answers = static_cast<bool *>(std::malloc(count));
  FarMenuItem *items = static_cast<FarMenuItem *>(std::calloc(count, sizeof(FarMenuItem)));
  FarChar *texts = static_cast<FarChar *>(std::malloc(count * ItemStride * sizeof(FarChar)));
  const intptr_t picked = chosen && applies && answers && items && texts
                              ? ListAndChoose(fileName, width, chosen, applies, answers, items, texts)
                              : -1;
  std::free(chosen);
  std::free(applies);
  std::free(answers);
  std::free(items);
  std::free(texts);
  if (picked >= 0) PlayExpansion<Edition, true>(&MacroTable[picked]);
}

HANDLE CallMacro(const OpenMacroInfo *info) {
  if (!FarEditor || !info || info->StructSize < sizeof(OpenMacroInfo) || info->Count < 1 ||
      !info->Values || info->Values[0].Type != FMVT_STRING || !info->Values[0].String)
    return nullptr;
  // "=" is the re-indent command (Vim's operator), not a macro's name.
  const FarChar *name = info->Values[0].String;
  if (name[0] == '=' && name[1] == 0) return Reindent() ? reinterpret_cast<HANDLE>(static_cast<intptr_t>(1)) : nullptr;
  // A keyboard macro may call from the panels too: only an editor has a file name.
  const FarChar *fileName = FarEditor->ReadFileName();
  const MacroEntry *entry = fileName ? FindMacroFor(info->Values[0].String, fileName) : nullptr;
  if (!entry) return nullptr;
  PlayExpansion<Edition, true>(entry);
  // Not an address: the macro sees true.
  return reinterpret_cast<HANDLE>(static_cast<intptr_t>(1));
}

bool Reindent() {
  if (!FarEditor || !FarEditor->ReadFileName()) return false;
  indent::Fallback fallback;
  FarEditor->GetPosition();
  fallback.tabSize = FarEditor->TabSize();
  fallback.expandTabs = FarEditor->ExpandsTabs();
  fallback.indentCaseLabels = ActiveOptions().indentCaseLabels;
  return indent::ReindentCommand<Edition>(fallback);
}

// A stop's choices: a menu without title below the cursor's line (the host
// moves a menu that would not fit), the first item focused.
int Edition::ChooseText(const FarChar *const *items, int count) {
  if (!StartupInfo.Menu || !FarEditor || count <= 0) return -1;
  FarMenuItem *menu = static_cast<FarMenuItem *>(std::calloc(static_cast<size_t>(count), sizeof(FarMenuItem)));
  if (!menu) return -1;
  for (int i = 0; i < count; ++i) {
    menu[i].Text = items[i];
    menu[i].Flags = i == 0 ? static_cast<Flags64>(MIF_SELECTED) : 0;
  }
  const EditorPosition pos = FarEditor->GetPosition();
  const intptr_t x = pos.CurPos > pos.LeftPos ? pos.CurPos - pos.LeftPos : 0;
  const intptr_t y = pos.CurLine >= pos.TopScreenLine ? pos.CurLine - pos.TopScreenLine + 2 : -1;
  const intptr_t chosen = StartupInfo.Menu(&PluginGuid, &ChoicesGuid, x, y, 0, FMENU_WRAPMODE | FMENU_SHOWAMPERSAND,
                                           Empty, Empty, nullptr, nullptr, nullptr, menu,
                                           static_cast<size_t>(count));
  std::free(menu);
  return chosen >= 0 && chosen < count ? static_cast<int>(chosen) : -1;
}

}  // namespace far3
