// The View Window screen: the ten values of "VWIN" (or "VWINR", the
// right-hand window of a two-graph screen) read and edited line by line,
// reset to the initial, trigonometric or standard window, and stored in or
// recalled from the six V-Window memories. Calculator thread only.
#pragma once
#include "graph/memory/gmem_vwin.h"
#include "kernel/types.h"

// Screen modes: one window, the left or right window of a two-graph screen,
// a split screen.
enum VwinScreenMode : i32 {
  kVwinModeSingle = 0,
  kVwinModeLeft = 1,
  kVwinModeRight = 2,
  kVwinModeSplit = 17,
};

// Flag word of one editor run.
enum : u32 {
  kVwinUnchanged = 1,   // nothing was changed
  kVwinSwitchPage = 2,  // go to the other window's page
  kVwinToLeft = 4,      // that page is the left one
};

// Runs the screen; 1 when nothing changed, 0 when a value changed (the
// drawn graph is then forgotten) or the windows could not be made.
i32 VwinScreen(i32 mode);
// One page of the screen; returns the flag word.
u32 VwinEditor(i32 mode);
// Draws rows 2-7: lines top..top+5, the current line reversed.
void VwinDrawLines(i32 top, i32 line, const VwinRecord *rec, i32 mode);
// The V-Window memory pop-ups (memory 1..6).
void VwinStoreMem(const VwinRecord *rec);
// 1 when a memory was recalled into rec (and the edited window).
i32 VwinRecallMem(VwinRecord *rec, i32 mode);
// The View Window screen of the applications without a graph screen of
// their own (RUN-MAT, the program end screen): its mode from SET UP Dual
// Screen, Off taken as one window. Returns VwinScreen's result.
i32 GraphOpenVwinScreen();
// The View Window screen from a graph screen: which 0 one window, 1 the two
// windows of the two-graph screen, any other value a split screen. The
// display is put back when nothing changed; a change forgets the drawn
// graph. 1 when the V-Window changed, else 0.
i32 GraphOpenVwinScreen(i8 which);
