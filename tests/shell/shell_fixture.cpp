#include "shell_fixture.h"

#include <QSettings>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "shell/skin.h"

namespace {

std::string g_profile_folder;

}  // namespace

void ShellTestStartApp() {
  if (QApplication::instance() != nullptr) return;
  char tmpl[] = "/tmp/corvanta-shell-test-XXXXXX";
  if (mkdtemp(tmpl) != nullptr) g_profile_folder = tmpl;
  // Settings and the storage image stay inside the temporary folder.
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(g_profile_folder));
  setenv("XDG_RUNTIME_DIR", g_profile_folder.c_str(), 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static int argc = 1;
  static char arg0[] = "shell_test";
  static char *argv[] = {arg0, nullptr};
  new QApplication(argc, argv);
  std::atexit([] { std::filesystem::remove_all(g_profile_folder); });
}

std::string ShellTestProfileFolder() { return g_profile_folder; }

std::string ShellTestReadFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void ShellTestWriteFile(const std::string &path, const std::string &text) { std::ofstream(path) << text; }

bool ShellTestPixelIs(const QImage &img, int x, int y, QRgb rgb) {
  return (img.pixel(x, y) & 0xFFFFFF) == (rgb & 0xFFFFFF);
}

testing::AssertionResult ShellTestReadDisplay(const QImage &img, u8 *vram) {
  std::memset(vram, 0, 1024);
  if (img.width() < kLcdLeft + 128 * kLcdScale || img.height() < kLcdTop + 64 * kLcdScale) {
    return testing::AssertionFailure() << "the picture is too small: " << img.width() << " x " << img.height();
  }
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 128; ++x) {
      const QRgb first = img.pixel(kLcdLeft + kLcdScale * x, kLcdTop + kLcdScale * y) & 0xFFFFFF;
      if (first != 0 && first != 0xFFFFFF) {
        return testing::AssertionFailure() << "dot (" << x << "," << y << ") is neither black nor white";
      }
      for (int dy = 0; dy < kLcdScale; ++dy)
        for (int dx = 0; dx < kLcdScale; ++dx)
          if ((img.pixel(kLcdLeft + kLcdScale * x + dx, kLcdTop + kLcdScale * y + dy) & 0xFFFFFF) != first)
            return testing::AssertionFailure() << "dot (" << x << "," << y << ") is not one colour";
      if (first == 0) vram[16 * y + x / 8] |= static_cast<u8>(0x80 >> (x % 8));
    }
  }
  return testing::AssertionSuccess();
}
