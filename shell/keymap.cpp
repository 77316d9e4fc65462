#include "shell/keymap.h"

#include <cstring>

namespace {

struct KeyPos {
  i16 key;
  i8 column;
  i8 row;
  const char *name;
};

// Searched in order, first match wins; ends at key number 0.
const KeyPos kKeyPositions[] = {
    {31, 3, 2, "EXE"},     {78, 7, 9, "SHIFT"},  {68, 6, 9, "OPT"},
    {47, 4, 8, "ESC"},     {48, 4, 9, "MENU"},   {38, 3, 9, "LEFT"},
    {28, 2, 9, "UP"},      {27, 2, 8, "RIGHT"},  {37, 3, 8, "DOWN"},
    {44, 4, 5, "DEL"},     {44, 4, 5, "DEL"},    {71, 7, 2, "0"},
    {72, 7, 3, "1"},       {62, 6, 3, "2"},      {52, 5, 3, "3"},
    {73, 7, 4, "4"},       {63, 6, 4, "5"},      {53, 5, 4, "6"},
    {74, 7, 5, "7"},       {64, 6, 5, "8"},      {54, 5, 5, "9"},
    {43, 4, 4, "*"},       {42, 4, 3, "+"},      {32, 3, 3, "-"},
    {61, 6, 2, "."},       {33, 3, 4, "/"},      {79, 7, 10, "F1"},
    {69, 6, 10, "F2"},     {59, 5, 10, "F3"},    {49, 4, 10, "F4"},
    {39, 3, 10, "F5"},     {29, 2, 10, "F6"},    {29, 2, 10, "F6"},
    {58, 5, 9, "VARS"},    {77, 7, 8, "ALPHA"},  {67, 6, 8, "^2"},
    {57, 5, 8, "^"},       {76, 7, 7, "XtT"},    {66, 6, 7, "log"},
    {56, 5, 7, "ln"},      {46, 4, 7, "sin"},    {36, 3, 7, "cos"},
    {26, 2, 7, "tan"},     {75, 7, 6, "ab/c"},   {65, 6, 6, "F<>D"},
    {55, 5, 6, "("},       {45, 4, 6, ")"},      {35, 3, 6, ","},
    {25, 2, 6, "->"},      {34, 1, 1, "AC"},     {51, 5, 2, "EXP"},
    {41, 4, 2, "(-)"},     {35, 6, 2, "."},      {711, 7, 12, "AnsCopy"},
    {611, 6, 12, "DispCopy"}, {411, 4, 12, "TEST"}, {211, 2, 12, "OSupdate"},
    {-1, -1, -1, ""},      {0, 0, 0, nullptr},
};

const KeyPos *FindKey(i16 key) {
  for (const KeyPos *p = kKeyPositions; p->key != 0; ++p) {
    if (p->key == key) return p;
  }
  return nullptr;
}

struct KeyDown {
  i32 vkey;
  i16 key;
  u16 code;
};

// Searched in order until a key number of 0.
const KeyDown kKeyDown[] = {
    {kVkReturn, 31, 0x1C00}, {kVkInsert, 78, 0x2A00}, {kVkEnd, 77, 0x3800},
    {kVkHome, 68, 0x1D00},   {kVkPrior, 58, 0x4600},  {kVkEscape, 47, 0x0100},
    {kVkSpace, -1, 0x0020},  {kVkNext, 48, 0x0F00},   {kVkLeft, 38, 0x4B00},
    {kVkUp, 28, 0x4800},     {kVkRight, 27, 0x4D00},  {kVkDown, 37, 0x5000},
    {kVkDelete, 44, 0x5300}, {kVkBack, 44, 0x5300},   {kVkF1, 79, 0x3B00},
    {kVkF2, 69, 0x3C00},     {kVkF3, 59, 0x3D00},     {kVkF4, 49, 0x3E00},
    {kVkF5, 39, 0x3F00},     {kVkF6, 29, 0x4000},     {kVkF7, 29, 0x4000},
    {kVkF9, 68, 0x1D00},     {kVkF10, 67, 0x4600},    {kVkF11, 77, 0x3800},
    {kVkF12, 77, 0x3800},    {kVkTab, 34, 0x4500},    {0, 0, 0},
};

struct CharKey {
  i32 ch;
  i16 key;
};

// Searched in order until the character -1.
const CharKey kCharKeys[] = {
    {'0', 71}, {'1', 72}, {'2', 62}, {'3', 52}, {'4', 73}, {'5', 63},
    {'6', 53}, {'7', 74}, {'8', 64}, {'9', 54}, {'(', 55}, {')', 45},
    {'.', 61}, {',', 35}, {'/', 33}, {'*', 43}, {'+', 42}, {'-', 32},
    {'!', -1}, {'"', -1}, {'#', -1}, {'$', -1}, {'%', -1}, {'&', -1},
    {'?', -1}, {'[', -1}, {']', -1}, {'{', -1}, {'}', -1}, {'=', -1},
    {':', -1}, {';', -1}, {'<', -1}, {'>', -1}, {'\'', -1}, {'@', -1},
    {'~', -1}, {'|', -1}, {'^', 57}, {-1, 0},
};

}  // namespace

// Searched in order, first match wins.
const ShellKeyRect kShellSkinKeyRects[kShellSkinKeyCount] = {
    {79, 0x3B00, 44, 293, 83, 315},   {69, 0x3C00, 87, 293, 126, 315},
    {59, 0x3D00, 130, 293, 169, 315}, {49, 0x3E00, 173, 293, 212, 315},
    {39, 0x3F00, 216, 293, 255, 315}, {29, 0x4000, 259, 293, 298, 315},
    {78, 0x2A00, 44, 332, 83, 355},   {68, 0x1D00, 87, 332, 126, 355},
    {58, 0x3A00, 130, 332, 169, 355}, {48, 0x0F00, 173, 332, 212, 355},
    {77, 0x3800, 44, 369, 83, 392},   {67, 0x4600, 87, 369, 126, 392},
    {57, 0x005E, 130, 369, 169, 392}, {47, 0x0100, 173, 369, 212, 392},
    {76, 0x0041, 44, 407, 83, 429},   {66, 0x0042, 87, 407, 126, 429},
    {56, 0x0043, 130, 407, 169, 429}, {46, 0x0044, 173, 407, 212, 429},
    {36, 0x0045, 216, 407, 255, 429}, {26, 0x0046, 259, 407, 298, 429},
    {75, 0x0047, 44, 444, 83, 466},   {65, 0x0048, 87, 444, 126, 466},
    {55, 0x0049, 130, 444, 169, 466}, {45, 0x004A, 173, 444, 212, 466},
    {35, 0x004B, 216, 444, 255, 466}, {25, 0x004C, 259, 444, 298, 466},
    {74, 0x0037, 44, 486, 90, 517},   {64, 0x0038, 96, 486, 142, 517},
    {54, 0x0039, 148, 486, 194, 517}, {44, 0x5300, 200, 486, 246, 517},
    {34, 0x4500, 252, 486, 298, 517}, {73, 0x0034, 44, 530, 90, 561},
    {63, 0x0035, 96, 530, 142, 561},  {53, 0x0036, 148, 530, 194, 561},
    {43, 0x0053, 200, 530, 246, 561}, {33, 0x0054, 252, 530, 298, 561},
    {72, 0x0031, 44, 574, 90, 605},   {62, 0x0032, 96, 574, 142, 605},
    {52, 0x0033, 148, 574, 194, 605}, {42, 0x0058, 200, 574, 246, 605},
    {32, 0x0059, 252, 574, 298, 605}, {71, 0x0030, 44, 618, 90, 649},
    {61, 0x002E, 96, 618, 142, 649},  {51, 0x5200, 148, 618, 194, 649},
    {41, 0x0C00, 200, 618, 246, 649}, {31, 0x1C00, 252, 618, 298, 649},
    {28, 0x4800, 248, 320, 278, 357}, {38, 0x4B00, 218, 320, 248, 395},
    {27, 0x4D00, 278, 320, 308, 395}, {37, 0x5000, 248, 357, 278, 395},
};

bool ShellMapKey(i16 key, i32 *column, i32 *row) {
  const KeyPos *p = FindKey(key);
  if (p == nullptr) return false;
  *column = p->column;
  *row = p->row;
  return true;
}

const char *ShellKeyName(i16 key) {
  const KeyPos *p = FindKey(key);
  return p == nullptr ? nullptr : p->name;
}

i16 ShellKeyByName(const char *name) {
  for (const KeyPos *p = kKeyPositions; p->key != 0; ++p) {
    if (p->key != kShellKeyChar && std::strcmp(p->name, name) == 0) return p->key;
  }
  return 0;
}

const ShellKeyRect *ShellSkinKeyAt(i32 x, i32 y) {
  for (const ShellKeyRect &r : kShellSkinKeyRects) {
    if (x >= r.left && x <= r.right && y >= r.top && y <= r.bottom) return &r;
  }
  return nullptr;
}

const ShellKeyRect *ShellSkinKeyRect(i16 key) {
  for (const ShellKeyRect &r : kShellSkinKeyRects) {
    if (r.key == key) return &r;
  }
  return nullptr;
}

void ShellRemapLabelBand(i32 *x, i32 *y) {
  if (*y >= 194 && *y < 211 && *x >= 45 && *x < 298) {
    *x = 44 + 43 * ((*x - 45) / 42);
    *y = 304;
  }
}

bool ShellLookupKeyDown(i32 vkey, i16 *key, u16 *code) {
  for (const KeyDown *k = kKeyDown; k->key != 0; ++k) {
    if (k->vkey == vkey) {
      *key = k->key;
      *code = k->code;
      return true;
    }
  }
  return false;
}

bool ShellIsCharRoadKey(i32 vkey) {
  return vkey == kVkDecimal || vkey == kVkMultiply || vkey == kVkAdd ||
         vkey == kVkSubtract || vkey == kVkDivide;
}

bool ShellLookupChar(i32 ch, i16 *key) {
  for (const CharKey *c = kCharKeys; c->ch != -1; ++c) {
    if (c->ch == ch) {
      *key = c->key;
      return true;
    }
  }
  return false;
}
