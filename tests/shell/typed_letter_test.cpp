// Letters typed on the PC keyboard reach the key reader with how they are
// to be read; the window never changes the key modifier itself.
#include <gtest/gtest.h>

#include "kernel/keyqueue.h"
#include "shell/calc_link.h"
#include "ui/keycodes.h"
#include "ui/keys.h"

namespace {

TEST(ShellTypedLetters, KeyReaderReadsThemUnderTheirModifier) {
  struct Case {
    u8 before;
    ShellLetterMode mode;
    u16 typed;
    u16 got;
    u8 after;
  } cases[] = {
      {kModNone, kLetterAlphaOnce, 'A', 'A', kModNone},
      {kModShift, kLetterAlphaOnce, 'Q', 'Q', kModShift},
      {kModLower, kLetterAlphaOnce, 'A', 'a', kModLower},  // 'A' under lower-case alpha
      {kModLowerLock, kLetterAlphaOnce, 'Z', 'z', kModLowerLock},
      {kModAlphaLock, kLetterAlphaOnce, 'B', 'B', kModAlphaLock},
      {kModNone, kLetterAlphaStay, 'A', 'A', kModAlpha},   // 'a' typed with caps lock on
      {kModNone, kLetterAlphaStay, 'a', 'a', kModAlpha},   // caps lock off
      {kModShift, kLetterAlphaStay, 'k', 'k', kModAlpha},  // SHIFT gives way to ALPHA
      {kModAlphaLock, kLetterAlphaStay, 'm', 'm', kModAlpha},
  };
  for (const Case &c : cases) {
    KeySetModifier(c.before);
    ASSERT_TRUE(CalcLinkPostKey(ShellKeyEvent{-1, -1, c.typed, c.mode}));
    u32 key = 0;
    EXPECT_EQ(KeyGetKey(&key), 1u) << c.typed;
    EXPECT_EQ(key, c.got) << c.typed << " under " << int(c.before);
    EXPECT_EQ(KeyGetModifier(), c.after) << c.typed << " under " << int(c.before);
  }
  KeySetModifier(kModNone);
  // A plain character event is untouched.
  ASSERT_TRUE(CalcLinkPostKey(ShellKeyEvent{-1, -1, '!', kLetterPlain}));
  u32 key = 0;
  EXPECT_EQ(KeyGetKey(&key), 1u);
  EXPECT_EQ(key, u32('!'));
}

// Key codes carry the typed-letter bits too (30036 = 0x7554); they must still
// reach the caller as key codes, and the modifier must be left alone.
TEST(ShellTypedLetters, PostedKeyCodesAreNotTakenForLetters) {
  const u32 codes[] = {kKeyPaste, kKeyCopy, kKeyExe, kKeyUp, kKeyTest, kKeyXThetaT};
  for (u32 code : codes) {
    KeySetModifier(kModNone);
    ASSERT_TRUE(CalcLinkPostKey(ShellKeyEvent{-1, -1, static_cast<u16>(code), kLetterPlain}));
    u32 key = 0;
    EXPECT_EQ(KeyGetKey(&key), 0u) << code;
    EXPECT_EQ(key, code);
    EXPECT_EQ(KeyGetModifier(), kModNone) << code;
  }
  // Two-byte character codes whose low byte is a letter stay characters.
  for (u16 code : {u16(0x7F41), u16(0xE641), u16(0x0441)}) {
    ASSERT_TRUE(CalcLinkPostKey(ShellKeyEvent{-1, -1, code, kLetterPlain}));
    u32 key = 0;
    EXPECT_EQ(KeyGetKey(&key), 1u) << code;
    EXPECT_EQ(key, code);
    EXPECT_EQ(KeyGetModifier(), kModNone) << code;
  }
}

}  // namespace
