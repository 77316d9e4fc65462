// The item store: a sequence of item, folder and clipboard operations from
// the input. After each one the store's consistency walk passes, and an
// operation that fails leaves every byte of the store as it was.
#include <cstring>
#include <vector>

#include "fuzz/fresh_memory.h"
#include "fuzz/fuzz_util.h"
#include "kernel/calc_ram.h"
#include "kernel/heap.h"
#include "memory/item_clip.h"
#include "memory/mcs_api.h"
#include "memory/mcs_store.h"

namespace {

std::vector<u8> Snapshot() { return std::vector<u8>(McsAreaAddress(), McsAreaAddress() + kMcsAreaSize); }

const char *const kFolders[] = {"main", "@REV2", "F1", "F2", "system", ""};
const char *const kItems[] = {"A", "B", "LONGNAME", "CLIP", "NAT_CLIP", "x"};

template <size_t N>
const char *Pick(const char *const (&names)[N], u8 b) {
  return names[b % N];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzz::ClearMainMemory();
  fuzz::Reader in(data, size);
  static u8 buf[0x8000];
  for (int step = 0; step < 40 && !in.Empty(); ++step) {
    const u8 op = in.Byte();
    const char *folder = Pick(kFolders, in.Byte());
    const char *name = Pick(kItems, in.Byte());
    const char *other = Pick(kItems, in.Byte());
    const char *folder2 = Pick(kFolders, in.Byte());
    u32 count = in.Word();
    const u32 offset = in.Word() % 0x2000;
    // Large sizes now and then, to meet a full memory.
    count = (op & 0x80) ? count * 4 : count % 0x1000;
    for (u32 i = 0; i < sizeof buf; ++i) buf[i] = static_cast<u8>(op + i);
    const std::vector<u8> before = Snapshot();
    u32 r = 0;
    bool checksUnchanged = true;
    switch (op % 22) {
      case 0: r = McsCreateItem(folder, name, in.Byte(), (count & ~3u) % sizeof buf, buf); break;
      case 1: r = McsCreateItemFrom(folder, name, in.Byte(), count & ~3u, buf, count % 64); break;
      case 2: r = McsDeleteItem(folder, name); break;
      case 3: r = McsInsertBytes(folder, name, offset, (count & ~3u) % sizeof buf, buf); break;
      case 4: r = McsInsertFill(folder, name, offset, count & ~3u, op); break;
      case 5: r = McsWriteBytes(folder, name, offset, count % sizeof buf, buf); break;
      case 6: r = McsCutBytes(folder, name, offset, count); break;
      case 7: r = McsReadBytes(folder, name, offset, count % sizeof buf, buf); break;
      case 8: r = McsCopyItem(folder, name, folder2, other); break;
      case 9: r = McsMoveItem(folder, name, folder2, other); break;
      case 10: r = McsRenameItem(folder, name, other); break;
      case 11: r = McsSetItemFlags(folder, name, in.Byte() & 7); break;
      case 12: r = (op & 0x40) ? McsLockItem(folder, name) : McsUnlockItem(folder, name); break;
      case 13: r = (op & 0x40) ? McsProtectItem(folder, name) : McsUnprotectItem(folder, name); break;
      case 14: r = McsCreateFolder(folder2); break;
      case 15: r = McsDeleteFolder(folder2); break;
      case 16: r = McsRenameFolder(folder, folder2); break;
      case 17: r = (op & 0x40) ? McsLockFolder(folder) : McsUnlockFolder(folder); break;
      case 18: r = McsSelectFolder(folder); break;
      case 19: {
        // The clipboard's two items, from text of the input's length.
        const u32 n = count % 300;
        for (u32 i = 0; i < n; ++i) buf[i] = static_cast<u8>('a' + i % 26);
        std::vector<u8> before;
        {
          u8 *old = nullptr;
          u32 oldSize = 0;
          if (McsFindItem("@REV2", "CLIP", nullptr, nullptr, &old, &oldSize) == 0) before.assign(old, old + oldSize);
        }
        r = ItemClipStore(reinterpret_cast<const char *>(buf), n);
        // A refusal stores nothing: "CLIP" is as it was.
        if (r != 0) {
          u8 *now = nullptr;
          u32 nowSize = 0;
          std::vector<u8> after;
          if (McsFindItem("@REV2", "CLIP", nullptr, nullptr, &now, &nowSize) == 0) after.assign(now, now + nowSize);
          FUZZ_CHECK(after == before, "a refused store changed CLIP");
        }
        // Stored: "NAT_CLIP" holds the same text as "CLIP" or is gone, never
        // an older one.
        if (r == 0) {
          u8 *clip = nullptr, *nat = nullptr;
          u32 clipSize = 0, natSize = 0;
          FUZZ_CHECK(McsFindItem("@REV2", "CLIP", nullptr, nullptr, &clip, &clipSize) == 0, "no CLIP");
          if (McsFindItem("@REV2", "NAT_CLIP", nullptr, nullptr, &nat, &natSize) == 0)
            FUZZ_CHECK(natSize == clipSize && std::memcmp(nat, clip, clipSize) == 0, "NAT_CLIP differs from CLIP");
        }
        break;
      }
      case 20: {
        // The clipboard text read back lies inside its item, whatever bytes
        // another writer left there; and it goes to the PC as UTF-8.
        const char *text = ItemClipData();
        const u32 n = ItemClipLength();
        u8 *item = nullptr;
        u32 itemSize = 0;
        if (text) {
          FUZZ_CHECK(McsFindItem("@REV2", "CLIP", nullptr, nullptr, &item, &itemSize) == 0, "CLIP vanished");
          FUZZ_CHECK(reinterpret_cast<const u8 *>(text) == item && n <= itemSize, "CLIP text outside its item");
        }
        ItemClipToHost();
        checksUnchanged = false;
        break;
      }
      default: {
        char out[9];
        r = McsFindNearest(folder, name, offset % 9, out);
        checksUnchanged = false;
        break;
      }
    }
    u8 bad = 0;
    FUZZ_CHECK(McsCheckArea(&bad) == 0u, "the store is inconsistent after operation %d (folder %d)", op % 22, bad);
    if (r != 0 && checksUnchanged)
      FUZZ_CHECK(Snapshot() == before, "operation %d failed with %u yet changed the store", op % 22, r);
  }
  MemFreeAll();
  return 0;
}
