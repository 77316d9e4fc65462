// corvanta: the desktop window that runs the calculator system.
#include <QApplication>
#include <QSocketNotifier>

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "shell/frame.h"
#include "shell/host_bridge.h"
#include "shell/platform/platform.h"
#include "shell/skin.h"
#include "shell/storage_image.h"
#include "storage/fls_image.h"
#include "shell/view.h"

namespace {

int g_signal_pipe[2] = {-1, -1};

void OnQuitSignal(int) {
  const char c = 1;
  (void)!write(g_signal_pipe[1], &c, 1);
}

// SIGTERM, SIGINT and SIGHUP end the program as the close box does, so the
// calculator thread stops and the storage image is removed.
void QuitOnSignals() {
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signal_pipe) != 0) return;
  auto *notifier = new QSocketNotifier(g_signal_pipe[0], QSocketNotifier::Read, qApp);
  QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] {
    char c = 0;
    (void)!read(g_signal_pipe[0], &c, 1);
    QApplication::closeAllWindows();
    QApplication::quit();
  });
  struct sigaction sa {};
  sa.sa_handler = OnQuitSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &sa, nullptr);
}

}  // namespace

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
  // The storage memory lives in the image file from here on.
  if (FlsImageAttach(image.fd) != 0) {
    PlatformMessageBox(nullptr, "The storage image file could not be read.", kBoxError);
    ShellDeleteStorageImage(&image);
    return 1;
  }

  QuitOnSignals();
  int rc = 0;
  {
    ShellFrame frame(true);
    ShellBridgeAttach(&frame);
    frame.show();
    frame.View()->RestoreDisplayWindow();
    rc = QApplication::exec();
    // The calculator thread ends before its memory and the storage image go.
    if (!ShellBridgeStop(5000)) {
      ShellDeleteStorageImage(&image);
      std::_Exit(rc);  // still running: leave its memory to the process's end
    }
    ShellBridgeAttach(nullptr);
  }
  FlsImageDetach();
  ShellDeleteStorageImage(&image);
  return rc;
}
