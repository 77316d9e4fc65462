// The system test harness's key names: each names a key of the keyboard
// layout, and each letter the key that gives it under ALPHA.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/harness.h"
#include "ui/keys.h"

namespace {

TEST(TaskHarness, KeyNamesLandOnKeysOfTheLayout) {
  const struct {
    const char *name;
    KeyActionKind kind;
    u32 code;
  } cases[] = {
      {"EXE", kActKey, kKeyExe},     {"MENU", kActKey, kKeyMenu},    {"EXIT", kActKey, kKeyExit},
      {"ESC", kActKey, kKeyExit},    {"SHIFT", kActKey, kKeyShift},  {"ALPHA", kActKey, kKeyAlpha},
      {"OPTN", kActKey, kKeyOptn},   {"VARS", kActKey, kKeyVars},    {"LEFT", kActKey, kKeyLeft},
      {"RIGHT", kActKey, kKeyRight}, {"UP", kActKey, kKeyUp},        {"DOWN", kActKey, kKeyDown},
      {"DEL", kActKey, kKeyDel},     {"AC", kActKey, kKeyAc},        {"F1", kActKey, kKeyF1},
      {"F6", kActKey, kKeyF6},       {"F<>D", kActKey, kKeyFracDec}, {"XtT", kActKey, kKeyXThetaT},
      {"0", kActChar, '0'},          {"5", kActChar, '5'},           {"9", kActChar, '9'},
  };
  for (const auto &c : cases) {
    i32 column = 0, row = 0;
    ASSERT_TRUE(CalcKeyPosition(c.name, &column, &row)) << c.name;
    const KeyAction a = KeyMapPosition(column, row, kModNone);
    EXPECT_EQ(a.kind, c.kind) << c.name;
    EXPECT_EQ(a.code, c.code) << c.name;
  }
  const char *others[] = {".", "EXP", "(-)", "+", "-", "*", "/", "(", ")", ",", "->", "^", "^2",
                          "log", "ln", "sin", "cos", "tan", "ab/c", "OPT", "F2", "F3", "F4", "F5"};
  for (const char *name : others) {
    i32 column = 0, row = 0;
    ASSERT_TRUE(CalcKeyPosition(name, &column, &row)) << name;
    EXPECT_NE(KeyMapPosition(column, row, kModNone).kind, kActNone) << name;
  }
  i32 column = 0, row = 0;
  EXPECT_FALSE(CalcKeyPosition("ENTER", &column, &row));
}

TEST(TaskHarness, LettersArePressedUnderAlpha) {
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    i32 column = 0, row = 0;
    ASSERT_TRUE(CalcLetterPosition(letter, &column, &row)) << letter;
    const KeyAction a = KeyMapPosition(column, row, kModAlpha);
    EXPECT_EQ(a.kind, kActChar) << letter;
    EXPECT_EQ(a.code, static_cast<u16>(letter));
  }
}

}  // namespace
