#include "tests/support/golden.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

::testing::AssertionResult MatchesGolden(const std::string &path, const std::string &text) {
  const char *update = std::getenv("CORVANTA_UPDATE_GOLDEN");
  if (update && *update && *update != '0') {
    std::ofstream out(path, std::ios::binary);
    out << text;
    if (!out) return ::testing::AssertionFailure() << "cannot write " << path;
    return ::testing::AssertionSuccess();
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return ::testing::AssertionFailure() << "missing golden file " << path;
  std::stringstream ss;
  ss << in.rdbuf();
  if (ss.str() == text) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "differs from " << path << "\n--- expected\n"
                                       << ss.str() << "--- actual\n"
                                       << text;
}

std::string GoldenBeside(const std::string &file, const std::string &name) {
  std::string dir = file.substr(0, file.rfind('/'));
  if (!dir.empty() && dir[0] != '/' && !std::filesystem::exists(dir + "/golden")) dir = "../../" + dir;
  return dir + "/golden/" + name;
}
