// List and matrix items through their item interface.
#include "memory/item_array.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "kernel/calc_ram.h"
#include "kernel/heap.h"
#include "memory/mcs_api.h"
#include "memory/mcs_store.h"
#include "number/numparse.h"
#include "number/value.h"
#include "tests/memory/mcs_test_util.h"
#include "ui/setup.h"

namespace {

Value Real(i32 n) {
  Value v;
  std::memset(&v, 0, sizeof v);
  NumFromInt32(n, &v.re);
  return v;
}

Value Complex(i32 re, i32 im) {
  Value v = Real(re);
  NumFromInt32(im, &v.im);
  v.re.b[0] |= 0x80;
  return v;
}

// A value as "re" or "re,im" for comparisons.
std::string Text(const Value &v) {
  BcdReal re = v.re;
  re.b[0] &= 0x7F;
  auto part = [](const BcdReal &x) {
    BcdReal one = x;
    std::string s;
    for (int k = 0; k < 9; ++k) {
      char b[3];
      std::snprintf(b, sizeof b, "%02X", one.b[k]);
      s += b;
    }
    return s;
  };
  std::string s = part(re);
  if (v.re.b[0] & 0x80) s += "," + part(v.im);
  return s;
}

std::string ListAt(u8 file, u8 list, u32 i) {
  Value v;
  if (u32 r = ItemListGet(file, list, i, &v)) return "err" + std::to_string(r);
  return Text(v);
}

std::string MatAt(u8 m, u32 r, u32 c) {
  Value v;
  if (u32 e = ItemMatGet(m, r, c, &v)) return "err" + std::to_string(e);
  return Text(v);
}

u32 ItemSize(const char *name) {
  u32 size = 0;
  if (McsFindItem("main", name, nullptr, nullptr, nullptr, &size) != 0) return 0;
  return size;
}

class ItemArray : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(HostAllocCalcRam(), 1u);
    ASSERT_EQ(McsClearAll(), 0u);
    SetupResetAll();
  }
  void TearDown() override {
    u8 folder = 0;
    EXPECT_EQ(McsCheckArea(&folder), 0u) << "folder " << int(folder);
    MemFreeAll();
    HostFreeCalcRam();
  }
  // Fills main memory with one item until exactly `left` bytes are free.
  void FillUntil(u32 left) {
    const u32 free_bytes = McsFreeBytes();
    ASSERT_GE(free_bytes, left + 24);
    ASSERT_EQ(McsCreateInFolder("@RUNMAT", "FILL", free_bytes - left - 20, nullptr), 0u);
    ASSERT_EQ(McsFreeBytes(), left);
  }
};

TEST_F(ItemArray, Names) {
  struct Case {
    bool list;
    u8 a, b;
    const char *name;
  } cases[] = {
      {true, 0, 0, "0LIST0"},    {true, 3, 0, "0LIST0"},    {true, 1, 1, "1LIST1"},
      {true, 6, 26, "6LIST26"},  {true, 0, 5, "2LIST5"},    // file 0: the current file, set to 2 below
      {true, 253, 3, "SSHEET03"}, {true, 254, 12, "STATV12"}, {true, 255, 31, "STAT31"},
      {true, 40, 1, ""},         {true, 30, 255, ""},       // beyond 8 characters
      {false, 0, 0, "MAT_ANS"},  {false, 1, 0, "MAT_A"},    {false, 26, 0, "MAT_Z"},
      {false, 30, 0, "POLYCOEF"}, {false, 31, 0, "POLYRSLT"}, {false, 32, 0, "SIMLCOEF"},
      {false, 33, 0, "SIMLRSLT"}, {false, 34, 0, "POLYMULT"}, {false, 35, 0, "GRAPHTBL"},
      {false, 36, 0, "RECURTBL"}, {false, 27, 0, ""},         {false, 41, 0, "MAT_1"},
  };
  SetupSetItem(kSetupListFile, 2);
  for (const Case &c : cases) {
    char dst[9];
    std::memset(dst, 'x', sizeof dst);
    const char *got = c.list ? ItemListName(c.a, c.b, dst) : ItemMatName(c.a, dst);
    EXPECT_STREQ(got, c.name) << int(c.a) << "," << int(c.b);
  }
  // A list of the current file is the item of that file.
  ASSERT_EQ(ItemListCreate(0, 4, 2), 0u);
  EXPECT_EQ(ItemListSize(2, 4), 2u);
  EXPECT_EQ(ItemListSize(1, 4), 0u);
}

TEST_F(ItemArray, ListCreateReadWriteResize) {
  EXPECT_EQ(ItemListSize(1, 1), 0u);
  EXPECT_EQ(ItemListGet(1, 1, 1, nullptr), kItemArrayMissing);
  ASSERT_EQ(ItemListCreate(1, 1, 3), 0u);
  EXPECT_EQ(ItemSize("1LIST1"), ItemArrayBytes(3, false));
  EXPECT_EQ(ItemListCreateNew(1, 1, 3), kItemArrayExists);
  for (u32 i = 1; i <= 3; ++i) EXPECT_EQ(ListAt(1, 1, i), Text(Real(0)));

  const Value v7 = Real(7), v8 = Real(-8), v9 = Real(9);
  ASSERT_EQ(ItemListSet(1, 1, 2, &v7), 0u);
  ASSERT_EQ(ItemListSet(1, 1, 0, &v8), 0u);   // 0 appends
  ASSERT_EQ(ItemListSet(1, 1, 99, &v9), 0u);  // beyond the end appends
  EXPECT_EQ(ItemListSize(1, 1), 5u);
  EXPECT_EQ(ListAt(1, 1, 2), Text(v7));
  EXPECT_EQ(ListAt(1, 1, 4), Text(v8));
  EXPECT_EQ(ListAt(1, 1, 5), Text(v9));
  EXPECT_EQ(ListAt(1, 1, 0), "err19");
  EXPECT_EQ(ListAt(1, 1, 6), "err19");

  // Header bytes 12-15 belong to an in-place reference: writes keep them.
  const u8 ref[4] = {1, 2, 3, 4};
  ASSERT_EQ(McsWriteBytes("main", "1LIST1", 12, 4, ref), 0u);
  ASSERT_EQ(ItemListSet(1, 1, 1, &v9), 0u);
  EXPECT_EQ(McsTestItemBytes("main", "1LIST1")[15], 4);

  ASSERT_EQ(ItemListInsert(1, 1, 1, &v9), 0u);
  EXPECT_EQ(ListAt(1, 1, 1), Text(v9));
  EXPECT_EQ(ListAt(1, 1, 3), Text(v7));
  ASSERT_EQ(ItemListDeleteElement(1, 1, 1), 0u);
  ASSERT_EQ(ItemListDeleteElement(1, 1, 0), 0u);  // 0 removes the last
  EXPECT_EQ(ItemListSize(1, 1), 4u);
  EXPECT_EQ(ListAt(1, 1, 4), Text(v8));

  // The sub-name stays when the list is created anew; setting it on a
  // missing list makes a one-element list.
  char sub[9];
  ASSERT_EQ(ItemListSetSubName(1, 1, "SPEEDS123"), 0u);
  ASSERT_EQ(ItemListGetSubName(1, 1, sub), 1u);
  EXPECT_STREQ(sub, "SPEEDS12");
  ASSERT_EQ(ItemListCreate(1, 1, 2), 0u);
  EXPECT_EQ(ItemListSize(1, 1), 2u);
  ASSERT_EQ(ItemListGetSubName(1, 1, sub), 1u);
  EXPECT_STREQ(sub, "SPEEDS12");
  EXPECT_EQ(ItemListGetSubName(1, 2, sub), 0u);
  ASSERT_EQ(ItemListSetSubName(1, 2, "X"), 0u);
  EXPECT_EQ(ItemListSize(1, 2), 1u);

  // Values that are no element are refused without a change.
  Value err;
  std::memset(&err, 0, sizeof err);
  RealMakeError(3, &err.re);
  const auto before = McsTestSnapshot();
  EXPECT_EQ(ItemListSet(1, 1, 1, &err), 3u);
  EXPECT_EQ(McsTestSnapshot(), before);

  ASSERT_EQ(ItemListDelete(1, 1), 0u);
  EXPECT_EQ(ItemListSize(1, 1), 0u);
  EXPECT_EQ(ItemListDelete(1, 1), 0u) << "a missing list is no error";
  ASSERT_EQ(ItemListDeleteElement(1, 2, 1), 0u);
  EXPECT_EQ(ItemListSize(1, 2), 0u) << "the item goes with its only element";
}

TEST_F(ItemArray, ComplexPromotionAndCutBackToReal) {
  ASSERT_EQ(ItemListCreate(1, 3, 3), 0u);
  const Value r5 = Real(5), c = Complex(2, -3), zero_im = Complex(4, 0);
  ASSERT_EQ(ItemListSet(1, 3, 1, &r5), 0u);
  // A complex value whose imaginary part is zero keeps the list real.
  ASSERT_EQ(ItemListSet(1, 3, 3, &zero_im), 0u);
  EXPECT_EQ(ItemListIsReal(1, 3), 1u);
  ASSERT_EQ(ItemListSet(1, 3, 2, &c), 0u);
  EXPECT_EQ(ItemListIsReal(1, 3), 0u);
  EXPECT_EQ(ItemSize("1LIST3"), ItemArrayBytes(3, true));
  EXPECT_EQ(ListAt(1, 3, 1), Text(r5)) << "real elements of a complex list read as reals";
  EXPECT_EQ(ListAt(1, 3, 2), Text(c));
  EXPECT_EQ(ListAt(1, 3, 3), Text(Real(4)));
  // Appending to a complex list keeps both halves in step.
  ASSERT_EQ(ItemListSet(1, 3, 0, &c), 0u);
  EXPECT_EQ(ListAt(1, 3, 4), Text(c));
  EXPECT_EQ(ListAt(1, 3, 3), Text(Real(4)));

  EXPECT_EQ(ItemListToReal(1, 3), 1u) << "stays complex while an imaginary part is not zero";
  ASSERT_EQ(ItemListSet(1, 3, 2, &r5), 0u);
  ASSERT_EQ(ItemListSet(1, 3, 4, &r5), 0u);
  EXPECT_EQ(ItemListIsReal(1, 3), 0u) << "writing reals alone does not cut";
  EXPECT_EQ(ItemListToReal(1, 3), 0u);
  EXPECT_EQ(ItemListIsReal(1, 3), 1u);
  EXPECT_EQ(ItemSize("1LIST3"), ItemArrayBytes(4, false));
  EXPECT_EQ(ListAt(1, 3, 2), Text(r5));
  EXPECT_EQ(ItemListToReal(1, 9), kItemArrayMissing);

  // The same for a matrix.
  ASSERT_EQ(ItemMatCreate(2, 2, 2), 0u);
  ASSERT_EQ(ItemMatSet(2, 2, 1, &c), 0u);
  EXPECT_EQ(ItemMatIsReal(2), 0u);
  EXPECT_EQ(ItemSize("MAT_B"), ItemArrayBytes(4, true));
  EXPECT_EQ(MatAt(2, 2, 1), Text(c));
  EXPECT_EQ(MatAt(2, 1, 1), Text(Real(0)));
  EXPECT_EQ(ItemMatToReal(2), 1u);
  ASSERT_EQ(ItemMatSet(2, 2, 1, &r5), 0u);
  EXPECT_EQ(ItemMatToReal(2), 0u);
  EXPECT_EQ(ItemSize("MAT_B"), ItemArrayBytes(4, false));
  EXPECT_EQ(MatAt(2, 2, 1), Text(r5));
}

TEST_F(ItemArray, RunsReadAsSingleElementsDo) {
  // A complex list of five: a run gives each element as ItemListGet does.
  ASSERT_EQ(ItemListCreate(1, 4, 5), 0u);
  for (u32 i = 1; i <= 5; ++i) {
    const Value v = i == 3 ? Complex(7, -2) : i == 4 ? Complex(8, 0) : Real(static_cast<i32>(10 * i));
    ASSERT_EQ(ItemListSet(1, 4, i, &v), 0u);
  }
  struct Case {
    u32 first, count, code;
  };
  for (const Case &c : {Case{1, 5, 0}, Case{2, 3, 0}, Case{5, 1, 0}, Case{3, 0, 0}, Case{0, 1, kItemArrayBadIndex},
                        Case{4, 3, kItemArrayBadIndex}, Case{6, 1, kItemArrayBadIndex}}) {
    Value run[6];
    const Value untouched = Real(-1);
    for (Value &v : run) v = untouched;
    ASSERT_EQ(ItemListGetRun(1, 4, c.first, c.count, run), c.code) << c.first << "+" << c.count;
    for (u32 k = 0; k < 6; ++k) {
      const std::string want = c.code == 0 && k < c.count ? ListAt(1, 4, c.first + k) : Text(untouched);
      EXPECT_EQ(Text(run[k]), want) << c.first << "+" << c.count << " element " << k;
    }
  }
  Value v;
  EXPECT_EQ(ItemListGetRun(1, 9, 1, 1, &v), kItemArrayMissing);
}

TEST_F(ItemArray, MatrixCreateReadWriteResize) {
  u32 rows = 9, cols = 9;
  EXPECT_EQ(ItemMatDims(1, &rows, &cols), kItemArrayMissing);
  EXPECT_EQ(rows, 0u);
  ASSERT_EQ(ItemMatCreateNew(1, 2, 3), 0u);
  EXPECT_EQ(ItemMatCreateNew(1, 2, 3), kItemArrayExists);
  ASSERT_EQ(ItemMatDims(1, &rows, &cols), 0u);
  EXPECT_EQ(rows * 10 + cols, 23u);
  // Element (r, c) holds 10r + c.
  for (u32 r = 1; r <= 2; ++r)
    for (u32 c = 1; c <= 3; ++c) {
      const Value v = Real(static_cast<i32>(10 * r + c));
      ASSERT_EQ(ItemMatSet(1, r, c, &v), 0u);
    }
  EXPECT_EQ(MatAt(1, 3, 1), "err19");
  EXPECT_EQ(MatAt(1, 1, 4), "err19");
  EXPECT_EQ(MatAt(1, 0, 1), "err19");

  auto grid = [](u8 m) {
    u32 r, c;
    if (ItemMatDims(m, &r, &c)) return std::string("none");
    std::string s;
    for (u32 i = 1; i <= r; ++i) {
      for (u32 j = 1; j <= c; ++j) {
        Value v;
        ItemMatGet(m, i, j, &v);
        for (i32 k = 0; k <= 39; ++k)
          if (Text(v) == Text(Real(k))) s += std::to_string(k);
        s += j < c ? " " : "";
      }
      s += i < r ? "/" : "";
    }
    return s;
  };
  EXPECT_EQ(grid(1), "11 12 13/21 22 23");
  struct Step {
    u32 (*op)(u8, u32, u32);
    u32 at, count, result;
    const char *after;
  } steps[] = {
      {ItemMatInsertRows, 1, 1, 0, "0 0 0/11 12 13/21 22 23"},
      {ItemMatDeleteRows, 1, 1, 0, "11 12 13/21 22 23"},
      {ItemMatInsertRows, 0, 1, 0, "11 12 13/21 22 23/0 0 0"},
      {ItemMatDeleteRows, 3, 1, 0, "11 12 13/21 22 23"},
      {ItemMatInsertCols, 2, 2, 0, "11 0 0 12 13/21 0 0 22 23"},
      {ItemMatDeleteCols, 2, 2, 0, "11 12 13/21 22 23"},
      {ItemMatInsertCols, 0, 1, 0, "11 12 13 0/21 22 23 0"},
      {ItemMatDeleteCols, 4, 1, 0, "11 12 13/21 22 23"},
      {ItemMatDeleteRows, 2, 2, kItemArrayBadIndex, "11 12 13/21 22 23"},
      {ItemMatInsertRows, 4, 1, kItemArrayBadIndex, "11 12 13/21 22 23"},
      {ItemMatDeleteRows, 1, 2, kItemArrayBadSize, "11 12 13/21 22 23"},
      {ItemMatInsertCols, 1, 253, kItemArrayBadSize, "11 12 13/21 22 23"},
  };
  for (const Step &s : steps) {
    EXPECT_EQ(s.op(1, s.at, s.count), s.result) << s.after;
    EXPECT_EQ(grid(1), s.after);
  }

  // Creating anew gives zeros; a copy follows its source, even when absent.
  ASSERT_EQ(ItemMatCopy(3, 1), 0u);
  EXPECT_EQ(grid(3), "11 12 13/21 22 23");
  ASSERT_EQ(ItemMatCreate(1, 1, 2), 0u);
  EXPECT_EQ(grid(1), "0 0");
  ItemMatDelete(1);
  EXPECT_EQ(grid(1), "none");
  ASSERT_EQ(ItemMatCopy(3, 1), 0u);
  EXPECT_EQ(grid(3), "none");
  EXPECT_EQ(ItemMatCreate(1, 0, 2), kItemArrayBadSize);
  EXPECT_EQ(ItemMatCreate(1, 256, 1), kItemArrayBadSize);
  EXPECT_EQ(ItemMatCreate(27, 1, 1), kItemArrayBadNumber);
}

TEST_F(ItemArray, StoreValuesFromHeapBlocks) {
  // A complex list value of 2: real parts, then imaginary parts.
  const MemHandle h = MemAlloc(48);
  ASSERT_NE(h, 0u);
  BcdReal *cells = reinterpret_cast<BcdReal *>(MemDeref(h));
  NumFromInt32(1, &cells[0]);
  NumFromInt32(2, &cells[1]);
  NumFromInt32(0, &cells[2]);
  NumFromInt32(-6, &cells[3]);
  EvalArrayHeader hdr{};
  hdr.kind = kValComplexList;
  hdr.count = 2;
  hdr.handle = h;
  Value list;
  ValSetHeader(&hdr, &list);
  ASSERT_EQ(ItemListSetSubName(0, 0, "ANS"), 0u);
  ASSERT_EQ(ItemListStoreValue(0, 0, &list), 0u);
  EXPECT_EQ(ItemListSize(0, 0), 2u);
  EXPECT_EQ(ListAt(0, 0, 1), Text(Real(1)));
  EXPECT_EQ(ListAt(0, 0, 2), Text(Complex(2, -6)));
  char sub[9];
  ItemListGetSubName(0, 0, sub);
  EXPECT_STREQ(sub, "ANS");

  // The same block as a 1 x 2 matrix into Mat Ans.
  hdr.kind = kValComplexMatrix;
  hdr.count = 1;
  hdr.cols = 2;
  Value mat;
  ValSetHeader(&hdr, &mat);
  ASSERT_EQ(ItemMatStoreValue(0, &mat), 0u);
  EXPECT_EQ(MatAt(0, 1, 2), Text(Complex(2, -6)));
  // Wrong kinds are refused.
  EXPECT_EQ(ItemListStoreValue(0, 0, &mat), kItemArrayStoreFailed);
  const Value scalar = Real(3);
  EXPECT_EQ(ItemMatStoreValue(0, &scalar), kItemArrayStoreFailed);
  MemFree(h);
}

TEST_F(ItemArray, LimitsAtTheEdgeOfMemory) {
  // The largest list: 999 elements; a 1000th is refused without a change.
  ASSERT_EQ(ItemListCreate(1, 1, kItemListMaxCount), 0u);
  EXPECT_EQ(ItemListCreate(1, 2, kItemListMaxCount + 1), kItemArrayBadSize);
  const Value one = Real(1);
  auto before = McsTestSnapshot();
  EXPECT_EQ(ItemListSet(1, 1, 0, &one), kItemArrayBadSize);
  EXPECT_EQ(ItemListInsert(1, 1, 1, &one), kItemArrayBadSize);
  EXPECT_EQ(McsTestSnapshot(), before);
  ASSERT_EQ(ItemListDelete(1, 1), 0u);

  // The largest square matrix of an empty memory fits; one row and column
  // more gives the no-room code and changes nothing.
  u32 k = 1;
  while (ItemMatCreate(1, k + 1, k + 1) == 0) ++k;
  before = McsTestSnapshot();
  EXPECT_EQ(ItemMatCreate(2, k + 1, k + 1), kItemMatNoRoom);
  EXPECT_EQ(McsTestSnapshot(), before);
  ItemMatDelete(1);
  const u32 free_empty = McsFreeBytes();
  EXPECT_LE(ItemArrayBytes(k * k, false) + 20, free_empty);
  EXPECT_GT(ItemArrayBytes((k + 1) * (k + 1), false) + 20, free_empty);
  ASSERT_EQ(ItemMatCreate(1, k, k), 0u);
  // Making it complex needs twice the cells: refused, and it stays real.
  const Value c = Complex(1, 1);
  before = McsTestSnapshot();
  EXPECT_EQ(ItemMatSet(1, 1, 1, &c), kItemMatNoRoom);
  EXPECT_EQ(McsTestSnapshot(), before);
  EXPECT_EQ(ItemMatIsReal(1), 1u);
  ItemMatDelete(1);

  // A list that exactly fits the free bytes, and one element more.
  FillUntil(ItemArrayBytes(10, false) + 20);
  ASSERT_EQ(ItemListCreate(1, 5, 10), 0u);
  EXPECT_EQ(McsFreeBytes(), 0u);
  before = McsTestSnapshot();
  EXPECT_EQ(ItemListSet(1, 5, 0, &one), kItemListNoRoom);
  EXPECT_EQ(ItemListSet(1, 5, 1, &c), kItemListNoRoom) << "complex promotion does not fit either";
  EXPECT_EQ(ItemListCreate(1, 5, 11), kItemListNoRoom) << "the old list stands";
  EXPECT_EQ(ItemListCreate(1, 6, 1), kItemListNoRoom);
  EXPECT_EQ(ItemMatCreate(1, 1, 1), kItemMatNoRoom);
  EXPECT_EQ(McsTestSnapshot(), before);
  EXPECT_EQ(ItemListSize(1, 5), 10u);
  // Shrinking always works.
  EXPECT_EQ(ItemListCreate(1, 5, 9), 0u);
  EXPECT_EQ(McsFreeBytes(), 12u);
}

// List Ans as "Ans:<size>", then every list 1-9 of files 1 and 2 as
// "<file>.<list>=e1,e2,..." (a complex element as "re+im i").
std::string AllLists() {
  std::string out;
  if (const u32 n = ItemListSize(1, 0)) out += "Ans:" + std::to_string(n) + " ";
  for (u8 file = 1; file <= 2; ++file) {
    for (u8 list = 1; list <= 9; ++list) {
      const u32 n = ItemListSize(file, list);
      if (n == 0) continue;
      out += std::to_string(file) + "." + std::to_string(list) + "=";
      for (u32 i = 1; i <= n; ++i) {
        Value v;
        if (ItemListGet(file, list, i, &v) != 0) return "unreadable";
        BcdReal re = v.re;
        re.b[0] &= 0x7F;
        u64 a = 0, b = 0;
        NumToU64(&re, &a);
        out += (i > 1 ? "," : "") + std::to_string(a);
        if (v.re.b[0] & 0x80) {
          NumToU64(&v.im, &b);
          out += "+" + std::to_string(b) + "i";
        }
      }
      out += " ";
    }
  }
  return out;
}

// A store into a list element remembers where the list stands; whatever
// happens to main memory between two stores, the second one writes the
// list the numbers name, at its element, and nothing else.
TEST_F(ItemArray, ListStoresNeverGoThroughAStalePlace) {
  struct Case {
    const char *what;
    void (*change)();
    const char *lists;  // AllLists after the second store
  };
  const Case cases[] = {
      {"nothing", [] {}, "1.1=1,9,3 1.2=4,5 1.5=6 "},
      {"the list deleted", [] { ItemListDelete(0, 1); }, "1.1=9 1.2=4,5 1.5=6 "},
      {"the list resized", [] { ItemListCreate(0, 1, 5); }, "1.1=0,9,0,0,0 1.2=4,5 1.5=6 "},
      {"an element inserted before it", [] { const Value v = Real(5); ItemListInsert(0, 1, 1, &v); },
       "1.1=5,9,7,3 1.2=4,5 1.5=6 "},
      {"the list made complex", [] { const Value v = Complex(3, 2); ItemListSet(0, 1, 3, &v); },
       "1.1=1,9,3+2i 1.2=4,5 1.5=6 "},
      {"List Ans grown before it", [] { ItemListCreate(0, 0, 40); }, "Ans:40 1.1=1,9,3 1.2=4,5 1.5=6 "},
      {"an item of a lower folder made", [] { McsCreateInFolder("@RUNMAT", "FILL", 400, nullptr); },
       "1.1=1,9,3 1.2=4,5 1.5=6 "},
      {"a folder made and selected", [] { McsCreateFolder("F"); McsSelectFolder("F"); }, "1.1=1,9,3 1.2=4,5 1.5=6 "},
      {"another list of the same place entry stored", [] { const Value v = Real(8); ItemListSet(0, 5, 1, &v); },
       "1.1=1,9,3 1.2=4,5 1.5=8 "},
      {"the list file changed", [] { SetupSetItem(kSetupListFile, 2); }, "1.1=1,7,3 1.2=4,5 1.5=6 2.1=9 "},
      {"the list renamed and another put in its name",
       [] { McsRenameItem("main", "1LIST1", "1LIST9"); McsRenameItem("main", "1LIST2", "1LIST1"); },
       "1.1=4,9 1.5=6 1.9=1,7,3 "},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(McsClearAll(), 0u);
    SetupResetAll();
    SetupSetItem(kSetupListFile, 1);
    const Value fill[] = {Real(1), Real(2), Real(3), Real(4), Real(5), Real(6)};
    for (u32 i = 0; i < 3; ++i) ASSERT_EQ(ItemListSet(1, 1, 0, &fill[i]), 0u);
    for (u32 i = 3; i < 5; ++i) ASSERT_EQ(ItemListSet(1, 2, 0, &fill[i]), 0u);
    ASSERT_EQ(ItemListSet(1, 5, 0, &fill[5]), 0u);
    // The first store remembers the list's place, the change happens, the
    // second store follows.
    const Value seven = Real(7), nine = Real(9);
    ASSERT_EQ(ItemListSet(0, 1, 2, &seven), 0u);
    c.change();
    ASSERT_EQ(ItemListSet(0, 1, 2, &nine), 0u);
    SetupSetItem(kSetupListFile, 1);
    EXPECT_EQ(AllLists(), c.lists);
    u8 folder = 0;
    EXPECT_EQ(McsCheckArea(&folder), 0u) << "folder " << int(folder);
  }
}

TEST_F(ItemArray, ValuesStayRightWhenItemsMove) {
  ASSERT_EQ(ItemListCreate(1, 2, 2), 0u);
  const Value v = Real(42);
  ASSERT_EQ(ItemListSet(1, 2, 2, &v), 0u);
  u32 size = 0;
  u8 *held = nullptr;
  ASSERT_EQ(McsOpenByKindPtr(kMcsKindList, "1LIST2", &size, &held), 0u);
  const u32 offset = static_cast<u32>(held - McsAreaAddress());
  // "1LIST1" sorts before "1LIST2" and grows: the later item moves up.
  ASSERT_EQ(ItemListCreate(1, 1, 50), 0u);
  u8 *now = nullptr;
  ASSERT_EQ(McsOpenByKindPtr(kMcsKindList, "1LIST2", &size, &now), 0u);
  EXPECT_NE(static_cast<u32>(now - McsAreaAddress()), offset) << "the item moved under the held pointer";
  EXPECT_EQ(ListAt(1, 2, 2), Text(v));
  // And moves back down when the earlier item goes.
  ASSERT_EQ(ItemListDelete(1, 1), 0u);
  EXPECT_EQ(ListAt(1, 2, 2), Text(v));
}

}  // namespace
