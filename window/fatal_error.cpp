#include "fatal_error.h"

#include <windows.h>

#include "events.h"

namespace vornelle {
namespace {

void ShowFatalMessage() {
  MessageBoxW(nullptr, L"内存不足，Vornelle 无法继续运行。", L"Vornelle", MB_OK | MB_ICONERROR);
}

[[noreturn]] void EndProcess(int exit_code) {
  ExitProcess(static_cast<UINT>(exit_code));
}

const FatalErrorHooks kRealHooks = {&ShowFatalMessage, &EndProcess};
const FatalErrorHooks* g_hooks = &kRealHooks;

}  // namespace

void SetFatalErrorHooks(const FatalErrorHooks* hooks) noexcept {
  g_hooks = hooks != nullptr ? hooks : &kRealHooks;
}

void ReportFatalError() noexcept {
  HoldEvents();
  g_hooks->show_message();
  g_hooks->exit_process(kFatalExitCode);
}

}  // namespace vornelle
