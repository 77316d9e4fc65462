// corvanta: the desktop window that runs the calculator system.
#include <QApplication>

#include <cstring>

#include "shell/frame.h"
#include "shell/platform/platform.h"
#include "shell/skin.h"
#include "shell/storage_image.h"
#include "shell/view.h"

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  QApplication::setOrganizationName("ORVEK");
  QApplication::setApplicationName("Corvanta");

  // `corvanta --write-skin FILE` writes the skin picture (and FILE with
  // "-pressed" before its extension) and exits.
  if (argc == 3 && std::strcmp(argv[1], "--write-skin") == 0) {
    QString path = QString::fromLocal8Bit(argv[2]);
    QString pressed = path;
    pressed.insert(pressed.lastIndexOf('.') < 0 ? pressed.size() : pressed.lastIndexOf('.'), "-pressed");
    return SkinGet().normal.save(path) && SkinGet().pressed.save(pressed) ? 0 : 1;
  }

  ShellStorageImage image;
  std::string error;
  if (ShellOpenStorageImage(ShellStorageImageFolder(), &image, &error) != kShellImageOk) {
    PlatformMessageBox(nullptr, error, kBoxError);
    return 1;
  }

  int rc = 0;
  {
    ShellFrame frame;
    frame.show();
    frame.View()->RestoreDisplayWindow();
    rc = QApplication::exec();
  }
  ShellDeleteStorageImage(&image);
  return rc;
}
