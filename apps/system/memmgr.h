// The memory manager "@MEMORY": main memory as a two-level list of memory
// groups and their items, copied to the storage memory as ".MCS" files or
// deleted; the file browser on the storage memory; the backup "BACKUP.MCS"
// saved and loaded; the storage memory optimised. Calculator thread only.
#pragma once
#include "apps/system/browse.h"
#include "kernel/types.h"

u32 MemMgrAppMain(u32 from_main_menu, u16 submode);
// The item browser over main memory: returns the key that ended it (EXIT,
// SHIFT+EXIT or TRAN 141). The link application calls it with its own page.
u32 MemMgrItemBrowser(i32 title_msg, const FkeyItem *page, BrowseList *list, u16 *result);
// Fills a kind-0 list with the groups that hold something (sorted by title)
// and, behind each numbered group, its members.
void MemMgrBuildList(BrowseList *list);
// The box for the outcome of a save, load or copy: "Complete!", " Memory
// Full", " Not Found", " Invalid Type" or the Memory ERROR box.
void MemMgrReport(i32 result);
