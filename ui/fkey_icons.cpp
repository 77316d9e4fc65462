#include "data/fkey_labels.h"
#include "ui/fkey.h"

const char *FkeyLabelText(u32 icon) { return icon < static_cast<u32>(kFkeyIconCount) ? kFkeyLabels[icon] : ""; }
