#include "ui/errbox.h"

#include <cstdio>
#include <cstring>

#include "ui/keycodes.h"
#include "ui/lcd.h"
#include "ui/msg.h"
#include "ui/popup.h"
#include "ui/text.h"

namespace {

constexpr i32 kErrBoxKind = 4;
constexpr i32 kPressExitMsg = 1;

// The first message id of each code's lines (three lines; four for 27).
struct ErrLines {
  i32 code;
  i32 firstMsg;
};

constexpr ErrLines kErrLines[] = {
    {1, 55},   {2, 78},   {3, 81},   {4, 75},   {5, 84},   {6, 87},   {7, 90},   {8, 93},
    {9, 96},   {10, 99},  {11, 102}, {12, 105}, {13, 108}, {14, 111}, {15, 114}, {16, 117},
    {17, 120}, {18, 123}, {19, 126}, {20, 129}, {21, 132}, {22, 135}, {23, 72},  {24, 138},
    {25, 141}, {26, 144}, {27, 147}, {28, 151}, {29, 69},  {30, 66},  {33, 151}, {34, 697},
    {35, 601},
};

// The fixed English first lines of codes 36-38.
const char *const kFixedFirstLine[] = {"Version Error", "SD Card Error", "SD Card Ptotect"};

i32 FirstMessage(i32 code) {
  for (const ErrLines &e : kErrLines)
    if (e.code == code) return e.firstMsg;
  return -1;
}

void PrintMessageAt(i32 id, i32 column, i32 row) {
  char text[64];
  if (MsgText(id, text) == nullptr) return;
  TextLocate(column, row);
  TextPrint(text);
}

void PrintAt(const char *text, i32 column, i32 row) {
  TextLocate(column, row);
  TextPrint(text);
}

}  // namespace

i32 ErrBox(i32 code) {
  if (code == 0) return 0;
  TextCursorState saved;
  TextGetCursor(&saved);
  TextCursorOff();
  PopupOpen(kErrBoxKind);
  const bool solveBox = code == 27;
  PopupDrawWindow(solveBox ? 5 : 4);
  TextLocate(1, 2);

  const i32 first = FirstMessage(code);
  if (first >= 0) {
    const i32 lines = solveBox ? 4 : 3;
    for (i32 i = 0; i < lines; ++i) PrintMessageAt(first + i, 1, 2 + i);
  } else if (code >= 36 && code <= 38) {
    PrintAt(kFixedFirstLine[code - 36], 3, 2);
    PrintAt("No language", 3, 3);
  } else {
    char number[32];
    std::snprintf(number, sizeof number, "Error No[%d]", static_cast<int>(code));
    PrintAt("Undefinition    ", 3, 2);
    PrintAt("         Error  ", 3, 3);
    PrintAt(number, 3, 4);
  }
  PrintMessageAt(kPressExitMsg, 1, solveBox ? 6 : 5);

  PopupWaitKey({kKeyExit, kKeyAc, kKeyLeft, kKeyRight, kKeyQuit});
  PopupClose(kErrBoxKind);
  PopupRestoreCursor(saved);
  return 0;
}

i32 ErrBoxKeepSlot7(i32 code) {
  u8 kept[kLcdVramBytes];
  std::memcpy(kept, LcdScreenSlotAddress(7), sizeof kept);
  ErrBox(code);
  std::memcpy(LcdScreenSlotAddress(7), kept, sizeof kept);
  return 0;
}
