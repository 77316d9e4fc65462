// The key table file: extra PC keys for calculator keys, read at start from
// the file the profile names ("KEYTABLE"), else "Tz841.keys" in the working
// folder when it exists. One binding a line:
//   <PC key> <calculator key name> [<code>]
// where the PC key is written as a key sequence ("F8", "Ctrl+E",
// "Shift+Return") and the name is one of the key-log names ("EXE", "F1",
// "7", ...). Blank lines and lines starting with '#' are skipped. A binding
// comes before the built-in key tables.
#pragma once
#include <string>
#include <vector>

#include "kernel/types.h"

struct ShellKeyBinding {
  int qt_key;       // Qt::Key with its modifiers (QKeyCombination::toCombined)
  i16 key;          // shell key number
  u16 code;
};

struct ShellKeyTable {
  std::vector<ShellKeyBinding> bindings;
};

// Reads a key table. False with *error naming the first bad line (the lines
// before it are kept) or an unreadable file.
bool ShellLoadKeyTable(const std::string &path, ShellKeyTable *table, std::string *error);
// The binding of a key press, or null.
const ShellKeyBinding *ShellFindKeyBinding(const ShellKeyTable &table, int combined_key);
