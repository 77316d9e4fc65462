// What the group table and the file writer and reader share inside memory/.
#pragma once
#include <vector>

#include "kernel/types.h"
#include "memory/mcs_group.h"

extern const char kMcsGlobalFolder[];  // "$GLOBAL"

// An item a group member takes: a store item, or a "$GLOBAL" area.
struct McsItemRef {
  char folder[9];
  char name[9];
};

struct McsMember {
  char title[13];
  char file[13];
  std::vector<McsItemRef> items;
};

// What a "$GLOBAL" item stands for.
enum : u32 {
  kMcsSpecialNone = 0,  // not in "$GLOBAL": a store item
  kMcsSpecialAlphaMem = 1,
  kMcsSpecialSetup = 2,
  kMcsSpecialAppName = 3,
  kMcsSpecialOther = 4,
};
u32 McsGroupSpecial(const char *folder, const char *name);

// The members of a group row (a plain group has one, or none when it holds
// nothing), each with the items that exist now.
void McsGroupMembers(u32 row, std::vector<McsMember> *out);
// The descriptor of an item; false when it has gone.
bool McsGroupResolve(const McsItemRef &ref, const char *file, McsGroupDesc *out);
// Descriptors of the whole group (member null or empty) or of one member;
// false when there is nothing to write.
bool McsGroupCollect(const char *group, const char *member, std::vector<McsGroupDesc> *out);
// Converts item data read from a host file to memory order.
void McsConvertItemDataFromHost(u8 *data, u32 size, u16 code);

// Checks of data read from files, shared by the group files and the
// e-activity work areas: a SET UP array, one variable slot (24 bytes), and
// an item's data by its type and place (lists, matrices and programs are
// checked inside).
bool McsSetupBytesOk(const u8 *setup);
// A folder or item name field of 8 bytes: 1-8 bytes without control codes,
// zeros after the name; the name, ended, into out.
bool McsNameFieldOk(const u8 *field, char out[9]);
bool McsVariableBytesOk(const u8 *slot);
bool McsItemBytesOk(const char *folder, const char *name, u8 type, const u8 *data, u32 size);
