// The frame: a window of fixed client size (360 x 732) without menu bar,
// holding the view and a status bar, at the position kept in the profile.
#pragma once
#include <QMainWindow>

class QLabel;
class ShellView;

constexpr int kFrameWidth = 360;
constexpr int kFrameHeight = 732;

class ShellFrame : public QMainWindow {
 public:
  ShellFrame();
  ShellView *View() const { return view_; }
  void SetStatusText(const QString &text);
  QString StatusText() const;
  // Applies the title and status text of a key modifier state.
  void ShowKeyState(const char *state_text, const QString &log_text);

 protected:
  void closeEvent(QCloseEvent *event) override;

 private:
  ShellView *view_;
  QLabel *status_;
};

// The idle status text.
QString ShellIdleText();
