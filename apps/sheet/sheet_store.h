// The spreadsheet's items and cell store. Each sheet is one main-memory item
// of folder "@SSHEET"; "@SNAME" there names the current sheet. Cells are
// addressed column first: column 1-26 (A-Z), row 1-999. Every cell operation
// takes a sheet name first; a null or empty name means the current sheet.
//
// Sheet item layout (host byte order):
//   0 u8 1, 1 u8 0, 2 i16 N0 value-index entries, 4 i16 N2 reserved-index
//   entries, 6 i16 N1 text-index entries, 8 u32 S0 value-area bytes,
//   12 u32 S2 reserved-area bytes, then the three indexes (u32 per column:
//   the bytes of that column's block), the value area, the reserved area and
//   the text area.
//   Value block: a 128-byte bitmap (row r is bit 7 - (r-1)%8 of byte
//   (r-1)/8), then one 12-byte real per set bit in row order.
//   Text block: u32 L, L row links, then the rows' records in row order.
//   Row link: bits 0-15 record offset (65535 none), 16-23 evaluation state,
//   24-31 flags 0x02 plain text, 0x04 formula, 0x80 error mark.
//   Record: the formula (flag 0x04) then the plain text (0x02), each
//   NUL-ended and taking (length + 4) & ~3 bytes.
//
// Items read from outside (group files) are checked once when they are
// opened under a name or size not seen before; an item that fails the check
// is not a sheet and no cell operation reads it.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

inline constexpr char kSheetFolder[] = "@SSHEET";
inline constexpr char kSheetNameItem[] = "@SNAME";
inline constexpr char kSheetDefaultName[] = "SHEET";
inline constexpr i32 kSheetCols = 26;
inline constexpr i32 kSheetRows = 999;
inline constexpr u32 kSheetTextMax = 255;

inline constexpr u8 kSheetFlagText = 0x02;
inline constexpr u8 kSheetFlagFormula = 0x04;
inline constexpr u8 kSheetFlagMark = 0x80;
inline constexpr u8 kSheetFlagNumber = 0x01;  // added by SheetCellKinds only
inline constexpr u8 kSheetStateBusy = 1;
inline constexpr u8 kSheetStateDone = 16;

// Error codes of the store.
inline constexpr u32 kSheetErrBreak = 1;
inline constexpr u32 kSheetErrSyntax = 2;
inline constexpr u32 kSheetErrMa = 3;
inline constexpr u32 kSheetErrMemory = 4;
inline constexpr u32 kSheetErrText = 20;
inline constexpr u32 kSheetErrRange = 28;
inline constexpr u32 kSheetErrLimit = 33;
inline constexpr u32 kSheetErrNotSheet = 36;
inline constexpr u32 kSheetErrNoBlock = 50;
inline constexpr u32 kSheetErrOpen = 64;

struct SheetRange {
  i16 col1, row1, col2, row2;
};

struct SheetCellInfoRec {
  i16 column, row;
  u32 numberBytes, formulaBytes, textBytes;
  i16 valueEntries, textEntries, lastNumberRow, rowLinks;
  u8 state, flags;
  i16 lastTextRow;
};

struct SheetWindow {
  const BcdReal *number[20];
  const char *formula[20];
  const char *text[20];
  u8 flags[20];
};

// ---- items and the current sheet ----

// True when size bytes at data form a sound sheet item.
bool SheetCheckItem(const u8 *data, u32 size);
// Creates the bare sheet; a name whose length is not 1-8 (or a null one) is
// taken as "SHEET". The name used goes into out (9 bytes) when out is given;
// the caller's name is never written. True when created or already there.
bool SheetCreate(const char *name, char *out);
// 0 a sheet, 1 no such item, 2 an item that is not a sheet.
u32 SheetClassifyName(const char *name);
u32 SheetResetNameItem();
u32 SheetReadNameItem(u8 buf[10]);
// 1 done, 0 refused or failed, 2 the name belongs to an item that is no sheet.
u32 SheetSetCurrentName(const char *name);
char *SheetGetCurrentName(char buf[9]);
void SheetMakeDefault();
// The sheet's data (valid until main memory changes) or null; size may be null.
u8 *SheetOpen(const char *name, u32 *size = nullptr);
// 0, or the item interface's error when the item could not be deleted.
u32 SheetDelete(const char *name);
u32 SheetSaveAs(const char *newName, const char *oldName);
// Items of the folder not starting with '@', and their names.
u32 SheetCount();
u32 SheetListNames(char names[][9], u32 first, u32 max);

// ---- numbers ----
u32 SheetReadValue(const char *name, i32 col, i32 row, Value *out);
u32 SheetWriteValue(const char *name, i32 col, i32 row, const Value *v);
void SheetClearValues(const char *name, i32 col, i32 row, i32 count);
// Bytes a number written into the cell would add (0 when it has one).
u32 SheetValueNeed(const char *name, i32 col, i32 row);

// ---- texts (kind 2 plain text, kind 4 formula) ----
u32 SheetReadText(const char *name, i32 col, i32 row, char *dst, u32 kind, u32 *lenOut);
u32 SheetReadPlainText(const char *name, i32 col, i32 row, char **out);
u32 SheetReadFormula(const char *name, i32 col, i32 row, char **out);
u32 SheetWriteText(const char *name, i32 col, i32 row, const char *text, u32 kind);
u32 SheetWritePlainText(const char *name, i32 col, i32 row, const char *text);
u32 SheetWriteFormula(const char *name, i32 col, i32 row, const char *text);
// Bytes writing text of that kind into the cell would add to the item
// (negative when it shrinks), the cell's other texts removed when `alone`;
// kSheetNeedRefused when the column could not hold it.
inline constexpr i32 kSheetNeedRefused = -0x7FFFFFFF;
i32 SheetTextNeed(const char *name, i32 col, i32 row, u32 length, u32 kind, bool alone);
void SheetRemoveTexts(const char *name, i32 col, i32 row, i32 count, u32 keepLinks, u32 kind);
void SheetClearPlainText(const char *name, i32 col, i32 row, i32 count);
void SheetClearFormula(const char *name, i32 col, i32 row, i32 count);
// Number, plain text and formula of one cell removed.
void SheetClearCell(const char *name, i32 col, i32 row);

// ---- flags and states ----
u32 SheetCellFlags(const char *name, i32 col, i32 row, u8 arg, u32 op);
u32 SheetCellKinds(const char *name, i32 col, i32 row);
// What SheetCellKinds, the state (SheetCellFlags op 3) and SheetReadValue
// give, in one look-up: kinds with kSheetFlagNumber when the cell holds a
// number, then that number (else zero). 0 when the sheet cannot be opened
// or the cell is outside the sheet (all zero).
struct SheetCellState {
  u8 kinds, state;
  Value number;
};
u32 SheetCellRead(const char *name, i32 col, i32 row, SheetCellState *out);
// Where the cell holds a formula, a number and no plain text: the number is
// overwritten by v, the state set and the mark cleared, in one look-up: 1.
// Else 0, nothing changed.
u32 SheetFinishFormulaCell(const char *name, i32 col, i32 row, const Value *v, u8 state);
u32 SheetTextKinds(const char *name, i32 col, i32 row);
u32 SheetSetEvalState(const char *name, i32 col, i32 row, u8 state);
u32 SheetCellMark(const char *name, i32 col, i32 row, u32 op);
u32 SheetSetMark(const char *name, i32 col, i32 row);
u32 SheetTestMark(const char *name, i32 col, i32 row);
void SheetMaskEvalStates(const char *name, u8 keep);
u32 SheetFirstFormula(const char *name, i32 *col, i32 *row, char **text, u8 mask);
u32 SheetNextFormula(const char *name, i32 *col, i32 *row, char **text, u8 mask);

// ---- rows and columns ----
u32 SheetInsertRows(const char *name, i32 col, i32 row, i32 count);
// Removes the rows' numbers, formulas and plain texts; lower rows move up.
// 0 on success, else the error.
u32 SheetDeleteRows(const char *name, i32 col, i32 row, i32 count);
u32 SheetInsertColumns(const char *name, i32 col, i32 count);
void SheetDeleteColumns(const char *name, i32 col, i32 count);
void SheetClearColumns(const char *name, i32 col, i32 count);
u32 SheetStoreList(const char *name, u8 listFile, u8 list, i32 col, i32 row);

// ---- descriptions ----
void SheetCellInfo(const char *name, u32 n, SheetCellInfoRec *recs);
void SheetWindowCells(const char *name, i32 col, i32 row, SheetWindow *out);

// Brackets a pass over many cells (recalculation, paste, reference
// rewriting): the current sheet's name, place, column offsets and bitmap
// counts are looked up once and kept until main memory's change count moves
// or the store changes more than link words and numbers in place. Nests.
void SheetSessionBegin();
void SheetSessionEnd();

// Free main-memory bytes.
u32 SheetFreeBytes();
