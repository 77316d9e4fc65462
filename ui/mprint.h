// The textbook (natural) display: formulas shown two-dimensionally.
//
// A textbook formula is a plain token string (one byte, or two after a lead
// byte 0x7F, 0xF7 or 0xF9; ending at 0) in which marker tokens bracket the
// boxes of each template:
//
//   0x1A box open   0x1B box close   0x1C element separator
//   0x1D template group open   0x1E template group close
//   0x84 / 0x94 list open / close   0xA4 / 0xB4 matrix row open / close
//
// The templates and their shapes (head first):
//
//   0  0x86 square root      head 1D 1A x 1B 1E
//   2  0x97 Abs, 3 0xA5 e^, 5 0xB5 ten to the power: as the square root
//   6  0xB8 x-th root        head 1D 1A index 1B 1A radicand 1B 1E
//   7  0xBB fraction         head 1D 1A num 1B 1A den 1B 1E; a mixed number
//                            has three boxes: whole, numerator, denominator
//   13 0x7F5F fraction form  head 1F 1D 1A num 1B 1A den 1B 1E: a fraction,
//                            drawn and converted as template 7
//   4  0xA8 power            head 1A exponent 1B (the base is what precedes)
//   8  0x7F26 d/dx(         head 1A f 1C a 1B: the derivative of f at a
//   9  0x7F27 d2/dx2(       as 8
//   14 0x7F85 logab(        head 1A base 1C x 1B
//   1  0x8D integral        head 1A f 1C lower 1C upper 1B
//   10 0x7F29 sum           head 1A f 1C k 1C first 1C last 1B
//   11 0x7F5C list          head 84 e 1C e ... 94 (at most 20 elements)
//   12 0x7F5D matrix        head A4 A4 e 1C e B4 A4 e 1C e B4 B4 (rows of
//                            cells inside an outer row pair; at most 6 x 6)
//
// The parts of the derivative, "logab(", integral and sum templates are the
// arguments of their linear call, so their one box holds them separated by
// 0x1C, and the linear form is the call itself ("∫(f,a,b)").
//
// Calculator thread only: the textbook state is one global record.
#pragma once
#include "kernel/types.h"

// Token classes.
enum MprintClass : u8 {
  kMprOrdinary = 0,
  kMprHead = 1,
  kMprBoxOpen = 2,
  kMprBoxClose = 3,
  kMprBoxBoundary = 4,
  kMprSeparator = 5,
  kMprGroupOpen = 6,
  kMprGroupClose = 7,
  kMprParenOpen = 8,
  kMprParenClose = 9,
  kMprFunction = 10,
  kMprBraceOpen = 11,
  kMprBraceClose = 12,
  kMprBracketOpen = 13,
  kMprBracketClose = 14,
  kMprListOpen = 15,
  kMprListClose = 16,
  kMprRowOpen = 17,
  kMprRowClose = 18,
  kMprEnd = 19,
};

constexpr u8 kMprNoTemplate = 100;
constexpr u8 kMprEmptyBox = 0xD8;      // the lone token of an empty calculation line
constexpr u32 kMprMaxHeight = 120;     // tallest formula laid out
constexpr u32 kMprListMax = 20;        // elements of a list template
constexpr u32 kMprMatrixMax = 6;       // rows and columns of a matrix template
constexpr u32 kMprTextMax = 255;       // bytes of an edited formula

// Marker bytes.
constexpr u8 kMprOpen = 0x1A, kMprClose = 0x1B, kMprSep = 0x1C, kMprGroup = 0x1D, kMprGroupEnd = 0x1E,
             kMprMark5 = 0x1F, kMprList = 0x84, kMprListEnd = 0x94, kMprRow = 0xA4, kMprRowEnd = 0xB4;

// ---- tokens ---------------------------------------------------------------------
// The token at p: its code (lead byte << 8 | second byte for a two-byte
// token) and its byte length (0 at the end of the string; a lead byte
// followed by 0 also counts as the end).
u16 MprintTokenAt(const u8 *p, u32 *length);
u32 MprintTokenLength(const u8 *p);

// ---- classes ------------------------------------------------------------------
u8 MprintRawClass(const u8 *token);
// The raw class with a template head checked against the marker after it: a
// head of kind 2 or 4 without its 0x1A is a function with its own "(" (10),
// any other head without its marker an ordinary token.
u8 MprintTokenClass(const u8 *token);
// As MprintTokenClass, with 0x1B directly followed by 0x1A the box boundary (4).
u8 MprintClassify(const u8 *token);
u8 MprintTemplateNumber(const u8 *token);  // 0-14, or kMprNoTemplate
u8 MprintRawTemplateKind(const u8 *token);
u8 MprintTemplateKind(const u8 *token);
// Head width in characters of template number n (0 for none).
u8 MprintHeadWidth(u8 number);

bool MprintIsOpen(u8 cls);
bool MprintIsClose(u8 cls);
bool MprintIsOpenOrSep(u8 cls);
bool MprintIsCloseOrSep(u8 cls);
bool MprintIsParenOpen(u8 cls);          // 8, 11, 13
bool MprintIsParenOpenOrFunc(u8 cls);    // 8, 10, 11, 13
bool MprintIsParenClose(u8 cls);         // 9, 12, 14

// ---- lengths and places ----------------------------------------------------------
// Byte length of the whole template beginning at head; 0 when it is none. A
// template cut by the end of the string measures up to the end.
u32 MprintTemplateLength(const u8 *head);
// Byte length of the group opening at start (its closer included when it
// has one; see the source for where the walk ends).
u32 MprintGroupLength(const u8 *start, u8 stop_at_comma);
// As MprintGroupLength without the comma stop; *closed tells whether the
// group's own closer ended it.
u32 MprintGroupWalk(const u8 *start, u8 *closed);
// Bytes of one box's content from start up to its close or a separator of
// its own level.
u32 MprintBoxLength(const u8 *start);
// Offset from the head of element n (1-20) of a list template, 0 when there
// is none.
u32 MprintListElementOffset(const u8 *head, u32 n);
// Offset from the head of cell (row, col) (1-6 each) of a matrix template,
// 0 when there is none.
u32 MprintMatrixCellOffset(const u8 *head, u32 row, u32 col);

// One content part of a template: its bytes [start, end) as offsets from the
// head; end is the offset of the marker that ends it. row and column count
// from 0 (row 0 for everything but a matrix).
struct MprintPart {
  u16 start;
  u16 end;
  u8 row;
  u8 column;
};
constexpr u32 kMprPartsMax = 36;
// The parts of the template at head (at most max); 0 when it is none.
u32 MprintTemplateParts(const u8 *head, MprintPart *parts, u32 max);

// ---- checks and linear form ----------------------------------------------------
// 1 when the string is well formed; else 0 with the offset of the first bad
// token as the result position.
u8 MprintCheckTemplates(const u8 *text);
// 1 when the closer at offset `at` of text has its opener in the same box.
u8 MprintMatchCloser(const u8 *text, u32 at);

// Modes of MprintToLinear.
enum MprintLinearMode : u8 {
  kMprLinearStop = 0,   // stop once the linear form reaches `stop` bytes
  kMprLinearWhole = 1,  // every box in its parentheses
  kMprLinearShort = 2,  // a box holding one number or name without them
};
// Writes the linear form of src into dst (at most cap bytes, the terminating
// 0 included). Returns its length, or -1 when it does not fit (dst then holds
// the empty string when cap > 0). In mode kMprLinearStop the conversion ends
// with the source token that writes linear byte `stop`; the result position
// is then the source offset of a cursor place next to that token (the
// source's length when stop lies beyond the linear form).
i32 MprintToLinear(const u8 *src, u8 *dst, u32 cap, u32 stop, u8 mode);

// The byte offset MprintCheckTemplates and MprintToLinear report.
u16 MprintResultPosition();

// ---- layout and drawing -----------------------------------------------------------
struct MprintBoxMetrics {
  u16 width;   // dots
  u8 height;   // dots
  u8 depth;    // rows below the centre row
};

// The textbook state.
struct MprintState {
  u8 *base;           // string being handled
  const u8 *walk;     // walk base for steps backwards
  u16 cursor;         // byte offset of the cursor
  i16 offset;         // vertical offset of the area
  u8 origin;          // left x of the area
  u8 arrows;          // 1: draw the up and down arrows
  u8 draw;            // 0 measuring, 1 drawing
  u8 top_clip;        // rows cut off at the top
  u16 scroll;         // horizontal scroll, a multiple of 8
  i32 cursor_x;       // x of the cursor token, -1 when not passed
  i32 cursor_y;       // centre row of the cursor token
  u8 place;           // 1: the walk places its parts
  u8 cursor_mode;     // 1: a cursor is shown and followed
  u16 result;         // offset reported by the check and the conversion
  u8 backup[kMprTextMax + 1];  // the string before the last edit
  u16 backup_cursor;
  u8 backup_valid;
  u8 flags[2];        // set by MprintInit
  u8 matrix_rows;     // size of the next matrix template
  u8 matrix_cols;
  u32 level_bytes;    // stack bytes one nesting level of the layout takes
  // A range of the edited string shown reversed (cursor mode 1 only; none
  // while sel_from == sel_to), and where the draw pass found it.
  u16 sel_from;
  u16 sel_to;
  i32 sel_x0;         // x of the range's start and end, -1 when not passed
  i32 sel_x1;
  i32 sel_top;        // rows its elements cover
  i32 sel_bottom;
};
MprintState *MprintGetState();
// Resets the textbook state at system start.
void MprintInit();
// Rows and columns (1-6) of the matrix template the next matrix key enters.
void MprintSetMatrixSize(u8 rows, u8 cols);

// Keeps a copy of expr and its cursor to fall back on when a layout fails.
void MprintSaveBackup(const u8 *expr, u16 cursor);

// Lays expr out and draws it (see the source for the placing rules). Returns
// 1 when the whole expression was shown without scrolling, 0 when a scroll
// marker was drawn or the layout failed. cursor_mode 1 shows the cursor; 0
// places a result right-aligned; 2 places the text from the origin without
// a cursor.
u8 MprintLayout(u8 *expr, u16 *cursor, u8 origin, i16 offset, u8 cursor_mode, u8 arrows, u8 *height,
                u8 *width);
u8 MprintLayoutLine(u8 cursor_mode, u8 *height, u8 *width);
// Measures expr without drawing: 1 with its full width and height, 0 when
// it cannot be laid out.
u8 MprintMeasure(u8 *expr, u16 *width, u8 *height);
// Lays out one box from token to its end at (x, centre row y).
u8 MprintLayoutBox(const u8 *token, MprintBoxMetrics *metrics, i32 x, i32 y);
void MprintMergeBox(MprintBoxMetrics *metrics, const MprintBoxMetrics &part);
// Draws (while drawing) the token's display text at (x, y), the top of its
// cell; returns its width. drop_last leaves out the last character (a
// function's "(").
u32 MprintTokenWidth(const u8 *token, i32 x, i32 y, u8 drop_last);
// The display text of a token in the calculator's character set, from the
// token-name table (kStrTokenNameMax bytes).
void MprintTokenText(const u8 *token, char out[32]);

// Shows bytes [from, to) of the next edited line reversed (whole elements
// of one box, as MprintSelectionRange gives); from == to shows none.
void MprintSetSelection(u16 from, u16 to);

// ---- editor -------------------------------------------------------------------------
// Moves an offset to the nearest legal cursor place at or before it.
u16 MprintLegalCursor(const u8 *expr, u16 cursor);

// Puts the token or key code into expr at *cursor under the insert mode (1
// overwrite, 2 insert); template keys enter their templates. Nothing changes
// when the result would pass limit bytes. Returns the new cursor.
u16 MprintDrawAt(u8 *expr, u32 limit, u16 cursor, u32 code, u8 insert_mode);

// Results of MprintEditKey.
enum MprintEditResult : u32 {
  kMprEditDone = 0,
  kMprEditOther = 1,     // a key for the caller
  kMprEditRight = 2,     // the cursor left the text forwards
  kMprEditLeft = 3,      // backwards
  kMprEditUp = 4,        // across its top edge
  kMprEditDown = 5,      // across its bottom edge
};
// Applies an edit key (cursor keys, DEL, AC, PASTE) to expr.
u32 MprintEditKey(u8 *expr, u32 limit, u16 *cursor, u32 key);

// The box around a cursor place: bytes [*start, *end) of the innermost
// template part holding it, or the whole string.
void MprintBoxAround(const u8 *expr, u16 pos, u16 *start, u16 *end);
// A selection runs from `anchor`, where its first arrow found the cursor,
// to `pos`, a place of the box the selection has reached (the anchor's box,
// or one holding it after UP or DOWN). It takes bytes [*from, *to): the
// elements of pos's box between the two, the element holding the anchor
// whole. An element is a token or a whole template.
void MprintSelectionRange(const u8 *expr, u16 anchor, u16 pos, u16 *from, u16 *to);
// One step of a selection inside pos's box: the element boundary after
// (right) or before (left) pos; pos itself at the box's edge. A step that
// only crosses the element holding the anchor goes one element further.
u16 MprintSelectionStep(const u8 *expr, u16 anchor, u16 pos, bool right);
// UP or DOWN in a selection: the end of the innermost template around pos
// with a part above (up) or below it, so that the selection takes that
// template whole (a fraction's both lines, a matrix's rows, an integral's
// bounds); pos when there is none.
u16 MprintSelectionVertical(const u8 *expr, u16 pos, bool up);

// Where a position lies: the innermost template holding it.
struct MprintPlace {
  u16 head;      // offset of the template's head
  u8 number;     // template number
  u8 part;       // index of the part holding the position
  u8 row;        // its row and column (matrix)
  u8 column;
  u8 parts;      // how many parts the template has
};
// 1 with *out filled when pos lies inside a template's part, else 0.
u8 MprintFindTemplate(const u8 *expr, u16 pos, MprintPlace *out);

// A bounded writer of token bytes: keeps room for the terminator and notes
// when a byte did not fit.
struct MprintWriter {
  u8 *dst;
  u32 cap;
  u32 n = 0;
  bool full = false;
  void Put(u8 c) {
    if (n + 1 >= cap) {
      full = true;
      return;
    }
    dst[n++] = c;
  }
};

// ---- results ------------------------------------------------------------------------
struct Value;
// Writes a value as textbook tokens into out (cap bytes with the
// terminator): reals and complex numbers as their display text with
// fractions as fraction templates, lists and matrices as their templates.
// Returns the length, or 0 when the value has no textbook form (an error, a
// list above 20 elements, a matrix above 6 x 6, or no room).
u32 MprintFromValue(const Value *value, u8 *out, u32 cap);
