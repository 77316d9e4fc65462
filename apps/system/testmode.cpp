// The hidden service mode and its screens.
#include "apps/system/testmode.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "graph/memory/gmem_func.h"
#include "graph/screen_save.h"
#include "kernel/task.h"
#include "memory/mcs_api.h"
#include "memory/mcs_group.h"
#include "memory/mcs_store.h"
#include "number/numtext.h"
#include "number/realop.h"
#include "ui/edit.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/msg.h"
#include "ui/popup.h"
#include "ui/setup_screen.h"
#include "ui/text.h"

// ---- gates ---------------------------------------------------------------------------------

u32 TestModeAccessGate(int n, const char *access) {
  u8 *data = nullptr;
  u32 size = 0;
  char name[4];
  std::snprintf(name, sizeof name, "%d", n);
  if (McsOpenByKindPtr(2, name, &size, &data) != 0 || size < kGmemFuncHeader) return 0;
  if ((data[2] & 0x80) == 0) return 0;
  const char *text = GmemFuncDataPtr(n);
  return text != nullptr && std::strcmp(text, access) == 0 ? 1 : 0;
}

u32 TestModeCheckGate() { return TestModeAccessGate(13, "MORVILKE"); }

// ---- number routines -----------------------------------------------------------------------

void HexDigits(u32 value, char *out, u32 n) {
  static const char kDigits[] = "0123456789ABCDEF";
  for (u32 i = 0; i < n; ++i) out[n - 1 - i] = kDigits[(value >> (4 * i)) & 15];
  out[n] = 0;
}

void HexByte(u8 b, char *out) { HexDigits(b, out, 2); }

u32 DecimalDigitCount(i32 value) {
  u64 v = value < 0 ? static_cast<u64>(-static_cast<i64>(value)) : static_cast<u64>(value);
  u32 n = 1;
  while (v >= 10) {
    v /= 10;
    ++n;
  }
  return n;
}

void IntToDecimal(i32 value, char *out, u32 width) {
  u64 v = value < 0 ? static_cast<u64>(-static_cast<i64>(value)) : static_cast<u64>(value);
  char digits[24];
  u32 n = 0;
  do {
    digits[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0 && n < width);
  u32 at = 0;
  if (value < 0) out[at++] = '-';
  while (n > 0) out[at++] = digits[--n];
  out[at] = 0;
}

void IntToText(i32 value, char *out) { IntToDecimal(value, out, 10); }

// ---- shared pieces -------------------------------------------------------------------------

namespace {

bool IsLeave(u32 key) { return key == kKeyExit || key == kKeyQuit; }

// Rows 1-8 as given (a null row is blank).
void PrintRows(const char *const rows[8]) {
  for (i32 r = 0; r < 8; ++r) {
    TextLocate(1, r + 1);
    TextPrintField(rows[r] ? rows[r] : "", 21);
  }
}

// Reads one key: the character code when is_char is set, else the key code.
u32 ReadKey(bool *is_char) {
  u32 key = 0;
  *is_char = KeyGetKey(&key) != 0;
  return key;
}

// Lead bytes of the character screens (0: single-byte codes).
constexpr i32 kLeads[] = {0, 0x7F, 0xF7, 0xF9, 0xE5, 0xE6, 0xE7};

// "7F**" style label of a lead byte at column 18 of row 2.
void PrintLeadLabel(i32 lead) {
  char label[8];
  HexByte(static_cast<u8>(lead), label);
  std::strcat(label, "**");
  TextLocate(18, 2);
  TextPrint(label);
}

bool IsSkippedCode(i32 code) {
  return code == 0x7F || code == 0xF7 || code == 0xF9 || code == 0xE5 || code == 0xE6;
}

// "InpDat": 32 bytes of the application work folder; made of zeros when
// missing. False when main memory refused.
bool ReadInpDat(u8 out[32]) {
  u8 *data = nullptr;
  u32 size = 0;
  if (McsOpenByKindPtr(kMcsKindWork, "InpDat", &size, &data) != 0) {
    std::memset(out, 0, 32);
    return McsCreateByKind(kMcsKindWork, "InpDat", 32, out) == 0;
  }
  std::memset(out, 0, 32);
  std::memcpy(out, data, size < 32 ? size : 32);
  return true;
}

bool WriteInpDat(const u8 in[32]) {
  McsDeleteByKind(kMcsKindWork, "InpDat");
  return McsCreateByKind(kMcsKindWork, "InpDat", 32, in) == 0;
}

Value InpDatValue(const u8 bytes[32]) {
  Value v{};
  SysSwapValueBytes(&v, bytes);
  return v;
}

}  // namespace

// ---- the menus -----------------------------------------------------------------------------

void TestModeMenu() {
  KeySetModifier(0);
  TextCursorState cursor;
  TextGetCursor(&cursor);
  std::vector<u8> screen(1024);
  GraphSaveScreen(screen.data());
  TextCursorOff();
  static const char *const kRows[8] = {"----- TEST MODE -----", "", "[1]:Valiable Manager", "[2]:Font/Lang Check ",
                                       "[3]:", "[4]:", "", ""};
  for (;;) {
    PrintRows(kRows);
    bool is_char = false;
    const u32 key = ReadKey(&is_char);
    if (is_char && key == '1') VarMgrMain();
    else if (is_char && key == '2') TestScreenMenu();
    else if (!is_char && IsLeave(key)) break;
  }
  GraphRestoreScreen(screen.data());
  TextSetCursor(&cursor);
}

void TestScreenMenu() {
  static const char *const kRows[8] = {"--- TEST ---",      "[1]:Character Code", "[2]:Mini Chara Code",
                                       "[3]:Message Data",  "[4]:SETUP",          "[5]:Popup test",
                                       "",                  ""};
  for (;;) {
    PrintRows(kRows);
    bool is_char = false;
    const u32 key = ReadKey(&is_char);
    if (!is_char) {
      if (IsLeave(key)) return;
      continue;
    }
    switch (key) {
      case '1': TestCharCodeTable(); break;
      case '2': TestMiniCharTable(); break;
      case '3': TestMessageCheck(); break;
      case '4': {
        u32 changed = 0;
        SetupScreen("All", &changed);
        break;
      }
      case '5': TestPopupMenu(); break;
      default: break;
    }
  }
}

// ---- character screens ---------------------------------------------------------------------

void TestCharCodeTable() {
  for (const i32 lead : kLeads) {
    for (i32 half = 0; half < 2; ++half) {
      LcdClearVram();
      for (i32 r = half * 8; r < half * 8 + 8; ++r) {
        for (i32 c = 0; c < 16; ++c) {
          const i32 code = c << 4 | r;
          if (IsSkippedCode(code)) continue;
          char text[3] = {};
          if (lead) {
            text[0] = static_cast<char>(lead);
            text[1] = static_cast<char>(code);
          } else {
            text[0] = static_cast<char>(code);
          }
          if (text[0] == 0) continue;
          TextLocate(c + 1, r % 8 + 1);
          TextPutChar(text);
        }
      }
      PrintLeadLabel(lead);
      bool is_char = false;
      ReadKey(&is_char);
    }
  }
}

void TestMiniCharTable() {
  for (const i32 lead : kLeads) {
    for (i32 page = 0; page < 2; ++page) {
      LcdClearVram();
      PrintLeadLabel(lead);
      for (i32 i = 0; i < 15; ++i) LcdDrawLine(7 * i, 0, 7 * i, 56);
      for (i32 i = 0; i < 9; ++i) LcdDrawLine(0, 7 * i, 98, 7 * i);
      for (i32 row = 0; row < 8; ++row) {
        const i32 r = page * 8 + row;
        for (i32 c = 0; c < 14; ++c) {
          const u16 code = static_cast<u16>(lead << 8 | c << 4 | r);
          if (code == 0) continue;
          TextPrintMiniChar(2 + 7 * c, 2 + 7 * row, code, 16);
        }
      }
      bool is_char = false;
      ReadKey(&is_char);
    }
  }
}

// ---- message check -------------------------------------------------------------------------

namespace {

constexpr i32 kLastMessage = 32767;

i32 ReadLangNo(const char *folder) {
  u8 *data = nullptr;
  u32 size = 0;
  if (McsOpenInFolderPtr(folder, "LangNo", &size, &data) != 0 || size < 2) return 0;
  const i32 n = data[0] << 8 | data[1];
  return n > kLastMessage ? kLastMessage : n;
}

void WriteLangNo(const char *folder, i32 n) {
  const u8 bytes[4] = {static_cast<u8>(n >> 8), static_cast<u8>(n), 0, 0};
  u32 size = 0;
  if (McsOpenInFolder(folder, "LangNo", &size) == 0) {
    McsWriteInFolder(folder, "LangNo", 2, bytes, 0);
    return;
  }
  if (McsCreateInFolder(folder, "LangNo", 2, bytes) != 0) ErrBox(4);
}

// Message n of language lang on a row: a reversed blank row, then the text
// when the language exists and has it.
void PrintMessageRow(i32 row, i32 lang, i32 n) {
  TextLocate(1, row);
  TextPrintFieldRev("", 21);
  const i32 kept = MsgGetLanguage();
  if (MsgSelectLanguage(lang)) {
    char text[64];
    if (MsgText(n, text) != nullptr) {
      TextLocate(1, row);
      TextPrintField(text, 21);
    }
  }
  MsgSelectLanguage(kept);
}

}  // namespace

void TestMessageCheck() {
  char folder[16] = {};
  SysGetAppName(folder);
  i32 n = ReadLangNo(folder);
  static const i32 kOrder[5] = {0, 3, 1, 4, 2};
  for (;;) {
    LcdClearVram();
    TextLocate(1, 1);
    TextPrint("***Message Check***");
    for (i32 i = 0; i < 5; ++i) PrintMessageRow(2 + i, kOrder[i], n);
    char number[12];
    IntToDecimal(n, number, 5);
    TextLocate(1, 7);
    TextPrintField("LangNo>", 21);
    TextLocate(8, 7);
    TextPrint(number);
    WriteLangNo(folder, n);
    bool is_char = false;
    const u32 key = ReadKey(&is_char);
    if (!is_char) {
      if (IsLeave(key)) return;
      if (key == kKeyUp && n > 0) --n;
      else if (key == kKeyDown && n < kLastMessage) ++n;
      continue;
    }
    if (key < '0' || key > '9') continue;
    char digits[8] = {};
    TextLocate(8, 7);
    TextPrintField("", 21);
    const i32 r = TextInputDigits(digits, 8, 7, 5, static_cast<i32>(key));
    if (r != 0) {
      // EXIT or SHIFT+EXIT inside the entry leave the screen.
      return;
    }
    if (digits[0] != 0) {
      const long v = std::strtol(digits, nullptr, 10);
      n = v > kLastMessage ? kLastMessage : static_cast<i32>(v);
    }
  }
}

// ---- pop-up test ---------------------------------------------------------------------------

namespace {

void WaitLeave() {
  for (;;) {
    bool is_char = false;
    const u32 key = ReadKey(&is_char);
    if (!is_char && IsLeave(key)) return;
  }
}

void PopupDigits(u8 bytes[32]) {
  TextLocate(3, 4);
  TextPrint("(0~9999):");
  char digits[8] = {};
  if (TextInputDigits(digits, 12, 4, 4) != 0) return;
  std::memset(bytes + 24, 0, 8);
  std::memcpy(bytes + 24, digits, std::strlen(digits));
  if (!WriteInpDat(bytes)) ErrBox(4);
}

void PopupFan() {
  for (i32 x = 11; x <= 117; x += 2) {
    LcdDrawLine(64, 37, x, 6);
    LcdRedraw();
  }
  bool is_char = false;
  ReadKey(&is_char);
}

void PopupAdder() {
  BcdReal value[2]{};
  u32 current = 0;
  for (;;) {
    PopupDrawWindow(5);
    BcdReal sum{};
    RealAddDecimal(&value[0], &value[1], &sum);
    char text[64];
    Value v{sum, {}};
    NumToText(&v, text);
    TextLocate(3, 2);
    TextPrintField((std::string("X+Y=") + text).c_str(), 19);
    for (u32 i = 0; i < 2; ++i) {
      Value shown{value[i], {}};
      NumToText(&shown, text);
      const std::string line = std::string(i ? "Y:" : "X:") + text;
      TextLocate(3, static_cast<i32>(4 + i));
      if (i == current) TextPrintFieldRev(line.c_str(), 19);
      else TextPrintField(line.c_str(), 19);
    }
    bool is_char = false;
    const u32 key = ReadKey(&is_char);
    if (!is_char && IsLeave(key)) return;
    if (!is_char && (key == kKeyUp || key == kKeyDown)) {
      current ^= 1;
      continue;
    }
    if (is_char || key == kKeyRight) {
      u32 end = key;
      BcdReal edited = value[current];
      const i32 r = EditReadNumber(is_char ? key : 0, &end, static_cast<i32>(4 + current), &edited,
                                   current ? "  Y:" : "  X:");
      if (r == 0) value[current] = edited;
      else if (r == -1) return;
    }
  }
}

void PopupValueForms(u8 bytes[32]) {
  for (;;) {
    PopupDrawWindow(6);
    const Value v = InpDatValue(bytes);
    char forms[5][96];
    NumFormatCell6(&v, forms[0]);
    NumFormatCell6Polar(&v, forms[1]);
    NumFormatCell13(&v, forms[2]);
    NumFormatCell10(&v, forms[3]);
    NumToText(&v, forms[4]);
    for (i32 i = 0; i < 5; ++i) {
      TextLocate(3, 3 + i);
      TextPrintField(forms[i], 19);
    }
    Value entered = v;
    u32 key = 0;
    const i32 r = EditReadValue(0, &key, 2, &entered, ">");
    if (r != 0) return;
    SysSwapValueBytes(bytes, &entered);
    if (!WriteInpDat(bytes)) ErrBox(4);
  }
}

}  // namespace

void TestPopupSize(i32 size) {
  TextCursorState cursor;
  TextGetCursor(&cursor);
  u8 bytes[32];
  if (!ReadInpDat(bytes)) ErrBox(4);
  PopupOpenFramed(size);
  switch (size) {
    case 1:
      TextLocate(8, 4);
      TextPrint("Bonjur!");
      WaitLeave();
      break;
    case 2: {
      TextLocate(3, 3);
      TextPrint("Soyez les ");
      TextLocate(3, 4);
      const char line[] = {'b', 'i', 'e', 'n', 'v', 'e', 'n', 'u', 's', ' ', '\xE6', '\x01',
                           ' ', 'T', 'o', 'k', 'y', 'o', 0};
      TextPrint(line);
      WaitLeave();
      break;
    }
    case 3: PopupDigits(bytes); break;
    case 4: PopupFan(); break;
    case 5: PopupAdder(); break;
    case 6: PopupValueForms(bytes); break;
    default: break;
  }
  PopupCloseKind5();
  PopupRestoreCursor(cursor);
}

void TestPopupMenu() {
  for (;;) {
    for (i32 r = 1; r <= 8; ++r) {
      TextLocate(1, r);
      TextPrintField(r <= 7 ? "Push1~6 Push1~6 Push1~6" : "", 21);
    }
    bool is_char = false;
    const u32 key = ReadKey(&is_char);
    if (!is_char && IsLeave(key)) return;
    if (is_char && key >= '1' && key <= '6') TestPopupSize(static_cast<i32>(key - '0'));
  }
}

// ---- variable manager ----------------------------------------------------------------------

namespace {

constexpr i32 kVarMgrMenu = 0;
constexpr i32 kItemMenu = 98;
constexpr u32 kMaxItems = 100;
constexpr i32 kListRows = 6;
constexpr u32 kCodeFreeSize = 2;

struct ListRow {
  std::string text;  // 21 characters
  std::string name;  // folder or item name, trailing blanks removed
};

const char *TypeName(u8 type) {
  switch (type) {
    case 129: return "REAL";
    case 130: return "CMLX";
    case 131: return "INTG";
    case 132: return "FLOT";
    case 133: return " STR";
    case 134: return "EXPR";
    case 137: return "FILE";
    case 138: return "LIST";
    case 139: return "VECT";
    case 140: return " MAT";
    case 146: return "TREE";
    case 199: return "PRGM";
    case 200: return "FUNC";
    case 205: return "PICT";
    case 206: return " MEM";
    case 207: return " EXE";
    case 208: return "GMEM";
    case 209: return " G3D";
    case 211: return "CONT";
    case 212: return " GEO";
    case 213: return " REG";
    default: return "UDEF";
  }
}

std::string NameOf(const char *name8) {
  std::string s(name8, strnlen(name8, 8));
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

std::string RowText(const std::string &name, i32 name_width, const char *mid, i32 mid_at, u32 a, u32 b,
                    bool two_numbers) {
  char line[64];
  std::string padded = name.substr(0, 8);
  padded.resize(static_cast<size_t>(name_width), ' ');
  if (two_numbers) {
    std::snprintf(line, sizeof line, "%s%6u%6u", padded.c_str(), static_cast<unsigned>(a), static_cast<unsigned>(b));
  } else {
    std::string s = padded;
    s.resize(static_cast<size_t>(mid_at - 1), ' ');
    s += mid;
    std::snprintf(line, sizeof line, "%s%6u", s.c_str(), static_cast<unsigned>(a));
  }
  return line;
}

std::vector<ListRow> FolderRows() {
  std::vector<ListRow> rows;
  for (u32 i = kMcsFolderCount; i >= 1; --i) {  // table order: from the top record down
    McsFolderRecord *rec = nullptr;
    if (McsFolderByIndex(i, &rec) != 0 || rec == nullptr || rec->name[0] == 0) continue;
    const std::string name = NameOf(rec->name);
    if (name.rfind("@LOCAL", 0) == 0) continue;
    u32 bytes = 0;
    const McsItemRecord *items = McsFolderItems(rec);
    for (u32 k = 0; items && k < rec->count; ++k) bytes += items[k].size;
    // Name in columns 1-9, size in 10-15, count in 16-21.
    rows.push_back({RowText(name, 9, "", 0, bytes, rec->count, true), name});
    if (name == "@APLWORK") break;
  }
  return rows;
}

// The rows of a folder's items; false (after the error box) when the folder
// is missing or holds more than the list can show.
bool ItemRows(const std::string &folder, std::vector<ListRow> *rows) {
  McsFolderRecord *rec = nullptr;
  u8 index = 0;
  if (McsFindFolder(folder.c_str(), &rec, &index) != 0 || rec == nullptr || rec->count > kMaxItems) {
    ErrBox(4);
    return false;
  }
  const McsItemRecord *items = McsFolderItems(rec);
  for (u32 k = 0; items && k < rec->count; ++k) {
    const std::string name = NameOf(items[k].name);
    rows->push_back({RowText(name, 8, TypeName(items[k].type), 12, items[k].size + 20, 0, false), name});
  }
  return true;
}

void DrawList(const char *title, const std::vector<ListRow> &rows, i32 top, i32 current) {
  TextLocate(1, 1);
  TextPrintField(title, 21);
  for (i32 r = 0; r < kListRows; ++r) {
    const i32 at = top + r;
    TextLocate(1, 2 + r);
    if (at >= static_cast<i32>(rows.size())) TextPrintField("", 21);
    else if (at == current) TextPrintFieldRev(rows[static_cast<size_t>(at)].text.c_str(), 21);
    else TextPrintField(rows[static_cast<size_t>(at)].text.c_str(), 21);
  }
  FkeyDrawRow();
}

// UP and DOWN over a list, wrapping at either end; the window follows.
void WalkList(u32 key, i32 count, i32 *top, i32 *current) {
  if (count == 0) return;
  if (key == kKeyUp) {
    if (*current == 0) {
      *current = count - 1;
      *top = count > kListRows ? count - kListRows : 0;
    } else if (--*current < *top) {
      *top = *current;
    }
  } else if (key == kKeyDown) {
    if (*current == count - 1) {
      *current = 0;
      *top = 0;
    } else if (++*current >= *top + kListRows) {
      *top = *current - kListRows + 1;
    }
  }
}

void ShowItem(const std::string &folder, const std::string &name) {
  u8 type = 0;
  u8 *data = nullptr;
  u32 size = 0;
  if (McsFindItem(folder.c_str(), name.c_str(), &type, nullptr, &data, &size) != 0) {
    ErrBox(4);
    return;
  }
  std::string text;
  if ((type == 129 || type == 130) && size >= sizeof(BcdReal)) {
    Value v{};
    std::memcpy(&v.re, data, sizeof(BcdReal));
    if (type == 130 && size >= sizeof(Value)) std::memcpy(&v.im, data + sizeof(BcdReal), sizeof(BcdReal));
    char out[96];
    NumToText(&v, out);
    text = out;
  } else {
    for (u32 i = 0; i < size && i < 127; ++i) {
      char b[3];
      HexByte(data[i], b);
      text += b;
    }
  }
  if (!text.empty()) {
    LcdClearVram();
    // A carriage return splits the text in two lines.
    std::string lines = text;
    const size_t cr = lines.find('\r');
    std::string first = cr == std::string::npos ? lines : lines.substr(0, cr);
    std::string second = cr == std::string::npos ? "" : lines.substr(cr + 1);
    i32 row = 1;
    for (const std::string *part : {&first, &second}) {
      for (size_t at = 0; at < part->size() && row <= 8; at += 21, ++row) {
        TextLocate(1, row);
        TextPrint(part->substr(at, 21).c_str());
      }
    }
  }
  bool is_char = false;
  ReadKey(&is_char);
}

void FreeSize() {
  u32 total = 0, used = 0, free_bytes = 0;
  if (McsGetMemoryUse(&total, &used, &free_bytes) != 0) {
    ErrBox(4);
    return;
  }
  PopupOpen(5);
  PopupDrawWindow(5);
  TextLocate(3, 2);
  TextPrint("MCS Free Size");
  char number[16];
  std::snprintf(number, sizeof number, "%u", static_cast<unsigned>(free_bytes));
  const i32 len = static_cast<i32>(std::strlen(number));
  TextLocate(13 - len, 3);
  TextPrint(number);
  char press[32];
  if (MsgText(1, press) != nullptr) {
    TextLocate(1, 6);
    TextPrint(press);
  }
  PopupWaitKey({kKeyExit, kKeyAc, kKeyLeft, kKeyRight, kKeyQuit});
  PopupClose(5);
}

// The walk over a list until it is left; EXE hands the current row to open.
// Returns true when SHIFT+EXIT asked to leave everything.
template <typename Open>
bool RunList(const char *title, std::vector<ListRow> rows, Open open) {
  i32 top = 0, current = 0;
  for (;;) {
    DrawList(title, rows, top, current);
    bool is_char = false;
    const u32 key = ReadKey(&is_char);
    if (is_char) continue;
    if (key == kKeyExit || key == kKeyAc) return false;
    if (key == kKeyQuit) return true;
    if (key == kKeyUp || key == kKeyDown) WalkList(key, static_cast<i32>(rows.size()), &top, &current);
    else if (key == kCodeFreeSize) FreeSize();
    else if (key == kKeyExe && !rows.empty() && open(rows[static_cast<size_t>(current)])) return true;
  }
}

bool ItemList(const std::string &folder) {
  std::vector<ListRow> rows;
  ItemRows(folder, &rows);
  static const FkeyItem kEmpty[6] = {{0, kFkeyBlank, 0}, {0, kFkeyBlank, 0}, {0, kFkeyBlank, 0},
                                     {0, kFkeyBlank, 0}, {0, kFkeyBlank, 0}, {0, kFkeyBlank, 0}};
  FkeySetPage(kItemMenu, kEmpty);
  FkeyPushLevel(kItemMenu);
  KeyForgetDrawnRow();
  const bool quit = RunList("Val        Type  Size", rows, [&](const ListRow &row) {
    ShowItem(folder, row.name);
    return false;
  });
  FkeyPopLevel();
  KeyForgetDrawnRow();
  return quit;
}

}  // namespace

void VarMgrMain() {
  const u16 mask = KeyGetMenuMask();
  const u8 modifier = KeyGetModifier();
  TextCursorState cursor;
  TextGetCursor(&cursor);
  KeySetMenuMask(231);
  const FkeyItem *pages[2] = {};
  FkeySavePages(kVarMgrMenu, kVarMgrMenu + 1, pages);
  static const FkeyItem kPage[6] = {{74, kFkeyKeyCode, 1},     {46, kFkeyKeyCode, kCodeFreeSize}, {0, kFkeyBlank, 0},
                                    {0, kFkeyBlank, 0},        {0, kFkeyBlank, 0},                {0, kFkeyBlank, 0}};
  FkeySetPage(kVarMgrMenu, kPage);
  FkeySetPage(kVarMgrMenu + 1, kPage);
  FkeyPushLevel(kVarMgrMenu);
  KeyForgetDrawnRow();
  if (SysStackDepth() > 10240) {
    KeySetModifier(kModAlphaLock);
    RunList("Folder     Size   val", FolderRows(), [](const ListRow &row) { return ItemList(row.name); });
  } else {
    ErrBox(4);
  }
  FkeyPopLevel();
  FkeyRestorePages(kVarMgrMenu, kVarMgrMenu + 1, pages);
  KeyForgetDrawnRow();
  KeySetModifier(modifier);
  KeySetMenuMask(mask);
  TextSetCursor(&cursor);
}
