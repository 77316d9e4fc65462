// The memory manager: main page, item browser, copies, deletes, backups and
// the optimisation.
#include "apps/system/memmgr.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "apps/system/progress.h"
#include "kernel/keyqueue.h"
#include "memory/mcs_api.h"
#include "memory/mcs_group.h"
#include "memory/mcs_store.h"
#include "storage/file.h"
#include "storage/fls_error.h"
#include "storage/wstr.h"
#include "ui/errbox.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/msg.h"
#include "ui/setup.h"
#include "ui/sysvar.h"
#include "ui/text.h"

namespace {

enum : u32 {
  kCodeMain = 791,
  kCodeBackup = 792,
  kCodeOptimize = 793,
  kCodeSave = 770,
  kCodeLoad = 951,
};

constexpr i32 kMainMenu = 10;
constexpr i32 kBackupMenu = 12;

constexpr FkeyItem K(i16 icon, u32 code) { return {icon, kFkeyKeyCode, code}; }
constexpr FkeyItem kBlank = {0, kFkeyBlank, 0};

const FkeyItem kMainPage[6] = {K(791, kCodeMain), K(1000, kBrowseSmem), K(681, kBrowseSd),
                               K(792, kCodeBackup), K(793, kCodeOptimize), kBlank};
const FkeyItem kItemPage[6] = {K(55, kBrowseSel), K(909, kBrowseCopy), K(391, kBrowseSrc),
                               kBlank,            kBlank,              K(56, kBrowseDel)};
const FkeyItem kFilePage[6] = {K(55, kBrowseSel), K(909, kBrowseCopy), K(391, kBrowseSrc),
                               K(910, kBrowseMkf), K(944, kBrowseRnf), K(56, kBrowseDel)};
const FkeyItem kBackupPage[6] = {K(770, kCodeSave), K(951, kCodeLoad), kBlank, kBlank, kBlank, kBlank};

void PrintMsgAt(i32 id, i32 row) {
  char text[64];
  TextLocate(1, row);
  if (MsgText(id, text)) TextPrintField(text, 21);
  else TextPrintField("", 21);
}

void Widen(const char *s, u16 *out) {
  u32 i = 0;
  for (; s[i] && i + 1 < kBrowsePathMax; ++i) out[i] = static_cast<u8>(s[i]);
  out[i] = 0;
}

void SetName(char field[12], const char *text) {
  std::memset(field, 0, 12);
  std::memcpy(field, text, ::strnlen(text, 12));
}

int CompareEntries(const void *a, const void *b) {
  return static_cast<int>(FileCollateNames(reinterpret_cast<const u8 *>(static_cast<const BrowseEntry *>(a)->name),
                                           reinterpret_cast<const u8 *>(static_cast<const BrowseEntry *>(b)->name)));
}

bool IsGroup(const BrowseEntry &e) {
  return BrowseEntryGetField(&e, kBrowseFieldFolder) && !BrowseEntryGetField(&e, kBrowseFieldMember);
}

// The group and member an entry writes: a member's title, or none for a
// plain group.
void EntryGroup(const BrowseEntry &e, char group[13], char member[13]) {
  std::memcpy(group, e.second, 12);
  group[12] = 0;
  member[0] = 0;
  if (BrowseEntryGetField(&e, kBrowseFieldMember)) BrowseEntryName(&e, member);
}

u32 FreeMainBytes() {
  u32 total = 0, used = 0, free_bytes = 0;
  return McsGetMemoryUse(&total, &used, &free_bytes) == 0 ? free_bytes : 0;
}

}  // namespace

void MemMgrReport(i32 result) {
  switch (result) {
    case 0:
      BrowseShowComplete();
      return;
    case FlsErrFull:
    case FlsErrNoBlankSector:
      MsgBox4(108, 109, 110, 1);
      return;
    case FlsErrMissing:
    case FlsErrNotFound:
      MsgBox4(132, 133, 134, 1);
      return;
    case FlsErrNotFile:
      MsgBox4(676, 677, 678, 1);
      return;
    default:
      ErrBox(4);
      return;
  }
}

void MemMgrBuildList(BrowseList *list) {
  const u32 capacity = list->count;
  std::vector<BrowseEntry> groups;
  for (u32 row = 0; row < kMcsGroupCount; ++row) {
    const char *name = McsGroupTitle(row);
    char title[13] = "";
    u32 size = 0;
    const i32 r = McsGroupInfo(name, title, &size);
    if (r < 0) continue;
    BrowseEntry e{};
    SetName(e.name, title);
    SetName(e.second, name);
    BrowseEntrySetSize(&e, size);
    if (r > 0) BrowseEntrySetField(&e, kBrowseFieldFolder, 1);
    groups.push_back(e);
  }
  std::qsort(groups.data(), groups.size(), sizeof(BrowseEntry), CompareEntries);
  u32 n = 0;
  for (const BrowseEntry &g : groups) {
    if (n >= capacity) break;
    list->entries[n++] = g;
    if (!BrowseEntryGetField(&g, kBrowseFieldFolder)) continue;
    char group[13];
    std::memcpy(group, g.second, 12);
    group[12] = 0;
    const u32 first = n;
    for (i32 m = 1; m > 0 && n < capacity;) {
      char title[13] = "";
      u32 size = 0;
      const i32 next = McsGroupItemInfo(group, m, title, &size);
      if (next < 0) break;
      BrowseEntry &e = list->entries[n++];
      e = BrowseEntry{};
      SetName(e.name, title);
      SetName(e.second, group);
      BrowseEntrySetSize(&e, size);
      BrowseEntrySetField(&e, kBrowseFieldMember, 1);
      m = next;
    }
    std::qsort(list->entries + first, n - first, sizeof(BrowseEntry), CompareEntries);
  }
  list->count = static_cast<u16>(n);
  list->shown = 5;
  list->hideExt = 0;
  list->bytes = FreeMainBytes();
}

namespace {

void Rebuild(BrowseList *list) {
  BrowseListReset(list, 0);
  MemMgrBuildList(list);
}

// Marks: a group hands the opposite of its own mark to all its members; a
// member's mark toggles alone, and a group none of whose members stays
// marked is unmarked.
void ToggleMark(BrowseList *list) {
  BrowseEntry *e = &list->entries[list->current];
  const u32 marked = BrowseEntryGetField(e, kBrowseFieldMarked);
  if (IsGroup(*e)) {
    for (u32 i = list->current + 1u; i < list->count && BrowseEntryGetField(&list->entries[i], kBrowseFieldMember); ++i)
      BrowseEntrySetField(&list->entries[i], kBrowseFieldMarked, !marked);
    BrowseEntrySetField(e, kBrowseFieldMarked, !marked);
    return;
  }
  BrowseEntrySetField(e, kBrowseFieldMarked, !marked);
  if (!BrowseEntryGetField(e, kBrowseFieldMember)) return;
  u32 g = list->current;
  while (g > 0 && BrowseEntryGetField(&list->entries[g], kBrowseFieldMember)) --g;
  bool any = false;
  for (u32 i = g + 1; i < list->count && BrowseEntryGetField(&list->entries[i], kBrowseFieldMember); ++i)
    any = any || BrowseEntryGetField(&list->entries[i], kBrowseFieldMarked);
  if (!any) BrowseEntrySetField(&list->entries[g], kBrowseFieldMarked, 0);
}

bool AnyMarkedItem(const BrowseList *list) {
  for (u32 i = 0; i < list->count; ++i)
    if (!IsGroup(list->entries[i]) && BrowseEntryGetField(&list->entries[i], kBrowseFieldMarked)) return true;
  return false;
}

// Writes every marked item entry into one file in folder: 0 or negative.
i32 WriteMarked(const BrowseList *list, const u16 *folder, u32 replace, char file[13]) {
  u32 count = 0, total = kMcsFileHeaderSize;
  for (u32 i = 0; i < list->count; ++i) {
    const BrowseEntry &e = list->entries[i];
    if (IsGroup(e) || !BrowseEntryGetField(&e, kBrowseFieldMarked)) continue;
    char group[13], member[13];
    EntryGroup(e, group, member);
    count += McsCountGroup(group, member, &total);
  }
  i32 handle = -1;
  for (u32 i = 0; i < list->count; ++i) {
    const BrowseEntry &e = list->entries[i];
    if (IsGroup(e) || !BrowseEntryGetField(&e, kBrowseFieldMarked)) continue;
    char group[13], member[13];
    EntryGroup(e, group, member);
    if (handle < 0) {
      McsGroupDesc d;
      if (McsGroupFileDesc(group, member, &d) < 0) return -1;
      std::memcpy(file, d.file, 13);
      handle = McsWriteGroupFile(folder, group, member, count, total, replace);
      if (handle < 0) return handle;
    } else if (McsAppendGroupToFile(handle, group, member) < 0) {
      McsCloseGroupFile(handle);
      return -1;
    }
  }
  return handle < 0 ? -1 : McsCloseGroupFile(handle);
}

void CopyMarked(const BrowseList *list) {
  if (!AnyMarkedItem(list)) return;
  const i32 choice = ChoiceBox4(660, 661, 662, 663);
  if (choice < 0) return;
  if (choice == '2') {
    BrowseShowNoCard();
    return;
  }
  u16 folder[kBrowsePathMax];
  if (BrowseChooseFolder(1, folder) < 0) return;
  char file[13] = "";
  i32 r = WriteMarked(list, folder, 0, file);
  if (r == FlsErrExists) {
    if (OverwriteBox(file) != static_cast<i32>(kKeyF1)) return;
    r = WriteMarked(list, folder, 1, file);
  }
  MemMgrReport(r);
}

void DeleteMarked(BrowseList *list) {
  if (!AnyMarkedItem(list)) return;
  if (ConfirmBox(462, 463) != static_cast<i32>(kKeyF1)) return;
  LcdShowBusyIndicator();
  char old_name[13], old_folder[13];
  BrowseEntryName(&list->entries[list->current], old_name);
  std::memcpy(old_folder, list->folder, 13);
  std::vector<std::pair<std::string, std::string>> doomed;
  for (u32 i = 0; i < list->count; ++i) {
    const BrowseEntry &e = list->entries[i];
    if (IsGroup(e) || !BrowseEntryGetField(&e, kBrowseFieldMarked)) continue;
    char group[13], member[13], name[13];
    EntryGroup(e, group, member);
    BrowseEntryName(&e, name);
    if (!std::strcmp(name, "ALPHA MEM")) {
      SysClearVariables();
      continue;
    }
    if (!std::strcmp(name, "SETUP")) {
      SetupResetAll();
      continue;
    }
    McsGroupDesc d;
    for (i32 at = McsGroupFileDesc(group, member, &d); at >= 0;
         at = McsGroupItemFileDesc(group, member, at, &d)) {
      if (d.folder[0] != '$') doomed.emplace_back(d.folder, d.name);
    }
  }
  for (const auto &[folder, name] : doomed) McsDeleteItem(folder.c_str(), name.c_str());
  Rebuild(list);
  if (!list->count) return;
  if (old_folder[0]) {
    if (BrowseSelectByName(list, old_folder, old_name, 1)) {
      std::memcpy(list->folder, old_folder, 13);
      return;
    }
  }
  if (!BrowseSelectByName(list, nullptr, old_name, 1) &&
      !(old_folder[0] && BrowseSelectByName(list, nullptr, old_folder, 1)))
    BrowseShowAt(list, BrowseStep(0, list, 0), 1);
}

}  // namespace

u32 MemMgrItemBrowser(i32 title_msg, const FkeyItem *page, BrowseList *list, u16 *result) {
  (void)result;
  LcdShowBusyIndicator();
  KeyBreakArm();
  const u16 mask = KeyGetMenuMask();
  KeySetMenuMask(231);
  FkeyPushLevel(kBrowseMenu);
  BrowseInstallPage(page);
  if (!(list->kind == 0 && BrowseListIsValid(list) && list->bytes != 0)) {
    Rebuild(list);
    if (list->count) BrowseShowAt(list, BrowseStep(0, list, 0), 1);
  }
  u32 ended = 0;
  while (ended == 0) {
    LcdClearVram();
    if (list->count == 0) {
      TextLocate(1, 1);
      char title[64] = "";
      MsgText(title_msg, title);
      TextPrintField(title, 21);
      PrintMsgAt(672, 4);
    } else {
      BrowseDrawScreen(list, title_msg);
    }
    FkeyDrawRow();
    u32 key = 0;
    if (KeyGetKey(&key)) continue;
    if (list->count == 0 && key != kKeyExit && key != kKeyQuit) continue;
    BrowseEntry *e = list->count ? &list->entries[list->current] : nullptr;
    switch (key) {
      case kKeyExe:
      case kBrowseOpen:
        if (e && IsGroup(*e) && list->current + 1u < list->count &&
            BrowseEntryGetField(&list->entries[list->current + 1], kBrowseFieldMember)) {
          std::memcpy(list->folder, e->name, 12);
          list->folder[12] = 0;
          BrowseShowAt(list, list->current + 1u, 1);
        }
        break;
      case kKeyExit:
      case kKeyQuit:
        if (list->folder[0]) {
          char group[13];
          std::memcpy(group, list->folder, 13);
          std::memset(list->folder, 0, sizeof list->folder);
          u32 g = list->current;
          while (g > 0 && BrowseEntryGetField(&list->entries[g], kBrowseFieldMember)) --g;
          BrowseShowAt(list, g, 1);
        } else {
          ended = key;
        }
        break;
      case kKeyUp: BrowseMoveUp(list); break;
      case kKeyDown: BrowseMoveDown(list); break;
      case kBrowseSel: ToggleMark(list); break;
      case kBrowseAll:
        for (u32 i = 0; i < list->count; ++i) BrowseEntrySetField(&list->entries[i], kBrowseFieldMarked, 1);
        break;
      case kBrowseSrc: BrowseSearch(list); break;
      case kBrowseCopy: CopyMarked(list); break;
      case kKeyDel:
      case kBrowseDel: DeleteMarked(list); break;
      case kBrowseTran: ended = key; break;
      default: break;
    }
  }
  FkeyPopLevel();
  KeyForgetDrawnRow();
  FkeyDrawRow();
  KeySetMenuMask(mask);
  return ended;
}

namespace {

// Asks where BACKUP.MCS goes or comes from (title messages a and b): the
// storage memory's folder chosen by the user, or the card, which is absent.
// False when the user leaves or chose the card.
bool BackupPath(i32 a, i32 b, u16 *path) {
  const i32 choice = ChoiceBox4(a, b, 662, 663);
  if (choice < 0) return false;
  if (choice == '2') {
    BrowseShowNoCard();
    return false;
  }
  u16 folder[kBrowsePathMax];
  if (BrowseChooseFolder(1, folder) < 0) return false;
  WstrCopy(path, folder);
  Widen("BACKUP.MCS", path + WstrLength(path));
  return true;
}

void SaveBackup() {
  u16 path[kBrowsePathMax];
  if (!BackupPath(680, 681, path)) return;
  i32 r = McsSaveBackup(path, 0);
  if (r == FlsErrExists) {
    if (OverwriteBox("BACKUP.MCS") != static_cast<i32>(kKeyF1)) return;
    r = McsSaveBackup(path, 1);
  }
  MemMgrReport(r);
}

void LoadBackup() {
  u16 path[kBrowsePathMax];
  if (!BackupPath(682, 683, path)) return;
  MemMgrReport(McsRestoreBackup(path));
}

void DrawBackupPage() {
  LcdClearVram();
  PrintMsgAt(506, 1);
  PrintMsgAt(510, 5);
  PrintMsgAt(511, 6);
  u32 free_bytes = 0;
  u16 dev[8];
  Widen("\\\\fls0\\", dev);
  BrowseShowFreeBytes(FileGetFreeSpace(dev, &free_bytes) >= 0 ? free_bytes : 0);
}

void BackupPage() {
  LcdShowBusyIndicator();
  KeyBreakArm();
  FkeyPushLevel(kBackupMenu);
  FkeySetPage(kBackupMenu, kBackupPage);
  KeyForgetDrawnRow();
  DrawBackupPage();
  for (;;) {
    FkeyDrawRow();
    u32 key = 0;
    if (KeyGetKey(&key)) continue;
    if (key == kCodeSave) SaveBackup();
    else if (key == kCodeLoad) LoadBackup();
    else if (key == kKeyExit || key == kKeyQuit) break;
    // The boxes restore the page themselves; the free bytes may have changed.
    DrawBackupPage();
  }
  FkeyPopLevel();
  KeyForgetDrawnRow();
  FkeyDrawRow();
}

void Optimize() {
  const i32 choice = ChoiceBox4(684, 685, 662, 663);
  if (choice < 0) return;
  if (choice == '2') {
    BrowseShowNoCard();
    return;
  }
  u16 dev[8];
  Widen("fls0", dev);
  const i32 r = FileOptimizeStorage(dev);
  if (r < 0) ErrBox(4);
  else BrowseShowComplete();
}

void DrawMain() {
  LcdClearVram();
  PrintMsgAt(500, 1);
  const i32 ids[5] = {501, 657, 658, 502, 503};
  for (i32 i = 0; i < 5; ++i) PrintMsgAt(ids[i], 3 + i);
}

}  // namespace

u32 MemMgrAppMain(u32, u16) {
  static BrowseList list;
  static u16 result[kBrowsePathMax];
  BrowseListFree(&list);
  BrowseListInit(&list, 0);
  result[0] = 0;
  KeySetMenuMask(231);
  FkeyClearStack();
  FkeySetPage(kMainMenu, kMainPage);
  FkeyPushLevel(kMainMenu);
  for (;;) {
    DrawMain();
    FkeyDrawRow();
    u32 key = 0;
    if (KeyGetKey(&key)) continue;
    switch (key) {
      case kCodeMain: MemMgrItemBrowser(504, kItemPage, &list, result); break;
      case kBrowseSmem: BrowseFiles(505, "*.*", kFilePage, &list, result, 1); break;
      case kBrowseSd: BrowseFiles(659, "*.*", kFilePage, &list, result, 2); break;
      case kCodeBackup:
        BackupPage();
        BrowseListReset(&list, 0);
        break;
      case kCodeOptimize: Optimize(); break;
      default: break;
    }
  }
}
