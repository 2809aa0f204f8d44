// MainWindow's own keyboard, focus and mouse handling, in place of the dialog manager's.
#include <windows.h>

#include "events.h"
#include "main_window.h"

namespace vornelle {
namespace {

struct Modifiers {
  bool ctrl, shift, alt;
};

Modifiers CurrentModifiers() noexcept {
  return {GetKeyState(VK_CONTROL) < 0, GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_MENU) < 0};
}

bool IsExactly(const Modifiers& actual, bool shift) noexcept {
  return !actual.ctrl && !actual.alt && actual.shift == shift;
}

bool CanTakeFocus(HWND control) noexcept {
  const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
  return IsWindowVisible(control) && IsWindowEnabled(control) && (style & WS_TABSTOP) != 0;
}

// A member of the tab ring now: any control but the status bar that can take the focus.
bool InTabRing(const ControlTemplate& control, HWND handle) noexcept {
  return control.kind != ControlKind::kStatusBar && CanTakeFocus(handle);
}

// An edit box takes Enter itself when it is multi-line and writable.
bool TakesEnter(HWND control) noexcept {
  wchar_t class_name[16] = {};
  GetClassNameW(control, class_name, 16);
  if (lstrcmpiW(class_name, L"EDIT") != 0) return false;
  const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
  return (style & ES_MULTILINE) != 0 && (style & ES_READONLY) == 0;
}

bool IsEnabledDefaultButton(HWND control) noexcept {
  wchar_t class_name[16] = {};
  GetClassNameW(control, class_name, 16);
  if (lstrcmpiW(class_name, L"BUTTON") != 0 || !IsWindowEnabled(control)) return false;
  return (GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

}  // namespace

bool MainWindow::PreTranslateMessage(const MSG& message) {
  if (message.hwnd != window_ && !IsChild(window_, message.hwnd)) return false;

  if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;

  const Modifiers modifiers = CurrentModifiers();
  HWND focused = GetFocus();
  const bool focus_is_ours = focused != nullptr && IsChild(window_, focused);

  switch (message.wParam) {
    case VK_TAB: {
      if (!IsExactly(modifiers, false) && !IsExactly(modifiers, true)) return false;
      // The ring is built anew from the controls that can take the focus now.
      HWND ring[kControlCount] = {};
      int count = 0;
      int current = -1;
      for (int i = 0; i < kControlCount; ++i) {
        if (!InTabRing(kControlTemplates[i], controls_[i])) continue;
        if (controls_[i] == focused) current = count;
        ring[count++] = controls_[i];
      }
      if (count == 0) return true;
      int next;
      if (current < 0) {
        next = modifiers.shift ? count - 1 : 0;
      } else {
        next = (current + (modifiers.shift ? count - 1 : 1)) % count;
      }
      SetFocus(ring[next]);
      return true;
    }
    case VK_RETURN: {
      if (!IsExactly(modifiers, false)) return false;
      if (focus_is_ours && TakesEnter(focused)) return false;
      if (focus_is_ours && IsEnabledDefaultButton(focused)) {
        RaiseEvent(*this, GetDlgCtrlID(focused), Event::kClicked);
        return true;
      }
      // The first enabled default push button in stacking order, top first.
      for (int i = kControlCount - 1; i >= 0; --i) {
        if (IsEnabledDefaultButton(controls_[i])) {
          RaiseEvent(*this, kControlTemplates[i].id, Event::kClicked);
          return true;
        }
      }
      return false;
    }
    default:
      // Esc, F1 and every other key go on to the focused control unchanged.
      return false;
  }
}

LRESULT MainWindow::OnActivate(WPARAM wparam, LPARAM lparam) {
  if (LOWORD(wparam) == WA_INACTIVE) {
    HWND focused = GetFocus();
    if (focused != nullptr && IsChild(window_, focused)) last_focused_ = focused;
  }
  return DefWindowProcW(window_, WM_ACTIVATE, wparam, lparam);
}

LRESULT MainWindow::OnSetFocus() {
  if (last_focused_ != nullptr && IsWindow(last_focused_) && IsChild(window_, last_focused_)) {
    SetFocus(last_focused_);
    return 0;
  }
  for (int i = 0; i < kControlCount; ++i) {
    if (InTabRing(kControlTemplates[i], controls_[i])) {
      SetFocus(controls_[i]);
      break;
    }
  }
  return 0;
}

LRESULT MainWindow::OnLeftButtonDown(WPARAM wparam, LPARAM lparam) {
  // A press on the background, where no control lies, moves the window like its title bar.
  POINT at{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
  ClientToScreen(window_, &at);
  PostMessageW(window_, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(at.x, at.y));
  return DefWindowProcW(window_, WM_LBUTTONDOWN, wparam, lparam);
}

}  // namespace vornelle
