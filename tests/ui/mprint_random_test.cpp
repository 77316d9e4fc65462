// Random edits and random token strings through the textbook routines: a
// bounded number of cases from a fixed seed. Keys keep a formula well
// formed; no string, well formed or not, makes a routine read or write out
// of bounds (the sanitizer builds check that).
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/mprint.h"
#include "ui/setup.h"

namespace {

// Templates and tokens that cannot unbalance anything come first; the last
// four (parentheses, a comma, a function with its own parenthesis) let the
// user type text that is not well formed, as linear text can be.
constexpr u32 kCodes[] = {'1', '2', 'X', 0x89, 0xA9, 0xBB, 0x86, 0xA8, 0x8B, 0xB8, 0xA5, 0xB5, 0x97, 0x7F26,
                          0x7F27, 0x7F85, 0x8D, 0x7F29, 0x7F5C, 0x7F5D, 30054, 0x7F50, '(', ')', ',', 0x80};
constexpr u32 kUnbalancing = 4;
constexpr u32 kKeys[] = {kKeyLeft, kKeyRight, kKeyUp, kKeyDown, kKeyDel};

// True when the token before pos opens or closes a parenthesis, brace or
// bracket or is a comma: deleting it unbalances linear text, as the user may.
bool BeforeIsLinearPunctuation(const u8 *text, u32 pos) {
  u32 off = 0, prev = 0;
  bool any = false;
  while (off < pos) {
    prev = off;
    any = true;
    const u32 len = MprintTokenLength(text + off);
    if (len == 0) break;
    off += len;
  }
  if (!any) return false;
  const u8 cls = MprintTokenClass(text + prev);
  return MprintIsParenOpenOrFunc(cls) || MprintIsParenClose(cls) || text[prev] == ',';
}

TEST(MprintRandom, KeysKeepAFormulaWellFormedAndBounded) {
  SetupResetAll();
  std::mt19937 rng(20261210);
  for (int run = 0; run < 200; ++run) {
    MprintInit();
    const u8 rows = static_cast<u8>(1 + rng() % 3), cols = static_cast<u8>(1 + rng() % 3);
    MprintSetMatrixSize(rows, cols);
    KeySetInsertMode(rng() % 4 == 0 ? kInsertOverwrite : kInsertInsert);
    u8 text[kMprTextMax + 1] = {};
    u16 cursor = 0;
    std::string trail = "matrix " + std::to_string(rows) + "x" + std::to_string(cols) + " insert mode " +
                        std::to_string(KeyGetInsertMode()) + ":";
    // Every other run may type parentheses and commas: its text stays within
    // its bounds but need not be well formed.
    const bool strict = run % 2 == 0;
    const u32 codes = static_cast<u32>(std::size(kCodes)) - (strict ? kUnbalancing : 0);
    for (int step = 0; step < 150; ++step) {
      if (rng() % 3 == 0) {
        u32 key = kKeys[rng() % std::size(kKeys)];
        // The calls that deleting a template leaves are linear text: in a
        // strict run they are not taken apart.
        if (strict && key == kKeyDel && BeforeIsLinearPunctuation(text, cursor)) key = kKeyLeft;
        MprintEditKey(text, kMprTextMax, &cursor, key);
        trail += " k" + std::to_string(key);
      } else {
        const u32 code = kCodes[rng() % codes];
        cursor = MprintDrawAt(text, kMprTextMax, cursor, code, KeyGetInsertMode());
        trail += " c" + std::to_string(code);
      }
      const u32 len = static_cast<u32>(std::strlen(reinterpret_cast<char *>(text)));
      ASSERT_LE(len, kMprTextMax) << trail;
      ASSERT_LE(cursor, len) << trail;
      ASSERT_EQ(MprintLegalCursor(text, cursor), cursor) << trail;
      if (strict) {
        ASSERT_EQ(MprintCheckTemplates(text), 1) << "at " << MprintResultPosition() << trail;
      }
      u8 linear[1024];
      ASSERT_GE(MprintToLinear(text, linear, sizeof linear, 0, kMprLinearWhole), 0) << trail;
    }
    u8 h = 0, w = 0;
    LcdClearVram();
    MprintLayout(text, &cursor, 0, 0, 1, 1, &h, &w);
    EXPECT_LE(h, kMprMaxHeight);
  }
}

TEST(MprintRandom, AnyTokenStringIsHandledSafely) {
  SetupResetAll();
  constexpr u8 kBytes[] = {0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F, 0x84, 0x94, 0xA4, 0xB4, '(', ')', '{', '}', '[',
                           ']', ',', '1', 'X', 0xBB, 0x86, 0xA8, 0xB8, 0x97, 0x8D, 0x7F, 0x26, 0x5C, 0x5D, 0x5F,
                           0x85, 0x80, 0xF7, 0xAF, 0xD8};
  std::mt19937 rng(7);
  for (int run = 0; run < 3000; ++run) {
    std::vector<u8> text(1 + rng() % 48);
    for (u8 &b : text) b = kBytes[rng() % std::size(kBytes)];
    text.push_back(0);
    text.resize(kMprTextMax + 1, 0);  // room for the fall-back copy
    const u32 len = static_cast<u32>(std::strlen(reinterpret_cast<char *>(text.data())));
    MprintCheckTemplates(text.data());
    u8 out[256];
    for (u8 mode = 0; mode < 3; ++mode) MprintToLinear(text.data(), out, 1 + rng() % sizeof out, rng() % 64, mode);
    MprintPlace place{};
    for (u32 off = 0; off <= len; ++off) {
      MprintPart parts[kMprPartsMax];
      MprintTemplateParts(text.data() + off, parts, kMprPartsMax);
      MprintTemplateLength(text.data() + off);
      MprintGroupLength(text.data() + off, static_cast<u8>(rng() % 2));
      MprintBoxLength(text.data() + off);
      MprintFindTemplate(text.data(), static_cast<u16>(off), &place);
    }
    MprintInit();
    u16 cursor = static_cast<u16>(rng() % (len + 1));
    u8 h = 0, w = 0;
    LcdClearVram();
    MprintLayout(text.data(), &cursor, 0, static_cast<i16>(static_cast<int>(rng() % 40) - 20), rng() % 2, 1, &h,
                 &w);
    EXPECT_LE(cursor, len);
    MprintEditKey(text.data(), kMprTextMax, &cursor, kKeys[rng() % std::size(kKeys)]);
    ASSERT_LE(std::strlen(reinterpret_cast<char *>(text.data())), kMprTextMax);
  }
}

}  // namespace
