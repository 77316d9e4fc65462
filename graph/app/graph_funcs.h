// The model of the graph-function list of GRAPH and TABLE (and the other
// applications that edit graph functions): the type of a slot, storing a
// formula into a slot (joining the two halves of a parametric pair),
// converting between the Y= and inequality types, choosing the type of
// empty slots, selections and line styles, and the assignments of programs
// ("X^2"->Y1). Calculator thread only.
#pragma once
#include "graph/memory/gmem_func.h"
#include "kernel/types.h"


inline constexpr u8 kGraphFuncSeparator = 0xF6;
inline constexpr u32 kGraphFuncTextRoom = 255;

// The type word of Func Type t (SET UP item 24); any other value gives Y=.
u16 GraphTypeOfFuncType(u32 t);
// The stored type of slot n, or for an empty slot the type of the current
// Func Type.
u16 GraphSlotType(int n);
// Bytes of slot n's text, 0 when it is empty or missing.
u32 GraphFuncTextLength(int n);
// The text just past the first parametric separator (the terminator when
// there is none).
const char *GraphSkipFuncHead(const char *text);
// Attribute byte of slot n (0 when missing).
u8 GraphFuncAttr(int n);
// The selection bit of the running application (0 for one that selects
// nothing).
u8 GraphAppSelectBit();
// Stores text as part `part` (0 first, 1 second half of a parametric slot)
// of slot n with the slot's type, selected for the running application:
// 0, or 4 when it does not fit.
u32 GraphStoreFuncText(int n, int part, const char *text);
// Converts a Y= or inequality function to type `type`: 1 converted, 0 when
// the slot is empty or of another kind.
u32 GraphConvertFuncType(int n, u16 type);
// Func Type := t; the table and the drawn graph are forgotten.
void GraphSelectFuncType(u32 t);
// A text assigned by a program to a graph function: token byte 0xF0 (Y),
// 0xF1 (r), 0xF2 (Xt), 0xF3 (Yt), 0xF4 (X) of slot n. An empty text
// deletes the function. 0, 4 when it does not fit.
u32 GraphAssignFuncText(u8 which, int n, const u8 *text, u32 len);
// A graph-function or function-memory number after its token: one or two
// digits giving 1..20. 0 with *n and *p past the digits, else 8.
u32 GraphParseMemNumber(const u8 **p, int *n);
