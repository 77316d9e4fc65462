// Random statement texts: a bounded number of programs built from pieces of
// statements run without crashing, end on their own or by AC within the
// Break, and leave the handle heap and the level count as they found them.
#include <atomic>
#include <chrono>
#include <random>
#include <thread>

#include "kernel/keyqueue.h"
#include "tests/eval/prog_test_util.h"

namespace {

const char *const kPieces[] = {
    "1", "2", "0", "3", "A", "B", "I", "->", "+", "-", "*", "/", "=", "<", ">", ":", ":", "\n", "(", ")",
    "{If}", "{Then}", "{Else}", "{IfEnd}", "{For}", "{To}", "{Step}", "{Next}", "{While}", "{WhileEnd}",
    "{Do}", "{LpWhile}", "{Break}", "{Lbl}", "{Goto}", "{Isz}", "{Dsz}", "=>", "{Prog}\"F\"", "{Prog}\"G\"",
    "{Return}", "{Stop}", "{List}1", "[", "]", "{Dim}", "{ClrList}", "{ClrText}", "\"TX\"", "\"", "{Locate}",
    ",", "{Fix}", "{Deg}", "{Rnd}", "{Ans}", "{neg}", "'", "~", "?", "{lb}", "{rb}", "{Mat}", "{r}",
    "{For}1->I{To}3:", "{Next}:", "{If}A<2:{Then}", "{IfEnd}:", "{While}B<3:B+1->B:", "{WhileEnd}:",
    "{Lbl}1:", "{Goto}1:", "\xF7", "\x7F", "\xF9", "\xE5",
};

// Whole statements, joined by ':' or newlines: mostly well-formed programs
// whose blocks nest and cross at random.
const char *const kStatements[] = {
    "A+1->A", "{For}1->I{To}3", "{For}3->I{To}1{Step}{neg}1", "{Next}", "{If}A<3", "{Then}B+1->B", "{Else}",
    "{IfEnd}", "{While}B<5", "B+1->B", "{WhileEnd}", "{Do}", "{LpWhile}A<4", "{Break}", "{Lbl}1", "{Goto}1",
    "{Lbl}2", "{Goto}2", "{Isz}A", "{Dsz}B", "A=>B+1->B", "{Prog}\"F\"", "{Prog}\"G\"", "{Return}", "{Stop}",
    "I->{List}1[1]", "{ClrList}1", "\"T\"", "{Locate}1,1,A", "3->{Dim}{List}2", "A->{List}2[2]", "0->A~B",
    "{ClrText}", "{Fix}2", "{Norm}1", "{Rnd}", "A*B", "'NOTE",
};

std::string RandomProgram(std::mt19937 &rng) {
  std::uniform_int_distribution<size_t> pick(0, std::size(kStatements) - 1);
  std::uniform_int_distribution<int> length(1, 16);
  std::string src;
  const int n = length(rng);
  for (int i = 0; i < n; ++i) {
    if (i) src += rng() % 2 ? ":" : "\n";
    src += kStatements[pick(rng)];
  }
  return ProgTok(src);
}

std::string RandomText(std::mt19937 &rng) {
  if (rng() % 2) return RandomProgram(rng);
  std::uniform_int_distribution<size_t> piece(0, std::size(kPieces) - 1);
  std::uniform_int_distribution<int> length(0, 24);
  std::string src;
  const int n = length(rng);
  for (int i = 0; i < n; ++i) src += kPieces[piece(rng)];
  return ProgTok(src);
}

TEST_F(ProgFixture, RandomStatementTexts) {
  std::mt19937 rng(20261210);
  std::atomic<bool> running{false};
  std::atomic<bool> quit{false};
  std::atomic<long long> startedAt{0};
  // Presses AC on a run that goes on for more than 30 ms.
  std::thread watchdog([&] {
    while (!quit.load()) {
      const long long now = std::chrono::steady_clock::now().time_since_epoch().count();
      if (running.load() && now - startedAt.load() > 30'000'000) {
        HostPushKeyEvent(1, 1, 0, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  int broken = 0;
  for (int round = 0; round < 3000; ++round) {
    ASSERT_EQ(ProgTestStore("F", RandomText(rng)), 0u);
    ASSERT_EQ(ProgTestStore("G", RandomText(rng)), 0u);
    const std::string main = RandomText(rng);
    ASSERT_EQ(ProgTestStore("MAIN", main), 0u);
    SCOPED_TRACE(testing::Message() << "round " << round);
    const std::vector<bool> heap = ProgTestHeap();
    KeyBreakDisarm();
    HostClearKeyQueue();
    startedAt = std::chrono::steady_clock::now().time_since_epoch().count();
    running = true;
    const auto t0 = std::chrono::steady_clock::now();
    const u32 code = round % 2 ? RunProgram("MAIN") : RunLine(main);
    running = false;
    const auto took = std::chrono::steady_clock::now() - t0;
    if (code == 1) ++broken;
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(took).count(), 1000);
    EXPECT_EQ(ProgTestHeap(), heap);
    EXPECT_EQ(SetupGetByte(kSetupProgLevel), 0);
    HostClearKeyQueue();
  }
  quit = true;
  watchdog.join();
  KeyBreakDisarm();
  RecordProperty("broken_runs", broken);
}

}  // namespace
