#include "kernel/keyqueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "number/real.h"

namespace {

// Empties the queue and every state the tests touch.
void ResetQueue() {
  HostReleaseKeyQueue();
  HostClearKeyQueue();
  KeyBreakDisarm();
  HostSetKeyHook(nullptr);
  // Leave the pair state idle: a non-pair event resets it.
  HostPushKeyEvent(5, 5, 0, 0);
  HostClearKeyQueue();
}

struct Step {
  enum Op { kPush, kPushMode1, kWait, kClear, kHold, kRelease, kArm, kNewest } op;
  i32 column = 0;
  i32 row = 0;
  u32 expect = 0;      // result of a push / take; column of a waited key
  u32 expectCount = 0; // queue count after the step
};

struct QueueCase {
  const char *name;
  std::vector<Step> steps;
  u8 expectBreak = 0;
};

std::vector<QueueCase> QueueCases() {
  using S = Step;
  std::vector<QueueCase> cases;
  {
    QueueCase c{"21st event refused, 20 oldest kept", {}};
    for (i32 i = 0; i < 20; ++i) c.steps.push_back({S::kPush, i, 2, 1, static_cast<u32>(i + 1)});
    c.steps.push_back({S::kPush, 99, 2, 0, 20});
    for (i32 i = 0; i < 20; ++i) c.steps.push_back({S::kWait, i, 2, static_cast<u32>(i), static_cast<u32>(19 - i)});
    cases.push_back(c);
  }
  cases.push_back({"mode 1 refused unless empty",
                   {{S::kPushMode1, 3, 3, 1, 1}, {S::kPushMode1, 4, 3, 0, 1}, {S::kPush, 4, 3, 1, 2}}});
  cases.push_back({"first in, first out",
                   {{S::kPush, 7, 3, 1, 1},
                    {S::kPush, 6, 3, 1, 2},
                    {S::kPush, 5, 3, 1, 3},
                    {S::kWait, 7, 3, 7, 2},
                    {S::kWait, 6, 3, 6, 1},
                    {S::kWait, 5, 3, 5, 0}}});
  cases.push_back({"pair event posted twice before the wait answers 0 twice",
                   {{S::kPush, 7, 11, 0, 1}, {S::kPush, 7, 11, 0, 2}}});
  // The wait swallows the pair event on its way to the next key; the second
  // posting then answers 3 for (7, 11) and 2 for (6, 11) and is taken off.
  cases.push_back({"pair (7, 11) swallowed answers 3",
                   {{S::kPush, 7, 11, 0, 1}, {S::kPush, 3, 3, 1, 2}, {S::kWait, 3, 3, 0, 0}, {S::kPush, 7, 11, 3, 0}}});
  cases.push_back({"pair (6, 11) swallowed answers 2",
                   {{S::kPush, 6, 11, 0, 1}, {S::kPush, 3, 3, 1, 2}, {S::kWait, 3, 3, 0, 0}, {S::kPush, 6, 11, 2, 0}}});
  cases.push_back({"non-pair event between the postings resets the pair state",
                   {{S::kPush, 7, 11, 0, 1}, {S::kPush, 4, 4, 1, 2}, {S::kPush, 7, 11, 0, 3}}});
  cases.push_back({"AC while armed sets the request even when cleared",
                   {{S::kArm}, {S::kPush, 1, 1, 1, 1}, {S::kClear, 0, 0, 0, 0}},
                   1});
  cases.push_back({"AC while disarmed sets nothing", {{S::kPush, 1, 1, 1, 1}}, 0});
  cases.push_back({"clear while held changes nothing",
                   {{S::kPush, 2, 2, 1, 1},
                    {S::kHold},
                    {S::kClear, 0, 0, 0, 1},
                    {S::kRelease},
                    {S::kClear, 0, 0, 0, 0}}});
  cases.push_back({"newest key of three empties the queue",
                   {{S::kPush, 7, 2, 1, 1},
                    {S::kPush, 6, 2, 1, 2},
                    {S::kPush, 5, 2, 1, 3},
                    {S::kNewest, 5, 2, 1, 0},
                    {S::kNewest, 0, 0, 0, 0}}});
  return cases;
}

TEST(KeyQueue, Behaviours) {
  for (const QueueCase &c : QueueCases()) {
    SCOPED_TRACE(c.name);
    ResetQueue();
    for (size_t i = 0; i < c.steps.size(); ++i) {
      const Step &s = c.steps[i];
      SCOPED_TRACE(i);
      switch (s.op) {
        case Step::kPush:
          EXPECT_EQ(HostPushKeyEvent(s.column, s.row, static_cast<u16>(s.column * 16 + s.row), 0), s.expect);
          break;
        case Step::kPushMode1:
          EXPECT_EQ(HostPushKeyEvent(s.column, s.row, 0, 1), s.expect);
          break;
        case Step::kWait: {
          i32 col = -9, row = -9;
          u16 code = 0;
          EXPECT_EQ(HostWaitKey(&col, &row, &code), 0u);
          EXPECT_EQ(col, s.column);
          EXPECT_EQ(row, s.row);
          EXPECT_EQ(code, s.column * 16 + s.row);
          break;
        }
        case Step::kClear: HostClearKeyQueue(); break;
        case Step::kHold: HostHoldKeyQueue(); break;
        case Step::kRelease: HostReleaseKeyQueue(); break;
        case Step::kArm: KeyBreakArm(); break;
        case Step::kNewest: {
          i32 col = -9, row = -9;
          EXPECT_EQ(HostTakeNewestKey(&col, &row), s.expect);
          if (s.expect != 0) {
            EXPECT_EQ(col, s.column);
            EXPECT_EQ(row, s.row);
          }
          break;
        }
      }
      if (s.op != Step::kHold && s.op != Step::kRelease && s.op != Step::kArm) {
        EXPECT_EQ(HostKeyQueueCount(), s.expectCount);
      }
    }
    EXPECT_EQ(KeyBreakRequested(), c.expectBreak);
  }
  ResetQueue();
}

TEST(KeyQueue, IsCodeQueued) {
  ResetQueue();
  HostPushKeyEvent(-1, -1, 30006, 0);
  EXPECT_EQ(HostIsCodeQueued(30006), 1u);
  EXPECT_EQ(HostIsCodeQueued(30007), 0u);
  ResetQueue();
}

u32 DropRow4(i32 *, i32 *row) { return *row == 4 ? 0 : 1; }

TEST(KeyQueue, KernelHookDropsKeys) {
  ResetQueue();
  HostSetKeyHook(DropRow4);
  HostPushKeyEvent(7, 4, 1, 0);
  HostPushKeyEvent(7, 3, 2, 0);
  i32 col, row;
  u16 code;
  HostWaitKey(&col, &row, &code);
  EXPECT_EQ(code, 2);
  ResetQueue();
}

TEST(KeyBreak, ArmPollSuspendDisarm) {
  ResetQueue();
  KeyBreakArm();
  KeyBreakArm();
  HostPushKeyEvent(1, 1, 0, 0);
  EXPECT_EQ(KeyBreakPoll(), 1u);
  EXPECT_EQ(HostKeyQueueCount(), 0u);  // the poll discards typed keys
  KeyBreakDisarm();
  EXPECT_EQ(KeyBreakPoll(), 0u);

  // Suspended: AC no longer sets a request, arming changes nothing, and a
  // request made before is still reported.
  KeyBreakArm();
  HostPushKeyEvent(1, 1, 0, 0);
  EXPECT_EQ(KeyBreakSuspend(), 1);
  EXPECT_EQ(KeyBreakPoll(), 1u);
  KeyBreakDisarm();
  KeyBreakSuspend();
  HostPushKeyEvent(1, 1, 0, 0);
  KeyBreakArm();
  EXPECT_EQ(KeyBreakArmedState(), 9);
  EXPECT_EQ(KeyBreakPoll(), 0u);
  KeyBreakDisarm();
  EXPECT_EQ(KeyBreakArmedState(), 0);
  ResetQueue();
}

TEST(HostWords, LogWordsLabelsAndTitle) {
  HostSetLogCharCode(0x41);
  HostSetLogKeyCode(0);
  EXPECT_EQ(HostGetLogCharCode(), 0x41u);
  EXPECT_EQ(HostGetLogKeyCode(), 0u);

  HostSetFkeyLabel(0, 1);
  HostSetFkeyLabel(5, 768);
  HostSetFkeyLabel(6, 2);  // no seventh key
  EXPECT_STREQ(HostFkeyLabelText(0), "GRPH");
  EXPECT_STREQ(HostFkeyLabelText(5), "MAT");
  EXPECT_STREQ(HostFkeyLabelText(6), "");
  HostSetFkeyLabel(-1, 0);
  EXPECT_STREQ(HostFkeyLabelText(5), "");
  HostSetActiveFkeyLabel(2, 9);
  EXPECT_STREQ(HostActiveFkeyLabelText(), "DEL");
  HostSetActiveFkeyLabel(-1, 9);
  EXPECT_STREQ(HostActiveFkeyLabelText(), "");

  char title[kHostTitleSize];
  HostSetAppTitle("MAIN MENU");
  std::memset(title, 0, sizeof title);
  EXPECT_EQ(HostPollAppTitle(title), 1u);
  EXPECT_STREQ(title, "MAIN MENU");
  std::strcpy(title, "untouched");
  EXPECT_EQ(HostPollAppTitle(title), 0u);
  EXPECT_STREQ(title, "untouched");
  HostSetAppTitle("@RUNMAT");
  EXPECT_EQ(HostPollAppTitle(title), 1u);
  EXPECT_STREQ(title, "@RUNMAT");

  i32 x = 5, y = 5;
  EXPECT_EQ(HostGetAuxCursor(&x, &y), 0u);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
}

// Working-form bytes: kind and 15 digits in 0-7, exponent word at 10-11.
BcdWork Work(u8 kind, const char *digits, u16 word) {
  BcdWork w{};
  u8 nibbles[16] = {kind};
  for (int i = 0; i < 15; ++i) nibbles[i + 1] = static_cast<u8>(digits[i] - '0');
  for (int i = 0; i < 8; ++i) w.b[i] = static_cast<u8>(nibbles[2 * i] << 4 | nibbles[2 * i + 1]);
  BcdSetWord(&w, word);
  return w;
}

TEST(HostValueText, FixedTexts) {
  struct Case {
    BcdWork value;
    const char *text;
    u32 result;
  } cases[] = {
      {Work(0, "000000000000000", 0), "+0.00000000000000E+000", 0},
      {Work(0, "123456789012345", 0x1002), "+1.23456789012345E+002", 0},
      {Work(0, "500000000000000", 0x5997), "-5.00000000000000E-003", 0},
      {Work(0, "100000000000000", 0x1099), "+1.00000000000000E+099", 0},
      {Work(0, "100000000000000", 0x0901), "+1.00000000000000E-099", 0},
      {Work(15, "000000000000000", 0), "ERROR", 1},
      {Work(8, "000000000000000", 0), "UNDEF", 0},
      {Work(9, "000000000000000", 0), "TRUE", 0},
      {Work(10, "000000000000000", 0), "FALSE", 0},
      {Work(4, "000000000000000", 20480), "INFINITY", 0},
      {Work(4, "000000000000000", 20481), "-INFINITY", 0},
  };
  for (const Case &c : cases) {
    char text[32];
    EXPECT_EQ(HostValueText(&c.value, text), c.result) << c.text;
    EXPECT_STREQ(text, c.text);
    if (c.text[1] >= '0' && c.text[1] <= '9') {
      EXPECT_EQ(std::strlen(text), 22u);
    }
  }
}

// A poster thread and a waiting thread: every key arrives once, in order,
// the queue never holds more than 20, and the shared words are read while
// the other thread writes them.
TEST(KeyQueueThreads, PosterAndWaiter) {
  ResetQueue();
  constexpr int kKeys = 2000;
  std::atomic<bool> done{false};
  std::thread poster([&] {
    for (int i = 0; i < kKeys;) {
      if (HostPushKeyEvent(i % 7, i % 9, static_cast<u16>(i), 0) == 1) {
        ++i;
      } else {
        EXPECT_LE(HostKeyQueueCount(), static_cast<u32>(kHostKeyQueueSize));
        std::this_thread::yield();
      }
      (void)HostGetLogKeyCode();
      (void)HostActiveFkeyLabelText();
      char title[kHostTitleSize];
      HostPollAppTitle(title);
    }
    done = true;
  });
  for (int i = 0; i < kKeys; ++i) {
    i32 col, row;
    u16 code;
    HostWaitKey(&col, &row, &code);
    ASSERT_EQ(code, i);
    ASSERT_EQ(col, i % 7);
    HostSetLogKeyCode(code);
    HostSetActiveFkeyLabel(0, static_cast<u32>(i % 1014));
    if (i % 100 == 0) HostSetAppTitle(i % 200 == 0 ? "MAIN MENU" : "@STAT");
  }
  poster.join();
  EXPECT_TRUE(done);
  ResetQueue();
}

// The calculator thread publishes Ans over and over while the shell reads
// its texts: every text read is one whole published value (a complex Ans
// whose two parts always hold the same number, n + ni), never a mix of two.
// With two writers at once the published value still stays whole.
TEST(KeyQueueThreads, PublishedAnswerIsNeverTorn) {
  auto number = [](u32 n) {
    Value v{};
    // n (1..9999) with exponent 3: n = d1 d2 d3 d4, the four digits kept.
    v.re.b[0] = 0x10 | 0x80;
    v.re.b[1] = static_cast<u8>(0x30 | (n / 1000 % 10));
    v.re.b[2] = static_cast<u8>((n / 100 % 10) << 4 | (n / 10 % 10));
    v.re.b[3] = static_cast<u8>((n % 10) << 4);
    v.im = v.re;
    v.im.b[0] = 0x10;
    return v;
  };
  const Value first = number(1000);
  HostPublishAnswer(&first);
  std::atomic<bool> done{false};
  auto writer = [&](u32 from) {
    for (u32 i = 0; i < 20000; ++i) {
      const Value v = number(from + i % 4000);
      HostPublishAnswer(&v);
    }
  };
  std::thread calc(writer, 1000u);
  std::thread second(writer, 5000u);
  std::thread shell([&] {
    u32 reads = 0;
    while (!done.load() || reads < 100) {
      const char *re = nullptr, *im = nullptr;
      ASSERT_EQ(HostFormatAnswer(&re, &im), 'C');
      ASSERT_STREQ(re, im);
      ASSERT_EQ(re[0], '+');
      ++reads;
    }
  });
  calc.join();
  second.join();
  done = true;
  shell.join();
  // Publishing the value already published leaves the texts as they are.
  const Value last = number(4321);
  HostPublishAnswer(&last);
  HostPublishAnswer(&last);
  const char *re = nullptr, *im = nullptr;
  HostFormatAnswer(&re, &im);
  EXPECT_STREQ(re, "+4.32100000000000E+003");
  EXPECT_STREQ(im, "+4.32100000000000E+003");
}

// Two posters race for the last free entries: the queue never takes a 21st.
TEST(KeyQueueThreads, TwoPostersNeverOverfill) {
  for (int round = 0; round < 200; ++round) {
    ResetQueue();
    for (int i = 0; i < 18; ++i) HostPushKeyEvent(2, 2, 0, 0);
    std::atomic<int> accepted{0};
    auto post = [&] {
      for (int i = 0; i < 3; ++i) accepted += static_cast<int>(HostPushKeyEvent(3, 3, 0, 0));
    };
    std::thread a(post), b(post);
    a.join();
    b.join();
    EXPECT_EQ(accepted.load(), 2);
    EXPECT_EQ(HostKeyQueueCount(), 20u);
  }
  ResetQueue();
}

// The break request set on the shell thread is seen by the calculator
// thread's poll.
TEST(KeyQueueThreads, BreakRequestAcrossThreads) {
  ResetQueue();
  KeyBreakArm();
  std::thread shell([] { HostPushKeyEvent(1, 1, 0, 0); });
  while (KeyBreakPoll() == 0) std::this_thread::yield();
  shell.join();
  KeyBreakDisarm();
  ResetQueue();
}

}  // namespace
