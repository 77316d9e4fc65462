// The statistics application's lasting records and results: the StatGraph
// condition "G_CND" (histogram Start and Width, five graph blocks), the
// calculation condition "C_CND" (which calculation CALC runs, on which
// lists), both in folder "@STAT", and the result lists of list files 254
// and 255 from which screens, graphs and the evaluator read results by value
// code. Calculator thread only.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

inline constexpr const char *kStatFolder = "@STAT";
inline constexpr u32 kStatGraphCondBytes = 94;
inline constexpr u32 kStatGraphWords = 35;  // five blocks of seven words
inline constexpr u32 kStatCalcCondWords = 6;
inline constexpr u8 kStatResultFile = 254;
inline constexpr u8 kStatWorkFile = 255;

// Calculation (and graph model) types.
enum StatCalcType : u16 {
  kStatLinear = 9,
  kStatMedMed = 10,
  kStatQuad = 11,
  kStatCubic = 12,
  kStatQuart = 13,
  kStatLog = 14,
  kStatExp = 15,
  kStatPower = 16,
  kStatSin = 17,
  kStatLogistic = 18,
  kStatModeList = 19,
  kStatOneVar = 20,
  kStatTwoVar = 21,
};

// Words of a C_CND record.
enum StatCalcCondWord : u32 {
  kCondType = 0,
  kCondOneX = 1,
  kCondOneFreq = 2,
  kCondTwoX = 3,
  kCondTwoY = 4,
  kCondTwoFreq = 5,
};

// Value codes of the results (n 1, x̄ 2 ... MSe 36).
enum StatValueCode : u32 {
  kValN = 1, kValMeanX = 2, kValSumX = 3, kValSumX2 = 4, kValSdnX = 5, kValSdn1X = 6, kValMinX = 7,
  kValMaxX = 8, kValMeanY = 9, kValSumY = 10, kValSumY2 = 11, kValSdnY = 12, kValSdn1Y = 13, kValMinY = 14,
  kValMaxY = 15, kValSumXY = 16, kValA = 17, kValB = 18, kValC = 19, kValD = 20, kValE = 21, kValR = 22,
  kValR2 = 23, kValQ1 = 24, kValMed = 25, kValQ3 = 26, kValModF = 27, kValHStart = 28, kValHWidth = 29,
  kValMedMed3 = 30, kValMSe = 36,
};

i32 StatResetGraphCond();
i32 StatResetCalcCond();
// Bytes 24..93 of G_CND as 35 words: 0 or the store's error.
i32 StatReadGraphCond(u16 out[kStatGraphWords]);
i32 StatReadHistParams(BcdReal *start, BcdReal *width);
i32 StatReadCalcCond(u16 out[kStatCalcCondWords]);
// Writes the graph blocks, making G_CND first (Start the V-Window's Xmin,
// Width 1) when it is missing: 0, 48 when it cannot be made, or the store's
// error.
i32 StatWriteGraphCond(const u16 cond[kStatGraphWords]);
// Start must lie in (-1e98, 1e98), Width in (0, 1e98); a bad one is not
// written and gives 28 (Range ERROR) while the good one is.
i32 StatWriteHistParams(const BcdReal *start, const BcdReal *width);
i32 StatWriteCalcCond(const u16 cond[kStatCalcCondWords]);
// The same reads that write the defaults and read again when the item is
// missing: 0, or 4 when it still cannot be read.
i32 StatLoadGraphCond(u16 out[kStatGraphWords]);
i32 StatLoadCalcCond(u16 out[kStatCalcCondWords]);

// Result lists: list `list` of file 254 (0 the result list, 1 the mode list)
// made anew with count zero elements and `type` in its header: 0 or 4.
i32 StatCreateResultList(u8 type, u8 list, int count);
i32 StatNewResultList(u8 type, int count);
i32 StatNewModeList(int count);
// The same for the graph coefficient lists of file 255.
i32 StatCreateGraphCoefList(u8 type, u8 list, int count);
void StatDeleteResultList();
void StatDeleteModeList();
void StatClearSlotLists(int slot);
void StatClearResultLists();
i32 StatResultListSize();
i32 StatResultListValue(int i, Value *out);
i32 StatSetResult(int i, const Value *v);
// Work list 0 of file 0 (where the mode routine leaves the modes) into the
// mode list: 0 or 4.
i32 StatCopyModeList();
// Element count of the result list (0 when missing); *type its type.
i32 StatReadResultListHeader(u32 *type);
// The element of the result list that holds value `code` for a result of
// `type` (1-based), 0 when that result has no such value.
u8 StatResultIndex(u32 type, u32 code);
// Value `code` of the last calculation: the result type, -1 for Start and
// Width without a result list, -2 when the value is not available (code 0:
// the type alone).
i32 StatCalcValue(int code, Value *out);
