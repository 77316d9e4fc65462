// Textbook token texts in the tests are written as C strings of bytes; these
// name the marker bytes and the heads of the templates (ui/mprint.h).
#pragma once

#define OPEN "\x1A"
#define CLOSE "\x1B"
#define SEP "\x1C"
#define GRP "\x1D"
#define GEND "\x1E"
#define FRAC "\xBB" GRP
#define ROOT "\x86" GRP
#define POW "\xA8"
#define LIST "\x7F\x5C\x84"
#define LEND "\x94"
#define MAT "\x7F\x5D\xA4"
#define ROW "\xA4"
#define REND "\xB4"
