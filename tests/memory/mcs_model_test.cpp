// Random operations on main memory, each checked against a plain reference
// model of folders, items and movable blocks, and against the consistency
// walk. A refused operation must leave the area byte for byte as it was.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "kernel/calc_ram.h"
#include "kernel/heap.h"
#include "memory/mcs_api.h"
#include "memory/mcs_store.h"
#include "tests/memory/mcs_test_util.h"

namespace {

struct ModelItem {
  u8 type;
  u8 flags;
  std::vector<u8> data;
};
using ModelFolder = std::map<std::string, ModelItem>;  // key: the 8-byte name

struct ModelEntry {
  bool used;
  u32 size;
  std::vector<u8> data;
};

struct RefModel {
  std::map<std::string, ModelFolder> folders;
  std::vector<ModelEntry> table;  // index 0 is the topmost entry

  u64 ItemBytes() const {
    u64 n = 0;
    for (const auto &[name, f] : folders)
      for (const auto &[iname, item] : f) n += item.data.size() + 20;
    return n;
  }
  u64 BlockBytes() const {
    u64 n = 8 * table.size();
    for (const ModelEntry &e : table) n += e.used ? e.size : 0;
    return n;
  }
  u32 Free() const { return static_cast<u32>(65536 - 2608 - ItemBytes() - BlockBytes()); }
};

std::string Key(const std::string &name) {
  std::string k = name.substr(0, 8);
  k.resize(8, '\0');
  return k;
}

u32 FlagCode(const ModelItem &item) {
  if (item.flags & kMcsReadOnly) return kMcsReadOnlyItem;
  if (item.flags & (kMcsProtected | kMcsMarked)) return kMcsProtectedItem;
  return 0;
}

u32 Round4(u32 n) { return (n + 3) & ~3u; }

class Runner {
 public:
  explicit Runner(u32 seed) : rng_(seed) {
    for (const char *f : {"main", "@REV1", "@APLWORK", "system", "USER"}) model_.folders[f];
  }

  void Run(int steps) {
    ASSERT_EQ(McsInitArea(), 0u);
    ASSERT_EQ(McsCreateFolder("USER"), 0u);
    for (step_ = 0; step_ < steps; ++step_) {
      const auto before = Snapshot();
      std::string what;
      const u32 expect = Step(&what);
      SCOPED_TRACE("step " + std::to_string(step_) + ": " + what);
      if (expect != 0 && expect != kNoCheck) {
        ASSERT_TRUE(Snapshot() == before) << "a refused operation changed the area";
      }
      u8 folder = 0;
      ASSERT_EQ(McsCheckArea(&folder), 0u) << "folder " << int(folder);
      Compare();
      min_free = std::min(min_free, McsFreeBytes());
      if (::testing::Test::HasFatalFailure()) return;
    }
  }

  int refused = 0, done = 0;
  std::map<u32, int> codes;
  u32 min_free = 99999;

 private:
  static constexpr u32 kNoCheck = 0xFFFFFFFF;
  std::mt19937 rng_;
  RefModel model_;
  std::vector<u32> handles_;  // parallel to the used model entries by handle
  std::map<u32, size_t> entry_of_;  // handle -> model table index
  int step_ = 0;

  static std::vector<u8> Snapshot() { return McsTestSnapshot(); }
  u32 Rand(u32 n) { return std::uniform_int_distribution<u32>(0, n - 1)(rng_); }
  std::string Folder() {
    static const char *const f[] = {"main", "main", "@REV1", "@APLWORK", "system", "USER"};
    return f[Rand(6)];
  }
  std::string Name() {
    static const char *const n[] = {"A", "B", "AB", "ABCDEFGH", "LIST1", "LIST2", "Z", "\xC0", "x", "MAT_A", "q1"};
    return n[Rand(11)];
  }
  u32 Size() {
    switch (Rand(10)) {
      case 0: return 4 * (1 + Rand(3000));
      case 1: return Rand(3) == 0 ? Rand(16) : 4 * Rand(4);
      default: return 4 * (1 + Rand(24));
    }
  }
  std::vector<u8> Data(u32 n) {
    std::vector<u8> v(n);
    for (u8 &b : v) b = static_cast<u8>(Rand(256));
    return v;
  }
  ModelItem *Find(const std::string &folder, const std::string &name) {
    auto &f = model_.folders[folder];
    auto it = f.find(Key(name));
    return it == f.end() ? nullptr : &it->second;
  }
  u32 Count(u32 expect, u32 got, const std::string &what) {
    EXPECT_EQ(got, expect) << what;
    codes[expect]++;
    (expect ? refused : done)++;
    return expect;
  }

  u32 Step(std::string *what) {
    const std::string f = Folder(), n = Name();
    const u32 op = Rand(17);
    switch (op) {
      case 0:
      case 1:
      case 2:
      case 14: {  // create or replace; case 14 fills main memory almost up
        const u32 left = model_.Free();
        const u32 size = op == 14 && left > 100 && Rand(3) == 0 ? left - 20 - 4 * Rand(24) : Size();
        const u8 type = Rand(8) == 0 ? 0xCA : 0x8A;
        const bool with_src = Rand(4) != 0;
        const std::vector<u8> src = Data(size);
        *what = "create " + f + "/" + n + " " + std::to_string(size);
        ModelItem *item = Find(f, n);
        u32 expect = 0;
        if (size == 0 || size % 4) expect = kMcsBadSize;
        else if (item && FlagCode(*item)) expect = FlagCode(*item);
        else if (item && (item->type & 0x40)) expect = kMcsTypeFixed;
        else if (item && size > item->data.size() && size - item->data.size() > model_.Free()) expect = kMcsNoRoomInsert;
        else if (!item && u64{size} + 20 > model_.Free()) expect = kMcsNoRoom;
        const u32 got = McsCreateItem(f.c_str(), n.c_str(), type, size, with_src ? src.data() : nullptr);
        if (!expect) {
          ModelItem &m = model_.folders[f][Key(n)];
          m.type = type;
          m.data = with_src ? src : std::vector<u8>(size, 0);
        }
        return Count(expect, got, *what);
      }
      case 3:
      case 4: {  // store insert
        ModelItem *item = Find(f, n);
        const u32 count = Rand(5) == 0 ? Rand(9) : 4 * Rand(40);
        const u32 offset = item ? Rand(static_cast<u32>(item->data.size()) + 2) : 0;
        const std::vector<u8> src = Data(count);
        *what = "insert " + f + "/" + n + " " + std::to_string(count) + "@" + std::to_string(offset);
        u32 expect = 0;
        if (!item) expect = kMcsNoItem;
        else if (count % 4) expect = kMcsBadSize;
        else if (count == 0) expect = 0;
        else if (FlagCode(*item)) expect = FlagCode(*item);
        else if (count > model_.Free()) expect = kMcsNoRoomInsert;
        else if (offset > item->data.size()) expect = kMcsInsertBeyond;
        const u32 got = McsInsertBytes(f.c_str(), n.c_str(), offset, count, src.data());
        if (!expect && count) item->data.insert(item->data.begin() + offset, src.begin(), src.end());
        return Count(expect, got, *what);
      }
      case 5: {  // store write
        ModelItem *item = Find(f, n);
        const u32 size = item ? static_cast<u32>(item->data.size()) : 8;
        const u32 offset = Rand(size + 2), count = Rand(size + 2);
        const std::vector<u8> src = Data(count);
        *what = "write " + f + "/" + n;
        u32 expect = 0;
        if (!item) expect = kMcsNoItem;
        else if (FlagCode(*item)) expect = FlagCode(*item);
        else if (count > size) expect = kMcsWriteTooBig;
        else if (offset >= size) expect = kMcsWriteOffset;
        else if (offset + count > size) expect = kMcsWritePastEnd;
        const u32 got = McsWriteBytes(f.c_str(), n.c_str(), offset, count, src.data());
        if (!expect && count) std::memcpy(item->data.data() + offset, src.data(), count);
        return expect ? Count(expect, got, *what) : (Count(0, got, *what), kNoCheck);
      }
      case 6: {  // store cut
        ModelItem *item = Find(f, n);
        const u32 size = item ? static_cast<u32>(item->data.size()) : 8;
        const u32 offset = Rand(3) == 0 ? 0 : Rand(size + 2);
        const u32 count = Rand(3) == 0 ? size : (Rand(6) == 0 ? Rand(8) : 4 * Rand(size / 4 + 2));
        *what = "cut " + f + "/" + n;
        u32 expect = 0;
        if (!item) expect = kMcsNoItem;
        else if (count % 4) expect = kMcsCutBadCount;
        else if (FlagCode(*item)) expect = FlagCode(*item);
        else if (offset > size) expect = kMcsCutOffset;
        else if (offset + count > size) expect = kMcsCutPastEnd;
        const u32 got = McsCutBytes(f.c_str(), n.c_str(), offset, count);
        if (!expect && count) {
          if (offset == 0 && count == size) model_.folders[f].erase(Key(n));
          else item->data.erase(item->data.begin() + offset, item->data.begin() + offset + count);
        }
        return Count(expect, got, *what);
      }
      case 7: {  // rename
        const std::string to = Name();
        ModelItem *item = Find(f, n);
        *what = "rename " + f + "/" + n + " to " + to;
        u32 expect = 0;
        if (!item) expect = kMcsNoItem;
        else if (FlagCode(*item)) expect = FlagCode(*item);
        else if (Find(f, to)) expect = kMcsNameTaken;
        else if (item->data.size() + 20 > model_.Free()) expect = kMcsNoRoomMove;
        const u32 got = McsRenameItem(f.c_str(), n.c_str(), to.c_str());
        if (!expect) {
          ModelItem moved = *item;
          model_.folders[f].erase(Key(n));
          model_.folders[f][Key(to)] = moved;
        }
        return Count(expect, got, *what);
      }
      case 8: {  // move
        const std::string tf = Folder(), tn = Name();
        ModelItem *item = Find(f, n);
        ModelItem *target = Find(tf, tn);
        *what = "move " + f + "/" + n + " to " + tf + "/" + tn;
        u32 expect = 0;
        const bool self = f == tf && Key(n) == Key(tn);
        if (!item) expect = kMcsNoItem;
        else if (FlagCode(*item)) expect = FlagCode(*item);
        else if (self) expect = 0;
        else if (item->data.size() + 20 > model_.Free()) expect = kMcsNoRoomMove;
        else if (target && FlagCode(*target)) expect = FlagCode(*target);
        else if (target && (target->type & 0x40)) expect = kMcsTypeFixed;
        const u32 got = McsMoveItem(f.c_str(), n.c_str(), tf.c_str(), tn.c_str());
        if (!expect && !self) {
          ModelItem moved = *item;
          const u8 flags = target ? target->flags : 0;
          model_.folders[f].erase(Key(n));
          moved.flags = flags;
          model_.folders[tf][Key(tn)] = moved;
        }
        return Count(expect, got, *what);
      }
      case 9: {  // delete
        ModelItem *item = Find(f, n);
        *what = "delete " + f + "/" + n;
        u32 expect = !item ? kMcsNoItem : FlagCode(*item);
        const u32 got = McsDeleteItem(f.c_str(), n.c_str());
        if (!expect) model_.folders[f].erase(Key(n));
        return Count(expect, got, *what);
      }
      case 10: {  // flags
        ModelItem *item = Find(f, n);
        const u8 flags = Rand(3) == 0 ? static_cast<u8>(1u << Rand(3)) : 0;
        *what = "flags " + f + "/" + n;
        const u32 got = McsSetItemFlags(f.c_str(), n.c_str(), flags);
        if (item) item->flags = flags;
        EXPECT_EQ(got, item ? 0u : kMcsNoItem);
        return kNoCheck;
      }
      case 11: {  // item interface insert with any count
        ModelItem *item = Find(f, n);
        const u32 count = Rand(13);
        const u32 offset = item ? Rand(static_cast<u32>(item->data.size()) + 2) : 0;
        const std::vector<u8> src = Data(count);
        *what = "insert in folder " + f + "/" + n + " " + std::to_string(count) + "@" + std::to_string(offset);
        u32 expect = 0;
        if (!item) expect = 64;
        else if (count == 0) expect = 0;
        else if (FlagCode(*item)) expect = 64;
        else if (Round4(count) > model_.Free()) expect = 81;
        else if (offset > item->data.size()) expect = 23;
        const u32 got = McsInsertInFolder(f.c_str(), n.c_str(), count, src.data(), offset);
        if (!expect && count) {
          item->data.insert(item->data.begin() + offset, src.begin(), src.end());
          item->data.resize(Round4(static_cast<u32>(item->data.size())), 0);
        }
        return Count(expect, got, *what);
      }
      case 12: {  // item interface write, growing at the end
        ModelItem *item = Find(f, n);
        const u32 size = item ? static_cast<u32>(item->data.size()) : 8;
        const u32 offset = Rand(size + 2), count = Rand(24);
        const std::vector<u8> src = Data(count);
        *what = "write in folder " + f + "/" + n + " " + std::to_string(count) + "@" + std::to_string(offset);
        u32 expect = 0, result = 0;
        const u32 room = size - std::min(offset, size);
        if (!item) expect = 64;
        else if (offset > size) expect = 24;
        else if (room >= count) {
          result = room == count ? 1 : 0;
          if (count && FlagCode(*item)) expect = 64;
        } else {
          result = 2;
          if (FlagCode(*item)) expect = 64;
          else if (Round4(count - room) > model_.Free()) expect = 81;
        }
        const u32 got = McsWriteInFolder(f.c_str(), n.c_str(), count, src.data(), offset);
        if (!expect) {
          if (offset + count > size) item->data.resize(offset + count);
          if (count) std::memcpy(item->data.data() + offset, src.data(), count);
          item->data.resize(Round4(static_cast<u32>(item->data.size())), 0);
          EXPECT_EQ(got, result) << *what;
          done++;
          return kNoCheck;
        }
        return Count(expect, got, *what);
      }
      case 13: {  // item interface cut with any count
        ModelItem *item = Find(f, n);
        const u32 size = item ? static_cast<u32>(item->data.size()) : 8;
        const u32 offset = Rand(4) == 0 ? 0 : Rand(size + 2);
        const u32 count = Rand(4) == 0 ? size : Rand(size + 2);
        *what = "cut in folder " + f + "/" + n + " " + std::to_string(count) + "@" + std::to_string(offset);
        u32 expect = 0;
        if (!item) expect = 64;
        else if (offset > size) expect = 25;
        else if (offset + count > size) expect = 64;
        else if (FlagCode(*item)) expect = 64;
        const u32 got = McsCutInFolder(f.c_str(), n.c_str(), count, offset);
        if (!expect) {
          if (offset == 0 && count == size) {
            *item = ModelItem{0xD4, 0, std::vector<u8>(4, 0)};
          } else {
            item->data.erase(item->data.begin() + offset, item->data.begin() + offset + count);
            item->data.resize(size - (count & ~3u), 0);
          }
        }
        return Count(expect, got, *what);
      }
      default:
        return BlockStep(what);
    }
  }

  u32 BlockStep(std::string *what) {
    const u32 op = Rand(3);
    if (op == 0 || entry_of_.empty()) {
      const u32 size = Rand(6) == 0 ? Rand(12) : 4 * (1 + Rand(Rand(8) == 0 ? 4000 : 64));
      *what = "block alloc " + std::to_string(size);
      const bool fits = size && size % 4 == 0 && u64{size} + 8 <= model_.Free();
      const u32 h = McsBlockAlloc(size);
      EXPECT_EQ(h != 0, fits) << *what;
      if (!fits) return kMcsNoRoom;
      size_t i = 0;
      while (i < model_.table.size() && model_.table[i].used) ++i;
      if (i == model_.table.size()) model_.table.push_back({});
      model_.table[i] = {true, size, std::vector<u8>(size, 0)};
      EXPECT_EQ(h, kMcsAreaAddr + kMcsTableTop - 8 * i) << *what;
      entry_of_[h] = i;
      // Write a pattern so moves of block data are checked.
      const std::vector<u8> d = Data(size);
      std::memcpy(MemDeref(h), d.data(), size);
      model_.table[i].data = d;
      return 0;
    }
    auto it = entry_of_.begin();
    std::advance(it, Rand(static_cast<u32>(entry_of_.size())));
    const u32 h = it->first;
    ModelEntry &e = model_.table[it->second];
    if (op == 1) {
      const u32 size = Rand(6) == 0 ? Rand(12) : 4 * (1 + Rand(Rand(8) == 0 ? 4000 : 64));
      *what = "block realloc " + std::to_string(size);
      const bool ok = size && size % 4 == 0 && (size <= e.size || size - e.size <= model_.Free());
      EXPECT_EQ(McsBlockRealloc(h, size), ok ? h : 0u) << *what;
      if (!ok) return kMcsNoRoom;
      e.data.resize(size, 0);
      e.size = size;
      return 0;
    }
    *what = "block free";
    McsBlockFree(h);
    const size_t i = it->second;
    entry_of_.erase(it);
    // The lowest block's entry goes, with the free entries above it.
    bool lowest = true;
    for (size_t j = i + 1; j < model_.table.size(); ++j) lowest = lowest && !model_.table[j].used;
    model_.table[i].used = false;
    model_.table[i].data.clear();
    if (lowest) {
      model_.table.resize(i + 1);
      while (!model_.table.empty() && !model_.table.back().used) model_.table.pop_back();
    }
    return 0;
  }

  void Compare() {
    for (const auto &[fname, folder] : model_.folders) {
      McsFolderRecord *f;
      ASSERT_EQ(McsFindFolder(fname.c_str(), &f, nullptr), 0u);
      ASSERT_EQ(f->count, folder.size()) << fname;
      const McsItemRecord *items = McsFolderItems(f);
      size_t j = 0;
      for (const auto &[key, item] : folder) {
        const McsItemRecord &r = items[j++];
        ASSERT_EQ(std::string(r.name, 8), key) << fname;
        EXPECT_EQ(r.type, item.type) << fname << "/" << key;
        EXPECT_EQ(r.flags, item.flags) << fname << "/" << key;
        ASSERT_EQ(r.size, item.data.size()) << fname << "/" << key;
        const u8 *data = McsFolderDataStart(r.folder) - 20 * f->count + r.offset;
        ASSERT_EQ(std::memcmp(data, item.data.data(), r.size), 0) << fname << "/" << key;
      }
    }
    EXPECT_EQ(McsFreeBytes(), model_.Free());
    EXPECT_EQ(McsBlockRegionSize(), model_.BlockBytes());
    for (const auto &[h, i] : entry_of_) {
      const ModelEntry &e = model_.table[i];
      ASSERT_EQ(std::memcmp(MemDeref(h), e.data.data(), e.size), 0) << "block " << i;
    }
  }
};

class ModelRun : public ::testing::TestWithParam<u32> {
 protected:
  void SetUp() override { ASSERT_EQ(HostAllocCalcRam(), 1u); }
  void TearDown() override { HostFreeCalcRam(); }
};

TEST_P(ModelRun, RandomOperationsMatchTheReferenceModel) {
  Runner runner(GetParam());
  runner.Run(8000);
  // The mix reaches the successful paths, and main memory runs full often
  // enough for every operation's no-room refusal.
  EXPECT_GT(runner.done, 500);
  for (u32 code : {kMcsNoRoomInsert, kMcsNoRoom, kMcsNoRoomMove, 81u})
    EXPECT_GT(runner.codes[code], 0) << code;
  EXPECT_EQ(runner.min_free, 0u);
}

INSTANTIATE_TEST_SUITE_P(Seeds, ModelRun, ::testing::Values(1u, 2u, 3u, 20261210u));

}  // namespace
