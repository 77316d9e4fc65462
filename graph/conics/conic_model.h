// The conic sections: nine forms whose coefficients live in the variables
// A, B, C, D, H, K and R, their graph entries evaluated by routines of
// their own, the check that a form can be drawn, and the analyses of a drawn
// conic (focus, vertex, directrix, intercepts, ...).
//
// Forms: 1 X=A(Y-K)^2+H, 2 X=AY^2+BY+C, 3 Y=A(X-H)^2+K, 4 Y=AX^2+BX+C,
// 5 (X-H)^2+(Y-K)^2=R^2, 6 AX^2+AY^2+BX+CY+D=0, 7 ellipse, 8 hyperbola
// opening sideways, 9 hyperbola opening up and down.
//
// Calculator thread only.
#pragma once
#include "graph/engine/graph_context.h"
#include "kernel/types.h"
#include "number/real.h"

inline constexpr u32 kConicForms = 9;

// The coefficient letters of a form in editor order ("AKH", "ABCD", ...);
// the empty text outside 1-9.
const char *ConicLetters(u32 form);
// 1 when the coefficients cannot be drawn (Ma ERROR), else 0.
u32 ConicCheckCoefficients(u32 form);
// Sets the entry (two for the hyperbolas) of a form; entries must hold
// three. A form outside 1-9 gives only the end entry. The count.
u32 ConicSetupEntry(u32 form, GraphEntry *entries);

// Real operations followed by normalisation.
void ConicAdd(const BcdReal *a, const BcdReal *b, BcdReal *out);
void ConicSub(const BcdReal *a, const BcdReal *b, BcdReal *out);
void ConicMul(const BcdReal *a, const BcdReal *b, BcdReal *out);
void ConicDiv(const BcdReal *a, const BcdReal *b, BcdReal *out);
// 1/(4A); -B/(2A); sqrt|A^2 - B^2|; sqrt(A^2 + B^2); -B^2/(4A).
void ConicFocalDist(const BcdReal *a, BcdReal *out);
void ConicAxis(const BcdReal *a, const BcdReal *b, BcdReal *out);
void ConicEllipseC(const BcdReal *a, const BcdReal *b, BcdReal *out);
void ConicHyperbolaC(const BcdReal *a, const BcdReal *b, BcdReal *out);
void ConicVertexShift(const BcdReal *a, const BcdReal *b, BcdReal *out);

// Analysis codes (the graph screen's commands).
enum ConicAnalysis : u32 {
  kConicFocus = 30248,
  kConicSymmetry = 30249,
  kConicDirectrix = 30250,
  kConicVertex = 30251,
  kConicLength = 30252,
  kConicEccentricity = 30253,
  kConicXIcpt = 30254,
  kConicYIcpt = 30255,
  kConicCenter = 30256,
  kConicRadius = 30257,
  kConicAsymptotes = 30258,
};

// What an analysis found.
enum ConicResultKind : u8 {
  kConicPoints = 1,     // count points (x, y)
  kConicLineX = 2,      // the line X = value
  kConicLineY = 3,      // the line Y = value
  kConicValue = 4,      // a value shown as name "=" and stored in that variable
  kConicAsymptote = 5,  // Y = y[0] +- value (X - x[0])
};
struct ConicResult {
  u8 kind;
  u8 count;
  char name;  // 'L', 'r' (stored in R) or 'e' (stored in E)
  BcdReal x[4], y[4];
  BcdReal value;
};
// One analysis of a form: 0; 3 (Ma ERROR) when a value is an error; 21
// (Not Found) for intercepts that do not exist; 2 when the form has no
// such analysis.
u32 ConicAnalyze(u32 code, u32 form, ConicResult *out);

// "conicmem": the form last chosen (1-9), 0 when missing or out of range.
u32 ConicReadMem();
u32 ConicWriteMem(u32 form);
