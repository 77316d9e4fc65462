// The view: the skin with the live display, mouse and keyboard input turned
// into calculator keys, the cursor blink timer and the pop-up menu.
#pragma once
#include <QWidget>

#include <functional>
#include <string>

#include "shell/calc_link.h"

class QMenu;

// The view's options, kept in the profile.
struct ShellOptions {
  i32 lcd_disp = 0;       // "LCDDISP": the display window is open
  i32 zoom = 2;           // "DISPZOOM": its zoom factor, 2 to 6
  std::string cap_folder; // "CAPFOLDER": folder of automatic captures
  i32 cap_file = 1;       // "CAPFILE"
  i32 caps_lock = 1;      // "CAPSLOCK": typed lower-case letters go as capitals
  std::string key_table;  // "KEYTABLE": key table file, empty for none
};
void ShellLoadOptions(ShellOptions *o);
void ShellSaveOptions(const ShellOptions &o);

// The texts of the key modifier states, empty for none.
const char *ShellViewKeyStateText(u8 modifier);

class ShellView : public QWidget {
 public:
  explicit ShellView(QWidget *parent = nullptr);
  ~ShellView() override;

  ShellOptions &Options() { return options_; }

  // The one road of every input: map, log, post. Returns true when posted.
  bool SendKey(i16 key, u16 code, ShellLetterMode letter = kLetterPlain);

  // Where keys go; tests capture them here. The default posts to the
  // calculator's queue.
  using KeySink = std::function<bool(const ShellKeyEvent &)>;
  void SetKeySink(KeySink sink) { sink_ = std::move(sink); }

  // The key whose pressed image is shown, 0 for none.
  i16 PressedKey() const { return pressed_key_; }

  // The display as drawn: 128 x 64, white clear dots and black set dots.
  QImage DisplayImage() const;

  // Repaints the display area from the shadow.
  void RefreshDisplay();

 protected:
  void paintEvent(QPaintEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseDoubleClickEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  void keyReleaseEvent(QKeyEvent *event) override;

 private:
  void PressAt(i32 x, i32 y, bool remap_band);
  void ShowPressed(i16 key);
  void ReleasePressed();
  void TypeCharacter(u32 ch);

  ShellOptions options_;
  KeySink sink_;
  i16 pressed_key_ = 0;
};

// Maps a Qt key to the PC virtual-key code of the key-down table (0 when the
// key has none). Numeric-pad keys map to their pad codes.
i32 ShellVirtualKeyOf(int qt_key, bool keypad);
