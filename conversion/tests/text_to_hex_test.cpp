#include "text_to_hex.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "hex_to_text.h"
#include "recording_text_box.h"

namespace vornelle {
namespace {

using testing::BoxCall;
using testing::RecordingTextBox;

std::string ListingOf(const std::string& text) {
  MemoryTextBox source(AnsiText::FromBytes(text));
  MemoryTextBox listing(AnsiText("left over from before"));
  TextToHex(source, listing);
  return std::string(listing.Content().View());
}

TEST(TextToHexTest, WorkedExamples) {
  struct Case {
    const char* what;
    std::string text;
    std::string listing;
  } const cases[] = {
      {"empty", "", ""},
      {"AB", "AB", "41 42 "},
      {"line break", "a\r\nb", "61 0D 0A 62 "},
      {"tab", "\t", "09 "},
      {"zhong in cp936", "\xD6\xD0", "D6 D0 "},
      {"wenben in cp936", "\xCE\xC4\xB1\xBE", "CE C4 B1 BE "},
      {"lowest and highest bytes", "\x01\x7F\x80\xFF", "01 7F 80 FF "},
      {"digits stay two wide", "\x0A\x10\xB0", "0A 10 B0 "},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ListingOf(c.text), c.listing) << c.what;
  }
}

TEST(TextToHexTest, EveryByteGivesItsTwoDigitsAndASpace) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  for (int byte = 1; byte <= 0xFF; ++byte) {
    const std::string expected = {kDigits[byte >> 4], kDigits[byte & 15], ' '};
    EXPECT_EQ(ListingOf(std::string(1, static_cast<char>(byte))), expected) << byte;
  }
}

TEST(TextToHexTest, CallsTheBoxesInTheDocumentedOrderOnly) {
  std::vector<BoxCall> log;
  RecordingTextBox source("source", log, AnsiText("A\xB0"));
  RecordingTextBox listing("listing", log, AnsiText("old"));
  TextToHex(source, listing);
  const std::vector<BoxCall> expected = {
      {"listing", "Replace", ""},
      {"source", "Read", ""},
      {"listing", "Append", "41 "},
      {"listing", "Append", "B0 "},
  };
  EXPECT_EQ(log, expected);
  EXPECT_EQ(source.Content(), "A\xB0");
}

TEST(TextToHexTest, EmptySourceStillEmptiesTheListingBox) {
  std::vector<BoxCall> log;
  RecordingTextBox source("source", log);
  RecordingTextBox listing("listing", log, AnsiText("typed by the user"));
  TextToHex(source, listing);
  EXPECT_EQ(listing.Content(), "");
  EXPECT_EQ(log.size(), 2u);
}

TEST(TextToHexTest, RunningTwiceGivesOneListing) {
  MemoryTextBox source(AnsiText("xyz"));
  MemoryTextBox listing;
  TextToHex(source, listing);
  TextToHex(source, listing);
  EXPECT_EQ(listing.Content().View(), "78 79 7A ");
}

// Random texts of every non-zero byte, double-byte pairs included, read back exactly; and every
// listing is 3 * n bytes of digits, A to F and spaces.
TEST(TextToHexTest, RandomTextsRoundTripExactly) {
  std::mt19937 random(20261211);
  std::uniform_int_distribution<int> any_byte(1, 255);
  std::uniform_int_distribution<int> lead(0x81, 0xFE);
  std::uniform_int_distribution<int> length(0, 300);
  for (int run = 0; run < 500; ++run) {
    std::string text;
    const int n = length(random);
    while (static_cast<int>(text.size()) < n) {
      if (random() % 4 == 0) {  // a double-byte character of code page 936's shape
        text += static_cast<char>(lead(random));
        text += static_cast<char>(any_byte(random) % 0xBF + 0x40);
      } else {
        text += static_cast<char>(any_byte(random));
      }
    }
    MemoryTextBox source(AnsiText::FromBytes(text));
    MemoryTextBox listing;
    MemoryTextBox result(AnsiText("stale"));
    TextToHex(source, listing);
    const std::string_view written = listing.Content().View();
    ASSERT_EQ(written.size(), 3 * text.size());
    ASSERT_EQ(written.find_first_not_of("0123456789ABCDEF "), std::string_view::npos);
    for (std::size_t i = 2; i < written.size(); i += 3) ASSERT_EQ(written[i], ' ');
    ListingBoxToTextBox(listing, result);
    ASSERT_EQ(result.Content().View(), text) << "run " << run;
    ASSERT_EQ(listing.Content().View(), written);  // the listing box is only read
  }
}

}  // namespace
}  // namespace vornelle
