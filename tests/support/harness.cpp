// The headless system test harness (see harness.h).
#include "tests/support/harness.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <thread>

#include "kernel/calc_ram.h"
#include "kernel/host.h"
#include "kernel/keyqueue.h"
#include "kernel/task.h"
#include "kernel/task_glue.h"
#include "storage/file.h"
#include "storage/fls_image.h"
#include "tests/support/screen_reader.h"
#include "ui/lcd.h"
#include "ui/setup.h"
#include "data/menu_icons.h"

namespace {

struct KeyName {
  const char *name;
  i32 column;
  i32 row;
};

const KeyName kKeyNames[] = {
    {"EXE", 3, 2},    {"SHIFT", 7, 9}, {"OPTN", 6, 9},  {"OPT", 6, 9},   {"EXIT", 4, 8},  {"ESC", 4, 8},
    {"MENU", 4, 9},   {"LEFT", 3, 9},  {"UP", 2, 9},    {"RIGHT", 2, 8}, {"DOWN", 3, 8},  {"DEL", 4, 5},
    {"0", 7, 2},      {"1", 7, 3},     {"2", 6, 3},     {"3", 5, 3},     {"4", 7, 4},     {"5", 6, 4},
    {"6", 5, 4},      {"7", 7, 5},     {"8", 6, 5},     {"9", 5, 5},     {"*", 4, 4},     {"+", 4, 3},
    {"-", 3, 3},      {".", 6, 2},     {"/", 3, 4},     {"F1", 7, 10},   {"F2", 6, 10},   {"F3", 5, 10},
    {"F4", 4, 10},    {"F5", 3, 10},   {"F6", 2, 10},   {"VARS", 5, 9},  {"ALPHA", 7, 8}, {"^2", 6, 8},
    {"^", 5, 8},      {"XtT", 7, 7},   {"log", 6, 7},   {"ln", 5, 7},    {"sin", 4, 7},   {"cos", 3, 7},
    {"tan", 2, 7},    {"ab/c", 7, 6},  {"F<>D", 6, 6},  {"(", 5, 6},     {")", 4, 6},     {",", 3, 6},
    {"->", 2, 6},     {"AC", 1, 1},    {"EXP", 5, 2},   {"(-)", 4, 2},
};

// The key of each letter under ALPHA, A to Z.
const KeyName kLetterKeys[26] = {
    {"A", 7, 7}, {"B", 6, 7}, {"C", 5, 7}, {"D", 4, 7}, {"E", 3, 7}, {"F", 2, 7}, {"G", 7, 6},
    {"H", 6, 6}, {"I", 5, 6}, {"J", 4, 6}, {"K", 3, 6}, {"L", 2, 6}, {"M", 7, 5}, {"N", 6, 5},
    {"O", 5, 5}, {"P", 7, 4}, {"Q", 6, 4}, {"R", 5, 4}, {"S", 4, 4}, {"T", 3, 4}, {"U", 7, 3},
    {"V", 6, 3}, {"W", 5, 3}, {"X", 4, 3}, {"Y", 3, 3}, {"Z", 7, 2},
};

std::string g_title;
std::string g_image_path;
bool g_math_input = false;

std::string Describe(const std::string &what) {
  std::ostringstream out;
  out << what << "\ntitle: " << CalcTitle() << "\ntext rows:\n" << CalcScreenText() << "\nscreen:\n"
      << CalcScreenPicture();
  return out.str();
}

// The headless host's clock runs a hundred times fast: the calculator's
// timed waits (a link partner that never answers, Getkey's pause) pass in a
// hundredth of their time. The tick count stays the real clock's.
void FastSleep(void *, u32 ms) { std::this_thread::sleep_for(std::chrono::microseconds(u64{ms} * 10)); }

const HostBridge kHeadlessBridge = {nullptr, nullptr, nullptr, FastSleep, nullptr, nullptr, nullptr};

}  // namespace

bool CalcKeyPosition(const std::string &name, i32 *column, i32 *row) {
  for (const KeyName &k : kKeyNames) {
    if (name == k.name) {
      *column = k.column;
      *row = k.row;
      return true;
    }
  }
  return false;
}

bool CalcLetterPosition(char letter, i32 *column, i32 *row) {
  if (letter < 'A' || letter > 'Z') return false;
  *column = kLetterKeys[letter - 'A'].column;
  *row = kLetterKeys[letter - 'A'].row;
  return true;
}

void CalcStart(bool formatted_storage) {
  g_title.clear();
  // The host reports a title only when it changed since the last poll: a
  // run that ended on the title the next one starts with would never show it.
  HostSetAppTitle("");
  char polled[kHostTitleSize];
  HostPollAppTitle(polled);
  // The storage image: a fresh temporary file, as at a first run.
  char path[] = "/tmp/corvanta-system-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) {
    ADD_FAILURE() << "no temporary storage image";
  } else {
    close(fd);
    g_image_path = path;
    if (FlsImageOpen(path) != 0) ADD_FAILURE() << "the storage image did not open";
    static const u16 kStorage[] = {'f', 'l', 's', '0', 0};
    if (formatted_storage && FileFormatStorage(kStorage, 1) < 0) ADD_FAILURE() << "the storage did not format";
  }
  if (HostAllocCalcRam() != 1) ADD_FAILURE() << "no calculator RAM";
  if (!SysStartThread(&kHeadlessBridge)) ADD_FAILURE() << "the calculator thread did not start";
}

void CalcStop() {
  if (!SysStopThread(10000)) {
    ADD_FAILURE() << "the calculator thread did not stop";
    std::fflush(nullptr);
    std::_Exit(1);
  }
  FlsImageClose();
  if (!g_image_path.empty()) unlink(g_image_path.c_str());
  g_image_path.clear();
}

testing::AssertionResult CalcWaitIdle(u32 timeout_ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    if (HostKeyQueueCount() == 0) {
      // The queue is empty: the last key was taken. Idle once more after
      // that means the key has been dealt with.
      const u64 seen = HostIdleCount();
      while (std::chrono::steady_clock::now() < end) {
        if (HostKeyQueueCount() != 0) break;
        if (HostIdleCount() > seen) return testing::AssertionSuccess();
        if (!SysThreadRunning()) return testing::AssertionFailure() << Describe("the calculator thread ended");
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    }
    if (std::chrono::steady_clock::now() >= end) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return testing::AssertionFailure() << Describe("the calculator did not become idle within " +
                                                 std::to_string(timeout_ms) + " ms");
}

bool CalcPost(i32 column, i32 row, u16 code) { return HostPushKeyEvent(column, row, code, 0) == 1; }

testing::AssertionResult CalcPostCodes(std::initializer_list<u16> codes) {
  for (u16 c : codes) {
    if (!CalcPost(-1, -1, c)) return testing::AssertionFailure() << Describe("code refused");
    testing::AssertionResult idle = CalcWaitIdle();
    if (!idle) return idle;
  }
  return testing::AssertionSuccess();
}

testing::AssertionResult CalcPress(const std::string &keys, u32 timeout_ms) {
  std::istringstream in(keys);
  std::string name;
  while (in >> name) {
    i32 column = 0, row = 0;
    if (CalcKeyPosition(name, &column, &row)) {
      if (!CalcPost(column, row)) return testing::AssertionFailure() << Describe("key " + name + " refused");
    } else if (name.size() == 1 && name[0] >= 'A' && name[0] <= 'Z') {
      testing::AssertionResult alpha = CalcPress("ALPHA", timeout_ms);
      if (!alpha) return alpha;
      CalcLetterPosition(name[0], &column, &row);
      if (!CalcPost(column, row)) return testing::AssertionFailure() << Describe("key " + name + " refused");
    } else {
      return testing::AssertionFailure() << "unknown key name \"" << name << "\"";
    }
    testing::AssertionResult idle = CalcWaitIdle(timeout_ms);
    if (!idle) return idle << "\n(after key " << name << ")";
  }
  return testing::AssertionSuccess();
}

void CalcUseMathInput() { g_math_input = true; }

void CalcApplyInputMode() { SetupSetItem(kSetupInputMode, g_math_input ? 0 : 1); }

testing::AssertionResult CalcBootToMenu() {
  for (int box = 0; box < 3; ++box) {
    testing::AssertionResult idle = CalcWaitIdle();
    if (!idle) return idle;
    if (CalcMainMenuShown()) {
      // The calculator waits for a key: its SET UP may be written until the
      // next key is posted (the key queue orders the two).
      CalcApplyInputMode();
      return testing::AssertionSuccess();
    }
    idle = CalcPress("MENU");
    if (!idle) return idle;
  }
  return testing::AssertionFailure() << Describe("the main menu did not show after the boot");
}

void CalcReadVram(u8 *out) { std::memcpy(out, SysGlueVram(), 1024); }

bool CalcDot(int x, int y) {
  if (x < 0 || x > 127 || y < 0 || y > 63) return false;
  return (SysGlueVram()[y * 16 + x / 8] >> (7 - x % 8)) & 1;
}

bool CalcDotNear(int x, int y) {
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx)
      if (CalcDot(x + dx, y + dy)) return true;
  return false;
}

std::string CalcScreenPicture() {
  std::string picture;
  picture.reserve(64 * 129);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 128; ++x) picture += CalcDot(x, y) ? '#' : '.';
    picture += '\n';
  }
  return picture;
}

std::string CalcRow(int row) { return ScreenRowTrimmed(row, SysGlueVram()); }

std::string CalcScreenText() { return ScreenText(SysGlueVram()); }

bool CalcScreenHas(const std::string &text) { return CalcScreenText().find(text) != std::string::npos; }

bool CalcCursor(int *column, int *row) {
  i32 c[4] = {};
  LcdGetCursor(c);
  *column = c[0] + 1;
  *row = c[1] + 1;
  return c[3] != 0;
}

std::string CalcTitle() {
  char title[kHostTitleSize] = {};
  if (HostPollAppTitle(title) == 1) g_title = title;
  return g_title;
}

bool CalcMainMenuShown() {
  u8 vram[1024];
  CalcReadVram(vram);
  return CalcTitle() == "MAIN MENU" && std::memcmp(vram, kMenuHeading, sizeof kMenuHeading) == 0;
}

int CalcMenuCursor() {
  // The selected icon is drawn inverted: its cell's blank top row is set.
  const u16 top = SysGetMenuTopRow();
  for (int position = 0; position < 12; ++position) {
    const int x = (position % 4) * 30 + 15;
    const int y = 7 + (position / 4) * 19;
    if (CalcDot(x, y)) return position + top * 4;
  }
  return -1;
}
