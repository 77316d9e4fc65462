// The headless system test harness: drives the whole calculator system as a
// user does, without a window.
//
// A system test starts the calculator thread with the headless host, presses
// keys by name and reads back the screen and the title:
//
//   CalcStart();
//   ASSERT_TRUE(CalcBootToMenu());
//   ASSERT_TRUE(CalcPress("RIGHT RIGHT RIGHT EXE"));
//   EXPECT_EQ(CalcTitle(), "@GRAPH");
//   EXPECT_EQ(CalcRow(1), "@GRAPH");
//
// Each key is posted alone and followed by a wait until the calculator is
// idle again (waiting for a key with an empty queue), so every key lands in
// the screen it was meant for. A wait that runs out fails with the title,
// the text rows and the screen as a text picture. Run system tests one
// process each (corvanta_add_test(... DISCOVER)): the calculator's state is
// the process's.
#pragma once
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "kernel/types.h"

// Key names, as on the keyboard: "EXE" "MENU" "EXIT" (or "ESC") "SHIFT"
// "ALPHA" "OPTN" (or "OPT") "VARS" "LEFT" "RIGHT" "UP" "DOWN" "DEL" "AC"
// "F1".."F6" "0".."9" "." "EXP" "(-)" "+" "-" "*" "/" "(" ")" "," "->" "^"
// "^2" "XtT" "log" "ln" "sin" "cos" "tan" "ab/c" "F<>D". A single capital
// letter "A".."Z" presses ALPHA and then the letter's key.
// Finds the key matrix position of a name; false for an unknown name.
bool CalcKeyPosition(const std::string &name, i32 *column, i32 *row);
// The key that gives `letter` (A-Z) under ALPHA.
bool CalcLetterPosition(char letter, i32 *column, i32 *row);

// Starts the calculator thread with the headless host, its storage image a
// fresh temporary file (unformatted, as at a first run, unless
// formatted_storage). Call once per process. The calculator's sleeps run a
// hundred times fast (a wait of 100 ms takes 1 ms).
void CalcStart(bool formatted_storage = false);
// Asks the calculator thread to end and waits for it.
void CalcStop();

// Waits until the calculator is idle; fails with the screen after timeout_ms.
testing::AssertionResult CalcWaitIdle(u32 timeout_ms = 10000);
// Presses the keys named in `keys` (separated by spaces) one after another,
// waiting until idle after each.
testing::AssertionResult CalcPress(const std::string &keys, u32 timeout_ms = 10000);
// Posts one key event without waiting.
bool CalcPost(i32 column, i32 row, u16 code = 0);
// Types calculator codes (tokens, characters and key codes) as the window
// posts them, waiting until idle after each.
testing::AssertionResult CalcPostCodes(std::initializer_list<u16> codes);
// Waits for the boot's notice boxes and closes each with MENU, until the
// main menu shows. Tests run with linear input (SET UP Input Mode) unless
// CalcUseMathInput was called before.
testing::AssertionResult CalcBootToMenu();
// Makes CalcBootToMenu leave the Input Mode at Math (natural display).
void CalcUseMathInput();
// Sets the Input Mode again (after a reset of main memory brought back the
// defaults). Only while the calculator waits for a key: the next key posted
// orders the write before the calculator's reads.
void CalcApplyInputMode();

// The 1024 bytes of display memory.
void CalcReadVram(u8 *out);
// Dot (x, y) of display memory.
bool CalcDot(int x, int y);
// Whether any dot within one dot of (x, y) is set.
bool CalcDotNear(int x, int y);
// Display memory as a text picture: 64 lines of 128 characters, '#' for a
// set dot, '.' for a clear one.
std::string CalcScreenPicture();
// Text row 1..8 as the screen reader reads it, without trailing blanks.
std::string CalcRow(int row);
// All eight rows joined with '\n'.
std::string CalcScreenText();
// True when the text appears anywhere on the screen.
bool CalcScreenHas(const std::string &text);
// The text cursor: its column (1..21) and row (1..8); true while it is shown
// (flashing), false while it is off.
bool CalcCursor(int *column, int *row);
// The title the host is shown: "MAIN MENU" or the running application's
// folder name.
std::string CalcTitle();

// True while the main menu's page is on the screen.
bool CalcMainMenuShown();
// The main-menu id under the menu's cursor, -1 when none is shown.
int CalcMenuCursor();

// A fixture that starts the calculator thread and stops it afterwards.
class CalcSystemTest : public testing::Test {
 protected:
  void SetUp() override { CalcStart(); }
  void TearDown() override { CalcStop(); }
};
