// Every key code and every character the keyboard produces, and which key
// (column, row of the key matrix) under which modifier produces it.
//
// The key reader (ui/keys.h) maps a key event through KeyLayout; the window
// draws the key legends from the same table.
#pragma once
#include "kernel/types.h"

// ---- modifier states (SET UP item 20) ----
enum KeyModifier : u8 {
  kModNone = 0,
  kModShift = 1,
  kModClip = 2,
  kModAlpha = 4,
  kModLower = 8,          // lower-case alpha, one key
  kModAlphaLock = 132,    // 0x80 | kModAlpha
  kModLowerLock = 136,    // 0x80 | kModLower
};

// Insert-mode states (SET UP item 21).
enum KeyInsertMode : u8 { kInsertOverwrite = 1, kInsertInsert = 2 };

// ---- key codes (the key reader's result 0) ----
enum KeyCode : u32 {
  kKeyXThetaT = 30001,     // X,θ,T: the graph variable
  kKeyExit = 30002,
  kKeyMenu = 30003,
  kKeyExe = 30004,
  kKeyShift = 30006,
  kKeyAlpha = 30007,
  kKeyOptn = 30008,
  kKeyF1 = 30009,
  kKeyF2 = 30010,
  kKeyF3 = 30011,
  kKeyF4 = 30012,
  kKeyF5 = 30013,
  kKeyF6 = 30014,
  kKeyAc = 30015,
  kKeyVars = 30016,
  // The eight directions; the diagonals come from no key of this keyboard.
  kKeyUpLeft = 30017,
  kKeyUp = 30018,
  kKeyUpRight = 30019,
  kKeyLeft = 30020,
  kKeyRight = 30021,
  kKeyDownLeft = 30022,
  kKeyDown = 30023,
  kKeyDownRight = 30024,
  kKeyDel = 30025,
  kKeyFracForm = 30026,    // SHIFT F<>D: mixed / improper fraction form
  kKeyInsert = 30027,      // SHIFT DEL: insert / overwrite (handled by the reader)
  kKeyPrgm = 30028,        // SHIFT VARS
  kKeyQuit = 30029,        // SHIFT EXIT
  kKeyVWindow = 30030,     // SHIFT F3
  kKeyCopy = 30035,        // CLIP menu
  kKeyPaste = 30036,       // SHIFT 9
  kKeySetup = 30037,       // SHIFT MENU
  kKeyGraphTable = 30039,  // SHIFT F6: graph <-> table
  kKeyClipShift = 30040,   // SHIFT while in the CLIP state
  kKeyClipUp = 30041,
  kKeyClipLeft = 30042,
  kKeyClipRight = 30043,
  kKeyClipDown = 30044,
  kKeyCapture = 30045,     // SHIFT 7: the capture box (handled by the reader)
  kKeyFracDec = 30046,     // F<>D: fraction / decimal
  kKeyTestGate = 30047,    // ALPHA OPT
  kKeyClip = 30050,        // SHIFT 8
  kKeyCut = 30051,         // CLIP menu
  kKeyPageUp = 30052,      // SHIFT UP
  kKeyPageDown = 30053,    // SHIFT DOWN
  kKeyMatTemplate = 30054, // matrix template input (F-key pages)
  kKeyBackupMain = 30060,  // the window's menu: main memory to the host file C:\BACKUP.MCS
  kKeyRestoreMain = 30061, // the window's menu: main memory back from it
  kKeyEditLine = 30099,    // internal: edit the current line
  kKeyCatalog = 30100,     // SHIFT 4
  kKeyFmemSee = 31000,     // function memory pages
  kKeyFmemSto = 31001,
  kKeyFmemRcl = 31007,
  kKeyDms = 31050,         // sexagesimal display
  kKeyEngDown = 31051,
  kKeyEngUp = 31052,
  kKeyGraphCopyRight = 31060,  // graph-screen pages
  kKeyGraphSwap = 31061,
  kKeyGraphAc = 31062,
  kKeyGraphStoreColumn = 31063,
  kKeyGraphTableTrace = 31064,
  kKeyTest = 32000,        // the TEST key of row 12
};

constexpr bool KeyIsFkey(u32 code) { return code >= kKeyF1 && code <= kKeyF6; }

// ---- character and token codes (the key reader's result 1) ----
// One byte, or two bytes (lead byte high) for the 0x7F, 0xE5-0xE7, 0xF7 and
// 0xF9 groups.
enum KeyChar : u16 {
  kChrArrow = 0x0E,       // assignment arrow
  kChrExp = 0x0F,         // exponent mark
  kChrNewline = 0x0D,
  kChrSpace = 0x20,
  kChrQuote = 0x22,
  kChrComma = 0x2C,
  kChrLeftBracket = 0x28,
  kChrRightBracket = 0x29,
  kChrPoint = 0x2E,
  kChrEqual = 0x3D,
  kChrListOpen = 0x7B,
  kChrListClose = 0x7D,
  kChrMatOpen = 0x5B,
  kChrMatClose = 0x5D,
  kChrSin = 0x81,
  kChrCos = 0x82,
  kChrTan = 0x83,
  kChrLn = 0x85,
  kChrSqrt = 0x86,
  kChrNeg = 0x87,
  kChrPlus = 0x89,
  kChrSquare = 0x8B,
  kChrAsin = 0x91,
  kChrAcos = 0x92,
  kChrAtan = 0x93,
  kChrLog = 0x95,
  kChrCubeRoot = 0x96,
  kChrMinus = 0x99,
  kChrInverse = 0x9B,
  kChrExpE = 0xA5,        // e^
  kChrPower = 0xA8,
  kChrTimes = 0xA9,
  kChrExp10 = 0xB5,       // 10^
  kChrXRoot = 0xB8,
  kChrDivide = 0xB9,
  kChrFraction = 0xBB,
  kChrAns = 0xC0,
  kChrR = 0xCD,
  kChrTheta = 0xCE,
  kChrPi = 0xD0,
  kChrMat = 0x7F40,
  kChrImag = 0x7F50,
  kChrList = 0x7F51,
  kChrAngle = 0x7F54,
};

// ---- the layout ----

// What a key gives under one modifier: nothing, a character or token code,
// or a key code.
enum KeyActionKind : u8 { kActNone = 0, kActChar = 1, kActKey = 2 };

struct KeyAction {
  KeyActionKind kind;
  u16 code;
  const char *legend;  // ASCII caption for the window's key legends
};

// One physical key: its matrix position and what it gives with no modifier,
// after SHIFT, in the alpha states (upper case; the lower-case states give the
// letter's lower case) and in the CLIP state. An empty action falls back to
// the key's plain action.
struct KeyLayoutRow {
  i8 column;
  i8 row;
  KeyAction plain;
  KeyAction shift;
  KeyAction alpha;
  KeyAction clip;
};

namespace keylayout_detail {
constexpr KeyAction N{kActNone, 0, ""};
constexpr KeyAction C(u16 code, const char *legend) { return {kActChar, code, legend}; }
constexpr KeyAction K(u32 code, const char *legend) { return {kActKey, static_cast<u16>(code), legend}; }
inline constexpr const char *kLetterLegends[26] = {"A", "B", "C", "D", "E", "F", "G", "H", "I",
                                                    "J", "K", "L", "M", "N", "O", "P", "Q", "R",
                                                    "S", "T", "U", "V", "W", "X", "Y", "Z"};
constexpr KeyAction L(char letter) { return {kActChar, static_cast<u16>(letter), kLetterLegends[letter - 'A']}; }
}  // namespace keylayout_detail

// The keyboard, row by row from the top. Key codes are the key reader's
// results 0 (see KeyCode); character codes its results 1.
inline constexpr KeyLayoutRow kKeyLayout[] = {
#define N keylayout_detail::N
#define C keylayout_detail::C
#define K keylayout_detail::K
#define L keylayout_detail::L
    // F-keys (row 10, F1 at column 7)
    {7, 10, K(kKeyF1, "F1"), N, N, N},
    {6, 10, K(kKeyF2, "F2"), N, N, N},
    {5, 10, K(kKeyF3, "F3"), K(kKeyVWindow, "V-Window"), N, N},
    {4, 10, K(kKeyF4, "F4"), N, N, N},
    {3, 10, K(kKeyF5, "F5"), N, N, N},
    {2, 10, K(kKeyF6, "F6"), K(kKeyGraphTable, "G<>T"), N, N},
    // SHIFT OPTN VARS MENU and the arrows (rows 8 and 9)
    {7, 9, K(kKeyShift, "SHIFT"), N, N, K(kKeyClipShift, "SHIFT")},
    {6, 9, K(kKeyOptn, "OPTN"), N, K(kKeyTestGate, ""), N},
    {5, 9, K(kKeyVars, "VARS"), K(kKeyPrgm, "PRGM"), N, N},
    {4, 9, K(kKeyMenu, "MENU"), K(kKeySetup, "SET UP"), N, N},
    {3, 9, K(kKeyLeft, "LEFT"), N, N, K(kKeyClipLeft, "LEFT")},
    {2, 9, K(kKeyUp, "UP"), K(kKeyPageUp, "PAGE UP"), N, K(kKeyClipUp, "UP")},
    {7, 8, K(kKeyAlpha, "ALPHA"), N, N, N},
    {6, 8, C(kChrSquare, "x^2"), C(kChrSqrt, "sqrt"), C(kChrR, "r"), N},
    {5, 8, C(kChrPower, "^"), C(kChrXRoot, "x-root"), C(kChrTheta, "theta"), N},
    {4, 8, K(kKeyExit, "EXIT"), K(kKeyQuit, "QUIT"), N, N},
    {3, 8, K(kKeyDown, "DOWN"), K(kKeyPageDown, "PAGE DOWN"), N, K(kKeyClipDown, "DOWN")},
    {2, 8, K(kKeyRight, "RIGHT"), N, N, K(kKeyClipRight, "RIGHT")},
    // X,theta,T log ln sin cos tan (row 7)
    {7, 7, K(kKeyXThetaT, "X,theta,T"), C(kChrAngle, "angle"), L('A'), N},
    {6, 7, C(kChrLog, "log"), C(kChrExp10, "10^x"), L('B'), N},
    {5, 7, C(kChrLn, "ln"), C(kChrExpE, "e^x"), L('C'), N},
    {4, 7, C(kChrSin, "sin"), C(kChrAsin, "sin-1"), L('D'), N},
    {3, 7, C(kChrCos, "cos"), C(kChrAcos, "cos-1"), L('E'), N},
    {2, 7, C(kChrTan, "tan"), C(kChrAtan, "tan-1"), L('F'), N},
    // ab/c F<>D ( ) , -> (row 6)
    {7, 6, C(kChrFraction, "ab/c"), N, L('G'), N},
    {6, 6, K(kKeyFracDec, "F<>D"), K(kKeyFracForm, "ab/c<>d/c"), L('H'), N},
    {5, 6, C(kChrLeftBracket, "("), C(kChrCubeRoot, "cbrt"), L('I'), N},
    {4, 6, C(kChrRightBracket, ")"), C(kChrInverse, "x^-1"), L('J'), N},
    {3, 6, C(kChrComma, ","), N, L('K'), N},
    {2, 6, C(kChrArrow, "->"), N, L('L'), N},
    // 7 8 9 DEL AC (row 5 of the picture; AC sits at matrix position (1, 1))
    {7, 5, C('7', "7"), K(kKeyCapture, "CAPTURE"), L('M'), N},
    {6, 5, C('8', "8"), K(kKeyClip, "CLIP"), L('N'), N},
    {5, 5, C('9', "9"), K(kKeyPaste, "PASTE"), L('O'), N},
    {4, 5, K(kKeyDel, "DEL"), K(kKeyInsert, "INS"), N, N},
    {1, 1, K(kKeyAc, "AC"), N, N, N},
    // 4 5 6 x / (row 4)
    {7, 4, C('4', "4"), K(kKeyCatalog, "CATALOG"), L('P'), N},
    {6, 4, C('5', "5"), N, L('Q'), N},
    {5, 4, C('6', "6"), N, L('R'), N},
    {4, 4, C(kChrTimes, "x"), C(kChrListOpen, "{"), L('S'), N},
    {3, 4, C(kChrDivide, "/"), C(kChrListClose, "}"), L('T'), N},
    // 1 2 3 + - (row 3)
    {7, 3, C('1', "1"), C(kChrList, "List"), L('U'), N},
    {6, 3, C('2', "2"), C(kChrMat, "Mat"), L('V'), N},
    {5, 3, C('3', "3"), N, L('W'), N},
    {4, 3, C(kChrPlus, "+"), C(kChrMatOpen, "["), L('X'), N},
    {3, 3, C(kChrMinus, "-"), C(kChrMatClose, "]"), L('Y'), N},
    // 0 . EXP (-) EXE (row 2)
    {7, 2, C('0', "0"), C(kChrImag, "i"), L('Z'), N},
    {6, 2, C(kChrPoint, "."), C(kChrEqual, "="), C(kChrSpace, "SPACE"), N},
    {5, 2, C(kChrExp, "EXP"), C(kChrPi, "pi"), C(kChrQuote, "\""), N},
    {4, 2, C(kChrNeg, "(-)"), C(kChrAns, "Ans"), N, N},
    {3, 2, K(kKeyExe, "EXE"), C(kChrNewline, "newline"), N, N},
    // Service key of row 12
    {4, 12, K(kKeyTest, "TEST"), N, N, N},
#undef N
#undef C
#undef K
#undef L
};

inline constexpr int kKeyLayoutCount = sizeof kKeyLayout / sizeof kKeyLayout[0];

// The layout row of a key, or null when the position carries no key.
constexpr const KeyLayoutRow *KeyLayoutFind(i32 column, i32 row) {
  for (const KeyLayoutRow &k : kKeyLayout)
    if (k.column == column && k.row == row) return &k;
  return nullptr;
}

// ---- letters typed on the PC keyboard ----
// The window sends a typed letter as a character event at (-1, -1) whose
// code carries, above the letter's byte, how the key reader takes it, so the
// window never changes the modifier state itself. No character code of the
// calculator's set lies in 0x0100-0x02FF.
constexpr u16 kKeyTypedAlphaOnce = 0x0100;  // A-Z: read under ALPHA for this key only
                                            // (unless ALPHA lock); lower case while
                                            // lower-case alpha is on
constexpr u16 kKeyTypedAlphaStay = 0x0200;  // the modifier becomes ALPHA and stays
constexpr u16 kKeyTypedMask = 0x0300;
