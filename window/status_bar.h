// 状态条1's panes: a list of records, shown as the common-controls status bar's parts.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vornelle {

struct StatusPane {
  int width;       // pixels
  unsigned flags;  // drawing flags; 0 is the standard sunken border
  int icon_index;  // -1 for no icon; this program shows none
  std::wstring text;
  std::wstring tip_text;  // empty for none
};

class StatusBar {
 public:
  StatusBar() = default;
  explicit StatusBar(HWND bar) noexcept : bar_(bar) {}

  // Appends one pane (sunken border, no icon, no tip) and shows the list; gives its index.
  int AddStatusPane(const std::wstring& text, int width);
  // Shows the current list; an empty list is simple mode with no text.
  void ApplyPanes();
  HWND Handle() const noexcept { return bar_; }
  const std::vector<StatusPane>& Panes() const noexcept { return panes_; }

 private:
  HWND bar_ = nullptr;
  std::vector<StatusPane> panes_;
};

}  // namespace vornelle
