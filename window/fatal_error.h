// The one error path: memory that cannot be had, or a window that cannot be created.
#pragma once

namespace vornelle {

// Holds events, tells the user that the program cannot go on (a message box with no owner, error
// icon, OK button) and, when the box is closed, ends the process with exit code -1.
void ReportFatalError() noexcept;

// Test seam: replaces the message box and the end of the process. Passing nullptr restores the
// real one. The replacement `exit_process` may return; the caller then unwinds normally.
struct FatalErrorHooks {
  void (*show_message)();
  void (*exit_process)(int exit_code);
};
void SetFatalErrorHooks(const FatalErrorHooks* hooks) noexcept;

inline constexpr int kFatalExitCode = -1;

}  // namespace vornelle
