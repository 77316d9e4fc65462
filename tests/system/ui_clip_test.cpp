// Copy and paste between the PC clipboard and the calculator's "CLIP" item,
// driven as the window drives them: its paste and copy commands post the
// calculator's paste and copy key codes. The headless host keeps the PC
// clipboard in memory.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kernel/host.h"
#include "memory/mcs_api.h"
#include "memory/mcs_store.h"
#include "tests/memory/clip_test_util.h"
#include "tests/support/harness.h"
#include "ui/keycodes.h"

namespace {

using UiClip = CalcSystemTest;

testing::AssertionResult PostAndWait(u16 code) {
  if (!CalcPost(-1, -1, code)) return testing::AssertionFailure() << "key " << code << " refused";
  return CalcWaitIdle();
}

TEST_F(UiClip, PcTextPastedAndCopiedBack) {
  ASSERT_TRUE(CalcBootToMenu());
  const std::string pc = "2\u03C0\u00D73\r\nA\u00E9\u20AC";
  const std::string calc = "2\xD0\xA9" "3\x0D" "A\xE6\x08?";
  HostClipboardPut(pc.c_str());
  ASSERT_TRUE(PostAndWait(kKeyPaste));
  EXPECT_EQ(ClipTestItem("CLIP"), ClipTestPadded(calc, 12));
  EXPECT_EQ(ClipTestItem("NAT_CLIP"), ClipTestItem("CLIP"));
  EXPECT_TRUE(CalcMainMenuShown()) << CalcScreenText();
  EXPECT_EQ(ClipTestPcClipboard(), pc) << "taking the text leaves the PC clipboard alone";

  // The calculator's own paste key keeps "CLIP" as it stands.
  HostClipboardPut("other");
  ASSERT_TRUE(CalcPress("SHIFT 9"));
  EXPECT_EQ(ClipTestItem("CLIP"), ClipTestPadded(calc, 12));

  // The window's copy puts "CLIP" on the PC clipboard.
  ASSERT_TRUE(PostAndWait(kKeyCopy));
  EXPECT_EQ(ClipTestPcClipboard(), "2\u03C0\u00D73\nA\u00E9?");
  EXPECT_TRUE(CalcMainMenuShown()) << CalcScreenText();
}

TEST_F(UiClip, PasteWithMainMemoryFullShowsMemoryError) {
  ASSERT_TRUE(CalcBootToMenu());
  HostClipboardPut("first");
  ASSERT_TRUE(PostAndWait(kKeyPaste));
  ASSERT_EQ(ClipTestItem("CLIP"), ClipTestPadded("first", 8));

  // The calculator waits for a key: fill its main memory meanwhile.
  const u32 left = McsFreeBytes();
  ASSERT_EQ(McsCreateByKind(5, "FILL", (left - 20 - 16) & ~3u, nullptr), 0u);
  HostClipboardPut(std::string(300, 'x').c_str());
  ASSERT_TRUE(PostAndWait(kKeyPaste));
  EXPECT_TRUE(CalcScreenHas("Memory ERROR")) << CalcScreenText();
  EXPECT_EQ(ClipTestItem("CLIP"), ClipTestPadded("first", 8));
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_TRUE(CalcMainMenuShown()) << CalcScreenText();
  EXPECT_FALSE(CalcScreenHas("Memory ERROR"));
}

}  // namespace
