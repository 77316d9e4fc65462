// Build-time generator: turns the readable glyph pictures and message files
// of data/ into C++ tables compiled into the calculator library.
//
//   corvanta_gen_tables <data dir> <output dir>
//
// Inputs:
//   font6x8.txt    the 6 x 8 font: "glyph 0xCODE LOOK" then up to 8 picture
//                  rows of at most 6 '#'/'.' cells each
//   font_mini.txt  the small font: the same form, rows of any width up to 7
//                  cells and at most 6 rows; the picture's width is the glyph's
//   msg/en.txt     the English message block: "id: text", 719 lines, bytes
//                  outside printable ASCII written as \xHH
//   msg/es.txt de.txt fr.txt pt.txt
//                  translations: "id: text" for each id that differs from
//                  English; the text may use the looks of the font's glyphs
//                  (UTF-8, e.g. "é"), which become the glyph's code. The
//                  English text's leading layout codes are put in front and
//                  the text is padded with blanks to the English width; a
//                  longer text stops the build. Message 0, the language's own
//                  name, stands as written.
//
// Outputs: font_tables.cpp, msg_tables.cpp. Any fault in the inputs stops
// the build with a message naming the file and line.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "data/gen_common.h"

namespace {

constexpr int kMsgCount = 719;

struct Glyph {
  unsigned code = 0;
  std::string look;
  std::vector<std::string> rows;
  int line = 0;
};

bool IsPictureRow(const std::string &s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c != '#' && c != '.') return false;
  return true;
}

std::vector<Glyph> ReadFont(const std::string &path, size_t max_width, size_t max_rows) {
  std::vector<Glyph> glyphs;
  std::vector<std::string> lines = ReadLines(path);
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string &s = lines[i];
    int ln = static_cast<int>(i + 1);
    if (s.empty() || s[0] == ';') continue;
    if (s.rfind("glyph ", 0) == 0) {
      std::istringstream head(s.substr(6));
      std::string code, look;
      head >> code >> look;
      Glyph g;
      g.line = ln;
      g.code = static_cast<unsigned>(std::strtoul(code.c_str(), nullptr, 16));
      if (code.rfind("0x", 0) != 0 || g.code == 0 || g.code > 0xFFFF) Fail(path, ln, "bad code " + code);
      if (look.empty()) Fail(path, ln, "glyph without a look");
      g.look = look == "SPACE" ? " " : look;
      glyphs.push_back(g);
      continue;
    }
    if (!IsPictureRow(s)) Fail(path, ln, "expected a picture row of '#' and '.'");
    if (glyphs.empty()) Fail(path, ln, "picture row before any glyph line");
    Glyph &g = glyphs.back();
    if (s.size() > max_width) Fail(path, ln, "picture row too wide");
    if (!g.rows.empty() && g.rows[0].size() != s.size()) Fail(path, ln, "rows of one glyph differ in width");
    if (g.rows.size() == max_rows) Fail(path, ln, "too many picture rows");
    g.rows.push_back(s);
  }
  std::map<unsigned, int> seen;
  for (const Glyph &g : glyphs) {
    if (g.rows.empty()) Fail(path, g.line, "glyph without a picture");
    if (seen.count(g.code)) Fail(path, g.line, "code defined twice");
    seen[g.code] = g.line;
  }
  return glyphs;
}

unsigned RowBits(const std::string &row) {
  unsigned v = 0;
  for (size_t i = 0; i < row.size(); ++i)
    if (row[i] == '#') v |= 0x80u >> i;
  return v;
}

std::string CEscape(const std::string &s) {
  std::string out;
  char buf[8];
  for (unsigned char c : s) {
    if (c >= 0x20 && c < 0x7F && c != '\\' && c != '"' && c != '?') {
      out += static_cast<char>(c);
    } else {
      std::snprintf(buf, sizeof buf, "\\%03o", c);
      out += buf;
    }
  }
  return out;
}

void WriteFile(const std::string &path, const std::string &text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  if (!out) Fail(path, 0, "cannot write");
}

std::string FontTables(const std::vector<Glyph> &big, const std::vector<Glyph> &mini) {
  std::ostringstream o;
  o << "// Generated from data/font6x8.txt and data/font_mini.txt; do not edit.\n"
    << "#include \"ui/font.h\"\n\n"
    << "extern const FontGlyph kFontGlyphs[] = {\n";
  std::map<unsigned, const Glyph *> sorted;
  for (const Glyph &g : big) sorted[g.code] = &g;
  for (auto &[code, g] : sorted) {
    o << "  {0x" << std::hex << code << ", {";
    for (size_t r = 0; r < 8; ++r) {
      unsigned bits = r < g->rows.size() ? RowBits(g->rows[r]) : 0;
      o << (r ? ", " : "") << "0x" << bits;
    }
    o << std::dec << "}, \"" << CEscape(g->look) << "\"},\n";
  }
  o << "};\nextern const int kFontGlyphCount = " << sorted.size() << ";\n\n";
  std::map<unsigned, const Glyph *> msorted;
  for (const Glyph &g : mini) msorted[g.code] = &g;
  o << "extern const FontMiniGlyph kFontMiniGlyphs[] = {\n";
  for (auto &[code, g] : msorted) {
    o << "  {0x" << std::hex << code << ", " << std::dec << g->rows[0].size() << ", {" << std::hex;
    for (size_t r = 0; r < 6; ++r) {
      unsigned bits = r < g->rows.size() ? RowBits(g->rows[r]) : 0;
      o << (r ? ", " : "") << "0x" << bits;
    }
    o << std::dec << "}},\n";
  }
  o << "};\nextern const int kFontMiniGlyphCount = " << msorted.size() << ";\n";
  return o.str();
}

// Looks of the font's glyphs (UTF-8) to their codes; the first glyph with a
// look wins, so plain ASCII letters keep their one-byte codes.
std::map<std::string, unsigned> LookTable(const std::vector<Glyph> &glyphs) {
  std::map<std::string, unsigned> table;
  for (const Glyph &g : glyphs) {
    if (g.code < 0x80 && g.code >= 0x20) table.emplace(g.look, g.code);
  }
  for (const Glyph &g : glyphs) table.emplace(g.look, g.code);
  return table;
}

size_t Utf8Length(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 0;
}

// The calculator bytes of a message written with \xHH escapes and, when
// looks is given, UTF-8 looks of glyphs.
std::string Decode(const std::string &text, const std::map<std::string, unsigned> *looks,
                   const std::string &file, int line) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\\') {
      if (i + 3 < text.size() && text[i + 1] == 'x') {
        std::string hex = text.substr(i + 2, 2);
        char *end = nullptr;
        unsigned long v = std::strtoul(hex.c_str(), &end, 16);
        if (hex.size() != 2 || *end) Fail(file, line, "bad \\x escape");
        out += static_cast<char>(v);
        i += 4;
        continue;
      }
      Fail(file, line, "a backslash must start \\xHH");
    }
    if (c < 0x80) {
      if (c < 0x20 || c == 0x7F) Fail(file, line, "control byte in text");
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    size_t n = Utf8Length(c);
    if (!looks || n == 0 || i + n > text.size()) Fail(file, line, "unexpected non-ASCII byte");
    std::string look = text.substr(i, n);
    auto it = looks->find(look);
    if (it == looks->end()) Fail(file, line, "no glyph looks like \"" + look + "\"");
    unsigned code = it->second;
    if (code > 0xFF) out += static_cast<char>(code >> 8);
    out += static_cast<char>(code & 0xFF);
    i += n;
  }
  return out;
}

bool IsLead(unsigned char c) { return c == 0x7F || c == 0xF7 || c == 0xF9 || (c >= 0xE5 && c <= 0xE7); }

// Cells a message occupies on its widest line, counting the layout codes the
// way the text writer moves.
int CellWidth(const std::string &s) {
  int x = 0, widest = 0;
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    unsigned code = c;
    if (IsLead(c) && i + 1 < s.size()) {
      code = (c << 8) | static_cast<unsigned char>(s[i + 1]);
      i += 2;
    } else {
      i += 1;
    }
    if (code == 0xF9C8) x -= 1;
    else if (code == 0xF9CD) x = 0;
    else if (code != 0xF9CA) x += 1;
    if (x > widest) widest = x;
  }
  return widest;
}

// Length in bytes of the leading run of two-byte layout codes.
size_t LeadingLayout(const std::string &s) {
  size_t i = 0;
  while (i + 1 < s.size() && static_cast<unsigned char>(s[i]) == 0xF9 &&
         static_cast<unsigned char>(s[i + 1]) >= 0xC8 && static_cast<unsigned char>(s[i + 1]) <= 0xCD)
    i += 2;
  return i;
}

std::map<int, std::pair<std::string, int>> ReadMessages(const std::string &path) {
  std::map<int, std::pair<std::string, int>> msgs;
  std::vector<std::string> lines = ReadLines(path);
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string &s = lines[i];
    int ln = static_cast<int>(i + 1);
    if (s.empty() || s[0] == ';') continue;
    size_t colon = s.find(':');
    if (colon == std::string::npos || colon == 0) Fail(path, ln, "expected \"id: text\"");
    for (size_t k = 0; k < colon; ++k)
      if (s[k] < '0' || s[k] > '9') Fail(path, ln, "expected \"id: text\"");
    int id = std::atoi(s.substr(0, colon).c_str());
    if (id < 0 || id >= kMsgCount) Fail(path, ln, "id out of range");
    if (msgs.count(id)) Fail(path, ln, "id given twice");
    std::string text;
    if (colon + 1 < s.size()) {
      if (s[colon + 1] != ' ') Fail(path, ln, "expected a blank after the colon");
      text = s.substr(colon + 2);
    }
    msgs[id] = {text, ln};
  }
  return msgs;
}

std::string MsgTables(const std::string &dir, const std::vector<Glyph> &font) {
  static const char *kNames[5] = {"en", "es", "de", "fr", "pt"};
  std::map<std::string, unsigned> looks = LookTable(font);
  std::vector<std::string> english(kMsgCount);
  {
    std::string path = dir + "/msg/en.txt";
    auto msgs = ReadMessages(path);
    if (msgs.size() != kMsgCount) Fail(path, 0, "the English block needs every id 0-718");
    for (auto &[id, t] : msgs) english[id] = Decode(t.first, nullptr, path, t.second);
  }
  std::ostringstream o;
  o << "// Generated from data/msg/*.txt; do not edit.\n"
    << "#include \"ui/msg.h\"\n\n";
  for (int lang = 0; lang < 5; ++lang) {
    std::vector<std::string> texts = english;
    if (lang > 0) {
      std::string path = dir + "/msg/" + kNames[lang] + ".txt";
      auto msgs = ReadMessages(path);
      for (auto &[id, t] : msgs) {
        std::string text = Decode(t.first, &looks, path, t.second);
        if (id == 0) {  // the language's own name, as it stands
          texts[id] = text;
          continue;
        }
        const std::string &en = english[id];
        if (text.empty() || static_cast<unsigned char>(text[0]) != 0xF9) text = en.substr(0, LeadingLayout(en)) + text;
        int width = CellWidth(en);
        int have = CellWidth(text);
        if (have > width)
          Fail(path, t.second, "text is " + std::to_string(have) + " cells, English has " + std::to_string(width));
        text.append(static_cast<size_t>(width - have), ' ');
        texts[id] = text;
      }
    }
    o << "extern const char *const kMsgTexts_" << kNames[lang] << "[" << kMsgCount << "] = {\n";
    for (int id = 0; id < kMsgCount; ++id) o << "  \"" << CEscape(texts[id]) << "\",\n";
    o << "};\n\n";
  }
  return o.str();
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <data dir> <output dir>\n", argv[0]);
    return 2;
  }
  std::string dir = argv[1], out = argv[2];
  std::vector<Glyph> big = ReadFont(dir + "/font6x8.txt", 6, 8);
  std::vector<Glyph> mini = ReadFont(dir + "/font_mini.txt", 7, 6);
  WriteFile(out + "/font_tables.cpp", FontTables(big, mini));
  WriteFile(out + "/msg_tables.cpp", MsgTables(dir, big));
  return 0;
}
