#include "memory/item_clip.h"

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "kernel/host.h"
#include "memory/mcs_api.h"
#include "memory/mcs_store.h"
#include "ui/charset.h"
#include "ui/mprint.h"

namespace {

constexpr const char *kFolder = "@REV2";
constexpr const char *kClip = "CLIP";
constexpr const char *kNatClip = "NAT_CLIP";
constexpr u32 kNoRoom = 48;

// The UTF-8 text the calculator last put on the PC clipboard.
std::string g_last_put;

u8 ClipType() { return McsKindToType(kMcsKindRev2); }

// Writes one clipboard item: the text, its terminator, zeros up to a
// multiple of 4. The item's type is one that creating cannot replace, so an
// existing item is resized and overwritten; on failure it is left as it was.
u32 WriteItem(const char *name, const char *text, u32 n) {
  const u32 size = (n + 1 + 3) & ~3u;
  u32 old = 0;
  if (McsFindItem(kFolder, name, nullptr, nullptr, nullptr, &old) != 0) {
    return McsCreateItemFrom(kFolder, name, ClipType(), size, text, n);
  }
  if (size > old) {
    if (u32 r = McsInsertBytesFrom(kFolder, name, 0, size - old, nullptr, 0)) return r;
  } else if (size < old) {
    if (u32 r = McsCutBytes(kFolder, name, 0, old - size)) return r;
  }
  std::vector<char> padded(size, '\0');
  if (n != 0) std::memcpy(padded.data(), text, n);
  return McsWriteBytes(kFolder, name, 0, size, padded.data());
}

// The code a failed store gives the caller: 48 when main memory has no room,
// else the store's own cause as an application code.
u32 ClipError(u32 store_code) {
  switch (store_code) {
    case kMcsNoRoomInsert:
    case kMcsNoRoom:
    case kMcsNoRoomMove:
    case kMcsFolderFull:
    case kMcsNoFolderSlot:
      return kNoRoom;
    default:
      return McsMapError(store_code);
  }
}

// The refusal an existing item's flags give a change (0 when there is no
// such item or it may change).
u32 ItemRefusal(const char *name) {
  u8 flags = 0;
  if (McsGetItemFlags(kFolder, name, &flags) != 0) return 0;
  return McsFlagError(flags);
}

// Stores the n bytes of text as both items; the PC clipboard is not touched.
// The text may lie in main memory itself (even in "CLIP"): it is taken aside
// first, as writing the first item can move it. A read-only or protected
// item refuses the text before anything changes.
u32 StoreBoth(const char *bytes, u32 n) {
  if (n >= kMcsAreaSize) return kNoRoom;
  const std::vector<char> copy(bytes, bytes + n);
  const char *text = copy.data();
  if (McsFindFolder(kFolder, nullptr, nullptr) != 0) {
    if (u32 r = McsCreateFolder(kFolder)) return ClipError(r);
  }
  for (const char *name : {kClip, kNatClip})
    if (u32 r = ItemRefusal(name)) return ClipError(r);
  if (u32 r = WriteItem(kClip, text, n)) return ClipError(r);
  if (WriteItem(kNatClip, text, n) != 0) {
    // No room for the second copy: an older "NAT_CLIP" must not outlive the
    // new text; when there is none, nothing is left to remove.
    u32 size = 0;
    if (McsFindItem(kFolder, kNatClip, nullptr, nullptr, nullptr, &size) == 0) {
      if (u32 r = McsDeleteItem(kFolder, kNatClip)) return ClipError(r);
    }
  }
  return 0;
}

u32 TextLength(const char *bytes, u32 length) {
  if (bytes == nullptr) return 0;
  const void *zero = std::memchr(bytes, 0, length);
  return zero != nullptr ? static_cast<u32>(static_cast<const char *>(zero) - bytes) : length;
}

// The text of "CLIP" and its length before the terminator, from one lookup;
// null and 0 when there is none.
const char *ClipText(u32 *length) {
  u8 *data = nullptr;
  u32 size = 0;
  if (McsFindItem(kFolder, kClip, nullptr, nullptr, &data, &size) != 0) {
    *length = 0;
    return nullptr;
  }
  const char *text = reinterpret_cast<const char *>(data);
  *length = TextLength(text, size);
  return text;
}

}  // namespace

const char *ItemClipData() {
  u32 n = 0;
  return ClipText(&n);
}

u32 ItemClipLength() {
  u32 n = 0;
  ClipText(&n);
  return n;
}

u32 ItemClipStore(const char *bytes, u32 length) {
  if (u32 r = StoreBoth(bytes, TextLength(bytes, length))) return r;
  ItemClipToHost();
  return 0;
}

void ItemClipToHost() {
  u32 n = 0;
  const char *text = ClipText(&n);
  if (text == nullptr) return;
  std::vector<char> utf8(static_cast<size_t>(n) * kCharsetUtf8PerChar + 1);
  CharsetToUtf8(text, n, utf8.data(), static_cast<u32>(utf8.size()));
  g_last_put = utf8.data();
  HostClipboardPut(utf8.data());
}

u32 ItemClipFromHost() {
  // The longest reading of one calculator character takes a few UTF-8 bytes,
  // so this much PC text always fills the calculator text's bound.
  std::vector<char> utf8(static_cast<size_t>(kItemClipHostMax) * kCharsetUtf8PerChar + 1);
  const u32 got = HostClipboardGet(utf8.data(), static_cast<u32>(utf8.size()));
  if (got == 0) return 0;
  if (g_last_put.size() == got && std::memcmp(g_last_put.data(), utf8.data(), got) == 0) return 0;
  std::vector<char> text(kItemClipHostMax);
  const u32 n = CharsetFromUtf8(utf8.data(), got, text.data(), kItemClipHostMax);
  return StoreBoth(text.data(), n);
}

u32 ItemClipStorePair(const char *natural, u32 length) {
  const u32 n = TextLength(natural, length);
  if (n >= kMcsAreaSize) return kNoRoom;
  // Taken aside first: the text may lie in main memory itself.
  std::vector<u8> text(n + 1, 0);
  if (n != 0) std::memcpy(text.data(), natural, n);
  std::vector<u8> linear(kItemClipHostMax);
  const i32 got = MprintToLinear(text.data(), linear.data(), kItemClipHostMax, 0, kMprLinearWhole);
  if (got < 0) return kNoRoom;
  if (McsFindFolder(kFolder, nullptr, nullptr) != 0) {
    if (u32 r = McsCreateFolder(kFolder)) return ClipError(r);
  }
  for (const char *name : {kClip, kNatClip})
    if (u32 r = ItemRefusal(name)) return ClipError(r);
  if (u32 r = WriteItem(kClip, reinterpret_cast<const char *>(linear.data()), static_cast<u32>(got)))
    return ClipError(r);
  if (WriteItem(kNatClip, reinterpret_cast<const char *>(text.data()), n) != 0) {
    if (u32 r = McsDeleteItem(kFolder, kNatClip)) return ClipError(r);
  }
  ItemClipToHost();
  return 0;
}
