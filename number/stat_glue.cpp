// The statistics application does not keep results yet: no calculation has
// been made, and no value is available.
#include "number/stat_glue.h"

u32 NumGlueStatKind() { return 0; }

int NumGlueStatValue(u8, BcdReal *) { return 0; }
