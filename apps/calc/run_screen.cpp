// The run screen's line editor: layout of the line on the 21 x 7 grid,
// scrolling, insert and overwrite under the 255-byte limit, DEL, history
// recall, the selection and the clipboard.
//
// The token text is the line; the display text is always rebuilt from it
// (the names of its tokens joined), so the two never disagree. Layout walks
// the display text from its start: a row holds 21 characters and a 13 or 12
// code ends its row after itself.
#include "apps/calc/run_screen.h"

#include <cstdlib>
#include <cstring>

#include "apps/calc/runmat.h"
#include "apps/calc/runmat_glue.h"
#include "kernel/keyqueue.h"
#include "memory/item_clip.h"
#include "ui/errbox.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/setup.h"
#include "ui/text.h"

namespace {

constexpr u8 kBlank = 0x20;
constexpr i32 kErrMemory = 4;
constexpr i32 kErrBreak = 1;
constexpr i32 kShapeSelect = 11;

bool IsLead(u8 b) { return b == 0x7F || b == 0xE5 || b == 0xE6 || b == 0xE7 || b == 0xF7 || b == 0xF9; }

bool IsRowEnd(u8 b) { return b == 13 || b == 12; }

// Buffers grow and shrink in steps of 256 bytes.
u32 BufSize(u32 len) { return (len + 1 + 255) & ~255u; }

// Makes room for len bytes and a terminator in *buf. False (the buffer as it
// was) when memory runs out.
bool Fit(char **buf, u32 *cap, u32 len) {
  const u32 want = BufSize(len);
  if (want == *cap) return true;
  char *p = static_cast<char *>(std::realloc(*buf, want));
  if (!p) return false;
  *buf = p;
  *cap = want;
  return true;
}

u32 TokLen(const RunScreen *rs) { return rs->tok_end - 1; }
const u8 *Tok(const RunScreen *rs) { return reinterpret_cast<const u8 *>(rs->tok); }
const u8 *Disp(const RunScreen *rs) { return reinterpret_cast<const u8 *>(rs->disp); }

u16 TokenCode(const u8 *p) { return IsLead(p[0]) ? static_cast<u16>(p[0] << 8 | p[1]) : p[0]; }

// Display index (1-based) of the token at token index t (1-based; tok_end
// gives disp_end).
u32 DispIndexOf(const RunScreen *rs, u32 t) {
  u32 d = 1;
  char name[kRunMatTokenNameMax];
  for (u32 i = 1; i < t && i < rs->tok_end;) {
    d += RunMatTokenName(TokenCode(Tok(rs) + i - 1), name);
    i += RunScreenTokenLen(Tok(rs) + i - 1);
  }
  return d;
}

// Rebuilds the display text from the token text. False when memory runs out
// (the display text then stays as it was).
bool RebuildDisplay(RunScreen *rs) {
  char name[kRunMatTokenNameMax];
  u32 len = 0;
  for (u32 i = 0; i < TokLen(rs);) {
    len += RunMatTokenName(TokenCode(Tok(rs) + i), name);
    i += RunScreenTokenLen(Tok(rs) + i);
  }
  if (!Fit(&rs->disp, &rs->disp_cap, len)) return false;
  u32 at = 0;
  for (u32 i = 0; i < TokLen(rs);) {
    const u32 n = RunMatTokenName(TokenCode(Tok(rs) + i), name);
    std::memcpy(rs->disp + at, name, n);
    at += n;
    i += RunScreenTokenLen(Tok(rs) + i);
  }
  rs->disp[at] = 0;
  rs->disp_end = at + 1;
  return true;
}

struct Pos {
  u32 line;
  u32 col;
};

bool Before(Pos a, Pos b) { return a.line < b.line || (a.line == b.line && a.col < b.col); }

// Where display character d (1-based; disp_end for the end) goes.
Pos DispPos(const RunScreen *rs, u32 d) {
  Pos p{1, 1};
  const u8 *t = Disp(rs);
  for (u32 i = 1; i < d && i < rs->disp_end;) {
    if (p.col > kRunScreenCols) p = {p.line + 1, 1};
    const u8 c = t[i - 1];
    if (IsRowEnd(c)) {
      p = {p.line + 1, 1};
    } else {
      ++p.col;
    }
    i += IsLead(c) ? 2 : 1;
  }
  if (p.col > kRunScreenCols) p = {p.line + 1, 1};
  return p;
}

// Screen row of display line `line` (may lie outside 1..7).
i32 RowOfLine(const RunScreen *rs, u32 line) {
  return static_cast<i32>(line) + 2 * static_cast<i32>(rs->start_row) - static_cast<i32>(rs->scroll_base) - 1;
}

void BlankRow(u8 *row) { std::memset(row, kBlank, kRunScreenRowBytes); }

// Reverse-video marks of the cells, set while a selection is drawn.
u8 g_reverse[kRunScreenRows][kRunScreenCols];

void DrawRow(RunScreen *rs, u32 row) {
  const u8 *r = rs->screen[row - 1];
  u32 at = 0;
  for (u32 col = 1; col <= kRunScreenCols; ++col) {
    char c[3] = {' ', 0, 0};
    if (at < kRunScreenRowBytes) {
      c[0] = static_cast<char>(r[at]);
      if (IsLead(r[at]) && at + 1 < kRunScreenRowBytes) {
        c[1] = static_cast<char>(r[at + 1]);
        at += 2;
      } else {
        at += 1;
      }
      if (c[0] == 0 || IsRowEnd(static_cast<u8>(c[0]))) c[0] = ' ';
    }
    TextLocate(static_cast<i32>(col), static_cast<i32>(row));
    if (rs->selecting && g_reverse[row - 1][col - 1]) {
      TextPutCharRev(c);
    } else {
      TextPutChar(c);
    }
  }
}

// Drawing moves the text cursor along the rows: it goes back to the line's
// cursor afterwards, so that it blinks where the next character goes.
void DrawRows(RunScreen *rs, u32 from) {
  if (rs->batch) return;
  for (u32 r = from < 1 ? 1 : from; r <= kRunScreenRows; ++r) DrawRow(rs, r);
  TextLocate(static_cast<i32>(rs->col), static_cast<i32>(rs->row));
}

// Writes the line into the screen copy from its first shown row down, marks
// the selection, blanks the rows below the line and draws them.
void Render(RunScreen *rs) {
  std::memset(g_reverse, 0, sizeof g_reverse);
  const i32 first = RowOfLine(rs, 1);
  for (i32 r = first < 1 ? 1 : first; r <= static_cast<i32>(kRunScreenRows); ++r) BlankRow(rs->screen[r - 1]);
  u32 lo = 0, hi = 0;
  if (rs->selecting) {
    lo = rs->sel_anchor_disp < rs->sel_end_disp ? rs->sel_anchor_disp : rs->sel_end_disp;
    hi = rs->sel_anchor_disp < rs->sel_end_disp ? rs->sel_end_disp : rs->sel_anchor_disp;
  }
  Pos p{1, 1};
  u32 byte = 0;
  const u8 *t = Disp(rs);
  for (u32 i = 1; i < rs->disp_end;) {
    if (p.col > kRunScreenCols) {
      p = {p.line + 1, 1};
      byte = 0;
    }
    const u8 c = t[i - 1];
    const u32 n = IsLead(c) ? 2 : 1;
    const i32 row = RowOfLine(rs, p.line);
    if (row >= 1 && row <= static_cast<i32>(kRunScreenRows) && byte + n <= kRunScreenRowBytes) {
      std::memcpy(&rs->screen[row - 1][byte], t + i - 1, n);
      if (rs->selecting && i >= lo && i <= hi) g_reverse[row - 1][p.col - 1] = 1;
    }
    byte += n;
    if (IsRowEnd(c)) {
      p = {p.line + 1, 1};
      byte = 0;
    } else {
      ++p.col;
    }
    i += n;
  }
  DrawRows(rs, first < 1 ? 1 : static_cast<u32>(first));
}

void ScrollCopyUp(RunScreen *rs) {
  std::memmove(rs->screen[0], rs->screen[1], (kRunScreenRows - 1) * kRunScreenRowBytes);
  BlankRow(rs->screen[kRunScreenRows - 1]);
  ++rs->scroll_base;
}

void ScrollCopyDown(RunScreen *rs) {
  std::memmove(rs->screen[1], rs->screen[0], (kRunScreenRows - 1) * kRunScreenRowBytes);
  BlankRow(rs->screen[0]);
  --rs->scroll_base;
}

// Sets column and row from the token cursor, scrolling so that the cursor
// stands on rows 1..7, and lays the line out again.
void PlaceCursor(RunScreen *rs) {
  rs->disp_cursor = DispIndexOf(rs, rs->tok_cursor);
  const Pos p = DispPos(rs, rs->disp_cursor);
  i32 row = RowOfLine(rs, p.line);
  while (row > static_cast<i32>(kRunScreenRows)) {
    ScrollCopyUp(rs);
    --row;
  }
  while (row < 1) {
    ScrollCopyDown(rs);
    ++row;
  }
  rs->col = p.col;
  rs->row = static_cast<u32>(row);
  Render(rs);
}

bool RowHasText(const RunScreen *rs, u32 row) {
  for (u32 i = 0; i < kRunScreenRowBytes; ++i)
    if (rs->screen[row - 1][i] != kBlank && rs->screen[row - 1][i] != 0) return true;
  return false;
}

void MemoryError() { ErrBox(kErrMemory); }

// Replaces the token text by `len` bytes at text (no terminator needed).
bool SetTokenText(RunScreen *rs, const u8 *text, u32 len) {
  if (!Fit(&rs->tok, &rs->tok_cap, len)) return false;
  std::memcpy(rs->tok, text, len);
  rs->tok[len] = 0;
  rs->tok_end = len + 1;
  return true;
}

// Removes the token at token index t from the token text.
void CutToken(RunScreen *rs, u32 t) {
  const u32 n = RunScreenTokenLen(Tok(rs) + t - 1);
  std::memmove(rs->tok + t - 1, rs->tok + t - 1 + n, rs->tok_end - t - n + 1);
  rs->tok_end -= n;
}

u32 PrevToken(const RunScreen *rs, u32 t) {
  u32 prev = 1;
  for (u32 i = 1; i < t;) {
    prev = i;
    i += RunScreenTokenLen(Tok(rs) + i - 1);
  }
  return prev;
}

u32 NextToken(const RunScreen *rs, u32 t) {
  return t < rs->tok_end ? t + RunScreenTokenLen(Tok(rs) + t - 1) : t;
}

// The token whose display position is the last one not after `target`.
u32 TokenAtOrBefore(const RunScreen *rs, Pos target) {
  u32 best = 1;
  for (u32 t = 1;;) {
    if (Before(target, DispPos(rs, DispIndexOf(rs, t)))) break;
    best = t;
    if (t >= rs->tok_end) break;
    t = NextToken(rs, t);
  }
  return best;
}

// The movement of the cursor keys over the line (no history).
u32 MovedToken(const RunScreen *rs, u32 key, u32 t) {
  switch (key) {
    case kKeyLeft:
    case kKeyClipLeft:
      return t > 1 ? PrevToken(rs, t) : t;
    case kKeyRight:
    case kKeyClipRight:
      return NextToken(rs, t);
    case kKeyUp:
    case kKeyClipUp: {
      const Pos p = DispPos(rs, DispIndexOf(rs, t));
      if (p.line == 1) return 1;
      return TokenAtOrBefore(rs, {p.line - 1, p.col});
    }
    case kKeyDown:
    case kKeyClipDown: {
      const Pos p = DispPos(rs, DispIndexOf(rs, t));
      const Pos end = DispPos(rs, rs->disp_end);
      if (p.line >= end.line) return rs->tok_end;
      return TokenAtOrBefore(rs, {p.line + 1, p.col});
    }
    default:
      return t;
  }
}

// Loads history line `index` as the line, laid out from row 1.
bool LoadHistory(RunScreen *rs, u32 index) {
  const i32 size = RunMatHistoryLineSize(index);
  if (size <= 0) return true;
  // The line is copied out of main memory before anything else happens.
  u8 *line = static_cast<u8 *>(std::malloc(static_cast<u32>(size)));
  if (!line) return false;
  RunMatHistoryLine(index, line);
  u32 len = 0;
  while (len < static_cast<u32>(size) && line[len]) ++len;
  rs->row = 1;
  rs->result_rows = 1;
  if (RunScreenResetLine(rs) != 0 || !SetTokenText(rs, line, len) || !RebuildDisplay(rs)) {
    std::free(line);
    return false;
  }
  std::free(line);
  rs->tok_cursor = 1;
  RunScreenLayoutFromTop(rs);
  return true;
}

}  // namespace

u32 RunScreenTokenLen(const u8 *p) { return IsLead(p[0]) && p[1] ? 2 : 1; }

i32 RunScreenInit(RunScreen *rs) {
  std::memset(rs, 0, sizeof *rs);
  LcdClearVram();
  for (auto &row : rs->screen) BlankRow(row);
  rs->disp = static_cast<char *>(std::malloc(256));
  rs->tok = static_cast<char *>(std::malloc(256));
  if (!rs->disp || !rs->tok) {
    RunScreenFree(rs);
    MemoryError();
    return -1;
  }
  rs->disp_cap = rs->tok_cap = 256;
  rs->disp[0] = rs->tok[0] = 0;
  rs->disp_cursor = rs->disp_end = rs->scroll_base = rs->start_row = 1;
  rs->tok_cursor = rs->tok_end = 1;
  rs->col = rs->row = 1;
  rs->recall_allowed = 1;
  rs->result_rows = 1;
  rs->base_n = SetupGetItem(kSetupMode) != 0;
  TextLocate(1, 1);
  KeyCursorFromState();
  return 0;
}

void RunScreenFree(RunScreen *rs) {
  std::free(rs->disp);
  std::free(rs->tok);
  rs->disp = rs->tok = nullptr;
  rs->disp_cap = rs->tok_cap = 0;
}

i32 RunScreenResetLine(RunScreen *rs) {
  char *d = static_cast<char *>(std::malloc(256));
  char *t = static_cast<char *>(std::malloc(256));
  if (!d || !t) {
    std::free(d);
    std::free(t);
    MemoryError();
    return -1;
  }
  std::free(rs->disp);
  std::free(rs->tok);
  rs->disp = d;
  rs->tok = t;
  rs->disp_cap = rs->tok_cap = 256;
  d[0] = t[0] = 0;
  rs->disp_cursor = rs->disp_end = rs->tok_cursor = rs->tok_end = 1;
  rs->col = 1;
  rs->start_row = rs->scroll_base = rs->row;
  rs->output_kind = 0;
  rs->result_on_bottom = 0;
  rs->recall_allowed = 1;
  if (!rs->result_shown)
    for (u32 r = rs->row; r <= kRunScreenRows; ++r) BlankRow(rs->screen[r - 1]);
  return 0;
}

i32 RunScreenLoadText(RunScreen *rs, const u8 *text, u32 len) {
  if (!SetTokenText(rs, text, len) || !RebuildDisplay(rs)) return 13;
  rs->tok_cursor = 1;
  rs->disp_cursor = 1;
  return 0;
}

void RunScreenLayoutFromTop(RunScreen *rs) {
  for (auto &row : rs->screen) BlankRow(row);
  rs->start_row = rs->scroll_base = 1;
  rs->row = 1;
  rs->col = 1;
  PlaceCursor(rs);
}

void RunScreenMoveTo(RunScreen *rs, u32 tok) {
  rs->tok_cursor = tok < 1 ? 1 : (tok > rs->tok_end ? rs->tok_end : tok);
  PlaceCursor(rs);
}

void RunScreenRedraw(RunScreen *rs) {
  const u32 batch = rs->batch;
  rs->batch = 0;
  DrawRows(rs, 1);
  rs->batch = batch;
  RunScreenShowCursor(rs);
}

void RunScreenShowCursor(RunScreen *rs) {
  TextLocate(static_cast<i32>(rs->col), static_cast<i32>(rs->row));
  if (rs->selecting) {
    TextSetCursorShape(kShapeSelect);
  } else if (rs->browsing) {
    TextCursorOff();
  } else {
    KeyCursorFromState();
  }
}

void RunScreenScrollUp(RunScreen *rs) {
  ScrollCopyUp(rs);
  DrawRows(rs, 1);
}

void RunScreenPrintRight(RunScreen *rs, u32 row, const char *text) {
  u8 *r = rs->screen[row - 1];
  BlankRow(r);
  u32 chars = 0, bytes = 0;
  for (const u8 *p = reinterpret_cast<const u8 *>(text); *p && chars < kRunScreenCols;) {
    const u32 n = IsLead(*p) && p[1] ? 2 : 1;
    bytes += n;
    ++chars;
    p += n;
  }
  // Blanks first, then the text, so that its last character is in column 21.
  const u32 pad = kRunScreenCols - chars;
  std::memcpy(r + pad, text, bytes);
  const u32 batch = rs->batch;
  rs->batch = 0;
  DrawRows(rs, row);
  rs->batch = batch;
}

i32 RunScreenInsertToken(u16 token, RunScreen *rs) {
  rs->output_kind = 0;
  rs->result_on_bottom = 0;
  if (rs->selecting) {
    RunScreenEndSelection(rs);
    return 0;
  }
  if (rs->browsing) {
    if (token == 0xBB) return 0;
    LcdClearVram();
    for (auto &row : rs->screen) BlankRow(row);
    rs->row = 1;
    rs->result_rows = 1;
    rs->result_shown = 0;
    if (RunScreenResetLine(rs) != 0) return -1;
    rs->browsing = 0;
    rs->history_index = 0;
    rs->recall_allowed = 0;
  }
  const bool two = token > 0xFF;
  const u32 n = TokLen(rs);
  const bool inside = rs->tok_cursor < rs->tok_end;
  const bool overwrite = KeyGetInsertMode() == kInsertOverwrite;
  const u32 under = inside ? RunScreenTokenLen(Tok(rs) + rs->tok_cursor - 1) : 0;
  if (!two) {
    if (n >= kRunLineMax && !(inside && overwrite && token != 13)) return 0;
  } else if (n >= kRunLineMax - 1) {
    if (!inside) return 0;
    if (!overwrite) return 0;
    if (!(under == 2 || (under == 1 && n == kRunLineMax - 1))) return 0;
  }
  if (rs->base_n) {
    if (RunMatBaseNRefuses(token)) return 0;
    token = RunMatBaseNDigit(token);
  }
  if (overwrite && !rs->batch && (token == 13 || token == 12)) {
    // Overwriting with a newline goes to the next row end of the line.
    u32 t = rs->tok_cursor;
    while (t < rs->tok_end && !IsRowEnd(Tok(rs)[t - 1])) t = NextToken(rs, t);
    rs->tok_cursor = t;
    if (t < rs->tok_end && Tok(rs)[t - 1] == 12) token = 12;
  }
  // The token text: appended, inserted or put over the token at the cursor.
  const u32 size = two ? 2 : 1;
  const bool replace = overwrite && rs->tok_cursor < rs->tok_end;
  const u32 removed = replace ? RunScreenTokenLen(Tok(rs) + rs->tok_cursor - 1) : 0;
  const u32 len = n + size - removed;
  if (len > kRunLineMax) return 0;
  if (!Fit(&rs->tok, &rs->tok_cap, len > n ? len : n)) {
    MemoryError();
    return -1;
  }
  const u32 at = rs->tok_cursor - 1;
  std::memmove(rs->tok + at + size, rs->tok + at + removed, n - at - removed + 1);
  if (two) {
    rs->tok[at] = static_cast<char>(token >> 8);
    rs->tok[at + 1] = static_cast<char>(token & 0xFF);
  } else {
    rs->tok[at] = static_cast<char>(token);
  }
  rs->tok_end = len + 1;
  Fit(&rs->tok, &rs->tok_cap, len);  // shrinking never fails
  if (!RebuildDisplay(rs)) {
    // Back to the text as it was.
    std::memmove(rs->tok + at + removed, rs->tok + at + size, len - at - size + 1);
    rs->tok_end = n + 1;
    MemoryError();
    return -1;
  }
  rs->tok_cursor = at + 1 + size;
  if (rs->result_shown && rs->row >= kRunScreenRows && RowHasText(rs, kRunScreenRows)) {
    RunScreenScrollUp(rs);
    rs->start_row = rs->scroll_base = kRunScreenRows;
    rs->row = kRunScreenRows;
    rs->col = 1;
  }
  if (rs->batch) {
    rs->disp_cursor = DispIndexOf(rs, rs->tok_cursor);
  } else {
    PlaceCursor(rs);
  }
  rs->result_shown = 0;
  rs->error = 0;
  if (rs->history_index == 0) rs->recall_allowed = 0;
  return 0;
}

i32 RunScreenDeleteChar(u32, RunScreen *rs) {
  if (rs->browsing || rs->result_shown) return 0;
  if (rs->tok_end == 1) return 0;
  const bool atEnd = rs->tok_cursor >= rs->tok_end;
  if ((atEnd || KeyGetInsertMode() == kInsertInsert) && rs->tok_cursor > 1)
    rs->tok_cursor = PrevToken(rs, rs->tok_cursor);
  if (rs->tok_cursor >= rs->tok_end) return 0;
  CutToken(rs, rs->tok_cursor);
  Fit(&rs->tok, &rs->tok_cap, TokLen(rs));
  if (!RebuildDisplay(rs)) {
    MemoryError();
    return -1;
  }
  rs->error = 0;
  if (rs->tok_end == 1) rs->recall_allowed = 1;
  PlaceCursor(rs);
  return 0;
}

void RunScreenCursorKey(u32 key, RunScreen *rs, u32 direct) {
  const bool diagonal = key == kKeyUpLeft || key == kKeyUpRight || key == kKeyDownLeft || key == kKeyDownRight;
  if (!direct) {
    if (rs->tok_end == 1) rs->recall_allowed = 1;
    const u32 count = RunMatHistoryCount();
    const bool vertical = key == kKeyUp || key == kKeyDown || diagonal;
    if (rs->recall_allowed && !rs->error && count > 0 && !(rs->result_shown && vertical)) {
      KeyBreakArm();
      u32 index = rs->history_index;
      const u32 before = index;
      if (index == 0 || !rs->browsing) {
        index = key == kKeyDown ? 1 : count;
      } else if (key == kKeyDown) {
        index = index < count ? index + 1 : count;
      } else if (key == kKeyUp) {
        index = index > 1 ? index - 1 : 1;
      }
      const bool refused = rs->browsing && index == before && (key == kKeyUp || key == kKeyDown);
      if (!(rs->browsing && (refused || key == kKeyRight))) {
        rs->result_shown = 0;
        rs->browsing = 0;
        if (!LoadHistory(rs, index)) {
          KeyBreakDisarm();
          MemoryError();
          return;
        }
      }
      rs->history_index = index;
      if (key == kKeyLeft) {
        RunScreenMoveTo(rs, rs->tok_end);
      } else if (key == kKeyRight) {
        RunScreenMoveTo(rs, 1);
      }
      if (key == kKeyLeft || key == kKeyRight) {
        rs->recall_allowed = 0;
        rs->browsing = 0;
        rs->history_index = 0;
        rs->result_shown = 0;
        RunScreenShowCursor(rs);
      } else {
        rs->col = 1;
        rs->row = 1;
        rs->browsing = 1;
        TextCursorOff();
      }
      KeyBreakDisarm();
      return;
    }
  }
  if (diagonal) return;
  if (rs->result_shown && key == kKeyDown) return;
  if (rs->browsing) return;
  RunScreenMoveTo(rs, MovedToken(rs, key, rs->tok_cursor));
  RunScreenShowCursor(rs);
}

void RunScreenSelectKey(u32 key, RunScreen *rs) {
  if (!rs->selecting) {
    if (rs->base_n || rs->browsing || rs->result_shown || rs->tok_end == 1) return;
    if (rs->tok_cursor >= rs->tok_end) rs->tok_cursor = PrevToken(rs, rs->tok_cursor);
    rs->selecting = 1;
    rs->sel_anchor_tok = rs->sel_end_tok = rs->tok_cursor;
    rs->anchor_width = RunScreenTokenLen(Tok(rs) + rs->tok_cursor - 1);
  } else {
    u32 t = MovedToken(rs, key, rs->sel_end_tok);
    // The selection's end stands on a character, never past the line.
    if (t >= rs->tok_end) t = PrevToken(rs, rs->tok_end);
    rs->sel_end_tok = t;
    rs->tok_cursor = t;
  }
  rs->sel_anchor_disp = DispIndexOf(rs, rs->sel_anchor_tok);
  rs->sel_end_disp = DispIndexOf(rs, rs->sel_end_tok);
  // The end of the selection's last token, for the reverse marks.
  const u32 hiTok = rs->sel_anchor_tok > rs->sel_end_tok ? rs->sel_anchor_tok : rs->sel_end_tok;
  const u32 hiEnd = DispIndexOf(rs, NextToken(rs, hiTok)) - 1;
  if (rs->sel_end_tok >= rs->sel_anchor_tok) {
    rs->sel_end_disp = hiEnd;
  } else {
    rs->sel_anchor_disp = hiEnd;
  }
  PlaceCursor(rs);
  RunScreenShowCursor(rs);
}

void RunScreenEndSelection(RunScreen *rs) {
  if (!rs->selecting) return;
  rs->selecting = 0;
  rs->sel_anchor_tok = rs->sel_anchor_disp = rs->sel_end_tok = rs->sel_end_disp = 0;
  PlaceCursor(rs);
  RunScreenShowCursor(rs);
}

namespace {

// The selected tokens as token indexes [lo, hi) of the token text.
void SelectedRange(const RunScreen *rs, u32 *lo, u32 *hi) {
  const u32 a = rs->sel_anchor_tok < rs->sel_end_tok ? rs->sel_anchor_tok : rs->sel_end_tok;
  const u32 b = rs->sel_anchor_tok < rs->sel_end_tok ? rs->sel_end_tok : rs->sel_anchor_tok;
  *lo = a;
  *hi = NextToken(rs, b);
}

}  // namespace

i32 RunScreenCopySelection(RunScreen *rs) {
  if (!rs->selecting || rs->base_n) return 0;
  u32 lo = 0, hi = 0;
  SelectedRange(rs, &lo, &hi);
  const u32 len = hi - lo;
  char *buf = static_cast<char *>(std::malloc(BufSize(len)));
  if (!buf) {
    MemoryError();
    return -1;
  }
  LcdShowBusyIndicator();
  std::memcpy(buf, rs->tok + lo - 1, len);
  buf[len] = 0;
  const u32 code = ItemClipStore(buf, len + 1);
  std::free(buf);
  if (code != 0) {
    MemoryError();
    return -1;
  }
  return 0;
}

i32 RunScreenDeleteSelection(RunScreen *rs) {
  if (!rs->selecting) return 0;
  u32 lo = 0, hi = 0;
  SelectedRange(rs, &lo, &hi);
  std::memmove(rs->tok + lo - 1, rs->tok + hi - 1, rs->tok_end - hi + 1);
  rs->tok_end -= hi - lo;
  Fit(&rs->tok, &rs->tok_cap, TokLen(rs));
  rs->selecting = 0;
  rs->sel_anchor_tok = rs->sel_anchor_disp = rs->sel_end_tok = rs->sel_end_disp = 0;
  rs->tok_cursor = lo;
  if (!RebuildDisplay(rs)) {
    MemoryError();
    return -1;
  }
  PlaceCursor(rs);
  RunScreenShowCursor(rs);
  return 0;
}

i32 RunScreenCutSelection(RunScreen *rs) {
  if (!rs->selecting) return 0;
  if (RunScreenCopySelection(rs) != 0) {
    RunScreenEndSelection(rs);
    return -1;
  }
  return RunScreenDeleteSelection(rs);
}

i32 RunScreenPaste(RunScreen *rs) {
  if (rs->selecting) {
    RunScreenEndSelection(rs);
    return 0;
  }
  if (rs->base_n) return 0;
  // The text is copied out of main memory first: nothing here may keep a
  // pointer into it.
  u8 clip[kRunLineMax + 1];
  u32 len = ItemClipLength();
  const char *src = ItemClipData();
  if (!src) return 0;
  if (len > sizeof clip - 1) len = sizeof clip - 1;
  std::memcpy(clip, src, len);
  clip[len] = 0;
  KeyBreakArm();
  rs->batch = 1;
  i32 result = 0;
  for (u32 i = 0; i < len;) {
    if (KeyBreakPoll()) {
      TextLocate(21, 1);
      TextPutChar(" ");
      rs->batch = 0;
      PlaceCursor(rs);
      ErrBox(kErrBreak);
      result = -1;
      break;
    }
    u16 token = clip[i];
    u32 n = 1;
    if (IsLead(clip[i])) {
      // A lead byte whose second byte lies past the copy is no token.
      if (i + 1 >= len) break;
      token = static_cast<u16>(clip[i] << 8 | clip[i + 1]);
      n = 2;
    } else if (token == 0) {
      token = kBlank;
    }
    i += n;
    // Bytes that are no token are skipped.
    if (!RunMatIsToken(token)) continue;
    if (RunScreenInsertToken(token, rs) != 0) {
      result = -1;
      break;
    }
  }
  KeyBreakDisarm();
  rs->batch = 0;
  if (result == 0) {
    PlaceCursor(rs);
    RunScreenRedraw(rs);
  }
  return result;
}
