#include "main_window.h"

#include <commctrl.h>

#include <new>

#include "events.h"
#include "fatal_error.h"
#include "hex_to_text.h"
#include "resource_ids.h"
#include "text_to_hex.h"

namespace vornelle {
namespace {

int EditBoxIndex(int id) noexcept {
  switch (id) {
    case kEditBox1Id:
      return 0;
    case kEditBox2Id:
      return 1;
    case kEditBox3Id:
      return 2;
    default:
      return -1;
  }
}

const wchar_t* ClassNameOf(ControlKind kind) noexcept {
  switch (kind) {
    case ControlKind::kEditBox:
      return L"EDIT";
    case ControlKind::kButton:
      return L"BUTTON";
    case ControlKind::kStatusBar:
      return STATUSCLASSNAMEW;
  }
  return L"";
}

HFONT DefaultGuiFont() noexcept {
  return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

}  // namespace

MainWindow::~MainWindow() {
  if (window_ != nullptr && IsWindow(window_)) {
    const bool quit = options_.quit_when_destroyed;
    options_.quit_when_destroyed = false;
    DestroyWindow(window_);
    options_.quit_when_destroyed = quit;
  }
}

bool MainWindow::RegisterWindowClass(HINSTANCE instance) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(instance, kMainWindowTemplate.class_name, &existing)) return true;
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.style = kMainWindowTemplate.class_style;
  window_class.lpfnWndProc = &MainWindow::WindowProcedure;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  window_class.hbrBackground = nullptr;  // the window paints its own background
  window_class.lpszClassName = kMainWindowTemplate.class_name;
  return RegisterClassExW(&window_class) != 0;
}

bool MainWindow::Build(HINSTANCE instance) {
  INITCOMMONCONTROLSEX common_controls{sizeof common_controls, ICC_BAR_CLASSES};
  if (!InitCommonControlsEx(&common_controls)) return false;
  if (!RegisterWindowClass(instance)) return false;

  const WindowTemplate& t = kMainWindowTemplate;
  const int left = (GetSystemMetrics(SM_CXSCREEN) - t.width) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - t.height) / 2;
  window_ = CreateWindowExW(t.ex_style, t.class_name, t.design_caption, t.style, left, top, t.width,
                            t.height, nullptr, nullptr, instance, this);
  if (window_ == nullptr) return false;
  RECT outer{};
  GetWindowRect(window_, &outer);
  if (outer.right - outer.left != t.width || outer.bottom - outer.top != t.height) {
    SetWindowPos(window_, nullptr, left, top, t.width, t.height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (!SetWindowIcons(instance)) return false;
  for (int i = 0; i < kControlCount; ++i) {
    if (!CreateControl(instance, kControlTemplates[i], i)) return false;
  }
  StackControls();
  DockStatusBar();
  for (HWND control : controls_) ShowWindow(control, SW_SHOWNA);
  return true;
}

bool MainWindow::SetWindowIcons(HINSTANCE instance) {
  // Both icons are made from the 16 x 16, 32-bit image of the application icon.
  HRSRC resource = FindResourceW(instance, MAKEINTRESOURCEW(IDI_WINDOW_IMAGE), RT_ICON);
  HGLOBAL loaded = resource ? LoadResource(instance, resource) : nullptr;
  auto* bits = static_cast<BYTE*>(loaded ? LockResource(loaded) : nullptr);
  if (bits == nullptr) return false;
  const DWORD size = SizeofResource(instance, resource);
  big_icon_.reset(CreateIconFromResourceEx(bits, size, TRUE, 0x00030000, 16, 16, 0));
  small_icon_.reset(CreateIconFromResourceEx(bits, size, TRUE, 0x00030000, 16, 16, 0));
  if (!big_icon_ || !small_icon_) return false;
  SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big_icon_.get()));
  SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon_.get()));
  return true;
}

bool MainWindow::CreateControl(HINSTANCE instance, const ControlTemplate& control, int index) {
  // The edit boxes are ANSI controls: their text is the bytes of the ANSI code page. The
  // buttons and the status bar show the program's own texts, given in Unicode.
  HWND handle = nullptr;
  auto* menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id));
  if (control.kind == ControlKind::kEditBox) {
    handle = CreateWindowExA(0, "EDIT", "", control.style, control.left, control.top, control.width,
                             control.height, window_, menu, instance, nullptr);
  } else {
    handle = CreateWindowExW(0, ClassNameOf(control.kind), control.text, control.style,
                             control.left, control.top, control.width, control.height, window_,
                             menu, instance, nullptr);
  }
  if (handle == nullptr) return false;
  controls_[index] = handle;
  SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultGuiFont()), TRUE);

  switch (control.kind) {
    case ControlKind::kEditBox: {
      const int box = EditBoxIndex(control.id);
      box_brushes_[box].reset(CreateSolidBrush(GetSysColor(COLOR_BTNFACE)));
      if (!box_brushes_[box]) return false;
      boxes_[box] = EditTextBox(handle);
      SendMessageA(handle, EM_LIMITTEXT, 0, 0);
      SendMessageA(handle, EM_SETSEL, 0, 0);
      SendMessageA(handle, EM_SCROLLCARET, 0, 0);
      // The edit control drops WS_BORDER when it is created: put the line border back, with
      // no three-dimensional edge, and have the frame drawn anew.
      SetWindowLongPtrW(handle, GWL_STYLE, GetWindowLongPtrW(handle, GWL_STYLE) | WS_BORDER);
      SetWindowLongPtrW(handle, GWL_EXSTYLE,
                        GetWindowLongPtrW(handle, GWL_EXSTYLE) &
                            ~static_cast<LONG_PTR>(WS_EX_CLIENTEDGE | WS_EX_STATICEDGE |
                                                   WS_EX_WINDOWEDGE | WS_EX_DLGMODALFRAME));
      SetWindowPos(handle, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
      break;
    }
    case ControlKind::kButton:
      break;
    case ControlKind::kStatusBar:
      SendMessageW(handle, SB_SIMPLE, FALSE, 0);
      SendMessageW(handle, CCM_SETBKCOLOR, 0, static_cast<LPARAM>(GetSysColor(COLOR_BTNFACE)));
      status_bar_ = StatusBar(handle);
      status_bar_.ApplyPanes();  // no panes yet: simple mode
      break;
  }
  return true;
}

void MainWindow::StackControls() noexcept {
  // The reverse of the creation order, the status bar on top.
  HWND above = HWND_TOP;
  for (int i = kControlCount - 1; i >= 0; --i) {
    SetWindowPos(controls_[i], above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    above = controls_[i];
  }
}

void MainWindow::DockStatusBar() noexcept {
  HWND bar = status_bar_.Handle();
  if (bar == nullptr) return;
  // The bar works out its own place and height, then its bottom goes on the client's bottom.
  SendMessageW(bar, WM_SIZE, 0, 0);
  RECT client{};
  RECT place{};
  GetClientRect(window_, &client);
  GetWindowRect(bar, &place);
  MapWindowPoints(HWND_DESKTOP, window_, reinterpret_cast<POINT*>(&place), 2);
  const int height = place.bottom - place.top;
  SetWindowPos(bar, nullptr, place.left, client.bottom - height, place.right - place.left, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::Show() noexcept {
  ShowWindow(window_, SW_SHOW);
}

HWND MainWindow::Control(int id) const noexcept {
  for (int i = 0; i < kControlCount; ++i) {
    if (kControlTemplates[i].id == id) return controls_[i];
  }
  return nullptr;
}

EditTextBox& MainWindow::Box(int id) noexcept {
  const int index = EditBoxIndex(id);
  return boxes_[index < 0 ? 0 : index];
}

void MainWindow::FlushBoxes() {
  for (EditTextBox& box : boxes_) box.Flush();
}

void MainWindow::DiscardPendingAppends() noexcept {
  for (EditTextBox& box : boxes_) box.Discard();
}

LRESULT CALLBACK MainWindow::WindowProcedure(HWND window, UINT message, WPARAM wparam,
                                             LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    auto* self = static_cast<MainWindow*>(create->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  // Nothing may unwind through the system: the handlers catch what they can meet.
  try {
    return self->HandleMessage(message, wparam, lparam);
  } catch (...) {
    ReportFatalError();
    return 0;
  }
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      return OnCommand(wparam, lparam);
    case WM_CTLCOLOREDIT:
      return OnColourEditBox(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
    case WM_PAINT:
      return OnPaint();
    case WM_SIZE:
      return OnSize(wparam, lparam);
    case WM_ACTIVATE:
      return OnActivate(wparam, lparam);
    case WM_SETFOCUS:
      return OnSetFocus();
    case WM_LBUTTONDOWN:
      return OnLeftButtonDown(wparam, lparam);
    case WM_DESTROY:
      return OnDestroy();
    default:
      return DefWindowProcW(window_, message, wparam, lparam);
  }
}

LRESULT MainWindow::OnCommand(WPARAM wparam, LPARAM lparam) {
  const int id = LOWORD(wparam);
  if (lparam != 0 && HIWORD(wparam) == BN_CLICKED && (id == kButton1Id || id == kButton2Id)) {
    RaiseEvent(*this, id, Event::kClicked);
    return 0;
  }
  return DefWindowProcW(window_, WM_COMMAND, wparam, lparam);
}

LRESULT MainWindow::OnColourEditBox(HDC dc, HWND edit) {
  for (int i = 0; i < kControlCount; ++i) {
    const ControlTemplate& control = kControlTemplates[i];
    if (controls_[i] != edit || control.kind != ControlKind::kEditBox) continue;
    SetTextColor(dc, control.text_colour);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(box_brushes_[EditBoxIndex(control.id)].get());
  }
  return DefWindowProcW(window_, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                        reinterpret_cast<LPARAM>(edit));
}

LRESULT MainWindow::OnPaint() {
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(window_, &paint);
  if (dc != nullptr) {
    UniqueBrush face(CreateSolidBrush(GetSysColor(COLOR_BTNFACE)));
    FillRect(dc, &paint.rcPaint, face ? face.get() : GetSysColorBrush(COLOR_BTNFACE));
    EndPaint(window_, &paint);
  }
  return 0;
}

LRESULT MainWindow::OnSize(WPARAM wparam, LPARAM lparam) {
  DockStatusBar();
  return DefWindowProcW(window_, WM_SIZE, wparam, lparam);
}

LRESULT MainWindow::OnDestroy() {
  if (options_.quit_when_destroyed) PostQuitMessage(0);
  return 0;
}

void PrepareMainWindow(MainWindow& window) {
  SetWindowTextW(window.Handle(), kCaption);
  RECT outer{};
  GetWindowRect(window.Handle(), &outer);
  window.Status().AddStatusPane(kStatusText, outer.right - outer.left);
}

void RunTextToHex(MainWindow& window) {
  TextToHex(window.Box(kEditBox1Id), window.Box(kEditBox2Id));
}

void RunHexToText(MainWindow& window) {
  ListingBoxToTextBox(window.Box(kEditBox2Id), window.Box(kEditBox3Id));
}

}  // namespace vornelle
