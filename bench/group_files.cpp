// Backup and restore of main memory holding about 60 KB of items, to and
// from the storage memory and a host file, beside the plain writing of the
// same bytes with the file interface (FileCreate, FileOpen, FileWriteAt).
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "kernel/calc_ram.h"
#include "memory/item_array.h"
#include "memory/mcs_api.h"
#include "memory/mcs_group.h"
#include "memory/mcs_store.h"
#include "number/numparse.h"
#include "storage/file.h"
#include "storage/fls.h"
#include "storage/fls_image.h"
#include "ui/setup.h"
#include "ui/sysvar.h"

namespace {

std::vector<u16> W(const std::string &s) {
  std::vector<u16> w(s.begin(), s.end());
  w.push_back(0);
  return w;
}

// A formatted storage memory, a host folder, and main memory filled with
// lists of 999 reals (and a few programs) up to about 60 KB of items.
struct Setup {
  std::string image, host;
  u32 bytes = 0;
  Setup() {
    char tmpl[] = "/tmp/corvanta-bench-XXXXXX";
    ::close(::mkstemp(tmpl));
    image = tmpl;
    host = image + "-host";
    FlsImageOpen(image.c_str());
    Format();
    FileSetHostRoot(host.c_str());
    HostAllocCalcRam();
    McsClearAll();
    SetupResetAll();
    SysClearVariables();
    Value v{};
    for (u8 list = 1; list <= 5; ++list) {
      ItemListCreate(1, list, 999);
      NumFromInt32(list, &v.re);
      for (u32 i = 1; i <= 999; ++i) ItemListSet(1, list, i, &v);
    }
    std::vector<u8> prog(400, '1');  // no password, then the text and its end
    std::fill(prog.begin(), prog.begin() + 10, 0);
    prog.back() = 0;
    for (int i = 0; i < 3; ++i) McsCreateItem("system", std::string("P").append(1, char('A' + i)).c_str(), 0xC7,
                                             static_cast<u32>(prog.size()), prog.data());
    u32 total = 32;
    for (u32 g = 0; g < kMcsGroupCount; ++g) McsCountGroup(McsGroupTitle(g), nullptr, &total);
    bytes = total;
  }
  ~Setup() {
    FlsImageClose();
    ::unlink(image.c_str());
    std::filesystem::remove_all(host);
    FileSetHostRoot(nullptr);
  }
  static void Format() {
    FlsFormat(2);
    FlsResetOpenFiles();
  }
};

Setup &Env() {
  static Setup s;
  return s;
}

void Backup(benchmark::State &state, const char *path, bool storage) {
  Setup &env = Env();
  auto p = W(path);
  for (auto _ : state) {
    if (storage) {
      state.PauseTiming();
      Setup::Format();
      state.ResumeTiming();
    }
    benchmark::DoNotOptimize(McsSaveBackup(p.data(), 1));
  }
  state.SetBytesProcessed(static_cast<i64>(state.iterations()) * env.bytes);
  state.counters["file_bytes"] = env.bytes;
}

void Restore(benchmark::State &state, const char *path, bool storage) {
  Setup &env = Env();
  auto p = W(path);
  if (storage) Setup::Format();
  if (McsSaveBackup(p.data(), 1) != 0) state.SkipWithError("no backup");
  for (auto _ : state)
    if (McsRestoreBackup(p.data()) != 0) state.SkipWithError("the restore failed");
  state.SetBytesProcessed(static_cast<i64>(state.iterations()) * env.bytes);
}

// The same number of bytes written as one new file with the file interface.
void PlainWrite(benchmark::State &state, const char *path, bool storage) {
  Setup &env = Env();
  auto p = W(path);
  std::vector<u8> data(env.bytes, 0x5A);
  for (auto _ : state) {
    state.PauseTiming();
    if (storage) Setup::Format();
    else FileDelete(p.data());
    state.ResumeTiming();
    FileCreate(p.data(), static_cast<i32>(data.size()));
    const i32 h = FileOpen(p.data());
    benchmark::DoNotOptimize(FileWriteAt(h, data.data(), static_cast<i32>(data.size()), 0));
    FileClose(h);
  }
  state.SetBytesProcessed(static_cast<i64>(state.iterations()) * env.bytes);
}

// A plain write that replaces the file already there, as a backup over an
// earlier BACKUP.MCS does: the delete is timed with the write.
void PlainReplace(benchmark::State &state, const char *path) {
  Setup &env = Env();
  auto p = W(path);
  std::vector<u8> data(env.bytes, 0x5A);
  for (auto _ : state) {
    FileDelete(p.data());
    FileCreate(p.data(), static_cast<i32>(data.size()));
    const i32 h = FileOpen(p.data());
    benchmark::DoNotOptimize(FileWriteAt(h, data.data(), static_cast<i32>(data.size()), 0));
    FileClose(h);
  }
  state.SetBytesProcessed(static_cast<i64>(state.iterations()) * env.bytes);
}

// The same bytes written under a temporary name and renamed over the file
// already there, as the backup does so that a failed write never loses the
// earlier file: the filesystem writes the new blocks out before such a
// rename, which a plain write leaves for later.
void PlainSafeReplace(benchmark::State &state, const char *temp, const char *path) {
  Setup &env = Env();
  auto t = W(temp);
  auto p = W(path);
  std::vector<u8> data(env.bytes, 0x5A);
  FileCreate(p.data(), 1);
  for (auto _ : state) {
    FileCreate(t.data(), static_cast<i32>(data.size()));
    const i32 h = FileOpen(t.data());
    benchmark::DoNotOptimize(FileWriteAt(h, data.data(), static_cast<i32>(data.size()), 0));
    FileClose(h);
    FileReplace(t.data(), p.data());
  }
  state.SetBytesProcessed(static_cast<i64>(state.iterations()) * env.bytes);
}

void BM_BackupToStorage(benchmark::State &s) { Backup(s, "\\\\fls0\\BACKUP.MCS", true); }
void BM_BackupToHost(benchmark::State &s) { Backup(s, "C:\\BACKUP.MCS", false); }
void BM_RestoreFromStorage(benchmark::State &s) { Restore(s, "\\\\fls0\\BACKUP.MCS", true); }
void BM_RestoreFromHost(benchmark::State &s) { Restore(s, "C:\\BACKUP.MCS", false); }
void BM_PlainWriteStorage(benchmark::State &s) { PlainWrite(s, "\\\\fls0\\PLAIN.BIN", true); }
void BM_PlainWriteHost(benchmark::State &s) { PlainWrite(s, "C:\\PLAIN.BIN", false); }
void BM_PlainReplaceHost(benchmark::State &s) { PlainReplace(s, "C:\\PLAIN.BIN"); }
void BM_PlainSafeReplaceHost(benchmark::State &s) { PlainSafeReplace(s, "C:\\PLAIN.TMP", "C:\\PLAIN.BIN"); }

BENCHMARK(BM_BackupToStorage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainWriteStorage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BackupToHost)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainWriteHost)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainReplaceHost)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainSafeReplaceHost)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RestoreFromStorage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RestoreFromHost)->Unit(benchmark::kMillisecond);

}  // namespace
