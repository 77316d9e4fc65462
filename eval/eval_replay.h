// Replay of whole expressions (evaluator internal).
//
// A graph, a table or a program loop evaluates the same statement text again
// and again with other variable values. The first evaluation of a text is
// recorded as the value steps the evaluator took: the literals it read (their
// values depend on the text alone), the variables it read, the operands it
// pushed and every operator it applied, in order. An evaluation of the same
// text under the same reading conditions then runs those steps straight on
// the caller's cells, calling the same appliers with the same operands in
// the same order, so its result cell, token and position are those of the
// full evaluation. A step that fails there (an error, a break, a stack that
// a complex value overfills) puts the caller's cells back and the text is
// evaluated in full, which gives the error and its position.
//
// Only texts made of number literals, the letter variables, theta, r, pi,
// operators, prefix functions, brackets and postfix operators are recorded;
// anything else (functions that take arguments, lists, matrices, Ans,
// fractions typed with the fraction bar, degree marks, Base-N, the
// spreadsheet's cell references) leaves the text to the full evaluation.
// Calculator thread only.
#pragma once
#include "eval/eval.h"
#include "kernel/types.h"

constexpr u32 kEvalReplayTextMax = 128;    // longer statements are not kept
constexpr u32 kEvalReplayStepMax = 96;     // steps of one recording
constexpr u32 kEvalReplayLiteralMax = 24;  // literal values of one recording
constexpr u32 kEvalReplaySlots = 16;       // recordings kept, chosen by the text

enum EvalStepKind : u8 {
  kEvalStepLiteral,
  kEvalStepVariable,
  kEvalStepValue,
  kEvalStepPush,
  kEvalStepBinary,
  kEvalStepUnary,
};

struct EvalStep {
  u8 kind;
  u8 a;  // literal index, variable letter, value handler or operator byte 0
  u8 b;  // operator byte 1
};

// One text's steps. The evaluation being recorded fills one in its own
// frame; the kept ones sit in a small table.
struct EvalRecording {
  u32 context;  // 0: empty slot
  u16 length;
  u16 endOffset;   // position after the evaluation, from the copy's start
  u8 tok0;         // token after the expression
  u8 tok1;
  u8 tok1Written;  // the evaluation wrote byte 1 of the token cell
  u8 steps;
  u8 literals;
  bool refused;    // a step the replay does not take
  bool reread;     // the token was read again from behind the position
  const u8 *base;  // while recording: the statement copy
  u8 text[kEvalReplayTextMax];
  EvalStep step[kEvalReplayStepMax];
  EvalCell literal[kEvalReplayLiteralMax];
};

// The recording being made by the running whole evaluation, or null.
extern EvalRecording *g_evalRecording;

// Steps of the recording; called by the evaluator core only while
// g_evalRecording is set.
void EvalRecordLiteral(const EvalCell *cell);
void EvalRecordVariable(u8 letter);
// A value handler without arguments: 1 and recorded for theta, r and pi
// (read again on replay); 0 for every other one, which the replay does not
// take (nothing recorded).
u32 EvalRecordValue(u32 (*handler)(EvalCell *));
void EvalRecordPush();
void EvalRecordBinary(const EvalCell *op);
void EvalRecordUnary(const EvalCell *op);
// The token was read again from behind the position (TokReread).
void EvalRecordReread();
// A step that cannot be replayed: the text stays with the full evaluation.
void EvalRecordRefuse();

inline void EvalRecordingRefuse() {
  if (g_evalRecording != nullptr) [[unlikely]]
    EvalRecordRefuse();
}

// The reading conditions of a whole evaluation from a statement copy, or 0
// when it cannot be replayed or recorded (Base-N, the spreadsheet, a text
// too long to keep).
u32 EvalReplayContext(u32 textLength, bool openBracket);

enum EvalReplayOutcome : u32 {
  kReplayUnknown = 0,  // not recorded: evaluate in full and record
  kReplayDone = 1,     // replayed
  kReplayRefused = 2,  // evaluate in full without recording
};
// Replays the text at `text` (length bytes, the statement copy) when it was
// recorded under `context`: kReplayDone with result, token and *pos set as
// the full evaluation sets them (*pos inside the copy). Otherwise every cell
// is as it was: kReplayRefused for a text known not to replay and for a
// replay that met an error or a break (the full evaluation reports it),
// kReplayUnknown for a text not seen before.
u32 EvalReplay(const u8 *text, u32 length, u32 context, TokPos *pos, EvalCell *tok, EvalCell *result);

// Starts recording the evaluation of the text into *scratch (the caller's,
// alive until EvalRecordFinish); the previous recording pointer is given
// back for EvalRecordFinish.
EvalRecording *EvalRecordStart(EvalRecording *scratch, const u8 *text, u32 length, u32 context);
// Ends the recording: a successful evaluation that took only replayable
// steps is kept, and so is a text that took a step the replay does not take
// (as one not to record again). end is the position after the evaluation.
void EvalRecordFinish(EvalRecording *previous, u32 ok, TokPos end, const EvalCell *tok);
// Forgets every recording (tests compare replayed and full evaluations).
void EvalReplayForget();
