// GRAPH and TABLE as a new user meets them: formulas typed into the list,
// selection, line style, type and conversion, deletion, graph memories, the
// table range screen and the function memories of the line editor.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/harness.h"

namespace {

class GraphListSystem : public CalcSystemTest {
 protected:
  void Open(const char *keys, const char *title) {
    ASSERT_TRUE(CalcBootToMenu());
    ASSERT_TRUE(CalcPress(keys));
    ASSERT_EQ(CalcTitle(), title);
  }
};

TEST_F(GraphListSystem, Probe) {
  Open("RIGHT RIGHT RIGHT EXE", "@GRAPH");
  std::cout << CalcScreenText() << std::endl;
  ASSERT_TRUE(CalcPress("XtT ^2 EXE"));
  std::cout << CalcScreenText() << std::endl;
}

}  // namespace
