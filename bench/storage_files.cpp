// Storage memory: write a 64 KB file and read it back; list a folder of 200 files.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "storage/file.h"
#include "storage/fls.h"
#include "storage/fls_image.h"

namespace {

std::vector<u16> W(const std::string &s) {
  std::vector<u16> w(s.begin(), s.end());
  w.push_back(0);
  return w;
}

// A formatted storage memory in a temporary image file.
struct Image {
  std::string path;
  Image() {
    char tmpl[] = "/tmp/corvanta-bench-XXXXXX";
    int fd = ::mkstemp(tmpl);
    ::close(fd);
    path = tmpl;
    FlsImageOpen(path.c_str());
    Format();
  }
  ~Image() {
    FlsImageClose();
    ::unlink(path.c_str());
  }
  static void Format() {
    FlsFormat(2);
    FlsResetOpenFiles();
  }
};

void BM_Write64KFile(benchmark::State &state) {
  Image image;
  std::vector<u8> data(0x10000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<u8>(i * 13);
  auto path = W("\\\\fls0\\BENCH.TXT");
  for (auto _ : state) {
    // Written flash needs an erase before it takes data again.
    state.PauseTiming();
    Image::Format();
    state.ResumeTiming();
    FileCreateEntry(path.data(), 1);
    i32 h = FileOpen(path.data());
    benchmark::DoNotOptimize(FileWrite(h, data.data(), static_cast<i32>(data.size())));
    FileClose(h);
  }
  state.SetBytesProcessed(static_cast<i64>(state.iterations()) * 0x10000);
}
BENCHMARK(BM_Write64KFile);

void BM_Read64KFile(benchmark::State &state) {
  Image image;
  std::vector<u8> data(0x10000, 0x5A), back(0x10000);
  auto path = W("\\\\fls0\\BENCH.TXT");
  FileCreateEntry(path.data(), 1);
  i32 h = FileOpen(path.data());
  FileWrite(h, data.data(), static_cast<i32>(data.size()));
  FileClose(h);
  for (auto _ : state) {
    h = FileOpen(path.data());
    benchmark::DoNotOptimize(FileRead(h, back.data(), static_cast<i32>(back.size()), 0));
    FileClose(h);
  }
  if (back != data) state.SkipWithError("read back differs");
  state.SetBytesProcessed(static_cast<i64>(state.iterations()) * 0x10000);
}
BENCHMARK(BM_Read64KFile);

void BM_List200Files(benchmark::State &state) {
  Image image;
  FileCreateEntry(W("\\\\fls0\\DIR").data(), 5);
  std::vector<u8> data(100, 1);
  for (int i = 0; i < 200; ++i) {
    auto path = W("\\\\fls0\\DIR\\F" + std::to_string(1000 + i) + ".TXT");
    FileCreate(path.data(), 100);
  }
  auto pattern = W("\\\\fls0\\DIR\\*.*");
  u16 name[13];
  FileFindInfo info;
  int found = 0;
  for (auto _ : state) {
    i32 h = -1;
    found = 0;
    for (i32 r = FileFindFirst(pattern.data(), &h, name, &info); r == 0; r = FileFindNext(h, name, &info)) ++found;
    FileFindClose(h);
    benchmark::DoNotOptimize(found);
  }
  if (found != 200) state.SkipWithError("not 200 files");
  state.SetItemsProcessed(static_cast<i64>(state.iterations()) * 200);
}
BENCHMARK(BM_List200Files);

}  // namespace
