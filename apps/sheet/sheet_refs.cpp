// Reference rewriting in formula texts.
#include "apps/sheet/sheet_refs.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool IsLead(u8 b) { return b == 0x7F || b == 0xF7 || b == 0xF9 || (b >= 0xE5 && b <= 0xE7); }
bool Digit(char c) { return c >= '0' && c <= '9'; }

struct Ref {
  bool colAbs, rowAbs;
  i32 col, row;
};

// What becomes of one reference: the new reference, or "??" when whole is
// set.
struct Edit {
  u32 kind;  // 1 move, 2 copy, 3 rows, 4 columns
  i32 dc, dr;
  SheetRange range;
  i32 first, count;
  bool del;
};

bool Apply(const Edit &e, Ref *r) {
  switch (e.kind) {
    case kSheetRefCopy:
      if (!r->colAbs) r->col += e.dc;
      if (!r->rowAbs) r->row += e.dr;
      return true;
    case kSheetRefMove:
      if (r->col >= e.range.col1 && r->col <= e.range.col2 && r->row >= e.range.row1 && r->row <= e.range.row2) {
        r->col += e.dc;
        r->row += e.dr;
      }
      return true;
    case 3:
      if (e.del) {
        if (r->row >= e.first && r->row < e.first + e.count) return false;
        if (r->row >= e.first + e.count) r->row -= e.count;
      } else if (r->row >= e.first) {
        r->row += e.count;
      }
      return true;
    default:
      if (e.del) {
        if (r->col >= e.first && r->col < e.first + e.count) return false;
        if (r->col >= e.first + e.count) r->col -= e.count;
      } else if (r->col >= e.first) {
        r->col += e.count;
        if (r->col > kSheetCols) return false;
      }
      return true;
  }
}

i32 Rewrite(const char *in, char *out, const Edit &e) {
  std::string s;
  size_t i = 0;
  const size_t n = std::strlen(in);
  // The leading '=' is kept as it stands.
  if (n > 0 && in[0] == '=') {
    s += '=';
    i = 1;
  }
  while (i < n) {
    const u8 b = static_cast<u8>(in[i]);
    if (IsLead(b) && i + 1 < n) {
      s.append(in + i, 2);
      i += 2;
      continue;
    }
    size_t j = i;
    Ref r{};
    if (in[j] == '$') {
      r.colAbs = true;
      ++j;
    }
    if (j < n && in[j] >= 'A' && in[j] <= 'Z') {
      r.col = in[j] - 'A' + 1;
      size_t k = j + 1;
      if (k < n && in[k] == '$') {
        r.rowAbs = true;
        ++k;
      }
      if (k < n && Digit(in[k])) {
        i32 row = 0;
        size_t d = k;
        while (d < n && d < k + 3 && Digit(in[d])) row = row * 10 + (in[d++] - '0');
        r.row = row;
        if (!Apply(e, &r)) {
          s += "??";
        } else {
          if (r.colAbs) s += '$';
          s += r.col >= 1 && r.col <= kSheetCols ? static_cast<char>('A' + r.col - 1) : '?';
          if (r.rowAbs) s += '$';
          s += r.row >= 1 && r.row <= kSheetRows ? std::to_string(r.row) : std::string("?");
        }
        i = d;
        continue;
      }
    }
    // Not a reference: the character (or the '$') goes over unchanged.
    s += in[i];
    ++i;
  }
  if (s.size() > kSheetTextMax) return -1;
  std::memcpy(out, s.c_str(), s.size() + 1);
  return static_cast<i32>(s.size());
}

u32 Padded(size_t len) { return static_cast<u32>((len + 4) & ~size_t{3}); }

}  // namespace

i32 SheetRewriteRefs(const char *in, char *out, const SheetRange *range, u32 mode, i32 dc, i32 dr) {
  Edit e{};
  e.kind = mode;
  e.dc = dc;
  e.dr = dr;
  if (range) e.range = *range;
  return Rewrite(in, out, e);
}

i32 SheetMoveRefs(const char *in, char *out, const SheetRange *range, i32 dc, i32 dr) {
  SheetRange r = *range;
  if (r.col1 > r.col2) std::swap(r.col1, r.col2);
  if (r.row1 > r.row2) std::swap(r.row1, r.row2);
  return SheetRewriteRefs(in, out, &r, kSheetRefMove, dc, dr);
}

i32 SheetCopyRefs(const char *in, char *out, i32 dc, i32 dr) {
  return SheetRewriteRefs(in, out, nullptr, kSheetRefCopy, dc, dr);
}

i32 SheetRewriteRowRefs(const char *in, char *out, i32 first, u32 del, i32 count) {
  Edit e{};
  e.kind = 3;
  e.first = first;
  e.count = count;
  e.del = del != 0;
  return Rewrite(in, out, e);
}

i32 SheetRewriteColRefs(const char *in, char *out, i32 first, u32 del, i32 count) {
  Edit e{};
  e.kind = 4;
  e.first = first;
  e.count = count;
  e.del = del != 0;
  return Rewrite(in, out, e);
}

char *SheetRowText(i32 row, char *out) {
  std::snprintf(out, 4, "%d", static_cast<int>(row));
  return out;
}

char *SheetCellName(i32 col, i32 row, char *out) {
  out[0] = static_cast<char>('@' + col);
  SheetRowText(row, out + 1);
  return out;
}

u32 SheetCheckRefPass(u32 rows, i32 first, u32 del, i32 count, u32 reserve) {
  i32 c = 0, r = 0;
  char *text = nullptr;
  u64 grow = 0;
  for (u32 f = SheetFirstFormula(nullptr, &c, &r, &text, 0xFF); f; f = SheetNextFormula(nullptr, &c, &r, &text, 0xFF)) {
    char out[kSheetTextMax + 1];
    const i32 len = rows ? SheetRewriteRowRefs(text, out, first, del, count)
                         : SheetRewriteColRefs(text, out, first, del, count);
    if (len < 0) return kSheetErrMemory;
    const u32 before = Padded(std::strlen(text)), after = Padded(static_cast<size_t>(len));
    if (after > before) grow += after - before;
  }
  return grow + reserve > SheetFreeBytes() ? kSheetErrMemory : 0;
}

void SheetRefPass(u32 rows, i32 first, u32 del, i32 count) {
  i32 c = 0, r = 0;
  char *text = nullptr;
  for (u32 f = SheetFirstFormula(nullptr, &c, &r, &text, 0xFF); f; f = SheetNextFormula(nullptr, &c, &r, &text, 0xFF)) {
    char out[kSheetTextMax + 1];
    const i32 len = rows ? SheetRewriteRowRefs(text, out, first, del, count)
                         : SheetRewriteColRefs(text, out, first, del, count);
    if (len < 0 || std::strcmp(out, text) == 0) continue;
    SheetWriteFormula(nullptr, c, r, out);
  }
}
