// Child identifiers of MainWindow's controls: 100 for the first created, 10 more for each next.
#pragma once

namespace vornelle {

inline constexpr int kEditBox1Id = 100;    // 编辑框1: plain text
inline constexpr int kEditBox2Id = 110;    // 编辑框2: hexadecimal listing
inline constexpr int kEditBox3Id = 120;    // 编辑框3: decoded text
inline constexpr int kButton1Id = 130;     // 按钮1: text to hex, the default button
inline constexpr int kButton2Id = 140;     // 按钮2: hex to text
inline constexpr int kStatusBar1Id = 150;  // 状态条1

// The window itself, where an event binding names it.
inline constexpr int kMainWindowId = 0;

}  // namespace vornelle
