// A memory box that also records every call made to it, in order.
#pragma once

#include <string>
#include <vector>

#include "text_box.h"

namespace vornelle::testing {

struct BoxCall {
  std::string box;
  std::string operation;
  std::string argument;
  friend bool operator==(const BoxCall&, const BoxCall&) = default;
};

class RecordingTextBox final : public TextBox {
 public:
  RecordingTextBox(std::string name, std::vector<BoxCall>& log, AnsiText content = {})
      : name_(std::move(name)), log_(log), box_(std::move(content)) {}

  AnsiText ReadBoxText() override {
    log_.push_back({name_, "Read", ""});
    return box_.ReadBoxText();
  }
  void ReplaceBoxText(const AnsiText& text) override {
    log_.push_back({name_, "Replace", std::string(text.View())});
    box_.ReplaceBoxText(text);
  }
  void AppendBoxText(const AnsiText& text) override {
    log_.push_back({name_, "Append", std::string(text.View())});
    box_.AppendBoxText(text);
  }
  std::string Content() const { return std::string(box_.Content().View()); }

 private:
  std::string name_;
  std::vector<BoxCall>& log_;
  MemoryTextBox box_;
};

}  // namespace vornelle::testing
