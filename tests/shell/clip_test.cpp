// Paste and copy between the real PC clipboard and the calculator's "CLIP"
// item, with the calculator thread running behind the window.
#include <QClipboard>
#include <QGuiApplication>
#include <QTest>
#include <gtest/gtest.h>

#include <string>

#include "live_fixture.h"
#include "memory/mcs_store.h"
#include "shell/calc_link.h"

namespace {

// The text of "CLIP" up to its terminator, "<none>" when there is none.
std::string ClipText() {
  u8 *data = nullptr;
  u32 size = 0;
  if (McsFindItem("@REV2", "CLIP", nullptr, nullptr, &data, &size) != 0) return "<none>";
  std::string text(reinterpret_cast<const char *>(data), size);
  return text.substr(0, text.find('\0'));
}

using ShellClip = LiveWindowTest;

TEST_F(ShellClip, PasteTakesTheClipboardAndCopyGivesItBack) {
  QClipboard *clipboard = QGuiApplication::clipboard();
  clipboard->setText(QString::fromUtf8("2\u03C0\u00D73\nx\u00B2 \u00E9\u263A"));
  QCoreApplication::processEvents();  // the bridge's copy of the clipboard follows its change signal
  ASSERT_TRUE(CalcLinkRequestPaste());
  ASSERT_TRUE(LiveWaitIdle());
  EXPECT_EQ(ClipText(), "2\xD0\xA9" "3\x0D" "x\x8B \xE6\x08?");
  EXPECT_EQ(clipboard->text(), QString::fromUtf8("2\u03C0\u00D73\nx\u00B2 \u00E9\u263A"));

  clipboard->setText(QString::fromUtf8("something else"));
  QCoreApplication::processEvents();
  ASSERT_TRUE(CalcLinkRequestCopy());
  ASSERT_TRUE(LiveWaitIdle());
  // The calculator thread posts the clipboard write to the UI thread.
  const QString copied = QString::fromUtf8("2\u03C0\u00D73\nx\u00B2 \u00E9?");
  EXPECT_TRUE(LiveWaitFor([&] { return clipboard->text() == copied; })) << clipboard->text().toStdString();
}

}  // namespace
