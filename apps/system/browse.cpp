// The file browser's list, walking, rows, boxes and key loop.
#include "apps/system/browse.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "apps/calc/eact_name.h"
#include "apps/system/progress.h"
#include "kernel/keyqueue.h"
#include "memory/mcs_group.h"
#include "storage/file.h"
#include "storage/fls.h"
#include "storage/wstr.h"
#include "ui/edit.h"
#include "ui/errbox.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/lcd_shadow.h"
#include "ui/msg.h"
#include "ui/popup.h"
#include "ui/setup.h"
#include "ui/text.h"

namespace {

constexpr i32 kBoxKind = 4;
constexpr i32 kFramedKind = 5;
constexpr char kCheck[] = "\xE6\x9B";
constexpr char kPartCheck[] = "\xE6\x9F";
constexpr char kArrowUp[] = "\xE6\x92";
constexpr char kArrowDown[] = "\xE6\x93";

void PrintMsgAt(i32 id, i32 column, i32 row) {
  char text[64];
  if (!MsgText(id, text)) return;
  TextLocate(column, row);
  TextPrint(text);
}

void Narrow(const u16 *w, char *out, u32 cap) {
  u32 i = 0;
  for (; i + 1 < cap && !WstrIsEnd(w[i]); ++i) out[i] = w[i] < 0x100 ? static_cast<char>(w[i]) : '?';
  out[i] = 0;
}

void Widen(const char *s, u16 *out) {
  u32 i = 0;
  for (; s[i] && i + 1 < kBrowsePathMax; ++i) out[i] = static_cast<u8>(s[i]);
  out[i] = 0;
}

const char *DevicePrefix(u8 kind) { return (kind & 0x0F) == 2 ? "\\\\crd0\\" : "\\\\fls0\\"; }

}  // namespace

// ---- entries ---------------------------------------------------------------------

u32 BrowseEntryGetField(const BrowseEntry *e, u32 field) {
  if (field < 6) return (e->attr >> (4 * field)) & 0xF;
  return (e->attr >> (24 + field - 6)) & 1;
}

void BrowseEntrySetField(BrowseEntry *e, u32 field, u32 value) {
  if (field < 6) {
    e->attr = (e->attr & ~(0xFu << (4 * field))) | ((value & 0xF) << (4 * field));
  } else {
    const u32 bit = 1u << (24 + field - 6);
    e->attr = value ? e->attr | bit : e->attr & ~bit;
  }
}

void BrowseEntrySetSize(BrowseEntry *e, u32 size) {
  if (size > 999999) size = 999999;
  for (u32 d = 0; d < 6; ++d) {
    const u32 digit = size % 10;
    BrowseEntrySetField(e, d, (size == 0 && d > 0) ? 15 : digit);
    size /= 10;
  }
}

void BrowseEntrySizeText(const BrowseEntry *e, char out[7]) {
  for (u32 d = 0; d < 6; ++d) {
    const u32 v = BrowseEntryGetField(e, 5 - d);
    out[d] = v > 9 ? ' ' : static_cast<char>('0' + v);
  }
  out[6] = 0;
}

void BrowseEntryName(const BrowseEntry *e, char out[13]) {
  std::memcpy(out, e->name, 12);
  out[12] = 0;
}

// ---- the list record ---------------------------------------------------------------

void BrowseListInit(BrowseList *list, u8 kind) {
  list->kind = kind;
  list->current = 0;
  std::memset(list->folder, 0, sizeof list->folder);
  for (u16 &r : list->rows) r = kBrowseEmptyRow;
  list->count = 0;
  list->entries = nullptr;
  list->bytes = 0;
  list->hideExt = 0;
  list->shown = 0;
}

void BrowseListFree(BrowseList *list) {
  std::free(list->entries);
  list->entries = nullptr;
}

u32 BrowseListReset(BrowseList *list, u8 kind) {
  BrowseListFree(list);
  BrowseListInit(list, kind);
  for (u32 n = kBrowseCapacity; n > 0; n -= 10) {
    list->entries = static_cast<BrowseEntry *>(std::calloc(n, sizeof(BrowseEntry)));
    if (list->entries) {
      list->count = static_cast<u16>(n);
      return n;
    }
  }
  return 0;
}

bool BrowseListIsValid(const BrowseList *list) {
  if (list->folder[12] != 0 || list->count < 1 || list->count > kBrowseCapacity || list->shown >= 7) return false;
  if (!list->entries) return false;
  for (u32 i = 0; i < 6; ++i) {
    if (list->rows[i] == kBrowseEmptyRow) continue;
    if (list->rows[i] >= list->count) return false;
    for (u32 k = i + 1; k < 6; ++k)
      if (list->rows[k] == list->rows[i]) return false;
  }
  return list->current < list->count;
}

// ---- walking ---------------------------------------------------------------------

u32 BrowseStep(u32 index, const BrowseList *list, u32 mode) {
  const u32 n = list->count;
  if (n == 0 || !list->entries) return kBrowseNone;
  if ((list->kind & 0x0F) != 0) {
    switch (mode) {
      case 0: return 0;
      case 1: return index + 1 < n ? index + 1 : kBrowseNone;
      case 2: return index > 0 && index < n ? index - 1 : kBrowseNone;
      default: return n - 1;
    }
  }
  // Item lists: groups at the top level, or the members of one group.
  const bool member = index < n && BrowseEntryGetField(&list->entries[index], kBrowseFieldMember);
  auto fits = [&](u32 i) { return (BrowseEntryGetField(&list->entries[i], kBrowseFieldMember) != 0) == member; };
  if (!member) {
    auto any = [&](u32 from, i32 dir) -> u32 {
      for (i32 i = static_cast<i32>(from); i >= 0 && i < static_cast<i32>(n); i += dir)
        if (fits(static_cast<u32>(i))) return static_cast<u32>(i);
      return kBrowseNone;
    };
    switch (mode) {
      case 0: return any(0, 1);
      case 1: return index + 1 < n ? any(index + 1, 1) : kBrowseNone;
      case 2: return index > 0 ? any(index - 1, -1) : kBrowseNone;
      default: return any(n - 1, -1);
    }
  }
  // Inside one run of members.
  u32 first = index, last = index;
  while (first > 0 && fits(first - 1)) --first;
  while (last + 1 < n && fits(last + 1)) ++last;
  switch (mode) {
    case 0: return first;
    case 1: return index < last ? index + 1 : kBrowseNone;
    case 2: return index > first ? index - 1 : kBrowseNone;
    default: return last;
  }
}

namespace {

// Fills the rows downward from top.
void FillRows(BrowseList *list, u32 top) {
  u32 at = top;
  for (u32 r = 0; r < 6; ++r) {
    if (r < list->shown && at != kBrowseNone) {
      list->rows[r] = static_cast<u16>(at);
      at = BrowseStep(at, list, 1);
    } else {
      list->rows[r] = kBrowseEmptyRow;
    }
  }
}

u32 RowOf(const BrowseList *list, u32 index) {
  for (u32 r = 0; r < list->shown && r < 6; ++r)
    if (list->rows[r] == index) return r;
  return 6;
}

u32 TopEntry(const BrowseList *list) { return list->rows[0] == kBrowseEmptyRow ? kBrowseNone : list->rows[0]; }

}  // namespace

void BrowseShowAt(BrowseList *list, u32 index, u32 row) {
  if (index >= list->count) return;
  list->current = static_cast<u16>(index);
  if (row < 1) row = 1;
  if (row > list->shown) row = list->shown;
  u32 top = index;
  for (u32 k = 1; k < row; ++k) {
    const u32 p = BrowseStep(top, list, 2);
    if (p == kBrowseNone) break;
    top = p;
  }
  FillRows(list, top);
}

void BrowseMoveUp(BrowseList *list) {
  if (list->count == 0) return;
  const u32 cur = list->current;
  const u32 prev = BrowseStep(cur, list, 2);
  if (prev == kBrowseNone) {
    // From the first entry to the last, shown on the bottom row.
    const u32 last = BrowseStep(cur, list, 3);
    if (RowOf(list, last) < 6) {
      list->current = static_cast<u16>(last);
    } else {
      BrowseShowAt(list, last, list->shown);
    }
    return;
  }
  if (RowOf(list, cur) == 0) FillRows(list, prev);
  list->current = static_cast<u16>(prev);
}

void BrowseMoveDown(BrowseList *list) {
  if (list->count == 0) return;
  const u32 cur = list->current;
  const u32 next = BrowseStep(cur, list, 1);
  if (next == kBrowseNone) {
    const u32 first = BrowseStep(cur, list, 0);
    list->current = static_cast<u16>(first);
    FillRows(list, first);
    return;
  }
  if (RowOf(list, cur) + 1 >= list->shown && list->shown >= 2) FillRows(list, BrowseStep(TopEntry(list), list, 1));
  else if (RowOf(list, cur) >= 6) FillRows(list, next);
  list->current = static_cast<u16>(next);
}

bool BrowseSelectByName(BrowseList *list, const char *after, const char *name, u32 n) {
  u32 from = 0;
  if (after && after[0]) {
    for (u32 i = 0; i < list->count; ++i) {
      char e[13];
      BrowseEntryName(&list->entries[i], e);
      if (!std::strcmp(e, after)) {
        from = i + 1;
        break;
      }
    }
  }
  for (u32 i = from; i < list->count; ++i) {
    char e[13];
    BrowseEntryName(&list->entries[i], e);
    if (!std::strcmp(e, name)) {
      BrowseShowAt(list, i, n);
      return true;
    }
  }
  return false;
}

// ---- drawing -----------------------------------------------------------------------

void BrowseShowFreeBytes(u32 bytes) {
  char line[40];
  char msg[32] = "";
  if (bytes >= 10000000) {
    MsgText(347, msg);
    std::snprintf(line, sizeof line, "%7u%s", static_cast<unsigned>(bytes / 1024), msg);
  } else {
    MsgText(339, msg);
    std::snprintf(line, sizeof line, "%7u%s", static_cast<unsigned>(bytes), msg);
  }
  TextLocate(1, 7);
  TextPrintField(line, 21);
}

namespace {

// The text of one row (columns 2-20; column 1 is the mark's).
void RowText(const BrowseList *list, u32 index, char *out) {
  const BrowseEntry &e = list->entries[index];
  char name[13];
  BrowseEntryName(&e, name);
  char size[7];
  BrowseEntrySizeText(&e, size);
  const bool items = (list->kind & 0x0F) == 0;
  if (BrowseEntryGetField(&e, kBrowseFieldFolder)) {
    if (items) {
      char inner[16];
      std::snprintf(inner, sizeof inner, "<%s>", name);
      std::snprintf(out, 48, " %-12s:%s", inner, size);
    } else {
      std::snprintf(out, 48, " [%s]", name);
    }
    return;
  }
  if (list->hideExt) {
    char *dot = std::strrchr(name, '.');
    if (dot) *dot = 0;
  }
  std::snprintf(out, 48, " %-12s:%s", name, size);
}

// Column 1 of a row: the entry's mark (a group: all or part of its members).
const char *MarkOf(const BrowseList *list, u32 index) {
  const BrowseEntry &e = list->entries[index];
  if ((list->kind & 0x0F) == 0 && BrowseEntryGetField(&e, kBrowseFieldFolder) &&
      !BrowseEntryGetField(&e, kBrowseFieldMember)) {
    u32 marked = 0, total = 0;
    for (u32 i = index + 1; i < list->count && BrowseEntryGetField(&list->entries[i], kBrowseFieldMember); ++i) {
      ++total;
      marked += BrowseEntryGetField(&list->entries[i], kBrowseFieldMarked);
    }
    if (total && marked == total) return kCheck;
    if (marked) return kPartCheck;
    return BrowseEntryGetField(&e, kBrowseFieldMarked) ? kCheck : nullptr;
  }
  return BrowseEntryGetField(&e, kBrowseFieldMarked) ? kCheck : nullptr;
}

void DrawTitle(const BrowseList *list, i32 title_msg) {
  char title[64] = "";
  MsgText(title_msg, title);
  char line[32];
  std::snprintf(line, sizeof line, "%-11.11s[%-8.8s]", title, list->folder);
  TextLocate(1, 1);
  TextPrintField(line, 21);
}

}  // namespace

void BrowseDrawScreen(const BrowseList *list, i32 title_msg) {
  DrawTitle(list, title_msg);
  for (u32 r = 0; r < 6; ++r) {
    const i32 row = static_cast<i32>(r + 2);
    if (row > 7) break;
    const u32 index = r < list->shown ? list->rows[r] : kBrowseEmptyRow;
    TextLocate(1, row);
    if (index == kBrowseEmptyRow || index >= list->count) {
      TextPrintField("", 21);
      continue;
    }
    char text[48];
    RowText(list, index, text);
    const bool current = index == list->current;
    if (current) TextPrintFieldRev(text, 21);
    else TextPrintField(text, 21);
    if (const char *mark = MarkOf(list, index)) {
      TextLocate(1, row);
      if (current) TextPutCharRev(mark);
      else TextPutChar(mark);
    }
    const char *arrow = nullptr;
    if (r == 0 && BrowseStep(index, list, 2) != kBrowseNone) arrow = kArrowUp;
    if (r + 1 == list->shown && BrowseStep(index, list, 1) != kBrowseNone) arrow = kArrowDown;
    if (arrow) {
      TextLocate(21, row);
      if (current) TextPutCharRev(arrow);
      else TextPutChar(arrow);
    }
  }
  if (list->shown == 5) BrowseShowFreeBytes(list->bytes);
}

// ---- boxes ---------------------------------------------------------------------------

namespace {

struct BoxScope {
  TextCursorState cursor;
  i32 kind;
  BoxScope(i32 k, i32 size) : kind(k) {
    TextGetCursor(&cursor);
    TextCursorOff();
    PopupOpen(k);
    PopupDrawWindow(size);
  }
  ~BoxScope() {
    PopupClose(kind);
    PopupRestoreCursor(cursor);
  }
};

void Rows(std::initializer_list<i32> ids, i32 first_row) {
  i32 row = first_row;
  for (i32 id : ids) PrintMsgAt(id, 1, row++);
}

}  // namespace

void MsgBox4(i32 a, i32 b, i32 c, i32 d) {
  BoxScope box(kBoxKind, 4);
  Rows({a, b, c, d}, 2);
  PopupWaitKey({kKeyExit, kKeyQuit, kKeyAc});
}

i32 ChoiceBox4(i32 a, i32 b, i32 c, i32 d) {
  BoxScope box(kBoxKind, 4);
  Rows({a, b, c, d}, 2);
  for (;;) {
    u32 key = 0;
    const u32 ch = KeyGetKey(&key);
    if (ch && (key == '1' || key == '2')) return static_cast<i32>(key);
    if (!ch && (key == kKeyExit || key == kKeyQuit)) return -1;
  }
}

i32 ConfirmBox(i32 a, i32 b) {
  BoxScope box(kBoxKind, 4);
  Rows({a, b, 2, 3}, 2);
  const u32 key = PopupWaitKey({kKeyF1, kKeyF6, kKeyExit, kKeyQuit});
  return key == kKeyF1 ? static_cast<i32>(kKeyF1) : -1;
}

i32 OverwriteBox(const char *name) {
  BoxScope box(kFramedKind, 5);
  char line[24];
  std::snprintf(line, sizeof line, "[%-12.12s]", name);
  TextLocate(3, 2);
  TextPrint(line);
  TextLocate(3, 3);
  TextPrint("Already Exists");
  TextLocate(3, 4);
  TextPrint("Overwrite OK?");
  PrintMsgAt(2, 1, 5);
  PrintMsgAt(3, 1, 6);
  const u32 key = PopupWaitKey({kKeyF1, kKeyF6, kKeyExit, kKeyQuit});
  return key == kKeyF1 ? static_cast<i32>(kKeyF1) : -1;
}

void BrowseShowComplete() { MsgBox4(370, 371, 372, 1); }
void BrowseShowNoCard() { MsgBox4(654, 655, 656, 1); }

i32 BrowseChooseFolder(u8 device, u16 *out) {
  const char *root = (device & 0x0F) == 2 ? "\\\\crd0\\" : "\\\\fls0\\";
  static char names[100][9];
  u32 count = 0;
  std::memcpy(names[count++], "ROOT", 5);
  u16 pattern[32];
  char pat[32];
  std::snprintf(pat, sizeof pat, "%s*", root);
  Widen(pat, pattern);
  i32 fh = -1;
  u16 name[16];
  FileFindInfo info;
  for (i32 r = FileFindFirst(pattern, &fh, name, &info); r == 0 && count < 100; r = FileFindNext(fh, name, &info)) {
    if (info.type != 0) continue;
    Narrow(name, names[count], 9);
    ++count;
  }
  if (fh >= 0) FileFindClose(fh);
  std::qsort(names + 1, count - 1, 9, [](const void *a, const void *b) {
    return static_cast<int>(FileCollateNames(static_cast<const u8 *>(a), static_cast<const u8 *>(b)));
  });
  BoxScope box(kBoxKind, 4);
  u32 current = 0, top = 0;
  for (;;) {
    if (current < top) top = current;
    if (current >= top + 4) top = current - 3;
    for (u32 r = 0; r < 4; ++r) {
      TextLocate(3, static_cast<i32>(r + 2));
      const u32 i = top + r;
      char line[24] = "";
      if (i < count) std::snprintf(line, sizeof line, "%s", names[i]);
      if (i == current) TextPrintFieldRev(line, 19);
      else TextPrintField(line, 19);
      if (r == 0 && top > 0) {
        TextLocate(19, 2);
        TextPutChar(kArrowUp);
      }
      if (r == 3 && top + 4 < count) {
        TextLocate(19, 5);
        TextPutChar(kArrowDown);
      }
    }
    u32 key = 0;
    if (KeyGetKey(&key)) continue;
    switch (key) {
      case kKeyUp: current = current == 0 ? count - 1 : current - 1; break;
      case kKeyDown: current = current + 1 >= count ? 0 : current + 1; break;
      case kKeyExit:
      case kKeyQuit: return -1;
      case kKeyExe: {
        char path[40];
        if (current == 0) std::snprintf(path, sizeof path, "%s", root);
        else std::snprintf(path, sizeof path, "%s%s\\", root, names[current]);
        Widen(path, out);
        return current == 0 ? 0 : 1;
      }
      default: break;
    }
  }
}

// ---- the shown page -----------------------------------------------------------------

namespace {
FkeyItem g_page[6];
const FkeyItem kBlankKey = {0, kFkeyBlank, 0};
}  // namespace

void BrowseInstallPage(const FkeyItem *page) {
  std::memcpy(g_page, page, sizeof g_page);
  FkeySetPage(kBrowseMenu, g_page);
  KeyForgetDrawnRow();
}

void BrowseRemoveKey(u32 code) {
  for (FkeyItem &k : g_page)
    if (k.kind == kFkeyKeyCode && k.value == code) k = kBlankKey;
  KeyForgetDrawnRow();
}

bool BrowsePageHas(u32 code) {
  for (const FkeyItem &k : g_page)
    if (k.kind == kFkeyKeyCode && k.value == code) return true;
  return false;
}

// ---- name input -----------------------------------------------------------------------

namespace {

constexpr i32 kNameMenu = 21;
const FkeyItem kNamePage[6] = {{398, kFkeyInput, '\''}, {400, kFkeyInput, '~'}, kBlankKey,
                               kBlankKey,              kBlankKey,              kBlankKey};

void AlphaLock() {
  KeySetModifier(kModAlphaLock);
  KeyCursorFromState();
}

}  // namespace

void BrowseDrawNameField(const u8 *text, u32 pos, i32 row) {
  // Nine columns, so that the cursor behind a full name has a place (on the
  // closing bracket) and the whole name stays in view.
  TextLocate(1, row);
  TextPrint("[        ]");
  EditRedrawLineIn(text, 0, pos, 2, row, 9);
  TextLocate(10, row);
  TextPrint("]");
}

u32 BrowseNameInput(i32 title_msg, char name[9]) {
  TextCursorState cursor;
  TextGetCursor(&cursor);
  const u16 mask = KeyGetMenuMask();
  // The screen under the input comes back when it ends, so that a box that
  // follows shows over the list.
  u8 screen[1024];
  LcdCopyVram(screen);
  LcdClearVram();
  PrintMsgAt(title_msg, 1, 1);
  FkeyPushLevel(kNameMenu);
  FkeySetPage(kNameMenu, kNamePage);
  KeyForgetDrawnRow();
  u8 text[9] = {};
  u32 start = 0, pos = 0;
  AlphaLock();
  u32 result = 0;
  for (;;) {
    BrowseDrawNameField(text, pos, 2);
    FkeyDrawRow();
    u32 key = 0;
    if (KeyGetKey(&key)) {
      if (key < 0x100 && EactIsNameChar(key) && std::strlen(reinterpret_cast<char *>(text)) < 8)
        pos = EditPutChar(text, 8, pos, key);
      continue;
    }
    if (key == kKeyExe) {
      if (text[0]) break;
      AlphaLock();
    } else if (key == kKeyExit || key == kKeyQuit) {
      result = key;
      break;
    } else if (key == kKeyAc) {
      std::memset(text, 0, sizeof text);
      start = pos = 0;
      AlphaLock();
    } else if (key == kKeyXThetaT) {
      const u8 c = SetupGetItem(kSetupFuncType) == 1 ? 0xCE : SetupGetItem(kSetupFuncType) == 2 ? 'T' : 'X';
      if (std::strlen(reinterpret_cast<char *>(text)) < 8) pos = EditPutChar(text, 8, pos, c);
    } else if (key == kKeyLeft || key == kKeyRight || key == kKeyDel || key == kKeyPaste || key == kKeyClipLeft ||
               key == kKeyClipRight) {
      EditMoveCursorIn(text, 8, &start, &pos, key, 2, 2, 8);
    }
  }
  std::memcpy(name, text, 9);
  std::memcpy(LcdVramAddress(), screen, sizeof screen);
  FkeyPopLevel();
  KeyForgetDrawnRow();
  KeySetMenuMask(mask);
  KeySetModifier(kModNone);
  TextSetCursor(&cursor);
  TextCursorOff();
  return result;
}

void BrowseSearch(BrowseList *list) {
  char name[9];
  if (BrowseNameInput(544, name) != 0) return;
  const bool device = (list->kind & 0x0F) != 0;
  u16 pattern[16], entry[16];
  char pat[16];
  std::snprintf(pat, sizeof pat, "%s.*", name);
  Widen(pat, pattern);
  for (u32 i = 0; i < list->count; ++i) {
    char e[13];
    BrowseEntryName(&list->entries[i], e);
    bool hit;
    if (device) {
      Widen(e, entry);
      hit = FlsMatchPattern(pattern, entry) != 0 || !std::strcmp(e, name);
    } else {
      hit = !std::strcmp(e, name);
    }
    if (hit) {
      BrowseShowAt(list, i, 1);
      return;
    }
  }
  MsgBox4(132, 133, 134, 1);
}

// ---- building a device list ---------------------------------------------------------------

namespace {

void BuildBox(i32 done, i32 total) {
  if (done == 0) {
    PopupOpenFramed(5);
    Rows({507, 508, 509}, 2);
    LcdShape frame = {18, 31, 107, 41, 0, kLcdShapeFrame, 1, kLcdWriteSet, 0, 0};
    LcdDrawShapeVram(frame);
  } else if (total > 0) {
    const i32 right = 18 + static_cast<i32>(static_cast<i64>(done > total ? total : done) * 88 / total);
    for (i32 y = 32; y < 41; ++y) LcdDrawLine(18, y, right, y);
  }
  ShellUpdateDisplay();
}

int CompareNames(const void *a, const void *b) {
  return static_cast<int>(FileCollateNames(reinterpret_cast<const u8 *>(static_cast<const BrowseEntry *>(a)->name),
                                           reinterpret_cast<const u8 *>(static_cast<const BrowseEntry *>(b)->name)));
}

// Lists the folder (pattern path: prefix, folder and "\\" when in one,
// pattern): folders first at the root, then the files, each sorted.
void BuildList(const char *path, const char *prefix, BrowseList *list) {
  const u32 capacity = list->count;
  const bool document = (list->kind & kBrowseDocument) != 0;
  list->shown = document ? 6 : 5;
  list->hideExt = document ? 1 : 0;
  BuildBox(0, 0);
  u32 n = 0;
  u16 wide[kBrowsePathMax], name[16];
  FileFindInfo info;
  i32 fh = -1;
  if (!list->folder[0]) {
    // "*" and not "*.*": folder names have no extension to match a dot.
    char all[40];
    std::snprintf(all, sizeof all, "%s*", prefix);
    Widen(all, wide);
    for (i32 r = FileFindFirst(wide, &fh, name, &info); r == 0 && n < capacity; r = FileFindNext(fh, name, &info)) {
      if (info.type != 0) continue;
      BrowseEntry &e = list->entries[n++];
      std::memset(&e, 0, sizeof e);
      char text[16];
      Narrow(name, text, sizeof text);
      std::memcpy(e.name, text, std::strlen(text) < 12 ? std::strlen(text) : 12);
      std::memcpy(e.second, text, std::strlen(text) < 12 ? std::strlen(text) : 12);
      BrowseEntrySetField(&e, kBrowseFieldFolder, 1);
    }
    if (fh >= 0) FileFindClose(fh);
    fh = -1;
    std::qsort(list->entries, n, sizeof(BrowseEntry), CompareNames);
  }
  const u32 folders = n;
  u32 sum = 0;
  Widen(path, wide);
  for (i32 r = FileFindFirst(wide, &fh, name, &info); r == 0 && n < capacity; r = FileFindNext(fh, name, &info)) {
    if (info.type == 0) continue;
    BrowseEntry &e = list->entries[n++];
    std::memset(&e, 0, sizeof e);
    char text[16];
    Narrow(name, text, sizeof text);
    std::memcpy(e.name, text, std::strlen(text) < 12 ? std::strlen(text) : 12);
    BrowseEntrySetSize(&e, info.size);
    sum += info.size;
    BuildBox(static_cast<i32>(n), static_cast<i32>(capacity));
  }
  if (fh >= 0) FileFindClose(fh);
  std::qsort(list->entries + folders, n - folders, sizeof(BrowseEntry), CompareNames);
  list->count = static_cast<u16>(n);
  list->bytes = sum;
  if (!document) {
    u32 free_bytes = 0;
    u16 dev[8];
    Widen(prefix, dev);
    list->bytes = FileGetFreeSpace(dev, &free_bytes) >= 0 ? free_bytes : 0;
  }
  PopupCloseKind5();
}

}  // namespace

// ---- copies ---------------------------------------------------------------------------------

i32 BrowseCopyFile(const u16 *dest, const u16 *src) {
  if (FileClassifyPath(src) != FileDeviceStorage) return FlsErrWrongDevice;
  FileFindInfo info;
  i32 r = FileGetInfo(src, &info);
  if (r < 0) return r;
  const i32 size = static_cast<i32>(info.size);
  u16 target[kBrowsePathMax];
  WstrCopy(target, dest);
  const i32 dlen = WstrLength(target);
  const u16 *slash = WstrFindLast(src, '\\');
  const u16 *base = slash ? slash + 1 : src;
  if (dlen > 0 && target[dlen - 1] == '\\') {
    if (dlen + WstrLength(base) + 1 > kBrowsePathMax) return FlsErrBadArg;
    WstrCopy(target + dlen, base);
  }
  BrowseShowProgress(src, 0, size + size / 10);
  r = FileCreate(target, size);
  if (r < 0) return r;
  const i32 in = FileOpen(src);
  const i32 out = in < 0 ? -1 : FileOpen(target);
  r = in < 0 ? in : out;
  u8 chunk[1024];
  for (i32 at = 0; r >= 0 && at < size;) {
    const i32 n = size - at < 1024 ? size - at : 1024;
    r = FileRead(in, chunk, n, at);
    if (r >= 0) r = FileWriteAt(out, chunk, n, at);
    at += n;
    BrowseShowProgress(src, at, size + size / 10);
  }
  if (in >= 0) FileClose(in);
  if (out >= 0) FileClose(out);
  if (r < 0) {
    FileDelete(target);
    return r;
  }
  return 0;
}

namespace {

bool IsMcsName(const char *name) {
  const char *dot = std::strrchr(name, '.');
  return dot && (!std::strcmp(dot, ".MCS") || !std::strcmp(dot, ".mcs"));
}

void EntryPath(const BrowseList *list, u32 index, u16 *out) {
  char name[13];
  BrowseEntryName(&list->entries[index], name);
  char path[64];
  if (list->folder[0]) std::snprintf(path, sizeof path, "%s%s\\%s", DevicePrefix(list->kind), list->folder, name);
  else std::snprintf(path, sizeof path, "%s%s", DevicePrefix(list->kind), name);
  Widen(path, out);
}

bool AnyMarked(const BrowseList *list) {
  for (u32 i = 0; i < list->count; ++i)
    if (BrowseEntryGetField(&list->entries[i], kBrowseFieldMarked)) return true;
  return false;
}

// Copies the marked entries: into main memory, or to the other device.
void CopyMarked(BrowseList *list) {
  if (!AnyMarked(list)) return;
  const bool card = (list->kind & 0x0F) == 2;
  const i32 choice = ChoiceBox4(660, 661, 664, card ? 665 : 663);
  if (choice < 0) return;
  i32 first_failure = 0;
  if (choice == '1') {
    for (u32 i = 0; i < list->count; ++i) {
      const BrowseEntry &e = list->entries[i];
      if (!BrowseEntryGetField(&e, kBrowseFieldMarked)) continue;
      char name[13];
      BrowseEntryName(&e, name);
      i32 r = FlsErrNotFile;
      if (!BrowseEntryGetField(&e, kBrowseFieldFolder) && IsMcsName(name)) {
        u16 path[kBrowsePathMax];
        EntryPath(list, i, path);
        r = McsRestoreBackup(path);
      }
      if (r < 0 && first_failure == 0) first_failure = r;
    }
  } else {
    if (!card && !SysCardPresent()) {
      BrowseShowNoCard();
      return;
    }
    u16 dest[kBrowsePathMax];
    if (BrowseChooseFolder(card ? 1 : 2, dest) < 0) return;
    for (u32 i = 0; i < list->count; ++i) {
      const BrowseEntry &e = list->entries[i];
      if (!BrowseEntryGetField(&e, kBrowseFieldMarked)) continue;
      i32 r = FlsErrNotFile;
      if (!BrowseEntryGetField(&e, kBrowseFieldFolder)) {
        u16 path[kBrowsePathMax];
        EntryPath(list, i, path);
        r = BrowseCopyFile(dest, path);
      }
      if (r < 0 && first_failure == 0) first_failure = r;
    }
    BrowseCloseProgress();
  }
  if (first_failure == FlsErrNotFile) MsgBox4(676, 677, 678, 1);
  else if (first_failure == FlsErrFull) MsgBox4(108, 109, 110, 1);
  else if (first_failure < 0) ErrBox(4);
  else BrowseShowComplete();
}

}  // namespace

// ---- the browser ---------------------------------------------------------------------------

namespace {

struct Browser {
  i32 title;
  const char *pattern;
  const FkeyItem *page;
  BrowseList *list;
  u16 *result;
  u8 kind;
};

void ListPath(const Browser &b, const char *pattern, char *out) {
  if (b.list->folder[0]) std::snprintf(out, 64, "%s%s\\%s", DevicePrefix(b.kind), b.list->folder, pattern);
  else std::snprintf(out, 64, "%s%s", DevicePrefix(b.kind), pattern);
}

void Rebuild(const Browser &b, const char *pattern) {
  char folder[13];
  std::memcpy(folder, b.list->folder, 13);
  BrowseListReset(b.list, b.kind);
  std::memcpy(b.list->folder, folder, 13);
  char path[64];
  ListPath(b, pattern, path);
  BuildList(path, DevicePrefix(b.kind), b.list);
}

void SetPageForPlace(const Browser &b) {
  BrowseInstallPage(b.page);
  if (b.list->folder[0]) {
    BrowseRemoveKey(kBrowseMkf);
    BrowseRemoveKey(kBrowseRnf);
  }
  if (b.list->count == 0) {
    for (u32 code : {kBrowseSel, kBrowseDel, kBrowseSrc, kBrowseCopy, kBrowseRnf, kBrowseOpen}) BrowseRemoveKey(code);
  }
}

void Draw(const Browser &b) {
  SetPageForPlace(b);
  if (b.list->count == 0) {
    LcdClearVram();
    DrawTitle(b.list, b.title);
    PrintMsgAt((b.kind & kBrowseDocument) ? 535 : 672, 1, 4);
    if (b.list->shown == 5) BrowseShowFreeBytes(b.list->bytes);
    return;
  }
  BrowseDrawScreen(b.list, b.title);
}

bool CaseEqual(const char *a, const char *b) {
  for (; *a && *b; ++a, ++b) {
    char x = *a, y = *b;
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return *a == *b;
}

void Delete(const Browser &b) {
  BrowseList *list = b.list;
  const u32 at = list->current;
  if (BrowsePageHas(kBrowseSel)) {
    if (!AnyMarked(list)) return;
    if (ConfirmBox(462, 463) != static_cast<i32>(kKeyF1)) return;
    LcdShowBusyIndicator();
    for (u32 i = 0; i < list->count; ++i) {
      if (!BrowseEntryGetField(&list->entries[i], kBrowseFieldMarked)) continue;
      u16 path[kBrowsePathMax];
      EntryPath(list, i, path);
      FileDelete(path);
    }
  } else {
    if (BrowseEntryGetField(&list->entries[at], kBrowseFieldFolder)) return;
    const bool document = (b.kind & kBrowseDocument) != 0;
    if (ConfirmBox(document ? 545 : 522, document ? 546 : 463) != static_cast<i32>(kKeyF1)) return;
    LcdShowBusyIndicator();
    u16 path[kBrowsePathMax];
    EntryPath(list, at, path);
    FileDelete(path);
  }
  Rebuild(b, b.pattern);
  if (list->count) BrowseShowAt(list, at < list->count ? at : list->count - 1u, 1);
}

void MakeFolder(const Browser &b) {
  for (;;) {
    char name[9];
    if (BrowseNameInput(329, name) != 0) return;
    char path[40];
    std::snprintf(path, sizeof path, "%s%s", DevicePrefix(b.kind), name);
    u16 wide[40];
    Widen(path, wide);
    const i32 r = FileCreateEntry(wide, 5);
    if (r == FlsErrExists) {
      MsgBox4(132, 674, 134, 1);
      continue;
    }
    if (r < 0) {
      ErrBox(4);
      continue;
    }
    Rebuild(b, "*.*");
    if (b.list->count) BrowseShowAt(b.list, 0, 1);
    return;
  }
}

void RenameFolder(const Browser &b) {
  BrowseList *list = b.list;
  if (!BrowseEntryGetField(&list->entries[list->current], kBrowseFieldFolder)) return;
  u16 old_path[kBrowsePathMax];
  EntryPath(list, list->current, old_path);
  for (;;) {
    char name[9];
    if (BrowseNameInput(245, name) != 0) return;
    char path[40];
    std::snprintf(path, sizeof path, "%s%s", DevicePrefix(b.kind), name);
    u16 wide[40];
    Widen(path, wide);
    const i32 r = FileRename(old_path, wide);
    if (r == FlsErrExists) {
      MsgBox4(132, 674, 134, 1);
      continue;
    }
    if (r < 0) {
      ErrBox(4);
      return;
    }
    Rebuild(b, b.pattern);
    BrowseSelectByName(list, nullptr, name, 1);
    return;
  }
}

void OpenFolder(const Browser &b) {
  BrowseList *list = b.list;
  const BrowseEntry &e = list->entries[list->current];
  if (!BrowseEntryGetField(&e, kBrowseFieldFolder)) return;
  char name[13];
  BrowseEntryName(&e, name);
  BrowseListReset(list, b.kind);
  std::snprintf(list->folder, sizeof list->folder, "%s", name);
  char path[64];
  ListPath(b, b.pattern, path);
  BuildList(path, DevicePrefix(b.kind), list);
  if (list->count) BrowseShowAt(list, 0, 1);
}

// Leaves a folder for the root, the cursor on the folder left.
void LeaveFolder(const Browser &b) {
  char left[13];
  std::memcpy(left, b.list->folder, 13);
  b.list->folder[0] = 0;
  std::memset(b.list->folder, 0, sizeof b.list->folder);
  Rebuild(b, b.pattern);
  if (b.list->count && !BrowseSelectByName(b.list, nullptr, left, 1)) BrowseShowAt(b.list, 0, 1);
}

void WriteResult(const Browser &b, const char *name) {
  char path[64];
  if (b.list->folder[0]) std::snprintf(path, sizeof path, "%s%s\\%s", DevicePrefix(b.kind), b.list->folder, name);
  else std::snprintf(path, sizeof path, "%s%s", DevicePrefix(b.kind), name);
  Widen(path, b.result);
}

}  // namespace

u32 BrowseFiles(i32 title_msg, const char *pattern, const FkeyItem *page, BrowseList *list, u16 *result, u8 device) {
  LcdShowBusyIndicator();
  KeyBreakArm();
  const u16 mask = KeyGetMenuMask();
  KeySetMenuMask(231);
  FkeyPushLevel(kBrowseMenu);
  Browser b{title_msg, pattern, page, list, result, device};
  u32 ended = 0;
  if ((device & 0x0F) == 2 && !SysCardPresent()) {
    // The card pages: only the keys that need no entry stay, and every one
    // of them meets " No Card".
    LcdClearVram();
    BrowseInstallPage(page);
    for (u32 code : {kBrowseSel, kBrowseDel, kBrowseSrc, kBrowseCopy, kBrowseRnf, kBrowseOpen, kBrowseMkf,
                     kBrowseNew, kBrowseAll, kBrowseTran})
      BrowseRemoveKey(code);
    for (;;) {
      LcdClearVram();
      Rows({654, 655, 656}, 3);
      FkeyDrawRow();
      u32 key = 0;
      if (KeyGetKey(&key)) continue;
      if (key == kKeyExit || key == kKeyQuit || key == kBrowseSmem || key == kBrowseSd) {
        ended = key;
        break;
      }
    }
  } else {
    char current[13] = "";
    // A list kept from the last visit comes back as it was, marks and all.
    const bool keep = (list->kind == device) && BrowseListIsValid(list);
    if (keep) {
      BrowseEntryName(&list->entries[list->current], current);
    } else {
      BrowseListReset(list, device);
      char path[64];
      std::snprintf(path, sizeof path, "%s%s", DevicePrefix(device), pattern);
      BuildList(path, DevicePrefix(device), list);
    }
    if (list->count) {
      char want[40] = "";
      if (result) Narrow(result, want, sizeof want);
      const char *slash = std::strrchr(want, '\\');
      if (!(slash && BrowseSelectByName(list, nullptr, slash + 1, 1)) &&
          !(current[0] && BrowseSelectByName(list, nullptr, current, 1)))
        BrowseShowAt(list, 0, 1);
    }
    for (;;) {
      Draw(b);
      FkeyDrawRow();
      u32 key = 0;
      if (KeyGetKey(&key)) continue;
      const bool has = list->count > 0;
      if (!has && key != kBrowseNew && key != kBrowseMkf && key != kBrowseSd && key != kBrowseSmem &&
          key != kKeyExit && key != kKeyQuit)
        continue;
      bool done = false;
      switch (key) {
        case kKeyUp: BrowseMoveUp(list); break;
        case kKeyDown: BrowseMoveDown(list); break;
        case kBrowseSel: {
          BrowseEntry &e = list->entries[list->current];
          BrowseEntrySetField(&e, kBrowseFieldMarked, !BrowseEntryGetField(&e, kBrowseFieldMarked));
          break;
        }
        case kBrowseAll:
          for (u32 i = 0; i < list->count; ++i) BrowseEntrySetField(&list->entries[i], kBrowseFieldMarked, 1);
          break;
        case kKeyDel:
        case kBrowseDel: Delete(b); break;
        case kBrowseSrc: BrowseSearch(list); break;
        case kBrowseCopy: CopyMarked(list); break;
        case kBrowseMkf: MakeFolder(b); break;
        case kBrowseRnf: RenameFolder(b); break;
        case kBrowseNew: {
          char name[9];
          if (BrowseNameInput(543, name) == 0) {
            WriteResult(b, name);
            done = true;
          }
          break;
        }
        case kKeyExe:
        case kBrowseOpen: {
          const BrowseEntry &e = list->entries[list->current];
          if (BrowseEntryGetField(&e, kBrowseFieldFolder)) {
            OpenFolder(b);
          } else if (key == kBrowseOpen || (device & kBrowseDocument)) {
            char name[13];
            BrowseEntryName(&e, name);
            WriteResult(b, name);
            done = true;
          }
          break;
        }
        case kKeyExit:
        case kKeyQuit:
          if (list->folder[0]) {
            LeaveFolder(b);
          } else if (CaseEqual(pattern, "*.EAC")) {
            if (list->count) BrowseShowAt(list, 0, 1);
          } else {
            done = true;
          }
          break;
        case kBrowseTran:
        case kBrowseSd:
        case kBrowseSmem: done = true; break;
        default: break;
      }
      if (done) {
        ended = key;
        break;
      }
    }
  }
  FkeyPopLevel();
  KeyForgetDrawnRow();
  FkeyDrawRow();
  (void)mask;
  return ended;
}
