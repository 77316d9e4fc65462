// The view: the skin with the live display, mouse and keyboard input turned
// into calculator keys, the cursor blink timer, the pop-up menu and the test
// tools (key log, replay, answer files, captures).
#pragma once
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include "shell/calc_link.h"
#include "shell/cursor.h"
#include "shell/keytable.h"
#include "shell/tools.h"
#include "ui/lcd_shadow.h"

class QMenu;
class ShellDisplayWindow;

// The view's options, kept in the profile.
struct ShellOptions {
  i32 lcd_disp = 0;        // "LCDDISP": the display window is open
  i32 zoom = 2;            // "DISPZOOM": its zoom factor, 2 to 6
  std::string cap_folder;  // "CAPFOLDER": folder of automatic captures and logs
  i32 cap_file = 1;        // "CAPFILE": 1 captures go to files, 0 to the clipboard
  i32 caps_lock = 1;       // "CAPSLOCK": typed lower-case letters go as capitals
  std::string key_table;   // "KEYTABLE": key table file, empty for "Tz841.keys"
};
void ShellLoadOptions(ShellOptions *o);
void ShellSaveOptions(const ShellOptions &o);


// The commands of the pop-up menu and the accelerators.
enum ShellCommand : i32 {
  kCmdKeyLog = 32791,
  kCmdReplay = 32804,
  kCmdReplayFast = 32818,
  kCmdReplayStep = 32805,
  kCmdDisplayWindow = 32792,
  kCmdZoom2 = 32793,  // to kCmdZoom2 + 4 for zoom 6
  kCmdCaptureNamed = 32810,
  kCmdCaptureFolder = 32808,
  kCmdCapsLock = 32811,
  kCmdCopy = 32816,
  kCmdPaste = 32817,
  kCmdDisplayCopy = 32820,
  kCmdBackupMain = 32821,   // main memory to C:\BACKUP.MCS
  kCmdRestoreMain = 32822,  // main memory from C:\BACKUP.MCS
  kCmdExit = 57665,
  kCmdCapture = 32806,      // F12: automatic capture into the capture folder
  kCmdAnswer = 32807,       // F9: the answer of Ans into the answer file
  kCmdReplayNext = 32809,   // F8: the next line of a step replay
  kCmdQuit = 32812,         // Shift+F5
};

enum ShellReplayMode : i32 { kReplayOff = 0, kReplayNormal = 1, kReplayFast = 2, kReplayStep = 3 };

class ShellView : public QWidget {
 public:
  // run_calculator: the first paint starts the calculator thread.
  explicit ShellView(QWidget *parent = nullptr, bool run_calculator = false);
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

  // Opens the display window when the profile says it was open.
  void RestoreDisplayWindow();

  // Repaints the display (and the display window) from the shadow.
  void RefreshDisplay();

  // Runs a menu or accelerator command.
  void RunCommand(i32 command);
  // The pop-up menu: English, or Japanese when `japanese`.
  QMenu *BuildPopupMenu(bool japanese);

  // Tools' state.
  bool KeyLogging() const { return key_log_ != nullptr; }
  ShellReplayMode ReplayMode() const { return replay_.mode; }
  const std::string &LogText() const { return log_text_; }
  ShellDisplayWindow *DisplayWindow() const { return display_window_; }
  // The folder of key logs and automatic captures: the capture folder, or
  // the working folder when none is chosen.
  std::string ToolFolder() const;
  // Starts a replay of a script or a ".lst" list. False when nothing can run.
  bool StartReplay(const std::string &path, ShellReplayMode mode);
  // Runs the event loop until the replay has ended or limit_ms passed.
  bool WaitReplayEnd(i32 limit_ms);
  // The last replay's error, empty when it ran to its end.
  const std::string &ReplayError() const { return replay_.error; }
  // The key table in use (empty when none was read).
  const ShellKeyTable &KeyTable() const { return key_table_; }
  // Reads the key table: the profile's file, else "Tz841.keys" in the
  // working folder when it exists. A bad file is reported and ignored.
  void LoadKeyTable();

  // Called when the frame's status must follow (key state and log text).
  std::function<void()> on_status_changed;

 protected:
  void paintEvent(QPaintEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseDoubleClickEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  void keyReleaseEvent(QKeyEvent *event) override;
  void contextMenuEvent(QContextMenuEvent *event) override;

 private:
  struct KeyLog;
  struct Replay {
    ShellReplayMode mode = kReplayOff;
    std::vector<std::string> scripts;
    size_t script = 0;
    std::vector<std::string> lines;
    size_t line = 0;
    i32 capture_number = 0;
    i32 timer = 0;
    u64 idle_mark = 0;
    bool taken = false;  // the calculator has taken the key sent last
    i64 deadline = 0;
    i64 resume_at = 0;
    bool waiting = false;
    bool stop = false;
    std::string error;
  };

  void PressAt(i32 x, i32 y, bool remap_band);
  void ShowPressed(i16 key);
  void ReleasePressed();
  void TypeCharacter(u32 ch);
  bool PostKey(i16 key, u16 code, ShellLetterMode letter);
  void SetLogText(const std::string &text);
  void ToggleKeyLog();
  void CaptureTo(const std::string &path);
  void CaptureAutomatic();
  void WriteAnswer(const std::string &path);
  void DisplayCopy();
  void SetDisplayWindow(bool open);
  void ReplayTick();
  bool ReplayLoadScript();
  void ReplayFinish(const std::string &error);
  bool ReplayStepLine();

  void OnTimer();

  ShellOptions options_;
  KeySink sink_;
  bool run_calculator_ = false;
  bool painted_ = false;
  ShellKeyTable key_table_;
  i32 blink_timer_ = 0;
  ShellBlinkState blink_;
  i16 pressed_key_ = 0;
  KeyLog *key_log_ = nullptr;
  Replay replay_;
  std::string log_text_;
  ShellDisplayWindow *display_window_ = nullptr;
};

// Maps a Qt key to the PC virtual-key code of the key-down table (0 when the
// key has none). Numeric-pad keys map to their pad codes.
i32 ShellVirtualKeyOf(int qt_key, bool keypad);
