#include "hex_to_text.h"

namespace vornelle {
namespace {

// The character code under examination while a group is read. Written before it is read, so
// nothing carries over from one group, or one click, to the next.
std::int32_t CurrentCode = 0;

constexpr bool IsLeadByte(char byte) noexcept {
  return static_cast<unsigned char>(byte) >= 0x80;
}

constexpr std::int32_t SignedCode(char byte) noexcept {
  return static_cast<std::int32_t>(static_cast<std::int8_t>(byte));
}

constexpr std::int32_t UpperCased(std::int32_t code) noexcept {
  return code >= 'a' && code <= 'z' ? code - ('a' - 'A') : code;
}

constexpr std::int32_t DigitOf(std::int32_t code) noexcept {
  return (code >= 'A' && code <= 'F') ? code - 55 : code - 48;
}

// GroupToByte for groups of two bytes or more, by table look-ups instead of the compare-and-
// branch of DigitValue, whose outcome on random digits the processor cannot predict. The byte is
// the sum of the two digit terms modulo 256, so each term is tabulated modulo 256.
struct DigitTables {
  std::uint8_t first[256];       // 16 * DigitValue of the upper-cased first byte
  std::uint8_t second[256];      // DigitValue of the upper-cased second byte
  std::uint8_t after_lead[256];  // DigitValue of the second byte as it is (first byte >= 0x80)
};

constexpr DigitTables MakeDigitTables() {
  DigitTables tables{};
  for (int byte = 0; byte < 256; ++byte) {
    const std::int32_t code = SignedCode(static_cast<char>(byte));
    const auto low8 = [](std::int32_t value) {
      return static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) & 0xFFu);
    };
    tables.first[byte] = low8(16 * DigitOf(UpperCased(code)));
    tables.second[byte] = low8(DigitOf(UpperCased(code)));
    tables.after_lead[byte] = low8(DigitOf(code));
  }
  return tables;
}

constexpr DigitTables kDigitTables = MakeDigitTables();

inline std::uint8_t TwoByteGroupToByte(std::string_view group) noexcept {
  const auto first = static_cast<unsigned char>(group[0]);
  const auto second = static_cast<unsigned char>(group[1]);
  const std::uint8_t low =
      IsLeadByte(group[0]) ? kDigitTables.after_lead[second] : kDigitTables.second[second];
  return static_cast<std::uint8_t>(kDigitTables.first[first] + low);
}

}  // namespace

void GroupList::Iterator::Advance() noexcept {
  if (at_end_) return;
  if (scan_done_) {
    at_end_ = true;
    return;
  }
  const char* const start = next_;
  const char* p = start;
  while (p != end_) {
    if (*p == ' ') {
      group_ = std::string_view(start, static_cast<std::size_t>(p - start));
      next_ = p + 1;
      return;
    }
    // A lead byte takes the byte after it, whatever it is; alone at the end, it ends the scan.
    p += (IsLeadByte(*p) && p + 1 != end_) ? 2 : 1;
  }
  scan_done_ = true;
  next_ = end_;
  if (p == start) {
    at_end_ = true;  // nothing after the last space: no empty group at the end
  } else {
    group_ = std::string_view(start, static_cast<std::size_t>(p - start));
  }
}

std::size_t GroupList::Count() const noexcept {
  std::size_t count = 0;
  for (auto it = begin(); it != end(); ++it) ++count;
  return count;
}

GroupList SplitListing(const AnsiText& listing) noexcept {
  return GroupList(listing.View());
}

std::int32_t DigitValue(std::int32_t code) noexcept {
  return DigitOf(code);
}

std::uint8_t GroupToByte(std::string_view group) noexcept {
  // Upper-casing scans from the first byte; a lead byte passes the byte after it over unchanged.
  const std::int32_t first = group.size() >= 1 ? SignedCode(group[0]) : 0;
  std::int32_t second = group.size() >= 2 ? SignedCode(group[1]) : 0;
  if (first >= 0) second = UpperCased(second);

  CurrentCode = UpperCased(first);
  std::int32_t value = 16 * DigitValue(CurrentCode);
  CurrentCode = second;
  value += DigitValue(CurrentCode);
  // The low eight bits in two's complement: the value modulo 256.
  return static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) & 0xFFu);
}

AnsiText HexToText(const AnsiText& listing) {
  ByteBuffer result;
  // A listing written by TextToHex spells one byte per three; more groups grow the buffer.
  result.Reserve(listing.Length() / 3 + 1);
  for (const std::string_view group : SplitListing(listing)) {
    const std::uint8_t byte = group.size() >= 2 ? TwoByteGroupToByte(group) : GroupToByte(group);
    // The text ends at the first zero byte; later groups could add nothing to it.
    if (byte == 0) break;
    result.Append(static_cast<char>(byte));
  }
  return AnsiText(std::move(result));
}

void ListingBoxToTextBox(TextBox& listing_box, TextBox& text_box) {
  const AnsiText listing = listing_box.ReadBoxText();
  text_box.ReplaceBoxText(HexToText(listing));
}

}  // namespace vornelle
