#include "edit_text_box.h"

#include <climits>
#include <string_view>

namespace vornelle {
namespace {

// A position past the end of any text: the edit control takes it as the end.
constexpr WPARAM kEndOfText = INT_MAX;

// The length of the first piece of `bytes` no longer than `limit` that splits neither a
// double-byte character of the ANSI code page nor a line break.
std::size_t PieceLength(std::string_view bytes, std::size_t limit) noexcept {
  if (bytes.size() <= limit) return bytes.size();
  std::size_t length = 0;
  while (length < bytes.size()) {
    const auto byte = static_cast<BYTE>(bytes[length]);
    const bool pair = length + 1 < bytes.size() &&
                      (IsDBCSLeadByte(byte) || (byte == '\r' && bytes[length + 1] == '\n'));
    const std::size_t step = pair ? 2 : 1;
    if (length + step > limit && length > 0) break;
    length += step;
  }
  return length;
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
  if (text.Length() <= kChunkBytes) {
    SetWindowTextA(edit_, text.Data());
    return;
  }
  // One SetWindowTextA of a long paragraph costs the square of its length in Wine's edit
  // control (100 KB: 80 s). Emptying the box and adding the text in pieces gives the same
  // content in a fraction of the time; the caret, scroll position, modified flag and empty undo
  // buffer are then put back as SetWindowTextA leaves them.
  SetWindowTextA(edit_, "");
  InsertAtEnd(text.View());
  SendMessageA(edit_, EM_SETSEL, 0, 0);
  SendMessageA(edit_, EM_SCROLLCARET, 0, 0);
  SendMessageA(edit_, EM_SETMODIFY, FALSE, 0);
}

void EditTextBox::AppendBoxText(const AnsiText& text) {
  pending_.Append(text.View());
}

void EditTextBox::Flush() {
  if (pending_.Empty()) return;
  InsertAtEnd(pending_.View());
  SendMessageA(edit_, EM_SCROLLCARET, 0, 0);
  pending_.Clear();
}

void EditTextBox::InsertAtEnd(std::string_view rest) {
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
}

}  // namespace vornelle
