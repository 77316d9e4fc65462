// The financial record: its bytes, its creation over a foreign item, and
// the variables as the evaluator and programs reach them.
#include <gtest/gtest.h>

#include "apps/finance/fin_mem.h"
#include "tests/apps/finance/fin_test_util.h"

namespace {

using fintest::D;
using fintest::R;

class FinRecord : public fintest::Memory {
 protected:
  static std::vector<u8> Stored() {
    u32 size = 0;
    u8 *data = nullptr;
    if (McsOpenInFolderPtr(kFinFolder, kFinItem, &size, &data) != 0) return {};
    return std::vector<u8>(data, data + size);
  }
};

TEST_F(FinRecord, DefaultsByteForByte) {
  ASSERT_EQ(FinInitMem(), 0u);
  const std::vector<u8> b = Stored();
  ASSERT_EQ(b.size(), 252u);
  auto real = [&](u32 at) { return D(*reinterpret_cast<const BcdReal *>(&b[at])); };
  for (u32 at : {0u, 12u, 24u, 36u, 48u, 84u, 96u, 108u, 120u, 132u, 180u, 192u, 204u, 216u}) EXPECT_EQ(real(at), 0) << at;
  EXPECT_EQ(real(60), 12);
  EXPECT_EQ(real(72), 12);
  EXPECT_EQ(real(144), 1);
  EXPECT_EQ(real(156), 1);
  EXPECT_EQ(real(168), 12);
  const u8 dates[12] = {1, 0, 1, 0, 0xCD, 0x07, 1, 0, 1, 0, 0xCD, 0x07};
  EXPECT_EQ(std::vector<u8>(b.begin() + 228, b.begin() + 240), std::vector<u8>(dates, dates + 12));
  const u8 tail[12] = {1, 0, 0, 0, 0, 0, 0, 0, 0x65, 0, 1, 0};
  EXPECT_EQ(std::vector<u8>(b.begin() + 240, b.end()), std::vector<u8>(tail, tail + 12));
}

TEST_F(FinRecord, AForeignItemIsReplacedByDefaultsAndAValidOneKept) {
  struct C {
    u32 size;
    u8 mark;
    bool kept;
  } cases[] = {{252, 1, true}, {252, 0, false}, {252, 2, false}, {12, 1, false}, {256, 1, false}};
  for (const C &c : cases) {
    FinDeleteMem();
    std::vector<u8> bytes(c.size, 0);
    if (c.size > 250) bytes[250] = c.mark;
    bytes[0] = 0x10, bytes[1] = 0x05;  // n = 5 when the record counts
    ASSERT_EQ(McsCreateInFolder(kFinFolder, kFinItem, c.size, bytes.data()), 0u);
    ASSERT_EQ(McsCreateInFolder(kFinFolder, "OTHER", 4, "abc"), 0u);
    FinMem read;
    EXPECT_EQ(FinReadMem(&read), c.kept ? 0u : 4u) << c.size << " " << int(c.mark);
    ASSERT_EQ(FinInitMem(), 0u);
    ASSERT_EQ(FinReadMem(&read), 0u);
    EXPECT_EQ(D(read.n), c.kept ? 5 : 0) << c.size;
    // A foreign record takes the folder's other items with it.
    u32 size = 0;
    EXPECT_EQ(McsOpenInFolder(kFinFolder, "OTHER", &size) == 0, c.kept) << c.size;
    if (!c.kept) {
      EXPECT_EQ(D(read.py), 12);
      EXPECT_EQ(read.list, 1);
      EXPECT_EQ(read.d1.year, 1997);
    }
  }
}

TEST_F(FinRecord, ValuesReadByOffsetNeedARecord) {
  BcdReal out;
  EXPECT_EQ(FinValueAt(24, &out), 4u);
  ASSERT_EQ(FinInitMem(), 0u);
  ASSERT_EQ(FinValueAt(60, &out), 0u);
  EXPECT_EQ(D(out), 12);
  EXPECT_EQ(FinValueAt(13, &out), 8u);
  EXPECT_EQ(FinValueAt(84, &out), 8u);
}

TEST_F(FinRecord, AssignmentsWriteOneFieldAndCheckPeriods) {
  struct C {
    u8 token;
    const char *re, *im;
    u32 err;
  } cases[] = {
      {0x66, "1000", "0", 0},   {0xCC, "4", "0", 0},  {0xCC, "0", "0", 8},     {0xCD, "2.5", "0", 8},
      {0xCD, "10000", "0", 8},  {0x65, "3", "2", 3},  {0x64, "-7", "0", 0},    {0xCD, "9999", "0", 0},
  };
  // The first assignment makes the record.
  for (const C &c : cases) {
    Value v{};
    v.re = R(c.re);
    if (std::string(c.im) != "0") {
      v.im = R(c.im);
      v.re.b[0] |= 0x80;
    }
    const u8 text[3] = {0x7F, c.token, 0};
    const u8 *p = text;
    EXPECT_EQ(FinAssignToken(&p, &v), c.err) << int(c.token) << " " << c.re;
    EXPECT_EQ(p, c.err ? text : text + 2);
  }
  FinMem m;
  ASSERT_EQ(FinReadMem(&m), 0u);
  EXPECT_EQ(D(m.pv), 1000);
  EXPECT_EQ(D(m.n), -7);
  EXPECT_EQ(D(m.i), 0);
  // P/Y leaves C/Y as it was.
  EXPECT_EQ(D(m.py), 4);
  EXPECT_EQ(D(m.cy), 9999);
  const u8 other[3] = {0x7F, 0x40, 0};
  const u8 *p = other;
  Value v{};
  EXPECT_FALSE(FinIsVariableToken(other));
  EXPECT_EQ(FinAssignToken(&p, &v), 2u);
}

}  // namespace
