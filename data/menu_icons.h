// Artwork of the main menu: the application icons (17 rows of 32 pixels, the
// picture in the left 30, leftmost pixel in the high bit), the heading bitmap
// and the label masks that cut an icon's key label into its corner.
#pragma once
#include "kernel/types.h"

constexpr int kMenuIconRows = 17;
extern const u32 kMenuIcons[15][kMenuIconRows];
extern const u32 kChildIcons[17][kMenuIconRows];
// 7 rows of 16 bytes (128 pixels).
extern const u8 kMenuHeading[112];
// 36 masks of 5 rows: digits 1-9, then the letters A-Z, then one spare. Each
// byte is ANDed into pixels 24-31 of icon rows 12-16.
extern const u8 kMenuLabelMasks[36][5];
