// Numbered graph function items: header, text and the limits of a readable
// text.
#include "graph/memory/gmem_func.h"
#include "graph/memory/gmem_record.h"
#include "graph/memory/gmem_recur.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "eval/token_len.h"
#include "graph/memory/gmem_graphmem.h"
#include "kernel/calc_ram.h"
#include "kernel/heap.h"
#include "memory/mcs_api.h"
#include "ui/setup.h"

namespace {

class GmemFunc : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(HostAllocCalcRam(), 1u);
    ASSERT_EQ(McsClearAll(), 0u);
    SetupResetAll();
  }
  void TearDown() override {
    MemFreeAll();
    HostFreeCalcRam();
  }
  // A raw kind-2 item, as another writer may have left it.
  static void RawItem(const char *name, const std::vector<u8> &bytes) {
    McsDeleteByKind(2, name);
    ASSERT_EQ(McsCreateByKind(2, name, static_cast<u32>(bytes.size()), bytes.data()), 0u);
  }
};

TEST_F(GmemFunc, WrittenItemReadsBack) {
  const u8 head[4] = {0x09, 0x04, 0x80, 2};  // parametric, selected
  const char text[] = "\xA7T\xF6\x81T";       // cos T, separator, sin T
  ASSERT_EQ(GmemWriteFuncItem(3, head, text), 0u);
  EXPECT_EQ(GmemReadFuncType(3), 0x409);
  ASSERT_NE(GmemFuncDataPtr(3), nullptr);
  EXPECT_EQ(std::string(GmemFuncDataPtr(3)), text);
  u32 size = 0;
  u8 *data = nullptr;
  ASSERT_EQ(McsOpenByKindPtr(2, "3", &size, &data), 0u);
  EXPECT_EQ(std::vector<u8>(data, data + 4), std::vector<u8>(head, head + 4));

  // Rewriting replaces the whole item: nothing of the longer text is left.
  const u8 head_y[4] = {0x08, 0x01, 0x00, 2};
  ASSERT_EQ(GmemWriteFuncItem(3, head_y, "X"), 0u);
  EXPECT_EQ(GmemReadFuncType(3), 0x108);
  EXPECT_EQ(std::string(GmemFuncDataPtr(3)), "X");
}

TEST_F(GmemFunc, TextStopsAtTheFirstStatementEnd) {
  const u8 head[4] = {0x08, 0x01, 0, 2};
  struct Case {
    const char *text;
    const char *stored;
  } cases[] = {
      {"X+1:2", "X+1"},
      {"X\x0D" "2", "X"},
      {"X\x0C", "X"},
      {"", ""},
      // The second byte of a two-byte token is no statement end.
      {"\x7F\x3A" "X:Y", "\x7F\x3A" "X"},
      {"\xF7\x0D" "1", "\xF7\x0D" "1"},
  };
  for (const Case &c : cases) {
    ASSERT_EQ(GmemWriteFuncItem(7, head, c.text), 0u) << c.text;
    EXPECT_EQ(std::string(GmemFuncDataPtr(7)), c.stored) << c.text;
  }
}

// Xmin (0x7F 0x00) and If (0xF7 0x00) have a zero second byte: it ends no
// text, in a function, a command or a graph memory, and the texts read back
// whole (with the second zero byte token readers step onto).
TEST_F(GmemFunc, ZeroSecondByteEndsNoText) {
  using namespace std::string_literals;
  const u8 head[4] = {0x08, 0x01, 0x80, 2};
  const std::string texts[] = {
      "\x7F\0+X"s,        // Xmin first
      "X-\x7F\0"s,        // Xmin last
      "\x7F\0\xF6T"s,     // a parametric pair split after Xmin
      "\xF7\0\x7F\0"s,    // If, Xmin
  };
  const auto read = [](const char *p) {
    return p == nullptr ? "(missing)"s : std::string(p, TokTextLen(p));
  };
  for (const std::string &t : texts) {
    SCOPED_TRACE(testing::PrintToString(t));
    const std::string given = t + "\0\0"s;
    ASSERT_EQ(GmemWriteFuncItem(1, head, given.c_str()), 0u);
    EXPECT_EQ(read(GmemFuncDataPtr(1)), t);
    char buf[260];
    std::memset(buf, 'Z', sizeof buf);
    GmemReadFuncText(1, buf);
    EXPECT_EQ(std::string(buf, t.size() + 2), given);

    // A statement end after the token still ends the text there.
    ASSERT_EQ(GmemWriteFuncItem(2, head, (t + ":9\0\0"s).c_str()), 0u);
    EXPECT_EQ(read(GmemFuncDataPtr(2)), t);

    GmemDeleteCommands();
    ASSERT_EQ(GmemAppendGraphCommand(given.c_str(), 0x108, 2), 0u);
    const char *command = nullptr;
    ASSERT_EQ(GmemCommandTextPtr(1, &command), 0);
    EXPECT_EQ(read(command), t);
    EXPECT_EQ(GmemReplaceNewestCommandText(given.c_str()), 0u);
    ASSERT_EQ(GmemCommandTextPtr(1, &command), 0);
    EXPECT_EQ(read(command), t);

    ASSERT_EQ(GmemStoreGraphMem(1), 0u);
    GmemDeleteFunc(1);
    GmemDeleteFunc(2);
    ASSERT_EQ(GmemRecallGraphMem(1), 0u);
    EXPECT_EQ(read(GmemFuncDataPtr(1)), t);
    EXPECT_EQ(read(GmemFuncDataPtr(2)), t);
  }
  // An item whose only zero is Xmin's second byte holds no ended text.
  RawItem("9", {0x08, 0x01, 0, 2, 'X', 0x89, 0x7F, 0});
  ASSERT_NE(GmemFuncDataPtr(9), nullptr);
  EXPECT_EQ(GmemFuncDataPtr(9)[0], 0);
}

TEST_F(GmemFunc, MissingOrUnreadableItems) {
  const u8 head[4] = {0x08, 0x01, 0, 2};
  // Slots are 1..20.
  EXPECT_EQ(GmemWriteFuncItem(0, head, "X"), 4u);
  EXPECT_EQ(GmemWriteFuncItem(21, head, "X"), 4u);
  EXPECT_EQ(GmemReadFuncType(0), 0);
  EXPECT_EQ(GmemFuncDataPtr(21), nullptr);
  // A missing slot.
  EXPECT_EQ(GmemReadFuncType(5), 0);
  EXPECT_EQ(GmemFuncDataPtr(5), nullptr);

  // Items that exist but hold no readable text give the empty text: a bare
  // header, a text with no zero byte inside the item, more than 256 bytes.
  std::vector<u8> bare = {0x08, 0x01, 0, 2};
  std::vector<u8> open_ended = {0x08, 0x01, 0, 2, 'X', '+', '1', '2'};
  std::vector<u8> long_text(4 + 300, 'X');
  long_text[0] = 0x08;
  long_text[1] = 0x01;
  long_text.back() = 0;
  for (const auto &bytes : {bare, open_ended, long_text}) {
    RawItem("9", bytes);
    EXPECT_EQ(GmemReadFuncType(9), 0x108);
    ASSERT_NE(GmemFuncDataPtr(9), nullptr);
    EXPECT_EQ(GmemFuncDataPtr(9)[0], 0);
  }
  // A text of exactly 256 bytes is still read.
  std::vector<u8> full(4 + 256, 'X');
  full[255 + 4] = 0;
  RawItem("20", full);
  EXPECT_EQ(std::string(GmemFuncDataPtr(20)).size(), 255u);
}

// The header operations: a missing item is made with its own header, an
// existing one keeps the rest; every change forgets the drawn graph.
TEST_F(GmemFunc, HeaderOperations) {
  ASSERT_EQ(GmemSetFuncType(4, 264), 0u);
  EXPECT_EQ(GmemReadFuncType(4), 264);
  EXPECT_EQ(GmemReadFuncKind(4), 2);  // made as {0, 0, 0, 2}
  ASSERT_EQ(GmemSetFuncKind(5, 3), 0u);
  EXPECT_EQ(GmemReadFuncType(5), 0);  // made as four zero bytes
  EXPECT_EQ(GmemReadFuncKind(5), 3);
  const u8 head[4] = {0x08, 0x01, 0x00, 2};
  ASSERT_EQ(GmemWriteFuncItem(6, head, "X"), 0u);
  GmemSetFuncFlags(6, 1, 0xC0);
  EXPECT_EQ(GmemTestFuncFlags(6, 0xC0), 1u);
  GmemSetFuncFlags(6, 0, 0x40);
  EXPECT_EQ(GmemTestFuncFlags(6, 0x80), 1u);
  EXPECT_EQ(GmemTestFuncFlags(6, 0xC0), 0u);
  GmemSetFuncFlags(7, 1, 0x80);  // missing: left alone
  EXPECT_EQ(GmemFuncDataPtr(7), nullptr);
  EXPECT_EQ(GmemSetItemFlags(2, "7", 1, 0x80), 0u);
  char buf[260];
  EXPECT_EQ(std::string(GmemReadFuncText(6, buf)), "X");
  EXPECT_EQ(std::string(GmemReadFuncText(7, buf)), "");
  ASSERT_EQ(GmemWriteGraphMode(7), 0u);
  ASSERT_EQ(GmemSetFuncType(6, 1034), 0u);
  EXPECT_EQ(GmemReadGraphMode(), 0);
  EXPECT_EQ(std::string(GmemReadFuncText(6, buf)), "X");
}

TEST_F(GmemFunc, RecursionFormulas) {
  ASSERT_EQ(RecurWriteFormula(1, "an+1"), 0u);
  EXPECT_EQ(RecurFormulaSelected(1), 1u);
  EXPECT_GE(RecurFormulaLength(1), 5u);  // the store pads items to 4 bytes
  char buf[260];
  EXPECT_EQ(std::string(RecurReadFormula(1, buf)), "an+1");
  RecurSelectFormula(1, 0);
  EXPECT_EQ(RecurFormulaSelected(1), 0u);
  // A new text keeps the header.
  ASSERT_EQ(RecurWriteFormula(1, "2an"), 0u);
  EXPECT_EQ(RecurFormulaSelected(1), 0u);
  EXPECT_EQ(std::string(RecurReadFormula(1, buf)), "2an");
  // An empty text changes nothing; a kind on a missing formula makes it.
  ASSERT_EQ(RecurWriteFormula(1, ""), 0u);
  EXPECT_EQ(std::string(RecurReadFormula(1, buf)), "2an");
  ASSERT_EQ(RecurSetFormulaKind(3, 5), 0u);
  EXPECT_EQ(RecurReadFormulaKind(3), 5);
  EXPECT_GE(RecurFormulaLength(3), 1u);
  // The drawn recursion graph and its table are forgotten by a change.
  ASSERT_EQ(GmemWriteGraphMode(8), 0u);
  RecurDeleteFormula(3);
  EXPECT_EQ(GmemReadGraphMode(), 0);
  EXPECT_EQ(RecurFormulaDataPtr(3), nullptr);
  EXPECT_EQ(RecurFormulaDataPtr(0), nullptr);
  // A text without its zero byte reads as empty.
  RawItem("BN", {0x04, 0x09, 0x10, 0, 'a', 'n', '+', '1'});
  ASSERT_NE(RecurFormulaDataPtr(2), nullptr);
  EXPECT_EQ(std::string(RecurFormulaDataPtr(2)), "");
}

}  // namespace
