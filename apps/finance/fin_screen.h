// The financial application's screens: the two menu pages, and the pattern
// every sub-application follows (a list of its variables, an input line for
// one of them, a result screen that solves, shows and stores one quantity).
// Each sub-application is a table (apps/finance/fin_subapps.cpp) that this
// engine runs. Calculator thread only.
#pragma once
#include "apps/finance/fin_calc.h"
#include "apps/finance/fin_mem.h"
#include "kernel/types.h"
#include "ui/fkey.h"

// One visit of a list screen and the screens it opens.
struct FinScreenState {
  u32 code;   // the quantity being solved, or the list's own code
  u32 key;    // the last key; a result screen leaves its exit key here
  u32 busy;   // handed to the busy save and restore
  u16 typed;  // 1: the input line starts from the key in `key`
  u16 row;    // the highlighted text row (2-7)
  u16 top;    // the first variable line shown (from 1)
};

// What a variable line edits.
enum FinLineKind : u8 {
  kFinLineReal,     // a real of the record
  kFinLinePY,       // P/Y: a whole 1-9999, also written to C/Y
  kFinLineCY,       // C/Y: a whole 1-9999
  kFinLineDays,     // D: a whole 1-72684
  kFinLineList,     // the cash-flow list number (chosen with F6)
  kFinLineDate1,    // d1, through the date pop-ups
  kFinLineDate2,    // d2
};

struct FinLine {
  const char *label;  // four characters ending in '='
  u8 kind;            // FinLineKind
  u8 offset;          // byte offset of a real in the record
};

// A solved quantity as the result screen shows and stores it.
struct FinAnswer {
  u32 err;            // 0, or the error box to show
  BcdReal value;
  const char *label;  // row 2's label
  char text[24];      // row 2's value text when not empty (dates)
  bool to_ans;        // stored in Ans
  i32 field;          // byte offset of the record's field it replaces, or -1
};

enum FinTitleSuffix : u8 { kFinTitlePlain, kFinTitlePayment, kFinTitleDateMode };

struct FinSubApp {
  i32 title_msg;
  u8 title_suffix;            // FinTitleSuffix
  const FinLine *lines;
  u8 count;
  FkeyItem list_page[6];
  u32 codes[6];               // solve code of F1-F6 on the list, 0 for none
  u32 list_jump;              // code F6 on the list ends with (0: none)
  u32 result_jump;            // code F4 on a result ends with (0: no F4)
  u32 (*graph)(FinScreenState *st);  // the graph GRPH draws (null: none)
  void (*solve)(u32 code, FinMem *mem, FinAnswer *out);
  // Keys of the list the engine does not handle: true when taken.
  bool (*list_key)(u32 key, FinScreenState *st);
};

// The sub-applications.
extern const FinSubApp kFinSimple, kFinCompound, kFinCash, kFinAmort, kFinConversion, kFinCost, kFinDays;

// Runs a sub-application's list screen until EXIT or SHIFT+EXIT (0) or a
// jump to another sub-application (its code: 40 amortisation, 20 compound
// interest).
u32 FinListMain(const FinSubApp &app);

// Menu pages: one visit each; *page becomes the next page on F6.
void FinMenuPage1(u32 *page);
void FinMenuPage2(u32 *page);

// Shared pieces of the screens.
void FinPrintLine(u16 row, u16 highlighted, const char *text);
void FinPrintLine20(u16 row, u16 highlighted, const char *text);
void FinClearLines(u32 row);
void FinBusyStart(FinScreenState *st);
void FinShowError(FinScreenState *st, u32 code);
void FinStoreAns(BcdReal *r);
// The line editor on a real; when whole, the value must be a whole number
// from 1 to 9999 (else Argument ERROR and the line is edited again).
i32 FinReadNumberChecked(u32 typed, u32 *key, i32 row, BcdReal *value, const char *prompt, u32 whole);
// Message id's text without its layout codes and trailing blanks.
void FinMessage(i32 id, char *out, u32 size);
// The list-number pop-up: 0 with *out 1-20, -1 SHIFT+EXIT, -2 EXIT.
i32 FinSelectListNo(i32 *out);
// The date pop-ups (month, day, year): 0 with the date, 3 when the day does
// not exist in that month, or -1/-2 when a pop-up was left.
i32 FinReadDate(FinDate *out);
