#include "edit_text_box.h"

#include <climits>
#include <string_view>

namespace vornelle {
namespace {

// A position past the end of any text: the edit control takes it as the end.
constexpr WPARAM kEndOfText = INT_MAX;

// The length of the first piece of `bytes` no longer than `limit` that does not split a
// double-byte character of the ANSI code page.
std::size_t PieceLength(std::string_view bytes, std::size_t limit) noexcept {
  if (bytes.size() <= limit) return bytes.size();
  std::size_t length = 0;
  while (length < limit) {
    const bool lead = IsDBCSLeadByte(static_cast<BYTE>(bytes[length])) && length + 1 < bytes.size();
    const std::size_t step = lead ? 2 : 1;
    if (length + step > limit) break;
    length += step;
  }
  return length == 0 ? 2 : length;  // never less than one whole character
}

}  // namespace

AnsiText EditTextBox::ReadControlText() const {
  const int reported = GetWindowTextLengthA(edit_);
  if (reported <= 0) return AnsiText();
  ByteBuffer buffer;
  buffer.Reserve(static_cast<std::size_t>(reported) + 1);
  // The reported length can exceed what is copied on double-byte systems: keep what was copied.
  const int copied = GetWindowTextA(edit_, buffer.MutableData(), reported + 1);
  if (copied <= 0) return AnsiText();
  buffer.SetSize(static_cast<std::size_t>(copied < reported ? copied : reported));
  return AnsiText(std::move(buffer));
}

AnsiText EditTextBox::ReadBoxText() {
  Flush();
  return ReadControlText();
}

void EditTextBox::ReplaceBoxText(const AnsiText& text) {
  pending_.Clear();
  SetWindowTextA(edit_, text.Data());
}

void EditTextBox::AppendBoxText(const AnsiText& text) {
  pending_.Append(text.View());
}

void EditTextBox::Flush() {
  if (pending_.Empty()) return;
  std::string_view rest = pending_.View();
  ByteBuffer piece;
  piece.Reserve(kChunkBytes + 2);
  while (!rest.empty()) {
    const std::size_t length = PieceLength(rest, kChunkBytes);
    piece.Clear();
    piece.Append(rest.substr(0, length));
    piece.Append('\0');
    rest.remove_prefix(length);
    SendMessageA(edit_, EM_SETSEL, kEndOfText, kEndOfText);
    SendMessageA(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(piece.Data()));
  }
  SendMessageA(edit_, EM_SCROLLCARET, 0, 0);
  pending_.Clear();
}

}  // namespace vornelle
