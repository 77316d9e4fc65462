#include "shell/platform/platform.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QImage>
#include <QMessageBox>
#include <QSettings>
#include <QTimer>

#include <deque>
#include <map>
#include <mutex>

namespace {

QSettings &Profile() {
  static QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "ORVEK", "Corvanta");
  return settings;
}

QString ProfileKey(const char *key) { return QStringLiteral("TZ841/") + QString::fromLatin1(key); }

std::mutex g_hook_lock;
PlatformBoxHook g_box_hook;
PlatformDialogHook g_dialog_hook;

std::map<i32, QTimer *> g_timers;
i32 g_next_timer = 1;

bool TakeBoxHook(PlatformBoxHook *out) {
  std::lock_guard<std::mutex> lock(g_hook_lock);
  *out = g_box_hook;
  return static_cast<bool>(*out);
}

bool TakeDialogHook(PlatformDialogHook *out) {
  std::lock_guard<std::mutex> lock(g_hook_lock);
  *out = g_dialog_hook;
  return static_cast<bool>(*out);
}

}  // namespace

i32 PlatformProfileGetInt(const char *key, i32 fallback) {
  bool ok = false;
  i32 v = Profile().value(ProfileKey(key), fallback).toInt(&ok);
  return ok ? v : fallback;
}

void PlatformProfileSetInt(const char *key, i32 value) { Profile().setValue(ProfileKey(key), value); }

std::string PlatformProfileGetString(const char *key, const std::string &fallback) {
  return Profile().value(ProfileKey(key), QString::fromStdString(fallback)).toString().toStdString();
}

void PlatformProfileSetString(const char *key, const std::string &value) {
  Profile().setValue(ProfileKey(key), QString::fromStdString(value));
}

void PlatformProfileSync() { Profile().sync(); }

// Work handed to the UI thread waits in a queue of our own under a lock, so
// everything the poster wrote before posting is seen by the UI thread; the
// event posted for each piece carries nothing but the wake-up.
namespace {

std::mutex g_ui_lock;
std::deque<std::function<void()>> g_ui_work;

class UiWorkReceiver : public QObject {
 protected:
  void customEvent(QEvent *) override {
    std::function<void()> fn;
    {
      std::lock_guard<std::mutex> lock(g_ui_lock);
      if (g_ui_work.empty()) return;
      fn = std::move(g_ui_work.front());
      g_ui_work.pop_front();
    }
    fn();
  }
};

QObject *UiReceiver(QCoreApplication *app) {
  // One receiver, made on first use and moved to the UI thread; it lives as
  // long as the process.
  static QObject *receiver = nullptr;
  std::lock_guard<std::mutex> lock(g_ui_lock);
  if (receiver == nullptr) {
    receiver = new UiWorkReceiver;
    receiver->moveToThread(app->thread());
  }
  return receiver;
}

}  // namespace

void PlatformRunOnUi(std::function<void()> fn) {
  QCoreApplication *app = QCoreApplication::instance();
  if (app == nullptr) return;
  QObject *receiver = UiReceiver(app);
  auto *wake = new QEvent(QEvent::User);
  {
    std::lock_guard<std::mutex> lock(g_ui_lock);
    g_ui_work.push_back(std::move(fn));
  }
  QCoreApplication::postEvent(receiver, wake);
}

i32 PlatformStartTimer(i32 interval_ms, std::function<void()> fn) {
  auto *timer = new QTimer(QCoreApplication::instance());
  QObject::connect(timer, &QTimer::timeout, timer, std::move(fn));
  timer->start(interval_ms);
  i32 id = g_next_timer++;
  g_timers[id] = timer;
  return id;
}

void PlatformStopTimer(i32 id) {
  auto it = g_timers.find(id);
  if (it == g_timers.end()) return;
  it->second->stop();
  it->second->deleteLater();
  g_timers.erase(it);
}

std::string PlatformClipboardText() {
  return QGuiApplication::clipboard()->text().toStdString();
}

void PlatformSetClipboardText(const std::string &utf8) {
  QGuiApplication::clipboard()->setText(QString::fromStdString(utf8));
}

void PlatformSetClipboardImage(const QImage &image) { QGuiApplication::clipboard()->setImage(image); }

PlatformAnswer PlatformMessageBox(QWidget *parent, const std::string &text, PlatformBoxKind kind) {
  PlatformBoxHook hook;
  if (TakeBoxHook(&hook)) return hook(text, kind);
  const QString title = QStringLiteral("Corvanta");
  const QString body = QString::fromStdString(text);
  switch (kind) {
    case kBoxInfo:
      QMessageBox::information(parent, title, body);
      return kAnswerOk;
    case kBoxError:
      QMessageBox::critical(parent, title, body);
      return kAnswerOk;
    case kBoxYesNoWarning:
      return QMessageBox::warning(parent, title, body, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes
                 ? kAnswerYes
                 : kAnswerNo;
    case kBoxRetryCancelWarning:
      return QMessageBox::warning(parent, title, body, QMessageBox::Retry | QMessageBox::Cancel) ==
                     QMessageBox::Retry
                 ? kAnswerRetry
                 : kAnswerCancel;
  }
  return kAnswerCancel;
}

std::string PlatformSaveFileDialog(QWidget *parent, const std::string &title, const std::string &filter) {
  PlatformDialogHook hook;
  if (TakeDialogHook(&hook)) return hook(title);
  return QFileDialog::getSaveFileName(parent, QString::fromStdString(title), QString(),
                                      QString::fromStdString(filter))
      .toStdString();
}

std::string PlatformOpenFileDialog(QWidget *parent, const std::string &title, const std::string &filter) {
  PlatformDialogHook hook;
  if (TakeDialogHook(&hook)) return hook(title);
  return QFileDialog::getOpenFileName(parent, QString::fromStdString(title), QString(),
                                      QString::fromStdString(filter))
      .toStdString();
}

std::string PlatformFolderDialog(QWidget *parent, const std::string &title, const std::string &start) {
  PlatformDialogHook hook;
  if (TakeDialogHook(&hook)) return hook(title);
  return QFileDialog::getExistingDirectory(parent, QString::fromStdString(title), QString::fromStdString(start))
      .toStdString();
}

void PlatformSetMessageBoxHook(PlatformBoxHook hook) {
  std::lock_guard<std::mutex> lock(g_hook_lock);
  g_box_hook = std::move(hook);
}

void PlatformSetDialogHook(PlatformDialogHook hook) {
  std::lock_guard<std::mutex> lock(g_hook_lock);
  g_dialog_hook = std::move(hook);
}
