#include "graph/app/graph_fmem.h"

#include <cstring>

#include "eval/token.h"
#include "eval/token_len.h"
#include "memory/item_system.h"
#include "memory/str.h"
#include "ui/edit.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/msg.h"
#include "ui/popup.h"
#include "ui/text.h"

namespace {

constexpr u32 kErrMemory = 4;
constexpr i32 kFmemCount = 20;
constexpr i32 kListRows = 6;
constexpr i32 kLastFirst = kFmemCount - kListRows + 1;  // 15
constexpr u32 kShownBytes = 40;
constexpr i32 kListPopup = 6;

void PrintMsg(i32 id, i32 col, i32 row) {
  char text[64];
  MsgTextPlain(id, text, sizeof text);
  TextLocate(col, row);
  TextPrint(text);
}

// The number prompt headed by message `id`.
i32 NumberPrompt(i32 id, u8 *n) {
  PopupOpenFramed(4);
  const i32 row = PopupFirstRow(4);
  PrintMsg(id, 3, row);
  PrintMsg(20, 3, row + 1);
  PrintMsg(21, 3, row + 2);
  TextLocate(3, row + 3);
  TextPrint("     f[1~20]:    ");
  i32 v = 0;
  const i32 r = TextInputNumber(&v, 17, row + 3, 1, kFmemCount);
  PopupCloseKind5();
  if (r == 0) *n = static_cast<u8>(v);
  return r;
}

}  // namespace

u32 GraphInsertText(u8 *buf, u32 size, u32 *cursor, const char *text) {
  // Both measured token by token: a two-byte token may have a zero second
  // byte (0x7F 0x00 Xmin), which is no end.
  const u8 *t = reinterpret_cast<const u8 *>(text);
  const u32 add = TokTextLen(t);
  const u32 len = TokTextLen(buf, size);
  if (len + add > size) return kErrMemory;
  const u32 pos = *cursor < len ? *cursor : len;
  std::memmove(buf + pos + add, buf + pos, len - pos);
  std::memcpy(buf + pos, t, add);
  buf[len + add] = 0;
  *cursor = pos + add;
  return 0;
}

void GraphFmemRowText(i32 n, char *dst) {
  char label[8];
  if (n < 10) {
    label[0] = ' ';
    label[1] = 'f';
    label[2] = static_cast<char>(0xE5);
    label[3] = static_cast<char>(0xD0 + n);
    label[4] = 0;
  } else {
    label[0] = 'f';
    label[1] = static_cast<char>(0xE5);
    label[2] = static_cast<char>(0xD0 + n / 10);
    label[3] = static_cast<char>(0xE5);
    label[4] = static_cast<char>(0xD0 + n % 10);
    label[5] = 0;
  }
  // The first bytes of the text, whole tokens only.
  char head[kShownBytes + 2] = {};
  if (const char *t = ItemFmemData(static_cast<u32>(n))) {
    const u8 *p = reinterpret_cast<const u8 *>(t);
    u32 used = 0;
    while (p[used] != 0 && used + TokLenAt(p + used) <= kShownBytes) used += TokLenAt(p + used);
    std::memcpy(head, t, used);
  }
  char shown[2 * 17 + 1];
  StrExpandTokens(head, shown, 17);
  std::strcpy(dst, label);
  std::strcat(dst, ":");
  std::strcat(dst, shown);
}

void GraphFmemListRows(i32 first) {
  for (i32 i = 0; i < kListRows; ++i) {
    char row[64];
    GraphFmemRowText(first + i, row);
    TextLocate(1, i + 2);
    TextPrintField(row, 21);
  }
}

i32 GraphFmemList(i32 first) {
  if (first < 1) first = 1;
  if (first > kLastFirst) first = kLastFirst;
  for (;;) {
    LcdClearVram();
    PrintMsg(435, 1, 1);
    GraphFmemListRows(first);
    static const FkeyItem kPage[6] = {{69, kFkeyKeyCode, kKeyFmemSto},
                                      {70, kFkeyKeyCode, kKeyFmemRcl},
                                      {240, kFkeyKeyCode, kKeyF3},
                                      {0, kFkeyBlank, 0},
                                      {0, kFkeyBlank, 0},
                                      {0, kFkeyBlank, 0}};
    for (i32 k = 0; k < 6; ++k) {
      const u8 *bitmap = nullptr;
      if (kPage[k].icon != 0 && FkeyIconBitmap(kPage[k].icon, &bitmap)) FkeyDrawIcon(k, bitmap);
    }
    u32 key = 0;
    if (KeyGetKey(&key) != 0) continue;
    switch (key) {
      case kKeyUp:
        first = first == 1 ? kLastFirst : first - 1;
        break;
      case kKeyDown:
        first = first == kLastFirst ? 1 : first + 1;
        break;
      case kKeyF1:
      case kKeyFmemSto:
        return kGraphFmemAskStore;
      case kKeyF2:
      case kKeyFmemRcl:
        return kGraphFmemAskRecall;
      case kKeyF3:
        return kGraphFmemAskFn;
      case kKeyExit:
        return -2;
      case kKeyQuit:
        return -1;
      default:
        break;
    }
  }
}

i32 GraphFmemStorePrompt(u8 *n) { return NumberPrompt(4, n); }
i32 GraphFmemRecallPrompt(u8 *n) { return NumberPrompt(5, n); }

i32 GraphFmemDialog(i32 mode, u8 *buf, u32 *cursor, u32 size) {
  PopupMarkOpen(PopupMaskBitOfKind(kListPopup));
  i32 result = 0;
  for (;;) {
    if (mode == kGraphFmemStore || mode == static_cast<i32>(kKeyFmemSto)) {
      u8 n = 0;
      result = GraphFmemStorePrompt(&n);
      if (result != 0) break;
      const u32 e = ItemFmemStore(n, reinterpret_cast<const char *>(buf));
      if (e > 2) {
        ErrBox(kErrMemory);
        break;
      }
      result = GraphFmemList(n < kLastFirst ? n : kLastFirst);
      mode = kGraphFmemList;
    } else if (mode == kGraphFmemRecall || mode == static_cast<i32>(kKeyFmemRcl)) {
      u8 n = 0;
      result = GraphFmemRecallPrompt(&n);
      if (result != 0) break;
      const char *text = ItemFmemData(n);
      if (text != nullptr) {
        if (const u32 e = GraphInsertText(buf, size, cursor, text)) ErrBox(static_cast<i32>(e));
      }
      break;
    } else {
      result = GraphFmemList(1);
    }
    // The list's keys lead on.
    if (result == kGraphFmemAskFn) {
      u32 pos = *cursor;
      const u32 after = EditPutCharAt(buf, size, pos, 0xF91B, 1);
      if (after != pos) *cursor = after;
      break;
    }
    if (result == kGraphFmemAskRecall) {
      mode = kGraphFmemRecall;
    } else if (result == kGraphFmemAskStore) {
      mode = kGraphFmemStore;
    } else {
      break;
    }
  }
  PopupMarkClosed(PopupMaskBitOfKind(kListPopup));
  return result;
}

i32 GraphFmemPopup(i32 mode, u8 *buf, u32 *cursor, u32 size) {
  TextCursorState saved;
  TextGetCursor(&saved);
  TextCursorOff();
  PopupOpen(kListPopup);
  const i32 r = GraphFmemDialog(mode, buf, cursor, size);
  PopupClose(kListPopup);
  TextSetCursor(&saved);
  if (saved.shape == -1) TextCursorOff();
  return r;
}

i32 GraphFmemListPopup() {
  PopupOpen(kListPopup);
  const i32 r = GraphFmemList(1);
  PopupClose(kListPopup);
  return r;
}
