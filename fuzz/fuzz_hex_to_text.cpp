// Fuzzes reading a listing back into text. Every input is a listing (cut at its first zero byte,
// as a box would hold it); HexToText refuses nothing, so each one is checked against a reference
// written separately, straight from the rules, with no production helper in it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ansi_text.h"
#include "fuzz_check.h"
#include "hex_to_text.h"
#include "text_box.h"
#include "text_to_hex.h"

namespace {

// Cut at single spaces; a byte of 0x80 or above takes the next byte with it (never a
// separator), and stays in the current group when it is the last byte; an empty group at the
// end is dropped, empty groups elsewhere are kept.
std::vector<std::string> ReferenceGroups(std::string_view listing) {
  std::vector<std::string> groups;
  std::string current;
  for (std::size_t i = 0; i < listing.size(); ++i) {
    const unsigned char byte = static_cast<unsigned char>(listing[i]);
    if (byte == 0x20) {
      groups.push_back(current);
      current.clear();
      continue;
    }
    current.push_back(listing[i]);
    if (byte >= 0x80 && i + 1 < listing.size()) current.push_back(listing[++i]);
  }
  if (!current.empty()) groups.push_back(current);
  return groups;
}

int ReferenceDigit(int code) {
  return code >= 'A' && code <= 'F' ? code - 55 : code - 48;
}
int ReferenceUpper(int code) {
  return code >= 'a' && code <= 'z' ? code - 32 : code;
}

// 16 * digit(c1) + digit(c2) modulo 256, codes signed, missing bytes 0; a to z upper-cased, the
// second only when the first byte is below 0x80.
unsigned char ReferenceByte(const std::string& group) {
  const int c1 = group.size() >= 1 ? static_cast<signed char>(group[0]) : 0;
  const int raw2 = group.size() >= 2 ? static_cast<signed char>(group[1]) : 0;
  const int c2 = c1 >= 0 ? ReferenceUpper(raw2) : raw2;
  const int value = 16 * ReferenceDigit(ReferenceUpper(c1)) + ReferenceDigit(c2);
  return static_cast<unsigned char>(((value % 256) + 256) % 256);
}

std::string ReferenceHexToText(std::string_view listing) {
  std::string text;
  for (const std::string& group : ReferenceGroups(listing)) {
    const unsigned char byte = ReferenceByte(group);
    if (byte == 0) break;
    text.push_back(static_cast<char>(byte));
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vornelle;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const AnsiText listing = AnsiText::FromBytes(input);
  const std::string_view listing_bytes = listing.View();
  VORNELLE_FUZZ_CHECK(listing_bytes == input.substr(0, input.find('\0')));

  // The groups: the same as the reference's, and Count agrees with the walk.
  const std::vector<std::string> expected_groups = ReferenceGroups(listing_bytes);
  const GroupList groups = SplitListing(listing);
  std::size_t walked = 0;
  for (const std::string_view group : groups) {
    VORNELLE_FUZZ_CHECK(walked < expected_groups.size());
    VORNELLE_FUZZ_CHECK_SAME("group", expected_groups[walked], group);
    ++walked;
  }
  VORNELLE_FUZZ_CHECK(walked == expected_groups.size());
  VORNELLE_FUZZ_CHECK(groups.Count() == walked);

  const AnsiText text = HexToText(listing);
  VORNELLE_FUZZ_CHECK(text.Length() <= groups.Count());
  VORNELLE_FUZZ_CHECK(text.View().find('\0') == std::string_view::npos);
  VORNELLE_FUZZ_CHECK(text.Data()[text.Length()] == '\0');
  VORNELLE_FUZZ_CHECK_SAME("HexToText against the reference", ReferenceHexToText(listing_bytes),
                           text.View());

  // The click action: the text box gets exactly that text, the listing box is left alone.
  MemoryTextBox listing_box(listing);
  MemoryTextBox text_box(AnsiText("previous content"));
  ListingBoxToTextBox(listing_box, text_box);
  VORNELLE_FUZZ_CHECK_SAME("text box after the click", text.View(), text_box.Content().View());
  VORNELLE_FUZZ_CHECK_SAME("listing box after the click", listing_bytes,
                           listing_box.Content().View());

  // The result holds no zero byte, so its own listing reads back to it exactly.
  MemoryTextBox source(text);
  MemoryTextBox relisted;
  TextToHex(source, relisted);
  VORNELLE_FUZZ_CHECK(relisted.Content().Length() == 3 * text.Length());
  VORNELLE_FUZZ_CHECK_SAME("round trip of the result", text.View(),
                           HexToText(relisted.Content()).View());
  return 0;
}
