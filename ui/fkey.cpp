#include "ui/fkey.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>

#include "ui/fkey_groups.h"
#include "ui/popup.h"
#include "ui/text.h"

namespace {

constexpr int kMenuCount = 240;
// A level needs a mark and a root on the stack, so the stack can never hold
// more levels than it has entries.
constexpr u32 kHistorySize = kFkeyStackSize;

// The shared blank page: its first entry has kind 10, the others are zero.
FkeyItem g_blankPage[6] = {{0, kFkeyBlank, 0}, {}, {}, {}, {}, {}};

// 32 entries and the one word behind them that holds the end mark when all
// 32 are in use. The stack starts empty.
std::array<u32, kFkeyStackSize + 1> g_stack = [] {
  std::array<u32, kFkeyStackSize + 1> s{};
  s[0] = kFkeyEnd;
  return s;
}();
std::array<u32, kHistorySize> g_history{};
u32 g_levelCount = 0;

std::array<const FkeyItem *, kMenuCount> g_pages{};
// SHIFT+VARS, VARS, OPT, ALPHA, SHIFT, CLIP.
std::array<u16, 6> g_groupWords{};
enum GroupIndex { kGrShiftVars, kGrVars, kGrOpt, kGrAlpha, kGrShift, kGrClip };

u16 g_menuMask = 0;
u8 g_rowSwitch = 1;
std::array<std::array<u8, kFkeyIconBytes>, kFkeyUserIconCount> g_userIcons{};
std::atomic<u32> g_started{0};

u32 InUse() {
  u32 n = 0;
  while (n < kFkeyStackSize && g_stack[n] != kFkeyEnd) ++n;
  return n;
}

// Index of the highest level mark among the n entries in use, or -1.
i32 LastMark(u32 n) {
  for (i32 i = static_cast<i32>(n) - 1; i >= 0; --i)
    if (g_stack[i] == kFkeyMark) return i;
  return -1;
}

// Cuts the stack at index i (entry i becomes the end).
void CutAt(u32 i) {
  if (i <= kFkeyStackSize) g_stack[i] = kFkeyEnd;
}

void RecordHistory(u32 level, u32 id) {
  if (level < kHistorySize) g_history[level] = id;
}

const char kOverflowText[] =
    "\xF9\xC9\xF9\xC9"
    "Function Menu"
    "\xF9\xCA\xF9\xCD\xF9\xC9\xF9\xC9"
    " Stack Overflow!";

void InstallBlank(i32 id) { FkeySetPage(id, nullptr); }

// Installs the pages of a group for a variant: pages from the group table,
// or the blank page at the group's first id.
void BuildGroup(GroupIndex g, i32 first, i32 last, u16 variant) {
  g_groupWords[g] = variant;
  InstallBlank(first);
  if (variant == 0) return;
  u32 count = 0;
  const FkeyItem *pages = FkeyGroupPages(first, variant, &count);
  for (u32 i = 0; i < count && first + static_cast<i32>(i) <= last; ++i)
    FkeySetPage(first + static_cast<i32>(i), pages + 6 * i);
}

// Opens a group's first page, nothing while the group is disabled; the
// groups that replace the menu first go back to the level's root.
void OpenGroup(GroupIndex g, u32 firstId, bool fromLevelRoot) {
  if (g_groupWords[g] == 0) return;
  if (fromLevelRoot) FkeyBackToLevelRoot();
  FkeyPush(firstId);
}

}  // namespace

// ---- stack and levels ----

u32 FkeyPush(u32 id) {
  const u32 n = InUse();
  if (n >= kFkeyStackSize) return static_cast<u32>(PopupMessage(2, kOverflowText));
  g_stack[n] = id;
  CutAt(n + 1);
  return id;
}

void FkeyPushMark() {
  const u32 n = InUse();
  if (n >= kFkeyStackSize) return;  // full: nothing can be written
  g_stack[n] = kFkeyMark;
  CutAt(n + 1);
}

void FkeyPushHistory(u32 id) {
  if (g_levelCount < kHistorySize) {
    g_history[g_levelCount] = id;
    ++g_levelCount;
  }
  FkeyPush(id);
}

void FkeyPushLevel(u32 id) {
  FkeyPushMark();
  FkeyPushHistory(id);
}

void FkeyPopLevel() {
  const i32 m = LastMark(InUse());
  if (m <= 0) return;
  CutAt(static_cast<u32>(m));
  if (g_levelCount > 1) --g_levelCount;
}

i32 FkeyStackOp(u32 mode) {
  const u32 n = InUse();
  if (n == 0) return -1;
  const u32 top = g_stack[n - 1];
  switch (mode) {
    case 1:
      CutAt(n - 1);
      if (top == kFkeyMark) FkeyLeaveLevel();
      break;
    case 3: {
      const i32 m = LastMark(n);
      if (m >= 0 && static_cast<u32>(m) + 2 == n) return -2;
      CutAt(n - 1);
      break;
    }
    case 4: {
      const i32 m = LastMark(n);
      if (m >= 0) CutAt(static_cast<u32>(m) + 1);
      break;
    }
    default:
      break;
  }
  return static_cast<i32>(top);
}

i32 FkeyTop() { return FkeyStackOp(0); }
i32 FkeyPop() { return FkeyStackOp(1); }
i32 FkeyBack() { return FkeyStackOp(3); }

i32 FkeyLeaveLevel() {
  if (g_levelCount > 1) --g_levelCount;
  return FkeyStackOp(4);
}

void FkeyBackToLevelRoot() {
  const u32 n = InUse();
  const i32 m = LastMark(n);
  const u32 keep = m >= 0 ? static_cast<u32>(m) + 2 : 1;
  if (keep < n) CutAt(keep);
}

u32 FkeyReplaceLevelMenu(u32 id) {
  FkeyStackOp(4);
  const u32 r = FkeyPush(id);
  RecordHistory(g_levelCount, id);
  return r;
}

u32 FkeySetLevelMenu(u32 id) {
  const u32 n = InUse();
  const i32 m = LastMark(n);
  // Just above the last mark, also when that mark is the bottom entry (the
  // mark must stay, or the level's menu would not become current).
  const u32 at = m >= 0 ? static_cast<u32>(m) + 1 : 0;
  if (at < kFkeyStackSize) {
    g_stack[at] = id;
    // Written at the first free entry: the entry behind it must end the
    // stack, or an old entry beyond would come back into use.
    if (at >= n) CutAt(at + 1);
  }
  RecordHistory(g_levelCount, id);
  return id;
}

void FkeyRestoreLevelRoot() {
  const u32 n = InUse();
  if (n == 0) return;
  const i32 m = LastMark(n);
  const u32 at = m >= 0 ? static_cast<u32>(m) + 1 : 0;
  if (at >= kFkeyStackSize) return;
  if (g_levelCount == 0) {
    g_stack[at] = kFkeyEnd;
    return;
  }
  g_stack[at] = FkeyLevelRoot();
  CutAt(at + 1);
}

u32 FkeyLevelRoot() {
  if (g_levelCount == 0) return 0;
  return g_history[g_levelCount - 1];
}

u32 FkeyLevelCount() { return g_levelCount; }

void FkeyClearStack() { g_stack[0] = kFkeyEnd; }

i32 FkeyPopRange(u32 lo, u32 hi) {
  for (;;) {
    const i32 top = FkeyTop();
    if (top < 0 || static_cast<u32>(top) < lo || static_cast<u32>(top) > hi) return top;
    FkeyPop();
  }
}

i32 FkeyPopAlphaMenus() { return FkeyPopRange(kFkeyAlphaFirst, kFkeyAlphaLast); }
i32 FkeyPopShiftMenus() { return FkeyPopRange(kFkeyShiftFirst, kFkeyShiftLast); }

void FkeySaveStack(FkeyStackState *out) {
  std::copy(g_stack.begin(), g_stack.end(), out->stack);
  std::copy(g_history.begin(), g_history.end(), out->history);
  out->levelCount = g_levelCount;
}

void FkeyRestoreStack(const FkeyStackState *in) {
  std::copy(in->stack, in->stack + g_stack.size(), g_stack.begin());
  std::copy(in->history, in->history + g_history.size(), g_history.begin());
  g_levelCount = in->levelCount;
}

void FkeyResetStack() {
  if (g_levelCount == 0) {
    FkeyClearAll();
    return;
  }
  g_stack[0] = g_history[0];
  g_stack[1] = kFkeyEnd;
  g_levelCount = 1;
}

u32 FkeyCurrentMenu() {
  const i32 top = FkeyTop();
  return top < 0 ? FkeyLevelRoot() : static_cast<u32>(top);
}

const u32 *FkeyStackEntries(u32 *count) {
  *count = InUse();
  return g_stack.data();
}

// ---- pages ----

void FkeySetPage(i32 id, const FkeyItem *page) {
  if (id < 0 || id >= kMenuCount) return;
  if (page == nullptr) {
    g_blankPage[0].kind = kFkeyBlank;
    page = g_blankPage;
  }
  g_pages[id] = page;
}

u32 FkeyGetPage(i32 id, FkeyItem out[6]) {
  if (id < 0 || id >= kMenuCount || g_pages[id] == nullptr) return 0;
  std::memcpy(out, g_pages[id], 6 * sizeof(FkeyItem));
  return out[0].kind == kFkeyBlank ? 0 : 1;
}

const FkeyItem *FkeyPageOf(i32 id) { return id < 0 || id >= kMenuCount ? nullptr : g_pages[id]; }

void FkeySavePages(i32 first, i32 last, const FkeyItem **out) {
  for (i32 id = first; id <= last; ++id)
    if (id >= kFkeyAppFirst && id <= kFkeyAppLast) out[id - first] = g_pages[id];
}

void FkeyRestorePages(i32 first, i32 last, const FkeyItem *const *in) {
  for (i32 id = first; id <= last; ++id)
    if (id >= kFkeyAppFirst && id <= kFkeyAppLast) g_pages[id] = in[id - first];
}

void FkeySaveGroups(u16 out[6]) { std::memcpy(out, g_groupWords.data(), sizeof g_groupWords); }

void FkeyRestoreGroups(const u16 in[6]) {
  FkeyBuildShiftVarsGroup(in[kGrShiftVars]);
  FkeyBuildVarsGroup(in[kGrVars]);
  FkeyBuildOptGroup(in[kGrOpt]);
  FkeyBuildAlphaGroup(in[kGrAlpha]);
  FkeyBuildShiftGroup(in[kGrShift]);
  FkeyBuildClipGroup(in[kGrClip]);
}

void FkeyBuildShiftVarsGroup(u16 variant) { BuildGroup(kGrShiftVars, kFkeyShiftVarsFirst, kFkeyShiftVarsLast, variant); }
void FkeyBuildVarsGroup(u16 variant) { BuildGroup(kGrVars, kFkeyVarsFirst, kFkeyVarsLast, variant); }
void FkeyBuildOptGroup(u16 variant) { BuildGroup(kGrOpt, kFkeyOptFirst, kFkeyOptLast, variant); }
void FkeyBuildAlphaGroup(u16 variant) { BuildGroup(kGrAlpha, kFkeyAlphaFirst, kFkeyAlphaLast, variant); }
void FkeyBuildShiftGroup(u16 variant) { BuildGroup(kGrShift, kFkeyShiftFirst, kFkeyShiftLast, variant); }
void FkeyBuildClipGroup(u16 variant) { BuildGroup(kGrClip, kFkeyClipFirst, kFkeyClipLast, variant); }

u32 FkeyShiftGroupPages(u16 variant, FkeyItem *out) {
  if (variant == 0) return 0;
  u32 count = 0;
  const FkeyItem *pages = FkeyGroupPages(kFkeyShiftFirst, variant, &count);
  std::memcpy(out, pages, count * 6 * sizeof(FkeyItem));
  return count;
}

void FkeyOpenShiftVarsGroup() { OpenGroup(kGrShiftVars, kFkeyShiftVarsFirst, true); }
void FkeyOpenVarsGroup() { OpenGroup(kGrVars, kFkeyVarsFirst, true); }
void FkeyOpenOptGroup() { OpenGroup(kGrOpt, kFkeyOptFirst, true); }
void FkeyOpenClipGroup() { OpenGroup(kGrClip, kFkeyClipFirst, true); }
void FkeyOpenShiftGroup() { OpenGroup(kGrShift, kFkeyShiftFirst, false); }
void FkeyOpenAlphaGroup() { OpenGroup(kGrAlpha, kFkeyAlphaFirst, false); }

// ---- masks, switches, user icons ----

u16 KeyGetMenuMask() { return g_menuMask; }
void KeySetMenuMask(u16 mask) { g_menuMask = mask; }
void KeyAddMenuMask(u16 bits) { g_menuMask = static_cast<u16>(g_menuMask | bits); }
void KeyRemoveMenuMask(u16 bits) { g_menuMask = static_cast<u16>(g_menuMask & ~bits); }
void KeyClearMenuMask() { g_menuMask = 0; }

u32 PopupMarkGet() { return PopupOpenMask(); }
void PopupMarkClearAll() { PopupMarkClosed(0xFFFFFFFFu); }

void FkeySetUserIcon(i32 slot, const u8 *bitmap) {
  if (slot < 1 || slot > kFkeyUserIconCount || bitmap == nullptr) return;
  std::memcpy(g_userIcons[slot - 1].data(), bitmap, kFkeyIconBytes);
}

const u8 *FkeyUserIcon(i32 slot) {
  if (slot < 1 || slot > kFkeyUserIconCount) return nullptr;
  return g_userIcons[slot - 1].data();
}

void FkeyClearAll() {
  for (i32 id = kFkeyAppFirst; id < kFkeyAppLast; ++id) g_pages[id] = nullptr;
  g_levelCount = 0;
  PopupMarkClearAll();
  g_rowSwitch = 1;
  g_menuMask = 0;
  g_groupWords.fill(0);
}

void FkeyResetGroups() {
  FkeyClearAll();
  FkeyBuildClipGroup(1);
  FkeyClearStack();
  FkeyBuildOptGroup(0);
  FkeyBuildVarsGroup(0);
  FkeyBuildShiftGroup(0);
  FkeyBuildShiftVarsGroup(0);
  FkeyBuildAlphaGroup(0);
}

u32 SysIsStarted() { return g_started.load(); }
void SysSetStarted(u32 started) { g_started.store(started); }

void FkeyHideRow(u32 hide) { g_rowSwitch = hide != 0 ? 0 : 1; }
u8 FkeyRowSwitch() { return g_rowSwitch; }

i32 FkeyEntryIcon(i32 id, const FkeyItem &item) {
  if (item.icon == kFkeyNoIcon) return -1;
  if (item.icon >= 0) return item.icon;
  if (id >= kFkeyAppFirst && id <= kFkeyAppLast) return -1;  // a user icon slot
  return -item.icon - 1;
}
