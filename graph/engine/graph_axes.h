// The coordinate axes, their scale marks and the grid of a graph buffer.
#pragma once
#include "kernel/types.h"

struct GraphView;

// Option bits of GraphDrawAxes.
enum GraphAxesOption : u32 {
  kGraphAxesOff = 0x01,  // only the grid is considered
  kGraphGridOn = 0x02,
};

// Draws into the planes only (never straight onto the display) the x and y
// axes with a mark every Xscale and Yscale (an axis off the screen puts its
// marks along the nearest edge; a scale finer than one dot becomes a solid
// line), and the grid: dots at the scale points, or lines where one scale is
// finer than a dot, or the whole area where both are. runFlags as the
// context's (reversed axes, edge strip, half screen). 0 when done, 1 when
// the break key stopped it.
u32 GraphDrawAxes(const GraphView *view, u32 options, u8 *buf, u8 runFlags);
