// The calculator's clipboard: the items "CLIP" and "NAT_CLIP" of folder
// "@REV2", and the road between them and the PC clipboard.
//
// "CLIP" holds a zero-terminated text in the calculator's character set (the
// item is padded with zeros to its size). "NAT_CLIP" holds the same text: no
// textbook form exists apart from it yet. Calculator thread only.
#pragma once
#include "kernel/types.h"

// The largest calculator text taken from the PC clipboard, terminator included.
inline constexpr u32 kItemClipHostMax = 4096;

// The text of "CLIP" (valid until main memory next changes), null when there
// is none.
const char *ItemClipData();
// Bytes of that text before its terminator, 0 when there is none.
u32 ItemClipLength();

// Keeps the text at bytes (length bytes, its terminator included; the text
// ends at the first zero byte) as "CLIP" and "NAT_CLIP", and puts it, in
// UTF-8, on the PC clipboard. Returns 0, or 48 when "CLIP" could not be
// written (main memory is full), or the application code (McsMapError) of
// another cause, such as a read-only or protected "CLIP" or "NAT_CLIP"; the
// earlier "CLIP" and "NAT_CLIP" then stand and the PC clipboard is left
// alone. When only "NAT_CLIP" does not fit, it is removed so that it never
// holds an older text.
u32 ItemClipStore(const char *bytes, u32 length);

// Puts the text of "CLIP", in UTF-8, on the PC clipboard; nothing when there
// is none.
void ItemClipToHost();

// Takes the PC clipboard's text into "CLIP" and "NAT_CLIP", converted to the
// calculator's character set and bounded to kItemClipHostMax bytes. "CLIP" is
// left as it stands when the PC clipboard holds no text, or holds exactly the
// text the calculator last put there (its own copy, which the conversion
// could not give back whole). Returns 0, or a code as ItemClipStore does.
u32 ItemClipFromHost();

// Keeps a textbook text (length bytes, ending earlier at a zero byte) as
// "NAT_CLIP" and its linear form as "CLIP", and puts the linear form, in
// UTF-8, on the PC clipboard. Returns 0, 48 when "CLIP" could not be
// written (main memory is full, or the linear form is longer than
// kItemClipHostMax), or a code as ItemClipStore gives for another cause; the
// earlier items and the PC clipboard then stand. When only "NAT_CLIP" does
// not fit, it is removed so that it never holds an older text.
u32 ItemClipStorePair(const char *natural, u32 length);
