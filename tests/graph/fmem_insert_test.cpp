// A function memory's text put into an edit line: measured and copied token
// by token, so a token whose second byte is zero (0x7F 0x00) neither ends
// the text nor the line it goes into.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graph/app/graph_fmem.h"

namespace {

std::string Bytes(const u8 *p, size_t n) { return std::string(reinterpret_cast<const char *>(p), n); }

TEST(GraphInsertText, TokensWithAZeroSecondByteStayWhole) {
  // Xmin is 0x7F 0x00.
  const std::string xmin("\x7F\x00", 2);
  struct Case {
    std::string line;  // the edit line before
    u32 cursor;
    std::string text;  // the memory's text
    std::string want;  // the line after
    u32 wantCursor;
  } cases[] = {
      {"X+1", 1, xmin + "*2", "X" + xmin + "*2+1", 5},
      {"A" + xmin + "B", 4, "C", "A" + xmin + "BC", 5},
      {"A" + xmin + "B", 1, xmin, "A" + xmin + xmin + "B", 3},
      {"", 0, "2" + xmin, "2" + xmin, 3},
      {"12", 9, "3", "123", 3},  // a cursor past the end inserts at the end
  };
  for (const Case &c : cases) {
    std::vector<u8> buf(16 + 1, 0);
    std::copy(c.line.begin(), c.line.end(), buf.begin());
    std::vector<u8> text(c.text.begin(), c.text.end());
    text.push_back(0);
    text.push_back(0);
    u32 cursor = c.cursor;
    ASSERT_EQ(GraphInsertText(buf.data(), 16, &cursor, reinterpret_cast<const char *>(text.data())), 0u) << c.want;
    EXPECT_EQ(Bytes(buf.data(), c.want.size() + 1), c.want + std::string(1, '\0'));
    EXPECT_EQ(cursor, c.wantCursor) << c.want;
  }
}

TEST(GraphInsertText, TextThatDoesNotFitChangesNothing) {
  // Four bytes of line (the Xmin counted whole) and three of text in six.
  const std::string line = std::string("A\x7F\x00", 3) + "B";
  std::vector<u8> buf(6 + 1, 0);
  std::copy(line.begin(), line.end(), buf.begin());
  const std::vector<u8> before = buf;
  const u8 text[] = {'1', 0x7F, 0x00, 0, 0};
  u32 cursor = 1;
  EXPECT_EQ(GraphInsertText(buf.data(), 6, &cursor, reinterpret_cast<const char *>(text)), 4u);
  EXPECT_EQ(buf, before);
  EXPECT_EQ(cursor, 1u);
}

}  // namespace
