// The calculator's clipboard items and the road to and from the PC clipboard
// (the headless host's clipboard, kept in memory).
#include "memory/item_clip.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kernel/calc_ram.h"
#include "kernel/heap.h"
#include "kernel/host.h"
#include "memory/mcs_api.h"
#include "memory/mcs_store.h"
#include "tests/memory/clip_test_util.h"

namespace {

std::string Clip() {
  const char *data = ItemClipData();
  return data == nullptr ? "<none>" : std::string(data, ItemClipLength());
}
u32 Store(const std::string &text) { return ItemClipStore(text.c_str(), static_cast<u32>(text.size() + 1)); }

class ItemClip : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(HostAllocCalcRam(), 1u);
    ASSERT_EQ(McsClearAll(), 0u);
    HostClipboardPut("");
  }
  void TearDown() override {
    u8 folder = 0;
    EXPECT_EQ(McsCheckArea(&folder), 0u) << "folder " << int(folder);
    MemFreeAll();
    HostFreeCalcRam();
  }
  // Fills main memory until `left` bytes are free.
  void FillUntil(u32 left) {
    const u32 free_bytes = McsFreeBytes();
    ASSERT_GT(free_bytes, left + 24);
    ASSERT_EQ(McsCreateByKind(5, "FILL", (free_bytes - left - 20) & ~3u, nullptr), 0u);
    ASSERT_LE(McsFreeBytes(), left + 3);
  }
};

TEST_F(ItemClip, StoreReplaceAndAbsent) {
  EXPECT_EQ(ItemClipData(), nullptr);
  EXPECT_EQ(ItemClipLength(), 0u);
  ItemClipToHost();
  EXPECT_EQ(ClipTestPcClipboard(), "") << "nothing to put while there is no CLIP";

  // Both items hold the text, its terminator and zeros up to a multiple of 4;
  // the PC clipboard gets it in UTF-8.
  ASSERT_EQ(Store("AB\xE6\x08" "\xD0"), 0u);
  EXPECT_EQ(Clip(), "AB\xE6\x08\xD0");
  EXPECT_EQ(ClipTestItem("CLIP"), ClipTestPadded("AB\xE6\x08\xD0", 8));
  EXPECT_EQ(ClipTestItem("NAT_CLIP"), ClipTestPadded("AB\xE6\x08\xD0", 8));
  EXPECT_EQ(ClipTestPcClipboard(), "AB\u00E9\u03C0");

  struct Case {
    const char *what;
    std::string bytes;
    std::string text;
    u32 size;
  } cases[] = {
      {"a longer text replaces it", "0123456789AB", "0123456789AB", 16},
      {"a shorter one shrinks it", "xy", "xy", 4},
      {"a text of four bytes takes eight", "wxyz", "wxyz", 8},
      {"the text ends at its first zero byte", std::string("ab\0cd", 5), "ab", 4},
      {"an empty text", "", "", 4},
  };
  for (const Case &c : cases) {
    ASSERT_EQ(ItemClipStore(c.bytes.data(), static_cast<u32>(c.bytes.size())), 0u) << c.what;
    EXPECT_EQ(Clip(), c.text) << c.what;
    EXPECT_EQ(ClipTestItem("CLIP"), ClipTestPadded(c.text, c.size)) << c.what;
    EXPECT_EQ(ClipTestItem("NAT_CLIP"), ClipTestItem("CLIP")) << c.what;
    EXPECT_EQ(ClipTestPcClipboard(), c.text) << c.what;
  }

  // The text may come from "CLIP" itself.
  ASSERT_EQ(Store("hello world"), 0u);
  ASSERT_EQ(ItemClipStore(ItemClipData() + 6, ItemClipLength() - 6), 0u);
  EXPECT_EQ(Clip(), "world");
  EXPECT_EQ(ClipTestItem("NAT_CLIP"), ClipTestPadded("world", 8));
}

TEST_F(ItemClip, MemoryFull) {
  ASSERT_EQ(Store("old"), 0u);
  HostClipboardPut("pc text");
  FillUntil(40);
  const std::vector<u8> before = McsTestSnapshot();

  // No room for CLIP: 48, both items and the PC clipboard as they were.
  EXPECT_EQ(Store(std::string(200, 'n')), 48u);
  EXPECT_EQ(McsTestSnapshot(), before);
  EXPECT_EQ(Clip(), "old");
  EXPECT_EQ(ClipTestPcClipboard(), "pc text");
  HostClipboardPut(std::string(200, 'p').c_str());
  EXPECT_EQ(ItemClipFromHost(), 48u);
  EXPECT_EQ(McsTestSnapshot(), before);

  // Room for CLIP but not for NAT_CLIP as well: CLIP holds the new text and
  // NAT_CLIP is gone rather than holding the old one.
  EXPECT_EQ(Store(std::string(35, 'm')), 0u);
  EXPECT_EQ(Clip(), std::string(35, 'm'));
  EXPECT_TRUE(ClipTestItem("NAT_CLIP").empty());
  EXPECT_EQ(ClipTestPcClipboard(), std::string(35, 'm'));

  // Again with no NAT_CLIP to remove: the store succeeds all the same and
  // the PC clipboard follows.
  EXPECT_EQ(Store(std::string(35, 'k')), 0u);
  EXPECT_EQ(Clip(), std::string(35, 'k'));
  EXPECT_TRUE(ClipTestItem("NAT_CLIP").empty());
  EXPECT_EQ(ClipTestPcClipboard(), std::string(35, 'k'));
}

// A read-only or protected clipboard item refuses a new text: the call says
// so with the store's cause (not "no room"), and neither item changes, so
// "NAT_CLIP" never keeps an older text than "CLIP".
TEST_F(ItemClip, ALockedItemRefusesAndNothingChanges) {
  struct Lock {
    const char *item;
    u32 (*lock)(const char *, const char *);
    u32 (*unlock)(const char *, const char *);
  };
  const Lock locks[] = {
      {"NAT_CLIP", McsProtectItem, McsUnprotectItem},
      {"NAT_CLIP", McsLockItem, McsUnlockItem},
      {"CLIP", McsLockItem, McsUnlockItem},
      {"CLIP", McsProtectItem, McsUnprotectItem},
  };
  for (const Lock &l : locks) {
    SCOPED_TRACE(l.item);
    ASSERT_EQ(Store("old"), 0u);
    HostClipboardPut("pc text");
    ASSERT_EQ(l.lock("@REV2", l.item), 0u);
    const std::vector<u8> before = McsTestSnapshot();
    const u32 r = Store("a newer text");
    EXPECT_NE(r, 0u);
    EXPECT_NE(r, 48u);
    EXPECT_EQ(McsTestSnapshot(), before);
    EXPECT_EQ(Clip(), "old");
    EXPECT_EQ(ClipTestItem("NAT_CLIP"), ClipTestPadded("old", 4));
    EXPECT_EQ(ClipTestPcClipboard(), "pc text");
    HostClipboardPut("from the pc");
    EXPECT_EQ(ItemClipFromHost(), r);
    EXPECT_EQ(McsTestSnapshot(), before);
    ASSERT_EQ(l.unlock("@REV2", l.item), 0u);
    EXPECT_EQ(Store("a newer text"), 0u);
    EXPECT_EQ(ClipTestItem("NAT_CLIP"), ClipTestItem("CLIP"));
  }
}

TEST_F(ItemClip, NoRoomBeforeTheFirstCopy) {
  FillUntil(8);
  EXPECT_EQ(Store("x"), 48u);
  EXPECT_EQ(ItemClipData(), nullptr);
}

TEST_F(ItemClip, TakesThePcClipboard) {
  // An empty PC clipboard leaves CLIP alone.
  EXPECT_EQ(ItemClipFromHost(), 0u);
  EXPECT_EQ(ItemClipData(), nullptr);

  HostClipboardPut("sin \u03C0\r\n2\u00D73 \u20AC");
  ASSERT_EQ(ItemClipFromHost(), 0u);
  EXPECT_EQ(Clip(), "\x81\xD0\x0D" "2\xA9" "3 ?") << "the name of sin, with its space, is the sin token";
  EXPECT_EQ(ClipTestItem("NAT_CLIP"), ClipTestItem("CLIP"));
  EXPECT_EQ(ClipTestPcClipboard(), "sin \u03C0\r\n2\u00D73 \u20AC") << "the PC clipboard is not written back";

  // Tokens go out by their names.
  ASSERT_EQ(Store("\x81" "30"), 0u);
  EXPECT_EQ(ClipTestPcClipboard(), "sin 30");
  ASSERT_EQ(ItemClipFromHost(), 0u);
  EXPECT_EQ(Clip(), "\x81" "30");

  // The calculator's own copy comes back whole, even where its reading lost
  // a code that has no reading; a text changed on the PC is taken anew.
  ASSERT_EQ(Store("\xF9\x3F" "30"), 0u);
  EXPECT_EQ(ClipTestPcClipboard(), "?30");
  ASSERT_EQ(ItemClipFromHost(), 0u);
  EXPECT_EQ(Clip(), "\xF9\x3F" "30");
  HostClipboardPut("?31");
  ASSERT_EQ(ItemClipFromHost(), 0u);
  EXPECT_EQ(Clip(), "?31");

  // Bounded, two-byte codes whole.
  std::string alphas;
  for (int i = 0; i < 5000; ++i) alphas += "\u03B1";
  HostClipboardPut(alphas.c_str());
  ASSERT_EQ(ItemClipFromHost(), 0u);
  EXPECT_EQ(ItemClipLength(), kItemClipHostMax - 2);
  EXPECT_EQ(std::string(ItemClipData() + kItemClipHostMax - 4, 2), "\xE6\x40");
  HostClipboardPut(std::string(20000, 'z').c_str());
  ASSERT_EQ(ItemClipFromHost(), 0u);
  EXPECT_EQ(Clip(), std::string(kItemClipHostMax - 1, 'z'));
}

}  // namespace
