// Event bindings and their dispatch: exactly three events run program code.
#pragma once

namespace vornelle {

class MainWindow;

enum class Event { kCreated, kClicked };

using EventHandler = void (*)(MainWindow& window);

struct EventBinding {
  int source_id;  // kMainWindowId or a control's child identifier
  Event event;
  EventHandler handler;
};

// While events are held, a raised event runs nothing: during building and after a fatal error.
void HoldEvents() noexcept;
void ReleaseEvents() noexcept;
bool EventsHeld() noexcept;

// Runs the handler bound to this source and event, if any and if events are not held, at once
// and to its end. Nothing escapes: running out of memory in the handler is the fatal error.
void RaiseEvent(MainWindow& window, int source_id, Event event) noexcept;

}  // namespace vornelle
