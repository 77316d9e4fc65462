// The program interpreter run on stored programs and run lines: control
// flow, program levels, assignments, text output, errors and their
// positions, Break, and the heap after a run.
#include <atomic>
#include <chrono>
#include <thread>

#include "eval/prog.h"
#include "kernel/keyqueue.h"
#include "tests/eval/prog_test_util.h"
#include "kernel/host.h"
#include "tests/support/harness.h"

namespace {

struct ProgCase {
  const char *name;
  std::vector<std::pair<std::string, std::string>> programs;  // the first one runs
  u32 error;                                                 // 0: none
  std::vector<std::pair<u8, std::string>> vars;              // variable, value text
  std::vector<std::pair<u8, std::string>> lists;             // list number, elements
};

class ProgTable : public ProgFixture {
 protected:
  // Runs the stored program `name` on a second thread; while the run waits
  // at its first display-stop, programs stored before it in the folder move
  // the running texts in main memory, then EXE lets the run go on. The
  // run's error code (0 on success).
  u32 RunMovingTextsAtPause(const std::string &name) {
    i32 exeCol = 0, exeRow = 0;
    EXPECT_TRUE(CalcKeyPosition("EXE", &exeCol, &exeRow));
    const u64 idle = HostIdleCount();
    std::atomic<u32> code{99};
    std::thread runner([&] { code = RunProgram(name); });
    const auto t0 = std::chrono::steady_clock::now();
    while (HostIdleCount() == idle && std::chrono::steady_clock::now() - t0 < std::chrono::seconds(5)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    // The run is blocked in its key wait: the items move under it, and the
    // key posted afterwards hands the change over through the queue's lock.
    std::string filler;
    for (int i = 0; i < 40; ++i) filler += ProgTok("9->E:");
    EXPECT_EQ(ProgTestStore("AAA", filler), 0u);
    EXPECT_EQ(ProgTestStore("MAA", filler), 0u);
    HostPushKeyEvent(exeCol, exeRow, 0, 0);
    runner.join();
    return code.load();
  }
};


const std::vector<ProgCase> &Cases() {
  static const std::vector<ProgCase> cases = {
      // For / Next
      {"ForSum", {{"MAIN", "0->A:{For}1->I{To}10:A+I->A:{Next}"}}, 0, {{'A', "55"}, {'I', "10"}}, {}},
      {"ForEmptyBodyKeepsLastPass", {{"MAIN", "{For}1->A{To}3\n{Next}"}}, 0, {{'A', "3"}}, {}},
      {"ForNeverRuns", {{"MAIN", "{For}5->A{To}3:B+1->B:{Next}:7->C"}}, 0,
       {{'A', "5"}, {'B', "0"}, {'C', "7"}}, {}},
      {"ForNegativeStep", {{"MAIN", "{For}10->A{To}1{Step}{neg}2:B+1->B:{Next}"}}, 0,
       {{'A', "2"}, {'B', "5"}}, {}},
      {"ForStepZero", {{"MAIN", "{For}1->A{To}3{Step}0:{Next}"}}, 8, {}, {}},
      {"ForNested", {{"MAIN", "{For}1->I{To}3:{For}1->J{To}4:C+1->C:{Next}:{Next}"}}, 0,
       {{'C', "12"}, {'I', "3"}, {'J', "4"}}, {}},
      {"ForUnclosedAtEnd", {{"MAIN", "{For}1->I{To}3:A+1->A"}}, 2, {}, {}},
      {"NextWithoutFor", {{"MAIN", "1->A:{Next}"}}, 2, {}, {}},
      // Next adds and tests on its own copy of the end and step; the body
      // may change the variable to anything in between.
      {"ForDecimalStep", {{"MAIN", "{For}0->A{To}1{Step}0.1:B+1->B:{Next}"}}, 0, {{'A', "1"}, {'B', "11"}}, {}},
      {"ForBodyMovesTheVariable", {{"MAIN", "{For}1->I{To}10:I+2->I:C+1->C:{Next}"}}, 0,
       {{'I', "12"}, {'C', "4"}}, {}},
      {"ForVariableBecomesAFraction", {{"MAIN", "{For}0->I{To}2:I+1\xBB" "2->I:C+1->C:{Next}"}}, 0,
       {{'I', "2"}, {'C', "2"}}, {}},
      {"ForVariableBecomesComplex", {{"MAIN", "{For}1->I{To}3:\x7F\x50->I:{Next}"}}, 3, {}, {}},
      {"ForStepOverflows", {{"MAIN", "{For}9\x0F" "99->A{To}9.9\x0F" "99{Step}9\x0F" "99:B+1->B:{Next}"}}, 3, {{'B', "1"}}, {}},
      {"ForDownToAnEnd", {{"MAIN", "{For}1->A{To}{neg}1{Step}{neg}0.5:B+1->B:{Next}"}}, 0,
       {{'A', "-1"}, {'B', "5"}}, {}},
      // If / Then / Else / IfEnd
      {"IfTrue", {{"MAIN", "5->A\n{If}A>3\n{Then}1->B\n{Else}2->B\n{IfEnd}\n9->C"}}, 0,
       {{'B', "1"}, {'C', "9"}}, {}},
      {"IfFalse", {{"MAIN", "2->A\n{If}A>3\n{Then}1->B\n{Else}2->B\n{IfEnd}\n9->C"}}, 0,
       {{'B', "2"}, {'C', "9"}}, {}},
      {"IfFalseNoElse", {{"MAIN", "{If}0:{Then}1->B:{IfEnd}:3->C"}}, 0, {{'B', "0"}, {'C', "3"}}, {}},
      {"IfNested",
       {{"MAIN", "1->A:2->B\n{If}A=1\n{Then}{If}B=3\n{Then}5->C\n{Else}6->C\n{IfEnd}\n{Else}7->C\n{IfEnd}"}},
       0, {{'C', "6"}}, {}},
      {"IfFalseSkipsNestedElse",
       {{"MAIN", "{If}0\n{Then}{If}1\n{Then}5->C\n{Else}6->C\n{IfEnd}\n{Else}7->C\n{IfEnd}"}}, 0,
       {{'C', "7"}}, {}},
      {"IfOpenAtEndIsFine", {{"MAIN", "{If}1\n{Then}4->A"}}, 0, {{'A', "4"}}, {}},
      {"IfWithoutThen", {{"MAIN", "{If}1\n4->A"}}, 2, {}, {}},
      {"ThenAtEnd", {{"MAIN", "{If}1:{Then}"}}, 2, {}, {}},
      {"SecondElse", {{"MAIN", "{If}0\n{Then}1->A\n{Else}2->A\n{Else}3->A\n{IfEnd}"}}, 2, {{'A', "2"}}, {}},
      {"IfEndWithoutIf", {{"MAIN", "{IfEnd}"}}, 2, {}, {}},
      // While / Do
      {"While", {{"MAIN", "0->A:{While}A<5:A+1->A:{WhileEnd}:A*2->B"}}, 0, {{'A', "5"}, {'B', "10"}}, {}},
      {"WhileNeverRuns", {{"MAIN", "{While}0:1->A:{WhileEnd}:2->B"}}, 0, {{'A', "0"}, {'B', "2"}}, {}},
      {"WhileNested",
       {{"MAIN", "0->A:{While}A<3:A+1->A:0->B:{While}B<4:B+1->B:C+1->C:{WhileEnd}:{WhileEnd}"}}, 0,
       {{'C', "12"}}, {}},
      {"DoLpWhile", {{"MAIN", "0->A:{Do}:A+1->A:{LpWhile}A<7"}}, 0, {{'A', "7"}}, {}},
      {"DoRunsOnce", {{"MAIN", "{Do}\nA+1->A\n{LpWhile}0\n5->B"}}, 0, {{'A', "1"}, {'B', "5"}}, {}},
      {"LpWhileWithoutDo", {{"MAIN", "{LpWhile}1"}}, 2, {}, {}},
      // Break, with nested loops of the same kind inside the loop left
      {"BreakFor",
       {{"MAIN", "{For}1->I{To}10:{If}I=3:{Then}{Break}:{IfEnd}:{For}1->J{To}2:C+1->C:{Next}:{Next}:9->D"}}, 0,
       {{'I', "3"}, {'C', "4"}, {'D', "9"}}, {}},
      {"BreakWhile",
       {{"MAIN", "0->A:{While}1:A+1->A:{If}A=4:{Then}{Break}:{IfEnd}:0->B:{While}B<2:B+1->B:C+1->C:"
                 "{WhileEnd}:{WhileEnd}:9->D"}},
       0, {{'A', "4"}, {'C', "6"}, {'D', "9"}}, {}},
      {"BreakDo",
       {{"MAIN", "0->A:{Do}:A+1->A:{If}A=5:{Then}{Break}:{IfEnd}:0->B:{Do}:B+1->B:C+1->C:{LpWhile}B<2:"
                 "{LpWhile}1:9->D"}},
       0, {{'A', "5"}, {'C', "8"}, {'D', "9"}}, {}},
      {"BreakMixedNesting",
       {{"MAIN", "{For}1->I{To}9:{If}I=2:{Then}{Break}:{IfEnd}:{Do}:{While}0:{WhileEnd}:{LpWhile}0:{Next}:"
                 "9->D"}},
       0, {{'I', "2"}, {'D', "9"}}, {}},
      {"BreakInnerLoopOnly",
       {{"MAIN", "{For}1->I{To}3:{For}1->J{To}5:{If}J=2:{Then}{Break}:{IfEnd}:C+1->C:{Next}:{Next}"}}, 0,
       {{'C', "3"}, {'I', "3"}}, {}},
      {"BreakOutsideLoop", {{"MAIN", "1->A:{Break}:2->A"}}, 2, {{'A', "1"}}, {}},
      // Lbl / Goto
      {"GotoLoop", {{"MAIN", "0->A:{Lbl}1:A+1->A:A<5=>{Goto}1:A*10->B"}}, 0, {{'A', "5"}, {'B', "50"}}, {}},
      {"GotoOutOfLoops",
       {{"MAIN", "{For}1->I{To}10:{For}1->J{To}10:{If}I=4:{Then}{Goto}A:{IfEnd}:{Next}:{Next}:{Lbl}A:I->B:"
                 "{For}1->K{To}2:C+1->C:{Next}"}},
       0, {{'B', "4"}, {'C', "2"}}, {}},
      {"GotoWithinLoop",
       {{"MAIN", "{For}1->I{To}3:{If}I=2:{Then}{Goto}1:{IfEnd}:C+1->C:{Lbl}1:{Next}"}}, 0, {{'C', "2"}}, {}},
      {"GotoIntoClosedLoop", {{"MAIN", "{Goto}1:{For}1->I{To}3:{Lbl}1:{Next}"}}, 5, {}, {}},
      {"GotoMissingLabel", {{"MAIN", "1->A:{Goto}7:{Lbl}6"}}, 5, {{'A', "1"}}, {}},
      {"GotoBadLabel", {{"MAIN", "{Goto}+"}}, 8, {}, {}},
      {"GotoSkipsLabelInsideString", {{"MAIN", "{Goto}2:\"{Lbl}2\":1->A:{Lbl}2:2->B"}}, 0,
       {{'A', "0"}, {'B', "2"}}, {}},
      // Isz / Dsz and the jump arrow
      {"DszCounts", {{"MAIN", "3->A:{Lbl}1:B+1->B:{Dsz}A:{Goto}1:7->C"}}, 0,
       {{'A', "0"}, {'B', "3"}, {'C', "7"}}, {}},
      {"IszSkipsAtZero", {{"MAIN", "{neg}2->A:{Isz}A:5->B:{Isz}A:6->C:8->D"}}, 0,
       {{'A', "0"}, {'B', "5"}, {'C', "0"}, {'D', "8"}}, {}},
      {"JumpArrow", {{"MAIN", "1->A:A=1=>2->B:A=2=>3->C:4->D"}}, 0, {{'B', "2"}, {'C', "0"}, {'D', "4"}}, {}},
      {"JumpArrowAtEnd", {{"MAIN", "1=>"}}, 2, {}, {}},
      // Prog / Return / Stop
      {"ProgReturn", {{"MAIN", "{Prog}\"SUB\":A+10->A"}, {"SUB", "5->A:{Return}:9->A"}}, 0, {{'A', "15"}}, {}},
      {"ProgEndOfText", {{"MAIN", "{Prog}\"SUB\"\nA*2->A"}, {"SUB", "{For}1->I{To}3:A+1->A:{Next}"}}, 0,
       {{'A', "6"}}, {}},
      {"ProgMissing", {{"MAIN", "{Prog}\"NONE\""}}, 5, {}, {}},
      {"ProgNameTooLong", {{"MAIN", "{Prog}\"ABCDEFGHI\""}}, 2, {}, {}},
      {"ProgNoClosingQuote", {{"MAIN", "{Prog}\"SUB:1->A"}}, 2, {}, {}},
      {"ReturnAtOuterStops", {{"MAIN", "1->A:{Return}:2->A"}}, 0, {{'A', "1"}}, {}},
      {"Stop", {{"MAIN", "{Prog}\"SUB\":2->B"}, {"SUB", "1->A:{Stop}:3->A"}}, 0, {{'A', "1"}, {'B', "0"}}, {}},
      {"StopMustEndStatement", {{"MAIN", "{Stop}1"}}, 2, {}, {}},
      {"RecursionUntilTenCalls", {{"MAIN", "{Prog}\"R\""}, {"R", "{Isz}A:A<10=>{Prog}\"R\""}}, 0,
       {{'A', "10"}}, {}},
      {"RecursionEleventhCall", {{"MAIN", "{Prog}\"R\""}, {"R", "{Isz}A:A<11=>{Prog}\"R\""}}, 6,
       {{'A', "10"}}, {}},
      // Assignments
      {"LetterRange", {{"MAIN", "7->B~D"}}, 0, {{'A', "0"}, {'B', "7"}, {'C', "7"}, {'D', "7"}, {'E', "0"}}, {}},
      {"LetterRangeBackwards", {{"MAIN", "7->D~B"}}, 2, {}, {}},
      {"ExtraVariables", {{"MAIN", "2->{r}:3->{theta}:{r}*{theta}->A"}}, 0, {{'A', "6"}}, {}},
      {"ListElements", {{"MAIN", "3->{List}1[1]:4->{List}1[2]:5->{List1}[3]"}}, 0, {}, {{1, "3,4,5"}}},
      {"ListElementPastEnd", {{"MAIN", "3->{List}1[1]:4->{List}1[3]"}}, 9, {}, {{1, "3"}}},
      {"DimList", {{"MAIN", "3->{Dim}{List}2:7->{List}2[2]"}}, 0, {}, {{2, "0,7,0"}}},
      {"DimListBadSize", {{"MAIN", "0->{Dim}{List}2"}}, 8, {}, {}},
      {"DimListBadNumber", {{"MAIN", "3->{Dim}{List}27"}}, 8, {}, {}},
      {"UnknownTarget", {{"MAIN", "1->+"}}, 2, {}, {}},
      {"ListIntoVariable", {{"MAIN", "3->{List}1[1]:{List}1->A"}}, 2, {}, {{1, "3"}}},
      {"WholeListAndListAns", {{"MAIN", "{lb}4,5,6{rb}->{List}3:{List}3[2]+1->A"}}, 0, {{'A', "6"}},
       {{3, "4,5,6"}, {0, "4,5,6"}}},
      {"ScalarIntoWholeList", {{"MAIN", "5->{List}1"}}, 3, {}, {}},
      {"MatrixElements",
       {{"MAIN", "{lb}2,3{rb}->{Dim}{Mat}B:7->{Mat}B[2,3]:{Mat}B[2,3]*2->A:[[1,2][3,4]]->{Mat}C:{Mat}C[2,1]->C"}},
       0, {{'A', "14"}, {'C', "3"}}, {}},
      {"MatrixElementOutside", {{"MAIN", "{lb}2,2{rb}->{Dim}{Mat}B:1->{Mat}B[3,1]"}}, 9, {}, {}},
      {"MatrixIndexZero", {{"MAIN", "{lb}2,2{rb}->{Dim}{Mat}B:1->{Mat}B[0,1]"}}, 8, {}, {}},
      {"ClrMat", {{"MAIN", "{lb}2,2{rb}->{Dim}{Mat}B:{ClrMat}B:{Mat}B[1,1]"}}, 9, {}, {}},
      {"ListAndMatrixCommands",
       {{"MAIN", "{lb}3,1,2{rb}->{List}1:{SortA(}{List}1):{List}1->{List}3:{Fill(}7,{List}1):"
                 "[[1,2][3,4]]->{Mat}A:{Swap}{Mat}A,1,2:{Mat}A[1,1]->A"}},
       0, {{'A', "3"}}, {{1, "7,7,7"}, {3, "1,2,3"}}},
      {"FillMissingList", {{"MAIN", "{Fill(}7,{List}2)"}}, 9, {}, {}},
      {"ClrListAll", {{"MAIN", "1->{List}1[1]:2->{List}2[1]:{ClrList}"}}, 0, {}, {{1, "-"}, {2, "-"}}},
      // Lists created, resized and deleted while the program runs: the text
      // of the running programs must not move under them.
      {"ItemsChangeInsideLoop",
       {{"MAIN", "0->A:{For}1->I{To}25:{ClrList}1:I->{Dim}{List}1:I->{List}2[I]:{Prog}\"SUB\":A+I->A:"
                 "{ClrList}3:I->{List}3[1]:{Next}:A->B"},
        {"SUB", "{ClrList}4:I->{Dim}{List}4:I*2->{List}4[I]:C+{List}4[I]->C"}},
       0, {{'A', "325"}, {'B', "325"}, {'C', "650"}},
       {{1, "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0"},
        {2, "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25"},
        {3, "25"},
        {4, "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,50"}}},
      // List 1 grows before List 2 on every pass and moves it; List 5 shares
      // List 1's remembered place and is deleted on one pass.
      {"ListStoresFollowListsThatMove",
       {{"MAIN", "{For}1->I{To}4:I*10->{List}1[I]:I->{List}2[I]:{If}I=3:{Then}{ClrList}5:{IfEnd}:"
                 "I->{List}5[1]:{Next}"}},
       0, {}, {{1, "10,20,30,40"}, {2, "1,2,3,4"}, {5, "4"}}},
      // Each called level's If blocks leave nothing on the handle heap: 300
      // calls outnumber its 256 slots.
      {"CalledIfBlocksLeaveNoHeapBehind",
       {{"MAIN", "{For}1->I{To}300:{Prog}\"SUB\":{Next}"},
        {"SUB", "{If}I>0:{Then}{If}I>1:{Then}A+1->A:{Else}B+1->B:{IfEnd}:{IfEnd}"}},
       0, {{'A', "299"}, {'B', "1"}}, {}},
      // Statements that may not begin a statement
      {"StartsWithColon", {{"MAIN", ":1->A"}}, 2, {}, {}},
      {"StartsWithArrow", {{"MAIN", "->A"}}, 2, {}, {}},
      {"UnknownF9Token", {{"MAIN", "\xF9\x7F"}}, 2, {}, {}},
      {"RclCaptMissing", {{"MAIN", "1->A:{RclCapt}3"}}, 4, {{'A', "1"}}, {}},
      {"RclCaptOutOfRange", {{"MAIN", "{RclCapt}21"}}, 8, {}, {}},
      // Send( and Receive( read their operand first; with no port a sound
      // statement is Com ERROR, a malformed one Syntax ERROR.
      {"SendHasNoPort", {{"MAIN", "1->A:{Send}A)"}}, 10, {{'A', "1"}}, {}},
      {"SendExpression", {{"MAIN", "{Send}(A+1)*2"}}, 10, {}, {}},
      {"SendList", {{"MAIN", "{Send}{List}12)"}}, 10, {}, {}},
      {"SendMatrix", {{"MAIN", "{Send}{Mat}B"}}, 10, {}, {}},
      {"SendTwoOperands", {{"MAIN", "{Send}A,B)"}}, 2, {}, {}},
      {"SendBrokenExpression", {{"MAIN", "{Send}1+)"}}, 2, {}, {}},
      {"SendPictIsNotSent", {{"MAIN", "{Send}{Pict}3)"}}, 2, {}, {}},
      {"ReceiveVariable", {{"MAIN", "{Receive}{theta})"}}, 10, {}, {}},
      {"ReceivePict", {{"MAIN", "{Receive}{Pict}20)"}}, 10, {}, {}},
      {"ReceivePictOutOfRange", {{"MAIN", "{Receive}{Pict}21)"}}, 2, {}, {}},
      {"ReceiveExpression", {{"MAIN", "{Receive}A+1)"}}, 2, {}, {}},
      {"Comment", {{"MAIN", "1->A:'2->A:\n3->B"}}, 0, {{'A', "1"}, {'B', "3"}}, {}},
  };
  return cases;
}

TEST_F(ProgTable, ProgramsLeaveTheirVariablesAndLists) {
  for (const ProgCase &c : Cases()) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(McsClearAll(), 0u);
    SetupResetAll();
    SysClearVariables();
    ProgContextClear(&ctx);
    for (const auto &[name, text] : c.programs) ASSERT_EQ(ProgTestStore(name, ProgTok(text)), 0u) << name;
    const std::vector<bool> heap = ProgTestHeap();
    EXPECT_EQ(RunProgram(c.programs.front().first), c.error);
    for (const auto &[var, text] : c.vars) EXPECT_EQ(ProgTestVar(var), text) << "variable " << var;
    for (const auto &[list, text] : c.lists) EXPECT_EQ(ProgTestList(list), text) << "list " << int(list);
    EXPECT_EQ(ProgTestHeap(), heap);
    EXPECT_EQ(SetupGetByte(kSetupProgLevel), 0);
  }
}

// The error position: the program the error arose in and the offset a later
// editor jumps to.
TEST_F(ProgTable, ErrorsNameTheirProgramAndOffset) {
  ASSERT_EQ(ProgTestStore("MAIN", ProgTok("1->A\n{Prog}\"SUB\"\n2->B")), 0u);
  const std::string sub = ProgTok("3->C\n{Goto}5\n4->D");
  ASSERT_EQ(ProgTestStore("SUB", sub), 0u);
  EXPECT_EQ(RunProgram("MAIN"), 5u);
  EXPECT_STREQ(ctx.name, "SUB");
  EXPECT_EQ(ctx.errorOffset, sub.find('\x0D', 5) + 1);  // after "Goto 5" and its newline

  ProgContextClear(&ctx);
  ASSERT_EQ(ProgTestStore("MAIN", ProgTok("1->A\n{Next}")), 0u);
  EXPECT_EQ(RunProgram("MAIN"), 2u);
  EXPECT_STREQ(ctx.name, "MAIN");
  EXPECT_EQ(ctx.errorOffset, 6u);  // at the end of "Next"

  // A run line that fails in a program it called points at its Prog.
  ProgContextClear(&ctx);
  const std::string line = ProgTok("1->A:{Prog}\"SUB\":2->B");
  EXPECT_EQ(RunLine(line), 5u);
  EXPECT_EQ(errorAt, line.find(':', 4));
  EXPECT_EQ(ProgTestVar('B'), "0");
}

// A program stored for the other calculation mode is not found.
TEST_F(ProgTable, BaseNProgramIsFoundOnlyInBaseNMode) {
  ASSERT_EQ(ProgTestStore("MAIN", ProgTok("1->A"), 1), 0u);
  EXPECT_EQ(RunProgram("MAIN"), 5u);
  SetupSetItem(kSetupMode, 9);
  EXPECT_EQ(RunProgram("MAIN"), 0u);
}

TEST_F(ProgTable, LowMainMemoryRunsNoStatement) {
  // Fill main memory until 5000 bytes or less are free.
  u32 total = 0, used = 0, freeBytes = 0;
  McsGetMemoryUse(&total, &used, &freeBytes);
  std::vector<u8> filler(freeBytes > 6000 ? freeBytes - 6000 : 0, 0);
  ASSERT_EQ(McsCreateInFolder("main", "FILLER", static_cast<u32>(filler.size()), filler.data()), 0u);
  ASSERT_EQ(ProgTestStore("MAIN", ProgTok("1->A")), 0u);
  McsGetMemoryUse(&total, &used, &freeBytes);
  std::vector<u8> more(freeBytes > 4900 ? freeBytes - 4900 : 0, 0);
  ASSERT_EQ(McsCreateInFolder("main", "MORE", static_cast<u32>(more.size()), more.data()), 0u);
  EXPECT_EQ(RunProgram("MAIN"), 4u);
  EXPECT_EQ(ProgTestVar('A'), "0");
}

// Text statements, Locate and ClrText on the run screen's text copy.
TEST_F(ProgTable, TextOutput) {
  ASSERT_EQ(ProgTestStore("MAIN", ProgTok("\"HELLO\":\"A:B\"\n{Locate}3,2,\"XY\":{Locate}1,4,12")), 0u);
  EXPECT_EQ(RunProgram("MAIN"), 0u);
  EXPECT_EQ(ProgTestRow(ctx, 1), "HELLO");
  EXPECT_EQ(ProgTestRow(ctx, 2), "A:XY");
  EXPECT_EQ(ProgTestRow(ctx, 4), "12");
  EXPECT_EQ(ctx.row, 3u);

  // Long texts wrap at 21 columns and the screen scrolls when it is full.
  ProgContextClear(&ctx);
  ASSERT_EQ(ProgTestStore("MAIN", ProgTok("{For}1->I{To}8:\"LINE\":{Next}:\"ABCDEFGHIJKLMNOPQRSTUVWXYZ\"")), 0u);
  EXPECT_EQ(RunProgram("MAIN"), 0u);
  EXPECT_EQ(ProgTestRow(ctx, 5), "LINE");
  EXPECT_EQ(ProgTestRow(ctx, 6), "ABCDEFGHIJKLMNOPQRSTU");
  EXPECT_EQ(ProgTestRow(ctx, 7), "VWXYZ");
  EXPECT_EQ(ctx.row, 8u);

  ASSERT_EQ(ProgTestStore("MAIN", ProgTok("\"X\":{ClrText}:\"Y\"")), 0u);
  EXPECT_EQ(RunProgram("MAIN"), 0u);
  EXPECT_EQ(ProgTestRow(ctx, 1), "Y");
  EXPECT_EQ(ProgTestRow(ctx, 2), "");

  // A text into a list's sub-name; the list standing alone prints it.
  ProgContextClear(&ctx);
  ASSERT_EQ(ProgTestStore("MAIN", ProgTok("\"SCORES\"->{List}2:{List}2:\"LONGNAME9\"->{List}3[0]:{List}3")), 0u);
  EXPECT_EQ(RunProgram("MAIN"), 0u);
  EXPECT_EQ(ProgTestRow(ctx, 1), "SCORES");
  EXPECT_EQ(ProgTestRow(ctx, 2), "LONGNAME");
  EXPECT_EQ(ctx.outputMode, static_cast<u32>(kProgOutNothing));
  ASSERT_EQ(ProgTestStore("MAIN", ProgTok("\"X\"->{List}0")), 0u);
  EXPECT_EQ(RunProgram("MAIN"), 8u);
  ASSERT_EQ(ProgTestStore("MAIN", ProgTok("1->{List}27[1]")), 0u);
  EXPECT_EQ(RunProgram("MAIN"), 8u);

  ASSERT_EQ(ProgTestStore("MAIN", ProgTok("{Locate}22,1,\"X\"")), 0u);
  EXPECT_EQ(RunProgram("MAIN"), 8u);
  ASSERT_EQ(ProgTestStore("MAIN", ProgTok("{Locate}1")), 0u);
  EXPECT_EQ(RunProgram("MAIN"), 2u);
}

TEST_F(ProgTable, RunLineValueBecomesAns) {
  EXPECT_EQ(RunLine(ProgTok("1+2")), 0u);
  EXPECT_EQ(ProgTestVar(0xC0), "3");
  EXPECT_EQ(ctx.outputMode, static_cast<u32>(kProgOutValue));
  EXPECT_EQ(RunLine(ProgTok("5->A:{Ans}*A")), 0u);
  EXPECT_EQ(ProgTestVar(0xC0), "25");
  EXPECT_EQ(ProgTestText(ctx.last), "25");
  // The jump arrow leaves Ans alone.
  EXPECT_EQ(RunLine(ProgTok("0=>1->B")), 0u);
  EXPECT_EQ(ProgTestVar(0xC0), "25");
}

// A statement that starts with a list element is an expression: its value
// is shown, not "Done".
TEST_F(ProgTable, ListElementStatementShowsItsValue) {
  struct Case {
    const char *line;
    const char *value;
  } cases[] = {
      {"{lb}4,7{rb}->{List1}:{List1}[2]+1", "8"},
      {"{lb}4,7{rb}->{List1}:{List1}[2]", "7"},
      {"{lb}4,7{rb}->{List}1:{List}1[1]*3", "12"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.line);
    ASSERT_EQ(RunLine(ProgTok(c.line)), 0u);
    EXPECT_EQ(ctx.outputMode, static_cast<u32>(kProgOutValue));
    EXPECT_EQ(ProgTestText(ctx.last), c.value);
  }
  // At a display-stop the value is printed.
  i32 exeCol = 0, exeRow = 0;
  ASSERT_TRUE(CalcKeyPosition("EXE", &exeCol, &exeRow));
  ProgContextClear(&ctx);
  ASSERT_EQ(ProgTestStore("MAIN", ProgTok("{lb}4,7{rb}->{List1}:{List1}[2]{Disp}3->A")), 0u);
  const u64 idle = HostIdleCount();
  std::atomic<u32> code{99};
  std::thread runner([&] { code = RunProgram("MAIN"); });
  const auto t0 = std::chrono::steady_clock::now();
  while (HostIdleCount() == idle && std::chrono::steady_clock::now() - t0 < std::chrono::seconds(5)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  HostPushKeyEvent(exeCol, exeRow, 0, 0);
  runner.join();
  EXPECT_EQ(code.load(), 0u);
  EXPECT_EQ(ProgTestRow(ctx, 1), "                    7");
  EXPECT_EQ(ProgTestVar('A'), "3");
  HostClearKeyQueue();
  KeyBreakDisarm();
}

// A list element stored under an index of plain digits takes the same road
// as the index written as an expression: the same error, and the same list
// afterwards, for indexes inside, just past and far past the list, with
// leading zeros, of four digits, and in the Base-N mode.
TEST_F(ProgTable, ListElementIndexStoresAsItsExpressionDoes) {
  const char *indexes[] = {"1", "2", "3", "4", "5", "9", "03", "10", "999", "1000", "0", "2+1", "A", "12"};
  for (u8 mode : {u8{0}, u8{9}}) {
    for (const char *index : indexes) {
      std::string lists[2];
      u32 codes[2];
      const std::string forms[2] = {std::string("[") + index + "]", std::string("[(") + index + ")]"};
      for (int k = 0; k < 2; ++k) {
        SetUp();
        SetupSetItem(kSetupMode, mode);
        codes[k] = RunLine(ProgTok("{lb}1,2,3{rb}->{List}1:2->A:7->{List}1" + forms[k]));
        lists[k] = ProgTestList(1);
      }
      EXPECT_EQ(codes[0], codes[1]) << index << " mode " << int(mode);
      EXPECT_EQ(lists[0], lists[1]) << index << " mode " << int(mode);
    }
  }
}

// The binary display form takes 16 bits: a value outside stops the run with
// Ma ERROR before anything is shown.
TEST_F(ProgTable, BinaryFormOutsideSixteenBits) {
  SetupSetItem(kSetupMode, 9);  // Base-N, decimal
  struct Case {
    const char *line;
    u32 error;
  } cases[] = {
      {"{Dec}:70000\xF9\x03{Disp}1->A", 3},
      {"32768\xF9\x03", 3},
      {"{neg}32769\xF9\x03", 3},
      {"32767\xF9\x03", 0},
      {"{neg}32768\xF9\x03", 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(RunLine(ProgTok(c.line)), c.error);
  }
  EXPECT_EQ(ProgTestVar('A'), "0");
  SetupSetItem(kSetupMode, 0);
}

// A list stored by the arrow becomes List Ans too; the scalar Ans stays.
TEST_F(ProgTable, ListAssignmentKeepsListAns) {
  ASSERT_EQ(RunLine(ProgTok("9")), 0u);
  ASSERT_EQ(RunLine(ProgTok("3->{List}1[1]:4->{List}1[2]")), 0u);
  // (Deg ends the line: a list result at the end would open the list viewer.)
  const u32 code = RunLine(ProgTok("{List}1->{List}2:{Deg}"));
  if (code == 23) GTEST_SKIP() << "the evaluator does not read lists yet";
  ASSERT_EQ(code, 0u);
  EXPECT_EQ(ProgTestList(2), "3,4");
  EXPECT_EQ(ProgTestList(0), "3,4");
  EXPECT_EQ(ProgTestVar(0xC0), "4");  // the last scalar stored by the line before
  EXPECT_EQ(ctx.outputMode, static_cast<u32>(kProgOutDone));
}

// A Goto finds its label in the text of this run: a program edited between
// two runs jumps to where the label stands now.
TEST_F(ProgTable, GotoFollowsAProgramEditedBetweenRuns) {
  ASSERT_EQ(ProgTestStore("MAIN", ProgTok("0->A:{Lbl}1:A+1->A:A<3=>{Goto}1:A->B")), 0u);
  EXPECT_EQ(RunProgram("MAIN"), 0u);
  EXPECT_EQ(ProgTestVar('B'), "3");
  // The label moves further in and the loop counts by two; a Goto to a
  // label the new text lacks is a Go ERROR, not a jump to the old place.
  ASSERT_EQ(ProgTestStore("MAIN", ProgTok("0->A:7->C:{Lbl}1:A+2->A:A<6=>{Goto}1:A->B")), 0u);
  EXPECT_EQ(RunProgram("MAIN"), 0u);
  EXPECT_EQ(ProgTestVar('B'), "6");
  ASSERT_EQ(ProgTestStore("MAIN", ProgTok("0->A:{Lbl}2:A+1->A:A<3=>{Goto}1:A->B")), 0u);
  EXPECT_EQ(RunProgram("MAIN"), 5u);
}

// If, Else and IfEnd inside a loop: the places found in a program's text
// hold for that run and that program only. Two programs called in turn
// have their Else at different places after the same condition, and a
// program edited between two runs takes its new blocks.
TEST_F(ProgTable, IfBlocksFollowTheTextOfEachProgramAndRun) {
  ASSERT_EQ(ProgTestStore("S1", ProgTok("{If}I<3:{Then}A+1->A:{Else}B+1->B:{IfEnd}")), 0u);
  ASSERT_EQ(ProgTestStore("S2", ProgTok("{If}I<3:{Then}C+1->C:C+1->C:{Else}D+1->D:{IfEnd}")), 0u);
  ASSERT_EQ(ProgTestStore("MAIN", ProgTok("{For}1->I{To}5:{Prog}\"S1\":{Prog}\"S2\":{Next}")), 0u);
  EXPECT_EQ(RunProgram("MAIN"), 0u);
  EXPECT_EQ(ProgTestVar('A'), "2");
  EXPECT_EQ(ProgTestVar('B'), "3");
  EXPECT_EQ(ProgTestVar('C'), "4");
  EXPECT_EQ(ProgTestVar('D'), "3");

  ASSERT_EQ(ProgTestStore("MAIN", ProgTok("0->A:0->B:{For}1->I{To}6:{If}I<4:{Then}A+I->A:{Else}B+I->B:{IfEnd}:{Next}")),
            0u);
  EXPECT_EQ(RunProgram("MAIN"), 0u);
  EXPECT_EQ(ProgTestVar('A'), "6");
  EXPECT_EQ(ProgTestVar('B'), "15");
  ASSERT_EQ(ProgTestStore("MAIN", ProgTok("0->A:0->B:{For}1->I{To}6:{If}I<4:{Then}{Else}A+I->A:{IfEnd}:"
                                          "{If}I=1:{Then}B+10->B:{Else}B+1->B:{IfEnd}:{Next}")),
            0u);
  EXPECT_EQ(RunProgram("MAIN"), 0u);
  EXPECT_EQ(ProgTestVar('A'), "15");
  EXPECT_EQ(ProgTestVar('B'), "15");
}

// The program's text moves in main memory while the run waits at a
// display-stop between two of its jumps (a program stored before it); the
// Goto loop it was in and a Goto into an If block still land where the
// text says.
TEST_F(ProgTable, GotoIntoABlockAfterTheProgramMoved) {
  ASSERT_EQ(ProgTestStore("MAIN", ProgTok("0->A:{Lbl}1:A+1->A:A=3=>A{Disp}A<6=>{Goto}1:{Goto}2:7->C:"
                                          "{If}A=6:{Then}{Lbl}2:A*10->B:{IfEnd}:B+1->D")),
            0u);
  u32 size = 0;
  u8 *before = nullptr, *after = nullptr;
  ASSERT_EQ(McsOpenByKindPtr(kMcsKindProgram, "MAIN", &size, &before), 0u);
  const u32 code = RunMovingTextsAtPause("MAIN");
  ASSERT_EQ(McsOpenByKindPtr(kMcsKindProgram, "MAIN", &size, &after), 0u);
  EXPECT_NE(before, after);  // the text did move
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(ProgTestVar('A'), "6");
  EXPECT_EQ(ProgTestVar('B'), "60");
  EXPECT_EQ(ProgTestVar('C'), "0");
  EXPECT_EQ(ProgTestVar('D'), "61");
  EXPECT_EQ(ProgTestVar('E'), "0");
  HostClearKeyQueue();
  KeyBreakDisarm();
}

// AC during an endless loop ends it with Break within 100 ms, and the heap
// holds what it held before.
TEST_F(ProgTable, AcBreaksAnEndlessLoop) {
  // A plain loop, and one whose If blocks and list store keep heap blocks
  // and remembered places from pass to pass.
  for (const char *program : {"{Lbl}1:{For}1->I{To}3:A+1->A:{Next}:{Goto}1",
                              "{Lbl}1:{For}1->I{To}3:{If}I<2:{Then}A+1->A:{Else}A-1->A:{IfEnd}:I->{List}1[1]:"
                              "{Next}:{Goto}1"}) {
    SCOPED_TRACE(program);
    const MemHandle callers = MemAlloc(64);  // a block of the caller: it must survive
    ASSERT_NE(callers, 0u);
    ASSERT_EQ(ProgTestStore("MAIN", ProgTok(program)), 0u);
    const std::vector<bool> heap = ProgTestHeap();
    KeyBreakDisarm();
    std::atomic<bool> done{false};
    std::atomic<u32> code{0};
    std::thread runner([&] {
      code = RunProgram("MAIN");
      done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(done.load());
    const auto posted = std::chrono::steady_clock::now();
    HostPushKeyEvent(1, 1, 0, 0);
    while (!done.load() && std::chrono::steady_clock::now() - posted < std::chrono::seconds(5)) {
      std::this_thread::yield();
    }
    const auto waited = std::chrono::steady_clock::now() - posted;
    runner.join();
    EXPECT_EQ(code.load(), 1u);
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(waited).count(), 100);
    EXPECT_EQ(ProgTestHeap(), heap);
    EXPECT_NE(MemDeref(callers), nullptr);
    MemFree(callers);
    HostClearKeyQueue();
    KeyBreakDisarm();
  }
}

// The display-stop shows the value (or nothing after a text) and waits with
// "- Disp -": EXE goes on, AC ends the run with Break.
TEST_F(ProgTable, DisplayStopWaitsForExe) {
  i32 exeCol = 0, exeRow = 0, acCol = 0, acRow = 0;
  ASSERT_TRUE(CalcKeyPosition("EXE", &exeCol, &exeRow));
  ASSERT_TRUE(CalcKeyPosition("AC", &acCol, &acRow));
  ASSERT_EQ(ProgTestStore("MAIN", ProgTok("\"X\"{Disp}5->A{Disp}6->B{Disp}7->C")), 0u);
  std::atomic<bool> done{false};
  std::atomic<u32> code{99};
  u64 idle = HostIdleCount();
  std::thread runner([&] {
    code = RunProgram("MAIN");
    done = true;
  });
  // Each key goes in once the run has started a new key wait, and the next
  // one only after the key has been taken.
  auto press = [&](i32 col, i32 row) {
    const auto t0 = std::chrono::steady_clock::now();
    while (HostIdleCount() == idle && std::chrono::steady_clock::now() - t0 < std::chrono::seconds(5)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    HostPushKeyEvent(col, row, 0, 0);
    while (HostKeyQueueCount() != 0 && std::chrono::steady_clock::now() - t0 < std::chrono::seconds(5)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    idle = HostIdleCount();
  };
  press(exeCol, exeRow);
  press(exeCol, exeRow);
  press(acCol, acRow);
  runner.join();
  EXPECT_EQ(code.load(), 1u);
  EXPECT_EQ(ProgTestRow(ctx, 1), "X");
  EXPECT_EQ(ProgTestRow(ctx, 2), "                    5");
  EXPECT_EQ(ProgTestRow(ctx, 3), "                    6");
  EXPECT_EQ(ProgTestVar('B'), "6");
  EXPECT_EQ(ProgTestVar('C'), "0");
  HostClearKeyQueue();
  KeyBreakDisarm();
}

// The running programs' texts move in main memory while the run waits at a
// display-stop (a program stored before them in the same folder); the run
// goes on with the texts as they were when their levels opened.
TEST_F(ProgTable, ProgramTextsMoveUnderTheRun) {
  ASSERT_EQ(ProgTestStore("MAIN", ProgTok("{Prog}\"SUB\":4->D")), 0u);
  ASSERT_EQ(ProgTestStore("SUB", ProgTok("1->A{Disp}2->B:3->C")), 0u);
  u32 size = 0;
  u8 *before = nullptr;
  ASSERT_EQ(McsOpenByKindPtr(kMcsKindProgram, "SUB", &size, &before), 0u);
  const u32 code = RunMovingTextsAtPause("MAIN");
  u8 *after = nullptr;
  ASSERT_EQ(McsOpenByKindPtr(kMcsKindProgram, "SUB", &size, &after), 0u);
  EXPECT_NE(before, after);  // the texts did move
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(ProgTestVar('B'), "2");
  EXPECT_EQ(ProgTestVar('C'), "3");
  EXPECT_EQ(ProgTestVar('D'), "4");
  EXPECT_EQ(ProgTestVar('E'), "0");
  HostClearKeyQueue();
  KeyBreakDisarm();
}

// A list result at the end of a run opens the list viewer; EXIT leaves it and
// the line shows "Done". AC there while the text goes on is Break.
TEST_F(ProgTable, ListResultOpensItsViewer) {
  auto runWithKey = [&](const std::string &line, const char *key) {
    const u64 idle = HostIdleCount();
    std::atomic<u32> code{99};
    std::thread runner([&] { code = RunLine(ProgTok(line)); });
    const auto t0 = std::chrono::steady_clock::now();
    while (HostIdleCount() == idle && std::chrono::steady_clock::now() - t0 < std::chrono::seconds(5)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    i32 col = 0, row = 0;
    CalcKeyPosition(key, &col, &row);
    HostPushKeyEvent(col, row, 0, 0);
    runner.join();
    return code.load();
  };
  EXPECT_EQ(runWithKey("{lb}1,2{rb}", "EXIT"), 0u);
  EXPECT_EQ(ctx.outputMode, static_cast<u32>(kProgOutDone));
  EXPECT_EQ(ProgTestList(0), "1,2");
  EXPECT_EQ(runWithKey("{lb}3{rb}{Disp}5->A", "AC"), 1u);
  EXPECT_EQ(ProgTestVar('A'), "0");
  HostClearKeyQueue();
  KeyBreakDisarm();
}

// '?' reads a line on the run screen and stores its value; an evaluation
// error shows its box and the line is edited again, AC clears it; AC on an
// empty line is Break.
TEST_F(ProgTable, InputReadsALine) {
  ASSERT_EQ(ProgTestStore("MAIN", ProgTok("\"N\"?->A:A*2->B:?->C")), 0u);
  u64 idle = HostIdleCount();
  std::atomic<u32> code{99};
  std::thread runner([&] { code = RunProgram("MAIN"); });
  auto press = [&](const char *name) {
    i32 col = 0, row = 0;
    ASSERT_TRUE(CalcKeyPosition(name, &col, &row)) << name;
    const auto t0 = std::chrono::steady_clock::now();
    while (HostIdleCount() == idle && std::chrono::steady_clock::now() - t0 < std::chrono::seconds(5)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    HostPushKeyEvent(col, row, 0, 0);
    while (HostKeyQueueCount() != 0 && std::chrono::steady_clock::now() - t0 < std::chrono::seconds(5)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    idle = HostIdleCount();
  };
  for (const char *key : {"2", "+", "EXE", "EXIT", "AC", "2", "1", "EXE", "AC"}) press(key);
  runner.join();
  EXPECT_EQ(code.load(), 1u);  // AC on the empty line of the second '?'
  EXPECT_EQ(ProgTestVar('A'), "21");
  EXPECT_EQ(ProgTestVar('B'), "42");
  HostClearKeyQueue();
  KeyBreakDisarm();
}

}  // namespace
