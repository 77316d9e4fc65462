// The screen layer's seam to the subsystems above it (the graph engine's
// records). Each answers 0 or an error code; a seam whose owner is not yet
// part of the system answers System ERROR (23), never a made-up value.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

constexpr i32 kUiGlueWaiting = 23;  // System ERROR

// The zoom factor of the graph screen (isY: Yfact, else Xfact) into out:
// 0, or an error code.
i32 UiGlueReadZoomFactor(u32 isY, BcdReal *out);
// Stores a zoom factor: 0, 28 when it is not 0 < f < 1E98, 4 when the
// record cannot be made, or another error code.
i32 UiGlueWriteZoomFactor(u32 isY, const BcdReal *f);

// Another store can be put behind them (tests); null pointers restore the
// graph memory's record.
using UiGlueZoomRead = i32 (*)(u32 isY, BcdReal *out);
using UiGlueZoomWrite = i32 (*)(u32 isY, const BcdReal *f);
void UiGlueSetZoomFactorStore(UiGlueZoomRead read, UiGlueZoomWrite write);

// The hidden service mode: 1 when its gate is open, and its menu.
u32 UiGlueTestModeGate();
void UiGlueTestModeMenu();
