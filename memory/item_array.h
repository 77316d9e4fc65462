// List and matrix items of main memory (folder "main"; lists are items of
// kind 5, matrices of kind 6).
//
// Both share one layout: a 16-byte header, then the elements as 12-byte
// reals without a complex flag of their own, row by row for a matrix; a
// complex list or matrix holds all its real parts and then all its imaginary
// parts in the same order. So the bytes after the header are exactly the
// element block of a list or matrix Value.
//
//   bytes 0-7    list: the sub-name, zero-padded; matrix: zero
//   bytes 8-9    u16 list: element count; matrix: rows
//   bytes 10-11  u16 list: zero; matrix: columns
//   bytes 12-15  zero in a new item; left free for an in-place reference to
//                the elements, which changes here keep as they stand
//
// The kind (0x20 real list, 0xA0 complex list, 0x30 real matrix, 0xB0
// complex matrix) is not a stored byte: the item's kind gives list or
// matrix, and the size gives real (16 + 12 n bytes) or complex (16 + 24 n).
// Every limit follows from that size and from the room the item store has
// left: a list or matrix is created or grown only when its whole new size
// fits, and then at most 999 list elements and 255 rows and 255 columns.
//
// Lists are numbered by list file and list: files 1-6 (0 is the current list
// file, SET UP item 46), 253 the sheet's lists, 254 and 255 the statistics
// work lists; list 0 is List Ans. Matrices: 0 Mat Ans, 1-26 Mat A to Mat Z,
// 30-34 the equation items, 35 and 36 the graph and recursion tables, and 40
// upward "MAT_" and the number less 40.
//
// No call keeps a pointer into main memory: elements are copied in and out.
// A pointer taken through the item interface (McsOpenByKindPtr) is valid only
// until the next create, delete, insert or cut, any of which may move every
// item. Calculator thread only.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

inline constexpr u32 kItemArrayHeader = 16;
inline constexpr u32 kItemListMaxCount = 999;
inline constexpr u32 kItemMatMaxDim = 255;

// Result codes besides 0.
inline constexpr u32 kItemListNoRoom = 51;   // the list does not fit in main memory
inline constexpr u32 kItemMatNoRoom = 48;    // the matrix does not fit in main memory
inline constexpr u32 kItemArrayExists = 36;  // created anew, but it exists
inline constexpr u32 kItemArrayBadIndex = 19;
inline constexpr u32 kItemArrayBadSize = 20;   // a count or dimension outside the limits
inline constexpr u32 kItemArrayBadNumber = 21; // no item name for these numbers
inline constexpr u32 kItemArrayMissing = 64;
inline constexpr u32 kItemArrayBadValue = 25;  // an element that is no scalar
inline constexpr u32 kItemArrayStoreFailed = 4; // Memory ERROR, for the value stores

// Bytes of a list or matrix item of n elements.
constexpr u32 ItemArrayBytes(u32 n, bool complex) { return kItemArrayHeader + n * (complex ? 24u : 12u); }

// ---- lists ----

// The item name of <file, list> (up to 8 characters and a terminator) in
// dst; an empty dst when the numbers name no list. Returns dst.
char *ItemListName(u8 file, u8 list, char *dst);
// Creates the list with count zero elements, replacing one that exists (its
// sub-name is kept); 51 when it does not fit (the old list then stands).
u32 ItemListCreate(u8 file, u8 list, u32 count);
// As ItemListCreate, but 36 when the list exists.
u32 ItemListCreateNew(u8 file, u8 list, u32 count);
// Deletes the list; 0 also when it is missing.
u32 ItemListDelete(u8 file, u8 list);
// Element count; 0 when the list does not exist.
u32 ItemListSize(u8 file, u8 list);
// 1 when the list is absent or real, 0 when complex.
u32 ItemListIsReal(u8 file, u8 list);
// Element i (from 1): a real value, or a complex one when its imaginary part
// is not zero. 19 when i is 0 or beyond the count, 64 when the list is missing.
u32 ItemListGet(u8 file, u8 list, u32 i, Value *out);
// The stored parts of element i (from 1) as they stand in the item: the
// real part, and for a complex list (*complex) the imaginary part too (im
// is left alone for a real list). 19 when i is 0 or beyond the count, 64
// when the list is missing.
u32 ItemListGetParts(u8 file, u8 list, u32 i, BcdReal *re, BcdReal *im, bool *complex);
// Elements first .. first + count - 1 into out[0 .. count - 1], as
// ItemListGet gives each, with one look-up of the list; 19 when first is 0
// or the run passes the count (nothing written), 64 when missing.
u32 ItemListGetRun(u8 file, u8 list, u32 first, u32 count, Value *out);
// Writes element i; i = 0 or beyond the count appends one element (the list
// is created when missing). A complex value makes the list complex. An error
// value is refused with its code. Fails without a change: 51 when it does
// not fit, 20 when a 1000th element would be appended.
u32 ItemListSet(u8 file, u8 list, u32 i, const Value *v);
// Inserts one element before i (i = 0 or beyond the count appends); the list
// is created when missing.
u32 ItemListInsert(u8 file, u8 list, u32 i, const Value *v);
// Removes element i (0 or beyond the count: the last); the item goes with
// its only element.
u32 ItemListDeleteElement(u8 file, u8 list, u32 i);
// The 8-byte sub-name and a terminator in dst (9 bytes); 1 when the list
// exists, else 0 and an empty dst.
u32 ItemListGetSubName(u8 file, u8 list, char *dst);
// Sets the sub-name (at most 8 bytes are kept), creating a one-element list
// when the list is missing.
u32 ItemListSetSubName(u8 file, u8 list, const char *name);
// Stores a list value (header and element block) as the list item,
// replacing the old one (its sub-name is kept); 0, or 4 when it does not fit
// or the value is no list (the old item then stands).
u32 ItemListStoreValue(u8 file, u8 list, const Value *list_value);
// Cuts a complex list back to real when every imaginary part is zero; 0 when
// the list is real afterwards, 1 when it stays complex, 64 when missing.
u32 ItemListToReal(u8 file, u8 list);

// ---- matrices ----

// The item name of a matrix number, or an empty dst when the number names
// no matrix. Returns dst.
char *ItemMatName(u8 matrix, char *dst);
// Creates a zero matrix, replacing one that exists; 48 when it does not fit
// (the old matrix then stands), 20 for dimensions outside 1-255.
u32 ItemMatCreate(u8 matrix, u32 rows, u32 cols);
// As ItemMatCreate, but 36 when the matrix exists.
u32 ItemMatCreateNew(u8 matrix, u32 rows, u32 cols);
// Deletes the matrix when present.
void ItemMatDelete(u8 matrix);
// Dimensions: 0, or 64 when the matrix is missing (rows and columns 0).
u32 ItemMatDims(u8 matrix, u32 *rows, u32 *cols);
u32 ItemMatIsReal(u8 matrix);
// Element (row, col), both from 1; 19 outside the matrix, 64 when missing.
u32 ItemMatGet(u8 matrix, u32 row, u32 col, Value *out);
// Writes element (row, col); a complex value makes the matrix complex; 48
// when that does not fit.
u32 ItemMatSet(u8 matrix, u32 row, u32 col, const Value *v);
// Insert count zero rows or columns before `before` (0 = at the end), or
// remove count of them from `first`. 48 when the result does not fit, 20
// when it would pass 255 or leave none, 19 for positions outside.
u32 ItemMatInsertRows(u8 matrix, u32 before, u32 count);
u32 ItemMatInsertCols(u8 matrix, u32 before, u32 count);
u32 ItemMatDeleteRows(u8 matrix, u32 first, u32 count);
u32 ItemMatDeleteCols(u8 matrix, u32 first, u32 count);
// Stores a matrix value as the matrix item, replacing the old one; 0, or 4.
u32 ItemMatStoreValue(u8 matrix, const Value *mat_value);
// Makes the target a copy of the source (deleting it when the source is
// missing).
u32 ItemMatCopy(u8 target, u8 source);
// As ItemListToReal.
u32 ItemMatToReal(u8 matrix);
