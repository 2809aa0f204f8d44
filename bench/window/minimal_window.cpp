// The smallest Win32 window program: one class, one window, shown, and a message loop. The
// start-up reference for vornelle.exe, built the same way (GUI subsystem, static runtime).
#include <windows.h>
#if defined(VORNELLE_MINIMAL_COMMON_CONTROLS) || defined(VORNELLE_MINIMAL_CONTROLS)
#include <commctrl.h>
#endif

namespace {

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
#if defined(VORNELLE_MINIMAL_COMMON_CONTROLS) || defined(VORNELLE_MINIMAL_CONTROLS)
  // The variant that also loads the common controls, as vornelle.exe does for its status bar.
  INITCOMMONCONTROLSEX common_controls{sizeof common_controls, ICC_BAR_CLASSES};
  if (!InitCommonControlsEx(&common_controls)) return 1;
#endif
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = &Procedure;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = L"VornelleMinimalWindow";
  if (RegisterClassExW(&window_class) == 0) return 1;
  HWND window =
      CreateWindowExW(0, window_class.lpszClassName, L"minimal", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                      CW_USEDEFAULT, 450, 272, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 1;
#ifdef VORNELLE_MINIMAL_CONTROLS
  // The variant with vornelle.exe's six children in their plainest form: three edit boxes, two
  // buttons and a status bar, created and shown, nothing else done to them.
  const struct {
    const wchar_t* class_name;
    DWORD style;
    int top;
  } kChildren[] = {
      {L"EDIT", ES_MULTILINE | ES_AUTOVSCROLL | WS_BORDER, 6},
      {L"EDIT", ES_MULTILINE | ES_AUTOVSCROLL | WS_BORDER, 86},
      {L"EDIT", ES_MULTILINE | ES_AUTOVSCROLL | WS_BORDER, 166},
      {L"BUTTON", BS_DEFPUSHBUTTON, 63},
      {L"BUTTON", BS_PUSHBUTTON, 143},
      {STATUSCLASSNAMEW, CCS_BOTTOM, 0},
  };
  int id = 100;
  for (const auto& child : kChildren) {
    if (CreateWindowExW(0, child.class_name, L"", WS_CHILD | WS_VISIBLE | child.style, 2, child.top,
                        440, child.top == 0 ? 20 : 55, window,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance,
                        nullptr) == nullptr) {
      return 1;
    }
    id += 10;
  }
#endif
  ShowWindow(window, SW_SHOW);
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}
