#include "ui/keys.h"
#include "ui/setup.h"

namespace {

bool IsAlphaState(u8 m) { return m == kModAlpha || m == kModLower || m == kModAlphaLock || m == kModLowerLock; }
bool IsLowerState(u8 m) { return m == kModLower || m == kModLowerLock; }

}  // namespace

KeyAction KeyMapPosition(i32 column, i32 row, u8 modifier) {
  const KeyLayoutRow *k = KeyLayoutFind(column, row);
  if (k == nullptr) return keylayout_detail::N;
  KeyAction a = k->plain;
  if (modifier == kModShift && k->shift.kind != kActNone) {
    a = k->shift;
  } else if (modifier == kModClip && k->clip.kind != kActNone) {
    a = k->clip;
  } else if (IsAlphaState(modifier) && k->alpha.kind != kActNone) {
    a = k->alpha;
    if (IsLowerState(modifier) && a.kind == kActChar && a.code >= 'A' && a.code <= 'Z')
      a.code = static_cast<u16>(a.code + ('a' - 'A'));
  }
  return a;
}

u8 KeyGetModifier() { return SetupGetItem(kSetupKeyModifier); }
void KeySetModifier(u8 modifier) { SetupSetItem(kSetupKeyModifier, modifier); }

u8 KeyNextModifier(u8 modifier, u32 code) {
  if (code == kKeyShift) {
    switch (modifier) {
      case kModNone: return kModShift;
      case kModShift: return kModNone;
      case kModClip: return kModClip;  // SHIFT in the CLIP state keeps it
      // In the alpha states SHIFT switches between upper and lower case.
      case kModAlpha: return kModLower;
      case kModLower: return kModAlpha;
      case kModAlphaLock: return kModLowerLock;
      case kModLowerLock: return kModAlphaLock;
      default: return kModShift;
    }
  }
  if (code == kKeyAlpha) {
    if (modifier == kModShift) return kModAlphaLock;
    if (IsAlphaState(modifier)) return kModNone;
    return kModAlpha;
  }
  return modifier;
}

u8 KeyGetInsertMode() { return SetupGetItem(kSetupInsertMode); }
void KeySetInsertMode(u8 mode) { SetupSetItem(kSetupInsertMode, mode); }

void KeyToggleInsertMode() {
  KeySetInsertMode(KeyGetInsertMode() == kInsertInsert ? kInsertOverwrite : kInsertInsert);
}

i32 KeyCursorShape(u8 modifier, u8 insertMode) {
  i32 shape;
  switch (modifier) {
    case kModShift: shape = 1; break;
    case kModClip: shape = 5; break;
    case kModAlpha:
    case kModAlphaLock: shape = 3; break;
    case kModLower:
    case kModLowerLock: shape = 4; break;
    default: shape = 0; break;
  }
  // Overwrite mode: none 6, SHIFT 7, CLIP 11, ALPHA 9, lower case 10.
  if (insertMode != kInsertInsert) shape = shape == 0 ? 6 : shape + 6;
  return shape;
}
