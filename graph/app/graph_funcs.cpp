#include "graph/app/graph_funcs.h"

#include <cstdio>
#include <cstring>

#include "eval/token.h"
#include "graph/engine/graph_context.h"
#include "graph/memory/gmem_func.h"
#include "graph/memory/gmem_record.h"
#include "kernel/task.h"
#include "memory/mcs_api.h"
#include "ui/setup.h"

namespace {

constexpr u8 kGraphFuncKind = 2;
constexpr u32 kErrMemory = 4;
constexpr u32 kErrArgument = 8;

// The head bytes of slot n in place, null when the slot is missing.
const u8 *SlotHead(int n) {
  if (n < 1 || n > kGmemFuncSlots) return nullptr;
  char name[4];
  std::snprintf(name, sizeof name, "%d", n);
  u8 *data = nullptr;
  u32 size = 0;
  if (McsOpenByKindPtr(kGraphFuncKind, name, &size, &data) != 0 || size < kGmemFuncHeader) return nullptr;
  return data;
}

u8 StyleOfType(u16 type) { return type == kGraphFuncYLt || type == kGraphFuncYGt ? 8 : 2; }

bool AppIs(const char *name) {
  char app[9] = {};
  SysGetAppName(app);
  return std::strcmp(app, name) == 0;
}

// Writes slot n: type, style, attribute and text; 0 or 4.
u32 WriteSlot(int n, u16 type, u8 attr, u8 style, const char *text) {
  const u8 head[4] = {static_cast<u8>(type & 0xFF), static_cast<u8>(type >> 8), attr, style};
  return GmemWriteFuncItem(n, head, text) == 0 ? 0 : kErrMemory;
}

// The stored pair with half `part` replaced by text (len bytes) into out
// (2 * 255 + 4 bytes): false when the joined text would reach 255 bytes.
bool JoinParam(const char *old, int part, const char *text, u32 len, char *out) {
  if (old == nullptr) old = "";
  const char *second = GraphSkipFuncHead(old);
  const bool hasSep = second > old && static_cast<u8>(second[-1]) == kGraphFuncSeparator;
  const u32 firstLen = static_cast<u32>(hasSep ? second - old - 1 : second - old);
  const u32 secondLen = static_cast<u32>(std::strlen(second));
  const u32 total = part == 0 ? len + 1 + secondLen : firstLen + 1 + len;
  if (total >= kGraphFuncTextRoom) return false;
  char *o = out;
  if (part == 0) {
    std::memcpy(o, text, len);
    o += len;
    *o++ = static_cast<char>(kGraphFuncSeparator);
    std::memcpy(o, second, secondLen + 1);
  } else {
    std::memcpy(o, old, firstLen);
    o += firstLen;
    *o++ = static_cast<char>(kGraphFuncSeparator);
    std::memcpy(o, text, len);
    o[len] = 0;
  }
  return true;
}

}  // namespace

u16 GraphTypeOfFuncType(u32 t) {
  static const u16 kTypes[8] = {kGraphFuncY,   kGraphFuncR,   kGraphFuncParam, kGraphFuncXc,
                                kGraphFuncYGt, kGraphFuncYLt, kGraphFuncYGe,   kGraphFuncYLe};
  return t < 8 ? kTypes[t] : static_cast<u16>(kGraphFuncY);
}

u32 GraphFuncTextLength(int n) {
  const char *t = GmemFuncDataPtr(n);
  return t == nullptr ? 0 : static_cast<u32>(std::strlen(t));
}

u16 GraphSlotType(int n) {
  if (GraphFuncTextLength(n) != 0) {
    const u16 t = GmemReadFuncType(n);
    if (t != 0) return t;
  }
  return GraphTypeOfFuncType(SetupGetItem(kSetupFuncType));
}

const char *GraphSkipFuncHead(const char *text) {
  const u8 *p = reinterpret_cast<const u8 *>(text);
  while (*p != 0) {
    if (*p == kGraphFuncSeparator) return reinterpret_cast<const char *>(p + 1);
    p += (TokIsLeadByte(*p) && p[1] != 0) ? 2 : 1;
  }
  return reinterpret_cast<const char *>(p);
}

u8 GraphFuncAttr(int n) {
  const u8 *h = SlotHead(n);
  return h ? h[2] : 0;
}

u8 GraphAppSelectBit() {
  struct Sel {
    const char *app;
    u8 bit;
  };
  static const Sel kSel[] = {{"@GRAPH", kGraphSelGraph}, {"@DYNA", kGraphSelDyna},  {"@STAT", kGraphSelStat},
                             {"@RECUR", kGraphSelDyna},  {"@CAS", kGraphSelOther},  {"@ALGEBRA", kGraphSelOther},
                             {"@TUTOR", kGraphSelOther}, {"@TABLE", kGraphSelTable}, {"@SSHEET", kGraphSelStat}};
  char app[9] = {};
  SysGetAppName(app);
  for (const Sel &s : kSel) {
    if (std::strcmp(app, s.app) == 0) return s.bit;
  }
  return 0;
}

u32 GraphStoreFuncText(int n, int part, const char *text) {
  u16 type = GraphSlotType(n);
  const bool stat = AppIs("@STAT") || AppIs("@SSHEET");
  char joined[2 * kGraphFuncTextRoom + 4];
  const char *store = text;
  if (type == kGraphFuncParam && !AppIs("@STAT")) {
    if (!JoinParam(GmemFuncDataPtr(n), part, text, static_cast<u32>(std::strlen(text)), joined)) return kErrMemory;
    store = joined;
  }
  if (stat) type = kGraphFuncY;
  return WriteSlot(n, type, GraphAppSelectBit(), StyleOfType(type), store);
}

u32 GraphConvertFuncType(int n, u16 type) {
  if (GraphFuncTextLength(n) == 0) return 0;
  const u16 old = GmemReadFuncType(n);
  if (old == kGraphFuncXc || old == kGraphFuncParam || old == kGraphFuncR) return 0;
  if (GmemSetFuncType(n, type) != 0) return 0;
  if (type != kGraphFuncY) {
    const u8 other = AppIs("@TABLE") ? kGraphSelGraph : kGraphSelTable;
    GmemSetFuncFlags(n, 0, static_cast<u8>(kGraphSelDyna | kGraphSelStat | other));
  }
  return 1;
}

void GraphSelectFuncType(u32 t) {
  SetupSetItem(kSetupFuncType, static_cast<u8>(t));
  GmemForgetGraphTable();
  GmemDeleteGraphRecord();
}

u32 GraphAssignFuncText(u8 which, int n, const u8 *text, u32 len) {
  if (n < 1 || n > kGmemFuncSlots) return kErrArgument;
  char buf[kGraphFuncTextRoom + 2];
  if (len > kGraphFuncTextRoom) return kErrMemory;
  std::memcpy(buf, text, len);
  buf[len] = 0;
  const u16 oldType = GmemReadFuncType(n);
  const u8 oldAttr = GraphFuncAttr(n);
  const bool exists = GmemFuncDataPtr(n) != nullptr;
  // A new function is selected for the graph screen.
  const u8 attr = exists ? oldAttr : static_cast<u8>(kGraphSelGraph);
  if (which == 0xF2 || which == 0xF3) {
    const char *old = oldType == kGraphFuncParam ? GmemFuncDataPtr(n) : nullptr;
    char joined[2 * kGraphFuncTextRoom + 4];
    if (!JoinParam(old, which == 0xF2 ? 0 : 1, buf, len, joined)) return kErrMemory;
    // Both halves empty: the function is gone.
    if (joined[0] == static_cast<char>(kGraphFuncSeparator) && joined[1] == 0) {
      GmemDeleteFunc(n);
      return 0;
    }
    return WriteSlot(n, kGraphFuncParam, attr, 2, joined);
  }
  if (len == 0) {
    GmemDeleteFunc(n);
    return 0;
  }
  u16 type = kGraphFuncY;
  if (which == 0xF1) {
    type = kGraphFuncR;
  } else if (which == 0xF4) {
    type = kGraphFuncXc;
  } else {
    const u8 ft = SetupGetItem(kSetupFuncType);
    if (ft >= 4 && ft <= 7) type = GraphTypeOfFuncType(ft);
  }
  return WriteSlot(n, type, attr, StyleOfType(type), buf);
}

u32 GraphParseMemNumber(const u8 **p, int *n) {
  const u8 *q = *p;
  if (q[0] < '0' || q[0] > '9') return kErrArgument;
  int v = q[0] - '0';
  ++q;
  if (q[0] >= '0' && q[0] <= '9') {
    v = v * 10 + (q[0] - '0');
    ++q;
  }
  if (v < 1 || v > kGmemFuncSlots) return kErrArgument;
  *n = v;
  *p = q;
  return 0;
}
