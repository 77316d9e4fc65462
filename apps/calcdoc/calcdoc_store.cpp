// The calculation document's item: its check, its queries and its changes.
// A change builds the new item bytes aside and writes them in one step.
#include "apps/calcdoc/calcdoc_store.h"

#include <cstring>
#include <string>
#include <vector>

#include "kernel/heap.h"
#include "memory/item_array.h"
#include "memory/item_system.h"
#include "memory/mcs_api.h"
#include "memory/mcs_store.h"
#include "memory/str.h"
#include "number/value.h"
#include "ui/keycodes.h"
#include "ui/setup.h"
#include "ui/sysvar.h"

namespace {

constexpr u8 kErrMemory = 4;
constexpr u32 kCmdBottom = 8;
constexpr u32 kCmdNothing = 23;
constexpr u32 kTitleBody = 14;

CalcDocState g_doc{};

using Bytes = std::vector<u8>;

u32 Get32(const u8 *p) {
  u32 v;
  std::memcpy(&v, p, 4);
  return v;
}
void Put32(u8 *p, u32 v) { std::memcpy(p, &v, 4); }
u16 Get16(const u8 *p) {
  u16 v;
  std::memcpy(&v, p, 2);
  return v;
}
void Put16(u8 *p, u16 v) { std::memcpy(p, &v, 2); }

u8 ItemType() { return McsKindToType(kMcsKindFolder); }

// The item's bytes in place (null and 0 when it is missing).
const u8 *Raw(u32 *size) {
  u8 *data = nullptr;
  *size = 0;
  if (McsOpenInFolderPtr(g_doc.folder, g_doc.name, size, &data) != 0) {
    *size = 0;
    return nullptr;
  }
  return data;
}

// Whether the document item is of the document's type and carries no flag
// that refuses a write, so that changes can replace it.
bool Rewritable() {
  McsItemRecord *record = nullptr;
  u8 type = 0;
  if (McsFindItem(g_doc.folder, g_doc.name, &type, &record, nullptr, nullptr) != 0 || record == nullptr) return false;
  return type == ItemType() && McsFlagError(record->flags) == 0;
}

// The length of a text starting at `at` that must end inside `end`; -1 when
// no terminator comes first.
i32 TextLength(const u8 *data, u32 at, u32 end) {
  for (u32 i = at; i < end; ++i)
    if (data[i] == 0) return static_cast<i32>(i - at);
  return -1;
}

u32 TextLen(const u8 *text) { return StrByteLen(reinterpret_cast<const char *>(text)); }

bool IsArrayKind(u8 k) { return (k & 0x70) == 0x20 || (k & 0x70) == 0x30; }
bool IsComplexKind(u8 k) { return (k & 0x80) != 0 && (k & 0xF0) != 0xF0; }

// Element cells behind a result Value (0 for a scalar).
u32 CellBytes(const Value &v) {
  EvalArrayHeader h;
  ValGetHeader(&v, &h);
  if (!IsArrayKind(h.kind)) return 0;
  const u32 n = (h.kind & 0x70) == 0x20 ? h.count : u32{h.count} * h.cols;
  return n * (IsComplexKind(h.kind) ? 24u : 12u);
}

bool ResultOk(const u8 *d, u32 size) {
  if (size < kDocResultHead) return false;
  Value v;
  std::memcpy(&v, d, sizeof v);
  const u8 k = d[0];
  if (IsArrayKind(k)) {
    EvalArrayHeader h;
    ValGetHeader(&v, &h);
    const bool list = (k & 0x70) == 0x20;
    if (list ? (h.count == 0 || h.count > kItemListMaxCount)
             : (h.count == 0 || h.cols == 0 || h.count > kItemMatMaxDim || h.cols > kItemMatMaxDim))
      return false;
    if (k != kValRealList && k != kValComplexList && k != kValRealMatrix && k != kValComplexMatrix) return false;
    if (size != kDocResultHead + CellBytes(v)) return false;
    for (u32 at = kDocResultHead; at < size; at += 12)
      if (!RealIsWellFormed(reinterpret_cast<const BcdReal *>(d + at))) return false;
    return true;
  }
  if (size != kDocResultHead) return false;
  if (ValErrorCode(&v)) return false;
  BcdReal re = v.re;
  re.b[0] &= 0x7F;
  return RealIsWellFormed(&re) && RealIsWellFormed(&v.im);
}

bool EntryOk(u8 kind, const u8 *d, u32 size) {
  switch (kind) {
    case kDocCalc: {
      if (size < 12) return false;
      const i32 n = TextLength(d, 8, size);
      return n >= 0 && CalcDocPadded(static_cast<u32>(n)) + 8 == size && Get16(d + 2) > 0;
    }
    case kDocTemplateText: {
      if (size < 8) return false;
      const i32 n = TextLength(d, 4, size);
      return n >= 0 && CalcDocPadded(static_cast<u32>(n)) + 4 == size && Get16(d + 2) > 0;
    }
    case kDocResult: return ResultOk(d, size);
    case kDocStop: return size == 4 && d[0] == 0;
    case kDocTitle:
    case kDocText: {
      const i32 n = TextLength(d, 0, size);
      return n >= 0 && CalcDocPadded(static_cast<u32>(n)) == size;
    }
    case kDocStrip: {
      if (size < kDocStripHead + 8) return false;
      const u16 id = Get16(d + 12);
      if (id < 1 || id > 17) return false;
      const i32 n = TextLength(d, kDocStripHead, size);
      return n >= 0 && kDocStripHead + CalcDocPadded(static_cast<u32>(n)) + 4 <= size;
    }
    default: return false;
  }
}

// Offset and size of entry i of a checked item.
void Span(const u8 *data, u32 size, u32 i, u32 *off, u32 *len) {
  const u32 n = Get32(data);
  *off = Get32(data + 4 + 4 * i) & 0xFFFFFF;
  const u32 next = i + 1 < n ? (Get32(data + 8 + 4 * i) & 0xFFFFFF) : size;
  *len = next - *off;
}

// The checked item, or null (missing or damaged).
const u8 *Doc(u32 *size) {
  const u8 *data = Raw(size);
  if (data == nullptr || !CalcDocCheck(data, *size)) {
    *size = 0;
    return nullptr;
  }
  return data;
}

Bytes Copy() {
  u32 size = 0;
  const u8 *data = Doc(&size);
  if (data == nullptr) return Bytes{0, 0, 0, 0, 0, 0, 0, 0};
  return Bytes(data, data + size);
}

u32 FreeBytes() {
  u32 total = 0, used = 0, free_bytes = 0;
  McsGetMemoryUse(&total, &used, &free_bytes);
  return free_bytes;
}

// Writes the new item; 1, or 0 when it did not fit (the old item stands).
u32 Write(const Bytes &b) {
  if (ItemWriteWhole(g_doc.folder, g_doc.name, ItemType(), b.data(), static_cast<u32>(b.size())) != 0) return 0;
  g_doc.count = Get32(b.data());
  return 1;
}

// Builds the data of a new entry.
Bytes MakeData(u8 kind, const CalcDocLineInfo &info, const void *src) {
  Bytes d;
  auto text = [&](const u8 *t) {
    const u32 n = t ? TextLen(t) : 0;
    const size_t at = d.size();
    d.resize(at + CalcDocPadded(n), 0);
    if (n) std::memcpy(d.data() + at, t, n);
  };
  const u8 *t = static_cast<const u8 *>(src);
  switch (kind) {
    case kDocCalc:
      d.resize(8, 0);
      Put16(d.data(), info.width);
      Put16(d.data() + 2, info.height);
      text(t);
      break;
    case kDocTemplateText:
      d.resize(4, 0);
      Put16(d.data(), info.width);
      Put16(d.data() + 2, info.height);
      text(t);
      break;
    case kDocResult: {
      const Value *v = static_cast<const Value *>(src);
      d.resize(kDocResultHead, 0);
      std::memcpy(d.data(), v, sizeof *v);
      CalcDocResultFormat f = CalcDocNewFormat();
      f.width = info.width;
      f.height = info.height;
      std::memcpy(d.data() + 24, &f, sizeof f);
      const u32 cells = CellBytes(*v);
      if (cells) {
        EvalArrayHeader h;
        ValGetHeader(v, &h);
        const u8 *block = MemDeref(h.handle);
        if (block == nullptr || MemRoom(h.handle) < cells) return Bytes{};
        d.insert(d.end(), block, block + cells);
        // The stored header keeps no handle: it is rewritten on every read.
        EvalArrayHeader stored = h;
        stored.handle = 0;
        Value sv;
        ValSetHeader(&stored, &sv);
        std::memcpy(d.data(), &sv, sizeof sv);
      }
      break;
    }
    case kDocStrip: {
      const CalcDocStripHead *head = static_cast<const CalcDocStripHead *>(src);
      d.resize(kDocStripHead, 0);
      std::memcpy(d.data(), head->app, sizeof head->app);
      Put16(d.data() + 12, head->id);
      Put16(d.data() + 14, head->sub);
      text(head->name);
      d.resize(d.size() + 4, 0);
      break;
    }
    default:
      text(t);
      break;
  }
  return d;
}

// Settles the kind of a text line by its text.
u8 SettleKind(u8 kind, const void *src) {
  if (kind != kDocText && kind != kDocTemplateText) return kind;
  const u8 *t = static_cast<const u8 *>(src);
  if (kind == kDocText && t && !CalcDocIsPlainText(t)) return kDocTemplateText;
  if (kind == kDocTemplateText && (!t || CalcDocIsPlainText(t))) return kDocText;
  return kind;
}

// The item with one entry's data put in before entry index.
void InsertInto(Bytes *b, u32 index, u8 kind, const Bytes &data) {
  const u32 n = Get32(b->data());
  const u32 off = index < n ? (Get32(b->data() + 4 + 4 * index) & 0xFFFFFF) : static_cast<u32>(b->size());
  const u32 size = static_cast<u32>(data.size());
  b->insert(b->begin() + off, data.begin(), data.end());
  for (u32 i = index; i < n; ++i) Put32(b->data() + 4 + 4 * i, Get32(b->data() + 4 + 4 * i) + size);
  u8 word[4];
  Put32(word, DocTypeWord(kind) | off);
  b->insert(b->begin() + 4 + 4 * index, word, word + 4);
  for (u32 i = 0; i <= n; ++i) Put32(b->data() + 4 + 4 * i, Get32(b->data() + 4 + 4 * i) + 4);
  Put32(b->data(), n + 1);
}

void RemoveFrom(Bytes *b, u32 index) {
  const u32 n = Get32(b->data());
  u32 off = 0, len = 0;
  Span(b->data(), static_cast<u32>(b->size()), index, &off, &len);
  b->erase(b->begin() + off, b->begin() + off + len);
  b->erase(b->begin() + 4 + 4 * index, b->begin() + 8 + 4 * index);
  for (u32 i = 0; i + 1 < n; ++i) {
    u32 w = Get32(b->data() + 4 + 4 * i) - 4;
    if (i >= index) w -= len;
    Put32(b->data() + 4 + 4 * i, w);
  }
  Put32(b->data(), n - 1);
}

u8 DefaultLineKind() { return std::strcmp(g_doc.name, kDocNameRun) == 0 ? kDocCalc : kDocText; }

bool IsEact() { return std::strcmp(g_doc.name, kDocNameEact) == 0; }

// Result entry kind filter for the latest-result searches.
i32 FindResultAbove(int want) {
  u32 size = 0;
  const u8 *data = Doc(&size);
  if (data == nullptr) return -1;
  const u32 n = Get32(data);
  u32 from = g_doc.current < n ? g_doc.current : n;
  while (from-- > 0) {
    if (DocKindOf(Get32(data + 4 + 4 * from)) != kDocResult) continue;
    u32 off = 0, len = 0;
    Span(data, size, from, &off, &len);
    const u8 k = data[off];
    const int kind = (k & 0x70) == 0x20 ? 2 : (k & 0x70) == 0x30 ? 3 : 1;
    if (kind == want) return static_cast<i32>(from);
  }
  return -1;
}

void MemoryError(Value *out) {
  std::memset(out, 0, sizeof *out);
  out->re.b[0] = 0xF0;
  out->re.b[1] = kErrMemory;
}

}  // namespace

CalcDocState *CalcDocGetState() { return &g_doc; }

bool CalcDocCheck(const u8 *data, u32 size) {
  if (data == nullptr || size < 8 || size % 4 != 0) return false;
  const u32 n = Get32(data);
  if (n > (size - 8) / 4) return false;
  const u32 table_end = 8 + 4 * n;
  if (Get32(data + 4 + 4 * n) != 0) return false;
  if (n == 0) return size == 8;
  u32 prev = table_end;
  for (u32 i = 0; i < n; ++i) {
    const u32 w = Get32(data + 4 + 4 * i);
    const u32 off = w & 0xFFFFFF;
    if (off != prev) return false;  // data in table order, without gaps
    const u32 next = i + 1 < n ? (Get32(data + 8 + 4 * i) & 0xFFFFFF) : size;
    if (next <= off || next > size) return false;
    if (!EntryOk(DocKindOf(w), data + off, next - off)) return false;
    prev = next;
  }
  return true;
}

u32 CalcDocOpen(const char *name, const char *title_name) {
  std::memset(g_doc.name, 0, sizeof g_doc.name);
  std::strncpy(g_doc.name, name, 8);
  std::strcpy(g_doc.folder, IsEact() ? kDocEactFolder : kDocRunFolder);
  g_doc.current = 0;
  g_doc.fresh = 0;
  g_doc.row = 0;
  g_doc.modified = 0;
  g_doc.damaged = 0;
  g_doc.strip = 0;
  u32 size = 0;
  const u8 *raw = Raw(&size);
  if (raw != nullptr && (!CalcDocCheck(raw, size) || !Rewritable())) {
    // A damaged item is reported and replaced by a new document. An item of
    // another type or with write-protection flags (a file can carry one)
    // counts as damaged too: every later change would be refused. Its flags
    // are cleared first so that it can go.
    g_doc.damaged = 1;
    McsSetItemFlags(g_doc.folder, g_doc.name, 0);
    McsDeleteItem(g_doc.folder, g_doc.name);
    raw = nullptr;
  }
  const u32 n = raw ? Get32(raw) : 0;
  g_doc.count = n;
  if (n != 0) return std::strcmp(g_doc.name, kDocNameRun) == 0 ? kCmdBottom : kCmdNothing;
  Bytes b{0, 0, 0, 0, 0, 0, 0, 0};
  if (IsEact()) {
    std::string title = "======";
    if (title_name) title += title_name;
    while (title.size() < kTitleBody) title += ' ';
    title += "=======";
    const u32 len = static_cast<u32>(title.size());
    const u16 width = static_cast<u16>(len * 6 > kDocScreenWidth ? kDocScreenWidth : len * 6);
    const Bytes d = MakeData(kDocTitle, {DocTypeWord(kDocTitle), width, 8},
                             reinterpret_cast<const u8 *>(title.c_str()));
    InsertInto(&b, 0, kDocTitle, d);
  }
  const u8 kind = DefaultLineKind();
  InsertInto(&b, Get32(b.data()), kind, MakeData(kind, {DocTypeWord(kind), 6, 8}, reinterpret_cast<const u8 *>("")));
  if (!Write(b)) {
    g_doc.count = 0;
    return kKeyExit;
  }
  g_doc.current = Get32(b.data()) - 1;
  return kKeyEditLine;
}

u32 CalcDocEntryCount() {
  u32 size = 0;
  const u8 *data = Doc(&size);
  return data ? Get32(data) : 0;
}

u32 CalcDocEntryType(u32 index) {
  u32 size = 0;
  const u8 *data = Doc(&size);
  if (data == nullptr || index >= Get32(data)) return 0;
  return Get32(data + 4 + 4 * index) & 0xFF000000u;
}

const u8 *CalcDocEntryData(u32 index) {
  u32 size = 0;
  const u8 *data = Doc(&size);
  if (data == nullptr || index >= Get32(data)) return nullptr;
  u32 off = 0, len = 0;
  Span(data, size, index, &off, &len);
  return data + off;
}

const u8 *CalcDocEntryText(u32 index) {
  const u8 *d = CalcDocEntryData(index);
  if (d == nullptr) return nullptr;
  switch (DocKindOf(CalcDocEntryType(index))) {
    case kDocCalc: return d + 8;
    case kDocStrip: return d + kDocStripHead;
    case kDocTemplateText: return d + 4;
    case kDocTitle:
    case kDocText: return d;
    default: return nullptr;
  }
}

u32 CalcDocEntrySize(u32 index) {
  u32 size = 0;
  const u8 *data = Doc(&size);
  if (data == nullptr || index >= Get32(data)) return 0;
  u32 off = 0, len = 0;
  Span(data, size, index, &off, &len);
  return len;
}

u32 CalcDocEntryInfo(u32 index, CalcDocLineInfo *out) {
  const u8 *d = CalcDocEntryData(index);
  if (d == nullptr) return 0;
  const u32 type = CalcDocEntryType(index);
  out->type = type;
  switch (DocKindOf(type)) {
    case kDocCalc:
    case kDocTemplateText:
      out->width = Get16(d);
      out->height = Get16(d + 2);
      break;
    case kDocResult:
      out->width = Get16(d + 24);
      out->height = Get16(d + 26);
      break;
    case kDocStrip:
      out->width = kDocScreenWidth;
      out->height = 12;
      break;
    case kDocStop:
      out->width = kDocScreenWidth;
      out->height = 8;
      break;
    default: {
      const u32 w = 6 * TextLen(d);
      out->width = static_cast<u16>(w > kDocScreenWidth ? kDocScreenWidth : w);
      out->height = 8;
      break;
    }
  }
  return 1;
}

u32 CalcDocEntryHeight(u32 index) {
  CalcDocLineInfo info{};
  return CalcDocEntryInfo(index, &info) ? info.height : 0;
}

u32 CalcDocEntryWidth(u32 index) {
  CalcDocLineInfo info{};
  return CalcDocEntryInfo(index, &info) ? info.width : 0;
}

u32 CalcDocHasRoom(u32 bytes) { return FreeBytes() >= bytes ? 1 : 0; }

u32 CalcDocInsertEntry(u32 index, const CalcDocLineInfo &info, const void *data) {
  Bytes b = Copy();
  const u32 n = Get32(b.data());
  if (index > n) return 0;
  const u8 kind = SettleKind(DocKindOf(info.type), data);
  const Bytes d = MakeData(kind, info, data);
  if (d.empty() || !CalcDocHasRoom(static_cast<u32>(d.size()) + 4)) return 0;
  InsertInto(&b, index, kind, d);
  if (!Write(b)) return 0;
  g_doc.modified = 1;
  if (IsEact() && g_doc.strip >= index) ++g_doc.strip;
  if (index < g_doc.current) g_doc.row += static_cast<i32>(CalcDocEntryHeight(index));
  g_doc.current = index;
  return 1;
}

u32 CalcDocRemoveEntry(u32 index) {
  Bytes b = Copy();
  if (index >= Get32(b.data())) return 0;
  RemoveFrom(&b, index);
  return Write(b);
}

u32 CalcDocDeleteLine(u32 index) {
  Bytes b = Copy();
  const u32 n = Get32(b.data());
  if (index >= n) return 0;
  auto kind = [&](u32 i) { return DocKindOf(Get32(b.data() + 4 + 4 * i)); };
  u32 first = index;
  u32 count = 1;
  if (kind(index) == kDocCalc && index + 1 < n && kind(index + 1) == kDocResult) count = 2;
  if (kind(index) == kDocResult && index > 0 && kind(index - 1) == kDocCalc) {
    first = index - 1;
    count = 2;
  }
  const u32 keep = IsEact() ? 1 : 0;
  if (n <= count + keep) {
    // The whole document goes and comes back as new.
    if (!CalcDocHasRoom(4)) return 0;
    Bytes title;
    if (IsEact() && n > 0 && kind(0) == kDocTitle) {
      u32 off = 0, len = 0;
      Span(b.data(), static_cast<u32>(b.size()), 0, &off, &len);
      title.assign(b.begin() + off, b.begin() + off + len);
    }
    Bytes fresh{0, 0, 0, 0, 0, 0, 0, 0};
    if (!title.empty()) InsertInto(&fresh, 0, kDocTitle, title);
    const u8 k = DefaultLineKind();
    InsertInto(&fresh, Get32(fresh.data()), k, MakeData(k, {DocTypeWord(k), 6, 8}, reinterpret_cast<const u8 *>("")));
    if (!Write(fresh)) return 0;
    g_doc.current = Get32(fresh.data()) - 1;
    g_doc.row = 0;
    g_doc.modified = 1;
    return 1;
  }
  const u8 k = DefaultLineKind();
  const bool last = first + count == n;
  for (u32 i = 0; i < count; ++i) RemoveFrom(&b, first);
  if (last) InsertInto(&b, first, k, MakeData(k, {DocTypeWord(k), 6, 8}, reinterpret_cast<const u8 *>("")));
  if (!Write(b)) return 0;
  g_doc.modified = 1;
  if (IsEact()) {
    if (g_doc.strip >= first && g_doc.strip < first + count) g_doc.strip = 0;
    else if (g_doc.strip > first) g_doc.strip -= count;
  }
  const u32 now = Get32(b.data());
  if (first < g_doc.current) {
    g_doc.current = first;
  }
  if (g_doc.current >= now) g_doc.current = now - 1;
  return 1;
}

u32 CalcDocReplaceEntry(u32 index, const CalcDocLineInfo &info, const void *data) {
  Bytes b = Copy();
  const u32 n = Get32(b.data());
  if (index >= n) return 0;
  u32 off = 0, len = 0;
  Span(b.data(), static_cast<u32>(b.size()), index, &off, &len);
  const u8 old_kind = DocKindOf(Get32(b.data() + 4 + 4 * index));
  u8 kind = SettleKind(DocKindOf(info.type), data);
  Bytes d;
  if (old_kind == kDocStrip && kind == kDocStrip) {
    // A strip keeps its header and its data area; only the name changes.
    const u8 *old = b.data() + off;
    const u32 old_name = CalcDocPadded(TextLen(old + kDocStripHead));
    d.assign(old, old + kDocStripHead);
    const u8 *t = static_cast<const u8 *>(data);
    const u32 tl = t ? TextLen(t) : 0;
    d.resize(kDocStripHead + CalcDocPadded(tl), 0);
    if (tl) std::memcpy(d.data() + kDocStripHead, t, tl);
    d.insert(d.end(), old + kDocStripHead + old_name, old + len);
  } else {
    d = MakeData(kind, info, data);
    if (d.empty()) return 0;
    if (old_kind == kDocResult && kind == kDocResult) {
      // A result keeps the state of its former format record.
      CalcDocResultFormat f;
      std::memcpy(&f, b.data() + off + 24, sizeof f);
      f.width = info.width;
      f.height = info.height;
      std::memcpy(d.data() + 24, &f, sizeof f);
    }
  }
  if (old_kind == kind && d.size() == len && std::memcmp(d.data(), b.data() + off, len) == 0) return 1;
  if (d.size() > len && !CalcDocHasRoom(static_cast<u32>(d.size() - len))) return 0;
  const u32 current = g_doc.current;
  const u32 strip = g_doc.strip;
  RemoveFrom(&b, index);
  InsertInto(&b, index, kind, d);
  if (!Write(b)) return 0;
  g_doc.modified = 1;
  g_doc.current = current;
  g_doc.strip = strip;
  return 1;
}

u32 CalcDocSetEntryInfo(u32 index, const CalcDocLineInfo &info) {
  const u32 type = CalcDocEntryType(index);
  if (type == 0) return 0;
  if (type == info.type) {
    Bytes b = Copy();
    u32 off = 0, len = 0;
    Span(b.data(), static_cast<u32>(b.size()), index, &off, &len);
    const u8 k = DocKindOf(type);
    const u32 at = k == kDocResult ? off + 24 : off;
    if (k == kDocCalc || k == kDocTemplateText || k == kDocResult) {
      Put16(b.data() + at, info.width);
      Put16(b.data() + at + 2, info.height);
      if (!Write(b)) return 0;
      g_doc.modified = 1;
    }
    return 1;
  }
  const u8 *t = CalcDocEntryText(index);
  const Bytes text(t ? t : reinterpret_cast<const u8 *>(""), (t ? t + TextLen(t) : reinterpret_cast<const u8 *>("")) + 1);
  if (!CalcDocHasRoom(8)) return 0;
  return CalcDocReplaceEntry(index, info, text.data());
}

u32 CalcDocResultValue(u32 index, Value *out) {
  const u8 *d = CalcDocEntryData(index);
  if (d == nullptr || DocKindOf(CalcDocEntryType(index)) != kDocResult) {
    MemoryError(out);
    return 0;
  }
  std::memcpy(out, d, sizeof *out);
  const u32 cells = CellBytes(*out);
  if (cells == 0) return 1;
  // The cells are copied out: a pointer into the item would die at the
  // next change of main memory.
  const MemHandle h = MemAlloc(cells);
  u8 *block = h ? MemDeref(h) : nullptr;
  if (block == nullptr) {
    MemoryError(out);
    return 0;
  }
  std::memcpy(block, d + kDocResultHead, cells);
  EvalArrayHeader hd;
  ValGetHeader(out, &hd);
  hd.handle = h;
  ValSetHeader(&hd, out);
  return 1;
}

u32 CalcDocResultFormatOf(u32 index, CalcDocResultFormat *out) {
  const u8 *d = CalcDocEntryData(index);
  if (d == nullptr || DocKindOf(CalcDocEntryType(index)) != kDocResult) return 0;
  std::memcpy(out, d + 24, sizeof *out);
  return 1;
}

u32 CalcDocSetResultFormat(u32 index, const CalcDocResultFormat &format) {
  if (DocKindOf(CalcDocEntryType(index)) != kDocResult) return 0;
  Bytes b = Copy();
  u32 off = 0, len = 0;
  Span(b.data(), static_cast<u32>(b.size()), index, &off, &len);
  std::memcpy(b.data() + off + 24, &format, sizeof format);
  if (!Write(b)) return 0;
  g_doc.modified = 1;
  return 1;
}

u32 CalcDocIsPlainText(const u8 *text) {
  for (const u8 *p = text; *p != 0;) {
    const u8 c = *p;
    if ((c >= 0x80 && (c < 0xE5 || c > 0xE7)) || (c >= 26 && c <= 31) || c == 127) return 0;
    const char *next = StrNextChar(reinterpret_cast<const char *>(p));
    if (next == reinterpret_cast<const char *>(p)) break;
    p = reinterpret_cast<const u8 *>(next);
  }
  return 1;
}

u32 CalcDocGetLastAns(Value *out) {
  std::memset(out, 0, sizeof *out);
  const i32 at = FindResultAbove(1);
  if (at >= 0) std::memcpy(out, CalcDocEntryData(static_cast<u32>(at)), sizeof *out);
  return 1;
}

u32 CalcDocFindLastList(Value *out) {
  const i32 at = FindResultAbove(2);
  if (at < 0) {
    MemoryError(out);
    return 0;
  }
  return CalcDocResultValue(static_cast<u32>(at), out);
}

u32 CalcDocFindLastMatrix(Value *out) {
  const i32 at = FindResultAbove(3);
  if (at < 0) {
    MemoryError(out);
    return 0;
  }
  return CalcDocResultValue(static_cast<u32>(at), out);
}

u32 CalcDocStoreAns(Value *value) {
  const int kind = ValKind(value);
  u32 r = 0;
  if (kind == kValKindList) {
    r = ItemListStoreValue(0, 0, value);
  } else if (kind == kValKindMatrix) {
    r = ItemMatStoreValue(0, value);
  } else {
    SysStoreVariable(0xC0, value);
  }
  if (r != 0) {
    MemoryError(value);
    return 0;
  }
  return 1;
}

i32 EactStripDataOffset() {
  u32 size = 0;
  u8 *data = nullptr;
  if (McsOpenInFolderPtr(kDocEactFolder, kDocNameEact, &size, &data) != 0 || !CalcDocCheck(data, size)) return -1;
  const u32 n = Get32(data);
  if (g_doc.strip >= n || DocKindOf(Get32(data + 4 + 4 * g_doc.strip)) != kDocStrip) return -1;
  u32 off = 0, len = 0;
  Span(data, size, g_doc.strip, &off, &len);
  return static_cast<i32>(off + kDocStripHead + CalcDocPadded(TextLen(data + off + kDocStripHead)));
}

void EactShiftEntryOffsets(i32 delta) {
  u32 size = 0;
  u8 *data = nullptr;
  if (McsOpenInFolderPtr(kDocEactFolder, kDocNameEact, &size, &data) != 0 || size < 8) return;
  const u32 n = Get32(data);
  if (n > (size - 8) / 4) return;
  for (u32 i = g_doc.strip + 1; i < n; ++i) {
    const u32 w = Get32(data + 4 + 4 * i);
    Put32(data + 4 + 4 * i, (w & 0xFF000000u) | ((w + static_cast<u32>(delta)) & 0xFFFFFF));
  }
}

CalcDocResultFormat CalcDocNewFormat() {
  CalcDocResultFormat f{};
  f.display = SetupGetItem(kSetupDisplay);
  f.packed = static_cast<u8>((SetupGetItem(kSetupFracResult) & 3) | ((SetupGetItem(kSetupComplexMode) & 7) << 2) |
                             ((SetupGetItem(kSetupAngle) & 7) << 5));
  return f;
}
