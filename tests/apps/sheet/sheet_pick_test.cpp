// A picked reference inserted into a typed formula: at the cursor, the
// cursor behind it, the text cut at 255 bytes between characters; the cell
// names Go To takes.
#include <gtest/gtest.h>

#include <string>

#include "apps/sheet/sheet_app.h"

namespace {

struct InsertCase {
  std::string text;
  u32 cursor;
  const char *ref;
  std::string want;
  u32 wantCursor;
};

TEST(SheetInsertReference, AtTheCursorAndCutBetweenCharacters) {
  const std::string a250(250, 'A'), a252(252, 'A');
  const std::string token = "\x7F\xE9";  // a two-byte cell-function token
  const InsertCase cases[] = {
      {"=", 1, "A1", "=A1", 3},
      {"=+B2", 1, "C3", "=C3+B2", 3},
      {"=", 9, "A1:B9", "=A1:B9", 6},
      // 250 bytes and a range: the end is cut at 255 bytes.
      {"=" + a250, 251, "A1:B2", "=" + a250 + "A1:B", 255},
      // The two-byte token that would end at byte 256 goes whole.
      {"=" + a252 + token, 1, "B1", "=B1" + a252, 3},
      // The reference itself passes the limit: the cursor stops at the cut.
      {"=" + a252, 253, "Z999", "=" + a252 + "Z9", 255},
  };
  for (const InsertCase &c : cases) {
    char text[256];
    std::snprintf(text, sizeof text, "%s", c.text.c_str());
    u32 cursor = c.cursor;
    const u32 len = SheetInsertReference(text, &cursor, c.ref);
    EXPECT_EQ(std::string(text), c.want) << c.text.size() << " " << c.ref;
    EXPECT_EQ(len, c.want.size());
    EXPECT_EQ(cursor, c.wantCursor) << c.text.size() << " " << c.ref;
  }
}

// Go To's field: a capital letter and a row 1-999, nothing before or after.
TEST(SheetGoTo, TakesOneCapitalAndARowUpTo999) {
  struct Case {
    const char *text;
    i16 col, row;  // 0: refused
  } cases[] = {
      {"B12", 2, 12}, {"Z999", 26, 999}, {"A1", 1, 1},
      {"b1", 0, 0},   {"A0", 0, 0},      {"A1000", 0, 0}, {"AA1", 0, 0}, {"A12X", 0, 0}, {"A", 0, 0}, {"", 0, 0},
  };
  for (const Case &c : cases) {
    i16 col = -1, row = -1;
    EXPECT_EQ(SheetParseGoTo(c.text, &col, &row), c.col ? 1u : 0u) << c.text;
    if (c.col) {
      EXPECT_EQ(col, c.col) << c.text;
      EXPECT_EQ(row, c.row) << c.text;
    }
  }
}

}  // namespace
