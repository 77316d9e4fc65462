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

void GmemDeleteVwin();
void GmemDeleteVwinr();
// The trigonometric (305) and standard (324) windows, stored as
// GmemResetVwin stores the initial one.
u32 GmemResetVwinTrig(i32 toVwin);
u32 GmemResetVwinStd(i32 toVwin);

// 0 when -1E98 < v < 1E98, else 28 (Range ERROR); an error value is out of
// range.
u32 VwinCheckRange(const BcdReal *v);
// Field idx (0..10) of "VWIN" / "VWINR", which is made with the initial
// window when missing: 0, or 4 when it cannot be made (or idx is no field).
u32 GmemReadVwinValue(BcdReal *out, i32 idx);
u32 GmemReadVwinrValue(BcdReal *out, i32 idx);
// Stores one field as the View Window screen and programs do: out-of-range
// values, a Xdot or half-width Xdot <= 0 and a T pitch of 0 are refused with
// 28 and change nothing. Xmin or Xmax recompute both dot widths; a dot width
// moves Xmax and the other dot width; the scales are stored as their
// absolute value. Every accepted value forgets "PREVWIN". 4 when the record
// cannot be made.
u32 GmemWriteVwinValue(const BcdReal *v, i32 idx);
u32 GmemWriteVwinrValue(const BcdReal *v, i32 idx);

// Zoom factors ("FACTOR": Xfact then Yfact, 2 and 2 when made).
u32 GmemResetZoomFactors();
// 28 unless 0 < f < 1E98; 4 when "FACTOR" cannot be made.
u32 GmemWriteZoomFactor(i32 isY, const BcdReal *f);
// Yfact (isY != 0) or Xfact; the error value with code 4 when "FACTOR" is
// missing and cannot be made.
BcdReal *GmemReadZoomFactor(i32 isY, BcdReal *out);
void GmemDeleteZoomFactors();

// The window before the last zoom ("PREVWIN") and the window the graph
// screen was opened with ("ORIGVWIN").
u32 GmemReadPrevVwin(VwinRecord *rec);
// Copies "VWIN" into "PREVWIN" (or "VWINR" when useRight is set and
// "PREVWIN" already exists).
u32 GmemSavePrevVwin(i32 useRight);
// 0, or -1 when "ORIGVWIN" is missing.
i32 GmemReadOrigVwin(VwinRecord *rec);
// Copies "VWIN" (or, when it is missing, the initial window without making
// "VWIN") into "ORIGVWIN".
u32 GmemSaveOrigVwin();
void GmemDeleteOrigVwin();

// V-Window memories "VMEM"1.."VMEM"6.
char *GmemVmemName(i32 n, char *dst);
u32 GmemStoreVwinMem(i32 n, const VwinRecord *rec);
u32 GmemRecallVwinMem(i32 n, VwinRecord *rec);
void GmemDeleteVwinMem(i32 n);

// The image of the last graph screen ("SCREEN", two 1024-byte planes).
u32 GmemReadScreen(u8 *buf);
u32 GmemWriteScreen(const u8 *buf);
// Makes "SCREEN" from buf only when there is none.
u32 GmemCreateScreenIfMissing(const u8 *buf);
void GmemDeleteScreen();

// Picture memory n (1..20): the 2048 bytes of "PICT"n (two pixel planes);
// 4 when it is missing or shorter than a picture.
u32 GmemRecallPict(u8 *buf, i32 n);
u32 GmemStorePict(const u8 *buf, i32 n);
// The stored picture in place, valid until main memory next changes; nullptr
// when it is missing or shorter than a picture.
const u8 *GmemPictDataPtr(i32 n);
void GmemDeletePict(i32 n);
