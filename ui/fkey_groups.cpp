#include "ui/fkey_groups.h"

#include "ui/keycodes.h"

namespace {

struct GroupVariant {
  i32 firstId;
  u16 variant;
  const FkeyItem *pages;
  u32 count;
};

// OPT variant 2: the function-memory page.
constexpr FkeyItem kOptFunctionMemory[6] = {
    {69, kFkeyKeyCode, kKeyFmemSto},   // STO
    {70, kFkeyKeyCode, kKeyFmemRcl},   // RCL
    {240, kFkeyInput, 0xF91B},         // fn
    {241, kFkeyKeyCode, kKeyFmemSee},  // SEE
    {0, kFkeyBlank, 0},
    {0, kFkeyBlank, 0},
};

// CLIP, variants 1 and 2: copy and cut the selection.
constexpr FkeyItem kClipPage[6] = {
    {52, kFkeyKeyCode, kKeyCopy},  // COPY
    {105, kFkeyKeyCode, kKeyCut},  // cut
    {0, kFkeyBlank, 0},
    {0, kFkeyBlank, 0},
    {0, kFkeyBlank, 0},
    {0, kFkeyBlank, 0},
};

// SHIFT variant 2: the graph tools of a screen without a drawn graph. The
// ZOOM and SKETCH sub-menus are blank pages until the graph screens fill
// them.
constexpr FkeyItem kShiftGraphTools[2 * 6] = {
    {559, kFkeySubMenu, kFkeyShiftFirst + 1},  // ZOOM
    {560, kFkeyKeyCode, kKeyVWindow},          // V-WIN
    {561, kFkeySubMenu, kFkeyShiftFirst + 1},  // SKTCH
    {563, kFkeyKeyCode, kKeyGraphTable},       // G/T
    {0, kFkeyBlank, 0},
    {0, kFkeyBlank, 0},
    // the blank sub-menu page
    {0, kFkeyBlank, 0},
    {},
    {},
    {},
    {},
    {},
};

constexpr GroupVariant kGroupVariants[] = {
    {kFkeyOptFirst, 2, kOptFunctionMemory, 1},
    {kFkeyClipFirst, 1, kClipPage, 1},
    {kFkeyClipFirst, 2, kClipPage, 1},
    {kFkeyShiftFirst, 2, kShiftGraphTools, 2},
};

}  // namespace

const FkeyItem *FkeyGroupPages(i32 firstId, u16 variant, u32 *count) {
  for (const GroupVariant &g : kGroupVariants) {
    if (g.firstId == firstId && g.variant == variant) {
      *count = g.count;
      return g.pages;
    }
  }
  *count = 0;
  return nullptr;
}
