#include "shell/frame.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLocale>
#include <QShortcut>
#include <QStatusBar>

#include "shell/platform/platform.h"
#include "shell/view.h"

QString ShellIdleText() {
  return QLocale::system().language() == QLocale::Japanese ? QString::fromUtf8("ﾚﾃﾞｨ")
                                                           : QStringLiteral("Ready");
}

ShellFrame::ShellFrame(bool run_calculator) {
  setWindowTitle(QStringLiteral("Corvanta"));
  view_ = new ShellView(this, run_calculator);
  setCentralWidget(view_);
  status_ = new QLabel(ShellIdleText());
  status_->setTextFormat(Qt::PlainText);
  statusBar()->addWidget(status_, 1);
  statusBar()->setSizeGripEnabled(false);
  setFixedSize(kFrameWidth, kFrameHeight);

  // A stored position is kept; a negative coordinate becomes 0.
  const i32 none = -0x7FFFFFFF;
  i32 top = PlatformProfileGetInt("POS_TOP", none);
  i32 left = PlatformProfileGetInt("POS_LEFT", none);
  if (top != none || left != none) {
    if (top == none) top = 0;
    if (left == none) left = 0;
    move(left < 0 ? 0 : left, top < 0 ? 0 : top);
  }

  // The accelerators. They come before the key tables: F8, F9 and F12 are
  // tool keys, Shift+F5 quits exactly as the close box does.
  struct Accel {
    QKeyCombination keys;
    i32 command;
  } accels[] = {
      {Qt::CTRL | Qt::Key_C, kCmdDisplayCopy},  {Qt::CTRL | Qt::Key_Insert, kCmdDisplayCopy},
      {Qt::CTRL | Qt::Key_V, kCmdPaste},        {Qt::SHIFT | Qt::Key_Insert, kCmdPaste},
      {QKeyCombination(Qt::Key_F12), kCmdCapture}, {QKeyCombination(Qt::Key_F9), kCmdAnswer},
      {QKeyCombination(Qt::Key_F8), kCmdReplayNext}, {Qt::SHIFT | Qt::Key_F5, kCmdQuit},
  };
  for (const Accel &a : accels) {
    auto *shortcut = new QShortcut(QKeySequence(a.keys), this);
    shortcut->setContext(Qt::WindowShortcut);
    const i32 command = a.command;
    connect(shortcut, &QShortcut::activated, this, [this, command] { view_->RunCommand(command); });
  }
  view_->on_status_changed = [this] { RefreshStatus(); };
  view_->setFocus();
}

void ShellFrame::SetStatusText(const QString &text) { status_->setText(text); }

QString ShellFrame::StatusText() const { return status_->text(); }

void ShellFrame::ShowKeyState(const char *state_text, const QString &log_text) {
  const QString state = QString::fromLatin1(state_text);
  SetStatusText(log_text.isEmpty() ? state : state + QLatin1Char('\t') + log_text);
  setWindowTitle(QStringLiteral("Corvanta") + state);
}

void ShellFrame::ShowCalcStatus(const QString &status, const QString &title) {
  calc_status_ = status;
  setWindowTitle(title);
  RefreshStatus();
}

void ShellFrame::RefreshStatus() {
  const QString log = QString::fromStdString(view_->LogText());
  SetStatusText(log.isEmpty() ? calc_status_ : calc_status_ + QLatin1Char('\t') + log);
}

void ShellFrame::closeEvent(QCloseEvent *event) {
  const QRect r = frameGeometry();
  PlatformProfileSetInt("POS_TOP", r.top());
  PlatformProfileSetInt("POS_LEFT", r.left());
  PlatformProfileSync();
  event->accept();
}
