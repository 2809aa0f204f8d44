// Reading a hexadecimal listing back into text. Nothing is refused: the listing is cut at spaces
// into groups, and every group yields one byte by fixed arithmetic, whatever it holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>

#include "ansi_text.h"
#include "text_box.h"

namespace vornelle {

// The groups of a listing, in listing order, each a view into the listing (which must outlive
// it). They are found as the list is walked, so a listing of many megabytes costs no memory of
// its own. Rules of the cut:
//  - a space (0x20) ends the current group, which may be empty;
//  - a byte of 0x80 or above is taken together with the byte after it as one double-byte
//    character, and that byte is never taken for a space; a byte of 0x80 or above that is the
//    last byte of the listing ends the scan and stays in the current group;
//  - every other byte belongs to the current group;
//  - at the end, the current group is added only if it is not empty.
class GroupList {
 public:
  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = std::string_view;
    using difference_type = std::ptrdiff_t;
    using pointer = const std::string_view*;
    using reference = const std::string_view&;

    Iterator() = default;
    reference operator*() const noexcept { return group_; }
    pointer operator->() const noexcept { return &group_; }
    Iterator& operator++() noexcept {
      Advance();
      return *this;
    }
    Iterator operator++(int) noexcept {
      Iterator before = *this;
      Advance();
      return before;
    }
    friend bool operator==(const Iterator& a, const Iterator& b) noexcept {
      return a.at_end_ == b.at_end_ &&
             (a.at_end_ || (a.next_ == b.next_ && a.scan_done_ == b.scan_done_));
    }
    friend bool operator!=(const Iterator& a, const Iterator& b) noexcept { return !(a == b); }

   private:
    friend class GroupList;
    explicit Iterator(std::string_view listing) noexcept
        : next_(listing.data()), end_(listing.data() + listing.size()), at_end_(false) {
      Advance();
    }
    void Advance() noexcept;

    const char* next_ = nullptr;  // where the scan goes on
    const char* end_ = nullptr;
    std::string_view group_;
    bool scan_done_ = false;  // the current group is the last one
    bool at_end_ = true;
  };

  explicit GroupList(std::string_view listing) noexcept : listing_(listing) {}
  Iterator begin() const noexcept { return Iterator(listing_); }
  Iterator end() const noexcept { return Iterator(); }
  // The number of groups, by one walk over the listing.
  std::size_t Count() const noexcept;

 private:
  std::string_view listing_;
};

GroupList SplitListing(const AnsiText& listing) noexcept;

// The digit value of a character code: c - 55 for A to F (65 to 70), c - 48 for every other code.
std::int32_t DigitValue(std::int32_t code) noexcept;

// The byte that a group yields: 16 * DigitValue(first code) + DigitValue(second code), modulo 256,
// after upper-casing a to z (the second byte only when the first is below 0x80). Only the first
// two bytes count; a missing byte has code 0.
std::uint8_t GroupToByte(std::string_view group) noexcept;

// The text that a listing spells: one byte per group, cut at the first zero byte.
AnsiText HexToText(const AnsiText& listing);

// The click action of the second button: the listing box's text, read back, becomes the whole
// content of the text box.
void ListingBoxToTextBox(TextBox& listing_box, TextBox& text_box);

}  // namespace vornelle
