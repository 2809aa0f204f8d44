// The description of MainWindow and its six controls, held once: every place, size, style and
// colour that building the window uses.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <iterator>

#include "ids.h"

namespace vornelle {

enum class ControlKind { kEditBox, kButton, kStatusBar };

struct ControlTemplate {
  const char* name;  // the control's name for the life of the window (UTF-8)
  ControlKind kind;
  int left, top, width, height;  // in the window's client area, outer size, pixels
  int id;
  DWORD style;
  COLORREF text_colour;  // edit boxes only
  const wchar_t* text;   // text at start
};

struct WindowTemplate {
  const wchar_t* class_name;
  UINT class_style;
  DWORD style;
  DWORD ex_style;
  int left, top, width, height;  // outer size; the place is replaced by the centred one
  const wchar_t* design_caption;
};

inline constexpr WindowTemplate kMainWindowTemplate = {
    L"VornelleMainWindow",
    CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
    0,
    50,
    50,
    450,
    272,
    L"16进制与文本转换",
};

inline constexpr DWORD kEditBoxStyle = WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | ES_MULTILINE |
                                       ES_AUTOVSCROLL | ES_WANTRETURN | WS_BORDER;
inline constexpr DWORD kButtonStyle =
    WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | BS_CENTER | BS_VCENTER | BS_MULTILINE;
inline constexpr DWORD kStatusBarStyle = WS_CHILD | CCS_BOTTOM | SBARS_SIZEGRIP | SBARS_TOOLTIPS;

// In creation order; the stacking order is the reverse.
inline constexpr ControlTemplate kControlTemplates[] = {
    {"编辑框1", ControlKind::kEditBox, 2, 6, 440, 55, kEditBox1Id, kEditBoxStyle, RGB(255, 0, 0),
     L""},
    {"编辑框2", ControlKind::kEditBox, 2, 86, 440, 55, kEditBox2Id, kEditBoxStyle, RGB(255, 128, 0),
     L""},
    {"编辑框3", ControlKind::kEditBox, 2, 166, 440, 55, kEditBox3Id, kEditBoxStyle,
     RGB(128, 0, 128), L""},
    {"按钮1", ControlKind::kButton, 2, 63, 440, 20, kButton1Id, kButtonStyle | BS_DEFPUSHBUTTON, 0,
     L"文本转换十六进制"},
    {"按钮2", ControlKind::kButton, 2, 143, 440, 20, kButton2Id, kButtonStyle | BS_PUSHBUTTON, 0,
     L"Vornelle文本"},
    {"状态条1", ControlKind::kStatusBar, -40, 307, 289, 20, kStatusBar1Id, kStatusBarStyle, 0, L""},
};
inline constexpr int kControlCount = static_cast<int>(std::size(kControlTemplates));

// Texts that the created handler puts in place before the window is first shown.
inline constexpr const wchar_t* kCaption = L"Vornelle V1.0.2";
inline constexpr const wchar_t* kStatusText = L"十六进制文本互换 ";

}  // namespace vornelle
