// The item interface: applications address main-memory items by a kind byte
// and a name, or by a folder name and a name. It keeps one current item that
// later calls act on, the store's last result, and the 29 variable slots
// (A-Z, theta, r, Ans). Results are application error codes (0 = success);
// store codes are turned into them by McsMapError.
#pragma once
#include "kernel/heap.h"
#include "kernel/types.h"
#include "number/real.h"

// Kinds: 0 variable slot, 1 program ("system"), 2 graph function, 3, 4 text
// in "main", 5 list, 6 matrix, 7 picture, 10 "@REV2", 254 item opened by
// folder name, 255 "@APLWORK"; 128 means no current item.
enum McsKind : u8 {
  kMcsKindVariable = 0,
  kMcsKindProgram = 1,
  kMcsKindText = 4,
  kMcsKindList = 5,
  kMcsKindMatrix = 6,
  kMcsKindRev2 = 10,
  kMcsKindNone = 128,
  kMcsKindFolder = 254,
  kMcsKindWork = 255,
};

inline constexpr u32 kMcsVarSlotCount = 29;

// Folder of a kind: 1 "system", 10 "@REV2", 255 "@APLWORK", else "main".
const char *McsKindFolder(u8 kind);
// Item type of a kind (0 for a kind without one) and kind of a type (128 for
// a type without one).
u8 McsKindToType(u8 kind);
u8 McsTypeToKind(u8 type);
// Variable slot of a character: 'A'-'Z' 0-25, 0xCE (theta) 26, 0xCD (r) 27,
// 0xC0 (Ans) 28; 29 for any other character.
u32 McsVarSlotIndex(u8 ch);
// Store code to application code.
u32 McsMapError(u32 store_code);

u32 McsCreateByKind(u8 kind, const char *name, u32 size, const void *data);
u32 McsCreateInFolder(const char *folder, const char *name, u32 size, const void *data);
u32 McsOpenByKind(u8 kind, const char *name, u32 *size);
u32 McsOpenInFolder(const char *folder, const char *name, u32 *size);
// As the open calls, also giving the address of the item's data (valid until
// the store next changes).
u32 McsOpenByKindPtr(u8 kind, const char *name, u32 *size, u8 **data);
u32 McsOpenInFolderPtr(const char *folder, const char *name, u32 *size, u8 **data);
u32 McsInsertByKind(u8 kind, const char *name, u32 count, const void *src, u32 offset);
u32 McsInsertInFolder(const char *folder, const char *name, u32 count, const void *src, u32 offset);
// 0 written inside, 1 written exactly up to the end, 2 the item grew.
u32 McsWriteByKind(u8 kind, const char *name, u32 count, const void *src, u32 offset);
u32 McsWriteInFolder(const char *folder, const char *name, u32 count, const void *src, u32 offset);
u32 McsCutByKind(u8 kind, const char *name, u32 count, u32 offset);
u32 McsCutInFolder(const char *folder, const char *name, u32 count, u32 offset);
u32 McsDeleteByKind(u8 kind, const char *name);
u32 McsDeleteInFolder(const char *folder, const char *name);
// Kind 128 deletes every item of "main".
u32 McsDeleteAllOfKind(u8 kind);
u32 McsDeleteAllInFolder(const char *folder);
// Direction 1 or more walks from the first record, below 1 from the last; a
// null prefix matches any name.
u32 McsFindByKind(u8 kind, const char *prefix, i32 direction);
u32 McsFindInFolder(const char *folder, const char *prefix, i32 direction);

// Calls on the current item.
u32 McsInsertCurrent(u32 count, const void *src, u32 offset);
u32 McsWriteCurrent(u32 count, const void *src, u32 offset);
u32 McsCutCurrent(u32 count, u32 offset);
u32 McsDeleteCurrent();
u32 McsStepCurrent(i32 direction);
// offset is 1-based; 0 copies the whole item.
u32 McsReadCurrent(u32 offset, u32 count, void *dst);
u32 McsCurrentKindSize(u8 *kind, u32 *size);
u32 McsCurrentPtr(u32 *size, u8 **data);
// Copies the current name (up to 8 bytes and a terminator).
u32 McsCurrentName(char *dst);

u32 McsStoreVariable(u8 ch, const Value *value);
u32 McsReadVariable(u8 ch, Value *out);
u32 McsVariablePtr(u8 ch, u32 *size, Value **slot);

// Turns a heap block into an item of the kind's folder, after prefix_size
// bytes of prefix data; the block is freed in every case.
u32 McsStoreBlock(u8 kind, const char *name, MemHandle block, u32 prefix_size, const void *prefix);
u32 McsCountItemsOfType(const char *folder, u8 type);
// Names of the items of a type, in record order, into 9-byte rows (at most
// 300); gives the number copied.
u32 McsListItemsOfType(const char *folder, u8 type, u8 *dst);
// The raw store code of the last store call.
u32 McsLastError();
u32 McsGetMemoryUse(u32 *total, u32 *used, u32 *free_bytes);
// Clears all main memory: no current item, the handle heap emptied, the
// variables' real parts zero, the store initialised and one folder created
// for each application.
u32 McsClearAll();
// The item store alone as McsClearAll leaves it (fresh area, one folder for
// each application, no current item); the handle heap and the variables
// stay as they are.
u32 McsResetItems();
// No current item: called when the area was replaced whole under it.
void McsForgetCurrent();
