// The menu-group pages the applications build, and that every token the
// evaluator and the interpreter accept can be typed: from a key, a group page
// or the catalog.
#include "ui/fkey_groups.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "data/token_names.h"
#include "eval/eval_table.h"
#include "eval/prog.h"
#include "memory/str.h"
#include "ui/catalog.h"
#include "ui/fkey.h"
#include "kernel/keyqueue.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/setup.h"

namespace {

struct GroupCase {
  const char *name;
  i32 first;
  i32 last;
  u16 variant;
};

// The groups and variants the applications ask for.
const GroupCase kGroups[] = {
    {"OPT 1", kFkeyOptFirst, kFkeyOptLast, 1},          {"OPT 2", kFkeyOptFirst, kFkeyOptLast, 2},
    {"OPT 3", kFkeyOptFirst, kFkeyOptLast, 3},          {"OPT 4", kFkeyOptFirst, kFkeyOptLast, 4},
    {"OPT 6", kFkeyOptFirst, kFkeyOptLast, 6},          {"OPT 9", kFkeyOptFirst, kFkeyOptLast, 9},
    {"VARS 1", kFkeyVarsFirst, kFkeyVarsLast, 1},       {"VARS 2", kFkeyVarsFirst, kFkeyVarsLast, 2},
    {"SHIFT 1", kFkeyShiftFirst, kFkeyShiftLast, 1},    {"SHIFT 2", kFkeyShiftFirst, kFkeyShiftLast, 2},
    {"SHIFT 10", kFkeyShiftFirst, kFkeyShiftLast, 10},  {"PRGM 1", kFkeyShiftVarsFirst, kFkeyShiftVarsLast, 1},
    {"PRGM 3", kFkeyShiftVarsFirst, kFkeyShiftVarsLast, 3}, {"ALPHA 1", kFkeyAlphaFirst, kFkeyAlphaLast, 1},
    {"CLIP 1", kFkeyClipFirst, kFkeyClipLast, 1},       {"CLIP 2", kFkeyClipFirst, kFkeyClipLast, 2},
};

std::string Hex(u32 code) {
  char b[16];
  std::snprintf(b, sizeof b, "%04X", code);
  return b;
}

// Every page reachable from the group's first page, by id.
std::map<i32, const FkeyItem *> Reachable(const GroupCase &g) {
  u32 count = 0;
  const FkeyItem *pages = FkeyGroupPages(g.first, g.variant, &count);
  std::map<i32, const FkeyItem *> seen;
  std::vector<i32> todo = {g.first};
  while (!todo.empty()) {
    const i32 id = todo.back();
    todo.pop_back();
    if (seen.count(id) || id < g.first || id >= g.first + static_cast<i32>(count)) continue;
    seen[id] = pages + 6 * (id - g.first);
    for (int k = 0; k < 6; ++k) {
      const FkeyItem &it = seen[id][k];
      if (it.kind == kFkeySubMenu || it.kind == kFkeySibling) todo.push_back(static_cast<i32>(it.value));
    }
  }
  return seen;
}

TEST(FkeyGroupPages, EveryPageIsReachableLabelledAndTypesNamedTokens) {
  for (const GroupCase &g : kGroups) {
    u32 count = 0;
    const FkeyItem *pages = FkeyGroupPages(g.first, g.variant, &count);
    ASSERT_NE(pages, nullptr) << g.name;
    ASSERT_GE(count, 1u) << g.name;
    EXPECT_LE(g.first + static_cast<i32>(count) - 1, g.last) << g.name << ": pages past the group's ids";
    const auto reach = Reachable(g);
    for (u32 p = 0; p < count; ++p) {
      const i32 id = g.first + static_cast<i32>(p);
      const FkeyItem *page = pages + 6 * p;
      bool used = false;
      for (int k = 0; k < 6; ++k) used |= page[k].kind != kFkeyBlank && page[k].kind != 0xFFFF;
      if (used) {
        EXPECT_TRUE(reach.count(id)) << g.name << ": page " << id << " cannot be reached";
      }
      for (int k = 0; k < 6; ++k) {
        const FkeyItem &it = page[k];
        if (it.kind == kFkeyBlank || (it.kind == 0 && it.icon == 0 && it.value == 0)) continue;
        const std::string where = std::string(g.name) + " page " + std::to_string(id) + " F" + std::to_string(k + 1);
        EXPECT_STRNE(FkeyLabelText(static_cast<u32>(it.icon)), "") << where << ": no caption";
        if (it.kind == kFkeySubMenu || it.kind == kFkeySibling) {
          EXPECT_TRUE(static_cast<i32>(it.value) >= g.first && static_cast<i32>(it.value) < g.first + static_cast<i32>(count))
              << where << ": leads outside the group's pages";
        }
        if (it.kind == kFkeySibling) {
          EXPECT_EQ(k, 5) << where << ": the page turn is on F6";
        }
        if (it.kind == kFkeyInput && it.value >= 0x80) {
          EXPECT_NE(StrTokenNameUtf8(it.value), nullptr) << where << ": types " << Hex(it.value) << ", which has no name";
        }
      }
    }
  }
}

TEST(FkeyGroupPages, PageTurnsComeBackToTheFirstPage) {
  for (const GroupCase &g : kGroups) {
    u32 count = 0;
    const FkeyItem *pages = FkeyGroupPages(g.first, g.variant, &count);
    for (u32 p = 0; p < count; ++p) {
      // Follow F6 from each page that turns: it comes back within count turns.
      if (pages[6 * p + 5].kind != kFkeySibling) continue;
      i32 id = g.first + static_cast<i32>(p);
      u32 turns = 0;
      do {
        const FkeyItem &f6 = pages[6 * (id - g.first) + 5];
        ASSERT_EQ(f6.kind, kFkeySibling) << g.name << " page " << id << " ends a turning run";
        id = static_cast<i32>(f6.value);
      } while (id != g.first + static_cast<i32>(p) && ++turns <= count);
      EXPECT_LE(turns, count) << g.name << " page " << g.first + static_cast<i32>(p);
    }
  }
}

// Every code the keyboard, the group pages or the catalog types.
std::set<u32> TypeableCodes() {
  std::set<u32> codes;
  for (const KeyLayoutRow &k : kKeyLayout) {
    for (const KeyAction &a : {k.plain, k.shift, k.alpha, k.clip}) {
      if (a.kind != kActChar) continue;
      codes.insert(a.code);
      if (a.code >= 'A' && a.code <= 'Z') codes.insert(a.code - 'A' + 'a');  // lower-case alpha
    }
  }
  for (char c = '0'; c <= '9'; ++c) codes.insert(static_cast<u32>(c));
  for (const GroupCase &g : kGroups) {
    u32 count = 0;
    const FkeyItem *pages = FkeyGroupPages(g.first, g.variant, &count);
    for (u32 i = 0; i < 6 * count; ++i)
      if (pages[i].kind == kFkeyInput) codes.insert(pages[i].value);
  }
  for (u32 i = 0; i < CatalogEntryCount(); ++i) codes.insert(CatalogEntryCode(i));
  codes.insert(kChrNewline);  // SHIFT EXE
  return codes;
}

TEST(FkeyGroupPages, EveryNamedTokenCanBeTyped) {
  const std::set<u32> typeable = TypeableCodes();
  for (int i = 0; i < kTokenNameCount; ++i) {
    char name[kStrTokenNameMax];
    StrTokenName(kTokenNames[i].code, name);
    if (name[0] == 0) continue;
    EXPECT_TRUE(typeable.count(kTokenNames[i].code)) << Hex(kTokenNames[i].code) << " " << kTokenNames[i].utf8;
  }
}

// Accepted tokens no key, page or catalog entry of this layer types, each for
// a reason outside it: the hexadecimal digits 10-15 come from the letter keys
// under the Base-N mapping of the screens that read Base-N input; the
// interpreter tokens listed have no display name in the token-name table, so
// neither the catalog nor a page caption can show them.
const std::set<u32> kTypedElsewhere = {
    0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F,                                      // hexadecimal digits
    0xF721, 0xF730, 0xF731, 0xF754, 0xF772,  // unnamed
};

TEST(FkeyGroupPages, EveryTokenTheEvaluatorAndTheInterpreterAcceptCanBeTyped) {
  std::set<u32> typeable = TypeableCodes();
  // The exceptions hold only while they are exceptions.
  for (u32 code : kTypedElsewhere) {
    EXPECT_FALSE(typeable.count(code)) << Hex(code) << " is typeable now: take it off the list";
    if (code >= 0xF700) {
      EXPECT_EQ(StrTokenNameUtf8(code), nullptr) << Hex(code);
    }
  }
  typeable.insert(kTypedElsewhere.begin(), kTypedElsewhere.end());
  // The evaluator's dispatch rows that are not error rows.
  for (int row = 0; row < kEvalTableRows; ++row) {
    const EvalTokenEntry *e = EvalDispatchRow(row);
    if (e == nullptr || e->kind == kEvalKindSystemError || e->kind == kEvalKindSyntaxError) continue;
    const u32 code = row < 256 ? static_cast<u32>(row)
                     : row < 512 ? 0x7F00u | static_cast<u32>(row - 256)
                     : row < 768 ? 0xF900u | static_cast<u32>(row - 512)
                                 : 0xF700u | static_cast<u32>(row - 768);
    if (code < 0x80 && ((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z') || (code >= 'a' && code <= 'z')))
      continue;
    EXPECT_TRUE(typeable.count(code)) << "evaluator row " << row << ": " << Hex(code);
  }
  // The interpreter's statement tokens.
  for (u32 lead : {0u, 0x7Fu, 0xF7u, 0xF9u}) {
    for (u32 b = 1; b < 256; ++b) {
      if (lead == 0 && (b == 0x7F || b == 0xF7 || b == 0xF9 || (b >= 0xE5 && b <= 0xE7))) continue;
      const u8 cls = ProgTokenClass(static_cast<u8>(lead), static_cast<u8>(b));
      if (cls == kProgClsNone || cls == kProgClsExpr) continue;
      const u32 code = lead ? (lead << 8 | b) : b;
      EXPECT_TRUE(typeable.count(code)) << "interpreter class " << int(cls) << ": " << Hex(code);
    }
  }
}

TEST(FkeyGroupPages, KeysReachTokensThroughThePages) {
  struct Case {
    const char *name;
    void (*build)(u16);
    u16 variant;
    std::vector<u32> keys;
    u32 token;
  } cases[] = {
      {"OPTN LIST List", FkeyBuildOptGroup, 1, {kKeyOptn, kKeyF1, kKeyF1}, 0x7F51},
      {"OPTN > > LOGIC And", FkeyBuildOptGroup, 1, {kKeyOptn, kKeyF6, kKeyF6, kKeyF3, kKeyF1}, 0x7FB0},
      {"OPTN > HYP > tanh-1", FkeyBuildOptGroup, 1, {kKeyOptn, kKeyF6, kKeyF1, kKeyF6, kKeyF1}, 0xB3},
      {"VARS V-WIN Xmin", FkeyBuildVarsGroup, 1, {kKeyVars, kKeyF1, kKeyF1}, 0x7F00},
      {"PRGM COM If", FkeyBuildShiftVarsGroup, 1, {kKeyPrgm, kKeyF1, kKeyF1}, 0xF700},
      {"PRGM > REL not equal", FkeyBuildShiftVarsGroup, 1, {kKeyPrgm, kKeyF6, kKeyF3, kKeyF2}, 0x11},
      {"PRGM JUMP jump", FkeyBuildShiftVarsGroup, 1, {kKeyPrgm, kKeyF3, kKeyF3}, 0x13},
  };
  for (const Case &c : cases) {
    SetupResetAll();
    HostSetKeyHook(nullptr);
    HostClearKeyQueue();
    FkeyClearAll();
    FkeyClearStack();
    KeySetMenuMask(0);
    LcdClearVram();
    c.build(c.variant);
    for (u32 k : c.keys) KeyPost(k);
    u32 key = 0;
    // The menu key itself comes back first; then the token.
    EXPECT_EQ(KeyGetKey(&key), 0u) << c.name;
    EXPECT_EQ(KeyGetKey(&key), 1u) << c.name;
    EXPECT_EQ(key, c.token) << c.name;
    HostClearKeyQueue();
  }
}

}  // namespace
