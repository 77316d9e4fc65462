#include "ui/ui_glue.h"

#include "apps/system/testmode.h"
#include "graph/memory/gmem_vwin.h"

namespace {

// The zoom factors are the graph memory's "FACTOR" record.
i32 ReadFactor(u32 isY, BcdReal *out) {
  GmemReadZoomFactor(static_cast<i32>(isY), out);
  return RealErrorCode(out);
}
i32 WriteFactor(u32 isY, const BcdReal *f) { return static_cast<i32>(GmemWriteZoomFactor(static_cast<i32>(isY), f)); }

UiGlueZoomRead g_read = ReadFactor;
UiGlueZoomWrite g_write = WriteFactor;

}  // namespace

i32 UiGlueReadZoomFactor(u32 isY, BcdReal *out) { return g_read(isY, out); }

i32 UiGlueWriteZoomFactor(u32 isY, const BcdReal *f) { return g_write(isY, f); }

void UiGlueSetZoomFactorStore(UiGlueZoomRead read, UiGlueZoomWrite write) {
  g_read = read ? read : ReadFactor;
  g_write = write ? write : WriteFactor;
}

u32 UiGlueTestModeGate() { return TestModeCheckGate(); }

void UiGlueTestModeMenu() { TestModeMenu(); }
