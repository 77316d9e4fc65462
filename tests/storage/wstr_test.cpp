#include "storage/wstr.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<u16> W(const std::string &s, u16 end = 0) {
  std::vector<u16> w(s.begin(), s.end());
  w.push_back(end);
  return w;
}

TEST(Wstr, LengthAndCopyStopAtEitherTerminator) {
  auto a = W("ABC", 0), b = W("ABC", 0xFFFF);
  EXPECT_EQ(WstrLength(a.data()), 3);
  EXPECT_EQ(WstrLength(b.data()), 3);
  u16 dst[8];
  std::fill(std::begin(dst), std::end(dst), 0x5555);
  WstrCopy(dst, b.data());
  EXPECT_EQ(dst[3], 0xFFFF);
  EXPECT_EQ(dst[4], 0x5555);
  // An empty source copies only its terminator.
  u16 empty[1] = {0};
  std::fill(std::begin(dst), std::end(dst), 0x5555);
  WstrCopy(dst, empty);
  EXPECT_EQ(dst[0], 0);
  EXPECT_EQ(dst[1], 0x5555);
}

TEST(Wstr, CopyFieldStaysInsideTheFieldAndKeepsAFullName) {
  struct Case {
    std::vector<u16> src;
    int n;
    std::vector<u16> want;  // the field, then one guard character
  };
  const Case cases[] = {
      {W("AB", 0), 5, {'A', 'B', 0, 0, 0, 0x5555}},
      {W("AB", 0xFFFF), 5, {'A', 'B', 0xFFFF, 0xFFFF, 0xFFFF, 0x5555}},
      // A name as long as the field is kept whole, without a terminator.
      {W("ABCDEFG", 0), 4, {'A', 'B', 'C', 'D', 0x5555}},
      {W("ABCD", 0xFFFF), 4, {'A', 'B', 'C', 'D', 0x5555}},
      {W("ABC", 0), 4, {'A', 'B', 'C', 0, 0x5555}},
      {W("NAMEOF12CHAR", 0), 12, {'N', 'A', 'M', 'E', 'O', 'F', '1', '2', 'C', 'H', 'A', 'R', 0x5555}},
      {W("", 0xFFFF), 1, {0xFFFF, 0x5555}},
  };
  for (const auto &c : cases) {
    std::vector<u16> dst(c.want.size(), 0x5555);
    WstrCopyField(dst.data(), c.src.data(), c.n);
    EXPECT_EQ(dst, c.want) << "n=" << c.n;
  }
}

TEST(Wstr, NarrowAndWidenFillBehindTheTerminator) {
  auto s = W("AB", 0xFFFF);
  u8 bytes[5];
  WstrToBytes(bytes, s.data(), 5);
  EXPECT_EQ(std::vector<u8>(bytes, bytes + 5), (std::vector<u8>{'A', 'B', 0xFF, 0xFF, 0xFF}));
  auto z = W("AB", 0);
  WstrToBytes(bytes, z.data(), 5);
  EXPECT_EQ(std::vector<u8>(bytes, bytes + 5), (std::vector<u8>{'A', 'B', 0, 0, 0}));
  const u8 in[4] = {'x', 0xFF, 'y', 'z'};
  u16 wide[4];
  WstrFromBytes(wide, in, 4);
  EXPECT_EQ(std::vector<u16>(wide, wide + 4), (std::vector<u16>{'x', 0xFFFF, 0xFFFF, 0xFFFF}));
  u16 pad[6] = {'A', 0, 7, 7, 7, 7};
  WstrPad(pad, 0xFFFF, 5);
  EXPECT_EQ(std::vector<u16>(pad, pad + 6), (std::vector<u16>{'A', 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 7}));
}

TEST(Wstr, CaseChangeStopsAtTerminatorAndFieldSize) {
  u16 s[6] = {'a', 'b', 0xFFFF, 'c', 'd', 0};
  WstrChangeCase(s, 1, 6);
  EXPECT_EQ(std::vector<u16>(s, s + 6), (std::vector<u16>{'A', 'B', 0xFFFF, 'c', 'd', 0}));
  u16 t[3] = {'A', 'B', 'C'};  // no terminator inside the field
  WstrChangeCase(t, 2, 2);
  EXPECT_EQ(std::vector<u16>(t, t + 3), (std::vector<u16>{'a', 'b', 'C'}));
}

TEST(Wstr, Searches) {
  auto s = W("A.B.C");
  EXPECT_EQ(WstrFindLast(s.data(), '.'), s.data() + 3);
  EXPECT_EQ(WstrFindLast(s.data(), 'Z'), nullptr);
  EXPECT_EQ(WstrFindLast(s.data(), 0), s.data() + 5);
  EXPECT_EQ(WstrFindFirst(s.data(), '.'), s.data() + 1);
  EXPECT_EQ(WstrFindFirst(s.data(), 'Z'), s.data() + 6);
  const u32 a[3] = {1, 2, 3}, b[3] = {1, 2, 4};
  EXPECT_EQ(WstrCompareKeys(a, b), -1);
  EXPECT_EQ(WstrCompareKeys(b, a), 1);
  EXPECT_EQ(WstrCompareKeys(a, a), 0);
  EXPECT_EQ(WstrEqualBytes("abc", "abd", 2), 1);
  EXPECT_EQ(WstrEqualBytes("abc", "abd", 3), 0);
}

TEST(Collation, OrderOfNames) {
  struct Case {
    const char *a;
    const char *b;
    int want;
  };
  const Case cases[] = {
      {"abc", "ABC", 0},      {"A", "B", -1},         {"A", "9", 1},           {"A", "AB", -1},
      {"PROG.TXT", "PROG.G1M", 1}, {"Z", "[", -1},    {"-", "+", 1},           {"ABCDEFGHIJKL", "ABCDEFGHIJKM", -1},
      {"A_B", "A#B", 1},      {"A\xCD", "A-", 1},     {"A\xCE", "A\xCD", 1},   {"A\xCE", "A\x89", -1},
      {"A\x99", "A\x89", 1},  {"A\x80", "A\x99", 1},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(FileCollateNames(reinterpret_cast<const u8 *>(c.a), reinterpret_cast<const u8 *>(c.b)), c.want)
        << c.a << " vs " << c.b;
  }
}

TEST(Collation, NamesThatDifferBeyondCaseNeverCompareEqual) {
  // Every pair of one-character names that are not the same letter in two cases.
  for (int x = 1; x < 255; ++x) {
    for (int y = 1; y < 255; ++y) {
      u8 a[2] = {static_cast<u8>(x), 0}, b[2] = {static_cast<u8>(y), 0};
      bool same = x == y || (std::toupper(x) == std::toupper(y) && std::isalpha(x) && std::isalpha(y) && x < 128 && y < 128);
      int r = FileCollateNames(a, b);
      ASSERT_EQ(r == 0, same) << x << " " << y;
      ASSERT_EQ(r, -FileCollateNames(b, a));
    }
  }
  auto a = W("Ab", 0xFFFF), b = W("aB");
  i32 out = 9;
  EXPECT_EQ(FileCollateWideNames(a.data(), b.data(), &out), 0);
  EXPECT_EQ(out, 0);
}

}  // namespace
