#include "shell_fixture.h"

#include <QSettings>
#include <stdlib.h>

#include <filesystem>

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

bool ShellTestPixelIs(const QImage &img, int x, int y, QRgb rgb) {
  return (img.pixel(x, y) & 0xFFFFFF) == (rgb & 0xFFFFFF);
}
