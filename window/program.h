#pragma once

#include <windows.h>

namespace vornelle {

// Start-up, the message loop and the end: gives the process's exit code.
int RunProgram(HINSTANCE instance) noexcept;

// Takes, pre-handles and dispatches messages until WM_QUIT; gives the code it carries.
class MainWindow;
int RunMessageLoop(MainWindow& window) noexcept;

}  // namespace vornelle
