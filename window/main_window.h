// MainWindow: the program's one window, its six controls, painting and event wiring.
#pragma once

#include <windows.h>

#include <array>

#include "edit_text_box.h"
#include "status_bar.h"
#include "unique_handle.h"
#include "window_template.h"

namespace vornelle {

class MainWindow {
 public:
  struct Options {
    bool quit_when_destroyed = true;  // tests keep their message queue free of WM_QUIT
  };

  MainWindow() noexcept : MainWindow(Options{}) {}
  explicit MainWindow(Options options) noexcept : options_(options) {}
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;
  ~MainWindow();

  // Builds the window and its controls, hidden but for the controls, from the template. False
  // when the window or a control cannot be created. May throw std::bad_alloc.
  bool Build(HINSTANCE instance);
  // Shows the window in its normal state.
  void Show() noexcept;

  HWND Handle() const noexcept { return window_; }
  HWND Control(int id) const noexcept;
  EditTextBox& Box(int id) noexcept;  // kEditBox1Id, kEditBox2Id or kEditBox3Id
  StatusBar& Status() noexcept { return status_bar_; }
  // Puts every box's gathered appends into its control.
  void FlushBoxes();
  void DiscardPendingAppends() noexcept;

  // Keyboard and mouse pre-handling for a message taken for the window or one of its
  // controls; true when the message is consumed and must not be dispatched.
  bool PreTranslateMessage(const MSG& message);

 private:
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

  LRESULT OnCommand(WPARAM wparam, LPARAM lparam);
  LRESULT OnColourEditBox(HDC dc, HWND edit);
  LRESULT OnPaint();
  LRESULT OnSize(WPARAM wparam, LPARAM lparam);
  LRESULT OnActivate(WPARAM wparam, LPARAM lparam);
  LRESULT OnSetFocus();
  LRESULT OnLeftButtonDown(WPARAM wparam, LPARAM lparam);
  LRESULT OnDestroy();

  bool RegisterWindowClass(HINSTANCE instance);
  bool CreateControl(HINSTANCE instance, const ControlTemplate& control, int index);
  bool SetWindowIcons(HINSTANCE instance);
  void StackControls() noexcept;
  void DockStatusBar() noexcept;

  Options options_;
  HWND window_ = nullptr;
  std::array<HWND, kControlCount> controls_{};
  std::array<EditTextBox, 3> boxes_{};
  std::array<UniqueBrush, 3> box_brushes_{};
  UniqueIcon big_icon_;
  UniqueIcon small_icon_;
  StatusBar status_bar_;
  HWND last_focused_ = nullptr;
};

// The handlers of the three event bindings.
void PrepareMainWindow(MainWindow& window);
void RunTextToHex(MainWindow& window);
void RunHexToText(MainWindow& window);

}  // namespace vornelle
