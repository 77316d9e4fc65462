// Textbook layout and drawing: golden pictures of laid-out formulas, the
// placing rules, the height limit with its fall-back copy, and the stack guard.
#include <gtest/gtest.h>
#include <limits.h>
#include <pthread.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/golden.h"
#include "tests/support/screen_reader.h"
#include "ui/lcd.h"
#include "tests/ui/mprint_notation.h"
#include "ui/mprint.h"

namespace {


std::string Golden(const std::string &name) { return std::string(CORVANTA_GOLDEN_DIR) + "/" + name + ".txt"; }

struct Shown {
  u8 result;
  u8 height;
  u8 width;
  u16 cursor;
  std::vector<u8> text;
};

// Lays the token text out on a clear screen.
Shown Show(const std::string &tokens, u16 cursor = 0xFFFF, u8 cursor_mode = 0, i16 offset = 0, u8 arrows = 0) {
  LcdClearVram();
  Shown s{};
  s.text.assign(tokens.begin(), tokens.end());
  s.text.resize(kMprTextMax + 1, 0);
  s.cursor = cursor == 0xFFFF ? static_cast<u16>(tokens.size()) : cursor;
  s.result = MprintLayout(s.text.data(), &s.cursor, 0, offset, cursor_mode, arrows, &s.height, &s.width);
  return s;
}

class MprintLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override { MprintInit(); }
};

struct PictureCase {
  const char *golden;
  std::string tokens;
  u8 height;
};

TEST_F(MprintLayoutTest, GoldenPictures) {
  const PictureCase cases[] = {
      {"mprint_fraction_in_root_in_power",
       "2" POW OPEN ROOT OPEN FRAC OPEN "1" CLOSE OPEN "X\x89" "1" CLOSE GEND CLOSE GEND CLOSE "\x89" "3", 24},
      {"mprint_matrix_3x3",
       MAT ROW "1" SEP "2" SEP "3" REND ROW "4" SEP "5" SEP "6" REND ROW "7" SEP "8" SEP "9" REND REND, 27},
      {"mprint_list", LIST "1" SEP "22" SEP FRAC OPEN "1" CLOSE OPEN "3" CLOSE GEND LEND, 18},
      {"mprint_integral", "\x8D" OPEN "X" POW OPEN "2" CLOSE SEP "0" SEP "1" CLOSE, 25},
      {"mprint_sum", "\x7F\x29" OPEN "K" SEP "K" SEP "1" SEP "10" CLOSE, 26},
      {"mprint_mixed_and_xroot", FRAC OPEN "1" CLOSE OPEN "2" CLOSE OPEN "3" CLOSE GEND "\xB8" GRP OPEN "3" CLOSE OPEN
       "8" CLOSE GEND "(" FRAC OPEN "1" CLOSE OPEN "2" CLOSE GEND ")", 18},
      {"mprint_derivative", "\x7F\x26" OPEN "X" POW OPEN "2" CLOSE SEP "3" CLOSE, 0},
      {"mprint_log_abs", "\x7F\x85" OPEN "2" SEP "8" CLOSE "\x97" GRP OPEN "\x87" "1" CLOSE GEND, 0},
      {"mprint_open_groups", "((1)\x89" "2" "\x7F\x20" "3,(4", 0},
      {"mprint_empty_parts", FRAC OPEN CLOSE OPEN CLOSE GEND "\xA5" GRP OPEN CLOSE GEND, 0},
  };
  for (const PictureCase &c : cases) {
    const Shown s = Show(c.tokens);
    if (c.height != 0) {
      EXPECT_EQ(s.height, c.height) << c.golden;
    }
    EXPECT_TRUE(MatchesGolden(Golden(c.golden), ScreenPicture())) << c.golden;
  }
}

TEST_F(MprintLayoutTest, NarrowFormulaIsRightAlignedOutsideCursorMode) {
  const Shown s = Show("12\x89" "3");
  EXPECT_EQ(s.result, 1);
  EXPECT_EQ(s.width, 24);
  EXPECT_EQ(s.height, 8);
  // The last glyph ends at the right edge: "3" in columns 122-126.
  bool left = false, right = false;
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 104; ++x) left |= LcdGetPixel(x, y) != 0;
    for (int x = 104; x < 128; ++x) right |= LcdGetPixel(x, y) != 0;
  }
  EXPECT_FALSE(left);
  EXPECT_TRUE(right);
}

TEST_F(MprintLayoutTest, ScrolledCases) {
  std::string wide;
  for (int i = 0; i < 30; ++i) wide += static_cast<char>('0' + i % 10);
  // Cursor at the end: scrolled left, the left marker drawn.
  Shown s = Show(wide, 30, 1);
  EXPECT_EQ(s.result, 0);
  EXPECT_EQ(s.width, 128);
  EXPECT_GT(MprintGetState()->scroll, 0);
  EXPECT_EQ(MprintGetState()->scroll % 8, 0);
  EXPECT_TRUE(MatchesGolden(Golden("mprint_scrolled_end"), ScreenPicture()));
  // Cursor at the start: no scroll, the right marker drawn.
  s = Show(wide, 0, 1);
  EXPECT_EQ(s.result, 0);
  EXPECT_EQ(MprintGetState()->scroll, 0);
  EXPECT_TRUE(MatchesGolden(Golden("mprint_scrolled_start"), ScreenPicture()));
  // A tall formula with its arrows, shown from below its top.
  std::string tall = "1";
  for (int i = 0; i < 6; ++i) tall = FRAC OPEN + tall + CLOSE OPEN "2" CLOSE GEND;
  s = Show(tall, 0, 1, -8, 1);
  EXPECT_GT(s.height, 56);
  EXPECT_EQ(MprintGetState()->top_clip, 8);
  EXPECT_TRUE(MatchesGolden(Golden("mprint_tall_arrows"), ScreenPicture()));
}

TEST_F(MprintLayoutTest, WideFormulaOutsideCursorModeDoesNotFit) {
  // 25 characters: 150 dots. From its start, the right marker shows the rest.
  const Shown s = Show("1234567890\x89" "1234567890\xA9" "123", 0);
  EXPECT_EQ(s.result, 0);
  EXPECT_EQ(s.width, 128);
  EXPECT_EQ(MprintGetState()->scroll, 0);
  EXPECT_TRUE(MatchesGolden(Golden("mprint_does_not_fit"), ScreenPicture()));
}

TEST_F(MprintLayoutTest, HeightLimitFallsBackToTheCopyBeforeTheEdit) {
  // Fractions of fractions in the denominator: each level is 10 rows taller.
  auto nest = [](int levels) {
    std::string t = "1";
    for (int i = 0; i < levels; ++i) t = FRAC OPEN "1" CLOSE OPEN + t + CLOSE GEND;
    return t;
  };
  const Shown ok = Show(nest(11));
  EXPECT_EQ(ok.height, 118);
  const std::string before = "7\x89" "8";
  MprintSaveBackup(reinterpret_cast<const u8 *>(before.c_str()), 1);
  const Shown s = Show(nest(12), 5, 1);
  EXPECT_STREQ(reinterpret_cast<const char *>(s.text.data()), before.c_str()) << "the string before the edit";
  EXPECT_EQ(s.cursor, 1);
  EXPECT_EQ(s.height, 8);
  // Nothing left to fall back on: an empty line, no loop.
  const Shown again = Show(nest(12), 5, 1);
  EXPECT_EQ(again.result, 0);
  EXPECT_EQ(again.width, 0);
}

TEST_F(MprintLayoutTest, HeightOfExactly120IsAccepted) {
  // A root adds 2 rows, a fraction level 10: 11 levels (118) plus one root.
  std::string t = "1";
  for (int i = 0; i < 11; ++i) t = FRAC OPEN "1" CLOSE OPEN + t + CLOSE GEND;
  const Shown s = Show(ROOT OPEN + t + CLOSE GEND);
  EXPECT_EQ(s.height, 120);
  EXPECT_GT(s.width, 0);
  // Abs adds one row: 121 rows are refused.
  const Shown over = Show("\x97" GRP OPEN ROOT OPEN + t + CLOSE GEND CLOSE GEND);
  EXPECT_EQ(over.width, 0) << "121 rows are refused";
  MprintBoxMetrics m{};
  const std::string abs = "\x97" GRP OPEN ROOT OPEN + t + CLOSE GEND CLOSE GEND;
  std::vector<u8> v(abs.begin(), abs.end());
  v.push_back(0);
  MprintGetState()->draw = 0;
  MprintGetState()->place = 0;
  EXPECT_EQ(MprintLayoutBox(v.data(), &m, 0, 120), 0);
}

TEST_F(MprintLayoutTest, LoneClosingParenthesisIsDrawnAndTheWalkGoesOn) {
  const Shown s = Show("1)2");
  EXPECT_EQ(s.width, 18);
  EXPECT_TRUE(MatchesGolden(Golden("mprint_lone_closer"), ScreenPicture()));
}

TEST_F(MprintLayoutTest, CursorPlaceIsRecorded) {
  // Cursor at the denominator's start.
  const std::string frac = "1\x89" FRAC OPEN "2" CLOSE OPEN "3" CLOSE GEND;
  Show(frac, 8, 1);
  EXPECT_EQ(MprintGetState()->cursor_x, 12 + 1 + 0);
  EXPECT_GT(MprintGetState()->cursor_y, 8) << "the denominator lies below the line";
  // A cursor between markers is moved to a legal place.
  const Shown s = Show(frac, 7, 1);
  EXPECT_EQ(s.cursor, 6);
}

// ---- the stack guard ----

struct DeepRun {
  std::string tokens;
  u8 result = 0xFF;
  u8 width = 0xFF;
  size_t stack = 0;  // the stack the thread got
};

void *RunDeep(void *arg) {
  auto *run = static_cast<DeepRun *>(arg);
  pthread_attr_t attr;
  if (pthread_getattr_np(pthread_self(), &attr) == 0) {
    pthread_attr_getstacksize(&attr, &run->stack);
    pthread_attr_destroy(&attr);
  }
  std::vector<u8> text(run->tokens.begin(), run->tokens.end());
  text.resize(kMprTextMax + 1, 0);
  u16 cursor = 0;
  u8 h = 0;
  run->result = MprintLayout(text.data(), &cursor, 0, 0, 0, 0, &h, &run->width);
  return nullptr;
}

// Runs the layout on a thread of its own with a small stack.
DeepRun LayOutOnSmallStack(const std::string &tokens, size_t stack) {
  DeepRun run{tokens};
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, stack);
  pthread_t t;
  EXPECT_EQ(pthread_create(&t, &attr, RunDeep, &run), 0);
  pthread_join(t, nullptr);
  pthread_attr_destroy(&attr);
  return run;
}

TEST_F(MprintLayoutTest, DeepNestingFailsCleanlyOnASmallStack) {
  auto roots = [](int depth) {
    std::string t = "2";
    for (int i = 0; i < depth; ++i) t = ROOT OPEN + t + CLOSE GEND;
    return t;
  };
  // 40 nested roots are 88 rows high and lay out on an ordinary stack; the
  // layout measures the stack one nesting level takes meanwhile.
  const Shown s = Show(roots(40));
  EXPECT_EQ(s.height, 88);
  const u32 level = MprintGetState()->level_bytes;
  ASSERT_GT(level, 0u) << "the frame of one level was measured";
  // A stack with room for about 24 levels beside the drawing routines' share:
  // 40 levels fail cleanly instead of overflowing it, 8 still lay out.
  size_t stack = ((16 * 1024 + 24 * level) + 4095) & ~static_cast<size_t>(4095);
  if (stack < static_cast<size_t>(PTHREAD_STACK_MIN)) stack = static_cast<size_t>(PTHREAD_STACK_MIN);
  const DeepRun deep = LayOutOnSmallStack(roots(40), stack);
  if (deep.stack > 2 * stack) GTEST_SKIP() << "the thread got a larger stack than asked: " << deep.stack;
  EXPECT_EQ(deep.result, 0);
  EXPECT_EQ(deep.width, 0);
  const DeepRun shallow = LayOutOnSmallStack(roots(8), stack);
  EXPECT_EQ(shallow.result, 1);
  EXPECT_EQ(shallow.width, 8 * 7 + 6);
}

TEST_F(MprintLayoutTest, FortyDeepFractionIsRefused) {
  std::string t = "1";
  for (int i = 0; i < 40; ++i) t = FRAC OPEN + t + CLOSE OPEN "2" CLOSE GEND;
  ASSERT_LE(t.size(), 400u);
  std::vector<u8> text(t.begin(), t.end());
  text.push_back(0);
  u16 cursor = 0;
  u8 h = 0, w = 0;
  EXPECT_EQ(MprintLayout(text.data(), &cursor, 0, 0, 1, 0, &h, &w), 0);
  EXPECT_EQ(w, 0);
  MprintBoxMetrics m{};
  MprintGetState()->draw = 0;
  MprintGetState()->place = 0;
  MprintGetState()->base = text.data();
  EXPECT_EQ(MprintLayoutBox(text.data(), &m, 0, 120), 0) << "taller than 120 rows";
}

TEST(MprintMergeBox, LargerPartsWin) {
  MprintBoxMetrics m{10, 8, 3};
  MprintMergeBox(&m, {4, 20, 12});
  EXPECT_EQ(m.depth, 12);
  EXPECT_EQ(m.height, 20);  // 8 above (the part's), 12 below
  MprintMergeBox(&m, {4, 30, 2});
  EXPECT_EQ(m.depth, 12);
  EXPECT_EQ(m.height, 40);
  EXPECT_EQ(m.width, 10) << "widths are the caller's";
}

}  // namespace
