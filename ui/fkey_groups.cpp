#include "ui/fkey_groups.h"

#include <array>

#include "ui/keycodes.h"

namespace {

struct GroupVariant {
  i32 firstId;
  u16 variant;
  const FkeyItem *pages;
  u32 count;
};

// OPT variant 2: the function-memory page.
constexpr FkeyItem kOptFunctionMemory[6] = {
    {69, kFkeyKeyCode, kKeyFmemSto},   // STO
    {70, kFkeyKeyCode, kKeyFmemRcl},   // RCL
    {240, kFkeyInput, 0xF91B},         // fn
    {241, kFkeyKeyCode, kKeyFmemSee},  // SEE
    {0, kFkeyBlank, 0},
    {0, kFkeyBlank, 0},
};

// CLIP, variants 1 and 2: copy and cut the selection.
constexpr FkeyItem kClipPage[6] = {
    {52, kFkeyKeyCode, kKeyCopy},  // COPY
    {105, kFkeyKeyCode, kKeyCut},  // cut
    {0, kFkeyBlank, 0},
    {0, kFkeyBlank, 0},
    {0, kFkeyBlank, 0},
    {0, kFkeyBlank, 0},
};

// SHIFT variant 2: the graph tools of a screen without a drawn graph. The
// ZOOM and SKETCH sub-menus are blank pages until the graph screens fill
// them.
constexpr FkeyItem kShiftGraphTools[2 * 6] = {
    {559, kFkeySubMenu, kFkeyShiftFirst + 1},  // ZOOM
    {560, kFkeyKeyCode, kKeyVWindow},          // V-WIN
    {561, kFkeySubMenu, kFkeyShiftFirst + 1},  // SKTCH
    {563, kFkeyKeyCode, kKeyGraphTable},       // G/T
    {0, kFkeyBlank, 0},
    {0, kFkeyBlank, 0},
    // the blank sub-menu page
    {0, kFkeyBlank, 0},
    {},
    {},
    {},
    {},
    {},
};

// ---- the pages by which every command can be typed ----
//
// Each group is a run of pages at consecutive menu ids. A page with more
// entries than fit goes on at a following id through the page-turn key F6
// (">"); the last page of a run turns back to the first.

constexpr FkeyItem I(i16 icon, u32 code) { return {icon, kFkeyInput, code}; }
constexpr FkeyItem S(i16 icon, i32 id) { return {icon, kFkeySubMenu, static_cast<u32>(id)}; }
constexpr FkeyItem K(i16 icon, u32 code) { return {icon, kFkeyKeyCode, code}; }
constexpr FkeyItem Next(i32 id) { return {6, kFkeySibling, static_cast<u32>(id)}; }
constexpr FkeyItem B{0, kFkeyBlank, 0};

// OPTN (variant 1 and the others of the calculation screens): ids 100-126.
constexpr i32 O = kFkeyOptFirst;
constexpr FkeyItem kOptPages[27 * 6] = {
    // 100-102: the group's own pages
    S(178, O + 3), S(179, O + 6), S(180, O + 8), S(881, O + 10), S(181, O + 12), Next(O + 1),
    S(142, O + 13), S(143, O + 15), S(144, O + 17), S(145, O + 19), S(146, O + 21), Next(O + 2),
    S(183, O + 24), S(147, O + 25), S(148, O + 26), B, B, Next(O),
    // 103-105 LIST
    I(162, 0x7F51), I(167, 0x7F4A), I(164, 0x7F46), I(75, 0x7F47), I(166, 0x7F2C), Next(O + 4),
    I(169, 0x7F2D), I(170, 0x7F20), I(171, 0x7F2E), I(32, 0x7F2F), I(173, 0x7F4C), Next(O + 5),
    I(174, 0x7F4D), I(175, 0x7F4F), I(176, 0x7F4E), I(177, 0x7F52), I(204, 0x7F49), Next(O + 3),
    // 106-107 MAT
    I(200, 0x7F40), I(201, 0x7F4B), I(202, 0x7F21), I(203, 0x7F41), I(204, 0x7F49), Next(O + 7),
    I(205, 0x7F48), I(164, 0x7F46), I(206, 0x7F47), B, B, Next(O + 6),
    // 108-109 CPLX
    I(207, 0x7F50), I(157, 0x97), I(209, 0x7F22), I(210, 0x7F23), I(211, 0x7F24), Next(O + 9),
    I(212, 0x7F25), I(109, 0xF907), I(110, 0xF906), B, B, Next(O + 8),
    // 110-111 CALC
    I(184, 0x7F28), I(185, 0x7F26), I(186, 0x7F27), I(84, 0x8D), I(188, 0x7F2A), Next(O + 11),
    I(189, 0x7F2B), I(190, 0x7F29), I(410, 0x7F85), B, B, Next(O + 10),
    // 112 STAT: the regression estimates
    I(191, 0xCB), I(192, 0xCC), B, B, B, B,
    // 113-114 HYP
    I(234, 0xA1), I(235, 0xA2), I(236, 0xA3), I(237, 0xB1), I(238, 0xB2), Next(O + 14),
    I(239, 0xB3), B, B, B, B, Next(O + 13),
    // 115-116 PROB
    I(149, 0xAB), I(150, 0x88), I(151, 0x98), I(152, 0xC1), I(153, 0xFB), Next(O + 16),
    I(154, 0xFC), I(155, 0xFD), I(156, 0xFE), B, B, Next(O + 15),
    // 117-118 NUM
    I(157, 0x97), I(158, 0xA6), I(159, 0xB6), I(160, 0xD3), I(161, 0xDE), Next(O + 18),
    I(107, 0x7F86), B, B, B, B, Next(O + 17),
    // 119-120 ANGL
    I(193, 0x9C), I(194, 0xAC), I(195, 0xBC), I(196, 0x8C), I(198, 0x80), Next(O + 20),
    I(199, 0xA0), I(108, 0xF905), B, B, B, Next(O + 19),
    // 121-123 ESYM: the engineering suffixes and the ENG shifts
    I(215, 0x05), I(216, 0x04), I(217, 0x03), I(218, 0x02), I(219, 0x01), Next(O + 22),
    I(220, 0x06), I(221, 0x07), I(222, 0x08), I(223, 0x09), I(224, 0x0A), Next(O + 23),
    I(225, 0x0B), K(226, kKeyEngDown), K(227, kKeyEngUp), B, B, Next(O + 21),
    // 124 PICT
    I(699, 0xF793), I(700, 0xF794), B, B, B, B,
    // 125 FMEM
    K(69, kKeyFmemSto), K(70, kKeyFmemRcl), I(240, 0xF91B), K(241, kKeyFmemSee), B, B,
    // 126 LOGIC
    I(254, 0x7FB0), I(255, 0x7FB1), I(256, 0x7FB3), B, B, B,
};

// VARS (variants 1 and 2): ids 141-156.
constexpr i32 V = kFkeyVarsFirst;
constexpr FkeyItem kVarsPages[16 * 6] = {
    // 141-142
    S(698, V + 2), S(565, V + 4), S(540, V + 5), S(541, V + 8), S(542, V + 9), Next(V + 1),
    S(545, V + 10), S(417, V + 11), S(575, V + 13), S(576, V + 14), B, Next(V),
    // 143-144 V-Window
    I(626, 0x7F00), I(578, 0x7F01), I(579, 0x7F02), I(622, 0x7F04), I(607, 0x7F05), Next(V + 3),
    I(606, 0x7F06), I(582, 0x7F08), I(585, 0x7F09), I(586, 0x7F0A), I(587, 0x7F0B), Next(V + 2),
    // 145 Factor
    I(587, 0x7F0B), I(588, 0x7F0C), B, B, B, B,
    // 146-148 statistics results
    I(592, 0xAF), I(593, 0xC2), I(594, 0x9F), I(595, 0x8F), I(596, 0xC4), Next(V + 6),
    I(597, 0xC5), I(598, 0xAE), I(599, 0xAD), I(600, 0xC3), I(601, 0xCF), Next(V + 7),
    I(602, 0xBF), I(603, 0xDF), I(604, 0xC6), I(605, 0xC7), I(32, 0x9E), Next(V + 5),
    // 149 graph functions
    I(622, 0x7FF0), I(623, 0x7FF1), I(624, 0x7FF2), I(625, 0x7FF3), I(626, 0x7FF4), B,
    // 150 dynamic graph range
    I(627, 0x7F0D), I(628, 0x7F0E), I(629, 0x7F0F), B, B, B,
    // 151 table range
    I(627, 0x7F91), I(628, 0x7F92), I(629, 0x7F93), B, B, B,
    // 152-153 recursion
    I(314, 0x7FA0), I(315, 0x7FA1), I(303, 0x7FA2), I(311, 0x7FA4), I(312, 0x7FA5), Next(V + 12),
    I(316, 0x7FA7), I(317, 0x7FA8), I(627, 0x7FAD), B, B, Next(V + 11),
    // 154 equations
    I(632, 0x7F60), I(634, 0x7F61), I(631, 0x7F62), I(633, 0x7F63), B, B,
    // 155 financial
    I(796, 0x7F64), I(797, 0x7F65), I(798, 0x7F66), I(799, 0x7F67), I(800, 0x7F68), Next(V + 15),
    // 156
    I(916, 0x7FCC), I(917, 0x7FCD), B, B, B, Next(V + 14),
};

// SHIFT+VARS, the program commands (variants 1 and 3): ids 213-224.
constexpr i32 P = kFkeyShiftVarsFirst;
constexpr FkeyItem kPrgmPages[12 * 6] = {
    // 213-214
    S(506, P + 2), S(507, P + 4), S(508, P + 5), I(509, '?'), I(510, 0x0C), Next(P + 1),
    S(511, P + 6), S(512, P + 7), S(513, P + 9), S(514, P + 11), I(515, ':'), Next(P),
    // 215-216 COM
    I(516, 0xF700), I(517, 0xF701), I(518, 0xF702), I(519, 0xF703), I(520, 0xF704), Next(P + 3),
    I(521, 0xF705), I(522, 0xF706), I(523, 0xF707), I(524, 0xF708), I(525, 0xF709), Next(P + 8),
    // 217 CTL
    I(528, 0xED), I(529, 0xF70C), I(530, 0xF70D), I(531, 0xF70E), B, B,
    // 218 JUMP
    I(532, 0xE2), I(533, 0xEC), I(534, 0x13), I(535, 0xE9), I(536, 0xE8), B,
    // 219 CLR
    I(537, 0xF718), I(541, 0xF719), I(162, 0xF71A), I(200, 0xF91E), B, B,
    // 220 DISP
    I(540, 0xF723), I(541, 0xF720), I(542, 0xF722), I(543, 0xF72E), I(544, 0xF72F), B,
    // 221 COM, page 3
    I(526, 0xF70A), I(527, 0xF70B), B, B, B, Next(P + 2),
    // 222-223 REL
    I(548, '='), I(549, 0x11), I(550, '>'), I(551, '<'), I(552, 0x12), Next(P + 10),
    I(553, 0x10), B, B, B, B, Next(P + 9),
    // 224 I/O
    I(554, 0xF710), I(555, 0x7F8F), B, B, B, B,
};

// SHIFT (variants 1 and 10): the sketch commands, ids 192-201.
constexpr i32 H = kFkeyShiftFirst;
constexpr FkeyItem kSketchPages[10 * 6] = {
    // 192
    S(561, H + 1), B, B, B, B, B,
    // 193-195 SKETCH
    I(635, 0xD1), I(636, 0xF7A0), I(637, 0xF7A2), S(1, H + 4), S(641, H + 6), Next(H + 2),
    S(642, H + 7), I(704, 0xF7A5), I(643, 0xF7A6), I(644, 0xF7A3), I(645, 0xF7A4), Next(H + 3),
    S(701, H + 8), I(702, 0xF7AF), I(97, 0xF7A1), B, B, Next(H + 1),
    // 196-197 GRPH
    I(61, 0xEE), I(62, 0xF4), I(63, 0xF5), I(64, 0xF762), I(652, 0xEF), Next(H + 5),
    I(65, 0xF0), I(66, 0xF1), I(67, 0xF2), I(68, 0xF3), B, Next(H + 4),
    // 198 PLOT
    I(653, 0xE0), I(654, 0xF7A8), I(655, 0xF7A9), I(656, 0xF7AA), B, B,
    // 199 LINE
    I(664, 0xE1), I(665, 0xF7A7), B, B, B, B,
    // 200 PIXL
    I(661, 0xF7AB), I(662, 0xF7AC), I(660, 0xF7AD), B, B, B,
    // 201 unused
    B, B, B, B, B, B,
};

// SHIFT (variants 3, 4, 8 and 17): the graph screen's tools, ids 192-200;
// variant 14 (nothing traceable drawn) without TRACE and G-SLV: their keys
// give the code 0, which the graph screen ignores.
constexpr FkeyItem kGraphScreenPages[9 * 6] = {
    // 192
    K(558, 30210), S(559, H + 1), K(560, kKeyVWindow), S(561, H + 3), S(562, H + 7), K(563, kKeyGraphTable),
    // 193-194 ZOOM
    K(98, 30200), K(565, 30201), K(566, 30202), K(567, 30203), K(99, 30204), Next(H + 2),
    K(568, 30205), K(569, 30206), K(570, 30207), K(571, 30208), K(572, 30209), Next(H + 1),
    // 195-197 SKETCH
    K(635, 30220), K(636, 30221), K(374, 30222), K(637, 30223), S(641, H + 6), Next(H + 4),
    K(642, 30234), K(643, 30226), K(644, 30227), K(645, 30228), K(703, 30229), Next(H + 5),
    K(704, 30230), B, B, B, B, Next(H + 3),
    // 198 PLOT
    K(653, 30224), K(655, 30232), K(656, 30233), B, B, B,
    // 199-200 G-SOLVE
    K(77, 30240), K(78, 30241), K(79, 30242), K(80, 30243), K(81, 30244), Next(H + 8),
    K(82, 30245), K(83, 30246), K(84, 30247), B, B, Next(H + 7),
};
constexpr FkeyItem kGraphPlainPages[9 * 6] = {
    K(0, 0), S(559, H + 1), K(560, kKeyVWindow), S(561, H + 3), K(0, 0), K(563, kKeyGraphTable),
    K(98, 30200), K(565, 30201), K(566, 30202), K(567, 30203), K(99, 30204), Next(H + 2),
    K(568, 30205), K(569, 30206), K(570, 30207), K(571, 30208), K(572, 30209), Next(H + 1),
    K(635, 30220), B, B, B, S(641, H + 6), Next(H + 4),
    K(642, 30234), K(643, 30226), K(644, 30227), K(645, 30228), K(703, 30229), Next(H + 5),
    K(704, 30230), B, B, B, B, Next(H + 3),
    K(653, 30224), K(655, 30232), K(656, 30233), B, B, B,
    B, B, B, B, B, B,
    B, B, B, B, B, B,
};

// SHIFT of the statistical graph screen: the graph screen's tools without
// those that act on graph functions alone (AUTO zoom, Tang, Norm, Inv), and
// G-SLV holding Y-CAL only, which estimates y on a drawn regression.
// Variant 16 for paired data; variant 18 for single-variable data, where no
// regression is drawn, without G-SLV. A key without a tool gives code 0 and
// keeps its place, so G/T stays on F6.
constexpr std::array<FkeyItem, 9 * 6> StatGraphPages(bool paired) {
  std::array<FkeyItem, 9 * 6> p{};
  for (u32 i = 0; i < p.size(); ++i) p[i] = kGraphScreenPages[i];
  p[6 + 4] = K(0, 0);
  p[18 + 1] = p[18 + 2] = p[18 + 3] = K(0, 0);
  for (u32 i = 42; i < p.size(); ++i) p[i] = B;
  p[42] = K(82, 30245);
  if (!paired) p[4] = K(0, 0);
  return p;
}
constexpr std::array<FkeyItem, 9 * 6> kStatPairedPages = StatGraphPages(true);
constexpr std::array<FkeyItem, 9 * 6> kStatSinglePages = StatGraphPages(false);

// SHIFT of the distribution and test graphs, which are neither zoomed nor
// sketched: variant 19 (the ANOVA means) with TRACE walking the means;
// variant 20 (the probability densities) with G-SLV holding Y-CAL, the
// density at a typed x. The keys keep the graph screen's places.
constexpr FkeyItem kAnovaGraphPages[6] = {
    K(558, 30210), K(0, 0), K(560, kKeyVWindow), K(0, 0), K(0, 0), K(563, kKeyGraphTable),
};
constexpr FkeyItem kDensityGraphPages[2 * 6] = {
    K(0, 0), K(0, 0), K(560, kKeyVWindow), K(0, 0), S(562, H + 1), K(563, kKeyGraphTable),
    // G-SOLVE
    K(82, 30245), B, B, B, B, B,
};

// OPT of the graph screens (variants 5, 10 and 12): the picture memories;
// the two-graph screen (variant 7) also swaps the two graphs and copies the
// left one's selection to the right.
constexpr FkeyItem kGraphOptPages[2 * 6] = {
    S(183, kFkeyOptFirst + 1), B, B, B, B, B,
    K(699, 30260), K(700, 30261), B, B, B, B,
};
constexpr FkeyItem kGraphDualOptPages[2 * 6] = {
    S(183, kFkeyOptFirst + 1), K(258, kKeyGraphSwap), K(909, kKeyGraphCopyRight), B, B, B,
    K(699, 30260), K(700, 30261), B, B, B, B,
};

// OPT of the function table (variant 13): a column into a list.
constexpr FkeyItem kTableOptPage[6] = {K(163, kKeyGraphStoreColumn), B, B, B, B, B};

// ALPHA (variant 1): symbols no key types, ids 237-238.
constexpr i32 A = kFkeyAlphaFirst;
constexpr FkeyItem kAlphaPages[2 * 6] = {
    I(398, '\''), I(399, '"'), I(400, '~'), I(401, '*'), I(403, '#'), Next(A + 1),
    I(402, '/'), I(952, '$'), B, B, B, Next(A),
};

template <u32 N>
constexpr u32 PageCount(const FkeyItem (&)[N]) {
  return N / 6;
}

constexpr GroupVariant kGroupVariants[] = {
    {kFkeyOptFirst, 1, kOptPages, PageCount(kOptPages)},
    {kFkeyOptFirst, 2, kOptFunctionMemory, 1},
    {kFkeyOptFirst, 3, kOptPages, PageCount(kOptPages)},
    {kFkeyOptFirst, 4, kOptPages, PageCount(kOptPages)},
    {kFkeyOptFirst, 6, kOptPages, PageCount(kOptPages)},
    {kFkeyOptFirst, 9, kOptPages, PageCount(kOptPages)},
    {kFkeyVarsFirst, 1, kVarsPages, PageCount(kVarsPages)},
    {kFkeyVarsFirst, 2, kVarsPages, PageCount(kVarsPages)},
    {kFkeyShiftVarsFirst, 1, kPrgmPages, PageCount(kPrgmPages)},
    {kFkeyShiftVarsFirst, 3, kPrgmPages, PageCount(kPrgmPages)},
    {kFkeyShiftFirst, 1, kSketchPages, PageCount(kSketchPages)},
    {kFkeyShiftFirst, 10, kSketchPages, PageCount(kSketchPages)},
    {kFkeyAlphaFirst, 1, kAlphaPages, PageCount(kAlphaPages)},
    {kFkeyClipFirst, 1, kClipPage, 1},
    {kFkeyClipFirst, 2, kClipPage, 1},
    {kFkeyShiftFirst, 2, kShiftGraphTools, 2},
    // a screen beside a graph already drawn: the same tools
    {kFkeyShiftFirst, 6, kShiftGraphTools, 2},
    {kFkeyShiftFirst, 3, kGraphScreenPages, PageCount(kGraphScreenPages)},
    {kFkeyShiftFirst, 4, kGraphScreenPages, PageCount(kGraphScreenPages)},
    {kFkeyShiftFirst, 8, kGraphScreenPages, PageCount(kGraphScreenPages)},
    {kFkeyShiftFirst, 14, kGraphPlainPages, PageCount(kGraphPlainPages)},
    // the recursion graphs: the same tools (a web graph's TRACE walks its web)
    {kFkeyShiftFirst, 17, kGraphScreenPages, PageCount(kGraphScreenPages)},
    {kFkeyShiftFirst, 16, kStatPairedPages.data(), kStatPairedPages.size() / 6},
    {kFkeyShiftFirst, 18, kStatSinglePages.data(), kStatSinglePages.size() / 6},
    {kFkeyShiftFirst, 19, kAnovaGraphPages, PageCount(kAnovaGraphPages)},
    {kFkeyShiftFirst, 20, kDensityGraphPages, PageCount(kDensityGraphPages)},
    {kFkeyOptFirst, 5, kGraphOptPages, PageCount(kGraphOptPages)},
    {kFkeyOptFirst, 7, kGraphDualOptPages, PageCount(kGraphDualOptPages)},
    {kFkeyOptFirst, 10, kGraphOptPages, PageCount(kGraphOptPages)},
    {kFkeyOptFirst, 12, kGraphOptPages, PageCount(kGraphOptPages)},
    {kFkeyOptFirst, 13, kTableOptPage, 1},
};

}  // namespace

const FkeyItem *FkeyGroupPages(i32 firstId, u16 variant, u32 *count) {
  for (const GroupVariant &g : kGroupVariants) {
    if (g.firstId == firstId && g.variant == variant) {
      *count = g.count;
      return g.pages;
    }
  }
  *count = 0;
  return nullptr;
}
