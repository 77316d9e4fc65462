// The program application: the list of programs, its dialogs (new, rename,
// search, password, delete), and the run of the selected program.
#include "apps/calc/prog_list.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "apps/calc/runmat.h"
#include "apps/calc/runmat_glue.h"
#include "eval/prog.h"
#include "kernel/keyqueue.h"
#include "memory/mcs_api.h"
#include "memory/mcs_store.h"
#include "memory/str.h"
#include "number/numtext.h"
#include "ui/edit.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/msg.h"
#include "ui/popup.h"
#include "ui/setup.h"
#include "ui/setup_screen.h"
#include "ui/text.h"
#include "ui/value_keys.h"

namespace {

constexpr i32 kErrMemory = 4;
constexpr i32 kErrMemoryFull = 13;
constexpr i32 kErrMismatch = 19;
constexpr i32 kErrNotFound = 21;
constexpr i32 kErrExists = 24;
constexpr u8 kTokProg = 0xED;

// Function-key pages of the list screen (menu ids of the application range).
enum ListPage : u32 {
  kPageEmpty = 0, kPageList = 1, kPageSecond = 2, kPageName = 3, kPageSymbols = 4, kPageNew = 5, kPageRun = 6,
};
// Key codes the pages give.
enum ListCode : u32 {
  kCodeExe = 1, kCodeEdit = 2, kCodeNew = 3, kCodeDel = 4, kCodeDelAll = 5, kCodeSearch = 6, kCodeRename = 7,
};
// Codes of the new-program page.
enum NewCode : u32 { kNewRun = 1, kNewBase = 2, kNewKey = 3 };

constexpr FkeyItem B{0, kFkeyBlank, 0};
constexpr FkeyItem K(i16 icon, u32 code) { return {icon, kFkeyKeyCode, code}; }
constexpr FkeyItem T(i16 icon, u32 code) { return {icon, kFkeyInput, code}; }
constexpr FkeyItem M(i16 icon, u32 menu) { return {icon, kFkeySubMenu, menu}; }
constexpr FkeyItem S(i16 icon, u32 menu) { return {icon, kFkeySibling, menu}; }

const FkeyItem kListPages[7][6] = {
    {B, B, K(390, kCodeNew), B, B, B},
    {K(388, kCodeExe), K(389, kCodeEdit), K(390, kCodeNew), K(56, kCodeDel), K(260, kCodeDelAll), S(6, kPageSecond)},
    {K(391, kCodeSearch), K(392, kCodeRename), B, B, B, S(6, kPageList)},
    {M(397, kPageSymbols), B, B, B, B, B},
    {T(398, 0x27), T(399, 0x22), T(400, 0x7E), B, B, B},
    {K(404, kNewRun), K(405, kNewBase), B, B, K(406, kNewKey), M(397, kPageSymbols)},
    {B, B, B, B, B, B},
};

void SetPage(u32 page) {
  FkeySetLevelMenu(page);
  KeyForgetDrawnRow();
}

void PrintMsg(i32 id, i32 row) {
  char text[64];
  if (MsgText(id, text) == nullptr) return;
  TextLocate(1, row);
  TextPrint(text);
}

ProgListNode *LastNode(ProgList *list) {
  ProgListNode *n = list->first;
  while (n && n->next) n = n->next;
  return n;
}

// A node for the current item; null after a failed read or allocation.
ProgListNode *MakeNode() {
  auto *node = static_cast<ProgListNode *>(std::calloc(1, sizeof(ProgListNode)));
  if (!node) return nullptr;
  u8 kind = 0;
  u8 head[kProgHeaderSize] = {};
  if (McsCurrentName(node->name) != 0 || McsCurrentKindSize(&kind, &node->size) != 0) {
    std::free(node);
    return nullptr;
  }
  // A short item from a backup has no header to read: it lists as a program
  // without password.
  if (node->size >= 9) McsReadCurrent(1, 9, head);
  std::memcpy(node->password, head, 8);
  node->mode = head[8] == 1 ? 1 : 0;
  return node;
}

// Rows the list screen shows.
constexpr u32 kListRows = 6;

u32 IndexOf(const ProgList *list, const ProgListNode *node) {
  u32 i = 0;
  for (const ProgListNode *n = list->first; n && n != node; n = n->next) ++i;
  return i;
}

// Memory a program takes as the list shows it.
u32 ShownSize(const ProgListNode *node) {
  u32 len = 0;
  ProgItemText(node->name, &len);
  return (len + 20 + 3) & ~3u;
}

// One list line, 21 columns of bytes.
void ListLine(char *out, const ProgListNode *node, const char *mark) {
  char name[9 * kStrTokenNameMax] = {};
  for (const char *p = node->name; *p;) {
    char part[kStrTokenNameMax];
    StrTokenName(StrCharAt(p), part);
    std::strcat(name, part);
    p = StrNextChar(p);
  }
  const u32 n = static_cast<u32>(std::strlen(name));
  const u32 s = node->mode == 1 ? 1 : 0;
  char line[96];
  std::memset(line, ' ', sizeof line);
  std::memcpy(line + 1, name, n);
  if (node->password[0]) line[n + 2] = '*';
  if (s) {
    line[n + 3] = static_cast<char>(0xE5);
    line[n + 4] = static_cast<char>(0xB5);
  }
  line[n + 4 + s] = ':';
  char digits[16];
  const int d = std::snprintf(digits, sizeof digits, "%u", static_cast<unsigned>(ShownSize(node)));
  std::memcpy(line + n + 11 + s - d, digits, static_cast<size_t>(d));
  u32 end = n + 11 + s;
  if (mark) {
    std::memcpy(line + end, mark, 2);
    end += 2;
  }
  line[end] = 0;
  std::strcpy(out, line);
}

void DrawList(ProgList *list) {
  TextCursorOff();
  LcdClearVram();
  PrintMsg(240, 1);
  if (!list->first) {
    PrintMsg(241, 4);
    SetPage(kPageEmpty);
    return;
  }
  const u32 topIndex = IndexOf(list, list->top);
  ProgListNode *n = list->top;
  for (u32 r = 0; r < kListRows && n; ++r, n = n->next) {
    const char *mark = nullptr;
    static const char kUp[] = "\xE6\x92";
    static const char kDown[] = "\xE6\x93";
    if (r == 0 && topIndex > 0) mark = kUp;
    if (r == kListRows - 1 && n->next) mark = kDown;
    char line[128];
    ListLine(line, n, mark);
    TextLocate(1, static_cast<i32>(r + 2));
    if (n == list->selected) {
      TextPrintFieldRev(line, 21);
    } else {
      TextPrintField(line, 21);
    }
  }
  const i32 menu = static_cast<i32>(FkeyCurrentMenu());
  if (menu != kPageList && menu != kPageSecond) SetPage(kPageList);
}

// Keeps the selected node inside the six rows.
void FollowSelection(ProgList *list) {
  if (!list->selected) return;
  const u32 sel = IndexOf(list, list->selected);
  u32 top = IndexOf(list, list->top);
  if (!list->top || sel < top) top = sel;
  if (sel >= top + kListRows) top = sel - kListRows + 1;
  ProgListNode *n = list->first;
  for (u32 i = 0; i < top && n; ++i) n = n->next;
  list->top = n;
}

// ---- the name field shared by the dialogs ----

struct NameField {
  u8 text[kProgNameMax + 1];
  u32 start;
  u32 cursor;
  i32 row;
};

void SetAlphaLock() {
  KeySetModifier(kModAlphaLock);
  KeyCursorFromState();
}

void FieldClear(NameField *f) {
  std::memset(f->text, 0, sizeof f->text);
  f->start = f->cursor = 0;
}

void FieldDraw(NameField *f) {
  TextLocate(1, f->row);
  TextPrint("[        ]");
  f->start = EditRedrawLineIn(f->text, f->start, f->cursor, 2, f->row, 8);
}

// Reads keys into the field until EXE (with a text: 0), EXIT, SHIFT+EXIT, or
// a page code below 30000 (returned for the caller).
u32 FieldRead(NameField *f) {
  for (;;) {
    FieldDraw(f);
    FkeyDrawRow();
    u32 key = 0;
    const u32 isChar = KeyGetKey(&key);
    if (isChar) {
      if (ProgEditIsNameChar(key) && key < 0x100 && std::strlen(reinterpret_cast<char *>(f->text)) < kProgNameMax) {
        f->cursor = EditPutChar(f->text, kProgNameMax, f->cursor, key);
      }
      continue;
    }
    switch (key) {
      case kKeyExe:
        if (f->text[0]) return 0;
        SetAlphaLock();
        break;
      case kKeyExit:
      case kKeyQuit:
        return key;
      case kKeyAc:
        FieldClear(f);
        SetAlphaLock();
        break;
      case kKeyXThetaT: {
        const u16 c = RunMatGlueGraphVarChar();
        if (std::strlen(reinterpret_cast<char *>(f->text)) < kProgNameMax)
          f->cursor = EditPutChar(f->text, kProgNameMax, f->cursor, c);
        break;
      }
      case kKeyLeft:
      case kKeyRight:
      case kKeyDel:
      case kKeyPaste:
      case kKeyClipLeft:
      case kKeyClipRight:
        EditMoveCursorIn(f->text, kProgNameMax, &f->start, &f->cursor, key, 2, f->row, 8);
        break;
      default:
        if (key < 30000) return key;
        break;
    }
  }
}

// Asks for a password on rows 3-4. expected: the stored password, or null
// for a new one (then copied to out). 0 when given (or matching), else the
// key that gave up.
u32 PasswordDialog(char *out, const char *expected) {
  for (;;) {
    PrintMsg(243, 3);
    NameField f{};
    f.row = 4;
    SetPage(kPageName);
    SetAlphaLock();
    const u32 r = FieldRead(&f);
    if (r == kKeyExit || r == kKeyQuit) {
      TextLocate(1, 3);
      TextPrintField("", 21);
      TextLocate(1, 4);
      TextPrintField("", 21);
      return r;
    }
    if (r != 0) continue;
    if (!expected) {
      std::memcpy(out, f.text, kProgNameMax + 1);
      return 0;
    }
    if (std::strncmp(reinterpret_cast<char *>(f.text), expected, kProgNameMax) == 0) return 0;
    ErrBox(kErrMismatch);
  }
}

// The title row and the name row of a dialog.
void DialogScreen(i32 title, const char *name, u8 mode) {
  TextCursorOff();
  LcdClearVram();
  PrintMsg(title, 1);
  TextLocate(1, 2);
  TextPrint("[        ]");
  if (name) {
    TextLocate(2, 2);
    TextPrint(name);
  }
  TextLocate(12, 2);
  TextPrint(mode == 1 ? "\xE5\xB5" : " ");
}

ProgListNode *FindNode(ProgList *list, const char *name) {
  for (ProgListNode *n = list->first; n; n = n->next)
    if (std::strncmp(n->name, name, kProgNameMax) == 0) return n;
  return nullptr;
}

// Opens the selected program in the editor, asking its password first.
void EditSelected(ProgList *list) {
  ProgListNode *node = list->selected;
  if (!node) return;
  if (node->password[0]) {
    DialogScreen(242, node->name, node->mode);
    const u32 r = PasswordDialog(nullptr, node->password);
    if (r == kKeyQuit) ProgListLoad(nullptr, list, 1);
    if (r != 0) return;
  }
  ProgEditMain(0, list);
}

void NewDialog(ProgList *list) {
  u8 mode = 0;
  NameField f{};
  f.row = 2;
  DialogScreen(242, nullptr, mode);
  SetPage(kPageNew);
  SetAlphaLock();
  for (;;) {
    const u32 r = FieldRead(&f);
    if (r == kKeyExit || r == kKeyQuit) return;
    if (r == kNewRun || r == kNewBase) {
      mode = r == kNewBase ? 1 : 0;
      TextLocate(12, 2);
      TextPrint(mode == 1 ? "\xE5\xB5" : " ");
      continue;
    }
    if (r != 0 && r != kNewKey) continue;
    if (r == kNewKey && !f.text[0]) continue;
    const char *name = reinterpret_cast<const char *>(f.text);
    u32 size = 0;
    if (McsOpenByKind(kMcsKindProgram, name, &size) == 0) {
      // An existing program opens instead of a new one.
      ProgListLoad(name, list, 1);
      EditSelected(list);
      return;
    }
    char password[kProgNameMax + 1] = {};
    if (r == kNewKey && PasswordDialog(password, nullptr) != 0) return;
    if (const u32 err = ProgListCreate(name, password, mode, list)) {
      ErrBox(static_cast<i32>(err));
      return;
    }
    ProgEditMain(0, list);
    return;
  }
}

void RenameDialog(ProgList *list) {
  if (!list->selected) return;
  NameField f{};
  f.row = 2;
  DialogScreen(245, nullptr, list->selected->mode);
  SetPage(kPageName);
  SetAlphaLock();
  if (FieldRead(&f) != 0) return;
  char old_name[9];
  std::memcpy(old_name, list->selected->name, sizeof old_name);
  const char *name = reinterpret_cast<const char *>(f.text);
  if (const u32 r = McsRenameItem(McsKindFolder(kMcsKindProgram), old_name, name)) {
    ErrBox(ProgItemErrorCode(r));
    ProgListLoad(old_name, list, 1);
    return;
  }
  ProgListLoad(name, list, 1);
}

void SearchDialog(ProgList *list) {
  NameField f{};
  f.row = 2;
  DialogScreen(244, nullptr, 0);
  SetPage(kPageName);
  SetAlphaLock();
  if (FieldRead(&f) != 0) return;
  const char *prefix = reinterpret_cast<const char *>(f.text);
  const size_t n = std::strlen(prefix);
  for (ProgListNode *node = list->first; node; node = node->next) {
    if (std::strncmp(node->name, prefix, n) == 0) {
      list->selected = node;
      list->top = node;
      return;
    }
  }
  ErrBox(kErrNotFound);
}

// 30004 for yes, 30002 for no.
u32 ConfirmDelete(u32 kind) {
  TextCursorState saved;
  TextGetCursor(&saved);
  TextCursorOff();
  PopupOpen(4);
  PopupDrawWindow(5);
  const i32 row = PopupFirstRow(5);
  PrintMsg(kind == 1 ? 248 : 250, row);
  PrintMsg(kind == 1 ? 249 : 251, row + 1);
  PrintMsg(2, row + 2);
  PrintMsg(3, row + 3);
  const u32 key = PopupWaitKey({kKeyF1, kKeyF6, kKeyExit, kKeyQuit});
  PopupClose(4);
  PopupRestoreCursor(saved);
  return key == kKeyF1 ? kKeyExe : kKeyExit;
}

void DeleteSelected(ProgList *list) {
  ProgListNode *node = list->selected;
  if (!node || ConfirmDelete(1) != kKeyExe) return;
  char next[9] = {};
  if (node->previous) {
    std::memcpy(next, node->previous->name, 9);
  } else if (node->next) {
    std::memcpy(next, node->next->name, 9);
  }
  if (McsDeleteByKind(kMcsKindProgram, node->name) != 0) ErrBox(ProgItemErrorCode(McsLastError()));
  ProgListLoad(next[0] ? next : nullptr, list, 1);
}

// The right-aligned text of a value on row `row`.
void PrintRight(i32 row, const char *text) {
  i32 cols = 0;
  for (const char *p = text; *p; p = StrNextChar(p)) cols += EditCharColumns(static_cast<u16>(StrCharAt(p)), nullptr);
  TextLocate(cols >= 21 ? 1 : 22 - cols, row);
  TextPrint(text);
}

// Scrolls the run screen copy one row up and shows it again.
void ScrollRun(ProgRunContext *ctx) {
  std::memmove(ctx->text[0], ctx->text[1], sizeof ctx->text - sizeof ctx->text[0]);
  std::memset(ctx->text[kProgTextRows - 1], 0, kProgRowBytes);
  for (u32 r = 0; r < kProgTextRows; ++r) {
    TextLocate(1, static_cast<i32>(r + 1));
    TextPrintField(reinterpret_cast<const char *>(ctx->text[r]), 21);
  }
}

// Shows a value's text right-aligned from row `row` (two rows for a text
// with a newline), blanking the rows first; returns the rows used.
u32 PrintValueRows(i32 row, const char *value) {
  char text[kNumTextSize];
  std::strncpy(text, value, sizeof text - 1);
  text[sizeof text - 1] = 0;
  char *brk = std::strchr(text, 13);
  if (brk) *brk = 0;
  TextLocate(1, row);
  TextPrintField("", 21);
  PrintRight(row, text);
  if (!brk) return 1;
  TextLocate(1, row + 1);
  TextPrintField("", 21);
  PrintRight(row + 1, brk + 1);
  return 2;
}

// Shows the program's last value on the row below its output; *first and
// *rows tell where it stands.
void ShowValue(ProgRunContext *ctx, u32 *first, u32 *rows) {
  char text[kNumTextSize];
  const u16 form = static_cast<u16>(ctx->displayForm);
  NumToTextOpt(&ctx->last, text, &form);
  *rows = std::strchr(text, 13) ? 2 : 1;
  while (ctx->row + *rows - 1 > kProgTextRows) {
    ScrollRun(ctx);
    --ctx->row;
  }
  *first = ctx->row;
  PrintValueRows(static_cast<i32>(ctx->row), text);
}

// F<>D, the fraction form, sexagesimal and ENG on the value shown after a
// run: the text changes in place; a text that needs another number of rows
// than before blanks or takes the row below.
void ConvertShownValue(ProgRunContext *ctx, u32 key, u32 first, u32 *rows) {
  char text[kNumTextSize];
  if (!KeyConvertValue(key, &ctx->last, text)) return;
  const u32 before = *rows;
  *rows = PrintValueRows(static_cast<i32>(first), text);
  if (before == 2 && *rows == 1 && first < kProgTextRows) {
    TextLocate(1, static_cast<i32>(first + 1));
    TextPrintField("", 21);
  }
}

// Runs the selected program on a cleared screen; an error opens the editor
// on the program the run stopped in, at the failing statement.
void RunSelected(ProgList *list) {
  ProgListNode *node = list->selected;
  if (!node) return;
  TextCursorOff();
  LcdClearVram();
  SetupSetItem(kSetupMode, node->mode == 1 ? 9 : 0);
  u8 line[4 + kProgNameMax] = {};
  u32 n = 0;
  line[n++] = kTokProg;
  line[n++] = '"';
  for (u32 i = 0; i < kProgNameMax && node->name[i]; ++i) line[n++] = static_cast<u8>(node->name[i]);
  line[n++] = '"';
  ProgRunContext ctx;
  ProgContextClear(&ctx);
  Value result{};
  const u8 *pos = line;
  // The program's output has a row of its own: the OPT and SHIFT groups of
  // a calculation, and no list keys under it.
  u16 groups[6];
  FkeySaveGroups(groups);
  const u16 mask = KeyGetMenuMask();
  FkeyBuildOptGroup(6);
  FkeyBuildShiftGroup(1);
  FkeyPushLevel(kPageRun);
  KeyForgetDrawnRow();
  const u32 ok = ProgRun(&pos, 0, &result, &ctx);
  if (ok) {
    u32 first = 0, rows = 0;
    const bool value = ctx.outputMode == kProgOutValue;
    if (value) ShowValue(&ctx, &first, &rows);
    for (;;) {
      FkeyDrawRow();
      u32 key = 0;
      if (KeyGetKey(&key)) continue;
      if (key == kKeyExit || key == kKeyExe || key == kKeyAc) break;
      if (key == kKeyQuit) {
        ProgListLoad(nullptr, list, 1);
        break;
      }
      if (value && KeyIsValueConversion(key)) ConvertShownValue(&ctx, key, first, &rows);
    }
  }
  FkeyPopLevel();
  KeySetMenuMask(mask);
  FkeyRestoreGroups(groups);
  KeyForgetDrawnRow();
  if (ok) return;
  const u8 code = ValErrorCode(&result) ? ValErrorCode(&result) : ValErrorCode(&result.im);
  if (code == 1) HostClearKeyQueue();
  if (code) ErrBox(code);
  const char *stopped = ctx.name[0] ? ctx.name : node->name;
  char name[9] = {};
  for (u32 i = 0; i < kProgNameMax && stopped[i]; ++i) name[i] = stopped[i];
  ProgListLoad(name, list, 1);
  if (!list->selected || std::strncmp(list->selected->name, name, kProgNameMax) != 0) return;
  if (list->selected->password[0]) {
    LcdClearVram();
    return;
  }
  u32 len = 0;
  const u8 *text = ProgItemText(name, &len);
  u32 at = ctx.errorOffset;
  if (!text || at > len) at = len;
  // The cursor stands on the start of the token that holds the offset.
  u32 start = 0;
  for (u32 i = 0; text && i < at;) {
    start = i;
    const u32 w = (i + 1 < len && StrIsLeadByte(text[i])) ? 2 : 1;
    i += w;
    if (i > at) break;
    start = i;
  }
  ProgEditMain(start + 1, list);
}

void SetupKeys() {
  FkeyResetGroups();
  for (u32 i = 0; i < 7; ++i) FkeySetPage(static_cast<i32>(i), kListPages[i]);
  FkeyClearStack();
  FkeyPushLevel(kPageList);
  KeySetMenuMask(247);
}

}  // namespace

i32 ProgItemErrorCode(u32 store_code) {
  switch (store_code) {
    case kMcsNoRoomInsert:
    case kMcsNoRoom:
    case kMcsFolderFull:
    case kMcsNoRoomMove:
      return kErrMemoryFull;
    case kMcsNameTaken:
      return kErrExists;
    case kMcsNoItem:
      return kErrNotFound;
    default:
      return kErrMemory;
  }
}

u32 ProgEditIsNameChar(u32 c) {
  if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')) return 1;
  switch (c) {
    case ' ': case '"': case '.': case '~': case '\'': case '[': case ']': case '{': case '}':
    case 0xCD: case 0xCE: case 0x89: case 0x99: case 0xA9: case 0xB9:
      return 1;
    default:
      return 0;
  }
}

const u8 *ProgItemText(const char *name, u32 *len) {
  *len = 0;
  u32 size = 0;
  u8 *data = nullptr;
  if (McsOpenByKindPtr(kMcsKindProgram, name, &size, &data) != 0 || !data || size < kProgHeaderSize) return nullptr;
  const u8 *text = data + kProgHeaderSize;
  const u32 limit = size - kProgHeaderSize;
  // Token by token, never past the item: a lead byte in the last byte stands
  // alone.
  u32 n = 0;
  // A character group's lead byte before the terminator is a cut character.
  while (n < limit && text[n] != 0) {
    const bool cut = text[n] >= 0xE5 && text[n] <= 0xE7 && n + 1 < limit && text[n + 1] == 0;
    n += (n + 1 < limit && StrIsLeadByte(text[n]) && !cut) ? 2 : 1;
  }
  *len = n;
  return text;
}

void ProgListFree(ProgList *list) {
  ProgListNode *n = list->first;
  while (n) {
    ProgListNode *next = n->next;
    std::free(n);
    n = next;
  }
  list->first = list->selected = list->top = nullptr;
}

u32 ProgListLoad(const char *name, ProgList *list, i32 direction) {
  ProgListFree(list);
  u32 err = 0;
  if (McsFindByKind(kMcsKindProgram, nullptr, 1) == 0) {
    ProgListNode *last = nullptr;
    for (;;) {
      ProgListNode *node = MakeNode();
      if (!node) {
        err = kErrMemory;
        break;
      }
      node->previous = last;
      if (last) {
        last->next = node;
      } else {
        list->first = node;
      }
      last = node;
      if (McsStepCurrent(1) != 0) break;
    }
  }
  ProgListNode *sel = name ? FindNode(list, name) : nullptr;
  if (!sel) sel = direction < 0 ? LastNode(list) : list->first;
  list->selected = sel;
  list->top = sel;
  // The top row shows the selection, but a full window is kept when the
  // selection lies among the last six.
  if (sel) {
    u32 after = 0;
    for (ProgListNode *n = sel->next; n; n = n->next) ++after;
    while (after < kListRows - 1 && list->top->previous && direction >= 0) {
      list->top = list->top->previous;
      ++after;
    }
  }
  return err;
}

u32 ProgListCreate(const char *name, const char *password, u8 mode, ProgList *list) {
  u8 head[kProgHeaderSize + 1] = {};
  for (u32 i = 0; i < kProgNameMax && password && password[i]; ++i) head[i] = static_cast<u8>(password[i]);
  head[8] = mode;
  u32 size = 0;
  u32 r;
  if (McsOpenByKind(kMcsKindProgram, name, &size) == 0) {
    r = McsWriteByKind(kMcsKindProgram, name, kProgHeaderSize, head, 0);
    if (r <= 2) r = 0;
  } else {
    r = McsCreateByKind(kMcsKindProgram, name, sizeof head, head);
  }
  if (r != 0) return static_cast<u32>(ProgItemErrorCode(McsLastError()));
  ProgListLoad(name, list, 1);
  return 0;
}

i32 ProgEditBaseNRefuses(u16 token, const ProgList *list) {
  if (!list->selected || list->selected->mode != 1) return 0;
  return RunMatBaseNRefuses(token);
}

u32 ProgEditAppMain(u32, u16) {
  // The kernel may leave the application at any key read: the list lives in
  // one place that the next launch frees and builds again.
  static ProgList g_list{};
  ProgList &list = g_list;
  ProgListFree(&list);
  SetupKeys();
  ProgListLoad(nullptr, &list, 1);
  // The pages are set up again only after what may have changed them (a
  // run, the editor, a dialog): a page turned with F6 stays while the keys
  // of that page are pressed.
  bool fresh = false;
  for (;;) {
    if (fresh) SetupKeys();
    fresh = true;
    DrawList(&list);
    FkeyDrawRow();
    u32 key = 0;
    if (KeyGetKey(&key)) {
      fresh = false;
      continue;
    }
    switch (key) {
      case kKeyExe:
      case kCodeExe:
        RunSelected(&list);
        break;
      case kCodeEdit:
        EditSelected(&list);
        break;
      case kCodeNew:
        NewDialog(&list);
        break;
      case kCodeDel:
      case kKeyDel:
        DeleteSelected(&list);
        break;
      case kCodeDelAll:
        if (list.first && ConfirmDelete(2) == kKeyExe) {
          LcdShowBusyIndicator();
          McsDeleteAllOfKind(kMcsKindProgram);
          ProgListFree(&list);
        }
        break;
      case kCodeSearch:
        SearchDialog(&list);
        break;
      case kCodeRename:
        RenameDialog(&list);
        break;
      case kKeyUp:
        fresh = false;
        if (!list.selected) break;
        if (list.selected->previous) {
          list.selected = list.selected->previous;
          FollowSelection(&list);
        } else {
          // Up from the first: the last program, alone on the top row when
          // the list is longer than the screen.
          list.selected = LastNode(&list);
          list.top = IndexOf(&list, nullptr) > kListRows ? list.selected : list.first;
        }
        break;
      case kKeyDown:
        fresh = false;
        if (!list.selected) break;
        if (list.selected->next) {
          list.selected = list.selected->next;
        } else {
          list.selected = list.top = list.first;
        }
        FollowSelection(&list);
        break;
      case kKeyQuit:
        list.selected = list.top = list.first;
        break;
      case kKeySetup: {
        u32 changed = 0;
        SetupScreen("@PROG", &changed);
        break;
      }
      default:
        fresh = false;
        break;
    }
  }
}
