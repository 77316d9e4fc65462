// The statistics application's TEST, INTR and DIST commands: the settings
// record "STATap" that keeps every parameter between uses, the one entry
// StatRunCommand (codes 50-59 tests, 61-66 intervals, 67-81 distributions),
// the parameter and result screens, and "Save Res".
#pragma once
#include "kernel/types.h"
#include "number/real.h"

// "STATap" in folder "@STAT": 18 words, then 23 reals (312 bytes).
struct StatAp {
  i16 command;      // the command running (50..81)
  i16 resultValid;  // 1 while the last result may be shown again
  i16 data;         // 1 List, 0 Variable
  i16 cond;         // 0 two-sided, 1 lower tail, -1 upper tail
  i16 rows;         // rows of the current parameter screen
  i16 pooled;       // 1 On, 0 Off
  i16 dependent;    // list numbers ...
  i16 list1;
  i16 list2;
  i16 factorA;
  i16 factorB;
  i16 freq1;  // 0: every frequency 1
  i16 freq2;
  i16 observed;  // matrices 1..26
  i16 expected;
  i16 howMany;  // ANOVA factors, 1 or 2
  i16 tail;     // -1 Left, 0 Central, 1 Right
  i16 saveRes;  // 0 None
  BcdReal mu, mu0, p0, sigma1, sigma2, mean1, mean2, n1, n2, x1, x2, spare;
  BcdReal sx1, sx2, p, level, lower, upper, area, df, ndf, ddf, numtrial;
};
static_assert(sizeof(StatAp) == 312);

// Result-row ids of the result screens.
enum StatResultId : u32 {
  kStatResMu = 1, kStatResMu1, kStatResProp, kStatResZ, kStatResP, kStatResMean, kStatResMean1, kStatResMean2,
  kStatResSx, kStatResSx1, kStatResSx2, kStatResN, kStatResN1, kStatResN2, kStatResPhat, kStatResPhat1,
  kStatResPhat2, kStatResX, kStatResLeft, kStatResRight, kStatResDf, kStatResSigma1, kStatResF, kStatResChi2,
  kStatResBeta, kStatResT, kStatResA, kStatResB, kStatResS, kStatResR, kStatResR2, kStatResP1, kStatResZLow,
  kStatResZUp, kStatResTLow, kStatResTUp, kStatResSp, kStatResXLow, kStatResXUp,
};

// What a command hands to the result screen: a condition (tests) and one
// value with its row id per row.
inline constexpr u32 kStatResultMax = 12;
struct StatResultBlock {
  u32 count;
  i32 cond;
  BcdReal value[kStatResultMax];
  u32 id[kStatResultMax];
};

// Runs a command from its code: -1 the user quit (SHIFT+EXIT), -2 left
// with EXIT; -2 at once for 60 and codes outside 50..81.
i32 StatRunCommand(u32 code);

// The record: 0, or 4 when missing or of another size.
u32 StatLoadSettings(StatAp *ap);
// Writes or creates the record: 0 or 4.
u32 StatSaveSettings(const StatAp *ap);
// The defaults (words 0 and 2 untouched).
void StatDefaultSettings(StatAp *ap);
// Replaces selector words out of their ranges by their defaults.
void StatSanitizeSettings(StatAp *ap);
// The command's title on row 1.
void StatShowTitle(u32 code);
// Title text of a command (21 characters), or an empty text.
const char *StatTitleText(u32 code, char *out, u32 size);
// Keeps a computed sample value as the parameter a Variable-mode use reads
// (by result id), then saves the record.
u32 StatKeepResultParams(const BcdReal *value, StatAp *ap, u32 resultId);
// A result rounded for the result screen: 10 significant digits for
// exponents -2..5, else 6; one fewer for negative values.
BcdReal *StatRoundForDisplay(const BcdReal *src, BcdReal *dst);

// "Save Res": each shows its error code with the error box before
// returning it. The values as elements 1..count of List `list` (0: None).
u32 StatSaveResultList(u8 list, i32 count, const BcdReal *values);
// List Ans (the list-mode distributions' results) to List `list`.
u32 StatSaveWorkList(u8 list);
// StatSaveResultList to list base + k; on failure lists base+k..base go.
u32 StatSaveResultLists(u32 base, u32 k, i32 count, const BcdReal *values);
struct StatAnova1Rec;
struct StatAnova2Rec;
// ANOVA's five lists df, SS, MS, F, p from `list` up (0: nothing).
u32 StatSaveAnovaResults(u32 list, u32 howMany, const StatAnova1Rec *one, const StatAnova2Rec *two);
// The residuals y - (a + b x) into the SET UP Resid List (when set).
u32 StatSaveResiduals(u32 xList, u32 yList, const BcdReal *b, const BcdReal *a);

// ---- screens ----

// The parameter screen of the record's command with the rows `desc`
// (ap->rows of them): 1 redraw with other rows (Data or How Many changed),
// 2 quit, 3 EXIT, 4 calculate, 5 calculate and draw, 6 draw the kept result.
i32 StatParamScreen(i32 *first, i32 *cursor, StatAp *ap, const u32 *desc);
// Stores a number into the record's field of a parameter, clears the
// result-valid word and saves the record.
void StatStoreParam(StatAp *ap, u32 paramId, const BcdReal *value);
// Edits a number row in place: the line editor's result (0 stored, -1
// quit, -2 left). A C-Level of 1 to below 100 is a percentage.
i32 StatEditParamNumber(u32 typed, u32 firstKey, i32 *first, i32 *cursor, BcdReal *value, const char *label,
                        u32 paramId, StatAp *ap, u32 levelRow);
// Pop-ups for a list number 1..max and a matrix letter: 0, -1 or -2.
i32 StatSelectListPopup(i32 *out, i32 max);
i32 StatSelectMatPopup(i32 *out);
i32 StatReadMatLetter(i32 *out, i32 column, i32 row);
// 0 equal, -1 a < b, 1 otherwise.
i32 StatCompare3Way(const BcdReal *a, const BcdReal *b);

// Result screens: 2 quit, 3 back to the parameters, 4 back after EXE or AC.
u32 StatResultScreen(const StatResultBlock *block, u32 indent, StatAp *ap);
u32 StatAnovaScreen(u32 howMany, const StatAnova1Rec *one, const StatAnova2Rec *two);
u32 StatWorkListScreen(u32 code);
// Copies the regression bX+a into a graph function chosen by the user: -1
// quit, -2 done or cancelled.
i32 StatTestCopyRegToGraphFunc(const BcdReal *a, const BcdReal *b);

// ---- result graphs ----

// How a result graph is shown: drawn afresh from the results, or the kept
// picture of the last one shown again.
inline constexpr u32 kStatGraphDraw = 34;
inline constexpr u32 kStatGraphRedraw = 35;
// The graph of a test's or a P.D distribution's results (codes 50, 51,
// 53-58, 67, 70, 72, 74): the graph screen's result (-14 the window or a
// setting changed, -13 AC, -11 EXIT, G<->T or an error shown, -6 no graph
// for the code, -2 an error shown, -1 SHIFT+EXIT).
i32 StatResultGraph(u32 view, u32 code, const StatResultBlock *b, const StatAp *ap);
// The cell means of a two-way ANOVA (computed afresh for kStatGraphDraw).
i32 StatAnovaGraph(u32 view, StatAnova2Rec *two);
