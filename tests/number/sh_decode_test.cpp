// The interpreter's decoder swept over all 65,536 opcodes against the SH-3
// disassembler of binutils (run once over a file of every opcode): each
// instruction form maps to one handler slot of its own, the forms the
// interpreter leaves out and every unassigned code to the undefined handler.
// With the cross assembler present, the checked-in image is also held against
// its assembly source.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <unistd.h>

#include "number/sh/sh_cpu.h"
#include "number/sh/sh_entries.h"

namespace {

const char *kObjdump = "sh4-linux-gnu-objdump";

// The instruction form of a disassembled line: registers, immediates,
// displacements and addresses replaced by placeholders; bank registers keep
// their number (it selects the slot).
std::string FormOf(const std::string &text) {
  std::string out;
  const std::string t = text.substr(0, text.find('!'));
  for (size_t i = 0; i < t.size();) {
    const char c = t[i];
    if (c == '0' && i + 1 < t.size() && t[i + 1] == 'x') {
      i += 2;
      while (i < t.size() && std::isxdigit(static_cast<unsigned char>(t[i]))) ++i;
      out += 'A';
    } else if (c == '#') {
      ++i;
      if (i < t.size() && t[i] == '-') ++i;
      while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) ++i;
      out += '#';
    } else if (c == 'r' && i + 1 < t.size() && std::isdigit(static_cast<unsigned char>(t[i + 1])) &&
               (i == 0 || !std::isalpha(static_cast<unsigned char>(t[i - 1])))) {
      size_t j = i + 1;
      while (j < t.size() && std::isdigit(static_cast<unsigned char>(t[j]))) ++j;
      if (t.compare(j, 5, "_bank") == 0) {
        out += t.substr(i, j + 5 - i);
        i = j + 5;
      } else {
        out += 'r';
        i = j;
      }
    } else if (std::isdigit(static_cast<unsigned char>(c)) &&
               (i == 0 || !std::isalnum(static_cast<unsigned char>(t[i - 1])))) {
      while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) ++i;
      out += 'N';
    } else if (c == ' ' || c == '\t') {
      if (!out.empty() && out.back() != ' ') out += ' ';
      ++i;
    } else {
      out += c;
      ++i;
    }
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

bool HaveObjdump() {
  return std::system((std::string("command -v ") + kObjdump + " >/dev/null 2>&1").c_str()) == 0;
}

// Opcode -> disassembled text ("" for a code the disassembler does not know).
std::map<u32, std::string> Disassemble() {
  char path[] = "/tmp/corvanta_sh_opcodesXXXXXX";
  const int fd = mkstemp(path);
  EXPECT_GE(fd, 0);
  static u8 bytes[2 * 65536];
  for (u32 op = 0; op < 65536; ++op) {
    bytes[2 * op] = static_cast<u8>(op >> 8);
    bytes[2 * op + 1] = static_cast<u8>(op);
  }
  EXPECT_EQ(write(fd, bytes, sizeof bytes), static_cast<ssize_t>(sizeof bytes));
  close(fd);
  const std::string cmd = std::string(kObjdump) + " -D -b binary -m sh3 -EB " + path;
  FILE *p = popen(cmd.c_str(), "r");
  std::map<u32, std::string> out;
  char line[512];
  while (p && std::fgets(line, sizeof line, p)) {
    unsigned offset, hi, lo;
    int used = 0;
    if (std::sscanf(line, " %x:\t%2x %2x %n", &offset, &hi, &lo, &used) != 3 || used == 0) continue;
    std::string text = line + used;
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ' || text.back() == '\t')) text.pop_back();
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.erase(0, 1);
    out[hi << 8 | lo] = text.rfind(".word", 0) == 0 ? "" : text;
  }
  if (p) pclose(p);
  unlink(path);
  return out;
}

TEST(ShDecodeSweep, EveryOpcodeAgainstTheDisassembler) {
  if (!HaveObjdump()) GTEST_SKIP() << kObjdump << " not installed";
  const std::map<u32, std::string> dis = Disassemble();
  ASSERT_EQ(dis.size(), 65536u);
  // Forms the interpreter does not implement.
  const std::set<std::string> leftOut = {"rte", "sleep", "trapa", "ldtlb", "pref"};
  std::map<std::string, std::set<u32>> slotsOfForm;
  std::map<u32, std::set<std::string>> formsOfSlot;
  int mismatches = 0;
  for (const auto &[op, text] : dis) {
    const bool undefined = ShOpcodeIsUndefined(static_cast<u16>(op));
    const std::string mnemonic = text.substr(0, text.find_first_of(" \t"));
    const bool expectUndefined = text.empty() || leftOut.count(mnemonic) > 0;
    if (undefined != expectUndefined && ++mismatches <= 20)
      ADD_FAILURE() << std::hex << "opcode 0x" << op << " (" << (text.empty() ? ".word" : text) << ") "
                    << (undefined ? "undefined" : "implemented") << " here";
    if (expectUndefined || undefined) continue;
    const u32 slot = ShSlotOfOpcode(static_cast<u16>(op));
    const std::string form = FormOf(text);
    slotsOfForm[form].insert(slot);
    formsOfSlot[slot].insert(form);
  }
  EXPECT_EQ(mismatches, 0);
  for (const auto &[form, slots] : slotsOfForm) EXPECT_EQ(slots.size(), 1u) << form << " reaches several slots";
  for (const auto &[slot, forms] : formsOfSlot)
    EXPECT_EQ(forms.size(), 1u) << "slot " << slot << " serves " << *forms.begin() << " and " << *forms.rbegin();
}

// The checked-in image is what its source assembles to.
TEST(ShCodeImageSource, CheckedInBytesMatchTheAssembledSource) {
  if (std::system("command -v sh4-linux-gnu-as >/dev/null 2>&1") != 0) GTEST_SKIP() << "no SH cross assembler";
  std::string root = __FILE__;
  root = root.substr(0, root.rfind("/tests/"));
  char dir[] = "/tmp/corvanta_sh_imageXXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string d = dir;
  const std::string cmd = "sh4-linux-gnu-as --isa=sh3 -big -o " + d + "/r.o " + root +
                          "/number/sh/routines.s && sh4-linux-gnu-ld -EB -Ttext=0xA0010000 -e sh_reg_add -o " + d +
                          "/r.elf " + d + "/r.o && sh4-linux-gnu-objcopy -O binary -j .text " + d + "/r.elf " + d +
                          "/r.bin";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  std::string bytes;
  if (FILE *f = std::fopen((d + "/r.bin").c_str(), "rb")) {
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    std::fclose(f);
  }
  std::filesystem::remove_all(d);
  ASSERT_EQ(bytes.size(), ShCodeImageSize) << "run tools/gen_sh_image.sh";
  EXPECT_EQ(std::memcmp(bytes.data(), ShCodeImage, ShCodeImageSize), 0) << "run tools/gen_sh_image.sh";
  EXPECT_EQ(SH_ENTRY_REG_ADD, SH_IMAGE_BASE);
}

TEST(ShDecodeSweep, FormNormalisation) {
  const struct {
    const char *text, *form;
  } cases[] = {
      {"mov.l\t0x1a2d4,r1\t! d16ad16b", "mov.l A,r"},
      {"mov.b\t@(4,r5),r0", "mov.b @(N,r),r"},
      {"stc\tr3_bank,r12", "stc r3_bank,r"},
      {"add\t#-128,r7", "add #,r"},
      {"and.b\t#255,@(r0,gbr)", "and.b #,@(r,gbr)"},
      {"shll16\tr2", "shll16 r"},
  };
  for (const auto &c : cases) EXPECT_EQ(FormOf(c.text), c.form) << c.text;
}

}  // namespace
