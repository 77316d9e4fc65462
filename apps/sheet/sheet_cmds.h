// The spreadsheet's file screens (NEW, OPEN with DEL, SV-AS), the one-field
// input of its dialogs, and the range commands SEQ, FILL, STO and RCL.
// Screens return 0 done, -1 SHIFT+EXIT, -2 EXIT. Calculator thread only.
#pragma once
#include "apps/sheet/sheet_store.h"
#include "number/value.h"
#include "ui/fkey.h"
#include "ui/text.h"

// What a modal screen of the spreadsheet changes and puts back on leaving:
// the menu-key mask, the key modifier, the text cursor, the menu groups and
// pages 0-2. Enter sets the mask and page 0 and pushes a menu level.
struct SheetScreenSave {
  u16 mask;
  u8 modifier;
  TextCursorState cursor;
  u16 groups[6];
  const FkeyItem *pages[3];
};
void SheetScreenEnter(SheetScreenSave *s, u16 mask, const FkeyItem page0[6]);
void SheetScreenLeave(const SheetScreenSave *s);

// The name screen of NEW (saveAs 0: the name becomes the current sheet,
// made empty when new) and SV-AS (1: the current sheet copied under the
// name, which then becomes current; a failed copy keeps the old one
// current). out (9 bytes) receives the name.
i32 SheetNameInput(char *out, u32 saveAs);
// The sheet list: EXE opens the selected sheet, DEL deletes one.
i32 SheetOpenScreen();
// "Already Exists / Overwrite OK?": 0 yes, -2 no, -1 SHIFT+EXIT.
i32 SheetOverwritePopup(const char *name);
// "Delete Sheet?": 0 deleted, -2 no, -1 SHIFT+EXIT.
i32 SheetDeletePopup(const char *name);

// Field kinds of SheetFieldInput.
inline constexpr u32 kSheetFieldNumber = 0;      // 1..maximum, up to 2 digits
inline constexpr u32 kSheetFieldLetter = 1;      // A-Z: 1-26
inline constexpr u32 kSheetFieldVariable = 2;    // A-Z, r (27), theta (28)
inline constexpr u32 kSheetFieldExpr = 3;        // an expression into text
inline constexpr u32 kSheetFieldFormula = 4;     // the same, with the cell-function pages
// One field of a dialog at (column, row), the prompt printed at column 1.
// key opens it: a character (isChar 1) starts the field with it (a
// character the kind does not take ends the input at once), 30021 starts
// with the current value, 30001 empty. Returns the key that ended the
// input: 30004 with *result (kinds 0-2) or text (kinds 3, 4, up to 255
// bytes) set, 30002, 30029, or the refused character.
u32 SheetFieldInput(u32 isChar, u32 key, u32 column, u32 row, u32 maximum, u32 *result, const char *prompt,
                    char *text, u32 kind);

// SEQ from the first cell: 0 written, -1, -2.
i32 SheetSeqCommand(const i16 cell[2]);
// The dialogs of STO (store 1, kind 1-4: variable, list, list file,
// matrix), RCL (store 0, kind 2-4) and FILL (store 0, kind 5) over range.
i32 SheetRangeDialog(const SheetRange *range, u32 kind, u32 store);

// One text, number or formula into every cell of the range, recalculated
// after: 0 or an error code.
u32 SheetFillRange(const char *name, const SheetRange *range, const char *text);
// The range into variable, list, list file or matrix `number` (kind 1-4):
// 0 or an error code.
u32 SheetStoreRange(const i16 first[2], const i16 last[2], u32 number, u32 kind);
// List, list file or matrix `number` (kind 2-4) into the cells from first:
// 0 or an error code.
u32 SheetRecallRange(const i16 first[2], const i16 last[2], u32 number, u32 kind);
// The real part of v (0 for an error value) into the cell: 0, 33 outside
// the sheet, 4 when it could not be written.
u32 SheetStoreCellValue(const char *name, i32 col, i32 row, const Value *v);
// List <file, list> into the cells from first to last (down the column, or
// along the row): 0, 1 Break or 4.
u32 SheetListToCells(u8 file, u8 list, const i16 first[2], const i16 last[2], u32 alongRow);
// The cells of a one-column (or, alongRow, one-row) range as list <file,
// list>, a cell without a number giving 0: 0, 1 Break or 4.
u32 SheetCellsToList(u8 file, u8 list, u32 alongRow, const SheetRange *range);
