// Cell references inside formula texts: rewritten when cells are copied or
// moved and when rows or columns are inserted or deleted. A reference is an
// optional '$', a letter A-Z, an optional '$' and one to three digits; a
// '$' fixes what follows it. A column that leaves A-Z is written "?" in
// place of its letter, a row that leaves 1-999 "?" in place of its digits.
// Two-byte characters are copied whole.
//
// Each rewrite writes out (256 bytes) and returns the new length, or -1 when
// the result would pass 255 bytes (out is then not usable).
#pragma once
#include "apps/sheet/sheet_store.h"

inline constexpr u32 kSheetRefMove = 1;
inline constexpr u32 kSheetRefCopy = 2;

// mode 2 copy: relative parts shift by (dc, dr); mode 1 move: references
// into range shift by (dc, dr) whatever their '$'.
i32 SheetRewriteRefs(const char *in, char *out, const SheetRange *range, u32 mode, i32 dc, i32 dr);
i32 SheetMoveRefs(const char *in, char *out, const SheetRange *range, i32 dc, i32 dr);
i32 SheetCopyRefs(const char *in, char *out, i32 dc, i32 dr);
// Rows or columns first..first+count-1 deleted (del 1), or count inserted at
// first (del 0).
i32 SheetRewriteRowRefs(const char *in, char *out, i32 first, u32 del, i32 count);
i32 SheetRewriteColRefs(const char *in, char *out, i32 first, u32 del, i32 count);

// Row 1-999 as digits, and a cell's name ("A1", "Z999"), into out.
char *SheetRowText(i32 row, char *out);
char *SheetCellName(i32 col, i32 row, char *out);

// Every formula of the current sheet rewritten for a row (rows 1) or column
// (rows 0) change. SheetCheckRefPass checks before the change that every
// rewritten formula fits in 255 bytes and in free memory besides `reserve`
// bytes: 0, or 4. SheetRefPass then rewrites; it is not stopped by Break.
u32 SheetCheckRefPass(u32 rows, i32 first, u32 del, i32 count, u32 reserve);
void SheetRefPass(u32 rows, i32 first, u32 del, i32 count);
