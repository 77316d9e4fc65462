// Replays fuzz inputs without libFuzzer: every file named on the command line,
// or found (sorted by name) in a folder named there, goes once through the
// target. A failed check inside the target aborts the run.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

int Replay(const std::filesystem::path &file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", file.c_str());
    return 1;
  }
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // A copy of exactly the input's size, so that a read past its end shows
  // under the address checker.
  std::vector<uint8_t> data(bytes.begin(), bytes.end());
  LLVMFuzzerTestOneInput(data.empty() ? nullptr : data.data(), data.size());
  return 0;
}

}  // namespace

int main(int argc, char **argv) {
  int replayed = 0, failed = 0;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path arg = argv[i];
    std::vector<std::filesystem::path> files;
    if (std::filesystem::is_directory(arg)) {
      for (const auto &e : std::filesystem::directory_iterator(arg))
        if (e.is_regular_file()) files.push_back(e.path());
      std::sort(files.begin(), files.end());
    } else {
      files.push_back(arg);
    }
    for (const auto &f : files) {
      failed += Replay(f);
      ++replayed;
    }
  }
  std::printf("%d inputs replayed\n", replayed);
  if (replayed == 0) {
    std::fprintf(stderr, "no inputs\n");
    return 1;
  }
  return failed == 0 ? 0 : 1;
}
