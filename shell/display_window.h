// The display window: a second window showing the display at the zoom
// factor 2 to 6.
#pragma once
#include <QDialog>

#include <functional>

class ShellDisplayWindow : public QDialog {
 public:
  ShellDisplayWindow(QWidget *parent, int zoom, std::function<void()> on_close);
  void SetZoom(int zoom);
  int Zoom() const { return zoom_; }

 protected:
  void paintEvent(QPaintEvent *event) override;
  void closeEvent(QCloseEvent *event) override;

 private:
  int zoom_;
  std::function<void()> on_close_;
};
