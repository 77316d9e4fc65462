// Reading the screen back in tests: the characters of the 21 x 8 text grid,
// found by matching each 6 x 8 cell of display memory against the font, and
// text pictures of the dots.
//
// Characters come back as their looks in UTF-8 ("A", "θ", "²", "é"); a blank
// cell is " ", a cell no glyph matches is "?" and the drawn stand-in for a
// character without a glyph is "▯". Reverse-video cells read as the same
// character; ScreenRowReversed tells which cells are reversed. Every
// function reads the calculator's display memory unless given another
// 1024-byte image.
#pragma once
#include <string>
#include <vector>

#include "kernel/types.h"

// The eight rows of 21 characters each.
std::vector<std::string> ScreenRows(const u8 *vram = nullptr);
// Row 1..8 (1-based, like TextLocate).
std::string ScreenRow(int row, const u8 *vram = nullptr);
// Row 1..8 without its trailing blanks.
std::string ScreenRowTrimmed(int row, const u8 *vram = nullptr);
// The text of `cells` 6 x 8 cells from pixel (x, y) on (normal or reversed),
// without the blanks around it: text placed off the character grid, such as
// a textbook result right-aligned to the screen's edge (x 2 for 21 cells).
std::string ScreenTextAt(int x, int y, int cells, const u8 *vram = nullptr);
// All eight rows joined with '\n'.
std::string ScreenText(const u8 *vram = nullptr);
// Row 1..8 with 'R' for each reversed cell and '.' for each normal one.
std::string ScreenRowReversed(int row, const u8 *vram = nullptr);
// The calculator character codes of row 1..8 (one or two bytes each; 0xFF
// for an unknown cell).
std::string ScreenRowCodes(int row, const u8 *vram = nullptr);

// The dots as text: one line per dot row, '#' black and '.' clear, each line
// ended by '\n'. The region form shows w x h dots from (x, y).
std::string ScreenPicture(const u8 *vram = nullptr);
std::string ScreenPictureRegion(int x, int y, int w, int h, const u8 *vram = nullptr);
// Display memory from a picture as ScreenPicture writes it.
std::vector<u8> ScreenFromPicture(const std::string &picture);

// Writes the screen as a PNG picture, scale x scale image dots per screen dot
// with a margin, dark dots on a light ground; returns false on a write error.
bool ScreenWritePng(const std::string &path, int scale = 4, const u8 *vram = nullptr);
