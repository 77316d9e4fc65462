// The test tools' files: key logs and replay scripts, replay lists, answer
// files and screen captures. All are plain text (captures are BMP pictures);
// the formats are described in the README.
#pragma once
#include <QImage>

#include <string>
#include <vector>

#include "kernel/types.h"
#include "shell/calc_link.h"

constexpr const char *kKeyLogName = "_log.txt";
constexpr const char *kReplayLogName = "_logReplay.txt";

// One line of a key log or replay script.
enum ScriptOp : u8 {
  kOpNone,     // blank or comment
  kOpKey,      // KEY <name> [<code>]
  kOpChar,     // CHAR <c> | CHAR 0x<hex>
  kOpLetter,   // LETTER <A-Z|a-z>
  kOpAnswer,   // ANS
  kOpCapture,  // CAPTURE
  kOpWait,     // WAIT <ms>
  kOpBad,      // not understood
};

struct ScriptLine {
  ScriptOp op = kOpNone;
  i16 key = 0;  // kOpKey: the shell key number; kOpChar/kOpLetter: -1
  u16 code = 0;
  ShellLetterMode letter = kLetterPlain;
  i32 wait_ms = 0;
};

ScriptLine ScriptParseLine(const std::string &line);
// The line a key log writes for a sent key; empty when the key has no name.
std::string ScriptKeyLine(i16 key, u16 code, ShellLetterMode letter);

// The scripts a ".lst" file names, one a line (blank lines and lines
// starting with '#' skipped), relative names taken from the list's folder.
// A file that is not a ".lst" is a list of itself.
std::vector<std::string> ScriptReadList(const std::string &path, std::string *error);

// "<base>.ans" and "<base>_%04d.bmp" of a script path (its extension taken off).
std::string ToolAnswerPath(const std::string &script);
std::string ToolCapturePath(const std::string &base, i32 number);
// The first free "<folder>/<prefix>_%04d.bmp", counting from 1.
std::string ToolNextCapturePath(const std::string &folder, const std::string &prefix);

// The display as a picture: 128 x 64, white clear dots, black set dots.
QImage ToolDisplayImage(const u8 *shadow);
// Writes a capture (24-bit BMP) of the display. False on a write error.
bool ToolWriteCapture(const std::string &path, const u8 *shadow);
// One answer line: the real and imaginary texts separated by a space.
std::string ToolAnswerLine(const char *real, const char *imag);
// Appends a line to a text file. False on a write error.
bool ToolAppendLine(const std::string &path, const std::string &line);
