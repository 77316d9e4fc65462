// The file browser: the folders and files of the storage memory (or the
// card, which this system does not have: its pages show "No Card"), walked,
// marked, copied into main memory, deleted, made and renamed, searched, and
// handed back to the caller. The memory manager's item browser and the link
// application use its list record, walking, rows and boxes.
// Calculator thread only.
#pragma once
#include "kernel/types.h"
#include "ui/fkey.h"

inline constexpr u32 kBrowseNone = 1000;         // no entry (walks)
inline constexpr u16 kBrowseEmptyRow = 0xFFFF;
inline constexpr u32 kBrowseCapacity = 1000;
inline constexpr u8 kBrowseDocument = 0x10;      // the high nibble of a list kind
inline constexpr i32 kBrowsePathMax = 260;

// Command codes of the browser's function-key pages.
enum BrowseCommand : u32 {
  kBrowseSel = 55,
  kBrowseDel = 56,
  kBrowseTran = 141,
  kBrowseNew = 390,
  kBrowseSrc = 391,
  kBrowseSd = 681,
  kBrowseCopy = 909,
  kBrowseMkf = 910,
  kBrowseAll = 940,
  kBrowseRnf = 944,
  kBrowseOpen = 945,
  kBrowseSmem = 1000,
};

// Fields of an entry's attribute word: 0-5 the size digits, then the flags.
enum BrowseField : u32 {
  kBrowseFieldMember = 6,   // a member of a group (item lists)
  kBrowseFieldFolder = 7,   // a folder, or a group with members
  kBrowseFieldMarked = 8,
  kBrowseFieldFlag9 = 9,
  kBrowseFieldFlag10 = 10,
};

struct BrowseEntry {
  u32 attr;        // six 4-bit size digits (15 = blank), then the flags
  char second[12]; // the folder's name again, or the group's name
  char name[12];   // the name as listed, zero-padded
};
static_assert(sizeof(BrowseEntry) == 28);

struct BrowseList {
  u8 kind;         // low nibble: 0 item list, 1 storage, 2 card; 0x10 document mode
  u16 current;
  char folder[13];
  u16 rows[6];     // entry on each list row, top first
  u16 count;
  BrowseEntry *entries;
  u32 bytes;       // free bytes shown on row 7
  u8 hideExt;
  u8 shown;        // list rows: 6 in document mode, else 5
};

void BrowseListInit(BrowseList *list, u8 kind);
void BrowseListFree(BrowseList *list);
// Frees, initialises and allocates up to 1000 zeroed entries: the capacity.
u32 BrowseListReset(BrowseList *list, u8 kind);
// The kept list is whole and may be shown again.
bool BrowseListIsValid(const BrowseList *list);

u32 BrowseEntryGetField(const BrowseEntry *e, u32 field);
void BrowseEntrySetField(BrowseEntry *e, u32 field, u32 value);
void BrowseEntrySetSize(BrowseEntry *e, u32 size);
// Six characters, blank for an empty digit, and a terminator.
void BrowseEntrySizeText(const BrowseEntry *e, char out[7]);
// The listed name as text (13 bytes).
void BrowseEntryName(const BrowseEntry *e, char out[13]);

// mode 0 first, 1 next, 2 previous, 3 last; kBrowseNone when there is none.
u32 BrowseStep(u32 index, const BrowseList *list, u32 mode);
void BrowseMoveUp(BrowseList *list);
void BrowseMoveDown(BrowseList *list);
// Makes `index` current on row `row` (1-based, at most shown), filling the
// rows from there.
void BrowseShowAt(BrowseList *list, u32 index, u32 row);
// Finds the entry listed as name (behind the entry named after, when given)
// and makes it current on row min(n, shown); false when none.
bool BrowseSelectByName(BrowseList *list, const char *after, const char *name, u32 n);
// Draws the title, the rows, the marks, the arrows and, in five-row mode,
// the free bytes.
void BrowseDrawScreen(const BrowseList *list, i32 title_msg);
void BrowseShowFreeBytes(u32 bytes);
// Asks for a name (title message) under ALPHA lock: 0 with the name, or
// EXIT / SHIFT+EXIT.
u32 BrowseNameInput(i32 title_msg, char name[9]);
// The "[        ]" field of the name inputs with its text and cursor.
void BrowseDrawNameField(const u8 *text, u32 pos, i32 row);
// Search by name: the first entry whose listed name is the typed one (with
// any extension in device lists) becomes current; " Not Found" otherwise.
void BrowseSearch(BrowseList *list);

// ---- boxes ----
void MsgBox4(i32 a, i32 b, i32 c, i32 d);
// '1', '2', or -1 on EXIT / SHIFT+EXIT.
i32 ChoiceBox4(i32 a, i32 b, i32 c, i32 d);
// 30009 on F1, -1 on EXIT, F6 or SHIFT+EXIT.
i32 ConfirmBox(i32 a, i32 b);
i32 OverwriteBox(const char *name);
// The three-line notices the applications show.
void BrowseShowComplete();
void BrowseShowNoCard();
// A folder of the device (1 storage, 2 card) for copies: 0 with out the
// device root, 1 with out the root and the folder, -1 when cancelled.
i32 BrowseChooseFolder(u8 device, u16 *out);

// The page the browser shows (a copy of the caller's, keys removed as the
// screen needs); menu id kBrowseMenu.
inline constexpr i32 kBrowseMenu = 20;
void BrowseInstallPage(const FkeyItem *page);
void BrowseRemoveKey(u32 code);
bool BrowsePageHas(u32 code);

// The browser: returns the key code that ended it. result: in, the file to
// put the cursor on; out, the chosen path (OPEN, document EXE, NEW).
u32 BrowseFiles(i32 title_msg, const char *pattern, const FkeyItem *page, BrowseList *list, u16 *result, u8 device);
// Copies one storage file to dest (a folder ending in "\\" takes the
// source's name): 0 or negative; a partial copy is removed.
i32 BrowseCopyFile(const u16 *dest, const u16 *src);
// The card is not there.
inline u32 SysCardPresent() { return 0; }
