// The textbook editor: entering templates, moving through their parts,
// deleting, the byte limit, and the textbook form of results.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "kernel/boot.h"
#include "kernel/calc_ram.h"
#include "kernel/heap.h"
#include "memory/item_clip.h"
#include "memory/mcs_api.h"
#include "memory/mcs_store.h"
#include "number/numparse.h"
#include "number/value.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "tests/ui/mprint_notation.h"
#include "ui/mprint.h"
#include "ui/setup.h"

namespace {


// One formula being edited.
struct Editor {
  u8 text[kMprTextMax + 1] = {};
  u16 cursor = 0;
  u32 limit = kMprTextMax;
  explicit Editor(const std::string &start = "", u16 at = 0xFFFF) {
    std::memcpy(text, start.data(), start.size());
    cursor = at == 0xFFFF ? static_cast<u16>(start.size()) : at;
  }
  void Put(u32 code) { cursor = MprintDrawAt(text, limit, cursor, code, KeyGetInsertMode()); }
  void Type(const std::string &chars) {
    for (char c : chars) Put(static_cast<u8>(c));
  }
  u32 Key(u32 key) { return MprintEditKey(text, limit, &cursor, key); }
  std::string Str() const { return reinterpret_cast<const char *>(text); }
  std::string Linear() const {
    u8 out[600];
    const i32 n = MprintToLinear(text, out, sizeof out, 0, kMprLinearWhole);
    return n < 0 ? "<no fit>" : std::string(reinterpret_cast<char *>(out), static_cast<size_t>(n));
  }
};

class MprintEdit : public ::testing::Test {
 protected:
  void SetUp() override {
    SetupResetAll();
    KeySetInsertMode(kInsertInsert);
    MprintInit();
  }
};

TEST_F(MprintEdit, FractionKeyIntoTheDenominatorAndOut) {
  Editor e;
  e.Put(0xBB);
  EXPECT_EQ(e.cursor, 3) << "in the numerator";
  e.Type("1");
  EXPECT_EQ(e.Key(kKeyDown), kMprEditDone);
  e.Type("2");
  EXPECT_EQ(e.Key(kKeyRight), kMprEditDone);
  e.Type("\x89" "3");
  EXPECT_EQ(e.Str(), "\xBB" GRP OPEN "1" CLOSE OPEN "2" CLOSE GEND "\x89" "3");
  EXPECT_EQ(e.Linear(), "((1)\xBB(2))\x89" "3");
  EXPECT_EQ(MprintCheckTemplates(e.text), 1);
  // Back into the denominator from the right, then up to the numerator.
  e.Key(kKeyLeft);
  e.Key(kKeyLeft);
  EXPECT_EQ(e.cursor, 9) << "right after the template";
  e.Key(kKeyLeft);
  EXPECT_EQ(e.cursor, 7) << "the denominator's end";
  e.Key(kKeyUp);
  EXPECT_EQ(e.cursor, 3) << "the numerator's start";
}

TEST_F(MprintEdit, CursorWalksThroughEveryLegalPlace) {
  // 1 + root(2/3): every place, left to right.
  Editor e("1\x89\x86" GRP OPEN "\xBB" GRP OPEN "2" CLOSE OPEN "3" CLOSE GEND CLOSE GEND, 0);
  const u16 places[] = {1, 2, 5, 8, 9, 11, 12, 14, 16};
  for (u16 p : places) {
    EXPECT_EQ(e.Key(kKeyRight), kMprEditDone);
    EXPECT_EQ(e.cursor, p);
  }
  EXPECT_EQ(e.Key(kKeyRight), kMprEditRight) << "off the end";
  for (int i = 7; i >= 0; --i) {
    EXPECT_EQ(e.Key(kKeyLeft), kMprEditDone);
    EXPECT_EQ(e.cursor, places[i]);
  }
  e.Key(kKeyLeft);
  EXPECT_EQ(e.cursor, 0);
  EXPECT_EQ(e.Key(kKeyLeft), kMprEditLeft) << "off the start";
  EXPECT_EQ(e.Key(kKeyUp), kMprEditUp) << "no part above";
  EXPECT_EQ(e.Key(kKeyDown), kMprEditDown);
}

TEST_F(MprintEdit, ArrowsReachEveryPartOfEveryTemplate) {
  struct Case {
    const char *name;
    std::string text;
  } cases[] = {
      {"root", "\x86" GRP OPEN "1" CLOSE GEND},
      {"Abs", "\x97" GRP OPEN "1" CLOSE GEND},
      {"e^", "\xA5" GRP OPEN "1" CLOSE GEND},
      {"10^", "\xB5" GRP OPEN "1" CLOSE GEND},
      {"power", "2\xA8" OPEN "1" CLOSE},
      {"x-th root", "\xB8" GRP OPEN "3" CLOSE OPEN "8" CLOSE GEND},
      {"fraction", "\xBB" GRP OPEN "1" CLOSE OPEN "2" CLOSE GEND},
      {"mixed", "\xBB" GRP OPEN "1" CLOSE OPEN "2" CLOSE OPEN "3" CLOSE GEND},
      {"template 13", "\x7F\x5F\x1F" GRP OPEN "1" CLOSE OPEN "2" CLOSE GEND},
      {"derivative", "\x7F\x26" OPEN "X" SEP "1" CLOSE},
      {"second derivative", "\x7F\x27" OPEN "X" SEP "1" CLOSE},
      {"logab(", "\x7F\x85" OPEN "2" SEP "8" CLOSE},
      {"integral", "\x8D" OPEN "X" SEP "0" SEP "1" CLOSE},
      {"sum", "\x7F\x29" OPEN "K" SEP "K" SEP "1" SEP "9" CLOSE},
      {"list", "\x7F\x5C\x84" "1" SEP SEP "3\x94"},
      {"matrix", "\x7F\x5D\xA4\xA4" "1" SEP "2\xB4\xA4" SEP "4\xB4\xB4"},
  };
  for (const Case &c : cases) {
    const std::string text = "1" + c.text + "2";  // a token on either side
    Editor e(text, 0);
    std::vector<u16> right = {0};
    while (e.Key(kKeyRight) == kMprEditDone) {
      ASSERT_LT(right.size(), 64u) << c.name;
      right.push_back(e.cursor);
    }
    EXPECT_EQ(right.back(), text.size()) << c.name;
    std::vector<u16> left = {e.cursor};
    while (e.Key(kKeyLeft) == kMprEditDone) left.push_back(e.cursor);
    EXPECT_EQ(std::vector<u16>(left.rbegin(), left.rend()), right) << c.name << ": left retraces right";
    // Every part's start and end is a stop; no stop lies between markers.
    MprintPart parts[kMprPartsMax];
    const u32 head = MprintTokenClass(e.text + 1) == kMprHead ? 1 : 2;
    const u32 count = MprintTemplateParts(e.text + head, parts, kMprPartsMax);
    ASSERT_GT(count, 0u) << c.name;
    for (u32 i = 0; i < count; ++i) {
      EXPECT_NE(std::find(right.begin(), right.end(), head + parts[i].start), right.end()) << c.name << " part " << i;
      EXPECT_NE(std::find(right.begin(), right.end(), head + parts[i].end), right.end()) << c.name << " part " << i;
    }
    for (u16 p : right) EXPECT_EQ(MprintLegalCursor(e.text, p), p) << c.name << " at " << p;
  }
}

TEST_F(MprintEdit, UpAndDownBetweenBoundsAndCells) {
  // Integral: the integrand, up to the upper bound, down to the integrand,
  // down to the lower bound.
  Editor in("\x8D" OPEN "X" SEP "0" SEP "1" CLOSE, 2);
  in.Key(kKeyUp);
  EXPECT_EQ(in.cursor, 6);
  in.Key(kKeyDown);
  EXPECT_EQ(in.cursor, 2);
  in.Key(kKeyDown);
  EXPECT_EQ(in.cursor, 4);
  // A fraction inside a matrix cell: down from the numerator to the
  // denominator, then down again to the cell below.
  Editor m("\x7F\x5D\xA4\xA4\xBB" GRP OPEN "1" CLOSE OPEN "2" CLOSE GEND "\xB4\xA4" "3\xB4\xB4", 7);
  m.Key(kKeyDown);
  EXPECT_EQ(m.cursor, 10);
  m.Key(kKeyDown);
  EXPECT_EQ(m.cursor, 15);
  EXPECT_EQ(m.Key(kKeyDown), kMprEditDown) << "below the last row";
  EXPECT_EQ(m.cursor, 15);
}

TEST_F(MprintEdit, RootTakesTheNumberAndDeleteKeepsTheContents) {
  Editor e("25\x89" "1", 0);
  e.Put(0x86);
  EXPECT_EQ(e.Str(), "\x86" GRP OPEN "25" CLOSE GEND "\x89" "1");
  EXPECT_EQ(e.cursor, 5) << "after the number, inside the root";
  e.Key(kKeyLeft);
  e.Key(kKeyLeft);
  EXPECT_EQ(e.cursor, 3);
  EXPECT_EQ(e.Key(kKeyDel), kMprEditDone);
  EXPECT_EQ(e.Str(), "25\x89" "1");
  EXPECT_EQ(e.cursor, 0);

  struct Case {
    const char *name;
    std::string text;
    u16 at;  // the first part's start
    std::string kept;
  } cases[] = {
      {"fraction keeps a division", "\xBB" GRP OPEN "1" CLOSE OPEN "2" CLOSE GEND, 3, "1\xB9" "2"},
      {"fraction keeps the order of its operations", "\xBB" GRP OPEN "1\x89" "2" CLOSE OPEN "X" CLOSE GEND, 3,
       "(1\x89" "2)\xB9" "X"},
      {"mixed number keeps its marks", "\xBB" GRP OPEN "1" CLOSE OPEN "2" CLOSE OPEN "3" CLOSE GEND, 3,
       "1\xBB" "2\xBB" "3"},
      {"x-th root keeps its operator", "\xB8" GRP OPEN "3" CLOSE OPEN "8" CLOSE GEND, 3, "3\xB8" "8"},
      {"power keeps its exponent", "2\xA8" OPEN "3" CLOSE, 3, "23"},
      {"list keeps its elements", "\x7F\x5C\x84" "1" SEP "2" "\x94", 3, "{1,2}"},
      {"matrix keeps its cells", "\x7F\x5D\xA4\xA4" "1" SEP "2\xB4\xA4" "3" SEP "4\xB4\xB4", 4, "[[1,2][3,4]]"},
      {"integral becomes its call", "\x8D" OPEN "X" SEP "0" SEP "1" CLOSE, 2, "\x8D" "X,0,1)"},
      {"logab( inside a root becomes its call", "\x86" GRP OPEN "\x7F\x85" OPEN "2" SEP "8" CLOSE CLOSE GEND, 6,
       "\x86" GRP OPEN "\x7F\x85" "2,8)" CLOSE GEND},
  };
  for (const Case &c : cases) {
    Editor d(c.text, c.at);
    d.Key(kKeyDel);
    EXPECT_EQ(d.Str(), c.kept) << c.name;
    EXPECT_EQ(MprintCheckTemplates(d.text), 1) << c.name;
  }
}

TEST_F(MprintEdit, DeleteAtALaterPartOrAfterATemplateOnlyMoves) {
  const std::string half = "\xBB" GRP OPEN "1" CLOSE OPEN "2" CLOSE GEND;
  Editor e(half, 6);  // the denominator's start
  e.Key(kKeyDel);
  EXPECT_EQ(e.Str(), half);
  EXPECT_EQ(e.cursor, 4) << "the numerator's end";
  Editor after(half);
  after.Key(kKeyDel);
  EXPECT_EQ(after.Str(), half);
  EXPECT_EQ(after.cursor, 7) << "the denominator's end";
  after.Key(kKeyDel);
  EXPECT_EQ(after.Str(), "\xBB" GRP OPEN "1" CLOSE OPEN CLOSE GEND);
}

TEST_F(MprintEdit, OverwriteAndClear) {
  KeySetInsertMode(kInsertOverwrite);
  Editor e("123", 1);
  e.Put('9');
  EXPECT_EQ(e.Str(), "193");
  e.Key(kKeyDel);
  EXPECT_EQ(e.Str(), "19") << "overwrite deletes at the cursor";
  e.Key(kKeyAc);
  EXPECT_EQ(e.Str(), "");
  EXPECT_EQ(e.cursor, 0);
  EXPECT_EQ(e.Key(kKeyExe), kMprEditOther);
}

TEST_F(MprintEdit, ByteLimit) {
  Editor e(std::string(250, '1'));
  e.Put(0xBB);  // 7 bytes: past 255
  EXPECT_EQ(e.Str(), std::string(250, '1'));
  EXPECT_EQ(e.cursor, 250);
  e.Type("22222");
  EXPECT_EQ(e.Str().size(), 255u);
  e.Put('3');
  EXPECT_EQ(e.Str().size(), 255u) << "the 256th byte is refused";
  EXPECT_EQ(e.text[255], 0);
  Editor small("12");
  small.limit = 4;
  small.Put(0x7F50);
  EXPECT_EQ(small.Str(), "12\x7F\x50");
  small.Put('3');
  EXPECT_EQ(small.Str(), "12\x7F\x50");
}

TEST_F(MprintEdit, MatrixAndListTemplates) {
  MprintSetMatrixSize(2, 3);
  Editor m;
  m.Put(0x7F5D);
  EXPECT_EQ(m.Str(), "\x7F\x5D\xA4\xA4" SEP SEP "\xB4\xA4" SEP SEP "\xB4\xB4");
  m.Type("1");
  m.Key(kKeyRight);
  m.Type("2");
  m.Key(kKeyDown);
  m.Type("5");
  EXPECT_EQ(m.Linear(), "[[1,2,][,5,]]");
  m.Key(kKeyUp);
  EXPECT_EQ(m.cursor, 6) << "the cell above's start";
  EXPECT_EQ(MprintCheckTemplates(m.text), 1);

  Editor l;
  l.Put(0x7F5C);
  for (int i = 0; i < 25; ++i) {
    l.Type("7");
    l.Put(',');
  }
  EXPECT_EQ(MprintCheckTemplates(l.text), 1);
  const std::string lin = l.Linear();
  EXPECT_EQ(std::count(lin.begin(), lin.end(), ','), 19) << "at most 20 elements";
}

TEST_F(MprintEdit, OtherTemplatesFromTheirKeys) {
  struct Case {
    u32 code;
    std::string linear;
  } cases[] = {
      {0x8B, "2\xA8(2)"},  // x² on the 2 typed first
      {0xA8, "2\xA8()"},
      {0x7F85, "2\x7F\x85,)"},
      {0x7F26, "2\x7F\x26,)"},
      {0x8D, "2\x8D,,)"},
      {0x7F29, "2\x7F\x29,,,)"},
      {30054, "2((),\xBB())"},
  };
  for (const Case &c : cases) {
    Editor e("2");
    e.Put(c.code);
    EXPECT_EQ(MprintCheckTemplates(e.text), 1) << c.code;
    std::string lin = e.Linear();
    if (c.code == 30054) lin.erase(std::remove(lin.begin(), lin.end(), ','), lin.end());
    if (c.code == 30054) {
      EXPECT_EQ(lin, "2(()\xBB())") << c.code;
    } else {
      EXPECT_EQ(lin, c.linear) << c.code;
    }
  }
}

TEST_F(MprintEdit, FindTemplate) {
  const std::string t = "1\x89\x86" GRP OPEN "\xBB" GRP OPEN "2" CLOSE OPEN "3" CLOSE GEND CLOSE GEND;
  Editor e(t);
  MprintPlace place{};
  EXPECT_EQ(MprintFindTemplate(e.text, 1, &place), 0);
  ASSERT_EQ(MprintFindTemplate(e.text, 11, &place), 1);
  EXPECT_EQ(place.head, 5);
  EXPECT_EQ(place.number, 7);
  EXPECT_EQ(place.part, 1);
  ASSERT_EQ(MprintFindTemplate(e.text, 14, &place), 1);
  EXPECT_EQ(place.head, 2);
  EXPECT_EQ(place.number, 0);
}

// A selection steps by whole elements (a token, or a template with all its
// parts) and never leaves the box where it began.
TEST_F(MprintEdit, SelectionStepsByElementsInsideOneBox) {
  // 1+√(4)+(2+3)/5; offsets: root 2-7, second + 8, fraction 9-19 with its
  // numerator 12-14 and denominator 17, end 20.
  const std::string t = "1\x89" ROOT OPEN "4" CLOSE GEND "\x89" FRAC OPEN "2\x89" "3" CLOSE OPEN "5" CLOSE GEND;
  Editor e(t);
  ASSERT_EQ(t.size(), 20u);
  const struct {
    u16 anchor, pos;
    bool right;
    u16 to;
  } cases[] = {
      {0, 0, true, 1},     {0, 1, true, 2},     {0, 2, true, 8},     {0, 8, true, 9},
      {0, 9, true, 20},    {20, 2, false, 1},
      {20, 20, true, 20},  {20, 20, false, 9},  {20, 9, false, 8},   {20, 8, false, 2},
      {20, 1, false, 0},   {0, 0, false, 0},    {12, 12, true, 13},  {12, 14, true, 15},
      {12, 15, true, 15},  {12, 12, false, 12}, {15, 13, false, 12}, {17, 17, false, 17},
      {17, 17, true, 18},  {18, 18, true, 18},
  };
  for (const auto &c : cases)
    EXPECT_EQ(MprintSelectionStep(e.text, c.anchor, c.pos, c.right), c.to)
        << c.anchor << " " << c.pos << (c.right ? " right" : " left");
  u16 start = 0, end = 0;
  MprintBoxAround(e.text, 13, &start, &end);
  EXPECT_EQ(start, 12);
  EXPECT_EQ(end, 15);
  MprintBoxAround(e.text, 9, &start, &end);
  EXPECT_EQ(start, 0);
  EXPECT_EQ(end, 20);
}

// UP and DOWN in a selection take the template around the cursor that has
// a line above or below it whole; the range then covers that template in
// its own box, and LEFT and RIGHT go on from there by whole elements.
TEST_F(MprintEdit, SelectionClimbsToTheTemplateWithALineAboveOrBelow) {
  // 1+(2/(4/5))+[[1,2][3,4]]; offsets: outer fraction 2-18 with its
  // numerator 5-6 and denominator 8-17, the inner fraction 8-16 with its
  // numerator 11-12 and denominator 14-15, second + 19, matrix 20-33 with
  // its cells at 24, 26, 29 and 31, end 34.
  const std::string t = "1\x89" FRAC OPEN "2" CLOSE OPEN FRAC OPEN "4" CLOSE OPEN "5" CLOSE GEND CLOSE GEND "\x89" MAT
                        ROW "1" SEP "2" REND ROW "3" SEP "4" REND REND;
  Editor e(t);
  ASSERT_EQ(t.size(), 34u);
  const struct {
    u16 pos;
    bool up;
    u16 to;
  } vertical[] = {
      {14, true, 17},  {11, false, 17}, {11, true, 19}, {17, true, 19}, {17, false, 17}, {5, true, 5},
      {5, false, 19},  {0, true, 0},    {19, false, 19}, {24, false, 34}, {24, true, 24}, {31, true, 34},
      {34, true, 34},
  };
  for (const auto &c : vertical)
    EXPECT_EQ(MprintSelectionVertical(e.text, c.pos, c.up), c.to) << c.pos << (c.up ? " up" : " down");
  const struct {
    u16 anchor, pos, from, to;
  } ranges[] = {
      {14, 17, 8, 17}, {14, 19, 2, 19}, {14, 0, 0, 19}, {14, 34, 2, 34},
      {29, 34, 20, 34}, {5, 5, 5, 5},   {5, 6, 5, 6},   {1, 20, 1, 20},
  };
  for (const auto &c : ranges) {
    u16 from = 0, to = 0;
    MprintSelectionRange(e.text, c.anchor, c.pos, &from, &to);
    EXPECT_EQ(from, c.from) << c.anchor << " " << c.pos;
    EXPECT_EQ(to, c.to) << c.anchor << " " << c.pos;
  }
  // A step that would only cross the template holding the anchor goes one
  // element further, so every arrow changes what is taken.
  const struct {
    u16 anchor, pos;
    bool right;
    u16 to;
  } steps[] = {
      {14, 19, false, 1}, {14, 19, true, 20}, {14, 1, true, 2}, {14, 2, true, 20},
      {29, 34, false, 19}, {14, 17, false, 8}, {29, 34, true, 34},
  };
  for (const auto &c : steps)
    EXPECT_EQ(MprintSelectionStep(e.text, c.anchor, c.pos, c.right), c.to)
        << c.anchor << " " << c.pos << (c.right ? " right" : " left");
  // An integral: the integrand (2) with the upper bound (6) above it and the
  // lower bound (4) below; the template ends at 8.
  Editor integral("\x8D" OPEN "X" SEP "0" SEP "1" CLOSE);
  const struct {
    u16 pos;
    bool up;
    u16 to;
  } bounds[] = {{2, true, 8}, {2, false, 8}, {4, true, 8}, {4, false, 4}, {6, true, 6}, {6, false, 8}};
  for (const auto &c : bounds)
    EXPECT_EQ(MprintSelectionVertical(integral.text, c.pos, c.up), c.to) << c.pos << (c.up ? " up" : " down");
}

// ---- results ----

Value Real(const char *text) {
  Value v{};
  NumParse(text, &v.re);
  return v;
}

TEST_F(MprintEdit, ValuesAsTextbookTokens) {
  u8 out[256];
  Value half = Real("1a2");
  ASSERT_GT(MprintFromValue(&half, out, sizeof out), 0u);
  EXPECT_STREQ(reinterpret_cast<char *>(out), "\xBB" GRP OPEN "1" CLOSE OPEN "2" CLOSE GEND);
  SetupSetItem(87, 1);  // fractions shown as mixed numbers
  Value mixed = Real("1a2a3");
  ASSERT_GT(MprintFromValue(&mixed, out, sizeof out), 0u);
  EXPECT_STREQ(reinterpret_cast<char *>(out), "\xBB" GRP OPEN "1" CLOSE OPEN "2" CLOSE OPEN "3" CLOSE GEND);
  Value plain = Real("2.5");
  ASSERT_GT(MprintFromValue(&plain, out, sizeof out), 0u);
  EXPECT_STREQ(reinterpret_cast<char *>(out), "2.5");
  EXPECT_EQ(MprintFromValue(&plain, out, 3), 0u) << "no room";

  // A list of three reals and a 2 x 2 matrix.
  const MemHandle h = MemAlloc(48);
  ASSERT_NE(h, 0u);
  const char *items[] = {"1", "2", "3", "4"};
  for (int i = 0; i < 4; ++i) std::memcpy(MemDeref(h) + 12 * i, Real(items[i]).re.b, 12);
  EvalArrayHeader hd{};
  hd.kind = kValRealList;
  hd.count = 3;
  hd.handle = h;
  Value list{};
  ValSetHeader(&hd, &list);
  ASSERT_GT(MprintFromValue(&list, out, sizeof out), 0u);
  EXPECT_STREQ(reinterpret_cast<char *>(out), "\x7F\x5C\x84" "1" SEP "2" SEP "3\x94");
  hd.kind = kValRealMatrix;
  hd.count = 2;
  hd.cols = 2;
  Value mat{};
  ValSetHeader(&hd, &mat);
  ASSERT_GT(MprintFromValue(&mat, out, sizeof out), 0u);
  EXPECT_STREQ(reinterpret_cast<char *>(out), "\x7F\x5D\xA4\xA4" "1" SEP "2\xB4\xA4" "3" SEP "4\xB4\xB4");
  EXPECT_EQ(MprintCheckTemplates(out), 1);
  hd.count = 7;
  ValSetHeader(&hd, &mat);
  EXPECT_EQ(MprintFromValue(&mat, out, sizeof out), 0u) << "seven rows have no textbook form";
  MemFree(h);
}

}  // namespace

namespace {

TEST(MprintSystemStart, RamInitialisationResetsTheTextbookState) {
  ASSERT_EQ(HostAllocCalcRam(), 1u);
  MprintState *s = MprintGetState();
  s->flags[0] = 0;
  s->flags[1] = 0;
  MprintSetMatrixSize(5, 4);
  MprintSaveBackup(reinterpret_cast<const u8 *>("12"), 1);
  SysInitRam();
  EXPECT_EQ(s->flags[0], 1);
  EXPECT_EQ(s->flags[1], 1);
  EXPECT_EQ(s->matrix_rows, 2);
  EXPECT_EQ(s->matrix_cols, 2);
  EXPECT_EQ(s->backup_valid, 0);
  HostFreeCalcRam();
}

}  // namespace

namespace {

TEST(MprintPaste, PastesTheTextbookClipboardAtTheCursor) {
  ASSERT_EQ(HostAllocCalcRam(), 1u);
  ASSERT_EQ(McsClearAll(), 0u);
  SetupResetAll();
  MprintInit();
  const std::string half = "\xBB" GRP OPEN "1" CLOSE OPEN "2" CLOSE GEND;
  ASSERT_EQ(ItemClipStorePair(half.c_str(), static_cast<u32>(half.size() + 1)), 0u);
  Editor e("3\x89" "4", 2);
  EXPECT_EQ(e.Key(kKeyPaste), kMprEditDone);
  EXPECT_EQ(e.Str(), "3\x89" + half + "4");
  EXPECT_EQ(e.cursor, 2 + half.size());
  // No room under the limit: nothing changes.
  Editor full(std::string(250, '1'));
  full.Key(kKeyPaste);
  EXPECT_EQ(full.Str(), std::string(250, '1'));
  // A plain text in both items pastes as it stands.
  ASSERT_EQ(ItemClipStore("12", 3), 0u);
  Editor plain;
  plain.Key(kKeyPaste);
  EXPECT_EQ(plain.Str(), "12");
  HostFreeCalcRam();
}

}  // namespace
