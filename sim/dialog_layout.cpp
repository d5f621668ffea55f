#include "sim/dialog_layout.h"

#include <map>

namespace sim {

namespace {

std::string Span(int a, int b) { return std::to_string(a) + ".." + std::to_string(b); }

}  // namespace

void LayoutDialog(int width, int height, const std::vector<LayoutItem> &items,
                  std::vector<std::string> *lines, std::vector<std::string> *faults) {
  lines->push_back("dialog " + std::to_string(width) + "x" + std::to_string(height));
  // The frame: everything else must lie inside it.
  int left = 0, right = width - 1, top = 0, bottom = height - 1;
  for (const LayoutItem &it : items) {
    if (it.kind != LayoutItem::Box) continue;
    left = it.x1 + 1;
    right = it.x2 - 1;
    top = it.y1;
    bottom = it.y2;
    break;
  }
  // A centred group: its buttons side by side, one column apart, the row
  // centred in the dialog.
  std::map<int, int> rowWidth, rowNext;
  for (const LayoutItem &it : items)
    if (it.kind == LayoutItem::Button && it.centerGroup)
      rowWidth[it.y1] += (rowWidth.count(it.y1) ? 1 : 0) + it.width + 4;
  for (const auto &row : rowWidth) rowNext[row.first] = (width - row.second) / 2;

  bool framed = false;
  for (const LayoutItem &it : items) {
    int a = it.x1, b = it.x1;
    std::string name, shown = it.shown;
    switch (it.kind) {
      case LayoutItem::Box:
        name = "box";
        a = it.x1;
        b = it.x2;
        break;
      case LayoutItem::Text:
        name = "text";
        if (it.x1 == -1) a = (width - it.width) / 2;
        b = a + it.width - 1;
        break;
      case LayoutItem::Separator:
        name = "separator";
        a = left - 1;
        b = right + 1;
        break;
      case LayoutItem::Edit:
        name = "edit";
        b = it.x2;
        break;
      case LayoutItem::CheckBox:
        name = "check box";
        shown = "[ ] " + it.shown;
        b = a + it.width + 3;
        break;
      case LayoutItem::Button:
        name = "button";
        shown = (it.isDefault ? "{ " : "[ ") + it.shown + (it.isDefault ? " }" : " ]");
        if (it.centerGroup) {
          a = rowNext[it.y1];
          rowNext[it.y1] = a + it.width + 5;
        }
        b = a + it.width + 3;
        break;
      case LayoutItem::Other:
        name = "item";
        break;
    }
    lines->push_back("  " + name + " " + Span(a, b) + " line " + std::to_string(it.y1) + " \"" + shown + "\"");
    if (it.kind == LayoutItem::Box && !framed) {
      framed = true;
      // The title sits on the frame's top with a space on each side.
      if (it.x1 < 0 || it.x2 > width - 1 || it.width + 2 > it.x2 - it.x1 - 1)
        faults->push_back("dialog: the frame " + Span(it.x1, it.x2) + " titled \"" + it.shown +
                          "\" does not fit a dialog " + std::to_string(width) + " wide");
      continue;
    }
    if (it.kind == LayoutItem::Separator) continue;
    if (a < left || b > right || it.y1 <= top || it.y1 >= bottom)
      faults->push_back("dialog: the " + name + " \"" + shown + "\" at columns " + Span(a, b) +
                        " does not fit inside its frame (columns " + Span(left, right) + ")");
  }
}

}  // namespace sim
