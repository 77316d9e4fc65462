// Sheet items, the current sheet and the cell store: every change is made
// in place inside the sheet's item, growing before it writes and shrinking
// after, so a change that fails for want of memory leaves the item as it was.
#include "apps/sheet/sheet_store.h"

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "memory/item_array.h"
#include "memory/mcs_api.h"
#include "memory/mcs_store.h"
#include "ui/setup.h"

namespace {

u16 Get16(const u8 *p) {
  u16 v;
  std::memcpy(&v, p, 2);
  return v;
}
u32 Get32(const u8 *p) {
  u32 v;
  std::memcpy(&v, p, 4);
  return v;
}
void Put32(u8 *p, u32 v) { std::memcpy(p, &v, 4); }

bool CellOk(i32 col, i32 row) { return col >= 1 && col <= kSheetCols && row >= 1 && row <= kSheetRows; }

// ---- layout ----

enum Which { kValue = 0, kReserved = 1, kText = 2 };

struct Lay {
  u32 n[3];      // entries of the value, reserved and text index
  u32 idx[3];    // offsets of the indexes
  u32 area[3];   // offsets of the areas
  u32 s0, s2, size;
};

void ReadLay(const u8 *d, u32 size, Lay *L) {
  L->n[kValue] = Get16(d + 2);
  L->n[kReserved] = Get16(d + 4);
  L->n[kText] = Get16(d + 6);
  L->s0 = Get32(d + 8);
  L->s2 = Get32(d + 12);
  L->idx[kValue] = 16;
  L->idx[kReserved] = 16 + 4 * L->n[kValue];
  L->idx[kText] = L->idx[kReserved] + 4 * L->n[kReserved];
  L->area[kValue] = L->idx[kText] + 4 * L->n[kText];
  L->area[kReserved] = L->area[kValue] + L->s0;
  L->area[kText] = L->area[kReserved] + L->s2;
  L->size = size;
}

u32 EntryOf(const u8 *d, const Lay &L, int w, i32 c) {
  if (c < 1 || static_cast<u32>(c) > L.n[w]) return 0;
  return Get32(d + L.idx[w] + 4 * (c - 1));
}

// ---- bitmap ----

bool Bit(const u8 *bm, i32 r) { return (bm[(r - 1) / 8] >> (7 - (r - 1) % 8)) & 1; }
void SetBit(u8 *bm, i32 r, bool on) {
  const u8 m = static_cast<u8>(1u << (7 - (r - 1) % 8));
  if (on)
    bm[(r - 1) / 8] |= m;
  else
    bm[(r - 1) / 8] &= static_cast<u8>(~m);
}
constexpr u8 kNibbleBits[16] = {0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4};
// Set bits for rows 1..r-1.
u32 BitsBefore(const u8 *bm, i32 r) {
  u32 n = 0;
  const i32 whole = (r - 1) / 8;
  for (i32 i = 0; i < whole; ++i) n += kNibbleBits[bm[i] >> 4] + kNibbleBits[bm[i] & 15];
  for (i32 q = whole * 8 + 1; q < r; ++q) n += Bit(bm, q);
  return n;
}
u32 BitCount(const u8 *bm) { return BitsBefore(bm, 1000); }
constexpr std::array<u8, 256> BuildByteBits() {
  std::array<u8, 256> t{};
  for (u32 b = 0; b < 256; ++b) t[b] = static_cast<u8>(kNibbleBits[b >> 4] + kNibbleBits[b & 15]);
  return t;
}
constexpr std::array<u8, 256> kByteBits = BuildByteBits();

void CopyName(char out[9], const char *name) {
  u32 n = 0;
  if (name)
    while (n < 8 && name[n]) {
      out[n] = name[n];
      ++n;
    }
  out[n] = 0;
}

// While a recalculation or another long pass runs, the current sheet is
// kept open: its name, place and layout, each column's block offsets and,
// built as columns are read, the running count of set bits of each value
// bitmap. The view is taken afresh whenever main memory's change count has
// moved (any item may have moved or changed size) or the store itself has
// changed anything but link words and numbers written in place.
struct View {
  u32 depth;
  bool valid;
  char name[9];
  u8 *data;
  u32 size;
  u64 count;
  Lay L;
  u32 blockAt[3][kSheetCols + 1];
  bool counted[kSheetCols + 1];
  u16 before[kSheetCols + 1][126];  // set bits in bitmap bytes 0..i-1
};
View g_view{};

// Every change by the store other than a link word or a number written in
// place drops the view.
void DropView() { g_view.valid = false; }

bool SameName(const char *a, const char *b) {
  for (u32 i = 0; i < 8; ++i) {
    if (a[i] != b[i]) return false;
    if (!a[i]) return true;
  }
  return true;
}

// The view is checked against main memory's change count whenever a cell
// operation opens the sheet; between that check and the operation's end
// only the store's own changes can move it, and they drop the view. So a
// data pointer equal to the view's, while the view holds, is the kept sheet.
bool ViewHolds(const u8 *d) { return g_view.valid && d == g_view.data; }

bool SessionHit(const char *name, u8 **d, u32 *size, char *res) {
  if (!g_view.depth || !g_view.valid) return false;
  if (McsChangeCount() != g_view.count) {
    g_view.valid = false;
    return false;
  }
  if (name && name[0] && !SameName(name, g_view.name)) return false;
  *d = g_view.data;
  if (size) *size = g_view.size;
  if (res) std::memcpy(res, g_view.name, 9);
  return true;
}

void TakeView(const char *res, u8 *d, u32 size) {
  CopyName(g_view.name, res);
  g_view.data = d;
  g_view.size = size;
  g_view.count = McsChangeCount();
  ReadLay(d, size, &g_view.L);
  for (int w = 0; w < 3; ++w) {
    u32 at = g_view.L.area[w];
    for (i32 c = 1; c <= kSheetCols; ++c) {
      g_view.blockAt[w][c] = at;
      if (static_cast<u32>(c) <= g_view.L.n[w]) at += Get32(d + g_view.L.idx[w] + 4 * (static_cast<u32>(c) - 1));
    }
  }
  std::memset(g_view.counted, 0, sizeof g_view.counted);
  g_view.valid = true;
}

u32 BlockAt(const u8 *d, const Lay &L, int w, i32 c) {
  if (ViewHolds(d) && c >= 1 && c <= kSheetCols) return g_view.blockAt[w][c];
  u32 at = L.area[w];
  const u32 upto = static_cast<u32>(c) - 1 < L.n[w] ? static_cast<u32>(c) - 1 : L.n[w];
  for (u32 k = 0; k < upto; ++k) at += Get32(d + L.idx[w] + 4 * k);
  return at;
}

// Set bits for rows 1..r-1 of column col's bitmap at bm, from the view's
// running counts when bm is the kept sheet's own bitmap.
u32 RowsBefore(const u8 *d, i32 col, const u8 *bm, i32 r) {
  if (!ViewHolds(d) || col < 1 || col > kSheetCols || bm != d + g_view.blockAt[kValue][col]) return BitsBefore(bm, r);
  u16 *before = g_view.before[col];
  if (!g_view.counted[col]) {
    u32 n = 0;
    for (u32 i = 0; i < 125; ++i) {
      before[i] = static_cast<u16>(n);
      n += kByteBits[bm[i]];
    }
    before[125] = static_cast<u16>(n);
    g_view.counted[col] = true;
  }
  const u32 byte = static_cast<u32>(r - 1) / 8, bit = static_cast<u32>(r - 1) % 8;
  return before[byte] + kByteBits[bm[byte] >> (8 - bit)];
}

// Offset in the opened sheet d of the number stored for (col, row), or 0
// when the cell holds none (the item's header comes first, so no number
// lies at 0).
u32 NumberAt(const u8 *d, const Lay &L, i32 col, i32 row) {
  if (EntryOf(d, L, kValue, col) < 128) return 0;
  const u32 at = BlockAt(d, L, kValue, col);
  if (!Bit(d + at, row)) return 0;
  return at + 128 + 12 * RowsBefore(d, col, d + at, row);
}

// ---- the checked-item cache ----

struct Trusted {
  char name[9];
  const u8 *data;
  u32 size;
};
Trusted g_trusted{};


void Remember(const char *res) {
  u32 size = 0;
  u8 *d = nullptr;
  if (McsOpenInFolderPtr(kSheetFolder, res, &size, &d) != 0) {
    g_trusted = {};
    return;
  }
  CopyName(g_trusted.name, res);
  g_trusted.data = d;
  g_trusted.size = size;
}

bool IsTrusted(const char *res, const u8 *d, u32 size) {
  if (std::strcmp(g_trusted.name, res) == 0 && g_trusted.data == d && g_trusted.size == size) return true;
  if (!SheetCheckItem(d, size)) return false;
  CopyName(g_trusted.name, res);
  g_trusted.data = d;
  g_trusted.size = size;
  return true;
}

// Change primitives: each keeps the caches in step with the item.
u32 Ins(const char *res, u32 off, u32 n, const void *src) {
  if (n == 0) return 0;
  DropView();
  const u32 r = McsInsertInFolder(kSheetFolder, res, n, src, off);
  Remember(res);
  return r;
}
void Cut(const char *res, u32 off, u32 n) {
  if (n == 0) return;
  DropView();
  McsCutInFolder(kSheetFolder, res, n, off);
  Remember(res);
}
// A write in place that leaves the layout and the bitmaps as they were: a
// link word (flags and state) or one stored number. While a pass keeps the
// current sheet open, straight into the item.
void WrKeep(const char *res, u32 off, u32 n, const void *src) {
  u8 *d = nullptr;
  u32 size = 0;
  if (SessionHit(res, &d, &size, nullptr) && u64{off} + n <= size) {
    std::memmove(d + off, src, n);
    return;
  }
  DropView();
  McsWriteInFolder(kSheetFolder, res, n, src, off);
}
// The same where d is the item as the caller opened it: while the view
// holds, straight into it without looking the sheet up again.
void WrKeepAt(const char *res, const u8 *d, u32 off, u32 n, const void *src) {
  if (ViewHolds(d) && u64{off} + n <= g_view.size) {
    std::memmove(g_view.data + off, src, n);
    return;
  }
  WrKeep(res, off, n, src);
}
// Any other write in place (its size does not change).
void Wr(const char *res, u32 off, u32 n, const void *src) {
  WrKeep(res, off, n, src);
  DropView();
}
void Wr16(const char *res, u32 off, u32 v) {
  const u16 w = static_cast<u16>(v);
  Wr(res, off, 2, &w);
}
void Wr32(const char *res, u32 off, u32 v) { Wr(res, off, 4, &v); }
void WrLink(const char *res, const u8 *d, u32 off, u32 v) { WrKeepAt(res, d, off, 4, &v); }

// Opens the sheet of name (the current one when empty), its resolved name
// into res.
u8 *OpenRes(const char *name, char res[9], u32 *size) {
  u8 *hit = nullptr;
  if (SessionHit(name, &hit, size, res)) return hit;
  if (name && name[0])
    CopyName(res, name);
  else
    SheetGetCurrentName(res);
  u32 sz = 0;
  u8 *d = SheetOpen(res, &sz);
  if (!d) return nullptr;
  if (!res[0]) SheetGetCurrentName(res);
  if (size) *size = sz;
  return d;
}

bool Open(const char *name, char res[9], const u8 **d, Lay *L) {
  // The current sheet while a pass keeps it: its layout as kept.
  u8 *kept = nullptr;
  if ((!name || !name[0]) && SessionHit(nullptr, &kept, nullptr, res)) {
    *d = kept;
    *L = g_view.L;
    return true;
  }
  u32 size = 0;
  u8 *p = OpenRes(name, res, &size);
  if (!p) return false;
  ReadLay(p, size, L);
  *d = p;
  return true;
}

// Makes index w hold at least c entries: the number of entries added.
u32 GrowIndex(const char *res, int w, i32 c, u32 *added) {
  *added = 0;
  const u8 *d;
  Lay L;
  u32 size = 0;
  d = SheetOpen(res, &size);
  if (!d) return kSheetErrOpen;
  ReadLay(d, size, &L);
  if (static_cast<u32>(c) <= L.n[w]) return 0;
  const u32 k = static_cast<u32>(c) - L.n[w];
  if (Ins(res, L.idx[w] + 4 * L.n[w], 4 * k, nullptr) != 0) return kSheetErrMemory;
  Wr16(res, 2 + 2 * static_cast<u32>(w == kValue ? 0 : w == kReserved ? 1 : 2), static_cast<u32>(c));
  *added = k;
  return 0;
}

// Cuts trailing zero entries of index w.
void TrimIndex(const char *res, int w) {
  u32 size = 0;
  const u8 *d = SheetOpen(res, &size);
  if (!d) return;
  Lay L;
  ReadLay(d, size, &L);
  u32 n = L.n[w];
  while (n > 0 && Get32(d + L.idx[w] + 4 * (n - 1)) == 0) --n;
  if (n == L.n[w]) return;
  Cut(res, L.idx[w] + 4 * n, 4 * (L.n[w] - n));
  Wr16(res, 2 + 2 * static_cast<u32>(w == kValue ? 0 : w == kReserved ? 1 : 2), n);
}

// Removes `added` entries from the end of index w (undo of GrowIndex).
void ShrinkIndex(const char *res, int w, u32 added) {
  if (!added) return;
  u32 size = 0;
  const u8 *d = SheetOpen(res, &size);
  if (!d) return;
  Lay L;
  ReadLay(d, size, &L);
  Cut(res, L.idx[w] + 4 * (L.n[w] - added), 4 * added);
  Wr16(res, 2 + 2 * static_cast<u32>(w == kValue ? 0 : w == kReserved ? 1 : 2), L.n[w] - added);
}

// Adds delta to column c's entry of index w and to the area's size field.
void AddToEntry(const char *res, int w, i32 c, i32 delta) {
  u32 size = 0;
  const u8 *d = SheetOpen(res, &size);
  if (!d) return;
  Lay L;
  ReadLay(d, size, &L);
  const u32 at = L.idx[w] + 4 * (static_cast<u32>(c) - 1);
  Wr32(res, at, Get32(d + at) + static_cast<u32>(delta));
  if (w == kValue) Wr32(res, 8, L.s0 + static_cast<u32>(delta));
  if (w == kReserved) Wr32(res, 12, L.s2 + static_cast<u32>(delta));
}

// ---- text blocks ----

struct TRow {
  u8 flags = 0;
  u8 state = 0;
  std::string formula, text;
};

u32 RecBytes(size_t len) { return static_cast<u32>((len + 4) & ~size_t{3}); }

// Reads a checked text block into rows (rows[0] is row 1).
void ParseText(const u8 *blk, u32 bytes, std::vector<TRow> *rows) {
  rows->clear();
  if (bytes < 4) return;
  const u32 n = Get32(blk);
  rows->resize(n);
  const u8 *recs = blk + 4 + 4 * n;
  for (u32 i = 0; i < n; ++i) {
    const u32 link = Get32(blk + 4 + 4 * i);
    TRow &r = (*rows)[i];
    r.flags = static_cast<u8>(link >> 24);
    r.state = static_cast<u8>(link >> 16);
    if ((link & 0xFFFF) == 0xFFFF) {
      r.flags = 0;
      r.state = 0;
      continue;
    }
    const char *p = reinterpret_cast<const char *>(recs + (link & 0xFFFF));
    if (r.flags & kSheetFlagFormula) {
      r.formula = p;
      p += RecBytes(r.formula.size());
    }
    if (r.flags & kSheetFlagText) r.text = p;
  }
}

// Serialises rows (trailing rows without text dropped); false when an
// offset would not fit in 16 bits.
bool SerText(std::vector<TRow> *rows, std::vector<u8> *out) {
  while (!rows->empty() && (rows->back().flags & (kSheetFlagText | kSheetFlagFormula)) == 0) rows->pop_back();
  out->clear();
  if (rows->empty()) return true;
  const u32 n = static_cast<u32>(rows->size());
  u32 recs = 0;
  for (const TRow &r : *rows) {
    if (r.flags & kSheetFlagFormula) recs += RecBytes(r.formula.size());
    if (r.flags & kSheetFlagText) recs += RecBytes(r.text.size());
  }
  out->assign(4 + 4 * n + recs, 0);
  Put32(out->data(), n);
  u32 off = 0;
  for (u32 i = 0; i < n; ++i) {
    TRow &r = (*rows)[i];
    if ((r.flags & (kSheetFlagText | kSheetFlagFormula)) == 0) {
      Put32(out->data() + 4 + 4 * i, 0x0000FFFFu);
      continue;
    }
    if (off >= 0xFFFF) return false;
    if (!(r.flags & kSheetFlagFormula)) r.flags &= static_cast<u8>(~kSheetFlagMark);
    Put32(out->data() + 4 + 4 * i, (u32{r.flags} << 24) | (u32{r.state} << 16) | off);
    u8 *p = out->data() + 4 + 4 * n + off;
    if (r.flags & kSheetFlagFormula) {
      std::memcpy(p, r.formula.data(), r.formula.size());
      p += RecBytes(r.formula.size());
      off += RecBytes(r.formula.size());
    }
    if (r.flags & kSheetFlagText) {
      std::memcpy(p, r.text.data(), r.text.size());
      off += RecBytes(r.text.size());
    }
  }
  return true;
}

bool LoadText(const char *name, char res[9], i32 col, std::vector<TRow> *rows) {
  const u8 *d;
  Lay L;
  if (!Open(name, res, &d, &L)) return false;
  const u32 bytes = EntryOf(d, L, kText, col);
  ParseText(d + BlockAt(d, L, kText, col), bytes, rows);
  return true;
}

// Bytes the column's text block would change by, or kSheetNeedRefused.
i32 TextGrowth(const char *res, i32 col, std::vector<TRow> rows) {
  std::vector<u8> ser;
  if (!SerText(&rows, &ser)) return kSheetNeedRefused;
  u32 size = 0;
  const u8 *d = SheetOpen(res, &size);
  if (!d) return kSheetNeedRefused;
  Lay L;
  ReadLay(d, size, &L);
  i32 grow = static_cast<i32>(ser.size()) - static_cast<i32>(EntryOf(d, L, kText, col));
  if (!ser.empty() && static_cast<u32>(col) > L.n[kText]) grow += 4 * (col - static_cast<i32>(L.n[kText]));
  return grow;
}

// Replaces the column's text block by rows: 0, or 20 when it does not fit
// (nothing changed).
u32 StoreText(const char *res, i32 col, std::vector<TRow> rows) {
  std::vector<u8> ser;
  if (!SerText(&rows, &ser)) return kSheetErrText;
  u32 size = 0;
  const u8 *d = SheetOpen(res, &size);
  if (!d) return kSheetErrOpen;
  Lay L;
  ReadLay(d, size, &L);
  const u32 old = EntryOf(d, L, kText, col);
  if (ser.empty()) {
    if (old == 0) return 0;
    Cut(res, BlockAt(d, L, kText, col), old);
    AddToEntry(res, kText, col, -static_cast<i32>(old));
    TrimIndex(res, kText);
    return 0;
  }
  u32 added = 0;
  if (GrowIndex(res, kText, col, &added) != 0) return kSheetErrText;
  d = SheetOpen(res, &size);
  ReadLay(d, size, &L);
  const u32 at = BlockAt(d, L, kText, col);
  const u32 n = static_cast<u32>(ser.size());
  if (n > old && Ins(res, at + old, n - old, nullptr) != 0) {
    ShrinkIndex(res, kText, added);
    return kSheetErrText;
  }
  Wr(res, at, n, ser.data());
  if (n < old) Cut(res, at + n, old - n);
  AddToEntry(res, kText, col, static_cast<i32>(n) - static_cast<i32>(old));
  return 0;
}

// Link word of (col,row) and its place, 0 when the row has no link.
u32 LinkAt(const u8 *d, const Lay &L, i32 col, i32 row, u32 *place) {
  const u32 bytes = EntryOf(d, L, kText, col);
  if (bytes < 4) return 0;
  const u32 at = BlockAt(d, L, kText, col);
  const u32 n = Get32(d + at);
  if (row < 1 || static_cast<u32>(row) > n) return 0;
  *place = at + 4 + 4 * (static_cast<u32>(row) - 1);
  return Get32(d + *place);
}

// One cell of an opened sheet: the sheet's resolved name, data and layout,
// and the cell's link word with its place.
struct CellLink {
  char res[9];
  const u8 *d;
  Lay L;
  u32 place;
  u32 link;  // 0 when the cell has no text record
};

// Opens the sheet of name and finds the link word of (col,row); false when
// the cell lies outside the sheet or the sheet cannot be opened. A link
// marked as having no record reads as 0, so its flags and state read as 0.
bool OpenCellLink(const char *name, i32 col, i32 row, CellLink *c) {
  if (!CellOk(col, row) || !Open(name, c->res, &c->d, &c->L)) return false;
  c->place = 0;
  c->link = LinkAt(c->d, c->L, col, row, &c->place);
  if ((c->link & 0xFFFF) == 0xFFFF) c->link = 0;
  return true;
}

// ---- the item check ----

bool CheckString(const u8 *p, u32 avail, u32 *used) {
  const u32 lim = avail < kSheetTextMax + 1 ? avail : kSheetTextMax + 1;
  const void *z = std::memchr(p, 0, lim);
  if (!z) return false;
  const u32 len = static_cast<u32>(static_cast<const u8 *>(z) - p);
  if (RecBytes(len) > avail) return false;
  *used = RecBytes(len);
  return true;
}

bool CheckTextBlock(const u8 *b, u32 bytes) {
  if (bytes < 4 || (bytes & 3)) return false;
  const u32 n = Get32(b);
  if (n > static_cast<u32>(kSheetRows) || 4 + 4 * u64{n} > bytes) return false;
  const u32 recs = bytes - 4 - 4 * n;
  u32 off = 0;
  for (u32 i = 0; i < n; ++i) {
    const u32 link = Get32(b + 4 + 4 * i);
    const u8 flags = static_cast<u8>(link >> 24);
    if ((link & 0xFFFF) == 0xFFFF) {
      if (flags != 0) return false;
      continue;
    }
    if ((flags & ~(kSheetFlagText | kSheetFlagFormula | kSheetFlagMark)) != 0) return false;
    if ((flags & (kSheetFlagText | kSheetFlagFormula)) == 0) return false;
    if ((flags & kSheetFlagMark) && !(flags & kSheetFlagFormula)) return false;
    if ((link & 0xFFFF) != off) return false;
    const u8 *p = b + 4 + 4 * n + off;
    u32 used = 0;
    if (flags & kSheetFlagFormula) {
      if (!CheckString(p, recs - off, &used) || p[0] != '=') return false;
      off += used;
      p += used;
    }
    if (flags & kSheetFlagText) {
      if (!CheckString(p, recs - off, &used)) return false;
      off += used;
    }
  }
  return off == recs;
}

bool CheckValueBlock(const u8 *b, u32 bytes) {
  if (bytes < 128 || (bytes - 128) % 12 != 0) return false;
  if (b[124] & 1 || b[125] || b[126] || b[127]) return false;
  const u32 n = (bytes - 128) / 12;
  if (BitCount(b) != n) return false;
  for (u32 k = 0; k < n; ++k) {
    BcdReal r;
    std::memcpy(&r, b + 128 + 12 * k, 12);
    if (!RealIsWellFormed(&r)) return false;
  }
  return true;
}

}  // namespace

bool SheetCheckItem(const u8 *d, u32 size) {
  if (!d || size < 16 || d[0] != 1 || d[1] != 0) return false;
  Lay L;
  ReadLay(d, size, &L);
  for (int w = 0; w < 3; ++w)
    if (L.n[w] > static_cast<u32>(kSheetCols) || Get16(d + 2 + 2 * w) & 0x8000) return false;
  if (u64{L.area[kValue]} + L.s0 + L.s2 > size) return false;
  u64 sums[3] = {0, 0, 0};
  for (int w = 0; w < 3; ++w)
    for (u32 c = 0; c < L.n[w]; ++c) sums[w] += Get32(d + L.idx[w] + 4 * c);
  if (sums[kValue] != L.s0 || sums[kReserved] != L.s2 || sums[kText] != size - L.area[kText]) return false;
  u32 at = L.area[kValue];
  for (u32 c = 0; c < L.n[kValue]; ++c) {
    const u32 e = Get32(d + L.idx[kValue] + 4 * c);
    if (e && !CheckValueBlock(d + at, e)) return false;
    at += e;
  }
  at = L.area[kText];
  for (u32 c = 0; c < L.n[kText]; ++c) {
    const u32 e = Get32(d + L.idx[kText] + 4 * c);
    if (e && !CheckTextBlock(d + at, e)) return false;
    at += e;
  }
  return true;
}

// ---- items and names ----

bool SheetCreate(const char *name, char *out) {
  char res[9];
  const size_t len = name ? strnlen(name, 9) : 0;
  CopyName(res, len < 1 || len > 8 ? kSheetDefaultName : name);
  if (out) std::memcpy(out, res, sizeof res);
  u8 bare[16] = {1, 0};
  DropView();
  const u32 r = McsCreateInFolder(kSheetFolder, res, 16, bare);
  return r == 0 || r == 37;
}

u32 SheetClassifyName(const char *name) {
  char res[9];
  CopyName(res, name);
  u32 size = 0;
  u8 *d = nullptr;
  if (!res[0] || McsOpenInFolderPtr(kSheetFolder, res, &size, &d) != 0 || size < 1) return 1;
  return IsTrusted(res, d, size) ? 0 : 2;
}

u32 SheetResetNameItem() {
  DropView();
  McsDeleteInFolder(kSheetFolder, kSheetNameItem);
  u8 item[10] = {1, 0};
  return McsCreateInFolder(kSheetFolder, kSheetNameItem, 10, item);
}

u32 SheetReadNameItem(u8 buf[10]) {
  u32 size = 0;
  u8 *d = nullptr;
  if (McsOpenInFolderPtr(kSheetFolder, kSheetNameItem, &size, &d) != 0) {
    if (const u32 r = SheetResetNameItem()) return r;
    if (McsOpenInFolderPtr(kSheetFolder, kSheetNameItem, &size, &d) != 0) return kSheetErrMemory;
  }
  // A record of the wrong size or form is rebuilt empty.
  if (size < 10 || d[0] != 1 || d[1] != 0) {
    if (const u32 r = SheetResetNameItem()) return r;
    if (McsOpenInFolderPtr(kSheetFolder, kSheetNameItem, &size, &d) != 0 || size < 10) return kSheetErrMemory;
  }
  std::memcpy(buf, d, 10);
  return 0;
}

u32 SheetSetCurrentName(const char *name) {
  if (!name || name[0] == '@') return 0;
  if (SheetClassifyName(name) == 2) return 2;
  u8 buf[10];
  if (SheetReadNameItem(buf) != 0) return 0;
  u8 field[8] = {};
  for (u32 i = 0; i < 8 && name[i]; ++i) field[i] = static_cast<u8>(name[i]);
  // Another sheet may become current: the kept one is let go.
  DropView();
  const u32 r = McsWriteInFolder(kSheetFolder, kSheetNameItem, 8, field, 2);
  return r <= 2 ? 1 : 0;
}

char *SheetGetCurrentName(char buf[9]) {
  u8 item[10];
  buf[0] = 0;
  if (SheetReadNameItem(item) != 0) return buf;
  std::memcpy(buf, item + 2, 8);
  buf[8] = 0;
  return buf;
}

void SheetMakeDefault() {
  char name[9];
  CopyName(name, kSheetDefaultName);
  if (SheetCreate(name, nullptr) && SheetClassifyName(name) == 0)
    SheetSetCurrentName(name);
  else
    SheetSetCurrentName("");
}

u8 *SheetOpen(const char *name, u32 *size) {
  u8 *hit = nullptr;
  if (SessionHit(name, &hit, size, nullptr)) return hit;
  char res[9], cur[9] = {};
  // The current name is read first: reading it may rebuild its item, which
  // moves items.
  const bool named = name && name[0];
  if (!named || g_view.depth) SheetGetCurrentName(cur);
  if (named)
    CopyName(res, name);
  else
    CopyName(res, cur);
  u32 sz = 0;
  u8 *d = nullptr;
  if (!res[0] || McsOpenInFolderPtr(kSheetFolder, res, &sz, &d) != 0) {
    if (res[0] == '@') return nullptr;
    if (!SheetCreate(res, res)) return nullptr;
    SheetSetCurrentName(res);
    if (g_view.depth) SheetGetCurrentName(cur);
    if (McsOpenInFolderPtr(kSheetFolder, res, &sz, &d) != 0) return nullptr;
  }
  if (!IsTrusted(res, d, sz)) return nullptr;
  if (size) *size = sz;
  // Only the current sheet is kept.
  if (g_view.depth && std::strcmp(cur, res) == 0) TakeView(res, d, sz);
  return d;
}

void SheetSessionBegin() {
  if (g_view.depth++ == 0) g_view.valid = false;
}

void SheetSessionEnd() {
  if (g_view.depth > 0 && --g_view.depth == 0) g_view.valid = false;
}

u32 SheetDelete(const char *name) {
  char res[9], cur[9];
  CopyName(res, name);
  SheetGetCurrentName(cur);
  DropView();
  if (const u32 r = McsDeleteInFolder(kSheetFolder, res)) return r;
  if (std::strcmp(res, g_trusted.name) == 0) g_trusted = {};
  if (std::strcmp(res, cur) == 0) {
    char def[9];
    CopyName(def, kSheetDefaultName);
    if (SheetCreate(def, nullptr) && SheetClassifyName(def) == 0)
      SheetSetCurrentName(def);
    else
      SheetSetCurrentName("");
  }
  return 0;
}

u32 SheetSaveAs(const char *newName, const char *oldName) {
  char to[9], from[9];
  CopyName(to, newName);
  CopyName(from, oldName);
  if (std::strcmp(to, from) == 0) return 0;
  u32 oldSize = 0;
  if (!SheetOpen(from, &oldSize)) return kSheetErrOpen;
  u32 have = 0;
  u8 *d = nullptr;
  const bool exists = McsOpenInFolderPtr(kSheetFolder, to, &have, &d) == 0;
  if (!exists) have = 0;
  if (u64{have} + SheetFreeBytes() < oldSize) return 48;
  DropView();
  if (exists) McsDeleteInFolder(kSheetFolder, to);
  const u32 r = McsCopyItem(kSheetFolder, from, kSheetFolder, to);
  if (r == 0 || r == 48) return 0;
  return McsMapError(r);
}

u32 SheetCount() {
  u8 names[300 * 9];
  const u32 n = McsListItemsOfType(kSheetFolder, McsKindToType(kMcsKindFolder), names);
  u32 count = 0;
  for (u32 i = 0; i < n; ++i)
    if (names[i * 9] != '@') ++count;
  return count;
}

u32 SheetListNames(char names[][9], u32 first, u32 max) {
  u8 all[300 * 9];
  const u32 n = McsListItemsOfType(kSheetFolder, McsKindToType(kMcsKindFolder), all);
  u32 seen = 0, out = 0;
  for (u32 i = 0; i < n && out < max; ++i) {
    if (all[i * 9] == '@') continue;
    ++seen;
    if (seen < first) continue;
    CopyName(names[out++], reinterpret_cast<const char *>(all + i * 9));
  }
  return out;
}

u32 SheetFreeBytes() {
  u32 total = 0, used = 0, free_bytes = 0;
  McsGetMemoryUse(&total, &used, &free_bytes);
  return free_bytes;
}

// ---- numbers ----

u32 SheetReadValue(const char *name, i32 col, i32 row, Value *out) {
  std::memset(out, 0, sizeof *out);
  if (!CellOk(col, row)) return 0;
  char res[9];
  const u8 *d;
  Lay L;
  if (!Open(name, res, &d, &L)) return 0;
  const u32 at = NumberAt(d, L, col, row);
  if (at == 0) return 0;
  std::memcpy(&out->re, d + at, 12);
  return 1;
}

u32 SheetValueNeed(const char *name, i32 col, i32 row) {
  if (!CellOk(col, row)) return 0;
  char res[9];
  const u8 *d;
  Lay L;
  if (!Open(name, res, &d, &L)) return 0;
  u32 need = 0;
  if (static_cast<u32>(col) > L.n[kValue]) need += 4 * (static_cast<u32>(col) - L.n[kValue]);
  const u32 e = EntryOf(d, L, kValue, col);
  if (e < 128) return need + 128 + 12;
  return Bit(d + BlockAt(d, L, kValue, col), row) ? 0 : 12;
}

u32 SheetWriteValue(const char *name, i32 col, i32 row, const Value *v) {
  if (!CellOk(col, row)) return kSheetErrLimit;
  CplxPair parts;
  ValSplit(v, &parts);
  char res[9];
  const u8 *d;
  Lay L;
  if (!Open(name, res, &d, &L)) return kSheetErrOpen;
  // A cell that holds a number already: overwritten in place.
  if (const u32 at = NumberAt(d, L, col, row)) {
    WrKeepAt(res, d, at, 12, &parts.re);
    return 0;
  }
  if (SheetFreeBytes() < SheetValueNeed(res, col, row)) return kSheetErrNoBlock;
  u32 added = 0;
  if (GrowIndex(res, kValue, col, &added) != 0) return kSheetErrNoBlock;
  u32 size = 0;
  d = SheetOpen(res, &size);
  ReadLay(d, size, &L);
  u32 at = BlockAt(d, L, kValue, col);
  bool madeBlock = false;
  if (EntryOf(d, L, kValue, col) < 128) {
    if (Ins(res, at, 128, nullptr) != 0) {
      ShrinkIndex(res, kValue, added);
      return kSheetErrNoBlock;
    }
    AddToEntry(res, kValue, col, 128);
    madeBlock = true;
  }
  d = SheetOpen(res, &size);
  u8 bm[128];
  std::memcpy(bm, d + at, 128);
  // The cell held no number (one held is overwritten above): it is inserted.
  const u32 place = at + 128 + 12 * BitsBefore(bm, row);
  if (Ins(res, place, 12, &parts.re) != 0) {
    if (madeBlock) {
      Cut(res, at, 128);
      AddToEntry(res, kValue, col, -128);
    }
    ShrinkIndex(res, kValue, added);
    TrimIndex(res, kValue);
    return kSheetErrMemory;
  }
  AddToEntry(res, kValue, col, 12);
  SetBit(bm, row, true);
  Wr(res, at, 128, bm);
  return 0;
}

namespace {

// Rebuilds a column's values from a new bitmap and value list (bytes cut
// only: the block never grows here).
void ClearValueRows(const char *res, i32 col, i32 row, i32 count) {
  u32 size = 0;
  const u8 *d = SheetOpen(res, &size);
  if (!d) return;
  Lay L;
  ReadLay(d, size, &L);
  const u32 e = EntryOf(d, L, kValue, col);
  if (e < 128) return;
  const u32 at = BlockAt(d, L, kValue, col);
  u8 bm[128];
  std::memcpy(bm, d + at, 128);
  const i32 last = row + count - 1;
  u32 first = 0, n = 0;
  for (i32 r = row; r <= last; ++r) {
    if (!Bit(bm, r)) continue;
    if (n == 0) first = BitsBefore(bm, r);
    ++n;
  }
  if (n == 0) return;
  for (i32 r = row; r <= last; ++r) SetBit(bm, r, false);
  if (BitCount(bm) == 0) {
    Cut(res, at, e);
    AddToEntry(res, kValue, col, -static_cast<i32>(e));
    TrimIndex(res, kValue);
    return;
  }
  Cut(res, at + 128 + 12 * first, 12 * n);
  AddToEntry(res, kValue, col, -static_cast<i32>(12 * n));
  Wr(res, at, 128, bm);
}

}  // namespace

void SheetClearValues(const char *name, i32 col, i32 row, i32 count) {
  if (col < 1 || col > kSheetCols || row < 1 || count < 1 || row + count - 1 > kSheetRows) return;
  char res[9];
  const u8 *d;
  Lay L;
  if (!Open(name, res, &d, &L)) return;
  ClearValueRows(res, col, row, count);
}

// ---- texts ----

u32 SheetReadText(const char *name, i32 col, i32 row, char *dst, u32 kind, u32 *lenOut) {
  CellLink c;
  if (!OpenCellLink(name, col, row, &c)) return 0;
  const u8 *d = c.d;
  const Lay &L = c.L;
  const u32 link = c.link;
  const u8 flags = static_cast<u8>(link >> 24);
  if (!(flags & kind)) return 0;
  const u32 bytes = EntryOf(d, L, kText, col);
  const u8 *blk = d + BlockAt(d, L, kText, col);
  const char *p = reinterpret_cast<const char *>(blk + 4 + 4 * Get32(blk) + (link & 0xFFFF));
  if (kind == kSheetFlagText && (flags & kSheetFlagFormula)) p += RecBytes(std::strlen(p));
  (void)bytes;
  const u32 len = static_cast<u32>(std::strlen(p));
  if (lenOut) *lenOut = len;
  // The record is NUL-ended within 256 bytes (checked when opened): the copy
  // stops at its terminator.
  if (dst) std::memcpy(dst, p, len + 1);
  return 1;
}

u32 SheetReadPlainText(const char *name, i32 col, i32 row, char **out) {
  static char buf[kSheetTextMax + 1];
  if (SheetReadText(name, col, row, buf, kSheetFlagText, nullptr)) {
    *out = buf;
    return 1;
  }
  *out = nullptr;
  return 0;
}

u32 SheetReadFormula(const char *name, i32 col, i32 row, char **out) {
  static char buf[kSheetTextMax + 1];
  if (SheetReadText(name, col, row, buf, kSheetFlagFormula, nullptr)) {
    *out = buf;
    return 1;
  }
  *out = nullptr;
  return 0;
}

namespace {

void PutText(std::vector<TRow> *rows, i32 row, const char *text, u32 kind) {
  if (rows->size() < static_cast<size_t>(row)) rows->resize(static_cast<size_t>(row));
  TRow &r = (*rows)[static_cast<size_t>(row) - 1];
  if (kind == kSheetFlagFormula) {
    r.formula = text;
    r.flags = static_cast<u8>((r.flags | kSheetFlagFormula) & ~kSheetFlagMark);
  } else {
    r.text = text;
    r.flags |= kSheetFlagText;
  }
  r.state = 0;
}

}  // namespace

i32 SheetTextNeed(const char *name, i32 col, i32 row, u32 length, u32 kind, bool alone) {
  if (!CellOk(col, row)) return 0;
  char res[9];
  std::vector<TRow> rows;
  if (!LoadText(name, res, col, &rows)) return kSheetNeedRefused;
  if (alone && rows.size() >= static_cast<size_t>(row)) rows[static_cast<size_t>(row) - 1] = TRow{};
  const std::string text(length, 'x');
  PutText(&rows, row, text.c_str(), kind);
  return TextGrowth(res, col, rows);
}

u32 SheetWriteText(const char *name, i32 col, i32 row, const char *text, u32 kind) {
  if (!CellOk(col, row)) return kSheetErrLimit;
  if (!text || std::strlen(text) > kSheetTextMax) return kSheetErrText;
  char res[9];
  std::vector<TRow> rows;
  if (!LoadText(name, res, col, &rows)) return kSheetErrOpen;
  PutText(&rows, row, text, kind);
  const i32 grow = TextGrowth(res, col, rows);
  if (grow == kSheetNeedRefused || (grow > 0 && static_cast<u32>(grow) > SheetFreeBytes())) return kSheetErrText;
  return StoreText(res, col, rows);
}

u32 SheetWritePlainText(const char *name, i32 col, i32 row, const char *text) {
  return SheetWriteText(name, col, row, text, kSheetFlagText);
}
u32 SheetWriteFormula(const char *name, i32 col, i32 row, const char *text) {
  return SheetWriteText(name, col, row, text, kSheetFlagFormula);
}

void SheetRemoveTexts(const char *name, i32 col, i32 row, i32 count, u32 keepLinks, u32 kind) {
  if (col < 1 || col > kSheetCols || row < 1 || count < 1) return;
  char res[9];
  std::vector<TRow> rows;
  if (!LoadText(name, res, col, &rows)) return;
  if (static_cast<size_t>(row) > rows.size()) return;
  const size_t from = static_cast<size_t>(row) - 1;
  size_t to = from + static_cast<size_t>(count);
  if (to > rows.size()) to = rows.size();
  bool changed = false;
  for (size_t i = from; i < to; ++i) {
    TRow &r = rows[i];
    if (kind & kSheetFlagFormula && r.flags & kSheetFlagFormula) {
      r.formula.clear();
      r.flags &= static_cast<u8>(~(kSheetFlagFormula | kSheetFlagMark));
      r.state = 0;
      changed = true;
    }
    if (kind & kSheetFlagText && r.flags & kSheetFlagText) {
      r.text.clear();
      r.flags &= static_cast<u8>(~kSheetFlagText);
      changed = true;
    }
    if ((r.flags & (kSheetFlagText | kSheetFlagFormula)) == 0) r = TRow{};
  }
  if (!keepLinks) {
    rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(from), rows.begin() + static_cast<std::ptrdiff_t>(to));
    changed = true;
  }
  if (changed) StoreText(res, col, rows);
}

void SheetClearPlainText(const char *name, i32 col, i32 row, i32 count) {
  SheetRemoveTexts(name, col, row, count, 1, kSheetFlagText);
}
void SheetClearFormula(const char *name, i32 col, i32 row, i32 count) {
  SheetRemoveTexts(name, col, row, count, 1, kSheetFlagFormula);
}

void SheetClearCell(const char *name, i32 col, i32 row) {
  SheetClearValues(name, col, row, 1);
  SheetRemoveTexts(name, col, row, 1, 1, kSheetFlagText | kSheetFlagFormula);
}

// ---- flags and states ----

u32 SheetCellFlags(const char *name, i32 col, i32 row, u8 arg, u32 op) {
  CellLink c;
  if (!OpenCellLink(name, col, row, &c)) return 0;
  const u8 *d = c.d;
  const Lay &L = c.L;
  const u32 link = c.link;
  const u8 flags = static_cast<u8>(link >> 24);
  switch (op) {
    case 1: {
      const bool number = EntryOf(d, L, kValue, col) >= 128 && Bit(d + BlockAt(d, L, kValue, col), row);
      return flags | (number ? kSheetFlagNumber : 0);
    }
    case 2: return flags;
    case 3: return (link >> 16) & 0xFF;
    default: break;
  }
  if (flags == 0) return 0;
  u32 state = (link >> 16) & 0xFF;
  u32 fl = flags;
  if (op == 4) state = arg;
  if (op == 5) state |= arg;
  if (op == 6) state &= ~u32{arg};
  if (op == 7) {
    state = arg;
    fl &= ~u32{kSheetFlagMark};
  }
  WrLink(c.res, d, c.place, (fl << 24) | ((state & 0xFF) << 16) | (link & 0xFFFF));
  return 1;
}

u32 SheetCellRead(const char *name, i32 col, i32 row, SheetCellState *out) {
  std::memset(out, 0, sizeof *out);
  CellLink c;
  if (!OpenCellLink(name, col, row, &c)) return 0;
  const u8 *d = c.d;
  const Lay &L = c.L;
  const u32 link = c.link;
  out->kinds = static_cast<u8>(link >> 24);
  out->state = static_cast<u8>(link >> 16);
  if (const u32 at = NumberAt(d, L, col, row)) {
    out->kinds |= kSheetFlagNumber;
    std::memcpy(&out->number.re, d + at, 12);
  }
  return 1;
}

u32 SheetFinishFormulaCell(const char *name, i32 col, i32 row, const Value *v, u8 state) {
  CellLink c;
  if (!OpenCellLink(name, col, row, &c)) return 0;
  const u8 *d = c.d;
  const Lay &L = c.L;
  const u32 link = c.link;
  const u32 flags = link >> 24;
  if (!(flags & kSheetFlagFormula) || (flags & kSheetFlagText)) return 0;
  const u32 at = NumberAt(d, L, col, row);
  if (at == 0) return 0;
  CplxPair parts;
  ValSplit(v, &parts);
  WrKeepAt(c.res, d, at, 12, &parts.re);
  WrLink(c.res, d, c.place, ((flags & ~u32{kSheetFlagMark}) << 24) | (u32{state} << 16) | (link & 0xFFFF));
  return 1;
}

u32 SheetCellKinds(const char *name, i32 col, i32 row) { return SheetCellFlags(name, col, row, 0, 1); }
u32 SheetTextKinds(const char *name, i32 col, i32 row) { return SheetCellFlags(name, col, row, 0, 2); }
u32 SheetSetEvalState(const char *name, i32 col, i32 row, u8 state) {
  return SheetCellFlags(name, col, row, state, 4);
}

u32 SheetCellMark(const char *name, i32 col, i32 row, u32 op) {
  CellLink c;
  if (!OpenCellLink(name, col, row, &c)) return 0;
  const u32 link = c.link;
  if (!((link >> 24) & kSheetFlagFormula)) return 0;
  if (op == 3) return (link >> 24) & kSheetFlagMark ? 1 : 0;
  const u32 mark = u32{kSheetFlagMark} << 24;
  WrLink(c.res, c.d, c.place, op == 1 ? link | mark : link & ~mark);
  return 1;
}

u32 SheetSetMark(const char *name, i32 col, i32 row) { return SheetCellMark(name, col, row, 1); }
u32 SheetTestMark(const char *name, i32 col, i32 row) { return SheetCellMark(name, col, row, 3); }

void SheetMaskEvalStates(const char *name, u8 keep) {
  char res[9];
  const u8 *d;
  Lay L;
  if (!Open(name, res, &d, &L)) return;
  // States are bits of the link words: the text area is rewritten with the
  // same size.
  if (L.size <= L.area[kText]) return;
  std::vector<u8> area(d + L.area[kText], d + L.size);
  bool changed = false;
  for (i32 c = 1; c <= static_cast<i32>(L.n[kText]); ++c) {
    const u32 e = EntryOf(d, L, kText, c);
    if (e < 4) continue;
    u8 *blk = area.data() + (BlockAt(d, L, kText, c) - L.area[kText]);
    const u32 n = Get32(blk);
    for (u32 i = 0; i < n; ++i) {
      const u32 link = Get32(blk + 4 + 4 * i);
      if ((link & 0xFFFF) == 0xFFFF) continue;
      const u32 state = ((link >> 16) & 0xFF) & keep;
      if (state == ((link >> 16) & 0xFF)) continue;
      Put32(blk + 4 + 4 * i, (link & 0xFF00FFFFu) | (state << 16));
      changed = true;
    }
  }
  if (changed) WrKeep(res, L.area[kText], static_cast<u32>(area.size()), area.data());
}

namespace {

u32 FindFormula(const char *name, i32 *col, i32 *row, char **text, u8 mask, bool first) {
  static char buf[kSheetTextMax + 1];
  char res[9];
  const u8 *d;
  Lay L;
  *text = nullptr;
  if (!Open(name, res, &d, &L)) return 0;
  i32 c = first ? 1 : *col;
  i32 r = first ? 1 : *row + 1;
  if (r > kSheetRows) {
    ++c;
    r = 1;
  }
  for (; c <= static_cast<i32>(L.n[kText]); ++c, r = 1) {
    const u32 e = EntryOf(d, L, kText, c);
    if (e < 4) continue;
    const u8 *blk = d + BlockAt(d, L, kText, c);
    const u32 n = Get32(blk);
    for (; r <= static_cast<i32>(n); ++r) {
      const u32 link = Get32(blk + 4 + 4 * (static_cast<u32>(r) - 1));
      if ((link & 0xFFFF) == 0xFFFF || !((link >> 24) & kSheetFlagFormula)) continue;
      const u8 state = static_cast<u8>(link >> 16);
      if (state & ~mask) continue;
      const char *p = reinterpret_cast<const char *>(blk + 4 + 4 * n + (link & 0xFFFF));
      std::memcpy(buf, p, std::strlen(p) + 1);
      *col = c;
      *row = r;
      *text = buf;
      return 1;
    }
  }
  return 0;
}

}  // namespace

u32 SheetFirstFormula(const char *name, i32 *col, i32 *row, char **text, u8 mask) {
  return FindFormula(name, col, row, text, mask, true);
}
u32 SheetNextFormula(const char *name, i32 *col, i32 *row, char **text, u8 mask) {
  return FindFormula(name, col, row, text, mask, false);
}

// ---- rows and columns ----

u32 SheetInsertRows(const char *name, i32 col, i32 row, i32 count) {
  if (col < 1 || col > kSheetCols || row < 1 || row > kSheetRows || count < 1) return kSheetErrLimit;
  char res[9];
  const u8 *d;
  Lay L;
  if (!Open(name, res, &d, &L)) return kSheetErrOpen;
  // Values: the bits of rows at and below `row` move down.
  u8 old[128] = {}, bm[128] = {};
  u32 at = 0;
  const bool hasValues = EntryOf(d, L, kValue, col) >= 128;
  if (hasValues) {
    at = BlockAt(d, L, kValue, col);
    std::memcpy(old, d + at, 128);
    for (i32 r = 1; r <= kSheetRows; ++r) {
      if (!Bit(old, r)) continue;
      const i32 to = r >= row ? r + count : r;
      if (to > kSheetRows) return kSheetErrLimit;
      SetBit(bm, to, true);
    }
  }
  std::vector<TRow> rows;
  LoadText(res, res, col, &rows);
  if (static_cast<size_t>(row) <= rows.size()) {
    if (rows.size() + static_cast<size_t>(count) > static_cast<size_t>(kSheetRows)) return kSheetErrLimit;
    rows.insert(rows.begin() + (row - 1), static_cast<size_t>(count), TRow{});
    const i32 grow = TextGrowth(res, col, rows);
    if (grow == kSheetNeedRefused || (grow > 0 && static_cast<u32>(grow) > SheetFreeBytes())) return kSheetErrMemory;
    if (StoreText(res, col, rows) != 0) return kSheetErrMemory;
  }
  if (hasValues) {
    u32 size = 0;
    d = SheetOpen(res, &size);
    ReadLay(d, size, &L);
    Wr(res, BlockAt(d, L, kValue, col), 128, bm);
  }
  return 0;
}

u32 SheetDeleteRows(const char *name, i32 col, i32 row, i32 count) {
  if (col < 1 || col > kSheetCols || row < 1 || row > kSheetRows || count < 1) return kSheetErrLimit;
  if (row + count - 1 > kSheetRows) count = kSheetRows - row + 1;
  char res[9];
  const u8 *d;
  Lay L;
  if (!Open(name, res, &d, &L)) return kSheetErrOpen;
  ClearValueRows(res, col, row, count);
  u32 size = 0;
  d = SheetOpen(res, &size);
  ReadLay(d, size, &L);
  if (EntryOf(d, L, kValue, col) >= 128) {
    const u32 at = BlockAt(d, L, kValue, col);
    u8 old[128], bm[128] = {};
    std::memcpy(old, d + at, 128);
    for (i32 r = 1; r <= kSheetRows; ++r)
      if (Bit(old, r)) SetBit(bm, r > row ? r - count : r, true);
    Wr(res, at, 128, bm);
  }
  SheetRemoveTexts(res, col, row, count, 0, kSheetFlagText | kSheetFlagFormula);
  return 0;
}

u32 SheetInsertColumns(const char *name, i32 col, i32 count) {
  if (col < 1 || col > kSheetCols || count < 1) return kSheetErrLimit;
  char res[9];
  const u8 *d;
  Lay L;
  if (!Open(name, res, &d, &L)) return kSheetErrOpen;
  if (SheetFreeBytes() < 12u * static_cast<u32>(count)) return kSheetErrMemory;
  for (int w = 0; w < 3; ++w)
    if (static_cast<u32>(col) <= L.n[w] && L.n[w] + static_cast<u32>(count) > static_cast<u32>(kSheetCols))
      return kSheetErrLimit;
  bool done[3] = {false, false, false};
  for (int w = 0; w < 3; ++w) {
    u32 size = 0;
    d = SheetOpen(res, &size);
    ReadLay(d, size, &L);
    if (static_cast<u32>(col) > L.n[w]) continue;
    if (Ins(res, L.idx[w] + 4 * (static_cast<u32>(col) - 1), 4 * static_cast<u32>(count), nullptr) != 0) {
      // Undo the indexes done so far.
      for (int u = w - 1; u >= 0; --u) {
        if (!done[u]) continue;
        d = SheetOpen(res, &size);
        ReadLay(d, size, &L);
        Cut(res, L.idx[u] + 4 * (static_cast<u32>(col) - 1), 4 * static_cast<u32>(count));
        Wr16(res, 2 + 2 * static_cast<u32>(u), L.n[u] - static_cast<u32>(count));
      }
      return kSheetErrMemory;
    }
    Wr16(res, 2 + 2 * static_cast<u32>(w), L.n[w] + static_cast<u32>(count));
    done[w] = true;
  }
  return 0;
}

namespace {

void DropColumns(const char *res, i32 col, i32 count, bool cutEntries) {
  for (int w = 0; w < 3; ++w) {
    u32 size = 0;
    const u8 *d = SheetOpen(res, &size);
    if (!d) return;
    Lay L;
    ReadLay(d, size, &L);
    if (static_cast<u32>(col) > L.n[w]) continue;
    i32 last = col + count - 1;
    if (last > static_cast<i32>(L.n[w])) last = static_cast<i32>(L.n[w]);
    const u32 at = BlockAt(d, L, w, col);
    u32 bytes = 0;
    for (i32 c = col; c <= last; ++c) bytes += EntryOf(d, L, w, c);
    const u32 n = static_cast<u32>(last - col + 1);
    // Entries first (they lie before the areas), then the blocks.
    Cut(res, at, bytes);
    if (cutEntries) {
      Cut(res, L.idx[w] + 4 * (static_cast<u32>(col) - 1), 4 * n);
      Wr16(res, 2 + 2 * static_cast<u32>(w), L.n[w] - n);
    } else {
      const u8 zero[4 * kSheetCols] = {};
      Wr(res, L.idx[w] + 4 * (static_cast<u32>(col) - 1), 4 * n, zero);
    }
    if (w == kValue) Wr32(res, 8, L.s0 - bytes);
    if (w == kReserved) Wr32(res, 12, L.s2 - bytes);
    TrimIndex(res, w);
  }
}

}  // namespace

void SheetDeleteColumns(const char *name, i32 col, i32 count) {
  if (col < 1) col = 1;
  if (count < 1) count = 1;
  if (col > kSheetCols) return;
  if (col + count - 1 > kSheetCols) count = kSheetCols - col + 1;
  char res[9];
  const u8 *d;
  Lay L;
  if (!Open(name, res, &d, &L)) return;
  DropColumns(res, col, count, true);
}

void SheetClearColumns(const char *name, i32 col, i32 count) {
  if (col < 1) col = 1;
  if (count < 1) count = 1;
  if (col > kSheetCols) return;
  if (col + count - 1 > kSheetCols) count = kSheetCols - col + 1;
  char res[9];
  const u8 *d;
  Lay L;
  if (!Open(name, res, &d, &L)) return;
  DropColumns(res, col, count, false);
}

u32 SheetStoreList(const char *name, u8 listFile, u8 list, i32 col, i32 row) {
  const u32 n = ItemListSize(listFile, list);
  const bool right = SetupGetItem(kSetupMove) == 1;
  u32 r = 0;
  // The last target cell is checked before anything is written.
  if (n > 0 && (right ? col + static_cast<i32>(n) - 1 > kSheetCols : row + static_cast<i32>(n) - 1 > kSheetRows))
    r = kSheetErrLimit;
  for (u32 i = 0; r == 0 && i < n; ++i) {
    const i32 c = right ? col + static_cast<i32>(i) : col;
    const i32 rr = right ? row : row + static_cast<i32>(i);
    SheetClearCell(name, c, rr);
  }
  for (u32 i = 0; r == 0 && i < n; ++i) {
    Value v;
    r = ItemListGet(listFile, list, i + 1, &v);
    if (r) break;
    r = SheetWriteValue(name, right ? col + static_cast<i32>(i) : col, right ? row : row + static_cast<i32>(i), &v);
  }
  ItemListDelete(listFile, list);
  DropView();
  return r;
}

// ---- descriptions ----

void SheetCellInfo(const char *name, u32 n, SheetCellInfoRec *recs) {
  char res[9];
  const u8 *d;
  Lay L;
  const bool ok = Open(name, res, &d, &L);
  for (u32 i = 0; i < n; ++i) {
    SheetCellInfoRec &c = recs[i];
    const i16 col = c.column, row = c.row;
    std::memset(&c, 0, sizeof c);
    c.column = col;
    c.row = row;
    if (!ok || !CellOk(col, row)) continue;
    u32 size = 0;
    d = SheetOpen(res, &size);
    ReadLay(d, size, &L);
    c.valueEntries = static_cast<i16>(L.n[kValue]);
    c.textEntries = static_cast<i16>(L.n[kText]);
    if (EntryOf(d, L, kValue, col) >= 128) {
      const u8 *bm = d + BlockAt(d, L, kValue, col);
      if (Bit(bm, row)) c.numberBytes = 12;
      for (i32 r = kSheetRows; r >= 1; --r)
        if (Bit(bm, r)) {
          c.lastNumberRow = static_cast<i16>(r);
          break;
        }
    }
    const u32 e = EntryOf(d, L, kText, col);
    if (e >= 4) {
      std::vector<TRow> rows;
      ParseText(d + BlockAt(d, L, kText, col), e, &rows);
      c.rowLinks = static_cast<i16>(rows.size());
      for (size_t k = rows.size(); k > 0; --k)
        if (rows[k - 1].flags) {
          c.lastTextRow = static_cast<i16>(k);
          break;
        }
      if (static_cast<size_t>(row) <= rows.size()) {
        const TRow &t = rows[static_cast<size_t>(row) - 1];
        c.flags = t.flags;
        c.state = t.state;
        if (t.flags & kSheetFlagFormula) c.formulaBytes = RecBytes(t.formula.size());
        if (t.flags & kSheetFlagText) c.textBytes = RecBytes(t.text.size());
      }
    }
  }
}

void SheetWindowCells(const char *name, i32 col, i32 row, SheetWindow *out) {
  std::memset(out, 0, sizeof *out);
  char res[9];
  const u8 *d;
  Lay L;
  if (!Open(name, res, &d, &L)) return;
  for (i32 k = 0; k < 20; ++k) {
    const i32 c = col + k / 5, r = row + k % 5;
    if (!CellOk(c, r)) continue;
    if (EntryOf(d, L, kValue, c) >= 128) {
      const u8 *bm = d + BlockAt(d, L, kValue, c);
      if (Bit(bm, r)) out->number[k] = reinterpret_cast<const BcdReal *>(bm + 128 + 12 * RowsBefore(d, c, bm, r));
    }
    u32 place = 0;
    const u32 link = LinkAt(d, L, c, r, &place);
    if ((link & 0xFFFF) == 0xFFFF || link == 0) continue;
    const u8 flags = static_cast<u8>(link >> 24);
    out->flags[k] = flags;
    const u8 *blk = d + BlockAt(d, L, kText, c);
    const char *p = reinterpret_cast<const char *>(blk + 4 + 4 * Get32(blk) + (link & 0xFFFF));
    if (flags & kSheetFlagFormula) {
      out->formula[k] = p;
      p += RecBytes(std::strlen(p));
    }
    if (flags & kSheetFlagText) out->text[k] = p;
  }
}
