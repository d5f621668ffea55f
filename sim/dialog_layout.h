// Both faces: where the host draws a dialog's items, and which of them do not
// fit inside the dialog's frame (a button row of long texts in another
// language spills over the frame on the real screen).
#pragma once

#include <string>
#include <vector>

namespace sim {

struct LayoutItem {
  enum Kind { Box, Text, Separator, Edit, CheckBox, Button, Other } kind = Other;
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  bool centerGroup = false;
  bool isDefault = false;
  std::string shown;  // the text as the face reports it, without the hot-key '&'
  int width = 0;      // the columns that text takes
};

// The columns a text takes: each unit one column, the first '&' (the hot key's
// mark) none.
template <class Unit>
void ShownText(const Unit *text, std::basic_string<Unit> *shown) {
  shown->clear();
  bool marked = false;
  for (; text && *text; ++text) {
    if (*text == Unit('&') && !marked) {
      marked = true;
      continue;
    }
    shown->push_back(*text);
  }
}

// Lays the items out in a dialog of WIDTH x HEIGHT (as the host does with
// X1 = Y1 = -1); LINES gets one line per item, FAULTS one per item outside
// the frame (the first Box item).
void LayoutDialog(int width, int height, const std::vector<LayoutItem> &items,
                  std::vector<std::string> *lines, std::vector<std::string> *faults);

}  // namespace sim
