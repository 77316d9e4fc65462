// The system manager "@SYSTEM": contrast, automatic power-off, message and
// menu languages, version and user name, and the resets. Calculator thread
// only.
#pragma once
#include "kernel/types.h"

u32 SysMgrAppMain(u32 from_main_menu, u16 submode);

// Language sets: 0 the message languages (English, Spanish, German, French,
// Portuguese), 1 the menu languages (English alone).
i32 SysLanguageCount(i32 set);
// The language's name ("English" ...), null past the set.
const char *SysLanguageName(i32 set, i32 n);
// Selects language n of the set: 1, or 0 with the selection kept.
i32 SysSelectLanguage(i32 set, i32 n);
i32 SysCurrentLanguage(i32 set);

// The user name typed on the version page (up to 8 digits and capitals).
const char *SysUserName();

// The display contrast has no effect on this display: the hooks do nothing.
void SysContrastInit();
void SysContrastLighter();
void SysContrastDarker();
