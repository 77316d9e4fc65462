#include "apps/calc/eact_name.h"

u32 EactIsNameChar(u32 c) {
  if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')) return 1;
  switch (c) {
    case ' ': case '~': case '\'': case '[': case ']': case '{': case '}':
      return 1;
    default:
      return 0;
  }
}
