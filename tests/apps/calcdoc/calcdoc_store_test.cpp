// The calculation document's item byte for byte: new documents, inserts of
// every kind, deletes as the user sees them, a strip's kept data, results
// read back as copies, the latest results, refused changes, damaged items.
#include "apps/calcdoc/calcdoc_store.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "kernel/calc_ram.h"
#include "kernel/heap.h"
#include "memory/mcs_api.h"
#include "number/numparse.h"
#include "number/value.h"
#include "ui/keycodes.h"

namespace {

class CalcDocStore : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(HostAllocCalcRam(), 1u);
    ASSERT_EQ(McsClearAll(), 0u);
  }
  void TearDown() override {
    MemFreeAll();
    HostFreeCalcRam();
  }
};

std::vector<u8> Item(const char *folder, const char *name) {
  u32 size = 0;
  u8 *data = nullptr;
  if (McsOpenInFolderPtr(folder, name, &size, &data) != 0) return {};
  return std::vector<u8>(data, data + size);
}

std::vector<u8> Words(std::initializer_list<u32> words) {
  std::vector<u8> out;
  for (u32 w : words)
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<u8>(w >> (8 * i)));
  return out;
}

std::vector<u8> Cat(std::vector<u8> a, const std::vector<u8> &b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::vector<u8> Text(const std::string &s, size_t padded) {
  std::vector<u8> out(s.begin(), s.end());
  out.resize(padded, 0);
  return out;
}

const u8 *U(const char *s) { return reinterpret_cast<const u8 *>(s); }

Value Real(const char *text) {
  Value v{};
  NumParse(text, &v.re);
  return v;
}

// A list or matrix value on the heap, elements 1, 2, 3, ... (imaginary parts
// 10 times that).
Value Array(u8 kind, u16 count, u16 cols) {
  const bool complex = (kind & 0x80) != 0;
  const u32 n = (kind & 0x70) == 0x20 ? count : u32{count} * cols;
  const MemHandle h = MemAlloc(n * (complex ? 24 : 12));
  BcdReal *cells = reinterpret_cast<BcdReal *>(MemDeref(h));
  for (u32 i = 0; i < n; ++i) {
    NumFromInt32(static_cast<i32>(i + 1), &cells[i]);
    if (complex) NumFromInt32(static_cast<i32>(10 * (i + 1)), &cells[n + i]);
  }
  EvalArrayHeader hd{};
  hd.kind = kind;
  hd.count = count;
  hd.cols = cols;
  hd.handle = h;
  Value v{};
  ValSetHeader(&hd, &v);
  return v;
}

CalcDocLineInfo Info(u8 kind, u16 w = 6, u16 h = 8) { return {DocTypeWord(kind), w, h}; }

TEST_F(CalcDocStore, NewDocumentsAreTheirBytes) {
  // A missing "RUN2D1": one empty calculation line, then edit it.
  EXPECT_EQ(CalcDocOpen(kDocNameRun), kKeyEditLine);
  EXPECT_EQ(Item(kDocRunFolder, kDocNameRun),
            Cat(Words({1, 0x0300000C, 0}), {6, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(CalcDocEntryCount(), 1u);
  // Opened again it is kept and the engine goes to its bottom line.
  EXPECT_EQ(CalcDocOpen(kDocNameRun), 8u);

  // A new "EACT1" for the file AB: the title, then an empty text line.
  EXPECT_EQ(CalcDocOpen(kDocNameEact, "AB"), kKeyEditLine);
  const std::vector<u8> want =
      Cat(Cat(Words({2, 0x07000010, 0x81000028, 0}), Text("======AB      =======", 24)), Words({0}));
  EXPECT_EQ(Item(kDocEactFolder, kDocNameEact), want);
  EXPECT_EQ(want.size(), 44u);
  EXPECT_EQ(CalcDocGetState()->current, 1u);
  EXPECT_EQ(CalcDocOpen(kDocNameEact), 23u);
  EXPECT_EQ(CalcDocGetState()->modified, 0);
}

TEST_F(CalcDocStore, InsertsSettleKindsAndSizes) {
  CalcDocOpen(kDocNameText);
  // A plain text stays 0x81; one holding a template becomes 0x82 with its
  // size header; a 0x82 given a plain text goes back to 0x81.
  ASSERT_EQ(CalcDocInsertEntry(0, Info(kDocText), U("ABCD")), 1u);
  ASSERT_EQ(CalcDocInsertEntry(1, Info(kDocText, 30, 17), U("\xBB\x1D\x1A" "1\x1B\x1A" "2\x1B\x1E")), 1u);
  ASSERT_EQ(CalcDocInsertEntry(2, Info(kDocTemplateText), U("xy")), 1u);
  ASSERT_EQ(CalcDocInsertEntry(3, Info(kDocStop, 128, 8), U("")), 1u);
  struct Want {
    u8 kind;
    u32 size;
    u32 height;
  } want[] = {{kDocText, 8, 8}, {kDocTemplateText, 16, 17}, {kDocText, 4, 8}, {kDocStop, 4, 8}, {kDocText, 4, 8}};
  ASSERT_EQ(CalcDocEntryCount(), 5u);
  for (u32 i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(DocKindOf(CalcDocEntryType(i)), want[i].kind);
    EXPECT_EQ(CalcDocEntrySize(i), want[i].size);
    EXPECT_EQ(CalcDocEntryHeight(i), want[i].height);
  }
  EXPECT_STREQ(reinterpret_cast<const char *>(CalcDocEntryText(0)), "ABCD");
  EXPECT_EQ(CalcDocEntryText(3), nullptr);
  EXPECT_EQ(CalcDocEntryType(5), 0u);
  EXPECT_EQ(CalcDocEntryData(5), nullptr);
  EXPECT_TRUE(CalcDocGetState()->modified);

  // Results: a scalar takes 44 bytes, a 3 x 2 complex matrix 24 + 20 + 144.
  const Value three = Real("3");
  ASSERT_EQ(CalcDocInsertEntry(5, Info(kDocResult, 6, 8), &three), 1u);
  EXPECT_EQ(CalcDocEntrySize(5), 44u);
  Value m = Array(kValComplexMatrix, 3, 2);
  ASSERT_EQ(CalcDocInsertEntry(6, Info(kDocResult, 40, 30), &m), 1u);
  EXPECT_EQ(CalcDocEntrySize(6), 188u);
  // The caller's temporary is still its own, and the stored copy has no
  // handle of it.
  EvalArrayHeader hm;
  ValGetHeader(&m, &hm);
  EXPECT_NE(MemDeref(hm.handle), nullptr);
  EvalArrayHeader stored;
  std::memcpy(&stored, CalcDocEntryData(6), sizeof stored);
  EXPECT_EQ(stored.handle, 0u);
  EXPECT_EQ(stored.count, 3);
  EXPECT_EQ(stored.cols, 2);
  ValFreeTemp(&m);
}

TEST_F(CalcDocStore, ResultsReadBackAsCopiesThatOutliveChanges) {
  CalcDocOpen(kDocNameRun);
  Value list = Array(kValComplexList, 4, 0);
  ASSERT_EQ(CalcDocInsertEntry(1, Info(kDocResult, 60, 8), &list), 1u);
  ValFreeTemp(&list);
  Value a{}, b{};
  ASSERT_EQ(CalcDocResultValue(1, &a), 1u);
  ASSERT_EQ(CalcDocResultValue(1, &b), 1u);
  // A change of main memory between the reads: both copies still hold the
  // cells (real parts 1-4, imaginary parts 10-40).
  ASSERT_EQ(CalcDocInsertEntry(0, Info(kDocCalc), U("1")), 1u);
  EvalArrayHeader ha, hb;
  ValGetHeader(&a, &ha);
  ValGetHeader(&b, &hb);
  ASSERT_NE(ha.handle, hb.handle);
  for (const EvalArrayHeader &h : {ha, hb}) {
    EXPECT_EQ(h.count, 4);
    const BcdReal *cells = reinterpret_cast<const BcdReal *>(MemDeref(h.handle));
    ASSERT_NE(cells, nullptr);
    EXPECT_EQ(NumToInt32(&cells[2]), 3);
    EXPECT_EQ(NumToInt32(&cells[7]), 40);
  }
  ValFreeTemp(&a);
  ValFreeTemp(&b);
  // Anything but a result reads as Memory ERROR.
  Value bad{};
  EXPECT_EQ(CalcDocResultValue(0, &bad), 0u);
  EXPECT_EQ(ValErrorCode(&bad), 4);
}

TEST_F(CalcDocStore, LatestResultsAreSearchedAboveTheCurrentLine) {
  CalcDocOpen(kDocNameRun);
  // 0: "1", 1: 1, 2: "{1,2}", 3: {1,2}, 4: "5", 5: 5, 6: empty line.
  const Value one = Real("1"), five = Real("5");
  Value list = Array(kValRealList, 2, 0);
  CalcDocInsertEntry(0, Info(kDocCalc), U("1"));
  CalcDocInsertEntry(1, Info(kDocResult), &one);
  CalcDocInsertEntry(2, Info(kDocCalc), U("{1,2}"));
  CalcDocInsertEntry(3, Info(kDocResult), &list);
  CalcDocInsertEntry(4, Info(kDocCalc), U("5"));
  CalcDocInsertEntry(5, Info(kDocResult), &five);
  ValFreeTemp(&list);
  struct Case {
    u32 current;
    i32 ans;       // latest scalar
    bool has_list;
  } cases[] = {{6, 5, true}, {5, 1, true}, {3, 1, false}, {1, 0, false}, {0, 0, false}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.current);
    CalcDocGetState()->current = c.current;
    Value ans{};
    EXPECT_EQ(CalcDocGetLastAns(&ans), 1u);
    EXPECT_EQ(NumToInt32(&ans.re), c.ans);
    Value l{};
    EXPECT_EQ(CalcDocFindLastList(&l), c.has_list ? 1u : 0u);
    if (c.has_list) {
      EXPECT_EQ(ValKind(&l), kValKindList);
      ValFreeTemp(&l);
    } else {
      EXPECT_EQ(ValErrorCode(&l), 4);
    }
    Value m{};
    EXPECT_EQ(CalcDocFindLastMatrix(&m), 0u);
  }
}

TEST_F(CalcDocStore, DeletingLinesKeepsPairsAndAnEmptyLine) {
  const Value r = Real("7");
  auto fill = [&] {
    McsDeleteInFolder(kDocRunFolder, kDocNameRun);
    CalcDocOpen(kDocNameRun);  // 0: empty line
    CalcDocReplaceEntry(0, Info(kDocCalc), U("3+4"));
    CalcDocInsertEntry(1, Info(kDocResult), &r);
    CalcDocInsertEntry(2, Info(kDocCalc), U("7"));
    CalcDocInsertEntry(3, Info(kDocResult), &r);
    CalcDocInsertEntry(4, Info(kDocCalc), U(""));
  };
  auto kinds = [] {
    std::string s;
    for (u32 i = 0; i < CalcDocEntryCount(); ++i) s += std::to_string(DocKindOf(CalcDocEntryType(i))) + " ";
    return s;
  };
  fill();
  ASSERT_EQ(kinds(), "3 4 3 4 3 ");
  // A calculation takes its result along, a result its calculation.
  ASSERT_EQ(CalcDocDeleteLine(0), 1u);
  EXPECT_EQ(kinds(), "3 4 3 ");
  EXPECT_STREQ(reinterpret_cast<const char *>(CalcDocEntryText(0)), "7");
  fill();
  ASSERT_EQ(CalcDocDeleteLine(3), 1u);
  EXPECT_EQ(kinds(), "3 4 3 ");
  EXPECT_STREQ(reinterpret_cast<const char *>(CalcDocEntryText(0)), "3+4");
  // The last line goes and an empty one of the document's kind is left.
  fill();
  CalcDocGetState()->current = 4;
  ASSERT_EQ(CalcDocDeleteLine(4), 1u);
  EXPECT_EQ(kinds(), "3 4 3 4 3 ");
  EXPECT_EQ(CalcDocEntryText(4)[0], 0);
  // The only line: the document is made again as new.
  McsDeleteInFolder(kDocRunFolder, kDocNameRun);
  CalcDocOpen(kDocNameRun);
  CalcDocReplaceEntry(0, Info(kDocCalc), U("9"));
  ASSERT_EQ(CalcDocDeleteLine(0), 1u);
  EXPECT_EQ(Item(kDocRunFolder, kDocNameRun), Cat(Words({1, 0x0300000C, 0}), {6, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  // "EACT1" keeps its title when its only line goes.
  CalcDocOpen(kDocNameEact, "AB");
  CalcDocReplaceEntry(1, Info(kDocText), U("HI"));
  ASSERT_EQ(CalcDocDeleteLine(1), 1u);
  EXPECT_EQ(CalcDocEntryCount(), 2u);
  EXPECT_EQ(DocKindOf(CalcDocEntryType(0)), kDocTitle);
  EXPECT_EQ(CalcDocEntryText(1)[0], 0);
}

TEST_F(CalcDocStore, AStripKeepsItsHeaderAndDataWhenRenamed) {
  CalcDocOpen(kDocNameEact, "AB");
  const CalcDocStripHead head{"@GRAPH", 5, 0, U("GRAPH")};
  ASSERT_EQ(CalcDocInsertEntry(1, Info(kDocStrip, 128, 12), &head), 1u);
  // The kernel grows the data area behind the name.
  CalcDocGetState()->strip = 1;
  const i32 area = EactStripDataOffset();
  ASSERT_GT(area, 0);
  const u8 extra[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  ASSERT_EQ(McsInsertInFolder(kDocEactFolder, kDocNameEact, 8, extra, static_cast<u32>(area) + 4), 0u);
  EactShiftEntryOffsets(8);
  ASSERT_EQ(CalcDocEntrySize(1), 16u + 8 + 4 + 8);
  // A longer name: the header and the data area stay, the next entry moves.
  ASSERT_EQ(CalcDocReplaceEntry(1, Info(kDocStrip, 128, 12), U("GRAPH OF SINE")), 1u);
  const u8 *d = CalcDocEntryData(1);
  EXPECT_EQ(std::string(reinterpret_cast<const char *>(d)), "@GRAPH");
  EXPECT_EQ(d[12], 5);
  EXPECT_STREQ(reinterpret_cast<const char *>(d + 16), "GRAPH OF SINE");
  EXPECT_EQ(std::vector<u8>(d + 16 + 16 + 4, d + 16 + 16 + 12), std::vector<u8>(extra, extra + 8));
  EXPECT_EQ(CalcDocEntryText(2)[0], 0);
  EXPECT_EQ(EactStripDataOffset(), area + 8);
}

TEST_F(CalcDocStore, ARefusedChangeLeavesTheDocumentAsItWas) {
  CalcDocOpen(kDocNameRun);
  CalcDocReplaceEntry(0, Info(kDocCalc), U("1+1"));
  const std::vector<u8> before = Item(kDocRunFolder, kDocNameRun);
  // Fill main memory to a few bytes.
  u32 total = 0, used = 0, free_bytes = 0;
  McsGetMemoryUse(&total, &used, &free_bytes);
  std::vector<u8> filler(free_bytes, 0);
  u32 fill = free_bytes;
  while (fill > 0 && McsCreateInFolder("main", "FILL", fill & ~3u, filler.data()) != 0) fill -= 4;
  McsGetMemoryUse(&total, &used, &free_bytes);
  ASSERT_LT(free_bytes, 40u);
  Value big = Array(kValRealMatrix, 3, 3);
  CalcDocGetState()->modified = 0;
  EXPECT_EQ(CalcDocInsertEntry(1, Info(kDocResult), &big), 0u);
  EXPECT_EQ(CalcDocReplaceEntry(0, Info(kDocCalc), U("1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1")), 0u);
  ValFreeTemp(&big);
  EXPECT_EQ(Item(kDocRunFolder, kDocNameRun), before);
  EXPECT_EQ(CalcDocGetState()->modified, 0);
  // With under 4 bytes free the only line cannot be deleted: the caller
  // shows Memory ERROR.
  McsGetMemoryUse(&total, &used, &free_bytes);
  ASSERT_LT(free_bytes, 4u);
  EXPECT_EQ(CalcDocDeleteLine(0), 0u);
  EXPECT_EQ(Item(kDocRunFolder, kDocNameRun), before);
}

TEST_F(CalcDocStore, DamagedItemsAreRefusedAndOpenedAsNew) {
  const std::vector<u8> good = Cat(Words({2, 0x03000010, 0x8100001C, 0}), {6, 0, 8, 0, 0, 0, 0, 0, '1', 0, 0, 0});
  const std::vector<u8> good_doc = Cat(good, {'A', 'B', 'C', 0});
  ASSERT_TRUE(CalcDocCheck(good_doc.data(), static_cast<u32>(good_doc.size())));
  struct Case {
    const char *what;
    size_t at;
    u8 byte;
  } cases[] = {
      {"count past the table", 0, 9},
      {"an offset before the data", 4, 0x08},
      {"an offset past the item", 8, 0x40},
      {"an unknown kind", 7, 0x09},
      {"a height of 0", 18, 0},
      {"a text without its end", 31, 'x'},
      {"no end mark", 12, 1},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<u8> bad = good_doc;
    bad[c.at] = c.byte;
    EXPECT_FALSE(CalcDocCheck(bad.data(), static_cast<u32>(bad.size())));
    McsDeleteInFolder(kDocRunFolder, kDocNameRun);
    ASSERT_EQ(McsCreateInFolder(kDocRunFolder, kDocNameRun, static_cast<u32>(bad.size()), bad.data()), 0u);
    EXPECT_EQ(CalcDocOpen(kDocNameRun), kKeyEditLine);
    EXPECT_EQ(CalcDocGetState()->damaged, 1);
    EXPECT_EQ(CalcDocEntryCount(), 1u);
  }
  // A result whose size disagrees with its list header, a strip of an
  // unknown application.
  const Value one = Real("1");
  std::vector<u8> result = Cat(Words({1, 0x0400000C, 0}), std::vector<u8>(44, 0));
  std::memcpy(result.data() + 12, &one, sizeof one);
  EXPECT_TRUE(CalcDocCheck(result.data(), static_cast<u32>(result.size())));
  result[12] = 0x20;  // a list of 0 elements
  EXPECT_FALSE(CalcDocCheck(result.data(), static_cast<u32>(result.size())));
  std::vector<u8> strip = Cat(Words({1, 0x0600000C, 0}), std::vector<u8>(24, 0));
  strip[12 + 12] = 5;
  EXPECT_TRUE(CalcDocCheck(strip.data(), static_cast<u32>(strip.size())));
  strip[12 + 12] = 18;
  EXPECT_FALSE(CalcDocCheck(strip.data(), static_cast<u32>(strip.size())));
}

TEST_F(CalcDocStore, PlainTextIsTextWithoutTemplatesOrCommands) {
  struct Case {
    const char *text;
    u32 plain;
  } cases[] = {{"", 1},           {"HELLO 12", 1}, {"\xE6\x9A", 1}, {"\xBB\x1D", 0},
               {"A\x86" "4", 0},  {"\x1A", 0},     {"\x7F", 0},     {"x\xF7\x00", 0}};
  for (const Case &c : cases) EXPECT_EQ(CalcDocIsPlainText(U(c.text)), c.plain) << c.text;
}

}  // namespace
