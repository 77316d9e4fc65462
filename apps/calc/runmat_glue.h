// The steps the run-and-matrix application takes in the layers it shares with
// others (token names, the "REPLAY" history item), gathered in one place.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

// Longest display name of one token, in bytes, terminator included.
constexpr u32 kRunMatTokenNameMax = 32;

// Writes the display name of `token` (one byte, or lead * 256 + second byte)
// zero-ended into out; returns its byte length.
u32 RunMatTokenName(u16 token, char *out);
// True when the code is a token or character of the system (one that has a
// name or a glyph, or a row end).
bool RunMatIsToken(u16 token);

// The input history of the running application ("REPLAY"): lines numbered 1
// (oldest) to count (newest).
u32 RunMatHistoryCount();
// Byte size of line i with its terminator, or -1 when there is none.
i32 RunMatHistoryLineSize(u32 i);
// Copies line i with its terminator into out (at least its size).
void RunMatHistoryLine(u32 i, u8 *out);
// Appends a line; 0, or an error code.
u32 RunMatHistoryAdd(const u8 *text);
// True while the history item exists.
bool RunMatHistoryExists();
void RunMatHistoryDelete();

// ---- the program interpreter ----

// A run line's screen and outcome, handed to the interpreter and back.
struct RunMatRunState {
  u8 text_copy[7][42];  // the run screen's rows 1..7
  u32 row;              // next output row 1..8 (8: scroll before printing)
  u32 output_mode;      // 0 a value, 1 "Done", 2 shown by a statement, ...
  u32 display_form;     // 0, or the conversion 1..7 that ended the line
  u32 stop;             // byte offset in the line where the run stopped
  u32 keep_arrays;      // 1: a list or matrix result opens no viewer
  Value result;
};
// Runs the token text `line` (zero-ended) as a run line: 1 success, 0
// failure with the error value in run->result, another value when the run
// ended otherwise.
u32 RunMatRunLine(const u8 *line, RunMatRunState *run);

// ---- SET UP and the graph variable ----

// The SET UP screen of "@RUNMAT"; *changed = 1 when a setting changed.
void RunMatGlueSetupScreen(u32 *changed);
// The View Window screen (SHIFT F3).
void RunMatGlueVwinScreen();
// The last drawn graph over the run screen (G<->T); its error in the error
// box. The run screen is put back afterwards.
void RunMatGlueGraphScreen();
// The function-memory keys of the run line (STO, RCL, SEE) on the line's
// token text (len bytes) with the cursor at byte index cursor: the tokens
// the dialogue put in at the cursor go to out (at least 256 codes, lead
// byte * 256 + second byte for two-byte tokens); returns their count.
u32 RunMatGlueFmemKey(u32 key, const u8 *line, u32 len, u32 cursor, u16 *out);
// The same for a text of up to room bytes (the program editor's whole
// program): a store takes all of it, at most 255 bytes come in.
u32 RunMatGlueFmemKeyRoom(u32 key, const u8 *line, u32 len, u32 cursor, u32 room, u16 *out);
// The graph variable's token of SET UP item 24 (X, theta or T).
u16 RunMatGlueGraphVarChar();
