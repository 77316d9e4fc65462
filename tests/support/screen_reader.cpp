#include "tests/support/screen_reader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unordered_map>

#include "ui/font.h"
#include "ui/lcd.h"

namespace {

constexpr int kUnknown = -1;

// The 48 dots of the 6 x 8 cell at pixel (x0, y0): 8 rows of 6, row 0 in
// the high bits; dots off the screen read clear.
u64 CellDotsAt(const u8 *vram, int x0, int y0) {
  u64 dots = 0;
  for (int r = 0; r < 8; ++r) {
    int y = y0 + r;
    u32 bits = 0;
    for (int i = 0; i < 6; ++i) {
      int x = x0 + i;
      if (x >= 0 && x < 128 && y >= 0 && y < 64 && (vram[16 * y + (x >> 3)] & (0x80 >> (x & 7)))) bits |= 0x20u >> i;
    }
    dots = (dots << 6) | bits;
  }
  return dots;
}

u64 CellDots(const u8 *vram, int col, int row) { return CellDotsAt(vram, 6 * col, 8 * row); }

u64 GlyphDots(const u8 rows[8]) {
  u64 dots = 0;
  for (int r = 0; r < 8; ++r) dots = (dots << 6) | ((rows[r] >> 2) & 0x3F);
  return dots;
}

constexpr u64 kAllDots = (u64{1} << 48) - 1;

// Cell pictures to glyphs; printable ASCII wins over look-alikes.
const std::unordered_map<u64, int> &GlyphTable() {
  static const std::unordered_map<u64, int> table = [] {
    std::unordered_map<u64, int> t;
    for (int pass = 0; pass < 2; ++pass) {
      for (int i = 0; i < kFontGlyphCount; ++i) {
        u16 code = kFontGlyphs[i].code;
        bool ascii = code >= 0x20 && code < 0x7F;
        if ((pass == 0) != ascii) continue;
        t.emplace(GlyphDots(kFontGlyphs[i].rows), i);
      }
    }
    t.emplace(GlyphDots(kFontFallbackRows), -2);
    return t;
  }();
  return table;
}

const u8 *Vram(const u8 *vram) { return vram ? vram : LcdVramAddress(); }

// The glyph index of a cell and whether it is reversed.
int ReadCell(const u8 *vram, int col, int row, bool *reversed) {
  const auto &table = GlyphTable();
  u64 dots = CellDots(vram, col, row);
  *reversed = false;
  auto it = table.find(dots);
  if (it != table.end()) return it->second;
  it = table.find(~dots & kAllDots);
  if (it != table.end()) {
    *reversed = true;
    return it->second;
  }
  // A vertical rule through the cell (a window frame, a grid line): read the
  // cell without the dot columns that are black from top to bottom.
  u64 column = 0;
  for (int r = 0; r < 8; ++r) column = (column << 6) | 0x20;
  u64 stripped = dots;
  for (int i = 0; i < 6; ++i) {
    u64 c = column >> i;
    if ((dots & c) == c) stripped &= ~c;
  }
  if (stripped != dots) {
    it = table.find(stripped);
    if (it != table.end()) return it->second;
  }
  return kUnknown;
}

std::string LookOf(int index) {
  if (index == -2) return "\u25AF";
  if (index == kUnknown) return "?";
  return kFontGlyphs[index].look;
}

}  // namespace

std::vector<std::string> ScreenRows(const u8 *vram) {
  std::vector<std::string> rows;
  for (int r = 1; r <= 8; ++r) rows.push_back(ScreenRow(r, vram));
  return rows;
}

namespace {

// Builds a text from the 21 cells of row 1..8: each cell's glyph index (or
// kUnknown, or -2 for the stand-in box) and whether it is reversed.
template <typename Cell>
std::string ReadRow(int row, const u8 *vram, Cell cell) {
  std::string s;
  if (row < 1 || row > 8) return s;
  for (int c = 0; c < 21; ++c) {
    bool rev;
    int index = ReadCell(Vram(vram), c, row - 1, &rev);
    cell(s, index, rev);
  }
  return s;
}

}  // namespace

std::string ScreenTextAt(int x, int y, int cells, const u8 *vram) {
  const auto &table = GlyphTable();
  std::string s;
  for (int c = 0; c < cells; ++c) {
    const u64 dots = CellDotsAt(Vram(vram), x + 6 * c, y);
    auto it = table.find(dots);
    if (it == table.end()) it = table.find(~dots & kAllDots);
    s += LookOf(it == table.end() ? kUnknown : it->second);
  }
  while (!s.empty() && s.back() == ' ') s.pop_back();
  size_t lead = 0;
  while (lead < s.size() && s[lead] == ' ') ++lead;
  return s.substr(lead);
}

std::string ScreenRow(int row, const u8 *vram) {
  return ReadRow(row, vram, [](std::string &s, int index, bool) { s += LookOf(index); });
}

std::string ScreenRowTrimmed(int row, const u8 *vram) {
  std::string s = ScreenRow(row, vram);
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

std::string ScreenText(const u8 *vram) {
  std::string s;
  for (int r = 1; r <= 8; ++r) {
    if (r > 1) s += '\n';
    s += ScreenRow(r, vram);
  }
  return s;
}

std::string ScreenRowReversed(int row, const u8 *vram) {
  return ReadRow(row, vram, [](std::string &s, int, bool rev) { s += rev ? 'R' : '.'; });
}

std::string ScreenRowCodes(int row, const u8 *vram) {
  return ReadRow(row, vram, [](std::string &s, int index, bool) {
    if (index < 0) {
      s += '\xFF';
      return;
    }
    u16 code = kFontGlyphs[index].code;
    if (code > 0xFF) s += static_cast<char>(code >> 8);
    s += static_cast<char>(code & 0xFF);
  });
}

std::string ScreenPictureRegion(int x, int y, int w, int h, const u8 *vram) {
  const u8 *v = Vram(vram);
  std::string s;
  for (int py = y; py < y + h; ++py) {
    for (int px = x; px < x + w; ++px) {
      bool on = px >= 0 && px < 128 && py >= 0 && py < 64 && (v[16 * py + (px >> 3)] & (0x80 >> (px & 7)));
      s += on ? '#' : '.';
    }
    s += '\n';
  }
  return s;
}

std::string ScreenPicture(const u8 *vram) { return ScreenPictureRegion(0, 0, 128, 64, vram); }

std::vector<u8> ScreenFromPicture(const std::string &picture) {
  std::vector<u8> v(1024, 0);
  int x = 0, y = 0;
  for (char c : picture) {
    if (c == '\n') {
      ++y;
      x = 0;
      continue;
    }
    if (c == '#' && x < 128 && y < 64) v[16 * y + (x >> 3)] |= static_cast<u8>(0x80 >> (x & 7));
    if (c == '#' || c == '.') ++x;
  }
  return v;
}

namespace {

u32 Crc32(const u8 *data, size_t n, u32 crc = 0) {
  crc = ~crc;
  for (size_t i = 0; i < n; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

void Put32(std::string &s, u32 v) {
  for (int i = 3; i >= 0; --i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

void Chunk(std::string &png, const char *type, const std::string &data) {
  Put32(png, static_cast<u32>(data.size()));
  std::string body = std::string(type, 4) + data;
  png += body;
  Put32(png, Crc32(reinterpret_cast<const u8 *>(body.data()), body.size()));
}

}  // namespace

bool ScreenWritePng(const std::string &path, int scale, const u8 *vram) {
  const u8 *v = Vram(vram);
  const int margin = 2 * scale;
  const int w = 128 * scale + 2 * margin, h = 64 * scale + 2 * margin;
  // 8-bit grey rows, each led by filter byte 0.
  std::string raw;
  for (int py = 0; py < h; ++py) {
    raw += '\0';
    for (int px = 0; px < w; ++px) {
      int x = (px - margin) / scale, y = (py - margin) / scale;
      bool inside = px >= margin && py >= margin && x < 128 && y < 64;
      bool on = inside && (v[16 * y + (x >> 3)] & (0x80 >> (x & 7)));
      raw += static_cast<char>(on ? 0x20 : 0xC8);
    }
  }
  // zlib stream of stored blocks.
  std::string z = "\x78\x01";
  u32 a = 1, b = 0;
  for (unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  for (size_t pos = 0; pos < raw.size();) {
    size_t n = std::min<size_t>(65535, raw.size() - pos);
    bool last = pos + n == raw.size();
    z += static_cast<char>(last ? 1 : 0);
    z += static_cast<char>(n & 0xFF);
    z += static_cast<char>(n >> 8);
    z += static_cast<char>(~n & 0xFF);
    z += static_cast<char>((~n >> 8) & 0xFF);
    z.append(raw, pos, n);
    pos += n;
  }
  Put32(z, (b << 16) | a);
  std::string png = "\x89PNG\r\n\x1a\n";
  std::string ihdr;
  Put32(ihdr, static_cast<u32>(w));
  Put32(ihdr, static_cast<u32>(h));
  ihdr += std::string("\x08\x00\x00\x00\x00", 5);
  Chunk(png, "IHDR", ihdr);
  Chunk(png, "IDAT", z);
  Chunk(png, "IEND", "");
  FILE *f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(png.data(), 1, png.size(), f) == png.size();
  return std::fclose(f) == 0 && ok;
}
