#include "shell/display_window.h"

#include <QCloseEvent>
#include <QPainter>

#include "shell/calc_link.h"
#include "shell/tools.h"

ShellDisplayWindow::ShellDisplayWindow(QWidget *parent, int zoom, std::function<void()> on_close)
    : QDialog(parent), zoom_(zoom), on_close_(std::move(on_close)) {
  setWindowTitle(QStringLiteral("Corvanta"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  SetZoom(zoom);
}

void ShellDisplayWindow::SetZoom(int zoom) {
  zoom_ = zoom < 2 ? 2 : (zoom > 6 ? 6 : zoom);
  setFixedSize(128 * zoom_, 64 * zoom_);
  update();
}

void ShellDisplayWindow::paintEvent(QPaintEvent *) {
  u8 shadow[kLcdBytes];
  CalcLinkCopyShadow(shadow);
  QPainter p(this);
  p.setRenderHint(QPainter::SmoothPixmapTransform, false);
  p.drawImage(QRect(0, 0, 128 * zoom_, 64 * zoom_), ToolDisplayImage(shadow));
}

void ShellDisplayWindow::closeEvent(QCloseEvent *event) {
  event->accept();
  if (on_close_) on_close_();
}
