#include "shell/skin.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstring>

#include "shell/keymap.h"
#include "ui/keycodes.h"

namespace {

// Captions of the key layout that print as other characters.
const struct {
  const char *caption;
  const char *printed;
} kPrinted[] = {
    {"x^2", "x\u00B2"},          {"sqrt", "\u221A"},         {"x-root", "\u02E3\u221A"},
    {"theta", "\u03B8"},         {"X,theta,T", "X,\u03B8,T"}, {"angle", "\u2220"},
    {"10^x", "10\u02E3"},        {"e^x", "e\u02E3"},         {"sin-1", "sin\u207B\u00B9"},
    {"cos-1", "cos\u207B\u00B9"}, {"tan-1", "tan\u207B\u00B9"}, {"ab/c", "a\u1D47\u2044c"},
    {"F<>D", "F\u2194D"},        {"ab/c<>d/c", "d/c"},        {"cbrt", "\u221B"},
    {"x^-1", "x\u207B\u00B9"},  {"->", "\u2192"},           {"x", "\u00D7"},
    {"/", "\u00F7"},             {"-", "\u2212"},            {"(-)", "(\u2212)"},
    {"EXP", "\u00D710\u02E3"},  {"pi", "\u03C0"},           {"newline", "\u21B5"},
    {"G<>T", "G\u2194T"},        {"V-Window", "V-Win"},
};

enum KeyStyle { kStyleFkey, kStyleControl, kStyleFunction, kStyleDigit, kStyleEdit, kStyleExe };

KeyStyle StyleOf(const ShellKeyRect &r) {
  if (r.top == 293) return kStyleFkey;
  if (r.key == 44 || r.key == 34) return kStyleEdit;
  if (r.key == 31) return kStyleExe;
  if (r.top >= 486) return kStyleDigit;
  if (r.key == 78 || r.key == 77 || r.key == 48 || r.key == 47) return kStyleControl;
  return kStyleFunction;
}

struct KeyColours {
  QColor top, bottom, border, text;
};

KeyColours ColoursOf(KeyStyle style) {
  switch (style) {
    case kStyleFkey: return {QColor(0xF2, 0xF2, 0xEE), QColor(0xC9, 0xCB, 0xC6), QColor(0x70, 0x72, 0x70), QColor(0x1A, 0x1A, 0x1A)};
    case kStyleControl: return {QColor(0x4D, 0x55, 0x61), QColor(0x30, 0x36, 0x3F), QColor(0x12, 0x14, 0x18), QColor(0xFF, 0xFF, 0xFF)};
    case kStyleFunction: return {QColor(0x3F, 0x46, 0x50), QColor(0x29, 0x2E, 0x35), QColor(0x10, 0x12, 0x16), QColor(0xFF, 0xFF, 0xFF)};
    case kStyleDigit: return {QColor(0xE6, 0xE8, 0xEB), QColor(0xBC, 0xC1, 0xC7), QColor(0x5B, 0x60, 0x66), QColor(0x12, 0x14, 0x18)};
    case kStyleEdit: return {QColor(0x3E, 0x7E, 0xC9), QColor(0x27, 0x5A, 0x99), QColor(0x12, 0x2A, 0x4A), QColor(0xFF, 0xFF, 0xFF)};
    case kStyleExe: return {QColor(0x3E, 0x7E, 0xC9), QColor(0x27, 0x5A, 0x99), QColor(0x12, 0x2A, 0x4A), QColor(0xFF, 0xFF, 0xFF)};
  }
  return {};
}

const QColor kShiftInk(0xF5, 0xA6, 0x23);
const QColor kAlphaInk(0xFF, 0x6B, 0x6B);
const char *kFontFamily = "DejaVu Sans";

QRect RectOf(const ShellKeyRect &r) { return QRect(r.left, r.top, r.right - r.left + 1, r.bottom - r.top + 1); }

QFont LegendFont(int pixels, bool bold) {
  QFont f(kFontFamily);
  f.setPixelSize(pixels);
  f.setBold(bold);
  f.setHintingPreference(QFont::PreferFullHinting);
  return f;
}

// Draws the main legend so that it fits the key's width.
void DrawMainLegend(QPainter &p, const QRect &box, const QString &text, const QColor &ink) {
  int px = text.size() <= 2 ? 14 : 11;
  QFont f = LegendFont(px, true);
  while (px > 7) {
    f.setPixelSize(px);
    if (QFontMetrics(f).horizontalAdvance(text) <= box.width() - 6) break;
    --px;
  }
  p.setFont(f);
  p.setPen(ink);
  p.drawText(box, Qt::AlignCenter, text);
}

void DrawKey(QPainter &p, const ShellKeyRect &r, bool pressed) {
  const KeyColours c = ColoursOf(StyleOf(r));
  QRect box = RectOf(r);
  // A raised key shows a darker lip at its bottom; pressed, the face sinks.
  QRectF face(box.left() + 0.5, box.top() + 0.5 + (pressed ? 2 : 0), box.width() - 1.0,
              box.height() - 1.0 - 2);
  QPainterPath lip;
  lip.addRoundedRect(QRectF(box.left() + 0.5, box.top() + 2.5, box.width() - 1.0, box.height() - 3.0), 4, 4);
  p.setPen(Qt::NoPen);
  p.setBrush(c.border);
  p.drawPath(lip);
  QLinearGradient g(face.topLeft(), face.bottomLeft());
  g.setColorAt(0, pressed ? c.bottom : c.top);
  g.setColorAt(1, pressed ? c.bottom.darker(115) : c.bottom);
  QPainterPath path;
  path.addRoundedRect(face, 4, 4);
  p.setBrush(g);
  p.setPen(QPen(c.border, 1));
  p.drawPath(path);
  const SkinLegend legend = SkinLegendOf(r.key);
  if (!legend.main.empty()) {
    DrawMainLegend(p, face.toAlignedRect(), QString::fromStdString(legend.main), c.text);
  }
}

// The four arrow keys share one round-cornered pad; each key's part is its
// own rectangle, with an arrow in its middle.
void DrawArrowKey(QPainter &p, const ShellKeyRect &r, bool pressed) {
  QRect box = RectOf(r);
  QColor fill = pressed ? QColor(0x1E, 0x22, 0x28) : QColor(0x3A, 0x41, 0x4B);
  p.setPen(Qt::NoPen);
  p.setBrush(fill);
  p.drawRect(box);
  QPointF c = QRectF(box).center() + QPointF(0, pressed ? 1 : 0);
  const double s = 5.5;
  QPolygonF tri;
  switch (r.key) {
    case 28: tri << QPointF(c.x(), c.y() - s) << QPointF(c.x() - s, c.y() + s * 0.6) << QPointF(c.x() + s, c.y() + s * 0.6); break;
    case 37: tri << QPointF(c.x(), c.y() + s) << QPointF(c.x() - s, c.y() - s * 0.6) << QPointF(c.x() + s, c.y() - s * 0.6); break;
    case 38: tri << QPointF(c.x() - s, c.y()) << QPointF(c.x() + s * 0.6, c.y() - s) << QPointF(c.x() + s * 0.6, c.y() + s); break;
    default: tri << QPointF(c.x() + s, c.y()) << QPointF(c.x() - s * 0.6, c.y() - s) << QPointF(c.x() - s * 0.6, c.y() + s); break;
  }
  p.setBrush(QColor(0xE8, 0xEA, 0xED));
  p.drawPolygon(tri);
}

void DrawArrowPadFrame(QPainter &p) {
  QPen pen(QColor(0x12, 0x14, 0x18), 1);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(QRectF(217.5, 319.5, 92, 77), 10, 10);
  p.drawLine(QPointF(248.5, 320), QPointF(248.5, 395));
  p.drawLine(QPointF(277.5, 320), QPointF(277.5, 395));
  p.drawLine(QPointF(249, 357.5), QPointF(277, 357.5));
}

void DrawLegendsAbove(QPainter &p, const ShellKeyRect &r) {
  const SkinLegend legend = SkinLegendOf(r.key);
  QRect band(r.left + 1, r.top - 11, r.right - r.left - 1, 10);
  if (!legend.shift.empty()) {
    p.setFont(LegendFont(7, true));
    p.setPen(kShiftInk);
    p.drawText(band, Qt::AlignLeft | Qt::AlignBottom, QString::fromStdString(legend.shift));
  }
  if (!legend.alpha.empty()) {
    p.setFont(LegendFont(8, true));
    p.setPen(kAlphaInk);
    p.drawText(band, Qt::AlignRight | Qt::AlignBottom, QString::fromStdString(legend.alpha));
  }
}

bool IsArrow(i16 key) { return key == 28 || key == 38 || key == 27 || key == 37; }

QImage RenderSkin(bool pressed) {
  QImage img(kSkinWidth, kSkinHeight, QImage::Format_RGB32);
  img.fill(QColor::fromRgb(kSkinFill));
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setRenderHint(QPainter::TextAntialiasing, true);

  // Case: a rounded body with a soft vertical sheen and a lighter rim.
  QPainterPath body;
  body.addRoundedRect(QRectF(2.5, 2.5, kSkinWidth - 5.0, kSkinHeight - 5.0), 26, 26);
  QLinearGradient bg(0, 0, kSkinWidth, 0);
  bg.setColorAt(0, QColor(0x2A, 0x30, 0x38));
  bg.setColorAt(0.5, QColor(0x36, 0x3D, 0x47));
  bg.setColorAt(1, QColor(0x2A, 0x30, 0x38));
  p.setBrush(bg);
  p.setPen(QPen(QColor(0x5A, 0x63, 0x6F), 2));
  p.drawPath(body);

  // Name plate.
  p.setPen(QColor(0xE4, 0xE7, 0xEB));
  p.setFont(LegendFont(17, true));
  p.drawText(QRect(0, 22, kSkinWidth, 24), Qt::AlignCenter, QStringLiteral("Corvanta"));
  p.setPen(QColor(0x9A, 0xA3, 0xAE));
  p.setFont(LegendFont(8, false));
  p.drawText(QRect(0, 44, kSkinWidth, 12), Qt::AlignCenter, QStringLiteral("15-DIGIT GRAPHING CALCULATOR"));

  // Display bezel and glass; the view draws the display itself over the glass.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x15, 0x18, 0x1D));
  p.drawRoundedRect(QRectF(26, 64, 297, 166), 10, 10);
  p.setBrush(QColor(0xFF, 0xFF, 0xFF));
  p.drawRect(QRect(kLcdLeft - 4, kLcdTop - 4, 128 * kLcdScale + 8, 64 * kLcdScale + 8));

  for (const ShellKeyRect &r : kShellSkinKeyRects) {
    if (IsArrow(r.key)) {
      DrawArrowKey(p, r, pressed);
    } else {
      DrawKey(p, r, pressed);
      DrawLegendsAbove(p, r);
    }
  }
  DrawArrowPadFrame(p);

  // Foot: a thin rule.
  p.setPen(QPen(QColor(0x4A, 0x52, 0x5D), 1));
  p.drawLine(QPointF(120, 675.5), QPointF(229, 675.5));
  p.end();
  return img;
}

}  // namespace

std::string SkinPrintedLegend(const char *caption) {
  for (const auto &p : kPrinted) {
    if (std::strcmp(p.caption, caption) == 0) return p.printed;
  }
  return caption;
}

SkinLegend SkinLegendOf(i16 key) {
  SkinLegend out;
  i32 column = 0, row = 0;
  if (!ShellMapKey(key, &column, &row)) return out;
  const KeyLayoutRow *k = KeyLayoutFind(column, row);
  if (k == nullptr || IsArrow(key)) return out;  // the arrows carry pictures
  out.main = SkinPrintedLegend(k->plain.legend);
  if (k->shift.kind != kActNone) out.shift = SkinPrintedLegend(k->shift.legend);
  if (k->alpha.kind != kActNone) out.alpha = SkinPrintedLegend(k->alpha.legend);
  return out;
}

const ShellSkin &SkinGet() {
  static const ShellSkin skin = [] {
    ShellSkin s;
    s.normal = RenderSkin(false);
    s.pressed = RenderSkin(true);
    return s;
  }();
  return skin;
}
