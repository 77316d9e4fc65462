// What the graph screen last drew: the mode byte "GRPMODE", the ring of
// graph commands that programs and sketch commands drew ("COMGRAPH" and
// "COM"1.."COM"30), and the read-out values "COMOBCD", with the operations
// that forget them when a function, table or window changes.
//
// Results: 0 done, 4 (Memory ERROR) when an item cannot be made. Calculator
// thread only.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

inline constexpr u32 kGmemCommandSlots = 30;

// Byte 0 of "GRPMODE" (what the graph screen drew, 0 = nothing), 0 when it
// is missing.
u8 GmemReadGraphMode();
u32 GmemWriteGraphMode(u8 mode);
// Byte 1: the inequality count of the last plot.
u8 GmemReadGraphModeAux();
u32 GmemWriteGraphModeAux(u8 v);
// Makes "GRPMODE" as {0, 0} when it is missing.
u32 GmemEnsureGraphMode();

// Appends a command (its text up to the first statement end) to the ring;
// the 31st overwrites the oldest. A parametric type word (bits 0x400 and
// 0x001) splits the two texts at the first top-level comma with 0xF6.
// 0, 2 for an empty text, 4 when it cannot be stored (the ring is then
// emptied rather than left half-written).
u32 GmemAppendGraphCommand(const char *text, u16 type, u8 kind);
// Overwrites the newest command's text, padded with zeros to a multiple of
// 4 bytes; 4 unless that fills the item exactly.
u32 GmemReplaceNewestCommandText(const char *text);
// "COM" + the slot of the i-th command: 0 and 1 name the newest, 2..count
// the commands from the oldest on. 1 when there is no such command.
u32 GmemCommandName(i32 i, char *dst);
u8 GmemCommandCount();
// The text of the i-th command in place (valid until main memory next
// changes): 0, or -1 when there is no such command. A text that does not end
// inside its item reads as the empty text.
i32 GmemCommandTextPtr(i32 i, const char **out);
// Deletes the ring, its commands, "COMOBCD" and "COMLINE".
void GmemDeleteCommands();

// Read-out values of the last graph (0 result, 1 lower, 2 upper bound).
u32 GmemWriteComValue(const BcdReal *v, i32 idx);
u32 GmemReadComValue(BcdReal *out, i32 idx);

// The read-out of a program's Tangent or Normal ("COMLINE"), shown with the
// graph when the program shows it: the point, the function's slope there,
// the drawn line's slope and intercept (an error slope and the line's x for
// a vertical line) and the function's type word. Written by the command,
// deleted by the next graph command and with the command ring.
struct GmemLineReadout {
  BcdReal x, y, slope;
  BcdReal lineSlope, lineIntercept;
  u16 type;
  u16 unused;
};
u32 GmemWriteLineReadout(const GmemLineReadout *r);  // 0 or 4
u32 GmemReadLineReadout(GmemLineReadout *r);         // 0, or 4 when missing or short
void GmemDeleteLineReadout();

// Forgets what was drawn: "GRPMODE" and the command ring (and, in RUN-MAT
// and PROG, rebuilds the SHIFT key group).
void GmemDeleteGraphRecord();
// Also deletes the function table matrix.
void GmemForgetGraphTable();

// "PLOT": the newest plotted point (bytes 0-7), the one before it (8-15) and
// their count (byte 16, 1 or 2; 2 frames a box on the two-graph screen).
inline constexpr u32 kGmemPlotBytes = 17;
// Moves the newest point back, writes pt as the newest; the count goes to 2.
u32 GmemAddPlotPoint(const u8 pt[8]);
// Overwrites the newest point only (a new item counts 1).
u32 GmemSetPlotPoint(const u8 pt[8]);
// Copies bytes 0-15 into out; the count, 0 when missing.
u32 GmemReadPlot(u8 out[16]);
void GmemDeletePlot();

// Deletes the recursion table "RECURTBL" and forgets the drawn graph.
void RecurResetGraphState();
// Deletes matrix `matrix` and forgets the drawn graph.
void GmemForgetTable(u8 matrix);
