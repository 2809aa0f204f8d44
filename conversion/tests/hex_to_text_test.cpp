#include "hex_to_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recording_text_box.h"

namespace vornelle {
namespace {

using namespace std::string_literals;
using testing::BoxCall;
using testing::RecordingTextBox;

std::vector<std::string> Groups(const std::string& listing) {
  const AnsiText text = AnsiText::FromBytes(listing);
  std::vector<std::string> groups;
  for (const std::string_view group : SplitListing(text)) groups.emplace_back(group);
  EXPECT_EQ(SplitListing(text).Count(), groups.size());
  return groups;
}

std::string TextOf(const std::string& listing) {
  return std::string(HexToText(AnsiText::FromBytes(listing)).View());
}

TEST(SplitListingTest, CutsAtSingleSpacesOnly) {
  struct Case {
    std::string listing;
    std::vector<std::string> groups;
  } const cases[] = {
      {"", {}},
      {" ", {""}},
      {"41 42 43 ", {"41", "42", "43"}},
      {"41 42 43", {"41", "42", "43"}},
      {"41  42", {"41", "", "42"}},
      {" 41", {"", "41"}},
      {"41   ", {"41", "", ""}},
      {"41\r\n42", {"41\r\n42"}},
      {"41 \r\n42", {"41", "\r\n42"}},
      {"41\t42,43", {"41\t42,43"}},
      // The full-width space of code page 936 (A1 A1) is one double-byte character.
      {"41\xA1\xA1"
       "42",
       {"41\xA1\xA1"
        "42"}},
      // A lead byte takes the byte after it, even a space.
      {"\xB0 41 42", {"\xB0 41", "42"}},
      {"41 \xD6\xD0 ", {"41", "\xD6\xD0"}},
      // A lead byte at the very end ends the scan and stays in its group.
      {"41 \xB0", {"41", "\xB0"}},
      {"41 4\xB0", {"41", "4\xB0"}},
      {"\xB0", {"\xB0"}},
      {"41 \xB0\xB0\xB0", {"41", "\xB0\xB0\xB0"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Groups(c.listing), c.groups) << "listing [" << c.listing << "]";
  }
}

TEST(DigitValueTest, LettersAToFAndTheSubtractionForEverythingElse) {
  struct Case {
    int code;
    int value;
  } const cases[] = {
      {'0', 0},  {'9', 9},     {'A', 10},  {'F', 15},   {'G', 23},
      {'Z', 42}, {'@', 16},    {0, -48},   {13, -35},   {10, -38},
      {'a', 49}, {-128, -176}, {-1, -49},  {127, 79},   {'f', 54},
      {'x', 72}, {' ', -16},   {-42, -90}, {-80, -128}, {':', 10 /* ':' - 48 */},
  };
  for (const auto& c : cases) EXPECT_EQ(DigitValue(c.code), c.value) << c.code;
}

TEST(GroupToByteTest, WorkedExamples) {
  struct Case {
    std::string group;
    int byte;
  } const cases[] = {
      {"41", 0x41},
      {"4a", 0x4A},
      {"ff", 0xFF},
      {"00", 0x00},
      {"414", 0x41},
      {"4", 0x10},
      {"0", 0xD0},
      {"3", 0x00},
      {"A", 0x70},
      {"", 0xD0},
      {"G0", 0x70},
      {"0G", 0x17},
      {"zz", 0xCA},
      {"0x41", 0x28},
      {"\r\n41", 0xAA},
      {"41\r\n", 0x41},
      {"\xD6\xD0", 0x00},
      {"\xB0"
       "a",
       0x31},
      {"a\xB0", 0x20},
      {"\xB0", 0xD0 /* -128 * 16 - 48 */},
      {"fF", 0xFF},
      {"9z", 0x9 * 16 + 42},
      {"\xB0"
       "A",
       0x0A /* -128 * 16 + 10 */},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GroupToByte(c.group), c.byte) << "group [" << c.group << "]";
  }
}

TEST(HexToTextTest, WorkedExamples) {
  struct Case {
    std::string listing;
    std::string text;
  } const cases[] = {
      {"41 42 43 ", "ABC"},
      {"41 42 43", "ABC"},
      {"", ""},
      {" ", "\xD0"},
      {"41  42", "\x41\xD0\x42"},
      {" 41", "\xD0\x41"},
      {"41 00 42", "A"},
      {"41 3 42", "A"},
      {"00 41", ""},
      {"4 1", "\x10\xE0"},
      {"41\r\n42", "A"},
      {"41 \r\n42", "\x41\xAA"},
      {"41\r\n 42", "AB"},
      {"D6 D0 CE C4 ", "\xD6\xD0\xCE\xC4"},
      {"d6 d0 ce c4", "\xD6\xD0\xCE\xC4"},
      {"41 \xD6\xD0 42", "A"},
      {"0a", "\n"},
      {"41 \xB0", "\x41\xD0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TextOf(c.listing), c.text) << "listing [" << c.listing << "]";
  }
}

// HexToText reads groups of two or more bytes by table; every such group must read as
// GroupToByte reads it, whatever follows its first two bytes.
TEST(HexToTextTest, EveryTwoByteGroupReadsAsGroupToByteReadsIt) {
  int mismatches = 0;
  for (int first = 1; first < 256; ++first) {
    for (int second = 1; second < 256; ++second) {
      // A space splits the group, except as the second half of a double-byte character.
      if (first == ' ' || (second == ' ' && first < 0x80)) continue;
      for (const char* tail : {"", "9", "\xB0"}) {
        const std::string group =
            std::string{static_cast<char>(first), static_cast<char>(second)} + tail;
        const std::uint8_t byte = GroupToByte(group);
        const std::string expected = byte == 0 ? "" : std::string(1, static_cast<char>(byte));
        if (TextOf(group) != expected && ++mismatches <= 5) {
          ADD_FAILURE() << "group " << first << " " << second << " [" << tail << "]";
        }
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(HexToTextTest, LongListingOfOneRepeatedGroup) {
  std::string listing;
  for (int i = 0; i < 100000; ++i) listing += "7a ";
  EXPECT_EQ(TextOf(listing), std::string(100000, 'z'));
}

TEST(HexToTextTest, ManyEmptyGroupsEachGiveD0) {
  EXPECT_EQ(TextOf(std::string(5000, ' ')), std::string(5000, '\xD0'));
}

TEST(ListingBoxToTextBoxTest, ReadsTheListingOnceThenReplacesTheTextOnce) {
  std::vector<BoxCall> log;
  RecordingTextBox listing("listing", log, AnsiText("4E 69 "));
  RecordingTextBox text("text", log, AnsiText("old text"));
  ListingBoxToTextBox(listing, text);
  const std::vector<BoxCall> expected = {{"listing", "Read", ""}, {"text", "Replace", "Ni"}};
  EXPECT_EQ(log, expected);
  EXPECT_EQ(listing.Content(), "4E 69 ");
}

TEST(ListingBoxToTextBoxTest, EmptyResultEmptiesTheTextBox) {
  std::vector<BoxCall> log;
  RecordingTextBox listing("listing", log, AnsiText("00 41 "));
  RecordingTextBox text("text", log, AnsiText("old text"));
  ListingBoxToTextBox(listing, text);
  EXPECT_EQ(text.Content(), "");
}

}  // namespace
}  // namespace vornelle
