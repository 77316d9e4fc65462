// The thin platform layer of the window: profile store, queued calls onto
// the UI thread, timers, clipboard, message boxes and file dialogs. Only
// this layer and the widgets of shell/ talk to Qt.
#pragma once
#include <functional>
#include <string>

#include "kernel/types.h"

class QImage;
class QWidget;

// Profile store: organisation "ORVEK", application "Corvanta", group "TZ841".
i32 PlatformProfileGetInt(const char *key, i32 fallback);
void PlatformProfileSetInt(const char *key, i32 value);
std::string PlatformProfileGetString(const char *key, const std::string &fallback);
void PlatformProfileSetString(const char *key, const std::string &value);
void PlatformProfileSync();

// Runs fn on the UI thread from the event loop, after the events already
// queued. Safe to call from any thread; fn never runs on the caller's stack.
void PlatformRunOnUi(std::function<void()> fn);

// A repeating timer on the UI thread. Returns an id for PlatformStopTimer.
i32 PlatformStartTimer(i32 interval_ms, std::function<void()> fn);
void PlatformStopTimer(i32 id);

// Clipboard.
std::string PlatformClipboardText();  // UTF-8
void PlatformSetClipboardText(const std::string &utf8);
void PlatformSetClipboardImage(const QImage &image);

// Message boxes. The answer is one of these.
enum PlatformAnswer : i32 { kAnswerOk = 1, kAnswerCancel = 2, kAnswerRetry = 4, kAnswerYes = 6, kAnswerNo = 7 };
enum PlatformBoxKind : i32 { kBoxInfo, kBoxError, kBoxYesNoWarning, kBoxRetryCancelWarning };
PlatformAnswer PlatformMessageBox(QWidget *parent, const std::string &text, PlatformBoxKind kind);

// File and folder dialogs; an empty result means cancelled.
std::string PlatformSaveFileDialog(QWidget *parent, const std::string &title, const std::string &filter);
std::string PlatformOpenFileDialog(QWidget *parent, const std::string &title, const std::string &filter);
std::string PlatformFolderDialog(QWidget *parent, const std::string &title, const std::string &start);

// Tests answer message boxes and dialogs through these hooks instead of
// a modal window. An empty hook restores the real window.
using PlatformBoxHook = std::function<PlatformAnswer(const std::string &text, PlatformBoxKind kind)>;
using PlatformDialogHook = std::function<std::string(const std::string &title)>;
void PlatformSetMessageBoxHook(PlatformBoxHook hook);
void PlatformSetDialogHook(PlatformDialogHook hook);
