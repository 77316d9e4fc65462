// Placeholder entries of the applications that are not built yet. Each shows
// its application's name and reads keys; an application's own code replaces
// its entry here when it arrives.
#include "kernel/apps.h"
#include "kernel/task.h"
#include "kernel/task_glue.h"

namespace {

[[maybe_unused]] u32 Placeholder() {
  char name[9];
  SysGetAppName(name);
  SysGlueShowPlaceholder(name);
  for (;;) {
    u32 code = 0;
    SysGlueGetKey(&code);
  }
}

}  // namespace



