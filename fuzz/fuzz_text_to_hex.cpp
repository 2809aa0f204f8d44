// Fuzzes writing the listing of a text. Every input is a text (cut at its first zero byte, as a
// box would hold it); its listing must spell its bytes exactly and read back to it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ansi_text.h"
#include "fuzz_check.h"
#include "hex_to_text.h"
#include "text_box.h"
#include "text_to_hex.h"

namespace {

char ExpectedDigit(unsigned value) {
  return "0123456789ABCDEF"[value & 0x0F];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vornelle;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string_view text_bytes = input.substr(0, input.find('\0'));
  const AnsiText text = AnsiText::FromBytes(input);
  VORNELLE_FUZZ_CHECK_SAME("FromBytes cut at the first zero", text_bytes, text.View());

  MemoryTextBox source(text);
  // A listing box that already holds something: TextToHex must replace it, not add to it.
  MemoryTextBox listing_box(AnsiText("stale listing 41 42 "));
  TextToHex(source, listing_box);
  VORNELLE_FUZZ_CHECK_SAME("source box after TextToHex", text_bytes, source.Content().View());

  const std::string_view listing = listing_box.Content().View();
  const std::size_t n = text_bytes.size();
  VORNELLE_FUZZ_CHECK(listing.size() == 3 * n);
  for (std::size_t i = 0; i < listing.size(); ++i) {
    const char c = listing[i];
    VORNELLE_FUZZ_CHECK((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || c == ' ');
    VORNELLE_FUZZ_CHECK((c == ' ') == (i % 3 == 2));
  }
  for (std::size_t k = 0; k < n; ++k) {
    const unsigned byte = static_cast<unsigned char>(text_bytes[k]);
    VORNELLE_FUZZ_CHECK(listing[3 * k] == ExpectedDigit(byte >> 4));
    VORNELLE_FUZZ_CHECK(listing[3 * k + 1] == ExpectedDigit(byte));
  }

  // Round trip through the other button's action into a box that held something else.
  MemoryTextBox text_box(AnsiText("previous content"));
  ListingBoxToTextBox(listing_box, text_box);
  VORNELLE_FUZZ_CHECK_SAME("round trip", text_bytes, text_box.Content().View());
  VORNELLE_FUZZ_CHECK(listing_box.Content().View().size() == 3 * n);

  // A second conversion of the same source, into the filled box, gives the same listing.
  const AnsiText first_listing = listing_box.Content();
  TextToHex(source, listing_box);
  VORNELLE_FUZZ_CHECK_SAME("second conversion", first_listing.View(), listing_box.Content().View());
  return 0;
}
