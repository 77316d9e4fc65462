#include "data/fkey_labels.h"
#include "kernel/keyqueue.h"
#include "ui/fkey.h"
#include "ui/lcd.h"

namespace {

constexpr i32 kRowY = 56;

bool InRange(i32 id, i32 first, i32 last) { return id >= first && id <= last; }

// The drawing of one entry: an icon number (group form resolved) or a user
// icon's bitmap.
struct EntryPicture {
  i32 icon = -1;             // icon number, or -1 for none
  const u8 *bitmap = nullptr;
};

}  // namespace

const char *FkeyLabelText(u32 icon) { return icon < static_cast<u32>(kFkeyIconCount) ? kFkeyLabels[icon] : ""; }

u32 FkeyIconBitmap(i32 icon, const u8 **out) {
  if (icon < 0 || icon >= kFkeyIconCount) return 0;  // kFkeyNoIcon and anything else outside the table
  *out = kFkeyIcons[icon];
  return 1;
}

void FkeyDrawIcon(i32 key, const u8 *bitmap) {
  if (key < 0 || key > 5 || bitmap == nullptr) return;
  if (key == 0) LcdClearArea(LcdRect{0, kRowY, 1, kRowY + 7});
  LcdWriteGraphicVram(LcdGraphic{key * 21 + 2, kRowY, 21, 8, bitmap, kLcdWriteSet, 1});
}

void FkeyDrawRow() {
  const i32 id = static_cast<i32>(FkeyCurrentMenu());
  const FkeyItem *page = FkeyPageOf(id);
  const bool tailGroup = InRange(id, kFkeyShiftFirst, kFkeyAlphaLast);
  const bool appRange = !InRange(id, kFkeyOptFirst, kFkeyAlphaLast);
  bool draw = true;
  for (i32 k = 0; k < 6; ++k) {
    EntryPicture pic;
    if (appRange && page == nullptr) {
      pic.icon = 0;
    } else {
      const FkeyItem item = page ? page[k] : FkeyItem{0, kFkeyBlank, 0};
      // In the SHIFT, SHIFT+VARS, CLIP and ALPHA ranges the row ends at the
      // first blank entry; the keys after it keep what they show.
      if (tailGroup && item.kind == kFkeyBlank) break;
      if (item.icon == kFkeyNoIcon) {
        pic.icon = kFkeyNoIcon;
      } else if (item.icon >= 0) {
        pic.icon = item.icon;
      } else if (appRange) {
        pic.bitmap = FkeyUserIcon(-item.icon);
      } else {
        pic.icon = -item.icon - 1;
      }
    }
    if (pic.icon == kFkeyNoIcon) draw = false;
    HostSetFkeyLabel(k, draw && pic.icon >= 0 ? static_cast<u32>(pic.icon) : 0);
    if (pic.bitmap == nullptr && pic.icon >= 0 && pic.icon != kFkeyNoIcon) FkeyIconBitmap(pic.icon, &pic.bitmap);
    if (pic.bitmap != nullptr && FkeyRowSwitch() == 1 && draw) FkeyDrawIcon(k, pic.bitmap);
  }
}
