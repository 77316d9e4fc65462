#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "ui/keys.h"
#include "ui/setup.h"

namespace {

struct MapCase {
  i32 column;
  i32 row;
  u8 modifier;
  KeyActionKind kind;
  u32 code;
};

// (position, modifier) -> what the key reader sees.
TEST(KeyMap, PositionAndModifierToCode) {
  const MapCase cases[] = {
      // plain keys
      {4, 8, kModNone, kActKey, kKeyExit},
      {4, 9, kModNone, kActKey, kKeyMenu},
      {3, 2, kModNone, kActKey, kKeyExe},
      {1, 1, kModNone, kActKey, kKeyAc},
      {7, 10, kModNone, kActKey, kKeyF1},
      {2, 10, kModNone, kActKey, kKeyF6},
      {2, 9, kModNone, kActKey, kKeyUp},
      {3, 9, kModNone, kActKey, kKeyLeft},
      {2, 8, kModNone, kActKey, kKeyRight},
      {3, 8, kModNone, kActKey, kKeyDown},
      {4, 5, kModNone, kActKey, kKeyDel},
      {6, 9, kModNone, kActKey, kKeyOptn},
      {5, 9, kModNone, kActKey, kKeyVars},
      {7, 7, kModNone, kActKey, kKeyXThetaT},
      {6, 6, kModNone, kActKey, kKeyFracDec},
      {4, 12, kModNone, kActKey, kKeyTest},
      {7, 2, kModNone, kActChar, '0'},
      {7, 3, kModNone, kActChar, '1'},
      {5, 5, kModNone, kActChar, '9'},
      {6, 2, kModNone, kActChar, '.'},
      {5, 2, kModNone, kActChar, kChrExp},
      {4, 2, kModNone, kActChar, kChrNeg},
      {4, 3, kModNone, kActChar, kChrPlus},
      {3, 3, kModNone, kActChar, kChrMinus},
      {4, 4, kModNone, kActChar, kChrTimes},
      {3, 4, kModNone, kActChar, kChrDivide},
      {4, 7, kModNone, kActChar, kChrSin},
      {6, 7, kModNone, kActChar, kChrLog},
      {5, 7, kModNone, kActChar, kChrLn},
      {7, 6, kModNone, kActChar, kChrFraction},
      {2, 6, kModNone, kActChar, kChrArrow},
      {6, 8, kModNone, kActChar, kChrSquare},
      {5, 8, kModNone, kActChar, kChrPower},
      // SHIFT gives the function above the key
      {4, 8, kModShift, kActKey, kKeyQuit},
      {4, 9, kModShift, kActKey, kKeySetup},
      {5, 9, kModShift, kActKey, kKeyPrgm},
      {6, 5, kModShift, kActKey, kKeyClip},
      {5, 5, kModShift, kActKey, kKeyPaste},
      {7, 4, kModShift, kActKey, kKeyCatalog},
      {6, 6, kModShift, kActKey, kKeyFracForm},
      {2, 9, kModShift, kActKey, kKeyPageUp},
      {3, 8, kModShift, kActKey, kKeyPageDown},
      {4, 5, kModShift, kActKey, kKeyInsert},
      {4, 7, kModShift, kActChar, kChrAsin},
      {6, 7, kModShift, kActChar, kChrExp10},
      {4, 2, kModShift, kActChar, kChrAns},
      {5, 2, kModShift, kActChar, kChrPi},
      {7, 2, kModShift, kActChar, kChrImag},
      {7, 3, kModShift, kActChar, kChrList},
      {6, 3, kModShift, kActChar, kChrMat},
      {3, 2, kModShift, kActChar, kChrNewline},
      {6, 8, kModShift, kActChar, kChrSqrt},
      // SHIFT on a key without a shifted function gives the key itself
      {5, 4, kModShift, kActChar, '6'},
      {3, 9, kModShift, kActKey, kKeyLeft},
      // ALPHA gives the letter; keys without one stay as they are
      {7, 7, kModAlpha, kActChar, 'A'},
      {6, 7, kModAlpha, kActChar, 'B'},
      {7, 6, kModAlpha, kActChar, 'G'},
      {6, 6, kModAlpha, kActChar, 'H'},
      {7, 5, kModAlpha, kActChar, 'M'},
      {3, 3, kModAlphaLock, kActChar, 'Y'},
      {7, 2, kModAlphaLock, kActChar, 'Z'},
      {6, 2, kModAlpha, kActChar, kChrSpace},
      {5, 2, kModAlpha, kActChar, kChrQuote},
      {6, 8, kModAlpha, kActChar, kChrR},
      {5, 8, kModAlpha, kActChar, kChrTheta},
      {3, 2, kModAlpha, kActKey, kKeyExe},
      {4, 8, kModAlphaLock, kActKey, kKeyExit},
      {6, 9, kModAlphaLock, kActKey, kKeyTestGate},
      // lower-case alpha: the letter's lower case, other characters as ALPHA
      {7, 7, kModLower, kActChar, 'a'},
      {3, 3, kModLowerLock, kActChar, 'y'},
      {5, 8, kModLower, kActChar, kChrTheta},
      // CLIP: the arrows select, SHIFT keeps the state
      {2, 9, kModClip, kActKey, kKeyClipUp},
      {3, 9, kModClip, kActKey, kKeyClipLeft},
      {2, 8, kModClip, kActKey, kKeyClipRight},
      {3, 8, kModClip, kActKey, kKeyClipDown},
      {7, 9, kModClip, kActKey, kKeyClipShift},
      {3, 2, kModClip, kActKey, kKeyExe},
      // no key at the position
      {1, 2, kModNone, kActNone, 0},
      {6, 11, kModNone, kActNone, 0},
      {-1, -1, kModShift, kActNone, 0},
  };
  for (const MapCase &c : cases) {
    const KeyAction a = KeyMapPosition(c.column, c.row, c.modifier);
    EXPECT_EQ(a.kind, c.kind) << c.column << "," << c.row << " mod " << int(c.modifier);
    EXPECT_EQ(a.code, c.code) << c.column << "," << c.row << " mod " << int(c.modifier);
  }
}

// Every key has its own position, and every plain action is a key code or a
// character with a legend for the window.
TEST(KeyMap, LayoutIsConsistent) {
  std::set<std::pair<int, int>> positions;
  for (const KeyLayoutRow &k : kKeyLayout) {
    EXPECT_TRUE(positions.insert({k.column, k.row}).second) << k.column << "," << k.row;
    EXPECT_NE(k.plain.kind, kActNone);
    EXPECT_NE(k.plain.legend[0], '\0');
    if (k.plain.kind == kActKey) {
      EXPECT_GE(k.plain.code, 30001u);
    }
  }
  EXPECT_EQ(kKeyLayoutCount, 51);
  // The 26 letters each come from exactly one key.
  std::set<u16> letters;
  for (const KeyLayoutRow &k : kKeyLayout)
    if (k.alpha.kind == kActChar && k.alpha.code >= 'A' && k.alpha.code <= 'Z') letters.insert(k.alpha.code);
  EXPECT_EQ(letters.size(), 26u);
}

struct ModCase {
  u8 from;
  u32 key;
  u8 to;
};

TEST(KeyMap, ShiftAndAlphaStateChanges) {
  const ModCase cases[] = {
      {kModNone, kKeyShift, kModShift},       {kModShift, kKeyShift, kModNone},
      {kModNone, kKeyAlpha, kModAlpha},       {kModAlpha, kKeyAlpha, kModNone},
      {kModShift, kKeyAlpha, kModAlphaLock},  {kModAlphaLock, kKeyAlpha, kModNone},
      {kModAlpha, kKeyShift, kModLower},      {kModLower, kKeyShift, kModAlpha},
      {kModAlphaLock, kKeyShift, kModLowerLock}, {kModLowerLock, kKeyShift, kModAlphaLock},
      {kModLower, kKeyAlpha, kModNone},       {kModLowerLock, kKeyAlpha, kModNone},
      {kModClip, kKeyShift, kModClip},        {kModClip, kKeyAlpha, kModAlpha},
      {kModAlpha, kKeyExe, kModAlpha},
  };
  for (const ModCase &c : cases)
    EXPECT_EQ(KeyNextModifier(c.from, c.key), c.to) << int(c.from) << " " << c.key;
}

TEST(KeyMap, ModifierAndInsertModeLiveInSetup) {
  SetupResetAll();
  EXPECT_EQ(KeyGetModifier(), kModNone);
  EXPECT_EQ(KeyGetInsertMode(), kInsertInsert);
  KeySetModifier(kModAlphaLock);
  EXPECT_EQ(SetupGetItem(kSetupKeyModifier), 132);
  KeyToggleInsertMode();
  EXPECT_EQ(SetupGetItem(kSetupInsertMode), kInsertOverwrite);
  KeyToggleInsertMode();
  EXPECT_EQ(KeyGetInsertMode(), kInsertInsert);
  SetupResetAll();
}

TEST(KeyMap, CursorShapeFollowsModifierAndInsertMode) {
  const struct {
    u8 modifier;
    i32 insertShape;
    i32 overwriteShape;
  } cases[] = {
      {kModNone, 0, 6},     {kModShift, 1, 7},     {kModClip, 5, 11},
      {kModAlpha, 3, 9},    {kModAlphaLock, 3, 9}, {kModLower, 4, 10},
      {kModLowerLock, 4, 10},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(KeyCursorShape(c.modifier, kInsertInsert), c.insertShape) << int(c.modifier);
    EXPECT_EQ(KeyCursorShape(c.modifier, kInsertOverwrite), c.overwriteShape) << int(c.modifier);
  }
}

}  // namespace
