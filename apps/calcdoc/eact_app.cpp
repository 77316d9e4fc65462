// The e-activity application: its file list, opening a file into main
// memory, the editor over "EACT1", the leave question, saving, the name
// input, the storage-room checks, the size pop-ups, the strip choice and
// the state a strip carries. Also the text strip's entry.
#include <cstdio>
#include <cstring>

#include "apps/calcdoc/calcdoc.h"
#include "apps/calcdoc/calcdoc_draw.h"
#include "apps/system/browse.h"
#include "graph/progress_bar.h"
#include "kernel/apps.h"
#include "memory/mcs_api.h"
#include "memory/mcs_workarea.h"
#include "storage/file.h"
#include "storage/wstr.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/msg.h"
#include "ui/popup.h"
#include "ui/text.h"

namespace {

constexpr i32 kErrMemory = 4;
constexpr i32 kPathMax = 260;
constexpr u8 kDeviceStorage = 0x11;
constexpr u8 kDeviceCard = 0x12;
constexpr u32 kGo = kKeyExe;
constexpr u32 kStop = kKeyExit;
constexpr u32 kNearlyFull = 65536;

u16 g_path[kPathMax];
const u16 *g_path_ptr = g_path;

constexpr FkeyItem K(i16 icon, u32 code) { return {icon, kFkeyKeyCode, code}; }
constexpr FkeyItem kBlank = {0, kFkeyBlank, 0};

CalcDocState &Doc() { return *CalcDocGetState(); }

// ---- paths -----------------------------------------------------------------------

i32 PathLength(const u16 *p) {
  i32 n = 0;
  while (n < kPathMax - 1 && !WstrIsEnd(p[n])) ++n;
  return n;
}

void ClearPath() { std::memset(g_path, 0, sizeof g_path); }

// The name part of the path: after its last '\', without the extension.
void PathName(const u16 *path, char out[13]) {
  const i32 n = PathLength(path);
  i32 from = 0;
  for (i32 i = 0; i < n; ++i)
    if (path[i] == '\\') from = i + 1;
  i32 k = 0;
  for (i32 i = from; i < n && k < 12 && path[i] != '.'; ++i) out[k++] = static_cast<char>(path[i]);
  out[k] = 0;
}

void AppendText(u16 *path, const char *text) {
  i32 n = PathLength(path);
  for (; *text && n < kPathMax - 1; ++text) path[n++] = static_cast<u8>(*text);
  path[n] = 0;
}

// The device part of the path: what follows its leading '\'s up to the next.
void PathDevice(const u16 *path, u16 out[8]) {
  i32 i = 0;
  while (i < kPathMax && path[i] == '\\') ++i;
  i32 k = 0;
  while (k < 7 && i < kPathMax && !WstrIsEnd(path[i]) && path[i] != '\\') out[k++] = path[i++];
  out[k] = 0;
}

bool IsStorageDevice(const u16 *device) {
  static const char kFls[] = "fls0";
  for (i32 i = 0; i < 5; ++i)
    if (device[i] != static_cast<u8>(kFls[i])) return false;
  return true;
}

// ---- pop-ups ---------------------------------------------------------------------

struct KeyState {
  TextCursorState cursor;
  u8 modifier;
};

KeyState PopupBegin() {
  KeyState s{};
  TextGetCursor(&s.cursor);
  s.modifier = KeyGetModifier();
  KeySetModifier(kModNone);
  return s;
}

void PopupEnd(const KeyState &s) {
  KeySetModifier(s.modifier);
  PopupRestoreCursor(s.cursor);
}

void PrintAt(i32 column, i32 row, const char *text) {
  TextLocate(column, row);
  TextPrint(text);
}

void PrintMsg(i32 column, i32 row, i32 id) {
  char text[64];
  if (MsgText(id, text)) PrintAt(column, row, text);
}

// A pop-up of `rows` rows with the lines given (null: blank) and a closing
// key set; the closing key.
u32 PopupLines(i32 rows, std::initializer_list<const char *> lines, std::initializer_list<u32> closing) {
  const KeyState s = PopupBegin();
  PopupOpenFramed(rows);
  i32 row = 2;
  for (const char *line : lines) {
    if (line) PrintAt(3, row, line);
    ++row;
  }
  const u32 key = PopupWaitKey(closing);
  PopupCloseKind5();
  PopupEnd(s);
  return key;
}

void Redraw() {
  CalcDocScrollToCurrent();
  CalcDocDrawScreen(true, nullptr, nullptr);
  FkeyDrawRow();
  LcdRedraw();
}

// ---- the two sides of a strip switch ------------------------------------------------
//
// The editor and the strip's application share the open-document record,
// the function-key pages and the menu state: each side's copy waits here
// while the other runs.

struct Side {
  bool held;
  CalcDocState doc;
  const FkeyItem *pages[kFkeyAppLast + 1];
  FkeyStackState stack;
  u16 groups[6];
  u16 mask;
};
Side g_editor, g_strip;

void Capture(Side *s) {
  s->doc = Doc();
  FkeySavePages(kFkeyAppFirst, kFkeyAppLast, s->pages);
  FkeySaveStack(&s->stack);
  FkeySaveGroups(s->groups);
  s->mask = KeyGetMenuMask();
  s->held = true;
}

void Apply(const Side &s) {
  Doc() = s.doc;
  FkeyRestorePages(kFkeyAppFirst, kFkeyAppLast, s.pages);
  FkeyRestoreStack(&s.stack);
  FkeyRestoreGroups(s.groups);
  KeySetMenuMask(s.mask);
}

}  // namespace

const u16 *EactPath() { return g_path_ptr; }

constexpr i32 kIconYes = 10;
constexpr i32 kIconNo = 41;

u32 EactCheckStorageRoom(u32 after_save) {
  u16 device[8];
  PathDevice(g_path, device);
  // Only the storage memory answers how much room it has; elsewhere there is
  // nothing to warn about.
  if (!IsStorageDevice(device)) return kGo;
  u32 free_bytes = 0;
  if (FileGetFreeSpace(device, &free_bytes) < 0) {
    ErrBox(kErrMemory);
    return kStop;
  }
  if (free_bytes >= kNearlyFull) return kGo;
  if (after_save) {
    char l[5][24];
    for (i32 i = 0; i < 4; ++i)
      if (!MsgText(464 + i, l[i])) l[i][0] = 0;
    PopupLines(6, {l[0], l[1], l[2], l[3], nullptr, "   Press:[EXIT]"}, {kKeyExit, kKeyQuit});
    return kGo;
  }
  const KeyState s = PopupBegin();
  u8 screen[1024];
  LcdCopyVram(screen);
  LcdClearVram();
  for (i32 i = 0; i < 7; ++i) PrintMsg(1, i + 1, 536 + i);
  // The answers are the function keys of the row below, YES on F1, NO on F6:
  // a page of their own for the question, the menus as they were after it.
  static const FkeyItem kAnswers[6] = {{kIconYes, kFkeyKeyCode, kKeyF1}, {0, kFkeyBlank, 0}, {0, kFkeyBlank, 0},
                                       {0, kFkeyBlank, 0},                {0, kFkeyBlank, 0}, {kIconNo, kFkeyKeyCode, kKeyF6}};
  FkeyStackState menus{};
  FkeySaveStack(&menus);
  const FkeyItem *page = FkeyPageOf(0);
  FkeySetPage(0, kAnswers);
  FkeyResetStack();
  FkeyPushLevel(0);
  KeyForgetDrawnRow();
  LcdRedraw();
  const u32 key = PopupWaitKey({kKeyF1, kKeyF6, kKeyExit, kKeyQuit});
  FkeySetPage(0, page);
  FkeyRestoreStack(&menus);
  KeyForgetDrawnRow();
  std::memcpy(LcdVramAddress(), screen, sizeof screen);
  PopupEnd(s);
  return key == kKeyF1 ? kGo : kStop;
}

u32 EactAskFileName() {
  char name[9];
  const u32 r = BrowseNameInput(543, name);
  if (r != 0) return r;
  i32 n = PathLength(g_path);
  i32 cut = -1;
  for (i32 i = 0; i < n; ++i)
    if (g_path[i] == '\\') cut = i;
  if (cut >= 0) {
    g_path[cut + 1] = 0;
  } else {
    static const char kRoot[] = "\\\\fls0\\";
    ClearPath();
    AppendText(g_path, kRoot);
  }
  AppendText(g_path, name);
  AppendText(g_path, ".EAC");
  return kKeyExe;
}

u32 EactSaveFile(u32 command) {
  CalcDocState &d = Doc();
  u16 kept[kPathMax];
  std::memcpy(kept, g_path, sizeof kept);
  u8 title[64] = {};
  bool retitled = false;
  if (command == kDocCmdSaveAs) {
    if (EactAskFileName() != kKeyExe) return 0;
    const i32 h = FileOpen(g_path);
    if (h >= 0) {
      FileClose(h);
      char name[13];
      PathName(g_path, name);
      char line[24];
      std::snprintf(line, sizeof line, "[%-8s]", name);
      if (PopupLines(5, {line, "Already Exists", "Overwrite OK?", "   Yes:[F1]", "   No :[F6]"},
                     {kKeyF1, kKeyF6, kKeyExit, kKeyQuit}) != kKeyF1) {
        std::memcpy(g_path, kept, sizeof kept);
        return 0;
      }
    }
    // The title line follows the new name.
    const u8 *old = CalcDocEntryText(0);
    if (old != nullptr && DocKindOf(CalcDocEntryType(0)) == kDocTitle) {
      std::strncpy(reinterpret_cast<char *>(title), reinterpret_cast<const char *>(old), sizeof title - 1);
      char name[13];
      PathName(g_path, name);
      char text[32];
      std::snprintf(text, sizeof text, "======%-8s=======", name);
      const u8 *t = reinterpret_cast<const u8 *>(text);
      if (CalcDocReplaceEntry(0, {DocTypeWord(kDocTitle), 126, 8}, t) != 1) {
        std::memcpy(g_path, kept, sizeof kept);
        ErrBox(kErrMemory);
        return 0;
      }
      retitled = true;
    }
  } else if (d.modified == 0) {
    return 1;
  }
  if (SysSaveAppAreas(kAreaEactFile, g_path) != 0) {
    if (retitled) CalcDocReplaceEntry(0, {DocTypeWord(kDocTitle), 126, 8}, title);
    if (command == kDocCmdSaveAs) std::memcpy(g_path, kept, sizeof kept);
    return 0;
  }
  if (command == kDocCmdSave || command == kDocCmdSaveAs) {
    d.modified = 0;
    EactCheckStorageRoom(1);
  }
  return 1;
}

u32 EactLeaveQuestion(u32 key) {
  (void)key;
  if (Doc().modified == 0) return 1;
  const u32 answer = PopupLines(5, {"Save this file?", nullptr, "   Cancel:[AC]", "   Yes:[F1]", "   No :[F6]"},
                                {kKeyF1, kKeyF6, kKeyAc, kKeyExit, kKeyQuit});
  if (answer == kKeyF6) return 1;
  if (answer != kKeyF1) return 0;
  // A save that failed keeps the editor open: leaving would lose the edits.
  return EactSaveFile(key) == 1 ? 1 : 0;
}

void EactShowSizes(u32 command) {
  char a[24], b[24];
  if (command == kDocCmdStripSize) {
    if (DocKindOf(CalcDocEntryType(Doc().current)) != kDocStrip) return;
    std::snprintf(a, sizeof a, "%12u Bytes", static_cast<unsigned>(CalcDocEntrySize(Doc().current) + 4));
    PopupLines(4, {"Strip Data Size", a, nullptr, "   Press:[EXIT]"}, {kKeyExit, kKeyQuit});
    return;
  }
  u32 total = 0, used = 0, free_bytes = 0;
  if (McsGetMemoryUse(&total, &used, &free_bytes) != 0) {
    ErrBox(kErrMemory);
    return;
  }
  std::snprintf(a, sizeof a, "%12u Bytes", static_cast<unsigned>(SysEactFileWorkSize(g_path)));
  std::snprintf(b, sizeof b, "%12u Bytes", static_cast<unsigned>(free_bytes));
  PopupLines(6, {"Total Data Size", a, "Free Bytes", b, nullptr, "   Press:[EXIT]"}, {kKeyExit, kKeyQuit});
}

void EactOptimizeStorage() {
  u16 device[8];
  PathDevice(g_path, device);
  GraphProgressBar(0, 24);
  if (FileOptimizeStorage(device) < 0) ErrBox(kErrMemory);
}

u32 EactSelectStripApp(SysChildApp *out) {
  const KeyState s = PopupBegin();
  u8 screen[1024];
  LcdCopyVram(screen);
  constexpr i32 kRows = 5;
  i32 current = 0, top = 0;
  u32 chosen = 0;
  for (;;) {
    PopupOpenFramed(6);
    if (current < top) top = current;
    if (current >= top + kRows) top = current - kRows + 1;
    for (i32 r = 0; r < kRows; ++r) {
      SysChildApp row{};
      if (SysGetChildApp(static_cast<u32>(top + r), &row) != 1) continue;
      char text[40];
      if (!MsgText(static_cast<i32>(row.message), text)) text[0] = 0;
      TextLocate(3, 2 + r);
      if (top + r == current) TextPrintRev(text);
      else TextPrint(text);
    }
    if (top > 0) PrintAt(20, 2, "^");
    if (top + kRows < kSysChildAppCount) PrintAt(20, 6, "v");
    LcdRedraw();
    const u32 key = PopupWaitKey({kKeyUp, kKeyDown, kKeyExe, kKeyExit, kKeyQuit});
    PopupCloseKind5();
    if (key == kKeyUp) {
      current = current == 0 ? kSysChildAppCount - 1 : current - 1;
    } else if (key == kKeyDown) {
      current = current + 1 == kSysChildAppCount ? 0 : current + 1;
    } else {
      if (key == kKeyExe) chosen = SysGetChildApp(static_cast<u32>(current), out);
      break;
    }
  }
  std::memcpy(LcdVramAddress(), screen, sizeof screen);
  PopupEnd(s);
  return chosen;
}

u32 EactStripFolder(char out[9]) {
  const i32 at = EactStripDataOffset();
  if (at < 0) return 0;
  const u8 *d = CalcDocEntryData(Doc().strip);
  if (d == nullptr) return 0;
  std::memset(out, 0, 9);
  for (i32 i = 0; i < 8 && d[i] != 0; ++i) out[i] = static_cast<char>(d[i]);
  return out[0] != 0 ? 1 : 0;
}

void EactCarryState(u32 mode) {
  if (mode == kEactCarryFresh) {
    g_strip.held = false;
    return;
  }
  if (mode == kEactCarryEnter) {
    g_editor.held = false;
    if (std::strcmp(Doc().name, kDocNameEact) == 0) Capture(&g_editor);
    if (g_strip.held) Apply(g_strip);
    return;
  }
  Capture(&g_strip);
  if (!g_editor.held) return;
  g_editor.held = false;
  Apply(g_editor);
  Redraw();
}

u32 EactEditorMain() {
  char name[13];
  PathName(g_path, name);
  const u32 first = CalcDocOpen(kDocNameEact, name);
  if (Doc().damaged) ErrBox(kErrMemory);
  if (first == kKeyExit) {
    ErrBox(kErrMemory);
    return kKeyExit;
  }
  u16 groups[6];
  FkeySaveGroups(groups);
  const FkeyItem *pages[13];
  FkeySavePages(0, 12, pages);
  const u16 mask = KeyGetMenuMask();
  EactInstallMenus();
  const u32 key = CalcDocEngine(first);
  FkeyRestorePages(0, 12, pages);
  FkeyRestoreGroups(groups);
  KeySetMenuMask(mask);
  return key;
}

u32 EactAppMain(u32, u16) {
  // The kernel leaves an application without returning (MENU): the list of
  // the last visit is freed when the application starts again.
  static BrowseList list;
  ClearPath();
  char remembered[13] = "";
  u8 device = kDeviceStorage;
  BrowseListFree(&list);
  BrowseListInit(&list, device);
  for (;;) {
    const FkeyItem page[6] = {K(945, kBrowseOpen), K(390, kBrowseNew), K(56, kBrowseDel),
                              K(391, kBrowseSrc),  kBlank,
                              device == kDeviceStorage ? K(681, kBrowseSd) : K(1000, kBrowseSmem)};
    const u32 r = BrowseFiles(534, "*.EAC", page, &list, g_path, device);
    if (r == kBrowseSd || r == kBrowseSmem) {
      device = r == kBrowseSd ? kDeviceCard : kDeviceStorage;
      BrowseListFree(&list);
      BrowseListInit(&list, device);
      ClearPath();
      continue;
    }
    if (r == kBrowseNew) {
      AppendText(g_path, ".EAC");
    } else if (r != kBrowseOpen && r != kKeyExe) {
      continue;
    }
    if (SysRestoreAppAreas(kAreaEactFile, g_path) != 0) continue;
    if (EactCheckStorageRoom(0) != kGo) continue;
    PathName(g_path, remembered);
    BrowseListFree(&list);
    BrowseListInit(&list, device);
    const u32 key = EactEditorMain();
    if (key == kKeyQuit) {
      ClearPath();
      remembered[0] = 0;
    }
  }
}

u32 CalcDocTextMain(u32, u16) {
  static char name[9];
  std::strcpy(name, kDocNameText);
  const u32 first = CalcDocOpen(name);
  if (first == kKeyExit) {
    ErrBox(kErrMemory);
    return 1;
  }
  EactInstallMenus();
  CalcDocEngine(first);
  return 1;
}
