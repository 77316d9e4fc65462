// The V-Window items of main memory and the picture memories the graph
// engine reads.
//
// A V-Window is a 132-byte record of eleven reals (VwinRecord), stored whole
// as the data of "VWIN" (the graph screen's window), "VWINR" (the right-hand
// window of the two-graph screen), the work items "PREVWIN" and "ORIGVWIN"
// and the V-Window memories. Whoever writes Xmin or Xmax into a record also
// writes Xdot and the half-width Xdot from them (VwinSetDots).
//
// Results: 0 done, 4 (Memory ERROR) when an item is missing or cannot be
// made. Calculator thread only.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

// Fields of a V-Window record, in stored order (byte offset 12 x index).
enum VwinField : u8 {
  kVwinXmin = 0,
  kVwinXmax = 1,
  kVwinXscale = 2,
  kVwinXdot = 3,  // (Xmax - Xmin) / 126
  kVwinYmin = 4,
  kVwinYmax = 5,
  kVwinYscale = 6,
  kVwinTmin = 7,    // also theta min
  kVwinTmax = 8,    // also theta max
  kVwinTpitch = 9,  // also theta pitch
  kVwinXdotHalf = 10,  // (Xmax - Xmin) / 62, the dot width of a half screen
  kVwinFieldCount = 11,
};

struct VwinRecord {
  BcdReal f[kVwinFieldCount];
};
static_assert(sizeof(VwinRecord) == 132);

// Window presets (codes 304-324 and 344): fills Xmin, Xmax, Xscale, Ymin,
// Ymax, Yscale and the two dot widths; the T range is left alone. Presets
// 305-309 follow the angle unit (SET UP Angle). Other codes change nothing.
enum VwinPresetCode : i32 {
  kVwinPresetInitial = 304,
  kVwinPresetTrig = 305,
  kVwinPresetStandard = 324,
  kVwinPresetProbability = 344,
};
void VwinPreset(VwinRecord *rec, i32 code);
// Xdot and the half-width Xdot from Xmin and Xmax, each normalised.
void VwinSetDots(VwinRecord *rec);
// The T (theta) range of the angle unit: 0..360 by 3.6, 0..2 pi by 2 pi/100,
// 0..400 by 4.
void VwinSetTRange(VwinRecord *rec);

// "VWIN" / "VWINR" copied whole; 4 when the item is missing.
u32 GmemReadVwin(VwinRecord *rec);
u32 GmemReadVwinr(VwinRecord *rec);
// Overwrites the item, or creates it from rec; 4 when it cannot be made.
u32 GmemWriteVwin(const VwinRecord *rec);
u32 GmemWriteVwinr(const VwinRecord *rec);
// Writes one field of "VWIN" (toVwin != 0) or "VWINR" as it stands, without
// the range rules of the View Window screen; 4 when the item is missing.
u32 GmemPatchVwinField(i32 toVwin, u32 field, const BcdReal *v);
// Sets the T range of the angle unit into rec, writes rec to "VWIN"
// (toVwin != 0) or "VWINR" and, on success, deletes "PREVWIN".
u32 GmemStoreInitialVwin(VwinRecord *rec, i32 toVwin);
// The initial window (preset 304 with the angle unit's T range) stored by
// GmemStoreInitialVwin.
u32 GmemResetVwin(i32 toVwin);
void GmemDeletePrevVwin();

// Picture memory n (1..20): the 2048 bytes of "PICT"n (two pixel planes);
// 4 when it is missing or shorter than a picture.
u32 GmemRecallPict(u8 *buf, i32 n);
