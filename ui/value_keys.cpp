#include "ui/value_keys.h"

#include "number/numconv.h"
#include "ui/keycodes.h"

bool KeyIsValueConversion(u32 key) {
  return key == kKeyFracDec || key == kKeyFracForm || key == kKeyDms || key == kKeyEngDown || key == kKeyEngUp;
}

bool KeyConvertValue(u32 key, Value *v, char *out) {
  switch (key) {
    case kKeyFracDec:
      NumFormatFracDec(v, out);
      return true;
    case kKeyFracForm:
      NumFormatFracForm(v, out);
      return true;
    case kKeyDms:
      NumToTextDms(v, out);
      return true;
    case kKeyEngDown:
    case kKeyEngUp:
      NumToTextEng(v, out, key == kKeyEngUp);
      return true;
    default:
      return false;
  }
}
