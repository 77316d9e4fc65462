// The program editor: the token text of one program item edited in place
// over six text rows, with the command pages, CLIP copy, cut and paste and
// a forward text search. Every change is made on the item at once, so
// leaving the editor needs no write-back.
#include <cstdlib>
#include <initializer_list>
#include <cstring>
#include <vector>

#include "apps/calc/prog_list.h"
#include "apps/calc/runmat.h"
#include "apps/calc/runmat_glue.h"
#include "memory/item_clip.h"
#include "memory/mcs_api.h"
#include "memory/str.h"
#include "ui/catalog.h"
#include "ui/edit.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/msg.h"
#include "ui/setup.h"
#include "ui/text.h"

namespace {

constexpr i32 kErrNotFound = 21;
constexpr i32 kErrMemoryFull = 13;
constexpr u32 kItemMax = 65508;
constexpr u32 kRows = 6;
constexpr u32 kCols = 21;

// Page codes of the editor's pages.
enum EditCode : u32 { kCodeSearch = 1, kCodeTop = 3, kCodeBottom = 4, kCodeSearchAgain = 25, kCodeCase = 30, kCodeChar = 34 };

struct ProgEditView {
  char name[9];
  u8 base_n;
  u32 pos;  // 1-based byte position of the cursor; text length + 1 at the end
  u32 top;  // first shown screen row, 1-based
  u32 clip;
  u32 clip_start;
  u32 item_error;
  u32 pasting;
  u32 matching;
  u8 search[kEditLineMax + 1];
  ProgList *list;
};

// ---- the menu table ----

// Pages of menus 20-88: "label!code" gives a key code, "label>menu" opens a
// menu, "label~menu" changes to a sibling menu, "label=hex" types a token,
// "-" is an empty place.
const char *const kMenuTable[] = {
    "TOP!3|BTM!4|SRC!1|MENU>22|Aa!30|CHAR!34",
    "'=27|\"=22|~=7E|*=2A|/=2F|#=23",
    "STAT>24|MAT>25|LIST>26|GRPH>27|DYNA>28|>~23",
    "TABL>29|RECR>30|-|-|-|>~22",
    "DRAW>31|GRPH>32|List=7F51|MARK>38|-|CALC>40",
    "Swap=7F45|*Rw=7F42|*Rw+=7F43|Rw+=7F44|-|-",
    "Srt-A=F7B0|Srt-D=F7B1|-|-|-|-",
    "SEL>43|-|TYPE>44|STYLE>46|GMEM>47|-",
    "On=F7CA|Off=F7DA|Var=F780|TYPE>48|-|-",
    "On=F7C9|Off=F7D9|TYPE>48|STYLE>46|-|-",
    "SEL+S>49|-|TYPE>50|n.an...>51|RANG>82|-",
    "On=F7CC|Off=F7DC|-|-|-|-",
    "GRH1=F74A|GRH2=F74B|GRH3=F74C|Scat=F750|xy=F751|>~33",
    "Hist=F752|Box=F753|-|N-Dis=F755|Brkn=F756|>~34",
    "X=F757|Med=F758|X^2=F759|X^3=F75A|X^4=F75B|>~35",
    "Log=F75C|Exp=F75D|Pwr=F75E|Sin=F733|NPP=F732|>~36",
    "Lgst=F735|-|-|-|-|>~32",
    "Dec=F901|hex=F902|bin=F903|oct=F904|-|-",
    "-=F74D|-=F74E|-=F74F|-|-|-",
    "d/c=F7CE|ab/c=F7CD|-|-|-|-",
    "1VAR=F740|2VAR=F741|-|-|-|>~41",
    "X=F742|Med=F743|X^2=F744|X^3=F745|X^4=F746|>~42",
    "Log=F747|Exp=F748|Pwr=F749|Sin=F734|Lgst=F736|>~40",
    "On=F7C8|Off=F7D8|-|-|-|-",
    "Y==F763|r==F764|Parm=F765|x=c=F767|-|>~45",
    "Y>=F76A|Y<=F76B|Y>==F76C|Y<==F76D|-|>~44",
    "Line=F73C|Line=F73D|Line=F73E|Line=F73F|-|-",
    "Sto=F795|Rcl=F796|-|-|-|-",
    "Y==F763|r==F764|Parm=F765|-|-|-",
    "On=F7CB|Off=F7DB|Line=F73C|Line=F73D|Line=F73E|Line=F73F",
    "an=F790|an+1=F791|an+2=F792|-|-|-",
    "n=7FA3|an=7FA0|an+1=7FA1|bn=7FA7|bn+1=7FA8|>~83",
    "TOP!3|BTM!4|SRC!1|MENU>53|Aa!30|SYBL>21",
    "d~o>54|LOG>55|DISP>37|-|-|-",
    "d=94|h=84|b=B4|o=A4|-|-",
    "Neg=B7|Not=A7|and=BA|or=AA|xor=9A|xnor=8A",
    "V-Win=EB|Sto=F797|Rcl=F798|-|-|-",
    "ANGL>61|COOR>62|GRID>63|AXES>64|LABL>65|>~58",
    "DISP>66|S/L>67|DRAW>68|DERV>69|BACK>70|>~59",
    "FUNC>71|SIML>72|S-WIN>73|LIST>74|LOCS>75|>~60",
    "T-VAR>76|-->78|RESID>79|CPLX>84|FRAC>39|>~85",
    "Deg=DA|Rad=DB|Gra=DC|-|-|-",
    "On=F7C3|Off=F7D3|-|-|-|-",
    "On=F77D|Off=F77A|-|-|-|-",
    "On=F7C2|Off=F7D2|-|-|-|-",
    "On=F7C4|Off=F7D4|-|-|-|-",
    "Fix=E3|Sci=E4|Norm=D9|ENG>77|-|-",
    "Line=F79C|Line=F79D|Line=F79E|Line=F79F|-|-",
    "Con=F770|Plot=F771|-|-|-|-",
    "On=F7C5|Off=F7D5|-|-|-|-",
    "None=F778|Pict=F779|-|-|-|-",
    "On=F7C0|Off=F7D0|-|-|-|-",
    "On=F7C1|Off=F7D1|-|-|-|-",
    "Auto=F760|Man=F761|-|-|-|-",
    "File=F91C|-|-|-|-|-",
    "On=F7C6|Off=F7D6|-|-|-|-",
    "Rang=F788|List=F91D|-|-|-|-",
    "On=F90B|Off=F90C|Eng=DD|-|-|-",
    "On=F7C7|Off=F7D7|-|-|-|-",
    "None=F776|List=F777|-|-|-|-",
    "Dec=D4|Hex=D5|Bin=D6|Oct=D7|-|-",
    "-|-|-|-|Aa!30|CHAR!34",
    "a0=7FA4|a1=7FA5|-|-|-|-",
    "cn=F912|cn+1=F913|-|-|-|>~51",
    "Real=F908|a+bi=F909|-=F90A|-|-|-",
    "Y-SPD>86|-|-|-|-|>~57",
    "Norm=F7BE|High=F7BF|-|-|-|-",
    "SRC!25|-|-|-|-|-",
    "-|-|-|-|Aa!30|SYBL>21",
};
constexpr i32 kMenuFirst = 20;
constexpr i32 kMenuCount = sizeof kMenuTable / sizeof kMenuTable[0];
static_assert(kMenuCount == 69);

FkeyItem g_pages[kMenuCount][6];
bool g_pages_built = false;

// The icon whose caption is the label; 0 when none has it.
i16 IconOf(const char *label, size_t n) {
  for (u32 i = 1; i < 1014; ++i) {
    const char *t = FkeyLabelText(i);
    if (std::strlen(t) == n && std::strncmp(t, label, n) == 0) return static_cast<i16>(i);
  }
  return 0;
}

void BuildPages() {
  if (g_pages_built) return;
  for (i32 m = 0; m < kMenuCount; ++m) {
    const char *p = kMenuTable[m];
    for (i32 k = 0; k < 6; ++k) {
      const char *end = std::strchr(p, '|');
      if (!end) end = p + std::strlen(p);
      FkeyItem item{0, kFkeyBlank, 0};
      // The operator is the first of = ! > ~ after the label's first byte.
      const char *op = p + 1;
      while (op < end && *op != '=' && *op != '!' && *op != '>' && *op != '~') ++op;
      if (op < end) {
        const u32 value = static_cast<u32>(std::strtoul(op + 1, nullptr, *op == '=' ? 16 : 10));
        const i16 icon = IconOf(p, static_cast<size_t>(op - p));
        switch (*op) {
          case '=': item = {icon, kFkeyInput, value}; break;
          case '!': item = {icon, kFkeyKeyCode, value}; break;
          case '>': item = {icon, kFkeySubMenu, value}; break;
          default: item = {icon, kFkeySibling, value}; break;
        }
      }
      g_pages[m][k] = item;
      p = *end ? end + 1 : end;
    }
  }
  g_pages_built = true;
}

// ---- the text ----

const u8 *Text(const ProgEditView *v, u32 *len) { return ProgItemText(v->name, len); }

u32 WidthAt(const u8 *t, u32 len, u32 i) { return (i + 1 < len && StrIsLeadByte(t[i])) ? 2 : 1; }
u32 CodeAt(const u8 *t, u32 len, u32 i) {
  return WidthAt(t, len, i) == 2 ? (u32(t[i]) << 8 | t[i + 1]) : t[i];
}

// The start of the character before byte index i (0-based).
u32 PrevStart(const u8 *t, u32 len, u32 i) {
  u32 prev = 0;
  for (u32 j = 0; j < i && j < len; j += WidthAt(t, len, j)) prev = j;
  return prev;
}

// Walks the screen layout of the whole text. For each character start it
// calls at(pos, row, col); for each shown cell cell(pos, row, col, bytes).
// The end of the text is reported to at() as position len + 1.
template <class At, class Cell>
void Walk(const u8 *t, u32 len, At at, Cell cell) {
  u32 row = 1, col = 1;
  for (u32 i = 0; i < len;) {
    if (col > kCols) {
      ++row;
      col = 1;
    }
    const u32 w = WidthAt(t, len, i);
    const u32 code = CodeAt(t, len, i);
    if (!at(i + 1, row, col)) return;
    if (code == 13) {
      ++row;
      col = 1;
      i += w;
      continue;
    }
    char name[kStrTokenNameMax];
    EditCharColumns(static_cast<u16>(code), name);
    for (const char *p = name; *p; p = StrNextChar(p)) {
      if (col > kCols) {
        ++row;
        col = 1;
      }
      cell(i + 1, row, col, p);
      ++col;
    }
    if (code == 12) {
      ++row;
      col = 1;
    }
    i += w;
  }
  if (col > kCols) {
    ++row;
    col = 1;
  }
  at(len + 1, row, col);
}

void CursorPlace(const u8 *t, u32 len, u32 pos, u32 *row, u32 *col) {
  *row = *col = 1;
  Walk(
      t, len,
      [&](u32 p, u32 r, u32 c) {
        if (p != pos) return p < pos;
        *row = r;
        *col = c;
        return false;
      },
      [](u32, u32, u32, const char *) {});
}

void DrawTitle(const ProgEditView *v) {
  TextLocate(1, 1);
  TextPrintField("", 21);
  TextLocate(1, 1);
  TextPrint("======");
  TextLocate(7, 1);
  char name[9 * kStrTokenNameMax] = {};
  for (const char *p = v->name; *p; p = StrNextChar(p)) {
    char part[kStrTokenNameMax];
    std::strcat(name, StrTokenName(StrCharAt(p), part));
  }
  TextPrint(name);
  TextLocate(15, 1);
  TextPrint("======");
  if (v->base_n) {
    TextLocate(21, 1);
    TextPrint("\xE5\xB5");
  }
}

// Lays the rows out around the cursor and draws them, the selection
// reversed in clip mode, and places the cursor.
void Draw(ProgEditView *v) {
  u32 len = 0;
  const u8 *t = Text(v, &len);
  if (!t) len = 0;
  if (v->pos > len + 1) v->pos = len + 1;
  u32 row = 1, col = 1;
  if (t) CursorPlace(t, len, v->pos, &row, &col);
  if (row < v->top) v->top = row;
  if (row >= v->top + kRows) v->top = row - kRows + 1;
  TextCursorOff();
  for (u32 r = 0; r < kRows; ++r) {
    TextLocate(1, static_cast<i32>(r + 2));
    TextPrintField("", 21);
  }
  u32 lo = 0, hi = 0;
  if (v->clip) {
    lo = v->clip_start < v->pos ? v->clip_start : v->pos;
    hi = v->clip_start < v->pos ? v->pos : v->clip_start;
  }
  if (t) {
    const u32 top = v->top;
    Walk(
        t, len, [&](u32, u32 r, u32) { return r < top + kRows; },
        [&](u32 p, u32 r, u32 c, const char *ch) {
          if (r < top || r >= top + kRows) return;
          TextLocate(static_cast<i32>(c), static_cast<i32>(r - top + 2));
          if (v->clip && p >= lo && p <= hi) {
            TextPutCharRev(ch);
          } else {
            TextPutChar(ch);
          }
        });
  }
  TextLocate(static_cast<i32>(col), static_cast<i32>(row - v->top + 2));
  if (v->clip) {
    TextSetCursorShape(11);
  } else {
    KeyCursorFromState();
  }
}

void Redraw(ProgEditView *v) {
  DrawTitle(v);
  Draw(v);
}

void UpdateNodeSize(ProgEditView *v) {
  u32 size = 0;
  if (v->list->selected && McsOpenByKind(kMcsKindProgram, v->name, &size) == 0) v->list->selected->size = size;
}

// 0 for an item call's success (codes 0-2), else the error box of the
// store's code, the item error flag and -1.
i32 ItemOk(ProgEditView *v, u32 code) {
  if (code <= 2) return 0;
  v->item_error = 1;
  ErrBox(ProgItemErrorCode(McsLastError()));
  return -1;
}

i32 InsertChar(u32 code, ProgEditView *v) {
  if (v->clip) {
    v->clip = 0;
    return 0;
  }
  if (v->base_n) {
    if (RunMatBaseNRefuses(static_cast<u16>(code)) != 0) return 0;
    code = RunMatBaseNDigit(static_cast<u16>(code));
  }
  u8 bytes[2];
  u32 n = 1;
  if (code > 0xFF) {
    bytes[0] = static_cast<u8>(code >> 8);
    bytes[1] = static_cast<u8>(code);
    n = 2;
  } else {
    bytes[0] = static_cast<u8>(code);
  }
  u32 len = 0;
  const u8 *t = Text(v, &len);
  if (!t) return ItemOk(v, 64);
  const bool insert = KeyGetInsertMode() == kInsertInsert;
  const bool atEnd = v->pos > len;
  if (code == 13 && !insert && !v->pasting && !atEnd) {
    // Overwrite: EXE passes to the start of the next line.
    u32 i = v->pos - 1;
    while (i < len && t[i] != 13 && t[i] != 12) i += WidthAt(t, len, i);
    if (i < len) {
      v->pos = i + 1 + WidthAt(t, len, i);
      return 0;
    }
    v->pos = len + 1;
  }
  const u32 offset = v->pos - 1 + kProgHeaderSize;
  if (v->pos > len || insert) {
    if (ItemOk(v, McsInsertByKind(kMcsKindProgram, v->name, n, bytes, offset))) return -1;
  } else {
    const u32 old = WidthAt(t, len, v->pos - 1);
    if (old == n) {
      if (ItemOk(v, McsWriteByKind(kMcsKindProgram, v->name, n, bytes, offset))) return -1;
    } else {
      u32 total = 0, used = 0, free_bytes = 0, size = 0;
      McsGetMemoryUse(&total, &used, &free_bytes);
      McsOpenByKind(kMcsKindProgram, v->name, &size);
      if (n > old && (free_bytes == 0 || size >= kItemMax)) {
        v->item_error = 1;
        ErrBox(kErrMemoryFull);
        return -1;
      }
      if (ItemOk(v, McsCutByKind(kMcsKindProgram, v->name, old, offset))) return -1;
      if (ItemOk(v, McsInsertByKind(kMcsKindProgram, v->name, n, bytes, offset))) return -1;
    }
  }
  v->pos += n;
  UpdateNodeSize(v);
  return 0;
}

i32 DeleteChar(ProgEditView *v) {
  if (v->clip) {
    v->clip = 0;
    return 0;
  }
  u32 len = 0;
  const u8 *t = Text(v, &len);
  if (!t || len == 0) return 0;
  if (v->pos > len || KeyGetInsertMode() == kInsertInsert) {
    if (v->pos == 1) return 0;
    v->pos = PrevStart(t, len, v->pos - 1) + 1;
  }
  const u32 w = WidthAt(t, len, v->pos - 1);
  if (ItemOk(v, McsCutByKind(kMcsKindProgram, v->name, w, v->pos - 1 + kProgHeaderSize))) return -1;
  UpdateNodeSize(v);
  return 0;
}

// The character start on screen row `row` at or before column `col`; the
// row's first start when none lies there; 0 for a row without one.
u32 PosOnRow(const u8 *t, u32 len, u32 row, u32 col) {
  u32 best = 0, first = 0;
  Walk(
      t, len,
      [&](u32 p, u32 r, u32 c) {
        if (r > row) return false;
        if (r == row) {
          if (!first) first = p;
          if (c <= col) best = p;
        }
        return true;
      },
      [](u32, u32, u32, const char *) {});
  return best ? best : first;
}

void MoveCursor(u32 key, ProgEditView *v) {
  u32 len = 0;
  const u8 *t = Text(v, &len);
  if (!t) return;
  switch (key) {
    case kKeyLeft:
    case kKeyClipLeft:
      if (v->pos > 1) v->pos = PrevStart(t, len, v->pos - 1) + 1;
      break;
    case kKeyRight:
    case kKeyClipRight:
      if (v->pos <= len) v->pos += WidthAt(t, len, v->pos - 1);
      break;
    case kKeyUp:
    case kKeyClipUp:
    case kKeyDown:
    case kKeyClipDown: {
      u32 row = 1, col = 1;
      CursorPlace(t, len, v->pos, &row, &col);
      const bool up = key == kKeyUp || key == kKeyClipUp;
      if (up && row == 1) break;
      const u32 p = PosOnRow(t, len, up ? row - 1 : row + 1, col);
      if (p) v->pos = p;
      break;
    }
    default:
      break;
  }
}

void SelectKey(u32 key, ProgEditView *v) {
  u32 len = 0;
  const u8 *t = Text(v, &len);
  if (!t || len == 0) return;
  if (!v->clip) {
    if (v->pos > len) v->pos = PrevStart(t, len, len) + 1;
    v->clip = 1;
    v->clip_start = v->pos;
    return;
  }
  MoveCursor(key, v);
  if (v->pos > len) v->pos = PrevStart(t, len, len) + 1;
}

// The selected bytes [*from, *to) (0-based).
void SelectionBytes(ProgEditView *v, const u8 *t, u32 len, u32 *from, u32 *to) {
  const u32 lo = v->clip_start < v->pos ? v->clip_start : v->pos;
  const u32 hi = v->clip_start < v->pos ? v->pos : v->clip_start;
  *from = lo - 1;
  *to = hi - 1 + WidthAt(t, len, hi - 1);
  if (*to > len) *to = len;
}

void CopySelection(ProgEditView *v) {
  u32 len = 0;
  const u8 *t = Text(v, &len);
  if (!t || !v->clip) return;
  u32 from = 0, to = 0;
  SelectionBytes(v, t, len, &from, &to);
  char *copy = static_cast<char *>(std::malloc(to - from + 1));
  if (!copy) return;
  std::memcpy(copy, t + from, to - from);
  copy[to - from] = 0;
  if (ItemClipStore(copy, to - from + 1) != 0) ErrBox(4);
  std::free(copy);
}

void CutSelection(ProgEditView *v) {
  u32 len = 0;
  const u8 *t = Text(v, &len);
  if (!t || !v->clip) return;
  u32 from = 0, to = 0;
  SelectionBytes(v, t, len, &from, &to);
  v->clip = 0;
  if (ItemOk(v, McsCutByKind(kMcsKindProgram, v->name, to - from, from + kProgHeaderSize))) return;
  v->pos = from + 1;
  UpdateNodeSize(v);
}

void Paste(ProgEditView *v) {
  if (ItemClipLength() == 0) return;
  // The clipboard text is copied first: inserting moves main memory.
  const u32 n = ItemClipLength();
  char *text = static_cast<char *>(std::malloc(n + 1));
  if (!text) return;
  std::memcpy(text, ItemClipData(), n);
  text[n] = 0;
  v->pasting = 1;
  v->item_error = 0;
  // The clipboard's text ends at its first zero byte (nothing after it is
  // text), so the paste ends there too.
  for (const char *p = text; *p && !v->item_error; p = StrNextChar(p)) InsertChar(StrCharAt(p), v);
  v->pasting = 0;
  std::free(text);
}

// Finds the search text after the cursor's character; 1 when found.
u32 FindNext(ProgEditView *v) {
  u32 len = 0;
  const u8 *t = Text(v, &len);
  const u32 n = static_cast<u32>(std::strlen(reinterpret_cast<char *>(v->search)));
  if (!t || n == 0) return 0;
  u32 i = v->pos - 1;
  if (i < len) i += WidthAt(t, len, i);
  // Candidates are character starts, found by walking the text.
  for (u32 j = 0; j < len; j += WidthAt(t, len, j)) {
    if (j < i) continue;
    if (j + n > len) break;
    if (std::memcmp(t + j, v->search, n) == 0) {
      v->pos = j + 1;
      return 1;
    }
  }
  return 0;
}

void SetCaseKey() {
  switch (KeyGetModifier()) {
    case kModAlpha: KeySetModifier(kModLower); break;
    case kModLower: KeySetModifier(kModAlpha); break;
    case kModAlphaLock: KeySetModifier(kModLowerLock); break;
    case kModLowerLock: KeySetModifier(kModAlphaLock); break;
    default: break;
  }
}

// The search screen. Returns 0 after a match (match mode begins), kKeyExit
// when given up, kKeyQuit for SHIFT+EXIT.
u32 SearchScreen(ProgEditView *v) {
  TextCursorOff();
  LcdClearVram();
  char msg[64];
  if (MsgText(246, msg)) {
    TextLocate(1, 1);
    TextPrint(msg);
  }
  if (MsgText(247, msg)) {
    TextLocate(1, 2);
    TextPrint(msg);
  }
  for (i32 r : {3, 5}) {
    TextLocate(1, r);
    TextPrint("---------------------");
  }
  FkeySetLevelMenu(v->base_n ? 88 : 81);
  u8 *buf = v->search;
  u32 start = 0, cursor = static_cast<u32>(std::strlen(reinterpret_cast<char *>(buf)));
  for (;;) {
    start = EditRedrawLine(buf, start, cursor, 1, 4);
    FkeyDrawRow();
    u32 key = 0;
    if (KeyGetKey(&key)) {
      if (key == 12 || key == 13) continue;
      if (v->base_n) {
        if (RunMatBaseNRefuses(static_cast<u16>(key))) continue;
        key = RunMatBaseNDigit(static_cast<u16>(key));
      }
      cursor = EditPutChar(buf, kEditLineMax, cursor, key);
      continue;
    }
    switch (key) {
      case kKeyExe:
        if (!buf[0]) break;
        if (FindNext(v)) return 0;
        ErrBox(kErrNotFound);
        break;
      case kKeyExit:
      case kKeyQuit:
        return key;
      case kKeyXThetaT:
        cursor = EditPutChar(buf, kEditLineMax, cursor, v->base_n ? 0x1A : RunMatGlueGraphVarChar());
        break;
      case kCodeCase:
        SetCaseKey();
        break;
      case kCodeChar:
        if (const u32 c = CatalogCharSelect()) cursor = EditPutChar(buf, kEditLineMax, cursor, c);
        break;
      case kKeyAc:
      case kKeyLeft:
      case kKeyRight:
      case kKeyDel:
      case kKeyPaste:
      case kKeyClipLeft:
      case kKeyClipRight: {
        u32 k = key;
        EditMoveCursor(buf, kEditLineMax, &start, &cursor, &k, 1, 4);
        break;
      }
      default:
        break;
    }
  }
}

// The function-memory keys: the program's text stored as a memory, a
// memory's tokens or the "fn" token put in at the cursor.
void FmemKey(u32 key, ProgEditView *v) {
  u32 len = 0;
  const u8 *t = Text(v, &len);
  if (t == nullptr) return;
  const std::vector<u8> copy(t, t + len);
  u16 added[256];
  TextCursorOff();
  const u32 n = RunMatGlueFmemKeyRoom(key, copy.data(), len, v->pos - 1, kItemMax, added);
  for (u32 i = 0; i < n; ++i) {
    if (InsertChar(added[i], v) < 0) break;
  }
}

void SetRootMenu(const ProgEditView *v) {
  FkeyBackToLevelRoot();
  FkeySetLevelMenu(v->base_n ? 52 : 20);
  KeyForgetDrawnRow();
}

}  // namespace

u32 ProgEditMain(u32 start, ProgList *list) {
  if (!list->selected) return 0;
  BuildPages();
  ProgEditView v{};
  v.list = list;
  std::memcpy(v.name, list->selected->name, sizeof v.name);
  v.base_n = list->selected->mode == 1;
  v.pos = 1;
  v.top = 1;

  const FkeyItem *saved_pages[kMenuCount];
  FkeySavePages(kMenuFirst, kMenuFirst + kMenuCount - 1, saved_pages);
  u16 groups[6];
  FkeySaveGroups(groups);
  const u16 saved_mask = KeyGetMenuMask();
  // The Base-N mode is the program's while it is edited and is put back on
  // the way out, so that it does not carry over into what runs next.
  const u8 saved_mode = SetupGetItem(kSetupMode);
  SetupSetItem(kSetupMode, v.base_n ? 9 : 0);
  for (i32 m = 0; m < kMenuCount; ++m) FkeySetPage(kMenuFirst + m, g_pages[m]);
  if (v.base_n) {
    FkeyBuildShiftVarsGroup(3);
    FkeyPushLevel(52);
    KeySetMenuMask(243);
  } else {
    FkeyBuildOptGroup(4);
    FkeyBuildShiftGroup(10);
    FkeyBuildVarsGroup(1);
    FkeyBuildShiftVarsGroup(1);
    FkeyPushLevel(20);
    KeySetMenuMask(64);
  }
  KeyForgetDrawnRow();

  u32 len = 0;
  if (Text(&v, &len) == nullptr) ErrBox(4);
  if (start > 0) v.pos = start > len + 1 ? len + 1 : start;
  KeySetModifier(kModNone);
  TextCursorOff();
  LcdClearVram();
  Redraw(&v);

  u32 result = kKeyExit;
  for (bool running = true; running;) {
    FkeyDrawRow();
    const u8 modifier = KeyGetModifier();
    u32 key = 0;
    const u32 isChar = KeyGetKey(&key);
    if (isChar) {
      if (key == 0) continue;
      if (v.matching) {
        v.matching = 0;
        SetRootMenu(&v);
      }
      InsertChar(key, &v);
      Draw(&v);
      continue;
    }
    if (v.matching) {
      if (key == kKeyExe || key == kCodeSearchAgain) {
        // No further match ends match mode without a word.
        if (!FindNext(&v)) {
          v.matching = 0;
          SetRootMenu(&v);
        }
        Draw(&v);
        continue;
      }
      // "Aa", CHAR and SET UP keep match mode, and so do SHIFT and ALPHA on
      // the way to a key; any other key ends it.
      if (key != kCodeCase && key != kCodeChar && key != kKeySetup && key != kKeyShift && key != kKeyAlpha) {
        v.matching = 0;
        SetRootMenu(&v);
        if (key == kKeyExit || key == kKeyAc) continue;
      }
    }
    if (v.clip) {
      const bool kept = key == kKeyClipShift || key == kKeyDel || key == kKeyCopy || key == kKeyCut ||
                        (key >= kKeyClipUp && key <= kKeyClipDown) || key == kKeyUp || key == kKeyDown ||
                        key == kKeyLeft || key == kKeyRight;
      if (!kept) {
        v.clip = 0;
        Draw(&v);
        continue;
      }
    }
    switch (key) {
      case kKeyExe:
        if (modifier == kModAlphaLock || modifier == kModLowerLock) KeySetModifier(modifier);
        InsertChar(13, &v);
        Draw(&v);
        break;
      case kKeyDel:
        if (v.clip) {
          CutSelection(&v);
        } else {
          DeleteChar(&v);
        }
        Draw(&v);
        break;
      case kKeyUp:
      case kKeyLeft:
      case kKeyRight:
      case kKeyDown:
        if (v.clip) {
          SelectKey(key, &v);
        } else {
          MoveCursor(key, &v);
        }
        Draw(&v);
        break;
      case kKeyClipUp:
      case kKeyClipLeft:
      case kKeyClipRight:
      case kKeyClipDown:
        if (!v.base_n) SelectKey(key, &v);
        Draw(&v);
        break;
      case kKeyClipShift:
        if (v.clip) TextSetCursorShape(11);
        break;
      case kKeyXThetaT:
        InsertChar(v.base_n ? 0x1A : RunMatGlueGraphVarChar(), &v);
        Draw(&v);
        break;
      case kCodeSearch: {
        const u32 r = SearchScreen(&v);
        TextCursorOff();
        LcdClearVram();
        SetRootMenu(&v);
        if (r == kKeyQuit) {
          result = kKeyQuit;
          running = false;
          break;
        }
        if (r == 0) {
          v.matching = 1;
          FkeySetLevelMenu(87);
        }
        Redraw(&v);
        break;
      }
      case kCodeTop:
        v.pos = 1;
        v.top = 1;
        KeySetModifier(kModNone);
        Draw(&v);
        break;
      case kCodeBottom:
        Text(&v, &len);
        v.pos = len + 1;
        KeySetModifier(kModNone);
        Draw(&v);
        break;
      case kCodeCase:
        SetCaseKey();
        Draw(&v);
        break;
      case kCodeChar:
        if (const u32 c = CatalogCharSelect()) {
          // A chosen character ends match mode like a typed one.
          if (v.matching) {
            v.matching = 0;
            SetRootMenu(&v);
          }
          InsertChar(c, &v);
        }
        Draw(&v);
        break;
      case kKeyCopy:
        if (!v.base_n) CopySelection(&v);
        v.clip = 0;
        Draw(&v);
        break;
      case kKeyPaste:
        if (!v.base_n) Paste(&v);
        Draw(&v);
        break;
      case kKeyCut:
        if (!v.base_n) {
          CopySelection(&v);
          CutSelection(&v);
        }
        v.clip = 0;
        Draw(&v);
        break;
      case kKeyFmemSee:
      case kKeyFmemSto:
      case kKeyFmemRcl:
        if (!v.base_n) FmemKey(key, &v);
        Redraw(&v);
        break;
      case kKeySetup:
        FkeyBackToLevelRoot();
        FkeyPush(v.base_n ? 80 : 57);
        break;
      case kKeyExit:
        result = kKeyExit;
        running = false;
        break;
      case kKeyQuit:
        result = kKeyQuit;
        running = false;
        break;
      default:
        break;
    }
  }

  TextCursorOff();
  LcdClearVram();
  FkeyPopLevel();
  FkeyRestorePages(kMenuFirst, kMenuFirst + kMenuCount - 1, saved_pages);
  FkeyRestoreGroups(groups);
  KeySetMenuMask(saved_mask);
  SetupSetItem(kSetupMode, saved_mode);
  if (result == kKeyQuit) {
    ProgListLoad(nullptr, list, 1);
  } else {
    ProgListLoad(v.name, list, 1);
    list->top = list->selected;
  }
  return result;
}
