#include "shell/view.h"

#include <QActionGroup>
#include <QCoreApplication>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include <fstream>

#include "kernel/keyqueue.h"
#include "shell/cursor.h"
#include "shell/display_window.h"
#include "shell/host_bridge.h"
#include "shell/keymap.h"
#include "shell/platform/platform.h"
#include "shell/skin.h"
#include "ui/keycodes.h"
#include "ui/lcd_shadow.h"

namespace {


// How long a replayed key may take before the replay gives up.
constexpr i32 kReplayKeyLimitMs = 10000;

i64 NowMs() { return QDateTime::currentMSecsSinceEpoch(); }

}  // namespace

struct ShellView::KeyLog {
  std::string path;
  std::string answer_path;
  i32 capture_number = 0;
};

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

ShellView::ShellView(QWidget *parent, bool run_calculator) : QWidget(parent), run_calculator_(run_calculator) {
  ShellLoadOptions(&options_);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(kViewBlockWidth, kSkinHeight);
  sink_ = [](const ShellKeyEvent &e) { return CalcLinkPostKey(e); };
  LoadKeyTable();
}

void ShellView::LoadKeyTable() {
  key_table_ = ShellKeyTable{};
  std::string path = options_.key_table;
  if (path.empty()) {
    if (!QFileInfo::exists(QStringLiteral("Tz841.keys"))) return;
    path = "Tz841.keys";
  }
  std::string error;
  if (!ShellLoadKeyTable(path, &key_table_, &error)) SetLogText(error);
}

void ShellView::RestoreDisplayWindow() {
  if (options_.lcd_disp != 0) SetDisplayWindow(true);
}

void ShellView::OnTimer() {
  HostSetFlagIfArmed();
  if (ShellBlinkTick(&blink_)) RefreshDisplay();
}

ShellView::~ShellView() {
  if (blink_timer_ != 0) PlatformStopTimer(blink_timer_);
  if (replay_.mode != kReplayOff) ReplayFinish("");
  delete key_log_;
  ShellSaveOptions(options_);
  delete display_window_;
}

std::string ShellView::ToolFolder() const {
  return options_.cap_folder.empty() ? QDir::currentPath().toStdString() : options_.cap_folder;
}

void ShellView::RefreshDisplay() {
  if (replay_.mode == kReplayFast) return;  // a fast replay skips the display copy
  update(QRect(kLcdLeft, kLcdTop, 128 * kLcdScale, 64 * kLcdScale));
  if (display_window_ != nullptr) display_window_->update();
}

void ShellView::paintEvent(QPaintEvent *) {
  if (!painted_) {
    // The first paint starts the 500 ms timer and the calculator thread.
    painted_ = true;
    blink_timer_ = PlatformStartTimer(500, [this] { OnTimer(); });
    if (run_calculator_ && !ShellBridgeStart()) {
      PlatformMessageBox(this, "The calculator could not be started.", kBoxError);
    }
  }
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
  u8 shadow[kLcdBytes];
  CalcLinkCopyShadow(shadow);
  p.setRenderHint(QPainter::SmoothPixmapTransform, false);
  p.drawImage(QRect(kLcdLeft, kLcdTop, 128 * kLcdScale, 64 * kLcdScale), ToolDisplayImage(shadow));
}

void ShellView::SetLogText(const std::string &text) {
  if (log_text_ == text) return;
  log_text_ = text;
  if (on_status_changed) on_status_changed();
}

bool ShellView::PostKey(i16 key, u16 code, ShellLetterMode letter) {
  i32 column = 0, row = 0;
  if (!ShellMapKey(key, &column, &row)) return false;
  return sink_(ShellKeyEvent{column, row, code, letter});
}

bool ShellView::SendKey(i16 key, u16 code, ShellLetterMode letter) {
  SetLogText("");
  if (replay_.mode != kReplayOff) {
    // A key of the user stops a running replay and is not sent.
    replay_.stop = true;
    return false;
  }
  i32 column = 0, row = 0;
  if (!ShellMapKey(key, &column, &row)) return false;
  if (key == 611) DisplayCopy();  // the display-copy service key
  if (key_log_ != nullptr) {
    if (CalcLinkKeyModifier() == kModShift && column == 1 && row == 1 &&
        PlatformMessageBox(this, "OFFしようとしています 「AC」をログに保存しますか？", kBoxYesNoWarning) !=
            kAnswerYes) {
      return false;
    }
    const std::string line = ScriptKeyLine(key, code, letter);
    while (!ToolAppendLine(key_log_->path, line)) {
      if (PlatformMessageBox(this, "ログファイルに保存できませんでした", kBoxRetryCancelWarning) != kAnswerRetry) {
        SetLogText("");
        return false;
      }
    }
  }
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
  if (key_log_ != nullptr && vkey >= kVkF1 && vkey <= kVkF7) {
    // While logging, F1 writes the answer and F2 a capture; F3-F7 rest.
    if (vkey == kVkF1) RunCommand(kCmdAnswer);
    if (vkey == kVkF2) RunCommand(kCmdCapture);
    return;
  }
  if (const ShellKeyBinding *b = ShellFindKeyBinding(key_table_, event->keyCombination().toCombined())) {
    ShowPressed(b->key);
    SendKey(b->key, b->code);
    return;
  }
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
  if (replay_.mode != kReplayOff) return;
  if (ch >= 'A' && ch <= 'Z') {
    SendKey(kShellKeyChar, static_cast<u16>(ch), kLetterAlphaOnce);
  } else if (ch >= 'a' && ch <= 'z') {
    const u32 sent = options_.caps_lock != 0 ? ch - 'a' + 'A' : ch;
    SendKey(kShellKeyChar, static_cast<u16>(sent), kLetterAlphaStay);
  }
}

// ---- pop-up menu and commands ----

QMenu *ShellView::BuildPopupMenu(bool japanese) {
  auto *menu = new QMenu(this);
  auto add = [this](QMenu *m, const char *text, i32 command, bool checkable = false, bool checked = false) {
    QAction *a = m->addAction(QString::fromUtf8(text));
    a->setData(command);
    a->setCheckable(checkable);
    a->setChecked(checked);
    connect(a, &QAction::triggered, this, [this, command] { RunCommand(command); });
    return a;
  };
  const bool replaying = replay_.mode != kReplayOff;
  add(menu, japanese ? "キーログを取る" : "Key Log", kCmdKeyLog, true, key_log_ != nullptr)->setEnabled(!replaying);
  add(menu, japanese ? "キーログを読み込む（実行）" : "Replay", kCmdReplay)->setEnabled(!replaying && !key_log_);
  add(menu, japanese ? "キーログを読み込む（高速実行）" : "Replay (Fast)", kCmdReplayFast)->setEnabled(!replaying && !key_log_);
  add(menu, japanese ? "キーログを読み込む（ステップ）" : "Replay (Step)", kCmdReplayStep)->setEnabled(!replaying && !key_log_);
  menu->addSeparator();
  QMenu *sub = menu->addMenu(QString::fromUtf8(japanese ? "画面表示" : "Popup Display"));
  add(sub, japanese ? "ウィンドウ" : "Popup Display", kCmdDisplayWindow, true, display_window_ != nullptr);
  auto *zooms = new QActionGroup(sub);
  static const char *kZoomJa[] = {"　表示（×２）", "　表示（×３）", "　表示（×４）", "　表示（×５）", "　表示（×６）"};
  static const char *kZoomEn[] = {"  Zoom*2", "  Zoom*3", "  Zoom*4", "  Zoom*5", "  Zoom*6"};
  for (int z = 2; z <= 6; ++z) {
    zooms->addAction(add(sub, japanese ? kZoomJa[z - 2] : kZoomEn[z - 2], kCmdZoom2 + z - 2, true, options_.zoom == z));
  }
  menu->addSeparator();
  add(menu, japanese ? "ファイル名指定 : 画面キャプチャ" : "Screen Capture", kCmdCaptureNamed);
  add(menu, japanese ? "フォルダ指定 : 自動画面キャプチャ" : "Automatic Screen Capture", kCmdCaptureFolder);
  menu->addSeparator();
  add(menu, japanese ? "常に大文字" : "Caps Lock", kCmdCapsLock, true, options_.caps_lock != 0);
  menu->addSeparator();
  add(menu, japanese ? "コピー(&Copy)" : "&Copy", kCmdCopy);
  add(menu, japanese ? "貼り付け(&Paste)" : "&Paste", kCmdPaste);
  menu->addSeparator();
  add(menu, japanese ? "画面のコピー" : "Display Copy", kCmdDisplayCopy);
  menu->addSeparator();
  add(menu, "&Back up main memory", kCmdBackupMain)->setEnabled(CalcLinkInMainMenu());
  add(menu, "&Restore main memory", kCmdRestoreMain)->setEnabled(CalcLinkInMainMenu());
  menu->addSeparator();
  add(menu, japanese ? "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)" : "E&xit", kCmdExit);
  return menu;
}

void ShellView::contextMenuEvent(QContextMenuEvent *event) {
  QMenu *menu = BuildPopupMenu(QLocale::system().language() == QLocale::Japanese);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(event->globalPos());
}

void ShellView::RunCommand(i32 command) {
  switch (command) {
    case kCmdKeyLog: ToggleKeyLog(); break;
    case kCmdReplay: case kCmdReplayFast: case kCmdReplayStep: {
      std::string path = PlatformOpenFileDialog(this, "Replay", "Key logs (*.lst *.txt);;All files (*)");
      if (path.empty()) break;
      ShellReplayMode mode = command == kCmdReplay ? kReplayNormal : command == kCmdReplayFast ? kReplayFast : kReplayStep;
      if (!StartReplay(path, mode)) PlatformMessageBox(this, replay_.error, kBoxError);
      break;
    }
    case kCmdReplayNext:
      if (replay_.mode == kReplayStep && !replay_.waiting) ReplayStepLine();
      break;
    case kCmdDisplayWindow: SetDisplayWindow(display_window_ == nullptr); break;
    case kCmdZoom2: case kCmdZoom2 + 1: case kCmdZoom2 + 2: case kCmdZoom2 + 3: case kCmdZoom2 + 4:
      options_.zoom = command - kCmdZoom2 + 2;
      if (display_window_ != nullptr) display_window_->SetZoom(options_.zoom);
      break;
    case kCmdCaptureNamed: {
      std::string path = PlatformSaveFileDialog(this, "Screen Capture", "Bitmap (*.bmp)");
      if (path.empty()) break;
      if (QFileInfo(QString::fromStdString(path)).suffix().isEmpty()) path += ".bmp";
      CaptureTo(path);
      break;
    }
    case kCmdCaptureFolder: {
      std::string folder = PlatformFolderDialog(this, "Automatic Screen Capture", options_.cap_folder);
      if (!folder.empty()) options_.cap_folder = folder;
      break;
    }
    case kCmdCapsLock: options_.caps_lock = options_.caps_lock != 0 ? 0 : 1; break;
    case kCmdCopy:
      if (!CalcLinkRequestCopy()) SetLogText("Copy: the calculator is not running");
      break;
    case kCmdPaste:
      if (!CalcLinkRequestPaste()) SetLogText("Paste: the calculator is not running");
      break;
    case kCmdDisplayCopy: DisplayCopy(); break;
    case kCmdBackupMain:
    case kCmdRestoreMain:
      if (!CalcLinkRequestBackup(command == kCmdRestoreMain))
        SetLogText("Back up and restore work while the main menu shows");
      break;
    case kCmdCapture: CaptureAutomatic(); break;
    case kCmdAnswer:
      if (key_log_ != nullptr) {
        WriteAnswer(key_log_->answer_path);
        ToolAppendLine(key_log_->path, "ANS");
      } else {
        WriteAnswer(ToolFolder() + "/Corvanta.ans");
      }
      break;
    case kCmdExit: case kCmdQuit:
      if (QWidget *top = window()) top->close();
      break;
    default: break;
  }
}

void ShellView::ToggleKeyLog() {
  if (key_log_ != nullptr) {
    delete key_log_;
    key_log_ = nullptr;
    SetLogText("Key log off");
    return;
  }
  auto *log = new KeyLog;
  log->path = ToolFolder() + "/" + kKeyLogName;
  log->answer_path = ToolAnswerPath(log->path);
  std::ofstream out(log->path, std::ios::trunc);
  if (!out) {
    delete log;
    PlatformMessageBox(this, "ログファイルに保存できませんでした", kBoxError);
    return;
  }
  out << "# Corvanta key log\n";
  std::ofstream(log->answer_path, std::ios::trunc);
  key_log_ = log;
  SetLogText("Key log: " + log->path);
}

void ShellView::CaptureTo(const std::string &path) {
  u8 shadow[kLcdBytes];
  CalcLinkCopyShadow(shadow);
  if (ToolWriteCapture(path, shadow)) {
    SetLogText("Captured " + path);
  } else {
    PlatformMessageBox(this, "Cannot write the capture " + path, kBoxError);
  }
}

void ShellView::CaptureAutomatic() {
  if (key_log_ != nullptr) {
    ToolAppendLine(key_log_->path, "CAPTURE");
    CaptureTo(ToolCapturePath(key_log_->path, ++key_log_->capture_number));
    return;
  }
  if (options_.cap_file == 0) {
    DisplayCopy();
    return;
  }
  CaptureTo(ToolNextCapturePath(ToolFolder(), "Corvanta"));
}

void ShellView::WriteAnswer(const std::string &path) {
  std::string real, imag;
  CalcLinkAnswer(&real, &imag);
  if (!ToolAppendLine(path, ToolAnswerLine(real.c_str(), imag.c_str()))) {
    PlatformMessageBox(this, "Cannot write the answer file " + path, kBoxError);
  }
}

void ShellView::DisplayCopy() {
  u8 shadow[kLcdBytes];
  CalcLinkCopyShadow(shadow);
  const QImage img = ToolDisplayImage(shadow);
  PlatformSetClipboardImage(img.scaled(img.size() * options_.zoom));
}

void ShellView::SetDisplayWindow(bool open) {
  if (open && display_window_ == nullptr) {
    display_window_ = new ShellDisplayWindow(this, options_.zoom, [this] {
      options_.lcd_disp = 0;
      display_window_->deleteLater();
      display_window_ = nullptr;
    });
    display_window_->show();
    options_.lcd_disp = 1;
  } else if (!open && display_window_ != nullptr) {
    display_window_->close();
  }
}

// ---- replay ----

bool ShellView::StartReplay(const std::string &path, ShellReplayMode mode) {
  replay_ = Replay{};
  replay_.scripts = ScriptReadList(path, &replay_.error);
  if (replay_.scripts.empty()) {
    if (replay_.error.empty()) replay_.error = "The list " + path + " names no script";
    return false;
  }
  replay_.mode = mode;
  std::ofstream(ToolFolder() + "/" + kReplayLogName, std::ios::trunc) << "# Corvanta replay of " << path << "\n";
  if (!ReplayLoadScript()) return false;
  CalcLinkHoldQueue(true);
  replay_.timer = PlatformStartTimer(5, [this] { ReplayTick(); });
  SetLogText(mode == kReplayStep ? "Replay (step): F8 sends the next line" : "Replay");
  return true;
}

bool ShellView::ReplayLoadScript() {
  const std::string &script = replay_.scripts[replay_.script];
  std::ifstream in(script);
  if (!in) {
    ReplayFinish("Cannot read the script " + script);
    return false;
  }
  replay_.lines.clear();
  std::string line;
  while (std::getline(in, line)) replay_.lines.push_back(line);
  replay_.line = 0;
  replay_.capture_number = 0;
  std::ofstream(ToolAnswerPath(script), std::ios::trunc);  // every run writes the file afresh
  return true;
}

void ShellView::ReplayFinish(const std::string &error) {
  if (replay_.timer != 0) PlatformStopTimer(replay_.timer);
  replay_.timer = 0;
  replay_.mode = kReplayOff;
  replay_.error = error;
  CalcLinkHoldQueue(false);
  SetLogText(error.empty() ? "Replay done" : error);
  update();
}

// Runs the next line of the current script; false when the replay ended.
bool ShellView::ReplayStepLine() {
  while (replay_.line >= replay_.lines.size()) {
    if (++replay_.script >= replay_.scripts.size()) {
      ReplayFinish("");
      return false;
    }
    if (!ReplayLoadScript()) return false;
  }
  const std::string &script = replay_.scripts[replay_.script];
  const std::string &text = replay_.lines[replay_.line++];
  const ScriptLine line = ScriptParseLine(text);
  switch (line.op) {
    case kOpNone: break;
    case kOpBad:
      ReplayFinish(script + " line " + std::to_string(replay_.line) + ": not understood: " + text);
      return false;
    case kOpKey: case kOpChar: case kOpLetter:
      replay_.taken = false;
      ToolAppendLine(ToolFolder() + "/" + kReplayLogName, ScriptKeyLine(line.key, line.code, line.letter));
      if (!PostKey(line.key, line.code, line.letter)) {
        ReplayFinish(script + " line " + std::to_string(replay_.line) + ": the key queue refused the key");
        return false;
      }
      replay_.waiting = true;
      replay_.deadline = NowMs() + kReplayKeyLimitMs;
      break;
    case kOpAnswer: WriteAnswer(ToolAnswerPath(script)); break;
    case kOpCapture: {
      u8 shadow[kLcdBytes];
      CalcLinkCopyShadow(shadow);
      ToolWriteCapture(ToolCapturePath(script, ++replay_.capture_number), shadow);
      break;
    }
    case kOpWait:
      replay_.resume_at = NowMs() + line.wait_ms;
      break;
  }
  return true;
}

void ShellView::ReplayTick() {
  if (replay_.mode == kReplayOff) return;
  if (replay_.stop) {
    ReplayFinish("Replay stopped");
    return;
  }
  if (replay_.waiting) {
    // The key counts as done once the calculator has taken it and waits
    // for the next one. An idle key wait counts itself idle every 10 ms, so
    // the count is marked only after the key left the queue: a count that
    // moved before the key was taken says nothing of the screen after it.
    bool done = !CalcLinkRunning();
    if (!done && !replay_.taken && CalcLinkQueueCount() == 0) {
      replay_.taken = true;
      replay_.idle_mark = CalcLinkIdleCount();
    } else if (!done && replay_.taken) {
      done = CalcLinkIdleCount() != replay_.idle_mark;
    }
    if (!done) {
      if (NowMs() > replay_.deadline) ReplayFinish("Replay: the calculator did not take a key in time");
      return;
    }
    replay_.waiting = false;
    if (replay_.mode != kReplayFast) RefreshDisplay();
  }
  if (NowMs() < replay_.resume_at) return;
  if (replay_.mode == kReplayStep) return;  // F8 sends each line
  // Runs lines until one waits for the calculator.
  while (replay_.mode != kReplayOff && !replay_.waiting && NowMs() >= replay_.resume_at) {
    if (!ReplayStepLine()) return;
  }
}

bool ShellView::WaitReplayEnd(i32 limit_ms) {
  QElapsedTimer t;
  t.start();
  while (replay_.mode != kReplayOff && t.elapsed() < limit_ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return replay_.mode == kReplayOff;
}
