#include "graph/engine/graph_scan.h"

#include "eval/eval.h"
#include "graph/engine/graph_eval.h"
#include "graph/engine/graph_plot.h"
#include "kernel/task.h"
#include "memory/item_array.h"
#include "number/realop.h"

namespace {

constexpr i32 kMaxCurves = 255;
constexpr i32 kMaxDepth = 26;

// Bracket constructs the pre-scan follows.
enum Construct : i32 {
  kNone = 0,
  kPolRec1 = 1,  // "Pol(" / "Rec(" with one argument
  kPolRec2 = 2,
  kDeriv1 = 3,  // "d/dx(" and the second derivative, one to three arguments
  kDeriv2 = 4,
  kDeriv3 = 5,
  kListLiteral = 6,
  kLogab1 = 7,
  kLogab2 = 8,
  kRndFix1 = 9,
  kRndFix2 = 10,
};

struct PreScan {
  i32 kind = kNone;
  i32 depth = 0;
  i32 constructDepth = 0;
  i32 listDepth = 0;
  i32 listCommas = 0;
  i32 size = 0;
};

// Every list of one formula has the same size.
u32 GraphPreScanSetSize(PreScan *s, i32 size) {
  if (s->size != 0 && s->size != size) return 9;
  s->size = size;
  return 0;
}

bool IsStatementEnd(u8 b) { return b == ':' || b == kTokNewline || b == kTokDisplayStop; }

// Reads one token: a byte, or lead byte and second byte as one code.
u32 ReadToken(TokPos *p) {
  const u8 b = **p;
  if (TokLenAt(*p) == 2) {
    const u32 code = (static_cast<u32>(b) << 8) | (*p)[1];
    *p += 2;
    return code;
  }
  *p += 1;
  return b;
}

// Opens a construct that takes its own bracket level.
u32 OpenConstruct(PreScan *s, i32 kind) {
  if (s->kind != kNone) return 2;
  s->kind = kind;
  s->constructDepth = s->depth;
  if (++s->depth > kMaxDepth) return 7;
  return 0;
}

// ")" : 0 go on, 1 the formula ends here, else an error code (as 2 + code).
u32 GraphPreScanClose(PreScan *s, bool *ends) {
  --s->depth;
  if (s->kind == kListLiteral && s->depth < s->listDepth) {
    *ends = true;
    const u32 code = GraphPreScanSetSize(s, s->listCommas + 1);
    s->kind = kNone;
    return code;
  }
  if (s->kind == kPolRec1 && s->depth < s->constructDepth) return 2;
  if (s->depth < 0) {
    *ends = true;
    return 0;
  }
  if (s->depth == s->constructDepth) {
    switch (s->kind) {
      case kPolRec2:
        s->kind = kNone;
        return GraphPreScanSetSize(s, 2);
      case kDeriv1:
      case kDeriv2:
      case kDeriv3:
      case kLogab2:
      case kRndFix1:
      case kRndFix2: s->kind = kNone; break;
      case kLogab1: return 2;
      default: break;
    }
  }
  return 0;
}

u32 GraphPreScanComma(PreScan *s, TokPos p, bool *ends) {
  switch (s->kind) {
    case kNone:
    case kDeriv3: *ends = true; return 0;
    case kPolRec1:
      s->kind = kPolRec2;
      s->depth = s->constructDepth + 1;
      return 0;
    case kDeriv1:
    case kDeriv2:
    case kLogab1:
    case kRndFix1:
      if (*p == '[') {
        *ends = true;
        return 0;
      }
      ++s->kind;
      s->depth = s->constructDepth + 1;
      return 0;
    case kListLiteral:
      if (*p == '[') {
        *ends = true;
        return 0;
      }
      s->depth = s->listDepth;
      if (++s->listCommas >= 256) return 2;
      return 0;
    default: return 2;
  }
}

// The list number after "List": 1..26 or 0 for "Ans"; -1 when none follows.
i32 GraphPreScanListRef(TokPos *p) {
  const u8 c = **p;
  if (c == kTokAns) {
    ++*p;
    return 0;
  }
  if (c < '1' || c > '9') return -1;
  ++*p;
  const u8 d = **p;
  if ((c == '1' && d >= '0' && d <= '9') || (c == '2' && d >= '0' && d <= '6')) {
    ++*p;
    return (c - '0') * 10 + (d - '0');
  }
  return c - '0';
}

// An element reference "List n[...]": skipped up to "]" (taken), or up to a
// "," or a statement end that the main loop reads.
void GraphPreScanSkipIndex(TokPos *p) {
  ++*p;  // "["
  for (;;) {
    const u8 b = **p;
    if (b == 0 || b == ',' || IsStatementEnd(b)) return;
    if (b == ']') {
      ++*p;
      return;
    }
    ReadToken(p);
  }
}

u32 GraphPreScanListSize(PreScan *s, i32 list) {
  if (s->kind != kNone) return 2;
  const u32 n = ItemListSize(0, static_cast<u8>(list));
  if (n == 0) return 9;
  if (n > 255) return 2;
  return GraphPreScanSetSize(s, static_cast<i32>(n));
}

u32 GraphPreScanToken7F(PreScan *s, u8 second, TokPos *p) {
  switch (second) {
    case 0x26:
    case 0x27: return OpenConstruct(s, kDeriv1);
    case 0x28:
    case 0x29:
    case 0x2A:
    case 0x2B:
    case 0x2C: return 2;
    case 0x85: return OpenConstruct(s, kLogab1);
    case 0x86: return OpenConstruct(s, kRndFix1);
    case 0x51: {
      const i32 list = GraphPreScanListRef(p);
      if (list < 0) return 0;
      if (**p == '[') {
        GraphPreScanSkipIndex(p);
        return 0;
      }
      return GraphPreScanListSize(s, list);
    }
    default: return 0;
  }
}

bool InProgramText() { return SysIsAppName("@RUNMAT") || SysIsAppName("@PROG"); }

}  // namespace

u32 GraphPreScan(TokPos *pos, i32 *listSize) {
  PreScan s;
  TokPos p = *pos;
  for (;;) {
    const u8 first = *p;
    if (first == 0) {
      ++p;
      break;
    }
    const u32 tok = ReadToken(&p);
    bool ends = false;
    u32 code = 0;
    if (tok > 0xFF) {
      if ((tok >> 8) == kTokLead7F) code = GraphPreScanToken7F(&s, static_cast<u8>(tok), &p);
    } else if (IsStatementEnd(static_cast<u8>(tok))) {
      if (!InProgramText()) return 2;
      break;
    } else {
      switch (tok) {
        case '(':
        case 0xFB:  // P(
        case 0xFC:  // Q(
        case 0xFD:  // R(
        case 0xFE:  // t(
          if (++s.depth > kMaxDepth) code = 7;
          break;
        case ')': code = GraphPreScanClose(&s, &ends); break;
        case ',': code = GraphPreScanComma(&s, p, &ends); break;
        case '{':
          if (s.kind != kNone) return 2;
          s.kind = kListLiteral;
          s.listDepth = s.depth;
          s.listCommas = 0;
          break;
        case '}':
          if (s.kind != kListLiteral) return 2;
          s.kind = kNone;
          s.depth = s.listDepth;
          code = GraphPreScanSetSize(&s, s.listCommas + 1);
          break;
        case kTokPol:
        case kTokRec:
          if (s.kind != kNone) return 2;
          s.kind = kPolRec1;
          s.constructDepth = s.depth;
          break;
        case kTokIntegral: return 2;
        default: break;
      }
    }
    if (code) return code;
    if (ends) break;
  }
  if (s.kind == kListLiteral) {
    if (const u32 code = GraphPreScanSetSize(&s, s.listCommas + 1)) return code;
  } else if (s.kind == kPolRec2) {
    if (const u32 code = GraphPreScanSetSize(&s, 2)) return code;
  }
  *pos = p;
  *listSize = s.size;
  return 0;
}

u32 GraphSkipFormula(const GraphEntry *entry, TokPos *pos, i32 *listSize) {
  TokPos p = *pos;
  if (const u32 code = GraphPreScan(&p, listSize)) return code;
  --p;  // back onto the character that ended the formula
  if ((entry->type & kGraphTypeBracket) && *p == ')') ++p;
  *pos = p;
  return 0;
}

void GraphInitRangeState(GraphContext *ctx, i32 idx, const BcdReal bounds[2]) {
  GraphEntry *e = &ctx->entries[idx];
  const bool against = (e->rangeState & kGraphRangeAgainst) != 0;
  const bool swap = ((ctx->runFlags & kGraphRunXReversed) != 0) != against;
  const BcdReal &start = bounds[swap ? 1 : 0];
  const BcdReal &end = bounds[swap ? 0 : 1];
  // The x of the first and the last column plotted.
  i32 firstCol = 1;
  i32 lastCol = (ctx->runFlags & kGraphRunHalf) ? 63 : kGraphLastColumn;
  if (ctx->runFlags & kGraphRunStrip) {
    if (ctx->runFlags & kGraphRunStripRight) {
      firstCol = 118;
      lastCol = kGraphLastColumn;
    } else {
      firstCol = 10;
      lastCol = 1;
    }
  }
  BcdReal s0, s1;
  GraphColumnToX(&s0, firstCol, &ctx->view, ctx->runFlags);
  GraphColumnToX(&s1, lastCol, &ctx->view, ctx->runFlags);
  const bool rising = RealCompare(kRealCmpLe, &s0, &s1) == 1;
  auto before = [rising](const BcdReal *a, const BcdReal *b) {
    return RealCompare(rising ? kRealCmpLt : kRealCmpGt, a, b) == 1;
  };
  if (before(&end, &s0) || before(&s1, &start)) {
    e->rangeState |= kGraphRangeDone;
  } else if (!before(&start, &s0)) {
    e->rangeState |= kGraphRangeWaiting;
    if (!before(&s1, &end)) e->rangeState |= kGraphRangeEndInside;
  } else {
    e->rangeState |= before(&s1, &end) ? kGraphRangeToEdge : kGraphRangeDrawing;
  }
}

void GraphWidenTRange(GraphContext *ctx, i32 idx, const BcdReal bounds[2]) {
  GraphView *v = &ctx->view;
  if (ctx->entries[idx].rangeState & kGraphRangeAgainst) {
    if (RealCompare(kRealCmpLt, &bounds[0], &v->plotTmax) == 1) v->plotTmax = bounds[0];
    if (RealCompare(kRealCmpGt, &bounds[1], &v->plotTmin) == 1) v->plotTmin = bounds[1];
  } else {
    if (RealCompare(kRealCmpLt, &bounds[0], &v->plotTmin) == 1) v->plotTmin = bounds[0];
    if (RealCompare(kRealCmpGt, &bounds[1], &v->plotTmax) == 1) v->plotTmax = bounds[1];
  }
}

u32 GraphSetRange(GraphContext *ctx, i32 idx, const BcdReal bounds[2]) {
  GraphEntry *e = &ctx->entries[idx];
  e->type |= kGraphTypeRanged;
  e->rangeState = 0;
  BcdReal zero;
  RealSetZero(&zero);
  if ((e->type & kGraphTypeT) && RealCompare(kRealCmpLt, &ctx->view.tpitch, &zero) == 1) {
    e->rangeState |= kGraphRangeAgainst;
  }
  if (RealCompare(kRealCmpGt, &bounds[0], &bounds[1]) == 1) {
    e->rangeState |= kGraphRangeReversedBounds;
    return 2;
  }
  if (RealCompare(kRealCmpEq, &bounds[0], &bounds[1]) == 1) e->rangeState |= kGraphRangeSingle;
  if (e->type & (kGraphTypeX | kGraphTypeY)) {
    if ((ctx->runFlags & (kGraphRunStrip | kGraphRunStripRight)) == kGraphRunStrip) {
      e->rangeState ^= kGraphRangeAgainst;
    }
    GraphInitRangeState(ctx, idx, bounds);
  } else {
    GraphWidenTRange(ctx, idx, bounds);
  }
  return 0;
}

u32 GraphParseRange(GraphContext *ctx, i32 idx, TokPos pos) {
  GraphEntry *e = &ctx->entries[idx];
  const bool byX = (e->type & kGraphTypeX) != 0;
  TokPos p = pos + 2;  // past ",["
  BcdReal bounds[2];
  if (byX && *p == ',') {
    EvalSetMinReal(&bounds[0]);
    ++p;
  } else {
    u8 end = 0;
    if (const u32 code = GraphEvalItemEnd(&p, &bounds[0], &end)) return code;
    if (end != ',') return 2;
  }
  if (byX && (*p == ']' || *p == 0)) {
    EvalSetMaxReal(&bounds[1]);
    if (*p == ']') ++p;
    if (*p != 0) return 2;
  } else {
    u8 end = 0;
    if (const u32 code = GraphEvalItemEnd(&p, &bounds[1], &end)) return code;
    if (end == ']') {
      if (*p != 0) return 2;
    } else if (end != 0) {
      return 2;
    }
  }
  return GraphSetRange(ctx, idx, bounds);
}

u32 GraphParseValueList(GraphContext *ctx, i32 idx, i32 *count, TokPos pos) {
  GraphEntry *e = &ctx->entries[idx];
  e->type |= kGraphTypeValueList;
  TokPos p = pos + 2;  // past ",["
  const u8 letter = *p;
  if (letter < 'A' || letter > 'Z' || letter == 'T' || letter == 'X' || letter == 'Y') return 2;
  e->letter = letter;
  p += 2;  // the letter and "="
  e->listCount = 0;
  for (;;) {
    BcdReal v;
    u8 end = 0;
    if (const u32 code = GraphEvalItemEnd(&p, &v, &end)) return code;
    if (++e->listCount >= 2) ++*count;
    if (end == 0) return 0;
    if (end == ']') return *p == 0 ? 0 : 2;
    if (end != ',') return 2;
  }
}

u32 GraphScanEntryTail(GraphContext *ctx, i32 idx, i32 *count, TokPos pos) {
  GraphEntry *e = &ctx->entries[idx];
  const u8 c = *pos;
  if (c == 0) return 0;
  if (c != ',') return 2;
  if (pos[1] == '[') {
    const u8 after = pos[2];
    if (after == 0 || IsStatementEnd(after)) return 2;
    if (pos[3] != '=') {
      if (e->type & kGraphTypeY) return 2;
      return GraphParseRange(ctx, idx, pos);
    }
    return GraphParseValueList(ctx, idx, count, pos);
  }
  const u32 both = kGraphTypeX | kGraphTypeParam;
  return (e->type & both) == both ? 0 : 2;
}

u32 GraphScanEntries(GraphContext *ctx, i32 *count) {
  *count = 0;
  if (ctx->entries == nullptr) return 0;
  for (i32 idx = 0; ctx->entries[idx].style != 0; ++idx) {
    GraphEntry *e = &ctx->entries[idx];
    if (++*count > kMaxCurves) return 2;
    if (!(e->type & (kGraphTypeBuiltin | kGraphTypePoints))) {
      e->type &= ~u32{kGraphTypeListValued | kGraphTypeRanged | kGraphTypeValueList};
      e->listCount = 1;
      if (e->text == nullptr) return 2;
      TokPos pos = e->text;
      i32 size = 0;
      if (const u32 code = GraphSkipFormula(e, &pos, &size)) return code;
      if (size > 0) {
        if (*pos != 0) return 2;
        *count += size - 1;
        if (*count > kMaxCurves) return 2;
        e->type |= kGraphTypeListValued;
        e->listCount = static_cast<u32>(size);
      } else {
        if (const u32 code = GraphScanEntryTail(ctx, idx, count, pos)) return code;
        if (*count > kMaxCurves) return 2;
      }
    }
    if (e->type & kGraphTypeArea) GraphPrepareArea(ctx, idx);
  }
  return 0;
}
