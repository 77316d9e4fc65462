// The numbered graph functions "1".."20" of main memory (kind 2, folder
// "main"). Each item holds a 4-byte header and a token text:
//   bytes 0-1  type word (little-endian): which function kind it is (Y=, r=,
//              parametric, X=, ...);
//   byte 2     attribute flags (which screens draw it);
//   byte 3     kind byte;
//   bytes 4..  the formula text, ending in a zero byte. A parametric function
//              holds its two texts split by the token 0xF6.
// A text is read back only while it ends inside the item and the item holds
// at most 256 text bytes; otherwise it reads back as the empty text.
#pragma once
#include "kernel/types.h"

inline constexpr int kGmemFuncSlots = 20;
inline constexpr u32 kGmemFuncHeader = 4;
inline constexpr u32 kGmemFuncTextMax = 256;

// Bits of the attribute byte (byte 2): which application draws the function,
// and the kinds the graph screen is asked to draw by.
enum GraphSelectBit : u8 {
  kGraphSelTablePlot = 0x01,  // table graph, points only (a draw kind)
  kGraphSelTableConn = 0x02,  // table graph, joined (a draw kind)
  kGraphSelOther = 0x04,
  kGraphSelStat = 0x08,
  kGraphSelDyna = 0x10,
  kGraphSelTable = 0x20,
  kGraphSelRight = 0x40,      // drawn on the right-hand screen of a split
  kGraphSelGraph = 0x80,
};

// Type word of graph function n, 0 when the item is missing (or n is not a
// slot number 1..20).
u16 GmemReadFuncType(int n);
// The text of graph function n (byte 4 of its item), valid until main memory
// next changes; nullptr when the item is missing. An item that holds no
// readable text gives an empty text.
const char *GmemFuncDataPtr(int n);
// Writes graph function n as head and the token text up to its first
// statement end (':', 0x0D, 0x0C or the end, stepped token by token; the text
// carries the second zero byte of token texts), stored with a zero byte. The
// item is created, or replaced whole. Gives 0, or 4 when it cannot be stored.
// Forgets the drawn graph first.
u32 GmemWriteFuncItem(int n, const u8 head[4], const char *text);
// Deletes graph function n, forgetting the drawn graph.
void GmemDeleteFunc(int n);

// Kind byte (line style) of graph function n, 0 when the item is missing.
u8 GmemReadFuncKind(int n);
// 1 when every bit of mask is set in the attribute byte of function n, else
// 0 (also when the item is missing).
u32 GmemTestFuncFlags(int n, u8 mask);
// The text of function n copied into buf (at least 257 bytes) with two zero
// bytes after it, empty when the item is missing.
char *GmemReadFuncText(int n, char *buf);
// Writes the kind byte; a missing item is made as four zero bytes first.
u32 GmemSetFuncKind(int n, u8 kind);
// Writes the type word; a missing item is made as {0, 0, 0, 2} first.
u32 GmemSetFuncType(int n, u16 type);
// Sets (on != 0) or clears the mask bits of the attribute byte; a missing
// item is left alone.
void GmemSetFuncFlags(int n, u8 on, u8 mask);
// The same on any item of this layout, named by kind and name (graph
// functions, recursion formulas, graph commands). Always 0.
u32 GmemSetItemFlags(u8 kind, const char *name, i8 on, u8 mask);
