// Message texts in five languages.
//
// Every text the user reads is fetched by its number (0..718) from the block
// of the selected language; the numbering is the same in every language.
// Texts are zero-terminated strings in the calculator's character set; most
// begin with layout codes and are blank-padded to a fixed width. The blocks
// are built from data/msg/*.txt.
#pragma once
#include <cstddef>

#include "kernel/types.h"

constexpr i32 kMsgCount = 719;
constexpr i32 kMsgLowestId = 0;
constexpr i32 kMsgHighestId = 718;

enum MsgLanguage : i32 {
  kMsgEnglish = 0,
  kMsgSpanish = 1,
  kMsgGerman = 2,
  kMsgFrench = 3,
  kMsgPortuguese = 4,
};
constexpr i32 kMsgLanguageCount = 5;

using MsgGetter = const char *(*)(i32 id);

// A language block: header and the 719 texts, message n at position n.
struct MsgBlock {
  char model[8];  // the system's model word, zero-padded; never shown
  u16 version;    // 0x100
  i16 lowest_id;  // 0
  i16 highest_id; // 718
  u16 reserved;   // 0
  MsgGetter getter;
  const char *const *texts;
};

struct MsgLanguageInfo {
  i16 version;
  i16 lowest_id;
  i16 highest_id;
  char name[9];  // the model word and a terminating 0
};

i32 MsgLanguageCount();     // 5
i32 MsgAltLanguageCount();  // 1: the add-in language set, which has no blocks
// Block n for 0 <= n < 5, else null.
const MsgBlock *MsgLanguageBlock(i32 n);
const MsgBlock *MsgAltLanguageBlock(i32 n);  // always null
// Selects English and returns its block.
const MsgBlock *MsgSelectDefaultLanguage();
// Selects language n and returns 1; 0 keeping the selection when it does not exist.
i32 MsgSelectLanguage(i32 n);
i32 MsgGetLanguage();
// The add-in language set: reset to its built-in default (index 0); selecting
// always fails as no block exists.
void MsgResetAltLanguage();
i32 MsgSelectAltLanguage(i32 n);
i32 MsgGetAltLanguage();

// Message id of the selected language: stores the text's address into *out
// and returns 1; returns 0 leaving *out unchanged for an id outside 0..718.
i32 MsgGetText(i32 id, const char **out);
// The same in the add-in set: always 0.
i32 MsgGetAltText(i32 id, const char **out);
// Fills info from the selected block's header and returns 1 when language n
// exists; 0 otherwise.
i32 MsgGetLanguageInfo(i32 n, MsgLanguageInfo *out);
i32 MsgGetAltLanguageInfo(i32 n, MsgLanguageInfo *out);

// Copies message id of the selected language into dst, which holds capacity
// bytes, and returns dst. A text longer than dst is cut at a character
// boundary so the copy always ends in 0. Returns null leaving dst untouched
// for an id without a text, a null dst or no capacity.
char *MsgText(i32 id, char *dst, size_t capacity);
template <size_t N>
char *MsgText(i32 id, char (&dst)[N]) {
  return MsgText(id, dst, N);
}
// Message id as plain text for a screen row: the layout codes (0xF9 0xC9)
// left out and the trailing blanks dropped; empty for an id without a text.
void MsgTextPlain(i32 id, char *out, u32 size);
