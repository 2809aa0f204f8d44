#include "text_to_hex.h"

#include <array>

namespace vornelle {
namespace {

// The 255 groups a listing can hold, made once: each byte's two uppercase hexadecimal digits,
// high digit first, and a space. Byte 0 never occurs in a text.
const std::array<AnsiText, 256>& Groups() {
  static const std::array<AnsiText, 256> groups = [] {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::array<AnsiText, 256> made;
    for (int byte = 0; byte < 256; ++byte) {
      const char group[3] = {kDigits[byte >> 4], kDigits[byte & 0x0F], ' '};
      made[byte] = AnsiText::FromBytes({group, sizeof group});
    }
    return made;
  }();
  return groups;
}

}  // namespace

void TextToHex(TextBox& source, TextBox& listing) {
  const std::array<AnsiText, 256>& groups = Groups();
  listing.ReplaceBoxText(AnsiText());
  const AnsiText text = source.ReadBoxText();
  for (const char code : text.View()) {
    // The byte's unsigned value, 0x80 to 0xFF included, selects its group.
    listing.AppendBoxText(groups[static_cast<unsigned char>(code)]);
  }
}

}  // namespace vornelle
