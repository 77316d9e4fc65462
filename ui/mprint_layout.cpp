// Textbook layout and drawing: a textbook string measured as nested boxes
// and drawn into display memory, one handler per template.
//
// A box's metrics: width, height and depth (rows below its centre row); a
// box with centre row c covers rows c - (height - depth) + 1 .. c + depth. One
// text line is 8 high with depth 3, its glyph cell starting at row c - 4.
#include <algorithm>
#include <cstring>

#include "kernel/task.h"
#include "memory/str.h"
#include "ui/lcd.h"
#include "ui/mprint.h"

namespace {

MprintState &S() { return *MprintGetState(); }

constexpr MprintBoxMetrics kLine{0, 8, 3};
// Stack bytes kept free below the deepest layout frame: room for the drawing
// routines a level calls besides its own recursion.
constexpr u32 kStackSlack = 16 * 1024;
// Nesting levels the guard keeps room for beyond the current one.
constexpr u32 kStackLevels = 4;

i32 Above(const MprintBoxMetrics &m) { return std::max(0, static_cast<i32>(m.height) - m.depth); }
i32 Top(const MprintBoxMetrics &m, i32 cy) { return cy - Above(m) + 1; }
i32 Bottom(const MprintBoxMetrics &m, i32 cy) { return cy + m.depth; }

// Rows covered by the parts of a template, relative to its centre row.
struct Extent {
  i32 top, bottom;
  void Add(i32 t, i32 b) {
    top = std::min(top, t);
    bottom = std::max(bottom, b);
  }
  void Add(const MprintBoxMetrics &m, i32 cy) { Add(Top(m, cy), Bottom(m, cy)); }
  MprintBoxMetrics Metrics(u16 width, i32 cy) const {
    const i32 h = std::clamp(bottom - top + 1, 0, 255);
    const i32 d = std::clamp(bottom - cy, 0, 255);
    return {width, static_cast<u8>(h), static_cast<u8>(d)};
  }
};

bool Drawing() { return S().draw == 1; }

void Line(i32 x1, i32 y1, i32 x2, i32 y2) {
  if (Drawing()) LcdDrawLine(x1, y1, x2, y2);
}
void Text(i32 x, i32 y, const char *text) {
  if (Drawing()) LcdPrintAtPixel(x, y, text, 0);
}

}  // namespace

void MprintTokenText(const u8 *token, char out[kStrTokenNameMax]) {
  u32 len = 0;
  const u16 code = MprintTokenAt(token, &len);
  out[0] = 0;
  if (len == 0) return;
  StrTokenName(code, out);
}

u32 MprintTokenWidth(const u8 *token, i32 x, i32 y, u8 drop_last) {
  char text[kStrTokenNameMax];
  MprintTokenText(token, text);
  u32 chars = 0;
  u32 last = 0;  // where the last character begins
  for (const char *p = text;;) {
    u32 len = 0;
    MprintTokenAt(reinterpret_cast<const u8 *>(p), &len);
    if (len == 0) break;
    last = static_cast<u32>(p - text);
    p += len;
    ++chars;
  }
  // A function's name ends in its "(", drawn by the layout at its size.
  if (drop_last && chars > 0 && text[last] == '(') {
    --chars;
    text[last] = 0;
  }
  Text(x, y, text);
  return 6 * chars;
}

void MprintMergeBox(MprintBoxMetrics *metrics, const MprintBoxMetrics &part) {
  const i32 depth = std::max(metrics->depth, part.depth);
  const i32 above = std::max(Above(*metrics), Above(part));
  metrics->depth = static_cast<u8>(depth);
  metrics->height = static_cast<u8>(std::min(above + depth, 255));
}

namespace {

u8 LayBox(const u8 *p, const u8 *end, MprintBoxMetrics *m, i32 x, i32 cy, bool in_template);

// Lays a template part out: measured only when the walk is not placing.
u8 MeasurePart(const u8 *start, const u8 *end, MprintBoxMetrics *pm) {
  MprintState &s = S();
  const u8 draw = s.draw, place = s.place;
  s.draw = 0;
  s.place = 0;
  const u8 ok = LayBox(start, end, pm, 0, 120, true);
  s.draw = draw;
  s.place = place;
  return ok;
}

u8 PlacePart(const u8 *start, const u8 *end, i32 x, i32 cy) {
  if (S().place == 0) return 1;
  MprintBoxMetrics pm{};
  return LayBox(start, end, &pm, x, cy, true);
}

struct Parts {
  MprintPart part[kMprPartsMax];
  MprintBoxMetrics m[kMprPartsMax];
  u32 count = 0;
  const u8 *head = nullptr;
  const u8 *Start(u32 i) const { return head + part[i].start; }
  const u8 *End(u32 i) const { return head + part[i].end; }
  u8 Measure(const u8 *h) {
    head = h;
    count = MprintTemplateParts(h, part, kMprPartsMax);
    if (count == 0 || count > kMprPartsMax) return 0;
    for (u32 i = 0; i < count; ++i)
      if (!MeasurePart(Start(i), End(i), &m[i])) return 0;
    return 1;
  }
  u8 Place(u32 i, i32 x, i32 cy) const { return PlacePart(Start(i), End(i), x, cy); }
};

// ---- glyphs drawn with lines -----------------------------------------------------------

// A parenthesis, brace or bracket over rows top..bottom in a 6-dot cell at x.
void DrawFence(i32 x, i32 top, i32 bottom, u8 c) {
  if (!Drawing()) return;
  const bool left = c == '(' || c == '[' || c == '{';
  const i32 a = left ? x + 1 : x + 3;  // the stem column
  const i32 b = left ? x + 2 : x + 2;  // the column of the ends
  switch (c) {
    case '(': case ')':
      LcdDrawLine(a, top + 1, a, bottom - 1);
      LcdDrawLine(left ? a + 1 : a - 1, top, left ? a + 2 : a - 2, top);
      LcdDrawLine(left ? a + 1 : a - 1, bottom, left ? a + 2 : a - 2, bottom);
      break;
    case '[': case ']':
      LcdDrawLine(a, top, a, bottom);
      LcdDrawLine(a, top, left ? a + 2 : a - 2, top);
      LcdDrawLine(a, bottom, left ? a + 2 : a - 2, bottom);
      break;
    default: {  // braces
      const i32 mid = (top + bottom) / 2;
      const i32 stem = left ? x + 2 : x + 2;
      LcdDrawLine(stem, top + 1, stem, mid - 1);
      LcdDrawLine(stem, mid + 1, stem, bottom - 1);
      LcdDrawLine(left ? stem - 1 : stem + 1, mid, left ? stem - 1 : stem + 1, mid);
      LcdDrawLine(stem + (left ? 1 : -1), top, stem + (left ? 2 : -2), top);
      LcdDrawLine(stem + (left ? 1 : -1), bottom, stem + (left ? 2 : -2), bottom);
      break;
    }
  }
  (void)b;
}

// The root sign at x over a radicand whose ink ends at row bottom, with its
// bar at row bar running to x_end.
void DrawRoot(i32 x, i32 cy, i32 bottom, i32 bar, i32 x_end) {
  Line(x, cy, x + 1, bottom);
  Line(x + 2, bottom, x + 3, bar);
  Line(x + 3, bar, x_end, bar);
}

// An empty part: a small hollow square.
void DrawEmpty(i32 x, i32 cy) {
  Line(x, cy - 3, x + 4, cy - 3);
  Line(x, cy + 1, x + 4, cy + 1);
  Line(x, cy - 3, x, cy + 1);
  Line(x + 4, cy - 3, x + 4, cy + 1);
}

// ---- template handlers ----------------------------------------------------------------
using Handler = u8 (*)(const u8 *head, MprintBoxMetrics *m, i32 x, i32 cy);

// Square root and Abs: one part.
u8 RootOrAbs(const u8 *head, MprintBoxMetrics *m, i32 x, i32 cy) {
  Parts ps;
  if (!ps.Measure(head)) return 0;
  const MprintBoxMetrics &c = ps.m[0];
  const bool root = MprintTemplateNumber(head) == 0;
  const i32 inner = root ? 5 : 6;
  if (!ps.Place(0, x + inner, cy)) return 0;
  const i32 top = Top(c, cy), bottom = Bottom(c, cy);
  if (root) {
    DrawRoot(x, cy, bottom - 1, top - 2, x + 5 + c.width);
    *m = {static_cast<u16>(c.width + 7), static_cast<u8>(c.height + 2), c.depth};
  } else {
    Line(x + 3, top - 1, x + 3, bottom - 1);
    Line(x + 8 + c.width, top - 1, x + 8 + c.width, bottom - 1);
    *m = {static_cast<u16>(c.width + 12), static_cast<u8>(c.height + 1), c.depth};
  }
  return 1;
}

// e^, ten to the power and the power: a raised exponent.
u8 Power(const u8 *head, MprintBoxMetrics *m, i32 x, i32 cy) {
  Parts ps;
  if (!ps.Measure(head)) return 0;
  const MprintBoxMetrics &e = ps.m[0];
  const u8 number = MprintTemplateNumber(head);
  i32 lead = 0;
  i32 base_above = 5;
  Extent ext{cy - 4, cy + 3};
  if (number == 3) {
    Text(x, cy - 4, "e");
    lead = 6;
  } else if (number == 5) {
    // The ten-power character: "10" in one six-dot cell.
    Text(x, cy - 4, "\xE5\xCE");
    lead = 6;
  } else {
    base_above = Above(*m);
    ext = {Top(*m, cy), Bottom(*m, cy)};
  }
  const i32 ecy = cy - e.depth - 1 - (base_above - 5);
  if (!ps.Place(0, x + lead, ecy)) return 0;
  ext.Add(e, ecy);
  *m = ext.Metrics(static_cast<u16>(e.width + lead + 1), cy);
  return 1;
}

// Fraction (and the fraction form of template 13): numerator over
// denominator, a mixed number's whole part before them.
u8 Fraction(const u8 *head, MprintBoxMetrics *m, i32 x, i32 cy) {
  Parts ps;
  if (!ps.Measure(head) || ps.count < 2 || ps.count > 3) return 0;
  Extent ext{cy, cy};
  i32 x0 = x;
  u32 first = 0;
  if (ps.count == 3) {
    if (!ps.Place(0, x, cy)) return 0;
    ext.Add(ps.m[0], cy);
    x0 += ps.m[0].width;
    first = 1;
  }
  const MprintBoxMetrics &n = ps.m[first], &d = ps.m[first + 1];
  const i32 fw = std::max(n.width, d.width) + 2;
  const i32 ncy = cy - n.depth - 2;
  const i32 dcy = cy + Above(d);
  if (!ps.Place(first, x0 + (fw - n.width) / 2, ncy)) return 0;
  if (!ps.Place(first + 1, x0 + (fw - d.width) / 2, dcy)) return 0;
  // The bar lies one row above the centre row: a clear row on each side of
  // it, between the numerator's last glyph row and the denominator's first.
  Line(x0 + 1, cy - 1, x0 + fw - 2, cy - 1);
  ext.Add(n, ncy);
  ext.Add(d, dcy);
  *m = ext.Metrics(static_cast<u16>(x0 - x + fw), cy);
  return 1;
}

// x-th root: the index raised before the root sign.
u8 XRoot(const u8 *head, MprintBoxMetrics *m, i32 x, i32 cy) {
  Parts ps;
  if (!ps.Measure(head) || ps.count != 2) return 0;
  const MprintBoxMetrics &ix = ps.m[0], &r = ps.m[1];
  const i32 icy = cy - 2 - ix.depth;
  if (!ps.Place(0, x, icy)) return 0;
  const i32 sx = x + std::max<i32>(ix.width, 1) - 1;
  if (!ps.Place(1, sx + 5, cy)) return 0;
  const i32 top = Top(r, cy), bottom = Bottom(r, cy);
  DrawRoot(sx, cy, bottom - 1, top - 2, sx + 5 + r.width);
  Extent ext{top - 2, bottom};
  ext.Add(ix, icy);
  *m = ext.Metrics(static_cast<u16>(sx - x + r.width + 7), cy);
  return 1;
}

// A part in sized parentheses at x; returns the width.
i32 Parenthesised(const Parts &ps, u32 i, i32 x, i32 cy, Extent *ext, bool *ok) {
  const MprintBoxMetrics &c = ps.m[i];
  const i32 top = Top(c, cy), bottom = Bottom(c, cy) - 1;
  DrawFence(x, top, bottom, '(');
  if (!ps.Place(i, x + 6, cy)) *ok = false;
  DrawFence(x + 6 + c.width, top, bottom, ')');
  ext->Add(c, cy);
  return 12 + c.width;
}

// d/dx(f)|x=a and its second derivative.
u8 Derivative(const u8 *head, MprintBoxMetrics *m, i32 x, i32 cy) {
  Parts ps;
  if (!ps.Measure(head) || ps.count != 2) return 0;
  bool ok = true;
  const bool second = MprintTemplateNumber(head) == 9;
  Text(x, cy - 4, second ? "d\xE5\xC2/dx\xE5\xC2" : "d/dx");
  i32 w = second ? 36 : 24;
  Extent ext{cy - 4, cy + 3};
  w += Parenthesised(ps, 0, x + w, cy, &ext, &ok);
  const MprintBoxMetrics &a = ps.m[1];
  // The point: "|x=a" lowered below the line.
  const i32 acy = cy + 3;
  Line(x + w + 1, std::min(ext.top, cy - 4), x + w + 1, std::max(ext.bottom, acy + a.depth));
  Text(x + w + 3, acy - 4, "X=");
  if (!ps.Place(1, x + w + 15, acy)) ok = false;
  ext.Add(a, acy);
  ext.Add(acy - 4, acy + 3);
  w += 15 + a.width;
  *m = ext.Metrics(static_cast<u16>(w), cy);
  return ok ? 1 : 0;
}

// log with its base lowered, then (x).
u8 LogAB(const u8 *head, MprintBoxMetrics *m, i32 x, i32 cy) {
  Parts ps;
  if (!ps.Measure(head) || ps.count != 2) return 0;
  bool ok = true;
  Text(x, cy - 4, "log");
  const MprintBoxMetrics &b = ps.m[0];
  const i32 bcy = cy + 3 + Above(b) - 5;
  if (!ps.Place(0, x + 18, bcy)) ok = false;
  Extent ext{cy - 4, cy + 3};
  ext.Add(b, bcy);
  i32 w = 18 + b.width + 1;
  w += Parenthesised(ps, 1, x + w, cy, &ext, &ok);
  *m = ext.Metrics(static_cast<u16>(w), cy);
  return ok ? 1 : 0;
}

// The integral sign with its bounds, the integrand and "dx".
u8 Integral(const u8 *head, MprintBoxMetrics *m, i32 x, i32 cy) {
  Parts ps;
  if (!ps.Measure(head) || ps.count != 3) return 0;
  const MprintBoxMetrics &f = ps.m[0], &lo = ps.m[1], &up = ps.m[2];
  const i32 top = std::min(Top(f, cy), cy - 4) - 2, bottom = std::max(Bottom(f, cy), cy + 3) + 1;
  Line(x + 3, top, x + 4, top);
  Line(x + 2, top + 1, x + 2, bottom - 1);
  Line(x, bottom, x + 1, bottom);
  const i32 ucy = top + 3 - up.depth;   // upper bound's bottom beside the top hook
  const i32 lcy = bottom - 2 + Above(lo);  // lower bound's top beside the bottom hook
  bool ok = ps.Place(2, x + 6, ucy) && ps.Place(1, x + 6, lcy);
  const i32 bw = std::max(lo.width, up.width);
  const i32 fx = x + 6 + bw + 1;
  ok = ok && ps.Place(0, fx, cy);
  Text(fx + f.width + 1, cy - 4, "dx");
  Extent ext{top, bottom};
  ext.Add(f, cy);
  ext.Add(up, ucy);
  ext.Add(lo, lcy);
  *m = ext.Metrics(static_cast<u16>(fx - x + f.width + 13), cy);
  return ok ? 1 : 0;
}

// The sum sign with its last index above, "k=first" below, then the term.
u8 Sum(const u8 *head, MprintBoxMetrics *m, i32 x, i32 cy) {
  Parts ps;
  if (!ps.Measure(head) || ps.count != 4) return 0;
  const MprintBoxMetrics &f = ps.m[0], &k = ps.m[1], &a = ps.m[2], &b = ps.m[3];
  const i32 low_w = k.width + 6 + a.width;
  const i32 cw = std::max<i32>({7, b.width, low_w});
  const i32 sx = x + (cw - 7) / 2;
  Line(sx, cy - 5, sx + 6, cy - 5);
  Line(sx + 1, cy - 4, sx + 4, cy - 1);
  Line(sx + 3, cy, sx, cy + 3);
  Line(sx, cy + 4, sx + 6, cy + 4);
  const i32 bcy = cy - 6 - b.depth;
  const i32 lcy = cy + 5 + std::max(Above(k), Above(a)) - 1;
  bool ok = ps.Place(3, x + (cw - b.width) / 2, bcy);
  const i32 lx = x + (cw - low_w) / 2;
  ok = ok && ps.Place(1, lx, lcy);
  Text(lx + k.width, lcy - 4, "=");
  ok = ok && ps.Place(2, lx + k.width + 6, lcy);
  ok = ok && ps.Place(0, x + cw + 2, cy);
  Extent ext{cy - 5, cy + 4};
  ext.Add(b, bcy);
  ext.Add(k, lcy);
  ext.Add(a, lcy);
  ext.Add(lcy - 4, lcy + 3);
  ext.Add(f, cy);
  *m = ext.Metrics(static_cast<u16>(cw + 2 + f.width), cy);
  return ok ? 1 : 0;
}

// A list: its elements in a row between braces, separated by commas.
u8 List(const u8 *head, MprintBoxMetrics *m, i32 x, i32 cy) {
  Parts ps;
  if (!ps.Measure(head)) return 0;
  Extent ext{cy - 4, cy + 3};
  for (u32 i = 0; i < ps.count; ++i) ext.Add(ps.m[i], cy);
  const i32 top = ext.top, bottom = ext.bottom - 1;
  DrawFence(x, top, bottom, '{');
  i32 px = x + 6;
  bool ok = true;
  for (u32 i = 0; i < ps.count; ++i) {
    if (i > 0) {
      Text(px, cy - 4, ",");
      px += 6;
    }
    ok = ok && ps.Place(i, px, cy);
    px += ps.m[i].width;
  }
  DrawFence(px, top, bottom, '}');
  *m = ext.Metrics(static_cast<u16>(px + 6 - x), cy);
  return ok ? 1 : 0;
}

// A matrix: cells in columns between square brackets, centred on the line.
u8 Matrix(const u8 *head, MprintBoxMetrics *m, i32 x, i32 cy) {
  Parts ps;
  if (!ps.Measure(head)) return 0;
  i32 col_w[kMprMatrixMax] = {}, row_above[kMprMatrixMax] = {}, row_depth[kMprMatrixMax] = {};
  u32 rows = 0, cols = 0;
  for (u32 i = 0; i < ps.count; ++i) {
    const MprintPart &p = ps.part[i];
    if (p.row >= kMprMatrixMax || p.column >= kMprMatrixMax) return 0;
    rows = std::max<u32>(rows, p.row + 1u);
    cols = std::max<u32>(cols, p.column + 1u);
    col_w[p.column] = std::max<i32>(col_w[p.column], ps.m[i].width);
    row_above[p.row] = std::max(row_above[p.row], Above(ps.m[i]));
    row_depth[p.row] = std::max<i32>(row_depth[p.row], ps.m[i].depth);
  }
  i32 height = 0;
  for (u32 r = 0; r < rows; ++r) height += row_above[r] + row_depth[r] + (r > 0 ? 1 : 0);
  const i32 top = cy - (height - 1) / 2 - 1;
  i32 row_cy[kMprMatrixMax];
  for (u32 r = 0, y = top; r < rows; ++r) {
    row_cy[r] = static_cast<i32>(y) + row_above[r] - 1;
    y += row_above[r] + row_depth[r] + 1;
  }
  i32 col_x[kMprMatrixMax];
  i32 width = 5;
  for (u32 c = 0; c < cols; ++c) {
    col_x[c] = x + width;
    width += col_w[c] + (c + 1 < cols ? 6 : 0);
  }
  width += 5;
  bool ok = true;
  for (u32 i = 0; i < ps.count; ++i) {
    const MprintPart &p = ps.part[i];
    ok = ok && ps.Place(i, col_x[p.column] + (col_w[p.column] - ps.m[i].width) / 2, row_cy[p.row]);
  }
  const i32 bottom = top + height;
  DrawFence(x, top, bottom, '[');
  DrawFence(x + width - 6, top, bottom, ']');
  Extent ext{top, bottom};
  ext.Add(cy, cy);
  *m = ext.Metrics(static_cast<u16>(width), cy);
  return ok ? 1 : 0;
}

constexpr Handler kHandlers[15] = {
    RootOrAbs, Integral, RootOrAbs, Power, Power, Power, XRoot, Fraction,
    Derivative, Derivative, Sum, List, Matrix, Fraction, LogAB,
};

// Stack guard: the layout recurses once per nesting level; a level whose
// room falls below what a few more levels and the drawing routines take
// fails instead of running off the task's stack.
// The lowest usable stack address of the running stack, taken from the stack
// meter once per layout (the meter may be slow outside the tasks).
const u8 *g_stack_low = nullptr;

void TakeStackLow() {
  const u8 *here = static_cast<const u8 *>(__builtin_frame_address(0));
  g_stack_low = here - SysStackDepth();
}

bool StackTooLow() {
  const u32 need = kStackSlack + kStackLevels * std::max<u32>(S().level_bytes, 512);
  const u8 *here = static_cast<const u8 *>(__builtin_frame_address(0));
  if (g_stack_low == nullptr) TakeStackLow();
  return here < g_stack_low || static_cast<u32>(here - g_stack_low) < need;
}

void MarkCursor(const u8 *p, i32 x, i32 cy) {
  MprintState &s = S();
  if (s.place == 0 || s.cursor_mode != 1) return;
  if (static_cast<u32>(p - s.base) != s.cursor) return;
  s.cursor_x = x;
  s.cursor_y = cy;
  const i32 cx = x - 1 >= s.origin ? x - 1 : x;
  // A reversed selection shows the place itself.
  if (Drawing() && s.sel_from >= s.sel_to) LcdDrawLine(cx, cy - 4, cx, cy + 3);
}

// The selection of the edited line: noted while its draw pass passes it.
bool Selecting() {
  const MprintState &s = S();
  return s.draw == 1 && s.place == 1 && s.cursor_mode == 1 && s.sel_from < s.sel_to;
}

void MarkSelection(const u8 *p, i32 x) {
  if (!Selecting()) return;
  MprintState &s = S();
  const u32 off = static_cast<u32>(p - s.base);
  if (off == s.sel_from && s.sel_x0 < 0) s.sel_x0 = x;
  if (off == s.sel_to && s.sel_x1 < 0) s.sel_x1 = x;
}

// An element starting at p covers rows top..bottom.
void AddToSelection(const u8 *p, i32 top, i32 bottom) {
  if (!Selecting()) return;
  MprintState &s = S();
  const u32 off = static_cast<u32>(p - s.base);
  if (off < s.sel_from || off >= s.sel_to) return;
  s.sel_top = std::min(s.sel_top, top);
  s.sel_bottom = std::max(s.sel_bottom, bottom);
}

u8 LayBox(const u8 *p, const u8 *end, MprintBoxMetrics *m, i32 x, i32 cy, bool in_template) {
  // Measure one level's frame from the distance between two nested boxes.
  static const u8 *outer_frame = nullptr;
  const u8 *frame = static_cast<const u8 *>(__builtin_frame_address(0));
  if (outer_frame != nullptr && outer_frame > frame) {
    const u32 level = static_cast<u32>(outer_frame - frame);
    if (level > S().level_bytes && level < 64 * 1024) S().level_bytes = level;
  }
  if (StackTooLow()) return 0;
  const u8 *saved_outer = outer_frame;
  outer_frame = frame;
  struct Restore {
    const u8 *v;
    ~Restore() { outer_frame = v; }
  } restore{saved_outer};

  *m = kLine;
  const i32 x0 = x;
  bool first = true;
  for (;;) {
    MarkCursor(p, x, cy);
    MarkSelection(p, x);
    const u8 cls = (end != nullptr && p >= end) ? static_cast<u8>(kMprEnd) : MprintClassify(p);
    if (cls == kMprEnd || cls == kMprBoxClose || cls == kMprBoxBoundary || cls == kMprSeparator ||
        cls == kMprListClose || cls == kMprRowClose) {
      if (first && in_template) {
        DrawEmpty(x, cy);
        m->width = 6;
      }
      return 1;
    }
    first = false;
    const u32 len = MprintTokenLength(p);
    switch (cls) {
      case kMprOrdinary: {
        const u32 w = MprintTokenWidth(p, x, cy - 4, 0);
        AddToSelection(p, cy - 4, cy + 3);
        x += w;
        m->width = static_cast<u16>(m->width + w);
        p += len;
        break;
      }
      case kMprHead: {
        MprintBoxMetrics t = *m;
        if (!kHandlers[MprintTemplateNumber(p)](p, &t, x, cy)) return 0;
        if (t.height > kMprMaxHeight) return 0;
        AddToSelection(p, std::min(Top(t, cy), cy - 4), std::max(Bottom(t, cy), cy + 3));
        x += t.width;
        m->width = static_cast<u16>(m->width + t.width);
        MprintMergeBox(m, t);
        p += MprintTemplateLength(p);
        break;
      }
      case kMprParenOpen: case kMprBraceOpen: case kMprBracketOpen: case kMprFunction: {
        i32 lead = 0;
        u8 opener = *p;
        if (cls == kMprFunction) {
          lead = static_cast<i32>(MprintTokenWidth(p, x, cy - 4, 1));
          opener = '(';
        }
        u8 closed = 0;
        const u32 glen = MprintGroupWalk(p, &closed);
        const u8 closer = opener == '(' ? ')' : opener == '{' ? '}' : ']';
        const u8 *cs = p + len;
        const u8 *ce = p + glen - (closed ? 1 : 0);
        MprintBoxMetrics c{};
        if (!LayBox(cs, ce, &c, x + lead + 6, cy, false)) return 0;
        const i32 top = Top(c, cy), bottom = Bottom(c, cy) - 1;
        DrawFence(x + lead, top, bottom, opener);
        AddToSelection(p, std::min(top, cy - 4), std::max(bottom, cy + 3));
        i32 w = lead + 6 + c.width;
        if (closed) {
          DrawFence(x + w, top, bottom, closer);
          w += 6;
        }
        x += w;
        m->width = static_cast<u16>(m->width + w);
        MprintMergeBox(m, c);
        p += glen;
        break;
      }
      case kMprParenClose: case kMprBraceClose: case kMprBracketClose: {
        // A closer without its opener in this box: drawn as it stands.
        DrawFence(x, Top(*m, cy), Bottom(*m, cy) - 1, *p);
        AddToSelection(p, std::min(Top(*m, cy), cy - 4), std::max(Bottom(*m, cy) - 1, cy + 3));
        x += 6;
        m->width = static_cast<u16>(m->width + 6);
        p += len;
        break;
      }
      default: return 0;
    }
    if (m->height > kMprMaxHeight) return 0;
    (void)x0;
  }
}

}  // namespace

u8 MprintLayoutBox(const u8 *token, MprintBoxMetrics *metrics, i32 x, i32 y) {
  TakeStackLow();
  return LayBox(token, nullptr, metrics, x, y, false);
}

void MprintInit() {
  MprintState &s = S();
  const u32 level = s.level_bytes;
  std::memset(&s, 0, sizeof s);
  s.flags[0] = 1;
  s.flags[1] = 1;
  s.matrix_rows = 2;
  s.matrix_cols = 2;
  s.cursor_x = -1;
  s.level_bytes = level;
}

void MprintSetMatrixSize(u8 rows, u8 cols) {
  MprintState &s = S();
  s.matrix_rows = static_cast<u8>(std::clamp<u32>(rows, 1, kMprMatrixMax));
  s.matrix_cols = static_cast<u8>(std::clamp<u32>(cols, 1, kMprMatrixMax));
}

void MprintSetSelection(u16 from, u16 to) {
  MprintState &s = S();
  s.sel_from = std::min(from, to);
  s.sel_to = std::max(from, to);
}

void MprintSaveBackup(const u8 *expr, u16 cursor) {
  MprintState &s = S();
  const size_t n = std::min<size_t>(std::strlen(reinterpret_cast<const char *>(expr)), kMprTextMax);
  std::memcpy(s.backup, expr, n);
  s.backup[n] = 0;
  s.backup_cursor = cursor;
  s.backup_valid = 1;
}

namespace {

// The measure pass of the whole string; false when it fails or is too tall.
bool MeasureAll(MprintBoxMetrics *m) {
  MprintState &s = S();
  s.draw = 0;
  s.top_clip = 0;
  s.scroll = 0;
  s.place = 1;
  s.cursor_x = -1;
  return LayBox(s.base, nullptr, m, 0, 120, false) == 1 && m->height <= kMprMaxHeight;
}

}  // namespace

u8 MprintMeasure(u8 *expr, u16 *width, u8 *height) {
  MprintState &s = S();
  TakeStackLow();
  s.base = expr;
  s.walk = expr;
  s.cursor = 0;
  s.cursor_mode = 0;
  MprintBoxMetrics m{};
  if (!MeasureAll(&m)) return 0;
  *width = m.width;
  *height = m.height;
  return 1;
}

u8 MprintLayoutLine(u8 cursor_mode, u8 *height, u8 *width) {
  MprintState &s = S();
  TakeStackLow();
  s.cursor_mode = cursor_mode;
  if (cursor_mode) s.cursor = MprintLegalCursor(s.base, s.cursor);
  MprintBoxMetrics m{};
  bool ok = MeasureAll(&m);
  if (!ok && s.backup_valid) {
    // Fall back to the string before the last edit, once.
    std::memcpy(s.base, s.backup, std::strlen(reinterpret_cast<const char *>(s.backup)) + 1);
    s.cursor = MprintLegalCursor(s.base, s.backup_cursor);
    s.backup_valid = 0;
    ok = MeasureAll(&m);
  }
  if (!ok) {
    // Nothing that can be laid out: an empty line.
    m = kLine;
    if (height) *height = m.height;
    if (width) *width = 0;
    return 0;
  }
  if (width) *width = static_cast<u8>(std::min<u32>(m.width, 128));
  if (height) *height = m.height;
  // Horizontal place.
  i32 x = 0;
  s.scroll = 0;
  if (cursor_mode) {
    x = s.origin;
    const i32 room = 122 - s.origin;
    while (s.cursor_x - s.scroll > room && static_cast<i32>(m.width) - s.scroll > room) s.scroll += 8;
  } else if (m.width <= 128) {
    x = 128 - m.width;
  } else {
    s.scroll = static_cast<u16>(8 * s.cursor);
    while (s.scroll > 0 && static_cast<i32>(m.width) - s.scroll < 121) s.scroll -= 8;
  }
  // Vertical place.
  const i32 cy = static_cast<i32>(m.height) - m.depth - 1 + s.offset;
  s.top_clip = s.offset < 0 ? static_cast<u8>(std::min<i32>(-s.offset, 255)) : 0;
  const i32 clear_top = std::max<i32>(s.offset, 0);
  const i32 clear_bottom = std::min<i32>(s.offset + m.height - 1, 55);
  if (clear_bottom >= clear_top) LcdClearArea({0, clear_top, 127, clear_bottom});
  // Draw pass.
  s.draw = 1;
  s.place = 1;
  s.cursor_x = -1;
  s.sel_x0 = -1;
  s.sel_x1 = -1;
  s.sel_top = 255;
  s.sel_bottom = -255;
  MprintBoxMetrics drawn{};
  LayBox(s.base, nullptr, &drawn, x - s.scroll, cy, false);
  s.draw = 0;
  if (cursor_mode == 1 && s.sel_x0 >= 0 && s.sel_x1 > s.sel_x0) {
    const i32 x0 = std::max<i32>(s.sel_x0, s.origin), x1 = std::min<i32>(s.sel_x1 - 1, 127);
    const i32 y0 = std::max<i32>({s.sel_top, s.offset, 0}), y1 = std::min<i32>(s.sel_bottom, 55);
    if (x0 <= x1 && y0 <= y1) LcdReverseArea(x0, y0, x1, y1);
  }
  LcdClearArea({0, 56, 127, 63});
  u8 result = 1;
  // The side markers stand on the centre line's glyph rows.
  const i32 my = std::max<i32>(cy - 4, 0);
  if (s.scroll != 0) {
    LcdClearArea({s.origin, my, s.origin + 5, my + 7});
    LcdPrintAtPixel(s.origin, my, s.arrows ? "\xE6\x9A" : "\xE6\xAF", 0);
    result = 0;
  }
  if (static_cast<i32>(m.width) > s.scroll + 128 - s.origin) {
    LcdClearArea({122, my, 127, my + 7});
    LcdPrintAtPixel(122, my, s.arrows ? "\xE6\x9B" : "\xE6\x9F", 0);
    result = 0;
  }
  if (s.arrows && m.height > 56) {
    if (s.top_clip != 0) LcdPrintAtPixel(61, 0, "\xE6\x9C", 0);
    if (m.height > s.top_clip + 56) LcdPrintAtPixel(61, 49, "\xE6\x9D", 0);
  }
  return result;
}

u8 MprintLayout(u8 *expr, u16 *cursor, u8 origin, i16 offset, u8 cursor_mode, u8 arrows, u8 *height,
                u8 *width) {
  MprintState &s = S();
  s.base = expr;
  s.walk = expr;
  s.origin = origin;
  s.offset = offset;
  s.arrows = arrows;
  s.cursor = cursor ? *cursor : 0;
  const u8 r = MprintLayoutLine(cursor_mode, height, width);
  if (cursor) *cursor = s.cursor;
  return r;
}
