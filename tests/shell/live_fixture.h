// The window with the real calculator thread behind it: the storage image
// opened and handed to the storage file system as the program does, the
// frame whose first paint starts the thread, waits that pump the UI event
// loop, and the screen read back from the display shadow.
#pragma once
#include <QImage>
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "kernel/types.h"
#include "shell/storage_image.h"

class ShellFrame;
class ShellView;

// Opens the image in the private folder, attaches it and shows the frame;
// returns once the calculator thread runs and waits for its first key.
class LiveWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;

  // Starts / stops one run: image, frame, thread. Stop fails the test (and
  // ends the process) when the thread does not end.
  void StartRun();
  void StopRun();

  ShellFrame *frame_ = nullptr;
  ShellView *view_ = nullptr;
  ShellStorageImage image_;
};

// Runs the UI event loop until the calculator has taken every queued key
// and waits for the next one (the hand-off of its screen painted), or
// timeout_ms has passed.
testing::AssertionResult LiveWaitIdle(int timeout_ms = 20000);
// Runs the UI event loop until pred() holds or timeout_ms has passed.
bool LiveWaitFor(const std::function<bool()> &pred, int timeout_ms = 20000);

// The shown screen as display memory (set bit = black dot), from the shadow.
void LiveShownScreen(u8 *vram);
