// An edit box as the conversions see it: three operations and nothing else.
#pragma once

#include <utility>

#include "ansi_text.h"

namespace vornelle {

class TextBox {
 public:
  virtual ~TextBox() = default;

  // The box's whole current content; reading changes nothing in the box.
  virtual AnsiText ReadBoxText() = 0;
  // Afterwards the box's content is exactly `text`, in one step; "" empties the box.
  virtual void ReplaceBoxText(const AnsiText& text) = 0;
  // Afterwards the content is the previous content followed directly by `text`.
  virtual void AppendBoxText(const AnsiText& text) = 0;

 protected:
  TextBox() = default;
  TextBox(const TextBox&) = default;
  TextBox& operator=(const TextBox&) = default;
};

// A box that keeps its content in memory and does exactly what the operations say.
class MemoryTextBox final : public TextBox {
 public:
  MemoryTextBox() = default;
  explicit MemoryTextBox(AnsiText content) noexcept : content_(std::move(content)) {}

  AnsiText ReadBoxText() override { return content_; }
  void ReplaceBoxText(const AnsiText& text) override { content_ = text; }
  void AppendBoxText(const AnsiText& text) override { content_.Append(text); }

  const AnsiText& Content() const noexcept { return content_; }

 private:
  AnsiText content_;
};

}  // namespace vornelle
