// Text output of programs on the run screen: the 7-row text copy of the run
// context and its rows on the text grid.
#include <cstring>

#include "eval/prog_internal.h"
#include "ui/text.h"

namespace {

constexpr u32 kColumns = 21;

bool IsLead(u8 c) { return c == 0x7F || c == 0xE5 || c == 0xE6 || c == 0xE7 || c == 0xF7 || c == 0xF9; }

// A row as 21 character cells (0 for an empty cell).
void DecodeRow(const u8 *row, u16 cells[kColumns]) {
  u32 i = 0;
  u32 col = 0;
  while (col < kColumns && i < kProgRowBytes && row[i] != 0) {
    if (IsLead(row[i]) && i + 1 < kProgRowBytes && row[i + 1] != 0) {
      cells[col++] = static_cast<u16>(row[i] << 8 | row[i + 1]);
      i += 2;
    } else {
      cells[col++] = row[i++];
    }
  }
  while (col < kColumns) cells[col++] = 0;
}

void EncodeRow(const u16 cells[kColumns], u8 *row) {
  std::memset(row, 0, kProgRowBytes);
  u32 last = 0;
  for (u32 c = 0; c < kColumns; ++c) {
    if (cells[c] != 0) last = c + 1;
  }
  u32 i = 0;
  for (u32 c = 0; c < last; ++c) {
    const u16 ch = cells[c] ? cells[c] : u16{' '};
    if (ch > 0xFF) {
      row[i++] = static_cast<u8>(ch >> 8);
      row[i++] = static_cast<u8>(ch);
    } else {
      row[i++] = static_cast<u8>(ch);
    }
  }
}

void DrawRow(const ProgRunContext *ctx, u32 row) {
  char buf[kProgRowBytes + 1];
  std::memcpy(buf, ctx->text[row - 1], kProgRowBytes);
  buf[kProgRowBytes] = 0;
  TextLocate(1, static_cast<i32>(row));
  TextPrintField(buf, kColumns);
}

// Cells of a text up to len bytes, stopping at a newline or display-stop
// (*stop gets the position after it, or len).
u32 TextCells(const u8 *text, u32 len, u32 from, u16 *cells, u32 max, u32 *stop) {
  u32 n = 0;
  u32 i = from;
  while (i < len && text[i] != 0) {
    if (text[i] == 0x0D || text[i] == 0x0C) {
      *stop = i + 1;
      return n;
    }
    if (n == max) {
      *stop = i;
      return n;
    }
    if (IsLead(text[i]) && i + 1 < len) {
      cells[n++] = static_cast<u16>(text[i] << 8 | text[i + 1]);
      i += 2;
    } else {
      cells[n++] = text[i++];
    }
  }
  *stop = len;
  return n;
}

}  // namespace

void ProgRedrawText(ProgRunContext *ctx) {
  for (u32 r = 1; r <= kProgTextRows; ++r) DrawRow(ctx, r);
}

void ProgClearText(ProgRunContext *ctx) {
  std::memset(ctx->text, 0, sizeof ctx->text);
  ctx->row = 1;
  ctx->screenChanged = 0;
  ProgRedrawText(ctx);
}

u32 ProgNextRow(ProgRunContext *ctx) {
  if (ctx->row < 1) ctx->row = 1;
  if (ctx->row >= 8) {
    std::memmove(ctx->text[0], ctx->text[1], (kProgTextRows - 1) * kProgRowBytes);
    std::memset(ctx->text[kProgTextRows - 1], 0, kProgRowBytes);
    ctx->row = 7;
    ProgRedrawText(ctx);
  }
  return ctx->row++;
}

void ProgPutText(ProgRunContext *ctx, u32 column, u32 row, const u8 *text, u32 len) {
  if (row < 1 || row > kProgTextRows || column < 1 || column > kColumns) return;
  u16 cells[kColumns];
  DecodeRow(ctx->text[row - 1], cells);
  u16 add[kColumns];
  u32 stop = 0;
  const u32 n = TextCells(text, len, 0, add, kColumns - (column - 1), &stop);
  for (u32 i = 0; i < n; ++i) cells[column - 1 + i] = add[i];
  EncodeRow(cells, ctx->text[row - 1]);
  DrawRow(ctx, row);
}

void ProgPrintText(ProgRunContext *ctx, const u8 *text, u32 len) {
  u32 at = 0;
  do {
    u16 cells[kColumns];
    u32 stop = 0;
    const u32 n = TextCells(text, len, at, cells, kColumns, &stop);
    for (u32 i = n; i < kColumns; ++i) cells[i] = 0;
    const u32 row = ProgNextRow(ctx);
    EncodeRow(cells, ctx->text[row - 1]);
    DrawRow(ctx, row);
    at = stop;
  } while (at < len && text[at] != 0);
}
