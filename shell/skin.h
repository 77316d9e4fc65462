// The skin: an original picture of the calculator, 349 x 700, whose keys lie
// exactly on the skin key rectangles, drawn by this program at start-up (and
// by `corvanta --write-skin FILE` for review). A second picture holds every
// key pressed; a pressed key is that key's rectangle copied from it.
#pragma once
#include <QImage>

#include "kernel/types.h"

constexpr i32 kSkinWidth = 349;
constexpr i32 kSkinHeight = 700;
// The view block the skin sits in; the part the skin does not cover is
// filled with kSkinFill.
constexpr i32 kViewBlockWidth = 350;
constexpr i32 kViewBlockHeight = 772;
constexpr u32 kSkinFill = 0xFF1B1F25;
// The display on the skin: 128 x 64 dots at twice their size.
constexpr i32 kLcdLeft = 44;
constexpr i32 kLcdTop = 83;
constexpr i32 kLcdScale = 2;

#include <string>

// A key's legends: the main one on the key, the SHIFT one above it on the
// left and the ALPHA letter above it on the right (UTF-8; empty for none).
// They come from the key layout of the key reader, so the picture shows
// what each key gives.
struct SkinLegend {
  std::string main;
  std::string shift;
  std::string alpha;
};
SkinLegend SkinLegendOf(i16 key);
// The printed form of a layout caption ("x^2" is printed "x²").
std::string SkinPrintedLegend(const char *caption);

struct ShellSkin {
  QImage normal;   // every key up
  QImage pressed;  // every key down
};

// Draws the skin (once; later calls return the same pictures). UI thread.
const ShellSkin &SkinGet();
