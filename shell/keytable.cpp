#include "shell/keytable.h"

#include <QKeySequence>

#include <fstream>
#include <sstream>

#include "shell/tools.h"

bool ShellLoadKeyTable(const std::string &path, ShellKeyTable *table, std::string *error) {
  table->bindings.clear();
  std::ifstream in(path);
  if (!in) {
    *error = "Cannot read the key table " + path;
    return false;
  }
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    std::istringstream words(line);
    std::string pc;
    if (!(words >> pc) || pc[0] == '#') continue;
    std::string rest;
    std::getline(words, rest);
    const QKeySequence seq = QKeySequence::fromString(QString::fromStdString(pc), QKeySequence::PortableText);
    const ScriptLine key = ScriptParseLine("KEY" + rest);
    if (seq.count() != 1 || seq[0].key() == Qt::Key_unknown || key.op != kOpKey) {
      *error = path + " line " + std::to_string(number) + ": not understood: " + line;
      return false;
    }
    table->bindings.push_back(ShellKeyBinding{seq[0].toCombined(), key.key, key.code});
  }
  return true;
}

const ShellKeyBinding *ShellFindKeyBinding(const ShellKeyTable &table, int combined_key) {
  for (const ShellKeyBinding &b : table.bindings) {
    if (b.qt_key == combined_key) return &b;
  }
  return nullptr;
}
