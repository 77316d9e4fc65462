// Textbook token model: classes, template lengths and places, the
// well-formedness check and the linear form.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/ui/mprint_notation.h"
#include "ui/mprint.h"

namespace {


std::vector<u8> B(const std::string &s) {
  std::vector<u8> v(s.begin(), s.end());
  v.push_back(0);
  return v;
}

std::string Linear(const std::string &src, u8 mode = kMprLinearWhole) {
  const auto s = B(src);
  u8 out[512];
  const i32 n = MprintToLinear(s.data(), out, sizeof out, 0, mode);
  if (n < 0) return "<no fit>";
  return std::string(reinterpret_cast<char *>(out), static_cast<size_t>(n));
}

struct ClassCase {
  const char *name;
  std::string tokens;  // the token and what follows it
  u8 raw;
  u8 refined;
  u8 classified;
  u8 number;
};

TEST(MprintModel, ClassesOfTokens) {
  const ClassCase cases[] = {
      {"digit", "1", 0, 0, 0, kMprNoTemplate},
      {"fraction head with its group", FRAC OPEN, 1, 1, 1, 7},
      {"fraction head alone is ordinary", "\xBB" "2", 1, 0, 0, 7},
      {"square is never a template", "\x8B" GRP, 1, 0, 0, kMprNoTemplate},
      {"reciprocal is never a template", "\x9B" GRP, 1, 0, 0, kMprNoTemplate},
      {"cube root is never a template", "\x96" GRP, 1, 0, 0, kMprNoTemplate},
      {"integral without its box is a function", "\x8D" "X", 1, 10, 10, 1},
      {"integral with its box", "\x8D" OPEN, 1, 1, 1, 1},
      {"derivative without its box is a function", "\x7F\x26" "X", 1, 10, 10, 8},
      {"logab( without its box is a function", "\x7F\x85" "2", 1, 10, 10, 14},
      {"power without its box is ordinary", POW "2", 1, 0, 0, 4},
      {"list head", LIST, 1, 1, 1, 11},
      {"matrix head", MAT, 1, 1, 1, 12},
      {"template 13 needs its 0x1F", "\x7F\x5F\x1F", 1, 1, 1, 13},
      {"box close", CLOSE "2", 3, 3, 3, kMprNoTemplate},
      {"box boundary", CLOSE OPEN, 3, 3, 4, kMprNoTemplate},
      {"separator", SEP, 5, 5, 5, kMprNoTemplate},
      {"group open and close", GRP, 6, 6, 6, kMprNoTemplate},
      {"paren", "(", 8, 8, 8, kMprNoTemplate},
      {"Pol(", "\x80", 10, 10, 10, kMprNoTemplate},
      {"Max(", "\x7F\x20", 10, 10, 10, kMprNoTemplate},
      {"0xF7 function", "\xF7\xAF", 10, 10, 10, kMprNoTemplate},
      {"other 0xF7 token", "\xF7\x10", 0, 0, 0, kMprNoTemplate},
      {"0xF9 token", "\xF9\x05", 0, 0, 0, kMprNoTemplate},
      {"0x7F beyond its table", "\x7F\xF5", 0, 0, 0, kMprNoTemplate},
      {"list close", LEND, 16, 16, 16, kMprNoTemplate},
      {"row open", ROW, 17, 17, 17, kMprNoTemplate},
      {"end", "", 19, 19, 19, kMprNoTemplate},
  };
  for (const ClassCase &c : cases) {
    const auto s = B(c.tokens);
    EXPECT_EQ(MprintRawClass(s.data()), c.raw) << c.name;
    EXPECT_EQ(MprintTokenClass(s.data()), c.refined) << c.name;
    EXPECT_EQ(MprintClassify(s.data()), c.classified) << c.name;
    EXPECT_EQ(MprintTemplateNumber(s.data()), c.number) << c.name;
  }
}

TEST(MprintModel, ClassPredicates) {
  for (u8 c = 0; c < 20; ++c) {
    EXPECT_EQ(MprintIsOpen(c), c == 2 || c == 15 || c == 17) << int(c);
    EXPECT_EQ(MprintIsClose(c), c == 3 || c == 16 || c == 18) << int(c);
    EXPECT_EQ(MprintIsOpenOrSep(c), c == 2 || c == 15 || c == 17 || c == 5) << int(c);
    EXPECT_EQ(MprintIsCloseOrSep(c), c == 3 || c == 16 || c == 18 || c == 5) << int(c);
    EXPECT_EQ(MprintIsParenOpen(c), c == 8 || c == 11 || c == 13) << int(c);
    EXPECT_EQ(MprintIsParenOpenOrFunc(c), c == 8 || c == 10 || c == 11 || c == 13) << int(c);
    EXPECT_EQ(MprintIsParenClose(c), c == 9 || c == 12 || c == 14) << int(c);
  }
  const auto root = B(ROOT OPEN "4" CLOSE GEND);
  const auto alone = B("\x86" "4");
  EXPECT_EQ(MprintRawTemplateKind(alone.data()), 1);
  EXPECT_EQ(MprintTemplateKind(alone.data()), 0);
  EXPECT_EQ(MprintTemplateKind(root.data()), 1);
}

struct LengthCase {
  const char *name;
  std::string text;
  u32 length;
};

TEST(MprintModel, TemplateLengths) {
  const LengthCase cases[] = {
      {"fraction", FRAC OPEN "1" CLOSE OPEN "2" CLOSE GEND "+1", 9},
      {"mixed number", FRAC OPEN "1" CLOSE OPEN "2" CLOSE OPEN "3" CLOSE GEND, 12},
      {"root of a fraction", ROOT OPEN FRAC OPEN "1" CLOSE OPEN "2" CLOSE GEND CLOSE GEND, 14},
      {"power", POW OPEN "2" CLOSE "X", 4},
      {"list of three", LIST "1" SEP "2" SEP "3" LEND "+", 9},
      {"matrix 2x2", MAT ROW "1" SEP "2" REND ROW "3" SEP "4" REND REND, 14},
      {"integral", "\x8D" OPEN "X" SEP "0" SEP "1" CLOSE, 8},
      {"template 13", "\x7F\x5F\x1F" GRP OPEN "1" CLOSE OPEN "2" CLOSE GEND, 11},
      {"cut by the end", FRAC OPEN "1" CLOSE OPEN "2", 7},
      {"no template", "\xBB" "2", 0},
  };
  for (const LengthCase &c : cases) {
    const auto s = B(c.text);
    EXPECT_EQ(MprintTemplateLength(s.data()), c.length) << c.name;
  }
}

TEST(MprintModel, GroupAndBoxLengths) {
  struct Case {
    const char *name;
    std::string text;
    u8 stop_at_comma;
    u32 length;
  } cases[] = {
      {"closed group", "(1+2)*3", 0, 5},
      {"nested groups count", "((1)+2)", 0, 7},
      {"function opener closes at )", "\x7F\x20" "1,2)+", 0, 6},
      {"ends at a box close", "(1" CLOSE, 0, 2},
      {"ends at a separator", "(1" SEP "2)", 0, 2},
      {"brace group steps over a separator? no: ends", "{1" SEP, 0, 2},
      {"stops at a comma when asked", "(1,2)", 1, 2},
      {"only ( is measured with the flag", "{1,2}", 1, 0},
      {"steps over a template whole", "(" FRAC OPEN ")" CLOSE OPEN "2" CLOSE GEND ")", 0, 11},
      {"open to the end", "(1+2", 0, 4},
  };
  for (const auto &c : cases) {
    const auto s = B(c.text);
    EXPECT_EQ(MprintGroupLength(s.data(), c.stop_at_comma), c.length) << c.name;
  }
  const auto box = B("1" FRAC OPEN "2" CLOSE OPEN "3" CLOSE GEND "4" CLOSE "5");
  EXPECT_EQ(MprintBoxLength(box.data()), 11u);
  const auto sep = B("12" SEP "3");
  EXPECT_EQ(MprintBoxLength(sep.data()), 2u);
}

TEST(MprintModel, ListElementAndMatrixCellOffsets) {
  std::string list = LIST;
  for (int i = 1; i <= 21; ++i) list += std::string(i > 1 ? SEP : "") + char('0' + i % 10);
  list += LEND;
  const auto l = B(list);
  EXPECT_EQ(MprintListElementOffset(l.data(), 1), 3u);
  EXPECT_EQ(MprintListElementOffset(l.data(), 2), 5u);
  EXPECT_EQ(MprintListElementOffset(l.data(), 20), 41u);
  EXPECT_EQ(MprintListElementOffset(l.data(), 21), 0u) << "a 21st element is not addressed";
  EXPECT_EQ(MprintListElementOffset(l.data(), 0), 0u);
  const auto short_list = B(LIST "1" LEND);
  EXPECT_EQ(MprintListElementOffset(short_list.data(), 2), 0u);
  const auto not_list = B(MAT ROW "1" REND REND);
  EXPECT_EQ(MprintListElementOffset(not_list.data(), 1), 0u);

  const auto m = B(MAT ROW "1" SEP "2" REND ROW "3" SEP "44" REND REND);
  EXPECT_EQ(MprintMatrixCellOffset(m.data(), 1, 1), 4u);
  EXPECT_EQ(MprintMatrixCellOffset(m.data(), 1, 2), 6u);
  EXPECT_EQ(MprintMatrixCellOffset(m.data(), 2, 1), 9u);
  EXPECT_EQ(MprintMatrixCellOffset(m.data(), 2, 2), 11u);
  EXPECT_EQ(MprintMatrixCellOffset(m.data(), 3, 1), 0u);
  EXPECT_EQ(MprintMatrixCellOffset(m.data(), 1, 3), 0u);
  EXPECT_EQ(MprintMatrixCellOffset(m.data(), 7, 1), 0u) << "a seventh row is not addressed";
  EXPECT_EQ(MprintMatrixCellOffset(m.data(), 1, 7), 0u);
}

struct LinearCase {
  const char *name;
  std::string text;
  u8 mode;
  std::string linear;
};

TEST(MprintModel, LinearForms) {
  const LinearCase cases[] = {
      {"empty", "", kMprLinearWhole, ""},
      {"plain tokens copied", "1\x89" "2\x7F\x50", kMprLinearWhole, "1\x89" "2\x7F\x50"},
      {"fraction one half", FRAC OPEN "1" CLOSE OPEN "2" CLOSE GEND, kMprLinearWhole, "((1)\xBB(2))"},
      {"fraction head alone copied", "\xBB" "2", kMprLinearWhole, "\xBB" "2"},
      {"mixed number", FRAC OPEN "1" CLOSE OPEN "2" CLOSE OPEN "3" CLOSE GEND, kMprLinearWhole,
       "((1)\xBB(2)\xBB(3))"},
      {"root", ROOT OPEN "2" CLOSE GEND, kMprLinearWhole, "(\x86(2))"},
      {"nested root of a power", ROOT OPEN "X" POW OPEN ROOT OPEN "2" CLOSE GEND CLOSE CLOSE GEND,
       kMprLinearWhole, "(\x86(X\xA8((\x86(2)))))"},
      {"x-th root", "\xB8" GRP OPEN "3" CLOSE OPEN "8" CLOSE GEND, kMprLinearWhole, "((3)\xB8(8))"},
      {"fraction in a root in a power", "2" POW OPEN ROOT OPEN FRAC OPEN "1" CLOSE OPEN "2" CLOSE GEND CLOSE GEND CLOSE,
       kMprLinearWhole, "2\xA8((\x86(((1)\xBB(2)))))"},
      {"integral is its call", "\x8D" OPEN "X" SEP "0" SEP "1" CLOSE, kMprLinearWhole, "\x8D" "X,0,1)"},
      {"logab(", "\x7F\x85" OPEN "2" SEP "8" CLOSE, kMprLinearWhole, "\x7F\x85" "2,8)"},
      {"list", LIST "1" SEP "2" SEP "3" LEND, kMprLinearWhole, "{1,2,3}"},
      {"matrix", MAT ROW "1" SEP "2" REND ROW "3" SEP "4" REND REND, kMprLinearWhole, "[[1,2][3,4]]"},
      {"template 13 as a fraction", "\x7F\x5F\x1F" GRP OPEN "1" CLOSE OPEN "2" CLOSE GEND, kMprLinearWhole,
       "((1)\xBB(2))"},
      {"short: numbers lose their parentheses", FRAC OPEN "1" CLOSE OPEN "2" CLOSE GEND, kMprLinearShort,
       "(1\xBB" "2)"},
      {"short: an expression keeps them", FRAC OPEN "1\x89" "2" CLOSE OPEN "X" CLOSE GEND, kMprLinearShort,
       "((1\x89" "2)\xBB" "X)"},
      {"short: the lone empty box", "\xD8", kMprLinearShort, ""},
      {"whole: the lone empty box is a token", "\xD8", kMprLinearWhole, "\xD8"},
  };
  for (const LinearCase &c : cases) EXPECT_EQ(Linear(c.text, c.mode), c.linear) << c.name;
}

TEST(MprintModel, LinearFormHonoursTheCapacity) {
  const auto s = B(FRAC OPEN "1" CLOSE OPEN "2" CLOSE GEND);  // linear form: 9 bytes and the terminator
  u8 out[16];
  std::memset(out, 0x55, sizeof out);
  EXPECT_EQ(MprintToLinear(s.data(), out, 10, 0, kMprLinearWhole), 9);
  EXPECT_EQ(out[9], 0);
  EXPECT_EQ(out[10], 0x55);
  std::memset(out, 0x55, sizeof out);
  EXPECT_EQ(MprintToLinear(s.data(), out, 9, 0, kMprLinearWhole), -1);
  EXPECT_EQ(out[0], 0) << "a conversion that does not fit leaves the empty string";
  for (u32 i = 9; i < sizeof out; ++i) EXPECT_EQ(out[i], 0x55) << "no byte past the capacity, " << i;
  EXPECT_EQ(MprintToLinear(s.data(), out, 0, 0, kMprLinearWhole), -1);

  // Mixed numbers: each one's linear form is a byte longer than its source.
  std::string nested;
  for (int i = 0; i < 10; ++i) nested += FRAC OPEN "1" CLOSE OPEN "2" CLOSE OPEN "3" CLOSE GEND;
  const auto big = B(nested);
  std::vector<u8> dst(nested.size() + 1);
  EXPECT_EQ(MprintToLinear(big.data(), dst.data(), static_cast<u32>(dst.size()), 0, kMprLinearWhole), -1);
}

TEST(MprintModel, LinearStopGivesTheSourcePlace) {
  // "12+" then the fraction 3/4: linear "12+((3)⌟(4))".
  const auto s = B("12\x89" FRAC OPEN "3" CLOSE OPEN "4" CLOSE GEND);
  struct Case {
    u32 stop;
    u16 place;
  } cases[] = {
      {0, 1},    // the "1": after it
      {2, 3},    // the "+": before the template
      {3, 6},    // the template's "(" from its group: into the numerator
      {5, 7},    // the "3": the numerator's end
      {8, 9},    // the "(" of the denominator: inside it
      {11, 12},  // the final ")": after the template
      {40, 12},  // beyond the linear form: the source's length
  };
  for (const auto &c : cases) {
    u8 out[64];
    MprintToLinear(s.data(), out, sizeof out, c.stop, kMprLinearStop);
    EXPECT_EQ(MprintResultPosition(), c.place) << "stop " << c.stop;
  }
}

struct CheckCase {
  const char *name;
  std::string text;
  u8 ok;
  u16 at;
};

TEST(MprintModel, CheckTemplates) {
  const CheckCase cases[] = {
      {"empty", "", 1, 0},
      {"fraction", FRAC OPEN "1" CLOSE OPEN "2" CLOSE GEND, 1, 0},
      {"nested", ROOT OPEN FRAC OPEN "(1)" CLOSE OPEN "2" CLOSE GEND CLOSE GEND "\x89" "3", 1, 0},
      {"list and matrix", LIST "1" SEP "2" LEND MAT ROW "1" REND REND, 1, 0},
      {"linear text with a function", "\x7F\x20" "1,2)+(3)", 1, 0},
      {"open paren at the end", "2*(3", 1, 0},
      {"fraction missing its group close", FRAC OPEN "1" CLOSE OPEN "2" CLOSE, 0, 0},
      {"fraction with one box", "1+" FRAC OPEN "1" CLOSE GEND, 0, 2},
      {"root with two boxes", ROOT OPEN "1" CLOSE OPEN "2" CLOSE GEND, 0, 0},
      {"stray box close", "1" CLOSE "2", 0, 1},
      {"stray separator", "1" SEP "2", 0, 1},
      {"stray group open", GRP "1", 0, 0},
      {"row close outside a matrix", "1" REND, 0, 1},
      {"open paren cut by its box", ROOT OPEN "(1" CLOSE GEND, 0, 3},
      {"function cut by its box", ROOT OPEN "\x7F\x20" "1" CLOSE GEND, 0, 3},
      {"closer without its opener", "1)", 0, 1},
      {"closer whose opener is outside the box", "(" ROOT OPEN "1)" CLOSE GEND, 0, 5},
      {"comma in a box", FRAC OPEN "1,2" CLOSE OPEN "3" CLOSE GEND, 0, 4},
      {"comma after a template in a call", "\x7F\x20" FRAC OPEN "1" CLOSE OPEN "2" CLOSE GEND ",3)", 1, 0},
      {"comma after a list in a call", "\x7F\x20" LIST "1" SEP "2" LEND ",3)", 1, 0},
      {"comma in a call in a box", FRAC OPEN "\x7F\x20" "1,2)" CLOSE OPEN "3" CLOSE GEND, 1, 0},
      {"list with a 21st element",
       LIST "1" SEP "2" SEP "3" SEP "4" SEP "5" SEP "6" SEP "7" SEP "8" SEP "9" SEP "0" SEP "1" SEP "2" SEP "3" SEP
            "4" SEP "5" SEP "6" SEP "7" SEP "8" SEP "9" SEP "0" SEP "1" LEND,
       0, 0},
      {"matrix with ragged rows", MAT ROW "1" SEP "2" REND ROW "3" REND REND, 0, 0},
      {"matrix without its outer close", MAT ROW "1" REND, 0, 0},
      {"integral with two parts", "\x8D" OPEN "X" SEP "1" CLOSE, 0, 0},
      {"a lead byte without its second byte ends the text", "12\xF7", 1, 0},
  };
  for (const CheckCase &c : cases) {
    const auto s = B(c.text);
    EXPECT_EQ(MprintCheckTemplates(s.data()), c.ok) << c.name;
    if (!c.ok) {
      EXPECT_EQ(MprintResultPosition(), c.at) << c.name;
    }
  }
}

TEST(MprintModel, CheckOfALongText) {
  // A closer and a comma 300 tokens in: matched and allowed.
  const std::string ok = "(" + std::string(300, '1') + ")" + "\x7F\x20" "1," + std::string(10, '2') + ")";
  const auto s = B(ok);
  EXPECT_EQ(MprintCheckTemplates(s.data()), 1);
  const std::string bad = "(" + std::string(300, '1') + "))";
  const auto b = B(bad);
  EXPECT_EQ(MprintCheckTemplates(b.data()), 0);
  EXPECT_EQ(MprintResultPosition(), 302);
}

TEST(MprintModel, TemplateParts) {
  const auto m = B(MAT ROW "1" SEP "2" REND ROW "3" SEP "4" REND REND);
  MprintPart parts[kMprPartsMax];
  ASSERT_EQ(MprintTemplateParts(m.data(), parts, kMprPartsMax), 4u);
  EXPECT_EQ(parts[3].row, 1);
  EXPECT_EQ(parts[3].column, 1);
  EXPECT_EQ(m[parts[3].start], '4');
  EXPECT_EQ(parts[3].end, parts[3].start + 1);
  const auto f = B(FRAC OPEN "12" CLOSE OPEN CLOSE GEND);
  ASSERT_EQ(MprintTemplateParts(f.data(), parts, kMprPartsMax), 2u);
  EXPECT_EQ(parts[0].end - parts[0].start, 2);
  EXPECT_EQ(parts[1].end, parts[1].start) << "an empty denominator";
}

}  // namespace
