#include "shell/keymap.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

TEST(ShellKeymap, EveryRectangleCentreHitsItsOwnKey) {
  std::set<i16> seen;
  for (const ShellKeyRect &r : kShellSkinKeyRects) {
    const ShellKeyRect *hit = ShellSkinKeyAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    ASSERT_NE(hit, nullptr) << r.key;
    EXPECT_EQ(hit->key, r.key);
    EXPECT_EQ(ShellSkinKeyRect(r.key), &r);
    i32 c = 0, w = 0;
    EXPECT_TRUE(ShellMapKey(r.key, &c, &w)) << r.key;
    seen.insert(r.key);
  }
  EXPECT_EQ(seen.size(), 50u);
}

TEST(ShellKeymap, BoundsAreInclusiveAndFirstMatchWins) {
  struct Case {
    i32 x, y;
    i16 key;  // 0: no key
  } cases[] = {
      {44, 293, 79},  {83, 315, 79},   {84, 300, 0},   {43, 300, 0},
      {298, 649, 31}, {299, 649, 0},   {248, 320, 28},  // UP listed before LEFT
      {248, 357, 28}, {278, 357, 28},  {249, 358, 37},  {218, 395, 38},
      {308, 395, 27}, {309, 395, 0},   {0, 0, 0},       {200, 486, 44},
  };
  for (const Case &c : cases) {
    const ShellKeyRect *hit = ShellSkinKeyAt(c.x, c.y);
    EXPECT_EQ(hit == nullptr ? 0 : hit->key, c.key) << c.x << "," << c.y;
  }
}

TEST(ShellKeymap, MapKeyGivesMatrixPositions) {
  struct Case {
    i16 key;
    bool found;
    i32 column, row;
    const char *name;
  } cases[] = {
      {31, true, 3, 2, "EXE"},       {34, true, 1, 1, "AC"},
      {44, true, 4, 5, "DEL"},       {35, true, 3, 6, ","},  // "." row for 35 never reached
      {61, true, 6, 2, "."},         {79, true, 7, 10, "F1"},
      {29, true, 2, 10, "F6"},       {65, true, 6, 6, "F<>D"},
      {711, true, 7, 12, "AnsCopy"}, {611, true, 6, 12, "DispCopy"},
      {411, true, 4, 12, "TEST"},    {211, true, 2, 12, "OSupdate"},
      {-1, true, -1, -1, ""},        {0, false, 0, 0, nullptr},
      {99, false, 0, 0, nullptr},    {30, false, 0, 0, nullptr},
  };
  for (const Case &c : cases) {
    i32 column = 0, row = 0;
    EXPECT_EQ(ShellMapKey(c.key, &column, &row), c.found) << c.key;
    if (!c.found) continue;
    EXPECT_EQ(column, c.column) << c.key;
    EXPECT_EQ(row, c.row) << c.key;
    EXPECT_STREQ(ShellKeyName(c.key), c.name);
  }
  EXPECT_EQ(ShellKeyByName("MENU"), 48);
  EXPECT_EQ(ShellKeyByName("."), 61);
  EXPECT_EQ(ShellKeyByName("nothing"), 0);
}

TEST(ShellKeymap, LabelBandMovesOntoFunctionKeys) {
  struct Case {
    i32 x, y, want_x, want_y;
  } cases[] = {
      {60, 200, 44, 304},   {45, 194, 44, 304},   {86, 210, 44, 304},
      {87, 200, 87, 304},   {296, 200, 259, 304}, {297, 200, 302, 304},
      {298, 200, 298, 200},
      {60, 193, 60, 193},   {60, 211, 60, 211},   {44, 200, 44, 200},
  };
  for (const Case &c : cases) {
    i32 x = c.x, y = c.y;
    ShellRemapLabelBand(&x, &y);
    EXPECT_EQ(x, c.want_x) << c.x << "," << c.y;
    EXPECT_EQ(y, c.want_y) << c.x << "," << c.y;
  }
  i32 x = 60, y = 200;
  ShellRemapLabelBand(&x, &y);
  ASSERT_NE(ShellSkinKeyAt(x, y), nullptr);
  EXPECT_EQ(ShellSkinKeyAt(x, y)->key, 79);
  x = 300, y = 200;
  ShellRemapLabelBand(&x, &y);
  EXPECT_EQ(ShellSkinKeyAt(x, y), nullptr);
}

TEST(ShellKeymap, KeyDownAndCharacterTables) {
  struct Down {
    i32 vkey;
    bool found;
    i16 key;
    u16 code;
  } downs[] = {
      {kVkBack, true, 44, 0x5300},  {kVkDelete, true, 44, 0x5300}, {kVkF7, true, 29, 0x4000},
      {kVkF6, true, 29, 0x4000},    {kVkReturn, true, 31, 0x1C00}, {kVkSpace, true, -1, 0x0020},
      {kVkTab, true, 34, 0x4500},   {kVkF12, true, 77, 0x3800},    {kVkF8, false, 0, 0},
      {kVkDecimal, false, 0, 0},    {'A', false, 0, 0},
  };
  for (const Down &d : downs) {
    i16 key = 0;
    u16 code = 0;
    EXPECT_EQ(ShellLookupKeyDown(d.vkey, &key, &code), d.found) << d.vkey;
    if (!d.found) continue;
    EXPECT_EQ(key, d.key) << d.vkey;
    EXPECT_EQ(code, d.code) << d.vkey;
  }
  for (i32 vk : {kVkDecimal, kVkMultiply, kVkAdd, kVkSubtract, kVkDivide}) EXPECT_TRUE(ShellIsCharRoadKey(vk));
  EXPECT_FALSE(ShellIsCharRoadKey(kVkReturn));

  struct Char {
    i32 ch;
    bool found;
    i16 key;
  } chars[] = {
      {'0', true, 71}, {'9', true, 54}, {'(', true, 55}, {'-', true, 32}, {'*', true, 43},
      {'!', true, -1}, {'^', true, 57}, {'\'', true, -1}, {'A', false, 0}, {'a', false, 0},
      {'\\', false, 0}, {' ', false, 0},
  };
  for (const Char &c : chars) {
    i16 key = 0;
    EXPECT_EQ(ShellLookupChar(c.ch, &key), c.found) << c.ch;
    if (c.found) {
      EXPECT_EQ(key, c.key) << c.ch;
    }
  }
}

// Every printable ASCII character: the ones that have a calculator key
// press it (the power key for '^'); the other symbols travel as characters;
// letters (typed under ALPHA by the letter road), the blank and the rest are
// not in the table.
TEST(ShellKeymap, PrintableAsciiGoesToItsCalculatorKey) {
  const std::string keyed = "0123456789().,/*+-^";
  const i16 keys[] = {71, 72, 62, 52, 73, 63, 53, 74, 64, 54, 55, 45, 61, 35, 33, 43, 42, 32, 57};
  const std::string asChar = "!\"#$%&?[]{}=:;<>'@~|";
  for (i32 ch = 0x20; ch <= 0x7E; ++ch) {
    i16 key = 0;
    const bool found = ShellLookupChar(ch, &key);
    const size_t k = keyed.find(static_cast<char>(ch));
    if (k != std::string::npos) {
      EXPECT_TRUE(found) << static_cast<char>(ch);
      EXPECT_EQ(key, keys[k]) << static_cast<char>(ch);
    } else if (asChar.find(static_cast<char>(ch)) != std::string::npos) {
      EXPECT_TRUE(found) << static_cast<char>(ch);
      EXPECT_EQ(key, -1) << static_cast<char>(ch);
    } else {
      EXPECT_FALSE(found) << static_cast<char>(ch);
    }
  }
  // The power key's position is the one the picture's "^" key has.
  i32 column = 0, row = 0;
  ASSERT_TRUE(ShellMapKey(57, &column, &row));
  EXPECT_EQ(column, 5);
  EXPECT_EQ(row, 8);
}

}  // namespace
