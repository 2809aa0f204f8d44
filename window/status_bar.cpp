#include "status_bar.h"

#include <commctrl.h>

namespace vornelle {

int StatusBar::AddStatusPane(const std::wstring& text, int width) {
  panes_.push_back({width, 0, -1, text, L""});
  ApplyPanes();
  return static_cast<int>(panes_.size()) - 1;
}

void StatusBar::ApplyPanes() {
  if (panes_.empty()) {
    SendMessageW(bar_, SB_SIMPLE, TRUE, 0);
    return;
  }
  SendMessageW(bar_, SB_SIMPLE, FALSE, 0);
  std::vector<int> right_edges;
  right_edges.reserve(panes_.size());
  int right = 0;
  for (const StatusPane& pane : panes_) {
    right += pane.width;
    right_edges.push_back(right);
  }
  if (!SendMessageW(bar_, SB_SETPARTS, right_edges.size(),
                    reinterpret_cast<LPARAM>(right_edges.data()))) {
    return;  // the bar keeps the parts it had; no text is set
  }
  for (std::size_t i = 0; i < panes_.size(); ++i) {
    const StatusPane& pane = panes_[i];
    SendMessageW(bar_, SB_SETTEXTW, i | (pane.flags & 0xFF00u),
                 reinterpret_cast<LPARAM>(pane.text.c_str()));
    if (!pane.tip_text.empty()) {
      SendMessageW(bar_, SB_SETTIPTEXTW, i, reinterpret_cast<LPARAM>(pane.tip_text.c_str()));
    }
  }
}

}  // namespace vornelle
