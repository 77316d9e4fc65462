#include "shell/view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "shell/keymap.h"
#include "shell/platform/platform.h"
#include "shell/skin.h"

namespace {

constexpr u8 kModShift = 1, kModClip = 2, kModAlpha = 4, kModSmallAlpha = 8;
constexpr u8 kModAlphaLock = 132, kModSmallAlphaLock = 136;

}  // namespace

const char *ShellViewKeyStateText(u8 modifier) {
  switch (modifier) {
    case kModShift: return "<SHIFT>";
    case kModClip: return "<CLIP>";
    case kModAlpha: return "<ALPHA>";
    case kModAlphaLock: return "<ALPHA-LOCK>";
    case kModSmallAlpha: return "<small-ALPHA>";
    case kModSmallAlphaLock: return "<small-ALPHA-LOCK>";
    default: return "";
  }
}

void ShellLoadOptions(ShellOptions *o) {
  o->lcd_disp = PlatformProfileGetInt("LCDDISP", 0);
  o->zoom = PlatformProfileGetInt("DISPZOOM", 2);
  if (o->zoom < 2 || o->zoom > 6) o->zoom = 2;
  o->cap_folder = PlatformProfileGetString("CAPFOLDER", "");
  o->cap_file = PlatformProfileGetInt("CAPFILE", 1);
  o->caps_lock = PlatformProfileGetInt("CAPSLOCK", 1);
  o->key_table = PlatformProfileGetString("KEYTABLE", "");
}

void ShellSaveOptions(const ShellOptions &o) {
  PlatformProfileSetInt("LCDDISP", o.lcd_disp);
  PlatformProfileSetInt("DISPZOOM", o.zoom);
  PlatformProfileSetString("CAPFOLDER", o.cap_folder);
  PlatformProfileSetInt("CAPFILE", o.cap_file);
  PlatformProfileSetInt("CAPSLOCK", o.caps_lock);
  PlatformProfileSetString("KEYTABLE", o.key_table);
  PlatformProfileSync();
}

i32 ShellVirtualKeyOf(int qt_key, bool keypad) {
  if (keypad) {
    switch (qt_key) {
      case Qt::Key_Period: case Qt::Key_Comma: return kVkDecimal;
      case Qt::Key_Asterisk: return kVkMultiply;
      case Qt::Key_Plus: return kVkAdd;
      case Qt::Key_Minus: return kVkSubtract;
      case Qt::Key_Slash: return kVkDivide;
      case Qt::Key_Enter: return kVkReturn;
      default: break;
    }
  }
  switch (qt_key) {
    case Qt::Key_Return: case Qt::Key_Enter: return kVkReturn;
    case Qt::Key_Insert: return kVkInsert;
    case Qt::Key_End: return kVkEnd;
    case Qt::Key_Home: return kVkHome;
    case Qt::Key_PageUp: return kVkPrior;
    case Qt::Key_PageDown: return kVkNext;
    case Qt::Key_Escape: return kVkEscape;
    case Qt::Key_Space: return kVkSpace;
    case Qt::Key_Left: return kVkLeft;
    case Qt::Key_Up: return kVkUp;
    case Qt::Key_Right: return kVkRight;
    case Qt::Key_Down: return kVkDown;
    case Qt::Key_Delete: return kVkDelete;
    case Qt::Key_Backspace: return kVkBack;
    case Qt::Key_Tab: return kVkTab;
    default: break;
  }
  if (qt_key >= Qt::Key_F1 && qt_key <= Qt::Key_F12) return kVkF1 + (qt_key - Qt::Key_F1);
  return 0;
}

ShellView::ShellView(QWidget *parent) : QWidget(parent) {
  ShellLoadOptions(&options_);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(kViewBlockWidth, kSkinHeight);
  sink_ = [](const ShellKeyEvent &e) { return CalcLinkPostKey(e); };
}

ShellView::~ShellView() { ShellSaveOptions(options_); }

QImage ShellView::DisplayImage() const {
  u8 shadow[kLcdBytes];
  CalcLinkCopyShadow(shadow);
  QImage img(128, 64, QImage::Format_RGB32);
  for (int y = 0; y < 64; ++y) {
    auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
    for (int x = 0; x < 128; ++x) {
      bool clear = (shadow[16 * y + x / 8] >> (7 - x % 8)) & 1;
      line[x] = clear ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
    }
  }
  return img;
}

void ShellView::RefreshDisplay() {
  update(QRect(kLcdLeft, kLcdTop, 128 * kLcdScale, 64 * kLcdScale));
}

void ShellView::paintEvent(QPaintEvent *) {
  QPainter p(this);
  p.fillRect(rect(), QColor::fromRgb(kSkinFill));
  const ShellSkin &skin = SkinGet();
  p.drawImage(0, 0, skin.normal);
  if (pressed_key_ != 0) {
    if (const ShellKeyRect *r = ShellSkinKeyRect(pressed_key_)) {
      QRect box(r->left, r->top, r->right - r->left + 1, r->bottom - r->top + 1);
      p.drawImage(box.topLeft(), skin.pressed, box);
    }
  }
  p.setRenderHint(QPainter::SmoothPixmapTransform, false);
  p.drawImage(QRect(kLcdLeft, kLcdTop, 128 * kLcdScale, 64 * kLcdScale), DisplayImage());
}

bool ShellView::SendKey(i16 key, u16 code, ShellLetterMode letter) {
  i32 column = 0, row = 0;
  if (!ShellMapKey(key, &column, &row)) return false;
  return sink_(ShellKeyEvent{column, row, code, letter});
}

void ShellView::ShowPressed(i16 key) {
  pressed_key_ = key;
  update();
}

void ShellView::ReleasePressed() {
  if (pressed_key_ == 0) return;
  pressed_key_ = 0;
  update();
}

void ShellView::PressAt(i32 x, i32 y, bool remap_band) {
  if (remap_band) ShellRemapLabelBand(&x, &y);
  const ShellKeyRect *r = ShellSkinKeyAt(x, y);
  if (r == nullptr) return;
  ShowPressed(r->key);
  SendKey(r->key, r->code);
}

void ShellView::mousePressEvent(QMouseEvent *event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  QPoint pt = event->position().toPoint();
  PressAt(pt.x(), pt.y(), true);
}

void ShellView::mouseDoubleClickEvent(QMouseEvent *event) {
  if (event->button() != Qt::LeftButton) return QWidget::mouseDoubleClickEvent(event);
  QPoint pt = event->position().toPoint();
  PressAt(pt.x(), pt.y(), false);
}

void ShellView::mouseReleaseEvent(QMouseEvent *event) {
  ReleasePressed();
  QWidget::mouseReleaseEvent(event);
}

void ShellView::keyPressEvent(QKeyEvent *event) {
  const bool keypad = event->modifiers() & Qt::KeypadModifier;
  const i32 vkey = ShellVirtualKeyOf(event->key(), keypad);
  i16 key = 0;
  u16 code = 0;
  if (vkey != 0 && !ShellIsCharRoadKey(vkey) && ShellLookupKeyDown(vkey, &key, &code)) {
    if (key != kShellKeyChar) ShowPressed(key);
    SendKey(key, code);
    return;
  }
  const QString text = event->text();
  if (text.size() == 1) {
    TypeCharacter(text.at(0).unicode());
    return;
  }
  QWidget::keyPressEvent(event);
}

void ShellView::keyReleaseEvent(QKeyEvent *event) {
  if (!event->isAutoRepeat()) ReleasePressed();
  QWidget::keyReleaseEvent(event);
}

void ShellView::TypeCharacter(u32 ch) {
  i16 key = 0;
  if (ShellLookupChar(static_cast<i32>(ch), &key)) {
    if (key != kShellKeyChar) ShowPressed(key);
    SendKey(key, static_cast<u16>(ch));
    return;
  }
  if (ch >= 'A' && ch <= 'Z') {
    SendKey(kShellKeyChar, static_cast<u16>(ch), kLetterAlphaOnce);
  } else if (ch >= 'a' && ch <= 'z') {
    const u32 sent = options_.caps_lock != 0 ? ch - 'a' + 'A' : ch;
    SendKey(kShellKeyChar, static_cast<u16>(sent), kLetterAlphaStay);
  }
}
