#include "kernel/keyqueue.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>

#include "kernel/host.h"
#include "kernel/task.h"
#include "ui/fkey.h"

namespace {

// Pair events: the shell posts each twice and learns from the second posting
// whether the calculator took the first.
constexpr i32 kPairRow = 11;
constexpr i32 kPairColumnA = 6;  // answers 2
constexpr i32 kPairColumnB = 7;  // answers 3
constexpr i32 kAcColumn = 1;
constexpr i32 kAcRow = 1;

enum PairState : u32 { kPairIdle = 0, kPairQueued = 1, kPairTaken = 2 };

// Queue, count, pair state and titles: only touched with g_lock held.
std::mutex g_lock;
std::condition_variable g_posted;
std::array<HostKeyEvent, kHostKeyQueueSize> g_queue{};
// Changed under g_lock only; atomic so that clearing an empty queue (after
// every program statement) can see it is empty without the lock.
std::atomic<u32> g_count{0};
u32 g_pair = kPairIdle;
char g_title[kHostTitleSize] = {};
char g_lastTitle[kHostTitleSize] = {};

// Single words shared by the two threads.
std::atomic<u32> g_hold{0};
std::atomic<u8> g_breakArmed{0};
std::atomic<u8> g_breakRequest{0};
std::atomic<u32> g_logChar{0};
std::atomic<u32> g_logKey{0};
std::array<std::atomic<u32>, 6> g_fkeyLabel{};
std::atomic<u32> g_activeFkeyLabel{0};

u32 DeliverEveryKey(i32 *, i32 *) { return 1; }
std::atomic<HostKeyHookFn> g_keyHook{DeliverEveryKey};

bool IsPairEvent(i32 column, i32 row) {
  return row == kPairRow && (column == kPairColumnA || column == kPairColumnB);
}

// Removes event 0, moving the others down. Lock held, count > 0.
HostKeyEvent TakeOldest() {
  const HostKeyEvent e = g_queue[0];
  for (u32 i = 1; i < g_count; ++i) g_queue[i - 1] = g_queue[i];
  --g_count;
  return e;
}

}  // namespace

u32 HostPushKeyEvent(i32 column, i32 row, u16 code, u32 mode) {
  std::unique_lock lock(g_lock);
  if (mode == 1 ? g_count != 0 : g_count >= kHostKeyQueueSize) return 0;
  g_queue[g_count] = HostKeyEvent{column, row, code};
  if (column == kAcColumn && row == kAcRow && g_breakArmed.load() == 1) g_breakRequest.store(1);
  ++g_count;
  u32 result;
  if (!IsPairEvent(column, row)) {
    g_pair = kPairIdle;
    result = 1;
  } else if (g_pair == kPairTaken) {
    --g_count;  // the calculator swallowed the first posting: take this one off
    g_pair = kPairIdle;
    result = column == kPairColumnB ? 3 : 2;
  } else {
    g_pair = kPairQueued;
    result = 0;
  }
  lock.unlock();
  g_posted.notify_all();
  return result;
}

void HostHoldKeyQueue() { g_hold.store(1); }
void HostReleaseKeyQueue() { g_hold.store(0); }

u32 HostKeyQueueCount() {
  std::lock_guard lock(g_lock);
  return g_count;
}

u32 HostIsCodeQueued(u16 code) {
  std::lock_guard lock(g_lock);
  for (u32 i = 0; i < g_count; ++i)
    if (g_queue[i].code == code) return 1;
  return 0;
}

u32 HostPollAppTitle(char *dst) {
  std::lock_guard lock(g_lock);
  if (std::strcmp(g_title, g_lastTitle) == 0) return 0;
  std::memcpy(g_lastTitle, g_title, kHostTitleSize);
  std::memcpy(dst, g_title, kHostTitleSize);
  return 1;
}

void HostSetAppTitle(const char *title) {
  std::lock_guard lock(g_lock);
  std::memset(g_title, 0, kHostTitleSize);
  if (title) std::strncpy(g_title, title, kHostTitleSize - 1);
}

u32 HostGetLogCharCode() { return g_logChar.load(); }
u32 HostGetLogKeyCode() { return g_logKey.load(); }
void HostSetLogCharCode(u32 code) { g_logChar.store(code); }
void HostSetLogKeyCode(u32 code) { g_logKey.store(code); }

const char *HostFkeyLabelText(u32 key) {
  if (key >= g_fkeyLabel.size()) return "";
  return FkeyLabelText(g_fkeyLabel[key].load());
}

const char *HostActiveFkeyLabelText() { return FkeyLabelText(g_activeFkeyLabel.load()); }

void HostSetFkeyLabel(i32 key, u32 labelId) {
  if (key < 0) {
    for (auto &id : g_fkeyLabel) id.store(0);
  } else if (key < static_cast<i32>(g_fkeyLabel.size())) {
    g_fkeyLabel[key].store(labelId);
  }
}

void HostSetActiveFkeyLabel(i32 index, u32 labelId) { g_activeFkeyLabel.store(index >= 0 ? labelId : 0); }

u32 HostGetAuxCursor(i32 *x, i32 *y) {
  *x = 0;
  *y = 0;
  return 0;
}

void HostSetFlagIfArmed() {}

void HostSetKeyHook(HostKeyHookFn hook) { g_keyHook.store(hook ? hook : DeliverEveryKey); }

namespace {

struct WaitKeyOut {
  i32 *column;
  i32 *row;
  u16 *code;
};

u32 WaitKeyLoop(void *context) {
  const WaitKeyOut &out = *static_cast<WaitKeyOut *>(context);
  i32 *column = out.column;
  i32 *row = out.row;
  u16 *code = out.code;
  for (;;) {
    HostKeyEvent e;
    {
      std::unique_lock lock(g_lock);
      // The timed wait keeps the queue polled every 10 ms even if a wake-up
      // were ever missed. Each empty look counts the thread as idle, and ends
      // it when a stop was requested (with the lock released).
      while (g_count == 0) {
        lock.unlock();
        HostKeyWaitIdle();
        lock.lock();
        if (g_count == 0) g_posted.wait_for(lock, std::chrono::milliseconds(10));
      }
      e = TakeOldest();
      if (IsPairEvent(e.column, e.row)) {
        g_pair = kPairTaken;  // swallowed; the second posting will be answered
        continue;
      }
    }
    // The hook may leave this wait for good by a jump: no lock is alive here.
    i32 c = e.column, r = e.row;
    if (g_keyHook.load()(&c, &r) != 0) {
      *column = c;
      *row = r;
      *code = e.code;
      return 0;
    }
  }
}

}  // namespace

// The running task's resume point is taken first (see SysKeyWaitRun).
u32 HostWaitKey(i32 *column, i32 *row, u16 *code) {
  WaitKeyOut out{column, row, code};
  return SysKeyWaitRun(WaitKeyLoop, &out);
}

u32 HostPostKey(i32 column, i32 row, u16 code) { return HostPushKeyEvent(column, row, code, 0); }

u32 HostTakeNewestKey(i32 *column, i32 *row) {
  std::lock_guard lock(g_lock);
  if (g_count == 0) return 0;
  *column = g_queue[g_count - 1].column;
  *row = g_queue[g_count - 1].row;
  g_count = 0;
  return 1;
}

void HostClearKeyQueue() {
  if (g_count.load(std::memory_order_relaxed) == 0) return;
  std::lock_guard lock(g_lock);
  if (g_hold.load() == 0) g_count = 0;
}

void KeyBreakArm() {
  // Called after every statement of a program: the plain load spares the
  // locked exchange while already armed.
  if (g_breakArmed.load(std::memory_order_relaxed) != 0) return;
  u8 disarmed = 0;
  if (g_breakArmed.compare_exchange_strong(disarmed, 1)) g_breakRequest.store(0);
}

u32 KeyBreakPoll() {
  HostClearKeyQueue();
  if (g_breakArmed.load() == 0) return 0;
  return g_breakRequest.load() != 0 ? 1 : 0;
}

u8 KeyBreakSuspend() {
  const u8 was = g_breakArmed.exchange(9);
  if (was == 0) g_breakRequest.store(0);
  return was;
}

void KeyBreakDisarm() {
  if (g_breakArmed.exchange(0) != 0) g_breakRequest.store(0);
}

u8 KeyBreakArmedState() { return g_breakArmed.load(); }
u8 KeyBreakRequested() { return g_breakRequest.load(); }
