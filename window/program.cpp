#include "program.h"

#include "events.h"
#include "fatal_error.h"
#include "ids.h"
#include "main_window.h"

namespace vornelle {

int RunMessageLoop(MainWindow& window) noexcept {
  MSG message{};
  for (;;) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(message.wParam);
    if (got == -1) return 0;
    bool consumed = false;
    try {
      consumed = window.PreTranslateMessage(message);
    } catch (...) {
      ReportFatalError();
      continue;
    }
    if (consumed) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

int RunProgram(HINSTANCE instance) noexcept {
  try {
    HoldEvents();
    MainWindow window;
    if (!window.Build(instance)) {
      ReportFatalError();
      return kFatalExitCode;
    }
    ReleaseEvents();
    RaiseEvent(window, kMainWindowId, Event::kCreated);
    window.Show();
    return RunMessageLoop(window);
  } catch (...) {
    ReportFatalError();
    return kFatalExitCode;
  }
}

}  // namespace vornelle
