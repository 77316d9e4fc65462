// The financial record "fina_mem" of folder "@FINANCE": every variable of
// the financial application in one 252-byte item, always read and written
// whole. The evaluator reads its time-value variables and programs assign
// them through the functions here. Calculator thread only.
#pragma once
#include <cstddef>

#include "kernel/types.h"
#include "number/real.h"

inline constexpr const char *kFinFolder = "@FINANCE";
inline constexpr const char *kFinItem = "fina_mem";
inline constexpr u32 kFinMemBytes = 252;

// A date as the record keeps it: three little-endian u16 words.
struct FinDate {
  u16 day;
  u16 month;
  u16 year;
};

// The record byte for byte (the host is little-endian like the stored form).
struct FinMem {
  BcdReal n;       // 0: periods (simple interest: days)
  BcdReal i;       // 12: I% in percent
  BcdReal pv;      // 24
  BcdReal pmt;     // 36
  BcdReal fv;      // 48
  BcdReal py;      // 60: payments a year
  BcdReal cy;      // 72: compounding periods a year
  BcdReal pm1;     // 84
  BcdReal pm2;     // 96
  BcdReal cst;     // 108
  BcdReal sel;     // 120
  BcdReal mrg;     // 132: margin in percent
  BcdReal d;       // 144: days added to or taken from d1
  BcdReal one;     // 156: 1 at creation, carried along
  BcdReal twelve;  // 168: 12 at creation, carried along
  BcdReal spare[4];  // 180: zero at creation, carried along
  FinDate d1;      // 228
  FinDate d2;      // 234
  u16 list;        // 240: the cash-flow list, 1-20
  u16 zero242;
  u16 word244;
  u16 word246;
  u8 byte248;      // 0x65 at creation
  u8 byte249;
  u8 valid;        // 250: 1 in a record of this application
  u8 byte251;
};
static_assert(sizeof(FinMem) == kFinMemBytes);
static_assert(offsetof(FinMem, d) == 144 && offsetof(FinMem, d1) == 228 && offsetof(FinMem, list) == 240);
static_assert(offsetof(FinMem, valid) == 250);

// Results of the record functions besides 0.
inline constexpr u32 kFinErrMemory = 4;

// The record with every field at its default.
void FinDefaultMem(FinMem *out);
// Makes sure a valid record exists: one of another size or without the
// validity mark is foreign, and the whole folder is emptied and a default
// record made. 0, or 4 when the record cannot be made.
u32 FinInitMem();
// Reads the record: 0, or 4 when there is none or it is foreign (another
// size, no validity mark); out is then left alone.
u32 FinReadMem(FinMem *out);
// Writes the record in place: the item interface's result, of which 0, 1
// and 2 mean success.
u32 FinWriteMem(const FinMem *mem);
// FinWriteMem as success (0) or Memory ERROR (4).
u32 FinWriteMemChecked(const FinMem *mem);
// Deletes every item of the folder.
u32 FinDeleteMem();

// The field of a financial variable token (0x7F then 0x64-0x68, 0xCC, 0xCD),
// or null for another token.
BcdReal *FinTokenField(FinMem *mem, u8 second);
// The variable at its byte offset (0, 12, 24, 36, 48, 60 or 72) for the
// evaluator: 0 with *out set, 4 when there is no record, 8 when the offset
// names no variable.
u8 FinValueAt(u32 offset, BcdReal *out);
// The assignment of a value to the variable whose token (0x7F, second) is at
// *p, for programs: the record is made when missing and the one field
// written (P/Y leaves C/Y). 0 with *p past the token, or the error code: 3
// for a complex value, 8 for P/Y or C/Y not a whole number from 1 to 9999,
// 4 when the record cannot be made or written, 2 when *p names no financial
// variable.
u32 FinAssignToken(const u8 **p, const Value *v);
// True when p starts a financial variable token.
bool FinIsVariableToken(const u8 *p);
