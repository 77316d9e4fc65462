// Token lengths over token text, shared by the evaluator's reader and the
// interpreter's scans so that both step over the same bytes.
#pragma once
#include "kernel/types.h"

// 1 for the six lead bytes 0x7F, 0xE5, 0xE6, 0xE7, 0xF7, 0xF9.
inline int TokIsLeadByte(u8 b) {
  return b == 0x7F || b == 0xF7 || b == 0xF9 || (b >= 0xE5 && b <= 0xE7);
}
// 1 for the lead bytes of the token groups (0x7F, 0xF7, 0xF9): their second
// byte may be 0 (0x7F 0x00 "Xmin", 0xF7 0x00 "If").
inline int TokIsGroupLead(u8 b) { return b == 0x7F || b == 0xF7 || b == 0xF9; }
// Bytes of the token at p: 0 at the end of the text, 2 for a token group's
// lead byte with any second byte and for a character lead byte (0xE5-0xE7)
// with a non-zero one, else 1 (a character lead byte before the end stands
// alone). A text whose last byte is a lone group lead byte takes its end
// byte as the second byte, so token texts carry a second zero byte after
// their end (the editors' buffers, the interpreter's level copies and the
// evaluator's statement copies do).
inline u32 TokLenAt(const u8 *p) {
  const u8 c = p[0];
  if (c == 0) return 0;
  if (TokIsGroupLead(c)) return 2;
  return c >= 0xE5 && c <= 0xE7 && p[1] != 0 ? 2 : 1;
}

// Reads at most this many bytes: no bound, the text carries the second zero
// byte after its end.
inline constexpr u32 kTokNoBound = 0xFFFFFFFFu;

// Where the token text at p ends, stepped token by token: the offset of the
// first zero byte that is no token's second byte ("7F 00" is Xmin, never an
// end) or, when `statement` is set, of the first ':', 0x0D or 0x0C outside a
// two-byte token. At most max bytes are read: a text whose end is not among
// them gives max, so a text read in place from an item of known size is
// bounded by it (an end found is < max).
inline u32 TokScanEnd(const u8 *p, u32 max, bool statement) {
  u32 i = 0;
  while (i < max) {
    const u8 c = p[i];
    if (c == 0 || (statement && (c == ':' || c == 0x0D || c == 0x0C))) return i;
    if (max - i < 2) return max;  // a last byte with no end after it
    i += TokLenAt(p + i);
  }
  return max;
}
// Bytes of the token text at p before its end (see TokScanEnd).
inline u32 TokTextLen(const u8 *p, u32 max = kTokNoBound) { return TokScanEnd(p, max, false); }
inline u32 TokTextLen(const char *p, u32 max = kTokNoBound) {
  return TokScanEnd(reinterpret_cast<const u8 *>(p), max, false);
}
// Bytes of the token text at p before its first statement end or its end.
inline u32 TokStatementLen(const u8 *p, u32 max = kTokNoBound) { return TokScanEnd(p, max, true); }
