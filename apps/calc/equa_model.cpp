// The equation application's model: items, the cell window and the
// Solver's items.
#include "apps/calc/equa_model.h"

#include <cstring>

#include "memory/item_array.h"
#include "memory/item_system.h"
#include "memory/mcs_api.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "number/value.h"
#include "ui/keycodes.h"
#include "ui/sysvar.h"

namespace {

constexpr u32 kErrSyntax = 2;
constexpr u32 kErrMemory = 4;
constexpr u32 kErrNoVariable = 20;
constexpr u32 kWindow = 4;

bool IsSiml(u8 m) { return m == kEquaSimlCoef || m == kEquaSimlResult; }
bool IsResult(u8 m) { return m == kEquaSimlResult || m == kEquaPolyResult; }

bool Dims(u8 m, u32 *rows, u32 *cols) {
  *rows = *cols = 0;
  return ItemMatDims(m, rows, cols) == 0 && *rows > 0 && *cols > 0;
}

// The bytes an item takes in main memory, its record included.
u32 ItemBytes(u8 m) {
  char name[9];
  u32 size = 0;
  if (McsOpenByKind(kMcsKindMatrix, ItemMatName(m, name), &size) != 0) return 0;
  return size + 20;
}

}  // namespace

u32 EquaShownRows(const EquaCellWindow *w) {
  const u32 most = w->twoRowValue ? 3 : kWindow;
  return w->rows < most ? w->rows : most;
}

u32 EquaShownCols(const EquaCellWindow *w) {
  // A result shows one column: the real values, or the complex ones whole.
  if (w->wide || IsResult(w->matrix)) return 1;
  return w->cols < kWindow ? w->cols : kWindow;
}

bool EquaWindowOpen(EquaCellWindow *w, u8 matrix) {
  std::memset(w, 0, sizeof *w);
  w->matrix = matrix;
  return Dims(matrix, &w->rows, &w->cols);
}

bool EquaWindowReload(EquaCellWindow *w) {
  if (!Dims(w->matrix, &w->rows, &w->cols)) return false;
  if (w->row >= w->rows) w->row = w->rows - 1;
  if (w->col >= w->cols) w->col = w->cols - 1;
  EquaWindowFollow(w);
  return true;
}

void EquaWindowFollow(EquaCellWindow *w) {
  const u32 sr = EquaShownRows(w), sc = EquaShownCols(w);
  if (w->row < w->top) w->top = w->row;
  if (w->row >= w->top + sr) w->top = w->row - sr + 1;
  if (w->top + sr > w->rows) w->top = w->rows - sr;
  if (w->col < w->left) w->left = w->col;
  if (w->col >= w->left + sc) w->left = w->col - sc + 1;
  if (w->left + sc > w->cols) w->left = w->cols - sc;
}

namespace {

// A wrap puts the window at the first place, or at the last place that
// still lies inside the matrix.
void ToRow(EquaCellWindow *w, u32 row) {
  w->row = row;
  if (row == 0) w->top = 0;
  else if (row == w->rows - 1) w->top = w->rows - EquaShownRows(w);
}

void ToCol(EquaCellWindow *w, u32 col) {
  w->col = col;
  if (col == 0) w->left = 0;
  else if (col == w->cols - 1) w->left = w->cols - EquaShownCols(w);
}

void Up(EquaCellWindow *w) { ToRow(w, w->row == 0 ? w->rows - 1 : w->row - 1); }
void Down(EquaCellWindow *w) { ToRow(w, w->row + 1 >= w->rows ? 0 : w->row + 1); }

}  // namespace

void EquaWindowMove(EquaCellWindow *w, u32 key) {
  if (w->rows == 0 || w->cols == 0) return;
  if (IsResult(w->matrix)) {
    if (key == kKeyUp || key == kKeyLeft) Up(w);
    else if (key == kKeyDown || key == kKeyRight) Down(w);
  } else if (!IsSiml(w->matrix)) {
    if (key == kKeyLeft) ToCol(w, w->col == 0 ? w->cols - 1 : w->col - 1);
    else if (key == kKeyRight) ToCol(w, w->col + 1 >= w->cols ? 0 : w->col + 1);
  } else {
    switch (key) {
      case kKeyUp:
        Up(w);
        break;
      case kKeyDown:
        Down(w);
        break;
      case kKeyLeft:
        if (w->col == 0) {
          ToCol(w, w->cols - 1);
          Up(w);
        } else {
          ToCol(w, w->col - 1);
        }
        break;
      case kKeyRight:
        if (w->col + 1 >= w->cols) {
          ToCol(w, 0);
          Down(w);
        } else {
          ToCol(w, w->col + 1);
        }
        break;
      default:
        break;
    }
  }
  EquaWindowFollow(w);
}

u32 EquaSimlSize() {
  u32 r = 0, c = 0;
  return Dims(kEquaSimlCoef, &r, &c) ? r : 0;
}

u32 EquaPolySize() {
  u32 r = 0, c = 0;
  return Dims(kEquaPolyCoef, &r, &c) ? c - 1 : 0;
}

void EquaDeleteResults(u8 coefMatrix) {
  if (coefMatrix == kEquaSimlCoef) {
    ItemMatDelete(kEquaSimlResult);
  } else {
    ItemMatDelete(kEquaPolyResult);
    ItemMatDelete(kEquaPolyMult);
  }
}

bool EquaResultsPresent(u8 coefMatrix) {
  u32 r = 0, c = 0;
  return Dims(coefMatrix == kEquaSimlCoef ? kEquaSimlResult : kEquaPolyResult, &r, &c);
}

void EquaDeleteTool(u8 coefMatrix) {
  EquaDeleteResults(coefMatrix);
  ItemMatDelete(coefMatrix);
}

namespace {

void Shape(u8 coefMatrix, u32 size, u32 *rows, u32 *cols) {
  *rows = coefMatrix == kEquaSimlCoef ? size : 1;
  *cols = size + 1;
}

}  // namespace

u32 EquaNewSize(u8 coefMatrix, u32 size) {
  u32 rows, cols;
  Shape(coefMatrix, size, &rows, &cols);
  u32 total = 0, used = 0, freeBytes = 0;
  McsGetMemoryUse(&total, &used, &freeBytes);
  u64 room = freeBytes;
  const u8 simlItems[] = {kEquaSimlCoef, kEquaSimlResult};
  const u8 polyItems[] = {kEquaPolyCoef, kEquaPolyResult, kEquaPolyMult};
  if (coefMatrix == kEquaSimlCoef) {
    for (u8 m : simlItems) room += ItemBytes(m);
  } else {
    for (u8 m : polyItems) room += ItemBytes(m);
  }
  if (room < static_cast<u64>(rows) * cols * 12 + 36) return kErrMemory;
  EquaDeleteTool(coefMatrix);
  return ItemMatCreate(coefMatrix, rows, cols) <= 2 ? 0 : kErrMemory;
}

u32 EquaClearCoefs(u8 coefMatrix) {
  u32 rows = 0, cols = 0;
  if (!Dims(coefMatrix, &rows, &cols)) return kErrMemory;
  EquaDeleteTool(coefMatrix);
  return ItemMatCreate(coefMatrix, rows, cols) <= 2 ? 0 : kErrMemory;
}

u32 EquaStoreCell(const EquaCellWindow *w, const Value *v) {
  EquaDeleteResults(w->matrix);
  return ItemMatSet(w->matrix, w->row + 1, w->col + 1, v) <= 2 ? 0 : kErrMemory;
}

bool EquaResultIsComplex(u8 resultMatrix) {
  u32 rows = 0, cols = 0;
  if (!Dims(resultMatrix, &rows, &cols)) return false;
  for (u32 r = 1; r <= rows; ++r) {
    Value v;
    if (ItemMatGet(resultMatrix, r, 1, &v) == 0 && ValIsComplex(&v) == 1) return true;
    if (cols >= 2 && ItemMatGet(resultMatrix, r, 2, &v) == 0) {
      BcdReal zero;
      RealSetZero(&zero);
      BcdReal re = v.re;
      re.b[0] &= ValErrorCode(&re) ? 0xFF : 0x7F;
      if (ValErrorCode(&re) == 0 && RealIsEqual(&re, &zero) != 1) return true;
    }
  }
  return false;
}

Value EquaCellValue(const EquaCellWindow *w, u32 row, u32 col) {
  Value v;
  std::memset(&v, 0, sizeof v);
  if (w->wide) {
    // A complex result row: column 1 is the imaginary part of column 0 (or
    // the stored value itself is complex).
    Value re, im;
    if (ItemMatGet(w->matrix, row + 1, 1, &re) != 0) return RealMakeError(kErrMemory, &v.re), v;
    if (ValIsComplex(&re) == 1 || w->cols < 2) return re;
    if (ItemMatGet(w->matrix, row + 1, 2, &im) != 0) return RealMakeError(kErrMemory, &v.re), v;
    CplxPair a, b;
    ValSplit(&re, &a);
    ValSplit(&im, &b);
    ValFromParts(&a.re, &b.re, &v);
    return v;
  }
  if (ItemMatGet(w->matrix, row + 1, col + 1, &v) != 0) RealMakeError(kErrMemory, &v.re);
  return v;
}

// ---- the Solver ----

namespace {

constexpr char kFolder[] = "@EQUA";
constexpr char kLimits[] = "EQSLVLMT";
constexpr char kEquation[] = "EQU_SOLV";

bool Accepted(u8 c) {
  static const u8 kOthers[] = {0x0F, 0x28, 0x29, 0x2E, 0x3D, 0x81, 0x82, 0x83, 0x85, 0x86, 0x87, 0x89, 0x8B,
                               0x91, 0x92, 0x93, 0x95, 0x96, 0x97, 0x99, 0x9B, 0xA1, 0xA2, 0xA3, 0xA5, 0xA6,
                               0xA8, 0xA9, 0xB1, 0xB2, 0xB3, 0xB5, 0xB6, 0xB8, 0xB9, 0xBB, 0xCD, 0xCE, 0xD0,
                               0xDE, 0xF8, 0xFA};
  if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')) return true;
  for (u8 o : kOthers) {
    if (o == c) return true;
  }
  return false;
}

bool IsLead(u8 c) { return c == 0x7F || c == 0xE5 || c == 0xE6 || c == 0xE7 || c == 0xF7 || c == 0xF9; }

void DefaultLimits(BcdReal out[2]) {
  RealSetZero(&out[0]);
  RealSetZero(&out[1]);
  NumParse("-9E99", &out[0]);
  NumParse("9E99", &out[1]);
}

}  // namespace

u16 EquaSolverScanVars(const u8 *text, u8 codes[kEquaSolverMaxVars], u16 *count) {
  *count = 0;
  u32 equals = 0;
  for (u32 i = 0; i < 256 && text[i] != 0; ++i) {
    const u8 c = text[i];
    if (IsLead(c) || !Accepted(c)) return kErrSyntax;
    if (c == '=') ++equals;
    const bool var = (c >= 'A' && c <= 'Z') || c == kVarR || c == kVarTheta;
    if (!var) continue;
    bool seen = false;
    for (u16 k = 0; k < *count && !seen; ++k) seen = codes[k] == c;
    if (!seen && *count < kEquaSolverMaxVars - 2) codes[(*count)++] = c;
  }
  if (*count == 0) return kErrNoVariable;
  if (equals > 1) return kErrSyntax;
  codes[(*count)++] = kEquaLineLower;
  codes[(*count)++] = kEquaLineUpper;
  return 0;
}

void EquaSolverRealVars(const u8 *codes, i16 count) {
  for (i16 k = 0; k < count; ++k) {
    const u8 c = codes[k];
    if (c == kEquaLineLower || c == kEquaLineUpper) continue;
    Value v;
    SysReadVariable(c, &v);
    if (ValIsComplex(&v) != 1) continue;
    v.re.b[0] &= 0x7F;
    RealSetZero(&v.im);
    SysStoreVariable(c, &v);
  }
}

bool EquaSolverLoadEquation(u8 *text) {
  std::memset(text, 0, 256);
  u32 size = 0;
  u8 *data = nullptr;
  if (McsOpenByKindPtr(kMcsKindText, kEquation, &size, &data) != 0 || data == nullptr) return false;
  std::memcpy(text, data, size < 255 ? size : 255);
  return true;
}

u32 EquaSolverStoreEquation(const u8 *text) {
  const u32 len = static_cast<u32>(strnlen(reinterpret_cast<const char *>(text), 255));
  u8 buf[256] = {};
  std::memcpy(buf, text, len);
  // The whole item is written in one step: the old equation stands until
  // the new one does.
  if (ItemWriteWhole(McsKindFolder(kMcsKindText), kEquation, McsKindToType(kMcsKindText), buf, len + 1) != 0) {
    return kErrMemory;
  }
  BcdReal limits[2];
  DefaultLimits(limits);
  if (ItemWriteWhole(kFolder, kLimits, McsKindToType(kMcsKindFolder), limits, sizeof limits) != 0) {
    // The bounds could not be reset: they are left out until they can be read.
    McsDeleteInFolder(kFolder, kLimits);
  }
  return 0;
}

void EquaSolverDeleteEquation() {
  McsDeleteByKind(kMcsKindText, kEquation);
  McsDeleteInFolder(kFolder, kLimits);
}

void EquaSolverDeleteLimits() { McsDeleteInFolder(kFolder, kLimits); }

bool EquaSolverLimitsExist() {
  u32 size = 0;
  return McsOpenInFolder(kFolder, kLimits, &size) == 0;
}

namespace {

// The stored bounds; false when there are none. A bound that is not a
// well-formed real is read as its default.
bool StoredLimits(BcdReal *lower, BcdReal *upper) {
  u32 size = 0;
  u8 *data = nullptr;
  if (McsOpenInFolderPtr(kFolder, kLimits, &size, &data) != 0 || data == nullptr || size < 24) return false;
  std::memcpy(lower, data, 12);
  std::memcpy(upper, data + 12, 12);
  BcdReal defaults[2];
  DefaultLimits(defaults);
  if (!RealIsWellFormed(lower) || ValErrorCode(lower) != 0) *lower = defaults[0];
  if (!RealIsWellFormed(upper) || ValErrorCode(upper) != 0) *upper = defaults[1];
  return true;
}

}  // namespace

void EquaSolverShownLimits(BcdReal *lower, BcdReal *upper) {
  if (StoredLimits(lower, upper)) return;
  BcdReal limits[2];
  DefaultLimits(limits);
  *lower = limits[0];
  *upper = limits[1];
}

u32 EquaSolverReadLimits(BcdReal *lower, BcdReal *upper) {
  if (StoredLimits(lower, upper)) return 0;
  BcdReal limits[2];
  DefaultLimits(limits);
  if (ItemWriteWhole(kFolder, kLimits, McsKindToType(kMcsKindFolder), limits, sizeof limits) != 0) return kErrMemory;
  *lower = limits[0];
  *upper = limits[1];
  return 0;
}

u32 EquaSolverWriteLimit(u32 index, const BcdReal *value) {
  if (u8 code = ValErrorCode(value)) return code;
  if (index > 1) return kErrMemory;
  BcdReal lower, upper;
  if (u32 code = EquaSolverReadLimits(&lower, &upper)) return code;
  return McsWriteInFolder(kFolder, kLimits, 12, value, 12 * index) <= 2 ? 0 : kErrMemory;
}
