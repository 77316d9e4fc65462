// The calculation document: a column of lines (calculations with their
// results, texts, stop lines, strips and a title) kept as one main-memory
// item, and the operations the document engine and the e-activity drive.
//
// The item (u32 words, little-endian as main memory keeps them):
//
//   u32 N                      number of entries
//   N entry words              type << 24 | byte offset of the entry's data
//   u32 0                      end mark of the table
//   the entries' data          in table order, without gaps
//
// An empty document is the 8 bytes {0, 0}. Texts end at a zero byte and are
// padded with zeros to the next multiple of 4 above their length. Data by
// kind:
//
//   0x03 calculation  u16 width, u16 height, u16 horizontal position, u16 0,
//                     the textbook text
//   0x04 result       24-byte Value, 20-byte CalcDocResultFormat, then the
//                     element cells of a list or matrix (12 bytes each, all
//                     real parts, then all imaginary parts when complex)
//   0x05 stop line    an empty text
//   0x06 strip        char[12] application name, u16 child id, u16 sub-id,
//                     the strip's name text, the strip's data area (a u32 0
//                     when made, then what the strip application keeps)
//   0x07 title        text (entry 0 of "EACT1" only)
//   0x81 plain text   text
//   0x82 text with templates or commands: u16 width, u16 height, text
//
// Items are untrusted (they come back from files and group files): every
// read checks the entry table first, and a document that fails the check
// is replaced by a new one on open. Every change writes the whole item in
// one step, so a refused change leaves the document as it was. Calculator
// thread only: the open-document state is one global record.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

enum CalcDocEntryKind : u8 {
  kDocCalc = 0x03,
  kDocResult = 0x04,
  kDocStop = 0x05,
  kDocStrip = 0x06,
  kDocTitle = 0x07,
  kDocText = 0x81,
  kDocTemplateText = 0x82,
};

constexpr u32 kDocTypeShift = 24;
constexpr u32 DocTypeWord(u8 kind) { return static_cast<u32>(kind) << kDocTypeShift; }
constexpr u8 DocKindOf(u32 type_word) { return static_cast<u8>(type_word >> kDocTypeShift); }

constexpr u32 kDocScreenWidth = 128;
constexpr u32 kDocAreaHeight = 56;
constexpr u32 kDocResultHead = 44;  // Value and format record
constexpr u32 kDocStripHead = 16;   // application name, id, sub-id

// The item names of the three documents.
inline constexpr char kDocNameRun[] = "RUN2D1";
inline constexpr char kDocNameEact[] = "EACT1";
inline constexpr char kDocNameText[] = "TEXT1";
inline constexpr char kDocRunFolder[] = "@RUNMAT";
inline constexpr char kDocEactFolder[] = "@EACT";

struct CalcDocResultFormat {
  u16 width;
  u16 height;
  u16 hpos;        // 0 fits; else the first shown position + 1
  u16 form;        // 0 as calculated, 5 sexagesimal, 6 a+bi, 7 polar, 8 other fraction, 9/10 engineering
  u16 eng_re;      // engineering states after the latest step
  u16 eng_im;
  u16 eng_re0;     // the states the display starts from
  u16 eng_im0;
  u8 conv;         // SET UP item 61 after the latest step
  u8 conv0;        // SET UP item 61 the display starts from
  u8 display;      // SET UP item 43 when the result was made
  u8 packed;       // bits 0-1 item 87, 2-4 item 42, 5-7 item 19
};
static_assert(sizeof(CalcDocResultFormat) == 20);

struct CalcDocLineInfo {
  u32 type;  // kind << 24
  u16 width;
  u16 height;
};

// The data of a new strip: the row of the child-application table it runs
// and its name.
struct CalcDocStripHead {
  char app[12];
  u16 id;
  u16 sub;
  const u8 *name;
};

// The open document.
struct CalcDocState {
  char folder[9];
  char name[9];
  u32 count;        // copy of the item's first word
  u32 current;      // current line
  i32 row;          // pixel row of the current line's top edge
  u8 fresh;         // set after an execution, cleared by the first edit
  u8 modified;      // set by every change
  u8 damaged;       // the item failed its check and was opened as new
  u8 modifier;      // key modifier before the last key read
  u32 strip;        // current strip ("EACT1")
};
CalcDocState *CalcDocGetState();

// Length of a text's padded storage: L + 4 rounded down to a multiple of 4.
constexpr u32 CalcDocPadded(u32 length) { return (length + 4) & ~3u; }

// Checks a document item's bytes: the table, offsets rising inside the
// item, known kinds, sizes against their headers, well-formed results.
bool CalcDocCheck(const u8 *data, u32 size);

// Opens (or creates) a document by item name; the folder follows from it
// ("@EACT" for "EACT1", else "@RUNMAT"). title_name is the file name shown
// in a new "EACT1"'s title line (null elsewhere). Returns the engine's first
// command: kKeyEditLine for a new document, 8 (bottom line) for an existing
// "RUN2D1", 23 (nothing) for the others, kKeyExit when memory is short.
u32 CalcDocOpen(const char *name, const char *title_name = nullptr);

u32 CalcDocEntryCount();
u32 CalcDocEntryType(u32 index);
// Pointers into main memory: valid until the store next changes.
const u8 *CalcDocEntryData(u32 index);
const u8 *CalcDocEntryText(u32 index);
u32 CalcDocEntrySize(u32 index);
u32 CalcDocEntryHeight(u32 index);
u32 CalcDocEntryWidth(u32 index);
u32 CalcDocEntryInfo(u32 index, CalcDocLineInfo *out);
u32 CalcDocSetEntryInfo(u32 index, const CalcDocLineInfo &info);
// data: the text for every kind but a result, whose data is the Value, and
// a new strip, whose data is a CalcDocStripHead (a replaced strip takes its
// new name as text and keeps its head and data area). The
// elements of a list or matrix value are copied; the caller keeps (and
// frees) its value. 1, or 0 with nothing changed when memory is short.
u32 CalcDocInsertEntry(u32 index, const CalcDocLineInfo &info, const void *data);
u32 CalcDocRemoveEntry(u32 index);
u32 CalcDocReplaceEntry(u32 index, const CalcDocLineInfo &info, const void *data);
// Deletes a line as the user sees it (a calculation with its result). 1,
// or 0 when memory is short (nothing changed).
u32 CalcDocDeleteLine(u32 index);
// The stored value of a result. A list or matrix comes with its elements
// copied into a heap block of its own, which the caller frees
// (ValFreeTemp). 1, or 0 with Memory ERROR in out.
u32 CalcDocResultValue(u32 index, Value *out);
// The format record of a result (null for anything else); writable copy.
u32 CalcDocResultFormatOf(u32 index, CalcDocResultFormat *out);
u32 CalcDocSetResultFormat(u32 index, const CalcDocResultFormat &format);
u32 CalcDocIsPlainText(const u8 *text);
u32 CalcDocHasRoom(u32 bytes);
// The latest results above the current line: always 1 for the scalar (zero
// when there is none); the list and matrix searches give 1, or 0 with
// Memory ERROR in out. A found list or matrix is a heap copy.
u32 CalcDocGetLastAns(Value *out);
u32 CalcDocFindLastList(Value *out);
u32 CalcDocFindLastMatrix(Value *out);
// Stores a result as Ans, List Ans or Mat Ans; 1, or 0 with Memory ERROR.
u32 CalcDocStoreAns(Value *value);
// The offset in "EACT1" of the current strip's data area, or -1.
i32 EactStripDataOffset();
// Adds delta to every entry word behind the current strip's word.
void EactShiftEntryOffsets(i32 delta);
// The format record of a new result: SET UP items 43, 87, 42 and 19 now.
CalcDocResultFormat CalcDocNewFormat();
