#include "graph/engine/graph_axes.h"

#include "graph/engine/graph_context.h"
#include "graph/engine/graph_draw.h"
#include "kernel/keyqueue.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "ui/lcd.h"

namespace {

constexpr i32 kMaxMarks = 256;

bool IsZero(const BcdReal *v) {
  BcdReal zero;
  return RealCompare(kRealCmpEq, v, RealSetZero(&zero)) != 0;
}

// |dot| >= scale: the marks of this axis would touch each other.
bool Dense(const BcdReal *dot, const BcdReal *scale) {
  BcdReal a;
  RealAbs(dot, &a);
  return RealCompare(kRealCmpGe, &a, scale) == 1;
}

// The positions (columns or rows) of the multiples of scale that lie on the
// screen, from the low end of the window: the first multiple is
// q = low / scale when that is whole, else the next one in the direction
// the axis runs (Intg(q + 1), or Intg(q) on a reversed axis).
template <typename Convert>
i32 ScalePositions(const BcdReal *low, const BcdReal *scale, bool reversed, Convert convert, i32 *out) {
  BcdReal q;
  RealDiv(low, scale, &q);
  RealNormalize(&q, &q);
  if (RealErrorCode(&q)) return 0;
  if (RealIsInteger(&q) != 1) {
    if (!reversed) {
      BcdReal one;
      RealAdd(&q, RealSetOne(&one), &q);
    }
    RealIntg(&q, &q);
  }
  i32 count = 0;
  BcdReal step;
  RealSetOne(&step);
  if (reversed) RealNeg(&step, &step);
  for (i32 k = 0; k < kMaxMarks; ++k) {
    BcdReal v;
    RealMul(&q, scale, &v);
    RealNormalize(&v, &v);
    i32 pos = 0;
    if (convert(&v, &pos) != kGraphDotOn) break;
    out[count++] = pos;
    RealAdd(&q, &step, &q);
  }
  return count;
}

}  // namespace

u32 GraphDrawAxes(const GraphView *view, u32 options, u8 *buf, u8 runFlags) {
  KeyBreakArm();
  LcdShowBusyIndicator();
  const u8 f = static_cast<u8>(runFlags | kGraphRunPlanesOnly);
  const bool half = (runFlags & kGraphRunHalf) != 0;
  const i32 lastCol = half ? 63 : kGraphLastColumn;
  const BcdReal &xdot = half ? view->xdotHalf : view->xdot;
  const bool xReversed = (runFlags & kGraphRunXReversed) != 0;
  const bool yReversed = (runFlags & kGraphRunYReversed) != 0;
  auto toColumn = [&](const BcdReal *x, i32 *col) { return GraphXToColumn(x, col, view, runFlags); };
  auto toRow = [&](const BcdReal *y, i32 *row) { return GraphYToRow(y, row, view); };
  BcdReal zero;
  RealSetZero(&zero);

  if (!(options & kGraphAxesOff)) {
    i32 row = 0;
    i32 markRow = 0;
    switch (GraphYToRow(&zero, &row, view)) {
      case kGraphDotOn:
        GraphDrawLine(1, row, lastCol, row, buf, kGraphStyleNormal, f);
        markRow = row == 1 ? 2 : row - 1;
        break;
      case kGraphDotAbove: markRow = 1; break;
      case kGraphDotBelow: markRow = kGraphLastRow; break;
      default: markRow = 0; break;
    }
    i32 col = 0;
    i32 markCol = 0;
    u8 yf = f;
    switch (GraphXToColumn(&zero, &col, view, runFlags)) {
      case kGraphDotOn:
        GraphDrawLine(col, 1, col, kGraphLastRow, buf, kGraphStyleNormal, f);
        markCol = col == lastCol ? col - 1 : col + 1;
        break;
      case kGraphDotLeft:
        markCol = 1;
        yf = static_cast<u8>(f & ~kGraphRunStrip);
        break;
      case kGraphDotRight:
        markCol = lastCol;
        yf = static_cast<u8>(f & ~kGraphRunStrip);
        break;
      default: markCol = 0; break;
    }
    i32 pos[kMaxMarks];
    if (!IsZero(&view->xscale)) {
      if (Dense(&xdot, &view->xscale)) {
        GraphDrawLine(1, markRow, lastCol, markRow, buf, kGraphStyleNormal, f);
      } else {
        const i32 n = ScalePositions(&view->xmin, &view->xscale, xReversed, toColumn, pos);
        for (i32 i = 0; i < n; ++i) {
          if (KeyBreakPoll()) return 1;
          GraphPlotPixel(pos[i], markRow, buf, kGraphOpSet0, f);
        }
      }
    }
    if (!IsZero(&view->yscale)) {
      if (Dense(&view->ydot, &view->yscale)) {
        GraphDrawLine(markCol, 1, markCol, kGraphLastRow, buf, kGraphStyleNormal, yf);
      } else {
        const i32 n = ScalePositions(&view->ymin, &view->yscale, yReversed, toRow, pos);
        for (i32 i = 0; i < n; ++i) {
          if (KeyBreakPoll()) return 1;
          GraphPlotPixel(markCol, pos[i], buf, kGraphOpSet0, yf);
        }
      }
    }
  }

  if ((options & kGraphGridOn) && !IsZero(&view->xscale) && !IsZero(&view->yscale)) {
    const bool xDense = Dense(&xdot, &view->xscale);
    const bool yDense = Dense(&view->ydot, &view->yscale);
    i32 cols[kMaxMarks];
    i32 rows[kMaxMarks];
    const i32 nc = xDense ? 0 : ScalePositions(&view->xmin, &view->xscale, xReversed, toColumn, cols);
    const i32 nr = yDense ? 0 : ScalePositions(&view->ymin, &view->yscale, yReversed, toRow, rows);
    if (xDense && yDense) {
      for (i32 y = 1; y <= kGraphLastRow; ++y) {
        if (KeyBreakPoll()) return 1;
        GraphDrawLine(1, y, lastCol, y, buf, kGraphStyleNormal, f);
      }
    } else if (xDense) {
      for (i32 i = 0; i < nr; ++i) {
        if (KeyBreakPoll()) return 1;
        GraphDrawLine(1, rows[i], lastCol, rows[i], buf, kGraphStyleNormal, f);
      }
    } else {
      for (i32 i = 0; i < nc; ++i) {
        if (KeyBreakPoll()) return 1;
        if (yDense) {
          GraphDrawLine(cols[i], 1, cols[i], kGraphLastRow, buf, kGraphStyleNormal, f);
        } else {
          for (i32 j = 0; j < nr; ++j) GraphPlotPixel(cols[i], rows[j], buf, kGraphOpSet0, f);
        }
      }
    }
  }
  return 0;
}
