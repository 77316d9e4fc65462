#include "ui/msg.h"

#include <cstring>

#include "ui/font.h"

extern const char *const kMsgTexts_en[kMsgCount];
extern const char *const kMsgTexts_es[kMsgCount];
extern const char *const kMsgTexts_de[kMsgCount];
extern const char *const kMsgTexts_fr[kMsgCount];
extern const char *const kMsgTexts_pt[kMsgCount];

namespace {

const char *GetEnglish(i32 id) { return kMsgTexts_en[id]; }
const char *GetSpanish(i32 id) { return kMsgTexts_es[id]; }
const char *GetGerman(i32 id) { return kMsgTexts_de[id]; }
const char *GetFrench(i32 id) { return kMsgTexts_fr[id]; }
const char *GetPortuguese(i32 id) { return kMsgTexts_pt[id]; }

constexpr MsgBlock MakeBlock(MsgGetter getter, const char *const *texts) {
  return MsgBlock{{'T', 'Z', '8', '4', '1', 0, 0, 0}, 0x100, kMsgLowestId, kMsgHighestId, 0, getter, texts};
}

const MsgBlock kBlocks[kMsgLanguageCount] = {
    MakeBlock(GetEnglish, kMsgTexts_en), MakeBlock(GetSpanish, kMsgTexts_es),
    MakeBlock(GetGerman, kMsgTexts_de),  MakeBlock(GetFrench, kMsgTexts_fr),
    MakeBlock(GetPortuguese, kMsgTexts_pt),
};

// Selection state: English until something else is chosen.
i32 g_language = kMsgEnglish;
const MsgBlock *g_block = &kBlocks[kMsgEnglish];
i32 g_alt_language = 0;
MsgGetter g_last_getter = nullptr;

}  // namespace

i32 MsgLanguageCount() { return kMsgLanguageCount; }
i32 MsgAltLanguageCount() { return 1; }

const MsgBlock *MsgLanguageBlock(i32 n) {
  return n >= 0 && n < kMsgLanguageCount ? &kBlocks[n] : nullptr;
}

const MsgBlock *MsgAltLanguageBlock(i32) { return nullptr; }

const MsgBlock *MsgSelectDefaultLanguage() {
  g_language = kMsgEnglish;
  g_block = &kBlocks[kMsgEnglish];
  return g_block;
}

i32 MsgSelectLanguage(i32 n) {
  const MsgBlock *b = MsgLanguageBlock(n);
  if (!b) return 0;
  g_language = n;
  g_block = b;
  return 1;
}

i32 MsgGetLanguage() { return g_language; }

void MsgResetAltLanguage() { g_alt_language = 0; }
i32 MsgSelectAltLanguage(i32) { return 0; }
i32 MsgGetAltLanguage() { return g_alt_language; }

i32 MsgGetText(i32 id, const char **out) {
  if (!out || g_language < 0 || !g_block) return 0;
  if (id < g_block->lowest_id || id > g_block->highest_id) return 0;
  g_last_getter = g_block->getter;
  *out = g_last_getter(id);
  return 1;
}

i32 MsgGetAltText(i32, const char **) { return 0; }

i32 MsgGetLanguageInfo(i32 n, MsgLanguageInfo *out) {
  if (!out || !MsgLanguageBlock(n) || !g_block) return 0;
  out->version = static_cast<i16>(g_block->version);
  out->lowest_id = g_block->lowest_id;
  out->highest_id = g_block->highest_id;
  std::memcpy(out->name, g_block->model, 8);
  out->name[8] = 0;
  return 1;
}

i32 MsgGetAltLanguageInfo(i32, MsgLanguageInfo *) { return 0; }

char *MsgText(i32 id, char *dst, size_t capacity) {
  const char *text = nullptr;
  if (!dst || capacity == 0 || !MsgGetText(id, &text)) return nullptr;
  size_t n = 0;
  for (;;) {
    int len = 0;
    FontReadChar(text + n, &len);
    if (len == 0 || n + static_cast<size_t>(len) >= capacity) break;
    n += static_cast<size_t>(len);
  }
  std::memcpy(dst, text, n);
  dst[n] = 0;
  return dst;
}

void MsgTextPlain(i32 id, char *out, u32 size) {
  if (size == 0) return;
  char raw[64];
  if (!MsgText(id, raw)) raw[0] = 0;
  u32 n = 0;
  for (const char *p = raw; *p && n + 1 < size; ++p) {
    if (static_cast<u8>(p[0]) == 0xF9 && static_cast<u8>(p[1]) == 0xC9) {
      ++p;
      continue;
    }
    out[n++] = *p;
  }
  while (n > 0 && out[n - 1] == ' ') --n;
  out[n] = 0;
}
