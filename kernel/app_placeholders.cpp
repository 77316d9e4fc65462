// Placeholder entries of the applications that are not built yet. Each shows
// its application's name and reads keys; an application's own code replaces
// its entry here when it arrives.
#include "kernel/apps.h"
#include "kernel/task.h"
#include "kernel/task_glue.h"

namespace {

u32 Placeholder() {
  char name[9];
  SysGetAppName(name);
  SysGlueShowPlaceholder(name);
  for (;;) {
    u32 code = 0;
    SysGlueGetKey(&code);
  }
}

}  // namespace


u32 EactAppMain(u32, u16) { return Placeholder(); }
u32 DynaAppMain(u32, u16) { return Placeholder(); }
u32 CalcDocTextMain(u32, u16) { return Placeholder(); }

// No strip list yet: nothing is chosen.
u32 EactSelectStripApp(SysChildApp *) { return 0; }
