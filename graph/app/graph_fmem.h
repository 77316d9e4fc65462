// The function-memory pop-ups of the line editors: store the line being
// edited as function memory f1..f20, recall a memory into the line at the
// cursor, and the list of the twenty memories (from which "fn" puts the
// function-memory token). Calculator thread only.
#pragma once
#include "kernel/types.h"

// Modes of GraphFmemPopup.
enum GraphFmemMode : i32 {
  kGraphFmemStore = 1,
  kGraphFmemRecall = 2,
  kGraphFmemList = 3,
};
// List results besides EXIT (-2) and SHIFT+EXIT (-1).
enum GraphFmemListResult : i32 {
  kGraphFmemAskStore = -3,
  kGraphFmemAskRecall = -4,
  kGraphFmemAskFn = -5,
};

// The dialogue in a pop-up over the edit line buf (size bytes of text at
// most, the buffer one more) with the cursor (a byte index): returns the
// dialogue's last result.
i32 GraphFmemPopup(i32 mode, u8 *buf, u32 *cursor, u32 size);
// The dialogue itself, repeated from mode until a prompt or the list ends it.
i32 GraphFmemDialog(i32 mode, u8 *buf, u32 *cursor, u32 size);
// The list of memories from first (1..15) with its keys: UP and DOWN scroll
// with wrap-around; F1 store (-3), F2 recall (-4), F3 fn (-5), EXIT -2,
// SHIFT+EXIT -1.
i32 GraphFmemList(i32 first);
// Draws rows 2-7: memories first .. first + 5.
void GraphFmemListRows(i32 first);
// The label and text of memory n as the list shows it (21 display
// characters, in the display text of dst, at least 64 bytes).
void GraphFmemRowText(i32 n, char *dst);
// The number prompts: 0 with *n (1..20), -1 SHIFT+EXIT, -2 EXIT.
i32 GraphFmemStorePrompt(u8 *n);
i32 GraphFmemRecallPrompt(u8 *n);
// The list alone in its pop-up, from memory 1.
i32 GraphFmemListPopup();
// Inserts the token text `text` at *cursor of buf (at most size bytes of
// text and an end byte after them), both measured token by token (a token
// 0x7F 0x00 is no end): 0 with *cursor after it, or 4 (nothing inserted)
// when the text does not fit.
u32 GraphInsertText(u8 *buf, u32 size, u32 *cursor, const char *text);
