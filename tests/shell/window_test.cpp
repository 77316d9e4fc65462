// The window on real widgets: geometry, the grabbed picture, mouse and key
// input through the one key road, the profile.
#include <QSettings>
#include <QTest>
#include <gtest/gtest.h>

#include <vector>

#include "shell/frame.h"
#include "shell/keymap.h"
#include "shell/platform/platform.h"
#include "shell/skin.h"
#include "shell/view.h"
#include "shell_fixture.h"

namespace {

class WindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ShellTestStartApp(); }
  void SetUp() override {
    frame_ = new ShellFrame;
    view_ = frame_->View();
    view_->SetKeySink([this](const ShellKeyEvent &e) {
      sent_.push_back(e);
      return true;
    });
    frame_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame_));
    QApplication::setActiveWindow(frame_);
    view_->setFocus();
  }
  void TearDown() override { delete frame_; }

  ShellFrame *frame_ = nullptr;
  ShellView *view_ = nullptr;
  std::vector<ShellKeyEvent> sent_;
};

TEST_F(WindowTest, FrameHasItsFixedSizeAndNoMenuBar) {
  EXPECT_EQ(frame_->width(), kFrameWidth);
  EXPECT_EQ(frame_->height(), kFrameHeight);
  EXPECT_EQ(frame_->menuWidget(), nullptr);
  EXPECT_GE(view_->height(), kSkinHeight);
  EXPECT_EQ(view_->mapTo(frame_, QPoint(0, 0)), QPoint(0, 0));
  EXPECT_EQ(frame_->windowTitle(), "Corvanta");
}

TEST_F(WindowTest, GrabShowsSkinAndBlankDisplayAtTwiceItsSize) {
  QImage img = view_->grab().toImage();
  ASSERT_GE(img.height(), kSkinHeight);
  // The blank display: every dot of the 256 x 128 area is white.
  for (int y = kLcdTop; y < kLcdTop + 128; y += 3)
    for (int x = kLcdLeft; x < kLcdLeft + 256; x += 3)
      ASSERT_TRUE(ShellTestPixelIs(img, x, y, qRgb(255, 255, 255))) << x << "," << y;
  // The skin is drawn at its own size at (0, 0); the rest is filled.
  const QImage &skin = SkinGet().normal;
  EXPECT_EQ(skin.size(), QSize(kSkinWidth, kSkinHeight));
  for (QPoint pt : {QPoint(10, 400), QPoint(60, 300), QPoint(270, 640), QPoint(174, 690)})
    EXPECT_EQ(img.pixel(pt), skin.pixel(pt)) << pt.x() << "," << pt.y();
  EXPECT_TRUE(ShellTestPixelIs(img, kSkinWidth, 10, kSkinFill));
}

TEST_F(WindowTest, ClickOnEveryKeyQueuesItsPosition) {
  for (const ShellKeyRect &r : kShellSkinKeyRects) {
    sent_.clear();
    QPoint centre((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    QTest::mousePress(view_, Qt::LeftButton, Qt::NoModifier, centre);
    EXPECT_EQ(view_->PressedKey(), r.key);
    QTest::mouseRelease(view_, Qt::LeftButton, Qt::NoModifier, centre);
    EXPECT_EQ(view_->PressedKey(), 0);
    ASSERT_EQ(sent_.size(), 1u) << r.key;
    i32 column = 0, row = 0;
    ASSERT_TRUE(ShellMapKey(r.key, &column, &row));
    EXPECT_EQ(sent_[0].column, column) << r.key;
    EXPECT_EQ(sent_[0].row, row) << r.key;
    EXPECT_EQ(sent_[0].code, r.code) << r.key;
  }
}

TEST_F(WindowTest, PressedKeyShowsItsPressedImage) {
  const ShellKeyRect *r = ShellSkinKeyRect(74);  // "7"
  QPoint centre((r->left + r->right) / 2, (r->top + r->bottom) / 2);
  QImage up = view_->grab().toImage();
  QTest::mousePress(view_, Qt::LeftButton, Qt::NoModifier, centre);
  QImage down = view_->grab().toImage();
  QTest::mouseRelease(view_, Qt::LeftButton, Qt::NoModifier, centre);
  QImage again = view_->grab().toImage();
  QRect box(r->left, r->top, r->right - r->left + 1, r->bottom - r->top + 1);
  EXPECT_NE(up.copy(box), down.copy(box));
  EXPECT_EQ(down.copy(box), SkinGet().pressed.copy(box));
  EXPECT_EQ(up.copy(box), again.copy(box));
}

TEST_F(WindowTest, LabelBandClickPressesFunctionKey) {
  QTest::mouseClick(view_, Qt::LeftButton, Qt::NoModifier, QPoint(60, 200));
  ASSERT_EQ(sent_.size(), 1u);
  EXPECT_EQ(sent_[0].column, 7);
  EXPECT_EQ(sent_[0].row, 10);
  EXPECT_EQ(sent_[0].code, 0x3B00);
  sent_.clear();
  QTest::mouseClick(view_, Qt::LeftButton, Qt::NoModifier, QPoint(300, 200));
  EXPECT_TRUE(sent_.empty());
  QTest::mouseClick(view_, Qt::RightButton, Qt::NoModifier, QPoint(60, 300));
  EXPECT_TRUE(sent_.empty());
}

TEST_F(WindowTest, PcKeysFollowTheKeyDownAndCharacterTables) {
  struct Case {
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    i32 column, row;
    u16 code;
  } cases[] = {
      {Qt::Key_Backspace, Qt::NoModifier, 4, 5, 0x5300},
      {Qt::Key_Delete, Qt::NoModifier, 4, 5, 0x5300},
      {Qt::Key_F7, Qt::NoModifier, 2, 10, 0x4000},
      {Qt::Key_F1, Qt::NoModifier, 7, 10, 0x3B00},
      {Qt::Key_Return, Qt::NoModifier, 3, 2, 0x1C00},
      {Qt::Key_Enter, Qt::KeypadModifier, 3, 2, 0x1C00},
      {Qt::Key_Escape, Qt::NoModifier, 4, 8, 0x0100},
      {Qt::Key_PageDown, Qt::NoModifier, 4, 9, 0x0F00},
      {Qt::Key_Left, Qt::NoModifier, 3, 9, 0x4B00},
      {Qt::Key_Tab, Qt::NoModifier, 1, 1, 0x4500},
      {Qt::Key_Space, Qt::NoModifier, -1, -1, 0x0020},
      {Qt::Key_7, Qt::NoModifier, 7, 5, '7'},
      {Qt::Key_Plus, Qt::KeypadModifier, 4, 3, '+'},   // pad keys go the character road
      {Qt::Key_Period, Qt::KeypadModifier, 6, 2, '.'},
      {Qt::Key_Exclam, Qt::NoModifier, -1, -1, '!'},
  };
  for (const Case &c : cases) {
    sent_.clear();
    QTest::keyClick(view_, c.key, c.mods);
    ASSERT_EQ(sent_.size(), 1u) << c.key;
    EXPECT_EQ(sent_[0].column, c.column) << c.key;
    EXPECT_EQ(sent_[0].row, c.row) << c.key;
    EXPECT_EQ(sent_[0].code, c.code) << c.key;
    EXPECT_EQ(sent_[0].letter, kLetterPlain) << c.key;
  }
  sent_.clear();
  QTest::keyClick(view_, Qt::Key_Backslash);  // neither table nor letter
  EXPECT_TRUE(sent_.empty());
}

TEST_F(WindowTest, TypedLettersCarryTheirModifier) {
  struct Case {
    int caps_lock;
    char typed;
    u16 code;
    ShellLetterMode mode;
  } cases[] = {
      {1, 'a', 'A', kLetterAlphaStay},
      {0, 'a', 'a', kLetterAlphaStay},
      {1, 'A', 'A', kLetterAlphaOnce},
      {0, 'A', 'A', kLetterAlphaOnce},  // the calculator lowers it under lower-case alpha
      {0, 'z', 'z', kLetterAlphaStay},
  };
  for (const Case &c : cases) {
    view_->Options().caps_lock = c.caps_lock;
    sent_.clear();
    QTest::keyClicks(view_, QString(QChar(c.typed)));
    ASSERT_EQ(sent_.size(), 1u) << c.typed;
    EXPECT_EQ(sent_[0].column, -1);
    EXPECT_EQ(sent_[0].row, -1);
    EXPECT_EQ(sent_[0].code, c.code) << c.typed << " caps " << c.caps_lock;
    EXPECT_EQ(sent_[0].letter, c.mode) << c.typed;
  }
}

TEST_F(WindowTest, ShiftF5ClosesLikeTheCloseBox) {
  frame_->move(-40, 25);
  QTest::keyClick(view_, Qt::Key_F5, Qt::ShiftModifier);
  EXPECT_FALSE(frame_->isVisible());
  EXPECT_TRUE(sent_.empty());  // the quit key is not also F5
  EXPECT_EQ(PlatformProfileGetInt("POS_LEFT", 1), frame_->frameGeometry().left());
  EXPECT_EQ(PlatformProfileGetInt("POS_TOP", 1), frame_->frameGeometry().top());
}

TEST_F(WindowTest, KeyStateTextsGoToTitleAndStatus) {
  struct Case {
    u8 modifier;
    const char *text;
  } cases[] = {{0, ""}, {1, "<SHIFT>"}, {2, "<CLIP>"}, {4, "<ALPHA>"}, {132, "<ALPHA-LOCK>"},
               {8, "<small-ALPHA>"}, {136, "<small-ALPHA-LOCK>"}, {5, ""}};
  for (const Case &c : cases) EXPECT_STREQ(ShellKeyStateText(c.modifier), c.text);
  frame_->ShowKeyState(ShellKeyStateText(132), QString());
  EXPECT_EQ(frame_->windowTitle(), "Corvanta<ALPHA-LOCK>");
  EXPECT_EQ(frame_->StatusText(), "<ALPHA-LOCK>");
  frame_->ShowKeyState(ShellKeyStateText(1), "LOG");
  EXPECT_EQ(frame_->StatusText(), "<SHIFT>\tLOG");
}

TEST(ShellProfile, ValuesRoundTripWithDefaults) {
  ShellTestStartApp();
  {
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, "ORVEK", "Corvanta");
    s.remove("TZ841");
  }
  ShellOptions o;
  o.zoom = 9;
  ShellLoadOptions(&o);
  EXPECT_EQ(o.lcd_disp, 0);
  EXPECT_EQ(o.zoom, 2);
  EXPECT_EQ(o.cap_folder, "");
  EXPECT_EQ(o.cap_file, 1);
  EXPECT_EQ(o.caps_lock, 1);
  EXPECT_EQ(o.key_table, "");
  ShellOptions w{1, 5, "/tmp/caps", 0, 0, "/tmp/my.keys"};
  ShellSaveOptions(w);
  // The values sit where the profile keeps them: ORVEK / Corvanta / TZ841.
  QSettings s(QSettings::NativeFormat, QSettings::UserScope, "ORVEK", "Corvanta");
  EXPECT_EQ(s.value("TZ841/DISPZOOM").toInt(), 5);
  EXPECT_EQ(s.value("TZ841/CAPFOLDER").toString(), "/tmp/caps");
  EXPECT_TRUE(QFile::exists(QString::fromStdString(ShellTestProfileFolder()) + "/ORVEK/Corvanta.conf"));
  ShellOptions r;
  ShellLoadOptions(&r);
  EXPECT_EQ(r.lcd_disp, 1);
  EXPECT_EQ(r.zoom, 5);
  EXPECT_EQ(r.cap_folder, "/tmp/caps");
  EXPECT_EQ(r.cap_file, 0);
  EXPECT_EQ(r.caps_lock, 0);
  EXPECT_EQ(r.key_table, "/tmp/my.keys");
  PlatformProfileSetInt("DISPZOOM", 7);  // out of range: the default
  ShellLoadOptions(&r);
  EXPECT_EQ(r.zoom, 2);
  s.remove("TZ841");  // later tests start from the defaults
  s.sync();
}

}  // namespace
