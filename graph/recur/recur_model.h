// The recursion engine: the range and initial terms ("RECRG" of "@RECUR"),
// the work record of one generation, and the generation of the table of
// terms (and their running sums) into matrix 36 ("RECURTBL").
//
// Recursion types (SET UP item 48): 0 an = f(n); 1 an+1 = f(an, n) from a0;
// 2 the same from a1; 3 an+2 = f(an+1, an, n) from a0, a1; 4 the same from
// a1, a2. The table holds n in column 1, then for each selected sequence in
// the order a, b, c its terms, each followed by its sums when the sum
// display is on (SET UP item 37 = 0).
//
// Calculator thread only.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

inline constexpr u8 kRecurTableMatrix = 36;

// Values of "RECRG" (ids 1-14) and of the work record (0x110-0x11D).
enum RecurValueId : u32 {
  kRecurIdStart = 1,
  kRecurIdEnd = 2,
  kRecurIdA0 = 3,  // a0 b0 c0 = 3 4 5, a1 b1 c1 = 6 7 8, a2 b2 c2 = 9 10 11
  kRecurIdA1 = 6,
  kRecurIdA2 = 9,
  kRecurIdAStart = 12,  // web-graph start values of a, b, c: 12 13 14
  kRecurWorkAn = 0x110,  // an, an+1, an+2, then b (0x113..) and c (0x116..)
  kRecurWorkN = 0x119,   // n as the formulas see it
  kRecurWorkSumA = 0x11A,  // sums of a, b, c: 0x11A 0x11B 0x11C
  kRecurWorkIndex = 0x11D,
};

// Dependency flag bits: selected (0x10 a, 0x20 b, 0x40 c) and computed
// (0x01 a, 0x02 b, 0x04 c).
enum RecurDependency : u32 {
  kRecurNeedA = 0x01,
  kRecurNeedB = 0x02,
  kRecurNeedC = 0x04,
  kRecurSelA = 0x10,
  kRecurSelB = 0x20,
  kRecurSelC = 0x40,
};

// The recursion type 0-4 (an item value outside gives 0).
u8 RecurType();
// A value: 0; 2 when the id is not a value of the current type (work ids
// only) or names nothing; 4 when it cannot be read (the work record lives
// only while a table is generated).
u32 RecurReadValue(u32 id, BcdReal *out);
// 0, or 4 (no item, no work record, an unknown id).
u32 RecurWriteValue(u32 id, const BcdReal *v);
// Kind 1 sets type 0; kind 2 type 1 (2 when the type started from a1);
// other kinds type 3 (4 when it started from a1). Forgets the table.
u32 RecurSetType(u32 kind);

// The formula text of a sequence (1..3) as token bytes: nullptr when
// missing, the empty text when unreadable.
const u8 *RecurFormulaText(int which);
// 1 when the formula has text and is selected.
bool RecurFormulaInUse(int which);
// The formula's line style (the normal style 2 for a missing formula or a
// byte that names no style).
u8 RecurFormulaStyle(int which);

// The sequences a formula text refers to through an or an+1 (bn, bn+1; cn,
// cn+1): bits 1, 2, 4. Whole tokens are walked.
u32 RecurFormulaRefs(const u8 *text);
// Selected and needed sequences of the stored formulas.
u32 RecurDependencyFlags();
// Range ERROR (28) for a range the type cannot tabulate, else 0.
u32 RecurCheckRange(u32 type, const BcdReal *start, const BcdReal *end);
// Rows and columns of a table over start..end for the dependency flags:
// 0, 28 for more than 255 rows, 30 for nothing selected.
u32 RecurTableSize(const BcdReal *start, const BcdReal *end, u32 flags, bool sums, u32 *rows, u32 *cols);
// Column (from 1) of sequence k (0 a, 1 b, 2 c) in a table of those
// flags; its sums are in the next column. 0 when it is not selected.
u32 RecurColumn(u32 flags, u32 k, bool sums);

// Generates "RECURTBL" afresh: 0; 1 Break; 2 a formula without text or not
// a real; 4 memory; 28 range; 30 nothing selected; or a formula's error that
// is not kept as a cell (Ma ERROR and Non-Real ERROR become error cells).
// On an error the table is deleted.
u32 RecurGenerateTable();
// 1 while the work record of a generation is alive.
bool RecurGenerating();
