#include "ui/popup.h"

#include <cstdio>

#include "graph/screen_save.h"
#include "memory/mcs_api.h"

#include "ui/keycodes.h"
#include "ui/errbox.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/msg.h"
#include "ui/text.h"

namespace {

constexpr i32 kMessageKind = 4;
constexpr i32 kFramedKind = 5;

constexpr u32 kCaptureMaskBit = 128;
constexpr u32 kMaxCaptureBoxes = 2;
// How many capture boxes are open (a box's digit field reads keys, so the
// capture key can open a second one inside it).
u32 g_captureBoxes = 0;

// The last text row inside a window of size k: the lowest row whose dots lie
// above the frame's bottom line.
i32 LastRow(i32 k) {
  i32 top = 0, bottom = 0;
  LcdPopupRows(k, &top, &bottom);
  return bottom / 8;
}

}  // namespace

i32 PopupFirstRow(i32 k) {
  switch (k) {
    case 1: return 4;
    case 2:
    case 3: return 3;
    default: return 2;
  }
}

void PopupDrawWindow(i32 k) { LcdDrawPopupWindow(0, k); }

void PopupBlankRow(i32 row) {
  TextLocate(3, row);
  TextPrintField("", 19);
}

void PopupOpenFramed(i32 k) {
  PopupOpen(kFramedKind);
  for (i32 row = PopupFirstRow(k); row <= LastRow(k); ++row) PopupBlankRow(row);
  PopupDrawWindow(k);
}

void PopupCloseKind5() { PopupClose(kFramedKind); }

i32 PopupAskListNumber(std::initializer_list<i32> ids, i32 *out) {
  PopupOpen(kFramedKind);
  PopupDrawWindow(4);
  char text[40];
  i32 row = PopupFirstRow(4);
  for (i32 id : ids) {
    TextLocate(1, row++);
    if (MsgText(id, text)) TextPrint(text);
  }
  TextLocate(3, 5);
  TextPrint("  List[1~26]:    ");
  const i32 r = TextInputNumber(out, 17, 5, 1, 26);
  PopupClose(kFramedKind);
  return r;
}

void PopupRestoreCursor(const TextCursorState &saved) {
  TextLocate(saved.x, saved.y);
  if (saved.shape != -1) KeyCursorFromState();
}

i32 PopupMessage(i32 k, const char *text) {
  TextCursorState saved;
  TextGetCursor(&saved);
  TextCursorOff();
  PopupOpen(kMessageKind);
  PopupDrawWindow(k);
  TextLocate(1, PopupFirstRow(k));
  TextPrint(text);
  PopupWaitKey({kKeyExit, kKeyAc, kKeyExe, kKeyQuit});
  PopupClose(kMessageKind);
  PopupRestoreCursor(saved);
  return 0;
}

u32 PopupWaitKey(std::initializer_list<u32> closing) {
  for (;;) {
    u32 key = 0;
    if (KeyGetKey(&key) != 0) continue;  // a character never closes a box
    for (u32 c : closing)
      if (key == c) return key;
  }
}

void PopupResetCaptureBoxes() {
  g_captureBoxes = 0;
  PopupMarkClosed(kCaptureMaskBit);
}

i32 PopupRecallCapture(i32 n) {
  constexpr u8 kPictureKind = 10;
  constexpr u32 kHeaderBytes = 4;  // width and height words
  char name[16];
  std::snprintf(name, sizeof name, "CAPT%d", static_cast<int>(n));
  u32 size = 0;
  if (McsOpenByKind(kPictureKind, name, &size) != 0) return 4;
  // A short item is refused before anything is read, so a failed recall
  // leaves the screen as it was.
  if (size < kHeaderBytes + kLcdVramBytes) return 4;
  u8 header[kHeaderBytes];
  if (McsReadCurrent(1, kHeaderBytes, header) != 0) return 4;
  if (McsReadCurrent(kHeaderBytes + 1, kLcdVramBytes, LcdVramAddress()) != 0) return 4;
  return 0;
}

void PopupCaptureBox() {
  if (g_captureBoxes >= kMaxCaptureBoxes) return;
  ++g_captureBoxes;
  TextCursorState saved;
  TextGetCursor(&saved);
  PopupMarkOpen(kCaptureMaskBit);
  // Each box keeps its own copy, so a nested box puts back the outer one.
  u8 screen[kLcdVramBytes];
  GraphSaveScreen(screen);

  PopupDrawWindow(4);
  constexpr i32 kLineMsgs[] = {4, 320, 321};
  for (i32 i = 0; i < 3; ++i) {
    char text[64];
    if (MsgText(kLineMsgs[i], text) == nullptr) continue;
    TextLocate(1, 2 + i);
    TextPrint(text);
  }
  TextLocate(3, 5);
  TextPrint("Capture[1~20]:   ");

  // Asks again, after error box 8, until the number lies in 1-20.
  i32 n = 0;
  const i32 r = TextInputNumber(&n, 17, 5, 1, 20);
  GraphRestoreScreen(screen);
  if (r == 0 && PopupRecallCapture(n) != 0) ErrBoxKeepSlot7(4);

  --g_captureBoxes;
  PopupRestoreCursor(saved);
  if (g_captureBoxes == 0) PopupMarkClosed(kCaptureMaskBit);
}
