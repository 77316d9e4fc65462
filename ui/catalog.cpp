#include "ui/catalog.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "data/token_names.h"
#include "memory/str.h"
#include "ui/fkey.h"
#include "ui/font.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/text.h"

namespace {

struct Entry {
  u16 code;
  char text[kStrTokenNameMax];  // calculator characters, leading blanks gone
  char key[kStrTokenNameMax];   // sort key: the UTF-8 name, blanks gone, letters lower case
};

// The entries in alphabetical order, made on first use from the token-name
// table (which never changes).
const std::vector<Entry> &Entries() {
  static const std::vector<Entry> entries = [] {
    std::vector<Entry> v;
    for (int i = 0; i < kTokenNameCount; ++i) {
      Entry e{};
      e.code = kTokenNames[i].code;
      char name[kStrTokenNameMax];
      StrTokenName(e.code, name);
      const char *p = name;
      while (*p == ' ') ++p;
      if (*p == 0) continue;
      std::memcpy(e.text, p, std::strlen(p) + 1);  // p lies inside name, as long at most
      const char *u = kTokenNames[i].utf8;
      while (*u == ' ') ++u;
      size_t n = 0;
      for (; u[n] && n + 1 < sizeof e.key; ++n) {
        const char c = u[n];
        e.key[n] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
      }
      e.key[n] = 0;
      v.push_back(e);
    }
    // Byte order of the keys puts names beginning with a symbol outside
    // ASCII after the letters; equal keys keep the table's order.
    std::stable_sort(v.begin(), v.end(), [](const Entry &a, const Entry &b) { return std::strcmp(a.key, b.key) < 0; });
    return v;
  }();
  return entries;
}

constexpr i32 kListRows = 7;
// Every menu key is off inside the catalog and the character grid.
constexpr u16 kAllMenus =
    kMaskOpt | kMaskVars | kMaskShiftVars | kMaskClip | kMaskShiftGroup | kMaskAlphaGroup | kMaskCatalog;

u32 g_cursor = 0;  // the entry chosen last

// The screen, cursor, modifier and menu state kept around a full-screen
// pop-up of this file.
struct Saved {
  u8 vram[1024];
  TextCursorState cursor;
  u16 mask;
  u8 modifier;
};

void Enter(Saved *s, u8 modifier) {
  LcdCopyVram(s->vram);
  TextGetCursor(&s->cursor);
  s->mask = KeyGetMenuMask();
  s->modifier = KeyGetModifier();
  KeySetMenuMask(kAllMenus);
  KeySetModifier(modifier);
  TextCursorOff();
  FkeyHideRow(1);
}

void Leave(const Saved &s) {
  FkeyHideRow(0);
  std::memcpy(LcdVramAddress(), s.vram, sizeof s.vram);
  KeySetMenuMask(s.mask);
  KeySetModifier(s.modifier);
  KeyForgetDrawnRow();
  TextSetCursor(&s.cursor);
}

void DrawList(u32 top, u32 cursor) {
  LcdClearVram();
  const std::vector<Entry> &v = Entries();
  for (i32 r = 0; r < kListRows && top + static_cast<u32>(r) < v.size(); ++r) {
    const u32 i = top + static_cast<u32>(r);
    TextLocate(1, r + 1);
    if (i == cursor) {
      TextPrintFieldRev(v[i].text, kLcdColumns);
    } else {
      TextPrintField(v[i].text, kLcdColumns);
    }
  }
}

// The characters of the grid: the font's symbols that no key types (not
// digits, not letters) and its extra characters of the 0xE5 and 0xE6 pages.
const std::vector<u16> &GridChars() {
  static const std::vector<u16> chars = [] {
    std::vector<u16> v;
    for (int i = 0; i < kFontGlyphCount; ++i) {
      const u16 c = kFontGlyphs[i].code;
      const bool symbol = c > 0x20 && c < 0x7F && !(c >= '0' && c <= '9') && !(c >= 'A' && c <= 'Z') &&
                          !(c >= 'a' && c <= 'z');
      const u8 lead = static_cast<u8>(c >> 8);
      if (symbol || lead == 0xE5 || lead == 0xE6) v.push_back(c);
    }
    return v;
  }();
  return chars;
}

constexpr i32 kGridColumns = 20;

}  // namespace

u32 CatalogEntryCount() { return static_cast<u32>(Entries().size()); }

u32 CatalogEntryCode(u32 i) { return i < Entries().size() ? Entries()[i].code : 0; }

const char *CatalogEntryText(u32 i) { return i < Entries().size() ? Entries()[i].text : ""; }

u32 CatalogFindLetter(char letter) {
  if (letter >= 'A' && letter <= 'Z') letter = static_cast<char>(letter - 'A' + 'a');
  const std::vector<Entry> &v = Entries();
  for (u32 i = 0; i < v.size(); ++i)
    if (v[i].key[0] == letter) return i;
  return static_cast<u32>(v.size());
}

void CatalogReset() { g_cursor = 0; }

u32 CatalogScreen() {
  const u32 count = CatalogEntryCount();
  if (count == 0) return 0;
  Saved saved;
  Enter(&saved, kModAlphaLock);  // letters jump without ALPHA
  u32 cursor = g_cursor < count ? g_cursor : 0;
  u32 top = cursor;
  u32 chosen = 0;
  for (;;) {
    if (cursor < top) top = cursor;
    if (cursor >= top + kListRows) top = cursor - kListRows + 1;
    DrawList(top, cursor);
    u32 key = 0;
    if (KeyGetKey(&key)) {
      const char c = static_cast<char>(key);
      if (key < 0x80 && ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) {
        const u32 at = CatalogFindLetter(c);
        if (at < count) {
          cursor = at;
          top = at;
        }
      }
      continue;
    }
    if (key == kKeyUp) {
      cursor = cursor > 0 ? cursor - 1 : count - 1;
    } else if (key == kKeyDown) {
      cursor = cursor + 1 < count ? cursor + 1 : 0;
    } else if (key == kKeyExe) {
      chosen = CatalogEntryCode(cursor);
      g_cursor = cursor;
      break;
    } else if (key == kKeyExit || key == kKeyQuit) {
      break;
    }
    // ALPHA inside the catalog would end the lock: keep letters coming.
    KeySetModifier(kModAlphaLock);
  }
  Leave(saved);
  return chosen;
}

u32 CatalogCharSelect() {
  const std::vector<u16> &chars = GridChars();
  const i32 count = static_cast<i32>(chars.size());
  if (count == 0) return 0;
  Saved saved;
  Enter(&saved, kModNone);
  i32 at = 0;
  u32 chosen = 0;
  for (;;) {
    const i32 top_row = (at / kGridColumns) / kListRows * kListRows;
    LcdClearVram();
    for (i32 r = 0; r < kListRows; ++r) {
      for (i32 c = 0; c < kGridColumns; ++c) {
        const i32 i = (top_row + r) * kGridColumns + c;
        if (i >= count) break;
        char text[3] = {static_cast<char>(chars[i] > 0xFF ? chars[i] >> 8 : chars[i]),
                        static_cast<char>(chars[i] > 0xFF ? chars[i] & 0xFF : 0), 0};
        TextLocate(c + 1, r + 1);
        if (i == at) {
          TextPutCharRev(text);
        } else {
          TextPutChar(text);
        }
      }
    }
    u32 key = 0;
    if (KeyGetKey(&key)) continue;
    if (key == kKeyLeft && at > 0) --at;
    if (key == kKeyRight && at + 1 < count) ++at;
    if (key == kKeyUp && at >= kGridColumns) at -= kGridColumns;
    if (key == kKeyDown && at + kGridColumns < count) at += kGridColumns;
    if (key == kKeyExe) {
      chosen = chars[at];
      break;
    }
    if (key == kKeyExit || key == kKeyQuit) break;
  }
  Leave(saved);
  return chosen;
}
