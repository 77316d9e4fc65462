// The "Delete Table?" confirmation, key by key.
#include <gtest/gtest.h>

#include <string>

#include "graph/engine/graph_draw.h"
#include "tests/support/screen_reader.h"
#include "tests/ui/key_feed.h"
#include "ui/keycodes.h"

namespace {

class Confirm : public ::testing::Test {
 protected:
  void SetUp() override { StartScreenTest(); }
  void TearDown() override { StopKeyFeed(); }
};

TEST_F(Confirm, YesNoAndTheKeysItIgnores) {
  TextLocate(1, 1);
  TextPrint("under the window");
  const std::string before = ScreenText();
  struct Case {
    std::initializer_list<u32> keys;
    i32 result;
  };
  const Case cases[] = {
      {{kKeyF1}, 0},
      {{kKeyF6}, -2},
      {{kKeyExit}, -2},
      {{kKeyQuit}, -2},
      {{kKeyExe, kKeyF2, kKeyUp, kKeyF1}, 0},  // other keys do nothing
  };
  for (const Case &c : cases) {
    keyfeed::record = true;
    keyfeed::seen.clear();
    Press(c.keys);
    EXPECT_EQ(GraphConfirmDeleteTable(), c.result);
    ASSERT_FALSE(keyfeed::seen.empty());
    const std::string &shown = keyfeed::seen.front();
    EXPECT_NE(shown.find("Delete Table?"), std::string::npos) << shown;
    EXPECT_NE(shown.find("Yes:[F1]"), std::string::npos) << shown;
    EXPECT_NE(shown.find("No :[F6]"), std::string::npos) << shown;
    EXPECT_EQ(ScreenText(), before);  // the screen under it comes back
  }
}

}  // namespace
