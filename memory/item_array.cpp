#include "memory/item_array.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "memory/item_system.h"
#include "memory/mcs_api.h"
#include "memory/mcs_store.h"
#include "number/realop.h"
#include "number/value.h"
#include "ui/setup.h"

namespace {

constexpr const char *kFolder = "main";

// A list or matrix taken out of its item: the header's name bytes, the
// dimensions (a list is count x 1) and the parts. im is empty for a real one.
struct Array {
  bool list = true;
  u8 subname[8] = {};
  u8 reference[4] = {};  // header bytes 12-15, kept as they stand
  u32 rows = 0;
  u32 cols = 0;
  std::vector<BcdReal> re;
  std::vector<BcdReal> im;

  u32 Count() const { return rows * cols; }
  bool Complex() const { return !im.empty(); }
};

u16 GetU16(const u8 *p) {
  u16 v;
  std::memcpy(&v, p, 2);
  return v;
}
void PutU16(u8 *p, u32 v) {
  const u16 w = static_cast<u16>(v);
  std::memcpy(p, &w, 2);
}

bool IsZeroPart(const BcdReal &x) {
  BcdReal a = x, zero;
  RealSetZero(&zero);
  return RealIsEqual(&a, &zero) == 1;
}

bool IsNoRoom(u32 store_code) {
  return store_code == kMcsNoRoomInsert || store_code == kMcsNoRoom || store_code == kMcsFolderFull ||
         store_code == kMcsNoRoomMove;
}

// The item types of lists and matrices (the kind table is constant data).
const u8 kListType = McsKindToType(kMcsKindList);
const u8 kMatType = McsKindToType(kMcsKindMatrix);

u8 TypeOf(bool list) { return list ? kListType : kMatType; }

// Reads the item; 64 when it is missing or its size does not match its
// header.
u32 Load(const char *name, bool list, Array *a) {
  u8 *data = nullptr;
  u32 size = 0;
  u8 type = 0;
  if (name[0] == 0 || McsFindItem(kFolder, name, &type, nullptr, &data, &size) != 0) return kItemArrayMissing;
  if (type != TypeOf(list) || size < kItemArrayHeader) return kItemArrayMissing;
  a->list = list;
  std::memcpy(a->subname, data, 8);
  std::memcpy(a->reference, data + 12, 4);
  a->rows = GetU16(data + 8);
  a->cols = list ? 1 : GetU16(data + 10);
  const u32 n = a->Count();
  bool complex;
  if (size == ItemArrayBytes(n, false)) {
    complex = false;
  } else if (size == ItemArrayBytes(n, true)) {
    complex = true;
  } else {
    return kItemArrayMissing;
  }
  const u8 *cells = data + kItemArrayHeader;
  a->re.assign(reinterpret_cast<const BcdReal *>(cells), reinterpret_cast<const BcdReal *>(cells) + n);
  a->im.clear();
  if (complex)
    a->im.assign(reinterpret_cast<const BcdReal *>(cells) + n, reinterpret_cast<const BcdReal *>(cells) + 2 * n);
  return 0;
}

void Parts(const Value *v, BcdReal *re, BcdReal *im);

// The shape of an item without copying its cells: dimensions, whether it
// is complex, and the offset of the cells (the header's size). 64 when the
// item is missing or its size does not match its header.
struct Shape {
  u32 rows = 0;
  u32 cols = 0;
  bool complex = false;
  McsItemRecord *record = nullptr;  // the item found, valid until items change
  u8 *bytes = nullptr;
};

// The shape of the item found at record r with data p.
inline u32 ShapeOf(McsItemRecord *record, u8 *p, bool list, Shape *shape, const u8 **data) {
  if (record->type != TypeOf(list) || record->size < kItemArrayHeader) return kItemArrayMissing;
  shape->record = record;
  shape->bytes = p;
  shape->rows = GetU16(p + 8);
  shape->cols = list ? 1 : GetU16(p + 10);
  const u32 n = shape->rows * shape->cols;
  if (record->size == ItemArrayBytes(n, false)) {
    shape->complex = false;
  } else if (record->size == ItemArrayBytes(n, true)) {
    shape->complex = true;
  } else {
    return kItemArrayMissing;
  }
  if (data != nullptr) *data = p;
  return 0;
}

u32 Peek(const char *name, bool list, Shape *shape, const u8 **data) {
  u8 *p = nullptr;
  McsItemRecord *record = nullptr;
  if (name[0] == 0 || McsFindItem(kFolder, name, nullptr, &record, &p, nullptr) != 0) return kItemArrayMissing;
  return ShapeOf(record, p, list, shape, data);
}

// Where the lists met last stand: a program that stores into or reads a
// list element in a loop finds the list's item without forming its name and
// searching for it, as long as main memory has not moved since (the store's
// change count) and the list names the same item (its number, its file,
// and for file 0 the current list file). One entry per list number modulo 4.
struct ListPlace {
  u64 key = 0;  // ListKey; 0 for an empty entry
  McsItemPlace place;
};
thread_local ListPlace t_listPlaces[4];

// What the item name of <file, list> depends on.
u64 ListKey(u8 file, u8 list) {
  static const u8 *const listFile = SetupItemAddress(kSetupListFile);
  const u64 setting = (file == 0 && list != 0) ? *listFile : 0;
  return u64{1} << 48 | setting << 16 | u64{file} << 8 | list;
}

// Peek of list <file, list> through the places remembered.
u32 PeekList(u8 file, u8 list, Shape *shape, const u8 **data) {
  const u64 key = ListKey(file, list);
  ListPlace &entry = t_listPlaces[list & 3];
  u8 *p = nullptr;
  if (entry.key == key) {
    if (McsItemRecord *record = McsItemAt(&entry.place, &p)) return ShapeOf(record, p, true, shape, data);
  }
  entry.key = 0;
  char name[9];
  if (ItemListName(file, list, name)[0] == 0) return kItemArrayMissing;
  McsItemRecord *record = nullptr;
  if (McsFindItemPlace(kFolder, name, &entry.place, nullptr, &record, &p, nullptr) != 0) return kItemArrayMissing;
  entry.key = key;
  return ShapeOf(record, p, true, shape, data);
}

// The stored parts of element `index` (from 0) of an item of that shape:
// the imaginary part only for a complex item.
void PeekParts(const Shape &shape, const u8 *data, u32 index, BcdReal *re, BcdReal *im) {
  std::memcpy(re, data + kItemArrayHeader + 12u * index, 12);
  if (shape.complex) std::memcpy(im, data + kItemArrayHeader + 12u * (shape.rows * shape.cols + index), 12);
}

// Element `index` (from 0) of an item of that shape.
Value PeekElement(const Shape &shape, const u8 *data, u32 index) {
  BcdReal re, im;
  PeekParts(shape, data, index, &re, &im);
  Value out;
  std::memset(&out, 0, sizeof out);
  if (shape.complex) {
    ValFromParts(&re, &im, &out);
  } else {
    out.re = re;
    RealSetZero(&out.im);
  }
  return out;
}

// Writes a value into element `index` of the item Peek just found, in
// place, when that needs no change of its size (the value is real, or the
// item complex): the item's flags are checked and the store marked changed
// as McsWriteBytes does. Returns 0 when written, 1 when the item must grow
// first, else a code.
u32 PokeElement(const Shape &shape, u32 index, const Value *v) {
  // A real value has a zero imaginary part (Parts): only a complex one is
  // tested.
  const bool complex_flag = (v->re.b[0] & 0x80) != 0;
  const bool complex_value = complex_flag && !IsZeroPart(v->im);
  if (complex_value && !shape.complex) return 1;
  if (u32 r = McsFlagError(shape.record->flags)) return McsMapError(r);
  McsMarkChangedInPlace();
  const u32 n = shape.rows * shape.cols;
  // The real part as Parts gives it (the complex flag cleared), taken and
  // written as whole words: a program stores an element just after it made
  // the value, and a word read over bytes changed one by one would wait for
  // those stores.
  u64 first;
  u32 last;
  std::memcpy(&first, v->re.b, 8);
  std::memcpy(&last, v->re.b + 8, 4);
  first &= ~u64{0x80};
  u8 *cell = shape.bytes + kItemArrayHeader + 12u * index;
  std::memcpy(cell, &first, 8);
  std::memcpy(cell + 8, &last, 4);
  if (shape.complex) {
    BcdReal im;
    if (complex_flag) {
      im = v->im;
    } else {
      RealSetZero(&im);
    }
    std::memcpy(shape.bytes + kItemArrayHeader + 12u * (n + index), &im, 12);
  }
  return 0;
}

std::vector<u8> Bytes(const Array &a) {
  const u32 n = a.Count();
  std::vector<u8> out(ItemArrayBytes(n, a.Complex()), 0);
  if (a.list) std::memcpy(out.data(), a.subname, 8);
  PutU16(out.data() + 8, a.rows);
  if (!a.list) PutU16(out.data() + 10, a.cols);
  std::memcpy(out.data() + 12, a.reference, 4);
  if (n != 0) std::memcpy(out.data() + kItemArrayHeader, a.re.data(), 12u * n);
  if (a.Complex() && n != 0) std::memcpy(out.data() + kItemArrayHeader + 12u * n, a.im.data(), 12u * n);
  return out;
}

// Writes the array as its item, creating or resizing it in one store step
// that either succeeds or leaves main memory as it was.
u32 Save(const char *name, const Array &a, u32 no_room) {
  const std::vector<u8> bytes = Bytes(a);
  if (bytes.size() >= kMcsAreaSize) return no_room;
  const u32 r = ItemWriteWhole(kFolder, name, TypeOf(a.list), bytes.data(), static_cast<u32>(bytes.size()));
  if (r == 0) return 0;
  return IsNoRoom(r) ? no_room : McsMapError(r);
}

// A value's parts as stored: plain reals, the imaginary part zero for a real.
void Parts(const Value *v, BcdReal *re, BcdReal *im) {
  *re = v->re;
  re->b[0] &= 0x7F;
  if (v->re.b[0] & 0x80) {
    *im = v->im;
  } else {
    RealSetZero(im);
  }
}

void MakeComplex(Array *a) {
  if (a->Complex()) return;
  BcdReal zero;
  RealSetZero(&zero);
  a->im.assign(a->Count(), zero);
}

// Puts a value at index, making the array complex for a complex value.
void PutElement(Array *a, u32 index, const Value *v) {
  BcdReal re, im;
  Parts(v, &re, &im);
  if (!IsZeroPart(im)) MakeComplex(a);
  a->re[index] = re;
  if (a->Complex()) a->im[index] = im;
}

// The refusal of an element value: its error code, or 25 for anything but a
// scalar.
u32 ErrorOf(const Value *v) {
  if (v == nullptr) return kItemArrayBadValue;
  if (u32 e = ValErrorCode(v)) return e;
  return ValKind(v) == kValKindScalar ? 0 : kItemArrayBadValue;
}

// Fresh zero array.
Array Zeros(bool list, u32 rows, u32 cols) {
  Array a;
  a.list = list;
  a.rows = rows;
  a.cols = cols;
  BcdReal zero;
  RealSetZero(&zero);
  a.re.assign(rows * cols, zero);
  return a;
}

u32 CreateList(u8 file, u8 list, u32 count, bool must_be_new) {
  char name[9];
  if (ItemListName(file, list, name)[0] == 0) return kItemArrayBadNumber;
  if (count > kItemListMaxCount) return kItemArrayBadSize;
  Array old;
  const bool exists = Load(name, true, &old) == 0;
  if (exists && must_be_new) return kItemArrayExists;
  Array a = Zeros(true, count, 1);
  if (exists) std::memcpy(a.subname, old.subname, 8);
  return Save(name, a, kItemListNoRoom);
}

u32 CreateMat(u8 matrix, u32 rows, u32 cols, bool must_be_new) {
  char name[9];
  if (ItemMatName(matrix, name)[0] == 0) return kItemArrayBadNumber;
  if (rows == 0 || cols == 0 || rows > kItemMatMaxDim || cols > kItemMatMaxDim) return kItemArrayBadSize;
  if (must_be_new && McsFindItem(kFolder, name, nullptr, nullptr, nullptr, nullptr) == 0) return kItemArrayExists;
  return Save(name, Zeros(false, rows, cols), kItemMatNoRoom);
}

// The element block of a list or matrix value into an array.
u32 FromValue(const Value *v, bool list, Array *a) {
  if (v == nullptr) return kItemArrayStoreFailed;
  EvalArrayHeader h;
  ValGetHeader(v, &h);
  const u8 want = list ? kValRealList : kValRealMatrix;
  if ((h.kind & 0x7F) != want) return kItemArrayStoreFailed;
  const u32 rows = h.count, cols = list ? 1 : h.cols;
  if (rows == 0 || cols == 0 || (list && rows > kItemListMaxCount) ||
      (!list && (rows > kItemMatMaxDim || cols > kItemMatMaxDim)))
    return kItemArrayStoreFailed;
  const u8 *block = MemDeref(h.handle);
  if (block == nullptr) return kItemArrayStoreFailed;
  const u32 n = rows * cols;
  a->list = list;
  a->rows = rows;
  a->cols = cols;
  a->re.assign(reinterpret_cast<const BcdReal *>(block), reinterpret_cast<const BcdReal *>(block) + n);
  a->im.clear();
  if (h.kind & 0x80)
    a->im.assign(reinterpret_cast<const BcdReal *>(block) + n, reinterpret_cast<const BcdReal *>(block) + 2 * n);
  return 0;
}

u32 ToReal(const char *name, bool list) {
  Array a;
  if (u32 r = Load(name, list, &a)) return r;
  if (!a.Complex()) return 0;
  for (const BcdReal &x : a.im)
    if (!IsZeroPart(x)) return 1;
  a.im.clear();
  return Save(name, a, list ? kItemListNoRoom : kItemMatNoRoom);
}

}  // namespace

// ---- lists ----

namespace {

// The decimal digits of n at p; returns the position after them.
char *PutUnsigned(char *p, unsigned n) {
  char digits[10];
  int k = 0;
  do {
    digits[k++] = static_cast<char>('0' + n % 10);
    n /= 10;
  } while (n != 0);
  while (k > 0) *p++ = digits[--k];
  return p;
}

}  // namespace

char *ItemListName(u8 file, u8 list, char *dst) {
  // Formed in a wider buffer: numbers whose name would pass 8 characters
  // name no list.
  char text[32] = "";
  if (file == 253) {
    std::snprintf(text, sizeof text, "SSHEET%02u", static_cast<unsigned>(list));
  } else if (file == 254) {
    std::snprintf(text, sizeof text, "STATV%u", static_cast<unsigned>(list));
  } else if (file == 255) {
    std::snprintf(text, sizeof text, "STAT%u", static_cast<unsigned>(list));
  } else if (file < 31) {
    if (list == 0) {
      std::snprintf(text, sizeof text, "0LIST0");
    } else {
      u32 f = file;
      if (f == 0) f = SetupGetItem(kSetupListFile);
      if (f == 0) f = 1;
      // "<file>LIST<list>", formed without the formatter: programs name a
      // list at every element they store.
      char *p = PutUnsigned(text, f);
      std::memcpy(p, "LIST", 4);
      *PutUnsigned(p + 4, list) = 0;
    }
  }
  if (std::strlen(text) > 8) text[0] = 0;
  std::memcpy(dst, text, 9);
  return dst;
}

u32 ItemListCreate(u8 file, u8 list, u32 count) { return CreateList(file, list, count, false); }
u32 ItemListCreateNew(u8 file, u8 list, u32 count) { return CreateList(file, list, count, true); }

u32 ItemListDelete(u8 file, u8 list) {
  char name[9];
  if (ItemListName(file, list, name)[0] == 0) return kItemArrayBadNumber;
  u8 type = 0;
  if (McsFindItem(kFolder, name, &type, nullptr, nullptr, nullptr) != 0 || type != TypeOf(true)) return 0;
  const u32 r = McsDeleteItem(kFolder, name);
  return r == 0 ? 0 : McsMapError(r);
}

u32 ItemListSize(u8 file, u8 list) {
  Shape shape;
  if (PeekList(file, list, &shape, nullptr) != 0) return 0;
  return shape.rows;
}

u32 ItemListIsReal(u8 file, u8 list) {
  Shape shape;
  if (PeekList(file, list, &shape, nullptr) != 0) return 1;
  return shape.complex ? 0 : 1;
}

u32 ItemListGet(u8 file, u8 list, u32 i, Value *out) {
  Shape shape;
  const u8 *data = nullptr;
  if (u32 r = PeekList(file, list, &shape, &data)) return r;
  if (i == 0 || i > shape.rows) return kItemArrayBadIndex;
  *out = PeekElement(shape, data, i - 1);
  return 0;
}

u32 ItemListGetParts(u8 file, u8 list, u32 i, BcdReal *re, BcdReal *im, bool *complex) {
  Shape shape;
  const u8 *data = nullptr;
  if (u32 r = PeekList(file, list, &shape, &data)) return r;
  if (i == 0 || i > shape.rows) return kItemArrayBadIndex;
  PeekParts(shape, data, i - 1, re, im);
  *complex = shape.complex;
  return 0;
}

u32 ItemListGetRun(u8 file, u8 list, u32 first, u32 count, Value *out) {
  Shape shape;
  const u8 *data = nullptr;
  if (u32 r = PeekList(file, list, &shape, &data)) return r;
  if (first == 0 || first > shape.rows || count > shape.rows - first + 1) return kItemArrayBadIndex;
  for (u32 k = 0; k < count; ++k) out[k] = PeekElement(shape, data, first - 1 + k);
  return 0;
}

u32 ItemListSet(u8 file, u8 list, u32 i, const Value *v) {
  if (u32 e = ErrorOf(v)) return e;
  Shape shape;
  // A missing list, or one of numbers that name none, goes the insert's way
  // (which refuses the numbers).
  if (PeekList(file, list, &shape, nullptr) != 0 || i == 0 || i > shape.rows) return ItemListInsert(file, list, 0, v);
  const u32 r = PokeElement(shape, i - 1, v);
  if (r != 1) return r;
  char name[9];
  ItemListName(file, list, name);
  Array a;
  if (u32 e = Load(name, true, &a)) return e;
  PutElement(&a, i - 1, v);
  return Save(name, a, kItemListNoRoom);
}

u32 ItemListInsert(u8 file, u8 list, u32 i, const Value *v) {
  if (u32 e = ErrorOf(v)) return e;
  char name[9];
  if (ItemListName(file, list, name)[0] == 0) return kItemArrayBadNumber;
  Array a;
  if (Load(name, true, &a) != 0) a = Zeros(true, 0, 1);
  if (a.Count() >= kItemListMaxCount) return kItemArrayBadSize;
  const u32 at = (i == 0 || i > a.Count()) ? a.Count() : i - 1;
  BcdReal zero;
  RealSetZero(&zero);
  a.re.insert(a.re.begin() + at, zero);
  if (a.Complex()) a.im.insert(a.im.begin() + at, zero);
  a.rows += 1;
  PutElement(&a, at, v);
  return Save(name, a, kItemListNoRoom);
}

u32 ItemListDeleteElement(u8 file, u8 list, u32 i) {
  char name[9];
  Array a;
  if (u32 r = Load(ItemListName(file, list, name), true, &a)) return r;
  if (a.Count() <= 1) return McsMapError(McsDeleteItem(kFolder, name));
  const u32 at = (i == 0 || i > a.Count()) ? a.Count() - 1 : i - 1;
  a.re.erase(a.re.begin() + at);
  if (a.Complex()) a.im.erase(a.im.begin() + at);
  a.rows -= 1;
  return Save(name, a, kItemListNoRoom);
}

u32 ItemListGetSubName(u8 file, u8 list, char *dst) {
  dst[0] = 0;
  char name[9];
  Array a;
  if (Load(ItemListName(file, list, name), true, &a) != 0) return 0;
  std::memcpy(dst, a.subname, 8);
  dst[8] = 0;
  return 1;
}

u32 ItemListSetSubName(u8 file, u8 list, const char *sub) {
  char name[9];
  if (ItemListName(file, list, name)[0] == 0) return kItemArrayBadNumber;
  Array a;
  if (Load(name, true, &a) != 0) a = Zeros(true, 1, 1);
  std::memset(a.subname, 0, 8);
  for (u32 k = 0; sub != nullptr && k < 8 && sub[k] != 0; ++k) a.subname[k] = static_cast<u8>(sub[k]);
  return Save(name, a, kItemListNoRoom);
}

u32 ItemListStoreValue(u8 file, u8 list, const Value *list_value) {
  char name[9];
  if (ItemListName(file, list, name)[0] == 0) return kItemArrayStoreFailed;
  Array a;
  if (FromValue(list_value, true, &a) != 0) return kItemArrayStoreFailed;
  Array old;
  if (Load(name, true, &old) == 0) std::memcpy(a.subname, old.subname, 8);
  return Save(name, a, kItemListNoRoom) == 0 ? 0 : kItemArrayStoreFailed;
}

u32 ItemListToReal(u8 file, u8 list) {
  char name[9];
  return ToReal(ItemListName(file, list, name), true);
}

// ---- matrices ----

char *ItemMatName(u8 matrix, char *dst) {
  static const char *const kSystem[] = {"POLYCOEF", "POLYRSLT", "SIMLCOEF", "SIMLRSLT",
                                        "POLYMULT", "GRAPHTBL", "RECURTBL"};
  char text[32] = "";
  if (matrix == 0) {
    std::snprintf(text, sizeof text, "MAT_ANS");
  } else if (matrix <= 26) {
    std::snprintf(text, sizeof text, "MAT_%c", 'A' + matrix - 1);
  } else if (matrix >= 30 && matrix <= 36) {
    std::snprintf(text, sizeof text, "%s", kSystem[matrix - 30]);
  } else if (matrix >= 40) {
    std::snprintf(text, sizeof text, "MAT_%u", static_cast<unsigned>(matrix - 40));
  }
  std::memcpy(dst, text, 9);
  return dst;
}

u32 ItemMatCreate(u8 matrix, u32 rows, u32 cols) { return CreateMat(matrix, rows, cols, false); }
u32 ItemMatCreateNew(u8 matrix, u32 rows, u32 cols) { return CreateMat(matrix, rows, cols, true); }

void ItemMatDelete(u8 matrix) {
  char name[9];
  u8 type = 0;
  if (ItemMatName(matrix, name)[0] == 0) return;
  if (McsFindItem(kFolder, name, &type, nullptr, nullptr, nullptr) == 0 && type == TypeOf(false))
    McsDeleteItem(kFolder, name);
}

u32 ItemMatDims(u8 matrix, u32 *rows, u32 *cols) {
  *rows = 0;
  *cols = 0;
  char name[9];
  Shape shape;
  if (u32 r = Peek(ItemMatName(matrix, name), false, &shape, nullptr)) return r;
  *rows = shape.rows;
  *cols = shape.cols;
  return 0;
}

u32 ItemMatIsReal(u8 matrix) {
  char name[9];
  Shape shape;
  if (Peek(ItemMatName(matrix, name), false, &shape, nullptr) != 0) return 1;
  return shape.complex ? 0 : 1;
}

u32 ItemMatGet(u8 matrix, u32 row, u32 col, Value *out) {
  char name[9];
  Shape shape;
  const u8 *data = nullptr;
  if (u32 r = Peek(ItemMatName(matrix, name), false, &shape, &data)) return r;
  if (row == 0 || col == 0 || row > shape.rows || col > shape.cols) return kItemArrayBadIndex;
  *out = PeekElement(shape, data, (row - 1) * shape.cols + (col - 1));
  return 0;
}

u32 ItemMatSet(u8 matrix, u32 row, u32 col, const Value *v) {
  if (u32 e = ErrorOf(v)) return e;
  char name[9];
  Shape shape;
  if (u32 r = Peek(ItemMatName(matrix, name), false, &shape, nullptr)) return r;
  if (row == 0 || col == 0 || row > shape.rows || col > shape.cols) return kItemArrayBadIndex;
  const u32 index = (row - 1) * shape.cols + (col - 1);
  const u32 r = PokeElement(shape, index, v);
  if (r != 1) return r;
  Array a;
  if (u32 e = Load(name, false, &a)) return e;
  PutElement(&a, index, v);
  return Save(name, a, kItemMatNoRoom);
}

namespace {

// Rebuilds a matrix as new_rows x new_cols, taking element (r, c) of the new
// one from `from(r, c)` of the old one (-1 for a new zero element).
template <typename Map>
u32 Reshape(u8 matrix, u32 new_rows, u32 new_cols, Map from) {
  char name[9];
  Array a;
  if (u32 r = Load(ItemMatName(matrix, name), false, &a)) return r;
  if (new_rows == 0 || new_cols == 0 || new_rows > kItemMatMaxDim || new_cols > kItemMatMaxDim)
    return kItemArrayBadSize;
  Array b = Zeros(false, new_rows, new_cols);
  if (a.Complex()) MakeComplex(&b);
  for (u32 r = 0; r < new_rows; ++r)
    for (u32 c = 0; c < new_cols; ++c) {
      const i64 k = from(a, r, c);
      if (k < 0) continue;
      b.re[r * new_cols + c] = a.re[static_cast<u32>(k)];
      if (a.Complex()) b.im[r * new_cols + c] = a.im[static_cast<u32>(k)];
    }
  return Save(name, b, kItemMatNoRoom);
}

}  // namespace

u32 ItemMatInsertRows(u8 matrix, u32 before, u32 count) {
  u32 rows, cols;
  if (u32 r = ItemMatDims(matrix, &rows, &cols)) return r;
  if (before > rows) return kItemArrayBadIndex;
  if (count == 0) return 0;
  const u32 at = before == 0 ? rows : before - 1;
  return Reshape(matrix, rows + count, cols, [&](const Array &a, u32 r, u32 c) -> i64 {
    if (r < at) return i64{r} * a.cols + c;
    if (r < at + count) return -1;
    return i64{r - count} * a.cols + c;
  });
}

u32 ItemMatInsertCols(u8 matrix, u32 before, u32 count) {
  u32 rows, cols;
  if (u32 r = ItemMatDims(matrix, &rows, &cols)) return r;
  if (before > cols) return kItemArrayBadIndex;
  if (count == 0) return 0;
  const u32 at = before == 0 ? cols : before - 1;
  return Reshape(matrix, rows, cols + count, [&](const Array &a, u32 r, u32 c) -> i64 {
    if (c < at) return i64{r} * a.cols + c;
    if (c < at + count) return -1;
    return i64{r} * a.cols + (c - count);
  });
}

u32 ItemMatDeleteRows(u8 matrix, u32 first, u32 count) {
  u32 rows, cols;
  if (u32 r = ItemMatDims(matrix, &rows, &cols)) return r;
  if (first == 0 || u64{first} + count - 1 > rows) return kItemArrayBadIndex;
  if (count == 0) return 0;
  const u32 at = first - 1;
  return Reshape(matrix, rows - count, cols, [&](const Array &a, u32 r, u32 c) -> i64 {
    return i64{r < at ? r : r + count} * a.cols + c;
  });
}

u32 ItemMatDeleteCols(u8 matrix, u32 first, u32 count) {
  u32 rows, cols;
  if (u32 r = ItemMatDims(matrix, &rows, &cols)) return r;
  if (first == 0 || u64{first} + count - 1 > cols) return kItemArrayBadIndex;
  if (count == 0) return 0;
  const u32 at = first - 1;
  return Reshape(matrix, rows, cols - count, [&](const Array &a, u32 r, u32 c) -> i64 {
    return i64{r} * a.cols + (c < at ? c : c + count);
  });
}

u32 ItemMatStoreValue(u8 matrix, const Value *mat_value) {
  char name[9];
  if (ItemMatName(matrix, name)[0] == 0) return kItemArrayStoreFailed;
  Array a;
  if (FromValue(mat_value, false, &a) != 0) return kItemArrayStoreFailed;
  return Save(name, a, kItemMatNoRoom) == 0 ? 0 : kItemArrayStoreFailed;
}

u32 ItemMatCopy(u8 target, u8 source) {
  char src[9], dst[9];
  if (ItemMatName(target, dst)[0] == 0 || ItemMatName(source, src)[0] == 0) return kItemArrayBadNumber;
  if (target == source) return 0;
  Array a;
  if (Load(src, false, &a) != 0) {
    ItemMatDelete(target);
    return 0;
  }
  return Save(dst, a, kItemMatNoRoom);
}

u32 ItemMatToReal(u8 matrix) {
  char name[9];
  return ToReal(ItemMatName(matrix, name), false);
}
