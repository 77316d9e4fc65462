#include "ui/ui_glue.h"

namespace {

// The graph engine and its "FACTOR" record are not part of the system yet.
i32 ReadWaiting(u32, BcdReal *) { return kUiGlueWaiting; }
i32 WriteWaiting(u32, const BcdReal *) { return kUiGlueWaiting; }

UiGlueZoomRead g_read = ReadWaiting;
UiGlueZoomWrite g_write = WriteWaiting;

}  // namespace

i32 UiGlueReadZoomFactor(u32 isY, BcdReal *out) { return g_read(isY, out); }

i32 UiGlueWriteZoomFactor(u32 isY, const BcdReal *f) { return g_write(isY, f); }

void UiGlueSetZoomFactorStore(UiGlueZoomRead read, UiGlueZoomWrite write) {
  g_read = read ? read : ReadWaiting;
  g_write = write ? write : WriteWaiting;
}
