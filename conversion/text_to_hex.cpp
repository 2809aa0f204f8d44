#include "text_to_hex.h"

namespace vornelle {

void TextToHex(TextBox& source, TextBox& listing) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  listing.ReplaceBoxText(AnsiText());
  const AnsiText text = source.ReadBoxText();
  const std::size_t n = text.Length();
  for (std::size_t i = 1; i <= n; ++i) {
    // The code's low eight bits are the byte's unsigned value, whatever its sign.
    const auto byte = static_cast<unsigned char>(text.CodeAt(i));
    const char group[3] = {kDigits[byte >> 4], kDigits[byte & 0x0F], ' '};
    listing.AppendBoxText(AnsiText::FromBytes({group, sizeof group}));
  }
}

}  // namespace vornelle
