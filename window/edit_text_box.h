// TextBox on one of the window's edit controls.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string_view>

#include "text_box.h"

namespace vornelle {

// Appends are gathered in memory and put into the control at its end, in a few large pieces,
// when the running handler ends or when the box is next read or replaced. The control's final
// state is that of one append per call: the whole text, the caret right after it, the end of
// the text in view and nothing to undo. A long replacement goes in by pieces as well, ending in
// the state that one SetWindowTextA leaves: caret and view at the start, nothing to undo.
class EditTextBox final : public TextBox {
 public:
  EditTextBox() = default;
  explicit EditTextBox(HWND edit) noexcept : edit_(edit) {}

  AnsiText ReadBoxText() override;
  void ReplaceBoxText(const AnsiText& text) override;
  void AppendBoxText(const AnsiText& text) override;

  // Puts the gathered appends into the control.
  void Flush();
  // Forgets gathered appends without putting them anywhere (the program is ending).
  void Discard() noexcept { pending_.Clear(); }
  HWND Handle() const noexcept { return edit_; }

  // Size of each piece handed to the control. Under Wine, a 300 KB listing took 4.2 s in
  // pieces of 512 bytes, 1.9 s in pieces of 2 to 6 KB, 2.7 s in 12 KB and 53 s in one piece:
  // the control re-wraps the growing paragraph at every call and each piece at a cost that
  // grows faster than its size. A multiple of three keeps a listing's groups whole.
  static constexpr std::size_t kChunkBytes = 3 * 1024;

 private:
  AnsiText ReadControlText() const;
  // Adds `bytes` at the end of the control's text in pieces of kChunkBytes, not undoable.
  void InsertAtEnd(std::string_view bytes);

  HWND edit_ = nullptr;
  ByteBuffer pending_;
};

}  // namespace vornelle
