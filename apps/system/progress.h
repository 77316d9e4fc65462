// The progress box of copies, backups and restores: a framed pop-up with the
// file's name and a bar. Calculator thread only.
#pragma once
#include "kernel/types.h"

// done 0 opens the box (break detection armed) with the name behind the
// path's last "\\"; any other done fills the bar to min(done, total) / total.
// Every call shows the busy mark and hands the display to the window.
void BrowseShowProgress(const u16 *path, i32 done, i32 total);
// Closes the box when it is open (the screen under it comes back).
void BrowseCloseProgress();
