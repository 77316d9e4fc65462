// Test helpers of the evaluator: token texts written as readable strings,
// and evaluation of a whole text to the shown value.
//
// In the strings, digits, letters, '.', brackets, ',', '=', '<', '>' stand
// for themselves; '+' '-' '*' '/' '^' are the operator tokens; '~' is the
// negation sign; a name in braces is one token ("{sin}", "{frac}", "{e}"
// for the exponent mark) and "{#7F40}" gives the bytes written in hex.
#pragma once
#include <cstring>
#include <stdexcept>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "../number/numparse_testutil.h"
#include "eval/eval.h"
#include "kernel/heap.h"
#include "ui/setup.h"
#include "ui/sysvar.h"

namespace evaltest {

inline std::vector<u8> Tokens(const std::string &s) {
  static const std::map<std::string, std::vector<u8>> names = {
      {"sin", {0x81}},   {"cos", {0x82}},   {"tan", {0x83}},    {"asin", {0x91}},  {"acos", {0x92}},
      {"atan", {0x93}},  {"sinh", {0xA1}},  {"cosh", {0xA2}},   {"tanh", {0xA3}},  {"asinh", {0xB1}},
      {"acosh", {0xB2}}, {"atanh", {0xB3}}, {"ln", {0x85}},     {"log", {0x95}},   {"exp", {0xA5}},
      {"10^", {0xB5}},   {"sqrt", {0x86}},  {"cbrt", {0x96}},   {"Abs", {0x97}},   {"Int", {0xA6}},
      {"Frac", {0xB6}},  {"Intg", {0xDE}},  {"neg", {0x87}},    {"Neg", {0xB7}},   {"Not", {0xA7}},
      {"sq", {0x8B}},    {"inv", {0x9B}},   {"!", {0xAB}},      {"deg", {0x9C}},   {"rad", {0xAC}},
      {"gra", {0xBC}},   {"dms", {0x8C}},   {"e", {0x0F}},      {"frac", {0xBB}},  {"Ans", {0xC0}},
      {"pi", {0xD0}},    {"i", {0x7F, 0x50}}, {"Pol", {0x80}},  {"Rec", {0xA0}},   {"xrt", {0xB8}},
      {"P", {0x88}},     {"C", {0x98}},     {"and", {0xBA}},    {"or", {0xAA}},    {"xor", {0x9A}},
      {"xnor", {0x8A}},  {"And", {0x7F, 0xB0}}, {"Or", {0x7F, 0xB1}}, {"LNot", {0x7F, 0xB3}},
      {"angle", {0x7F, 0x54}}, {"Arg", {0x7F, 0x22}}, {"Conjg", {0x7F, 0x23}}, {"ReP", {0x7F, 0x24}},
      {"ImP", {0x7F, 0x25}}, {"<=", {0x10}}, {"!=", {0x11}},    {">=", {0x12}},    {"->", {0x0E}},
      {"theta", {0xCE}}, {"r", {0xCD}},     {"Getkey", {0x7F, 0x8F}}, {"h", {0x84}}, {"d", {0x94}},
      {"o", {0xA4}},     {"b", {0xB4}},     {"f", {0x01}},      {"p", {0x02}},     {"n", {0x03}},
      {"u", {0x04}},     {"m", {0x05}},     {"k", {0x06}},      {"M", {0x07}},     {"G", {0x08}},
      {"T", {0x09}},     {"PP", {0x0A}},    {"EE", {0x0B}},     {"HA", {0x1A}},    {"HB", {0x1B}},
      {"HC", {0x1C}},    {"HD", {0x1D}},    {"HE", {0x1E}},     {"HF", {0x1F}},    {"Ran", {0xC1}},
      {"Mat", {0x7F, 0x40}}, {"List", {0x7F, 0x51}}, {"Xmin", {0x7F, 0x00}}, {"Det", {0x7F, 0x21}},
      {"Sum", {0x7F, 0x4C}}, {"Pr(", {0xFB}}, {"minX", {0xAE}}, {"Xfct", {0x7F, 0x0B}},
      {"int", {0x8D}},   {"ddx", {0x7F, 0x26}}, {"Solve", {0x7F, 0x28}}, {"Max", {0x7F, 0x20}},
      {"Fin_n", {0x7F, 0x64}}, {"Sim", {0x7F, 0x60}}, {"an", {0x7F, 0xA0}}, {"RStart", {0x7F, 0x95}},
      {"DStart", {0x7F, 0x0D}}, {"FStart", {0x7F, 0x91}}, {"Mod", {0x8E}}, {"f1", {0x14}},
      {"Step", {0xF7, 0x06}}, {"logab", {0x7F, 0x85}}, {"RndFix", {0x7F, 0x86}}, {"If", {0xF7, 0x00}}, {"xbar", {0xC2}},
  };
  std::vector<u8> out;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '{') {
      const size_t end = s.find('}', i);
      const std::string name = s.substr(i + 1, end - i - 1);
      i = end;
      if (name[0] == '#') {
        for (size_t k = 1; k + 1 < name.size(); k += 2) {
          out.push_back(static_cast<u8>(std::stoi(name.substr(k, 2), nullptr, 16)));
        }
        continue;
      }
      const auto it = names.find(name);
      if (it == names.end()) throw std::runtime_error("no token named " + name);
      out.insert(out.end(), it->second.begin(), it->second.end());
      continue;
    }
    switch (c) {
      case '+': out.push_back(0x89); break;
      case '-': out.push_back(0x99); break;
      case '*': out.push_back(0xA9); break;
      case '/': out.push_back(0xB9); break;
      case '^': out.push_back(0xA8); break;
      case '~': out.push_back(0x87); break;
      default: out.push_back(static_cast<u8>(c)); break;
    }
  }
  out.push_back(0);
  return out;
}

// A clean calculator state: SET UP defaults, variables and Ans zero, no
// heap blocks.
inline void ResetState() {
  SetupResetAll();
  SysClearVariables();
  Value zero;
  std::memset(&zero, 0, sizeof zero);
  SysStoreVariable(kVarAns, &zero);
  MemFreeAll();
}

struct Outcome {
  u32 ok;
  Value value;
  u8 next;  // the token after the expression
};

inline Outcome Whole(const std::string &text) {
  std::vector<u8> t = Tokens(text);
  TokPos pos = t.data();
  EvalCell tok;
  std::memset(&tok, 0, sizeof tok);
  Outcome o;
  std::memset(&o.value, 0, sizeof o.value);
  o.ok = EvalWholeExpr(&pos, &tok, &o.value, 1);
  o.next = TokByte0(&tok);
  return o;
}

// The evaluation shown as numtest::ShowV gives it ("E2" for Syntax ERROR).
inline std::string Eval(const std::string &text) {
  Outcome o = Whole(text);
  const std::string shown = numtest::ShowV(o.value);
  if ((o.ok != 0) == (shown[0] == 'E')) return "status mismatch: " + shown;
  if (shown == "list") {
    // "{a,b}" with the elements as ShowV gives them.
    u16 count;
    std::memcpy(&count, &o.value.re.b[2], 2);
    std::string out = "{";
    for (u32 n = 1; n <= count; ++n) {
      EvalCell e;
      std::memset(&e, 0, sizeof e);
      EvalGetListElement(n, &o.value, &e);
      out += (n > 1 ? "," : "") + numtest::ShowV(e);
    }
    EvalFreeCell(&o.value);
    return out + "}";
  }
  return shown;
}

// Sets the n-th (mod 6) of the mode pairs random texts cycle through:
// calculation mode and complex mode.
inline void SetRandomTextMode(int n) {
  static const u8 modes[][2] = {{0, 0}, {0, 1}, {0, 2}, {9, 0}, {1, 0}, {15, 0}};
  SetupSetItem(kSetupMode, modes[n % 6][0]);
  SetupSetItem(kSetupComplexMode, modes[n % 6][1]);
}

// A random text of 1 to maxLen tokens drawn from vocabulary; when
// anyByteOneIn is not 0, one draw in that many is any non-zero byte instead.
// Ends with the end byte and a second zero: a token group's lead byte drawn
// last takes the end byte as its second byte, as in the editors' buffers.
inline std::vector<u8> RandomTokenText(std::mt19937 &rng, const std::vector<std::vector<u8>> &vocabulary,
                                       int maxLen, u32 anyByteOneIn) {
  std::vector<u8> text;
  const int len = 1 + static_cast<int>(rng() % static_cast<u32>(maxLen));
  for (int k = 0; k < len; ++k) {
    if (anyByteOneIn != 0 && rng() % anyByteOneIn == 0) {
      text.push_back(static_cast<u8>(1 + rng() % 255));
    } else {
      const auto &t = vocabulary[rng() % vocabulary.size()];
      text.insert(text.end(), t.begin(), t.end());
    }
  }
  text.push_back(0);
  text.push_back(0);
  return text;
}

}  // namespace evaltest
