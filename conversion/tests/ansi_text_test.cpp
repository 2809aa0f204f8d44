#include "ansi_text.h"

#include <gtest/gtest.h>

#include <string>

#include "allocation.h"
#include "text_box.h"

namespace vornelle {
namespace {

using namespace std::string_literals;

TEST(AnsiTextTest, TakesBytesBeforeTheFirstZero) {
  struct Case {
    std::string bytes;
    std::string text;
  } const cases[] = {
      {"", ""},
      {"AB", "AB"},
      {"A\0B"s, "A"},
      {"\0AB"s, ""},
      {std::string(100, 'x') + '\0' + "tail", std::string(100, 'x')},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AnsiText::FromBytes(c.bytes).View(), c.text);
    ByteBuffer buffer;
    buffer.Append(c.bytes);
    const AnsiText from_buffer(std::move(buffer));
    EXPECT_EQ(from_buffer.View(), c.text);
    EXPECT_EQ(from_buffer.Data()[from_buffer.Length()], '\0');
  }
}

TEST(AnsiTextTest, BufferFullToItsLastByteStillGetsATerminator) {
  ByteBuffer buffer;
  buffer.Reserve(40);
  buffer.Append(std::string(40, 'q'));
  const AnsiText text(std::move(buffer));
  EXPECT_EQ(text.Length(), 40u);
  EXPECT_EQ(text.Data()[40], '\0');
}

TEST(AnsiTextTest, CodesAreSignedBytesAndZeroPastTheEnd) {
  const AnsiText text = AnsiText::FromBytes("\x41\x7F\x80\xB0\xFF");
  const int expected[] = {0, 0x41, 127, -128, -80, -1, 0, 0};
  for (std::size_t position = 0; position < std::size(expected); ++position) {
    EXPECT_EQ(text.CodeAt(position), expected[position]) << "position " << position;
  }
}

TEST(AnsiTextTest, CopiesStayIndependentOfLaterAppends) {
  for (const std::size_t length : {5u, 23u, 24u, 1000u}) {
    AnsiText text = AnsiText::FromBytes(std::string(length, 'a'));
    const AnsiText copy = text;
    text = AnsiText::Concatenate(std::move(text), "bc");
    EXPECT_EQ(copy.View(), std::string(length, 'a'));
    EXPECT_EQ(text.View(), std::string(length, 'a') + "bc");
    EXPECT_EQ(text.Data()[text.Length()], '\0');
  }
}

TEST(AnsiTextTest, ConcatenateStopsAtAZeroInTheTail) {
  const AnsiText text = AnsiText::Concatenate(AnsiText("ab"), "c\0d"s);
  EXPECT_EQ(text.View(), "abc");
}

TEST(AnsiTextTest, ManyAppendsKeepEveryByteInOrder) {
  AnsiText text;
  std::string expected;
  for (int i = 0; i < 100000; ++i) {
    const char piece[2] = {static_cast<char>('A' + i % 26), static_cast<char>('a' + i % 7)};
    text = AnsiText::Concatenate(std::move(text), std::string_view(piece, 2));
    expected.append(piece, 2);
  }
  EXPECT_EQ(text.View(), expected);
}

TEST(MemoryTextBoxTest, ReadIsASnapshotThatLaterChangesDoNotTouch) {
  MemoryTextBox box(AnsiText::FromBytes(std::string(50, 'z')));
  const AnsiText before = box.ReadBoxText();
  box.AppendBoxText("!");
  const AnsiText after_append = box.ReadBoxText();
  box.ReplaceBoxText("");
  EXPECT_EQ(before.View(), std::string(50, 'z'));
  EXPECT_EQ(after_append.View(), std::string(50, 'z') + "!");
  EXPECT_TRUE(box.ReadBoxText().Empty());
}

TEST(AllocationTest, FailureSurfacesAsBadAllocAndLeavesTheValueIntact) {
  AnsiText text = AnsiText::FromBytes(std::string(30, 'k'));
  SetAllocationFailurePredicate([](std::size_t) { return true; });
  EXPECT_THROW(AnsiText::FromBytes(std::string(30, 'm')), std::bad_alloc);
  const AnsiText shared = text;
  EXPECT_THROW(text = AnsiText::Concatenate(std::move(text), std::string(100, 'n')),
               std::bad_alloc);
  ByteBuffer buffer;
  EXPECT_THROW(buffer.Append('x'), std::bad_alloc);
  SetAllocationFailurePredicate(nullptr);
  EXPECT_EQ(shared.View(), std::string(30, 'k'));
  EXPECT_TRUE(buffer.Empty());
}

}  // namespace
}  // namespace vornelle
