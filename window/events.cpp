#include "events.h"

#include <iterator>

#include "fatal_error.h"
#include "ids.h"
#include "main_window.h"

namespace vornelle {
namespace {

// The program's whole list of bindings. Every other event runs no program code.
constexpr EventBinding kEventBindings[] = {
    {kMainWindowId, Event::kCreated, &PrepareMainWindow},
    {kButton1Id, Event::kClicked, &RunTextToHex},  // 编辑框1 → 编辑框2
    {kButton2Id, Event::kClicked, &RunHexToText},  // 编辑框2 → 编辑框3
};

bool g_events_held = false;

}  // namespace

void HoldEvents() noexcept {
  g_events_held = true;
}
void ReleaseEvents() noexcept {
  g_events_held = false;
}
bool EventsHeld() noexcept {
  return g_events_held;
}

void RaiseEvent(MainWindow& window, int source_id, Event event) noexcept {
  if (g_events_held) return;
  for (const EventBinding& binding : kEventBindings) {
    if (binding.source_id != source_id || binding.event != event) continue;
    try {
      binding.handler(window);
      window.FlushBoxes();
    } catch (...) {
      // Only memory can run out here; whatever was gathered for the boxes is dropped.
      window.DiscardPendingAppends();
      ReportFatalError();
    }
    return;
  }
}

}  // namespace vornelle
