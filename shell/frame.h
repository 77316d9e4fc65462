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
  // run_calculator: the view's first paint starts the calculator thread.
  explicit ShellFrame(bool run_calculator = false);
  ShellView *View() const { return view_; }
  void SetStatusText(const QString &text);
  QString StatusText() const;
  // Applies the title and status text of a key modifier state.
  void ShowKeyState(const char *state_text, const QString &log_text);
  // The status text and title the calculator handed over; the view's log
  // text, when set, follows the status after a tab.
  void ShowCalcStatus(const QString &status, const QString &title);
  void RefreshStatus();

 protected:
  void closeEvent(QCloseEvent *event) override;

 private:
  ShellView *view_;
  QLabel *status_;
  QString calc_status_;
};

// The idle status text.
QString ShellIdleText();
