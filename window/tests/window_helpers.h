// Helpers for code that runs MainWindow in its own process: the window tests and the benchmark.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace vornelle::testing {

// Handles every message waiting in this thread's queue.
inline void PumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// A window's whole text, as ANSI bytes.
inline std::string ReadA(HWND window) {
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

}  // namespace vornelle::testing
