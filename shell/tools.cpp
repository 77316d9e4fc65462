#include "shell/tools.h"

#include <QFileInfo>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "shell/keymap.h"

namespace {

bool ParseCode(const std::string &text, u16 *out) {
  if (text.empty()) return false;
  char *end = nullptr;
  unsigned long v = std::strtoul(text.c_str(), &end, 0);
  if (*end != '\0' || v > 0xFFFF) return false;
  *out = static_cast<u16>(v);
  return true;
}

std::string StripExtension(const std::string &path) {
  size_t slash = path.find_last_of('/');
  size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path;
  return path.substr(0, dot);
}

}  // namespace

ScriptLine ScriptParseLine(const std::string &raw) {
  ScriptLine out;
  std::string line = raw;
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
  std::istringstream in(line);
  std::string word;
  if (!(in >> word) || word[0] == '#') return out;
  std::string arg, extra;
  in >> arg;
  in >> extra;
  if (word == "KEY") {
    out.key = ShellKeyByName(arg.c_str());
    if (out.key == 0 || !extra.empty()) {
      // The code may follow the name; without it the key's own code is used.
      if (out.key == 0 || !ParseCode(extra, &out.code)) return ScriptLine{kOpBad};
    } else {
      const ShellKeyRect *r = ShellSkinKeyRect(out.key);
      out.code = r != nullptr ? r->code : 0;
    }
    out.op = kOpKey;
  } else if (word == "CHAR") {
    // Space is written as 0x20; any other character as itself or in hex.
    if (arg.size() == 1) {
      out.code = static_cast<u8>(arg[0]);
    } else if (!ParseCode(arg, &out.code)) {
      return ScriptLine{kOpBad};
    }
    out.op = kOpChar;
    out.key = kShellKeyChar;
  } else if (word == "LETTER") {
    if (arg.size() != 1 || !std::isalpha(static_cast<unsigned char>(arg[0]))) return ScriptLine{kOpBad};
    out.op = kOpLetter;
    out.key = kShellKeyChar;
    out.code = static_cast<u8>(arg[0]);
    out.letter = std::isupper(static_cast<unsigned char>(arg[0])) ? kLetterAlphaOnce : kLetterAlphaStay;
    if (extra == "STAY") out.letter = kLetterAlphaStay;  // a capital sent by caps lock
  } else if (word == "ANS") {
    out.op = kOpAnswer;
  } else if (word == "CAPTURE") {
    out.op = kOpCapture;
  } else if (word == "WAIT") {
    char *end = nullptr;
    long ms = std::strtol(arg.c_str(), &end, 10);
    if (arg.empty() || *end != '\0' || ms < 0 || ms > 60000) return ScriptLine{kOpBad};
    out.op = kOpWait;
    out.wait_ms = static_cast<i32>(ms);
  } else {
    out.op = kOpBad;
  }
  return out;
}

std::string ScriptKeyLine(i16 key, u16 code, ShellLetterMode letter) {
  char buf[64];
  if (key == kShellKeyChar) {
    if (letter != kLetterPlain) {
      bool upper = code >= 'A' && code <= 'Z';
      std::snprintf(buf, sizeof buf, "LETTER %c%s", static_cast<char>(code),
                    upper && letter == kLetterAlphaStay ? " STAY" : "");
    } else {
      std::snprintf(buf, sizeof buf, "CHAR 0x%02X", code);
    }
    return buf;
  }
  const char *name = ShellKeyName(key);
  if (name == nullptr) return std::string();
  const ShellKeyRect *r = ShellSkinKeyRect(key);
  if (r != nullptr && r->code == code && ShellKeyByName(name) == key) {
    std::snprintf(buf, sizeof buf, "KEY %s", name);
  } else {
    std::snprintf(buf, sizeof buf, "KEY %s 0x%04X", name, code);
  }
  return buf;
}

std::vector<std::string> ScriptReadList(const std::string &path, std::string *error) {
  std::vector<std::string> out;
  QFileInfo info(QString::fromStdString(path));
  if (info.suffix().compare("lst", Qt::CaseInsensitive) != 0) {
    out.push_back(path);
    return out;
  }
  std::ifstream in(path);
  if (!in) {
    *error = "Cannot read the list " + path;
    return out;
  }
  const std::string folder = info.absolutePath().toStdString();
  std::string line;
  while (std::getline(in, line)) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '#') continue;
    line = line.substr(start);
    out.push_back(line[0] == '/' ? line : folder + "/" + line);
  }
  return out;
}

std::string ToolAnswerPath(const std::string &script) { return StripExtension(script) + ".ans"; }

std::string ToolCapturePath(const std::string &base, i32 number) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "_%04d.bmp", number);
  return StripExtension(base) + buf;
}

std::string ToolNextCapturePath(const std::string &folder, const std::string &prefix) {
  const std::string base = folder.empty() ? prefix : folder + "/" + prefix;
  for (i32 n = 1; n < 10000; ++n) {
    std::string path = ToolCapturePath(base, n);
    if (!QFileInfo::exists(QString::fromStdString(path))) return path;
  }
  return ToolCapturePath(base, 9999);
}

QImage ToolDisplayImage(const u8 *shadow) {
  QImage img(128, 64, QImage::Format_RGB888);
  for (int y = 0; y < 64; ++y) {
    uchar *line = img.scanLine(y);
    for (int x = 0; x < 128; ++x) {
      const bool clear = (shadow[16 * y + x / 8] >> (7 - x % 8)) & 1;
      const uchar v = clear ? 255 : 0;
      line[3 * x] = line[3 * x + 1] = line[3 * x + 2] = v;
    }
  }
  return img;
}

bool ToolWriteCapture(const std::string &path, const u8 *shadow) {
  return ToolDisplayImage(shadow).save(QString::fromStdString(path), "BMP");
}

std::string ToolAnswerLine(const char *real, const char *imag) {
  return std::string(real != nullptr ? real : "") + " " + (imag != nullptr ? imag : "");
}

bool ToolAppendLine(const std::string &path, const std::string &line) {
  std::ofstream out(path, std::ios::app);
  if (!out) return false;
  out << line << '\n';
  out.flush();
  return static_cast<bool>(out);
}
