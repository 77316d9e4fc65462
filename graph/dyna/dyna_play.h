// The dynamic graph's frames: computed once per value of the moving
// coefficient into a block of 1024-byte pictures (plane 0 of the graph
// buffer), then played forward and back with a wait after each frame.
//
// Calculator thread only.
#pragma once
#include "graph/dyna/dyna_cond.h"
#include "graph/engine/graph_context.h"
#include "kernel/heap.h"
#include "kernel/types.h"

// Modes of DynaRun.
enum DynaRunMode : int {
  kDynaPlayStored = 0,       // play the frames of "D_MEMG"
  kDynaComputePlay = 1,      // compute the frames into the block, then play
  kDynaPlayBlock = 2,        // play the block
  kDynaPlayStored3 = 3,      // as 0
  kDynaPlayBlockPaused = 4,  // play the block, the first frame waiting for a key
  kDynaPlayStoredPaused = 5,
  kDynaProgram = 10,         // compute and play ten cycles for a program
};

// The entries of the functions selected for DYNA (Y=, r=, parametric), at
// most 20 and the end entry; the count.
u32 DynaBuildEntries(GraphEntry entries[21]);
// A block of count frames from the handle heap: 0 or 4.
u32 DynaAllocFrames(u32 count, MemHandle *block);
void DynaFreeFrames(MemHandle *block);
// Computes the frames Start + i x Pitch into frames (count x 1024 bytes)
// with the progress bar: 0 or the plot's error code (Break 1).
u32 DynaComputeFrames(GraphContext *ctx, const DynaCond *cond, u32 count, u8 *frames);
// Shows frame index: the frame over the background picture, axes and
// labels, the moving coefficient stored and shown when names are on.
void DynaShowFrame(GraphContext *ctx, const DynaCond *cond, const u8 *frames, u32 index);
// The wait after a frame for a delay (1 wait for a key; d > 1: d - 1 sleeps
// of 250 ms; negative: wait for a key once, then -d). 0 go on, 1 stop, -1
// SHIFT+EXIT.
i32 DynaFrameWait(i32 *delay);
// Runs an animation: 0 stopped or finished, -1 SHIFT+EXIT, -11 an error was
// shown; mode 10 returns the error code instead, and 1 for a Break. stored:
// the frames of "D_MEMG" for the modes that play them.
i32 DynaRun(int mode, u32 count, DynaCond *cond, MemHandle *block);
// The DrawDyna command: 1 done; 0 with the error value in result.
u32 DynaDrawFromProgram(u32 unused, BcdReal *result, int *key);

// What the play loop did, for the screens' tests and the benchmarks.
struct DynaPlayStats {
  u32 framesShown;
  u32 sleeps;       // 250 ms sleeps asked for
  u32 framesComputed;
  u32 lastFrame;
};
DynaPlayStats *DynaStats();
