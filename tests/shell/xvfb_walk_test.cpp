// The program as a new user meets it: the real corvanta started on a
// virtual X server (Xvfb), driven by X input (xdotool: a click on the MENU
// key of the picture, then the PC keyboard), watched through grabs of its
// window. Screenshots of each step are kept for review in
// <build>/tests/shell/walk/. Skipped when Xvfb or xdotool is not installed.
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QThread>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "data/menu_icons.h"
#include "shell/keymap.h"
#include "shell_fixture.h"
#include "tests/support/screen_reader.h"

#ifndef CORVANTA_PROGRAM
#error "CORVANTA_PROGRAM names the program under test"
#endif

namespace {

// Generous: the sanitizer builds start and draw slowly.
constexpr int kStepLimitMs = 60000;

class XvfbWalk : public ::testing::Test {
 protected:
  void SetUp() override {
    if (QStandardPaths::findExecutable("Xvfb").isEmpty() || QStandardPaths::findExecutable("xdotool").isEmpty()) {
      GTEST_SKIP() << "Xvfb or xdotool is not installed (scripts/deps.sh installs them)";
    }
    char tmpl[] = "/tmp/corvanta-walk-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    home_ = tmpl;
    out_ = CORVANTA_WALK_OUT;
    std::filesystem::create_directories(out_);
    runtime_ = home_ + "/run";
    ASSERT_EQ(mkdir(runtime_.c_str(), 0700), 0);
    ASSERT_TRUE(StartServer());
    // This process reads the window back through the same server.
    setenv("DISPLAY", display_.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    static int argc = 1;
    static char arg0[] = "xvfb_walk";
    static char *argv[] = {arg0, nullptr};
    app_ = new QApplication(argc, argv);
  }

  void TearDown() override {
    if (program_.state() != QProcess::NotRunning) {
      program_.kill();
      program_.waitForFinished(10000);
    }
    delete app_;
    if (server_.state() != QProcess::NotRunning) {
      server_.terminate();
      if (!server_.waitForFinished(10000)) server_.kill();
      server_.waitForFinished(10000);
    }
    if (!home_.empty()) std::filesystem::remove_all(home_);
  }

  // Starts Xvfb on a display number it chooses itself (-displayfd): the
  // server takes the number by creating its lock file, so walks running at
  // the same time never share or steal a display.
  bool StartServer() {
    server_.setProcessChannelMode(QProcess::SeparateChannels);
    server_.setReadChannel(QProcess::StandardOutput);
    server_.start("Xvfb", {"-displayfd", "1", "-screen", "0", "640x900x24", "-nolisten", "tcp"});
    if (!server_.waitForStarted(10000)) {
      ADD_FAILURE() << "no virtual X server could be started";
      return false;
    }
    QElapsedTimer t;
    t.start();
    std::string number;
    while (t.elapsed() < kStepLimitMs && server_.state() == QProcess::Running) {
      if (server_.canReadLine() || server_.waitForReadyRead(100)) {
        if (!server_.canReadLine()) continue;
        number = server_.readLine().trimmed().toStdString();
        break;
      }
    }
    if (number.empty()) {
      ADD_FAILURE() << "the virtual X server gave no display number";
      return false;
    }
    display_ = ":" + number;
    const std::string socket = "/tmp/.X11-unix/X" + number;
    while (t.elapsed() < kStepLimitMs && server_.state() == QProcess::Running) {
      if (std::filesystem::exists(socket)) return true;
      QThread::msleep(20);
    }
    ADD_FAILURE() << "the virtual X server on " << display_ << " did not start";
    return false;
  }

  // Runs xdotool with the arguments; its standard output.
  std::string Xdotool(const QStringList &args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", QString::fromStdString(display_));
    p.setProcessEnvironment(env);
    p.start("xdotool", args);
    if (!p.waitForFinished(kStepLimitMs)) {
      p.kill();
      p.waitForFinished();
      ADD_FAILURE() << "xdotool " << args.join(' ').toStdString() << " did not end";
      return "";
    }
    EXPECT_EQ(p.exitCode(), 0) << "xdotool " << args.join(' ').toStdString() << ": "
                               << p.readAllStandardError().toStdString();
    return p.readAllStandardOutput().trimmed().toStdString();
  }

  QImage GrabWindow() {
    QCoreApplication::processEvents();
    return QGuiApplication::primaryScreen()->grabWindow(window_).toImage();
  }

  // Grabs the window until its display reads as `pred` wants, or fails
  // with the last picture.
  testing::AssertionResult WaitForScreen(const char *what, const std::function<bool(const u8 *)> &pred,
                                         QImage *shot = nullptr) {
    QElapsedTimer t;
    t.start();
    u8 vram[1024] = {};
    std::string why;
    while (t.elapsed() < kStepLimitMs) {
      if (program_.state() == QProcess::NotRunning) {
        return testing::AssertionFailure() << "the program ended while waiting for " << what << ":\n"
                                           << program_.readAll().toStdString();
      }
      const QImage img = GrabWindow();
      testing::AssertionResult read = ShellTestReadDisplay(img, vram);
      if (read && pred(vram)) {
        if (shot != nullptr) *shot = img;
        return testing::AssertionSuccess();
      }
      why = read ? "" : read.message();
      QThread::msleep(30);
    }
    return testing::AssertionFailure() << "no " << what << " within " << kStepLimitMs << " ms " << why << "\n"
                                       << ScreenText(vram) << "\n" << ScreenPicture(vram);
  }

  void Save(const QImage &img, const char *name) {
    const std::string path = out_ + "/" + name;
    EXPECT_TRUE(img.save(QString::fromStdString(path), "PNG")) << path;
  }

  void Key(const char *keysym) { Xdotool({"key", "--clearmodifiers", keysym}); }

  // Starts as a new user and closes both boot notices with MENU clicked on
  // the picture, up to the main menu, which then has the keyboard focus.
  void StartAtTheMainMenu(std::string *id);

  // Starts the program as a new user would (an empty home, no profile, no
  // storage image) and finds its window; *id is the window's id.
  void StartAsNewUser(std::string *id) {
    // A new user: an empty home, no profile, no storage image.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", QString::fromStdString(home_));
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(home_ + "/config"));
    env.insert("XDG_CACHE_HOME", QString::fromStdString(home_ + "/cache"));
    env.insert("XDG_DATA_HOME", QString::fromStdString(home_ + "/data"));
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime_));
    env.insert("DISPLAY", QString::fromStdString(display_));
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("LSAN_OPTIONS", "suppressions=" CORVANTA_LSAN_SUPP);
    program_.setProcessEnvironment(env);
    program_.setWorkingDirectory(QString::fromStdString(home_));
    program_.setProcessChannelMode(QProcess::MergedChannels);
    program_.start(CORVANTA_PROGRAM, {});
    ASSERT_TRUE(program_.waitForStarted(kStepLimitMs)) << CORVANTA_PROGRAM;

    // The window appears under its name.
    QElapsedTimer t;
    t.start();
    while (id->empty() && t.elapsed() < kStepLimitMs && program_.state() == QProcess::Running) {
      QProcess search;
      QProcessEnvironment senv = QProcessEnvironment::systemEnvironment();
      senv.insert("DISPLAY", QString::fromStdString(display_));
      search.setProcessEnvironment(senv);
      search.start("xdotool", {"search", "--onlyvisible", "--name", "^Corvanta"});
      search.waitForFinished(10000);
      *id = search.readAllStandardOutput().trimmed().toStdString();
      *id = id->substr(0, id->find('\n'));
      if (id->empty()) QThread::msleep(50);
    }
    ASSERT_FALSE(id->empty()) << "no Corvanta window; program output:\n" << program_.readAll().toStdString();
    window_ = static_cast<WId>(std::stoull(*id));
  }

  // Clicks the key of the picture that carries `name`.
  // RUN-MAT opens in Math input on a new calculator: SET UP (SHIFT MENU)
  // sets Input Mode to Linear (F2 on its first row), EXIT comes back to the
  // linear run screen.
  void UseLinearInput() {
    Key("Insert");
    Key("Next");
    ASSERT_TRUE(WaitForScreen("SET UP", [](const u8 *v) { return ScreenText(v).find("Input Mode") != std::string::npos; }));
    Key("F2");
    ASSERT_TRUE(WaitForScreen("Linear", [](const u8 *v) { return ScreenText(v).find("Linear") != std::string::npos; }));
    Key("Escape");
    ASSERT_TRUE(WaitForScreen("linear run screen", [](const u8 *v) { return ScreenRowTrimmed(1, v).empty(); }));
  }

  void Click(const std::string &id, const char *name) {
    const ShellKeyRect *r = ShellSkinKeyRect(ShellKeyByName(name));
    ASSERT_NE(r, nullptr) << name;
    Xdotool({"mousemove", "--window", QString::fromStdString(id), QString::number((r->left + r->right) / 2),
             QString::number((r->top + r->bottom) / 2)});
    Xdotool({"click", "1"});
  }

  std::string home_, out_, display_, runtime_;
  QProcess server_, program_;
  QApplication *app_ = nullptr;
  WId window_ = 0;
};

bool Shows(const u8 *vram, const char *text) { return ScreenText(vram).find(text) != std::string::npos; }

bool MainMenu(const u8 *vram) { return std::memcmp(vram, kMenuHeading, sizeof kMenuHeading) == 0; }

void XvfbWalk::StartAtTheMainMenu(std::string *id) {
  ASSERT_NO_FATAL_FAILURE(StartAsNewUser(id));
  ASSERT_TRUE(WaitForScreen("boot notice", [](const u8 *v) { return Shows(v, "MAIN MEMORIES"); }));
  ASSERT_NO_FATAL_FAILURE(Click(*id, "MENU"));
  ASSERT_TRUE(WaitForScreen("storage notice", [](const u8 *v) { return Shows(v, "STORAGE MEMORIES"); }));
  ASSERT_NO_FATAL_FAILURE(Click(*id, "MENU"));
  ASSERT_TRUE(WaitForScreen("main menu", [](const u8 *v) { return MainMenu(v); }));
  Xdotool({"windowfocus", "--sync", QString::fromStdString(*id)});
}

// The main-menu icon under the cursor on the first rows: the selected icon
// is drawn inverted, so its cell's blank top row is set.
int MenuCursor(const u8 *vram) {
  for (int position = 0; position < 12; ++position) {
    const int x = (position % 4) * 30 + 15, y = 7 + (position / 4) * 19;
    if ((vram[16 * y + x / 8] >> (7 - x % 8)) & 1) return position;
  }
  return -1;
}

TEST_F(XvfbWalk, MenuAtTheBootBoxThenTheMainMenuWalkedAndAnApplicationOpened) {
  std::string id;
  ASSERT_NO_FATAL_FAILURE(StartAsNewUser(&id));
  const std::string &runtime = runtime_;
  EXPECT_TRUE(std::filesystem::exists(runtime + "/corvanta/tz841.fls"));

  QImage shot;
  ASSERT_TRUE(WaitForScreen("boot notice", [](const u8 *v) { return Shows(v, "MAIN MEMORIES"); }, &shot));
  EXPECT_EQ(shot.width(), 360);
  Save(shot, "walk_1_boot_notice.png");

  // MENU clicked on the picture of the calculator.
  const ShellKeyRect *menu = ShellSkinKeyRect(ShellKeyByName("MENU"));
  ASSERT_NE(menu, nullptr);
  Xdotool({"mousemove", "--window", QString::fromStdString(id), QString::number((menu->left + menu->right) / 2),
           QString::number((menu->top + menu->bottom) / 2)});
  Xdotool({"click", "1"});
  ASSERT_TRUE(WaitForScreen("storage notice", [](const u8 *v) { return Shows(v, "STORAGE MEMORIES"); }, &shot));
  Save(shot, "walk_2_storage_notice.png");

  // From here on the PC keyboard: Page Down is MENU.
  Xdotool({"windowfocus", "--sync", QString::fromStdString(id)});
  Key("Next");
  ASSERT_TRUE(WaitForScreen("main menu", [](const u8 *v) { return MainMenu(v) && MenuCursor(v) == 0; }, &shot));
  Save(shot, "walk_3_main_menu.png");

  struct Step {
    const char *key;
    int cursor;
  } steps[] = {{"Right", 1}, {"Down", 5}, {"Left", 4}, {"Left", 3}, {"Down", 7}, {"Up", 3}};
  for (const Step &s : steps) {
    Key(s.key);
    ASSERT_TRUE(WaitForScreen(s.key, [&](const u8 *v) { return MainMenu(v) && MenuCursor(v) == s.cursor; }, &shot))
        << "cursor " << s.cursor << " after " << s.key;
  }
  Save(shot, "walk_4_main_menu_walked.png");

  // Enter is EXE: the selected application opens.
  Key("Return");
  ASSERT_TRUE(WaitForScreen("application", [](const u8 *v) { return ScreenRowTrimmed(1, v) == "Graph Func:Y="; }, &shot));
  Save(shot, "walk_5_application.png");

  // Shift+F5 quits as the close box does: the storage image goes with it.
  Key("shift+F5");
  ASSERT_TRUE(program_.waitForFinished(kStepLimitMs)) << "the program did not end";
  EXPECT_EQ(program_.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program_.exitCode(), 0) << program_.readAll().toStdString();
  EXPECT_FALSE(std::filesystem::exists(runtime + "/corvanta/tz841.fls"));
  EXPECT_TRUE(std::filesystem::exists(home_ + "/config/ORVEK/Corvanta.conf"));
}

TEST_F(XvfbWalk, RunMatCalculatesWhatIsTypedClickedAndPasted) {
  std::string id;
  ASSERT_NO_FATAL_FAILURE(StartAsNewUser(&id));
  QImage shot;
  ASSERT_TRUE(WaitForScreen("boot notice", [](const u8 *v) { return Shows(v, "MAIN MEMORIES"); }, &shot));
  // MENU clicked on the picture closes both notices and shows the main menu.
  ASSERT_NO_FATAL_FAILURE(Click(id, "MENU"));
  ASSERT_TRUE(WaitForScreen("storage notice", [](const u8 *v) { return Shows(v, "STORAGE MEMORIES"); }));
  ASSERT_NO_FATAL_FAILURE(Click(id, "MENU"));
  ASSERT_TRUE(WaitForScreen("main menu", [](const u8 *v) { return MainMenu(v) && MenuCursor(v) == 0; }));
  // RUN-MAT is the first icon: EXE clicked opens it.
  ASSERT_NO_FATAL_FAILURE(Click(id, "EXE"));
  ASSERT_TRUE(WaitForScreen("run screen", [](const u8 *v) { return !MainMenu(v) && ScreenRowTrimmed(1, v).empty(); }));
  Xdotool({"windowfocus", "--sync", QString::fromStdString(id)});
  ASSERT_NO_FATAL_FAILURE(UseLinearInput());

  // 12/7 typed on the PC keyboard, Enter.
  Xdotool({"windowfocus", "--sync", QString::fromStdString(id)});
  for (const char *k : {"1", "2", "slash", "7"}) Key(k);
  ASSERT_TRUE(WaitForScreen("typed line", [](const u8 *v) { return ScreenRowTrimmed(1, v) == "12÷7"; }));
  Key("Return");
  auto result = [](int row) {
    return [row](const u8 *v) { return ScreenRowTrimmed(row, v) == "          1.714285714"; };
  };
  ASSERT_TRUE(WaitForScreen("result of the typed line", result(2), &shot));
  Save(shot, "runmat_1_typed.png");

  // The same on the picture's keys.
  for (const char *k : {"1", "2", "/", "7", "EXE"}) ASSERT_NO_FATAL_FAILURE(Click(id, k));
  ASSERT_TRUE(WaitForScreen("result of the clicked line",
                            [&](const u8 *v) { return ScreenRowTrimmed(3, v) == "12÷7" && result(4)(v); }, &shot));
  Save(shot, "runmat_2_clicked.png");

  // Ctrl+V pastes the PC clipboard's text; sin(30) in degrees is 0.5.
  QGuiApplication::clipboard()->setText("sin(30)");
  QCoreApplication::processEvents();
  Xdotool({"windowfocus", "--sync", QString::fromStdString(id)});
  Key("ctrl+v");
  ASSERT_TRUE(WaitForScreen("pasted line", [](const u8 *v) { return ScreenRowTrimmed(5, v) == "sin (30)"; }));
  Key("Return");
  ASSERT_TRUE(WaitForScreen("result of the pasted line",
                            [](const u8 *v) { return ScreenRowTrimmed(6, v) == "                  0.5"; }, &shot));
  Save(shot, "runmat_3_pasted.png");

  // SHIFT MENU opens SET UP (Insert is SHIFT, Page Down is MENU); EXIT
  // returns to the run screen with its lines.
  Key("Insert");
  Key("Next");
  ASSERT_TRUE(WaitForScreen("SET UP", [](const u8 *v) { return Shows(v, "Angle") && Shows(v, "Deg"); }, &shot));
  Save(shot, "runmat_4_setup.png");
  Key("Escape");
  ASSERT_TRUE(WaitForScreen("run screen again", [](const u8 *v) { return ScreenRowTrimmed(5, v) == "sin (30)"; }));
  // SHIFT 4 opens the catalog; a letter jumps to its commands.
  Key("Insert");
  Key("4");
  Key("s");
  ASSERT_TRUE(WaitForScreen("catalog at S", [](const u8 *v) { return Shows(v, "S-Gph1"); }, &shot));
  Save(shot, "runmat_5_catalog.png");
  Key("shift+F5");
  ASSERT_TRUE(program_.waitForFinished(kStepLimitMs)) << "the program did not end";
}

// Math input, as a new calculator starts: 1/2 + 1/3 on the picture's keys
// stacked as fractions, EXE lays 5/6 out under it.
TEST_F(XvfbWalk, MathInputStacksFractions) {
  std::string id;
  ASSERT_NO_FATAL_FAILURE(StartAtTheMainMenu(&id));
  QImage shot;
  Key("Return");
  ASSERT_TRUE(WaitForScreen("calculation document", [](const u8 *v) { return !MainMenu(v); }));
  for (const char *k : {"ab/c", "1", "DOWN", "2", "RIGHT", "+", "ab/c", "1", "DOWN", "3"})
    ASSERT_NO_FATAL_FAILURE(Click(id, k));
  // Both fractions stacked; of the 3 only its top row is read, as the cursor
  // stands right after it.
  ASSERT_TRUE(WaitForScreen("fractions typed",
                            [](const u8 *v) { return ScreenTextAt(1, 0, 1, v) == "1" && ScreenTextAt(1, 10, 1, v) == "2" &&
                                                     ScreenTextAt(8, 5, 1, v) == "+" && ScreenTextAt(15, 0, 1, v) == "1" &&
                                                     ScreenPictureRegion(15, 10, 5, 1, v) == "#####\n"; },
                            &shot));
  Save(shot, "calcdoc_1_typed.png");
  ASSERT_NO_FATAL_FAILURE(Click(id, "EXE"));
  ASSERT_TRUE(WaitForScreen("5/6 under the line",
                            [](const u8 *v) { return ScreenTextAt(121, 18, 1, v) == "5" && ScreenTextAt(121, 28, 1, v) == "6"; },
                            &shot));
  Save(shot, "calcdoc_2_result.png");
  Key("shift+F5");
  ASSERT_TRUE(program_.waitForFinished(kStepLimitMs)) << "the program did not end";
}

// E-activity: a new file AB from the list, a text line and a calculation
// typed and run, SAVE, back to the list and the file opened again.
TEST_F(XvfbWalk, EactivityNewSavedAndOpenedAgain) {
  std::string id;
  ASSERT_NO_FATAL_FAILURE(StartAtTheMainMenu(&id));
  QImage shot;
  auto shows = [](const char *text) { return [text](const u8 *v) { return Shows(v, text); }; };
  Key("3");
  ASSERT_TRUE(WaitForScreen("e-activity list", shows("e-Act List")));
  Key("F2");
  ASSERT_TRUE(WaitForScreen("name input", shows("e-Activity Name")));
  Key("a");
  Key("b");
  Key("Return");
  // The title line is drawn from x 1.
  auto titled = [](const u8 *v) { return ScreenTextAt(1, 0, 21, v) == "======AB      ======="; };
  ASSERT_TRUE(WaitForScreen("new e-activity", titled, &shot));
  Save(shot, "eact_1_new.png");
  Key("h");
  Key("i");
  Key("Return");
  Key("F3");
  for (const char *k : {"1", "+", "2", "EXE"}) ASSERT_NO_FATAL_FAILURE(Click(id, k));
  ASSERT_TRUE(WaitForScreen("calculated", [](const u8 *v) { return ScreenTextAt(122, 24, 1, v) == "3"; }, &shot));
  Save(shot, "eact_2_lines.png");
  Xdotool({"windowfocus", "--sync", QString::fromStdString(id)});
  Key("F1");
  Key("F1");
  Key("Escape");
  ASSERT_TRUE(WaitForScreen("list with AB", [](const u8 *v) { return Shows(v, "e-Act List") && Shows(v, "AB"); },
                            &shot));
  Save(shot, "eact_3_saved_list.png");
  Key("Return");
  ASSERT_TRUE(WaitForScreen("opened again", [titled](const u8 *v) {
    return titled(v) && ScreenTextAt(0, 8, 1, v) == "H" && ScreenTextAt(0, 16, 3, v) == "1+2" &&
           ScreenTextAt(122, 24, 1, v) == "3";
  }, &shot));
  Save(shot, "eact_4_opened_again.png");
  Key("shift+F5");
  ASSERT_TRUE(program_.waitForFinished(kStepLimitMs)) << "the program did not end";
}

TEST_F(XvfbWalk, ProgramListAndEditor) {
  std::string id;
  ASSERT_NO_FATAL_FAILURE(StartAtTheMainMenu(&id));
  QImage shot;
  // The letter A opens the program application.
  Key("a");
  ASSERT_TRUE(WaitForScreen("program list", [](const u8 *v) { return ScreenRowTrimmed(1, v) == "Program List"; }));
  // F3 NEW, the name, Enter: the editor on the new program.
  Key("F3");
  ASSERT_TRUE(WaitForScreen("name dialog", [](const u8 *v) { return ScreenRowTrimmed(1, v) == "Program Name"; }));
  for (const char *k : {"d", "e", "m", "o"}) Key(k);
  Key("Return");
  ASSERT_TRUE(WaitForScreen("editor", [](const u8 *v) { return ScreenRowTrimmed(1, v) == "======DEMO    ======"; }));
  for (const char *k : {"1", "2", "Return", "3", "slash", "4"}) Key(k);
  ASSERT_TRUE(WaitForScreen("typed program",
                            [](const u8 *v) { return ScreenRowTrimmed(2, v) == "12" && ScreenRowTrimmed(3, v) == "3÷4"; },
                            &shot));
  Save(shot, "prog_2_editor.png");
  // Escape is EXIT: the list shows the program.
  Key("Escape");
  ASSERT_TRUE(WaitForScreen("list with DEMO",
                            [](const u8 *v) { return ScreenRowTrimmed(1, v) == "Program List" && Shows(v, "DEMO"); },
                            &shot));
  Save(shot, "prog_1_list.png");
  Key("shift+F5");
  ASSERT_TRUE(program_.waitForFinished(kStepLimitMs)) << "the program did not end";
}

// Any set dot of display memory in the box [x0, x1] x [y0, y1].
bool AnyDot(const u8 *vram, int x0, int x1, int y0, int y1) {
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x)
      if ((vram[16 * y + x / 8] >> (7 - x % 8)) & 1) return true;
  return false;
}

// The PC keyboard's ^ is the power key; a matrix wider than the grid is
// scrolled both ways with its arrows in view; a program run from PROG
// shows its value, and F<>D clicked on the picture turns it into a fraction.

TEST_F(XvfbWalk, PowerKeyMatrixViewerAndAProgramValueConverted) {
  std::string id;
  ASSERT_NO_FATAL_FAILURE(StartAtTheMainMenu(&id));
  QImage shot;
  Key("Return");
  ASSERT_TRUE(WaitForScreen("run screen", [](const u8 *v) { return !MainMenu(v) && ScreenRowTrimmed(1, v).empty(); }));
  ASSERT_NO_FATAL_FAILURE(UseLinearInput());
  // 2^10-1000 typed on the PC keyboard.
  for (const char *k : {"2", "asciicircum", "1", "0", "minus", "1", "0", "0", "0"}) Key(k);
  ASSERT_TRUE(WaitForScreen("typed power", [](const u8 *v) { return ScreenRowTrimmed(1, v).rfind("2^10-1000", 0) == 0; }));
  Key("Return");
  ASSERT_TRUE(WaitForScreen("24", [](const u8 *v) { return ScreenRowTrimmed(2, v) == std::string(19, ' ') + "24"; },
                            &shot));
  Save(shot, "runui_1_power.png");

  // [[1,2,3,4,5,6][7,8,9,10,11,12]]: six columns.
  for (const char *k : {"bracketleft", "bracketleft", "1", "comma", "2", "comma", "3", "comma", "4", "comma", "5",
                        "comma", "6", "bracketright", "bracketleft", "7", "comma", "8", "comma", "9", "comma", "1",
                        "0", "comma", "1", "1", "comma", "1", "2", "bracketright", "bracketright", "Return"})
    Key(k);
  auto arrows = [](bool left, bool right) {
    return [left, right](const u8 *v) {
      return AnyDot(v, 12, 15, 1, 6) == left && AnyDot(v, 116, 120, 1, 6) == right && !AnyDot(v, 11, 11, 0, 7);
    };
  };
  ASSERT_TRUE(WaitForScreen("matrix, more columns to the right",
                            [&](const u8 *v) { return ScreenRowTrimmed(7, v) == std::string(20, ' ') + "1" &&
                                                      arrows(false, true)(v); },
                            &shot));
  Save(shot, "runui_2_matrix_left.png");
  for (int i = 0; i < 4; ++i) Key("Right");
  ASSERT_TRUE(WaitForScreen("matrix scrolled right, columns both ways",
                            [&](const u8 *v) { return ScreenRowTrimmed(7, v) == std::string(20, ' ') + "5" &&
                                                      arrows(true, true)(v); },
                            &shot));
  Save(shot, "runui_3_matrix_middle.png");
  Key("Right");
  ASSERT_TRUE(WaitForScreen("matrix at its last column",
                            [&](const u8 *v) { return ScreenRowTrimmed(7, v) == std::string(20, ' ') + "6" &&
                                                      arrows(true, false)(v); },
                            &shot));
  Save(shot, "runui_4_matrix_right.png");
  for (int i = 0; i < 5; ++i) Key("Left");
  ASSERT_TRUE(WaitForScreen("matrix scrolled back",
                            [&](const u8 *v) { return ScreenRowTrimmed(7, v) == std::string(20, ' ') + "1" &&
                                                      arrows(false, true)(v); }));
  Key("Escape");

  // PROG: a program 1/3, run from the list.
  Key("Next");
  ASSERT_TRUE(WaitForScreen("main menu", [](const u8 *v) { return MainMenu(v); }));
  Key("a");
  ASSERT_TRUE(WaitForScreen("program list", [](const u8 *v) { return ScreenRowTrimmed(1, v) == "Program List"; }));
  Key("F3");
  ASSERT_TRUE(WaitForScreen("name dialog", [](const u8 *v) { return ScreenRowTrimmed(1, v) == "Program Name"; }));
  for (const char *k : {"t", "h", "i", "r", "d"}) Key(k);
  Key("Return");
  ASSERT_TRUE(WaitForScreen("editor", [](const u8 *v) { return ScreenRowTrimmed(1, v) == "======THIRD   ======"; }));
  for (const char *k : {"1", "slash", "3"}) Key(k);
  ASSERT_TRUE(WaitForScreen("typed program", [](const u8 *v) { return ScreenRowTrimmed(2, v) == "1÷3"; }));
  Key("Escape");
  ASSERT_TRUE(WaitForScreen("list", [](const u8 *v) { return ScreenRowTrimmed(1, v) == "Program List"; }));
  Key("Return");
  ASSERT_TRUE(WaitForScreen("value", [](const u8 *v) { return ScreenRowTrimmed(1, v) == "         0.3333333333"; },
                            &shot));
  Save(shot, "runui_5_prog_value.png");
  ASSERT_NO_FATAL_FAILURE(Click(id, "F<>D"));
  ASSERT_TRUE(WaitForScreen("fraction",
                            [](const u8 *v) { return ScreenRowTrimmed(1, v) == std::string(18, ' ') + "1⌟3"; }, &shot));
  Save(shot, "runui_6_prog_fraction.png");
  Key("Return");
  ASSERT_TRUE(WaitForScreen("list again", [](const u8 *v) { return ScreenRowTrimmed(1, v) == "Program List"; }));
  Key("shift+F5");
  ASSERT_TRUE(program_.waitForFinished(kStepLimitMs)) << "the program did not end";
}

TEST_F(XvfbWalk, CompoundInterestTypedAndThePaymentSolved) {
  std::string id;
  ASSERT_NO_FATAL_FAILURE(StartAtTheMainMenu(&id));
  QImage shot;
  // The letter B opens the financial application; F2 its compound interest.
  Key("b");
  ASSERT_TRUE(WaitForScreen("menu page", [](const u8 *v) { return ScreenRowTrimmed(1, v) == "Financial(1/2)"; }));
  Key("F2");
  ASSERT_TRUE(WaitForScreen("compound interest",
                            [](const u8 *v) { return ScreenRowTrimmed(1, v).rfind("Compound Interest", 0) == 0; }));
  // n 60, I% 7.5, PV 25000, each followed by Enter.
  for (const char *k : {"6", "0", "Return", "7", "period", "5", "Return", "2", "5", "0", "0", "0", "Return"}) Key(k);
  ASSERT_TRUE(WaitForScreen("values typed",
                            [](const u8 *v) {
                              return ScreenRowTrimmed(2, v) == "n  =60" && ScreenRowTrimmed(3, v) == "I% =7.5" &&
                                     ScreenRowTrimmed(4, v) == "PV =25000";
                            },
                            &shot));
  Save(shot, "fin_1_compound.png");
  Key("F4");
  ASSERT_TRUE(WaitForScreen("payment solved",
                            [](const u8 *v) { return ScreenRowTrimmed(2, v).rfind("PMT=\u2212", 0) == 0; }, &shot));
  Save(shot, "fin_2_payment.png");
  Key("shift+F5");
  ASSERT_TRUE(program_.waitForFinished(kStepLimitMs)) << "the program did not end";
}

TEST_F(XvfbWalk, ViewWindowEditedAndTheGraphScreenShown) {
  std::string id;
  ASSERT_NO_FATAL_FAILURE(StartAtTheMainMenu(&id));
  QImage shot;
  Key("Return");
  ASSERT_TRUE(WaitForScreen("run screen", [](const u8 *v) { return !MainMenu(v) && ScreenRowTrimmed(1, v).empty(); }));
  ASSERT_NO_FATAL_FAILURE(UseLinearInput());
  // SHIFT F3: the View Window; Xmax typed over.
  Key("Insert");
  Key("F3");
  ASSERT_TRUE(WaitForScreen("view window", [](const u8 *v) { return ScreenRowTrimmed(1, v) == "View Window"; }));
  for (const char *k : {"Down", "1", "0", "Return"}) Key(k);
  ASSERT_TRUE(WaitForScreen("Xmax edited", [](const u8 *v) { return ScreenRowTrimmed(3, v) == " max  :10"; }, &shot));
  Save(shot, "vwin_1_edited.png");
  // EXIT, then SHIFT F6: the graph screen with the axes of the new window.
  Key("Escape");
  ASSERT_TRUE(WaitForScreen("run screen again", [](const u8 *v) { return !MainMenu(v) && ScreenRowTrimmed(1, v).empty(); }));
  Key("Insert");
  Key("F6");
  ASSERT_TRUE(WaitForScreen("graph screen", [](const u8 *v) { return (v[32 * 16] & 0x7F) == 0x7F; }, &shot));
  Save(shot, "graph_1_axes.png");
  Key("shift+F5");
  ASSERT_TRUE(program_.waitForFinished(kStepLimitMs)) << "the program did not end";
}

// A display dot (x 0-127, y 0-63).
bool Dot(const u8 *vram, int x, int y) { return ((vram[16 * y + x / 8] >> (7 - x % 8)) & 1) != 0; }

TEST_F(XvfbWalk, GraphDrawnTableShownAndACircleFromTheRunLine) {
  std::string id;
  ASSERT_NO_FATAL_FAILURE(StartAtTheMainMenu(&id));
  QImage shot;
  // GRAPH (the fourth icon): Y1 = X^2 clicked on the picture and drawn (F6).
  for (const char *k : {"Right", "Right", "Right", "Return"}) Key(k);
  ASSERT_TRUE(WaitForScreen("function list", [](const u8 *v) { return ScreenRowTrimmed(1, v) == "Graph Func:Y="; }));
  for (const char *k : {"XtT", "^2", "EXE"}) ASSERT_NO_FATAL_FAILURE(Click(id, k));
  Xdotool({"windowfocus", "--sync", QString::fromStdString(id)});
  ASSERT_TRUE(WaitForScreen("stored function", [](const u8 *v) { return Shows(v, "X²"); }));
  Key("F6");
  // (1, 1) and (-1, 1) of the parabola on the initial window.
  ASSERT_TRUE(WaitForScreen("drawn parabola", [](const u8 *v) { return Dot(v, 74, 22) && Dot(v, 54, 22); }, &shot));
  Save(shot, "graph_2_parabola.png");
  // TABLE (EXIT, MENU, two rows down the grid): Y1 selected (F1), the table (F6).
  Key("Escape");
  ASSERT_TRUE(WaitForScreen("function list again", [](const u8 *v) { return ScreenRowTrimmed(1, v) == "Graph Func:Y="; }));
  Key("Next");
  ASSERT_TRUE(WaitForScreen("main menu", [](const u8 *v) { return MainMenu(v) && MenuCursor(v) == 3; }));
  for (const char *k : {"Down", "Left", "Left", "Return"}) Key(k);
  ASSERT_TRUE(WaitForScreen("table list", [](const u8 *v) { return ScreenRowTrimmed(1, v).rfind("Table", 0) == 0; }));
  Key("F1");
  Key("F6");
  // The table's cells are in the small font: the list's title has gone.
  ASSERT_TRUE(WaitForScreen("table", [](const u8 *v) { return ScreenRowTrimmed(1, v).rfind("Table", 0) != 0; }, &shot));
  Save(shot, "table_1_rows.png");
  // RUN-MAT (MENU, back to the first icon): Circle typed by its name on the
  // run line draws on the graph screen.
  Key("Escape");
  Key("Escape");
  Key("Next");
  ASSERT_TRUE(WaitForScreen("main menu again", [](const u8 *v) { return MainMenu(v) && MenuCursor(v) == 5; }));
  for (const char *k : {"Up", "Left", "Return"}) Key(k);
  ASSERT_TRUE(WaitForScreen("run screen", [](const u8 *v) { return !MainMenu(v) && ScreenRowTrimmed(1, v).empty(); }));
  ASSERT_NO_FATAL_FAILURE(UseLinearInput());
  QGuiApplication::clipboard()->setText("Circle 3,1,1");
  QCoreApplication::processEvents();
  Xdotool({"windowfocus", "--sync", QString::fromStdString(id)});
  Key("ctrl+v");
  ASSERT_TRUE(WaitForScreen("pasted circle", [](const u8 *v) { return ScreenRowTrimmed(1, v) == "Circle 3,1,1"; }));
  Key("Return");
  // The circle through (4, 1) and (3, 2).
  ASSERT_TRUE(WaitForScreen("circle", [](const u8 *v) { return Dot(v, 104, 22) && Dot(v, 94, 12); }, &shot));
  Save(shot, "sketch_1_circle.png");
  Key("shift+F5");
  ASSERT_TRUE(program_.waitForFinished(kStepLimitMs)) << "the program did not end";
}

TEST_F(XvfbWalk, EquationsSystemCubicAndSolver) {
  std::string id;
  ASSERT_NO_FATAL_FAILURE(StartAtTheMainMenu(&id));
  QImage shot;
  // The digit 9 opens the equation application.
  Key("9");
  ASSERT_TRUE(WaitForScreen("type menu", [](const u8 *v) { return ScreenRowTrimmed(1, v) == "Equation"; }, &shot));
  Save(shot, "equa_1_type_menu.png");
  // Three unknowns: x+y+z=6, x+2y+3z=14, x+4y+9z=36.
  Key("F1");
  Key("F2");
  ASSERT_TRUE(WaitForScreen("editor", [](const u8 *v) { return ScreenRowTrimmed(1, v) == "aₙX+bₙY+CₙZ=dₙ"; }));
  for (const char *n : {"1", "1", "1", "6", "1", "2", "3", "14", "1", "4", "9", "36"}) {
    for (const char *c = n; *c; ++c) Key(std::string(1, *c).c_str());
    Key("Return");
  }
  ASSERT_TRUE(WaitForScreen("typed", [](const u8 *v) { return ScreenRowTrimmed(7, v).find("36") != std::string::npos; }));
  Key("F1");
  ASSERT_TRUE(WaitForScreen("solution", [](const u8 *v) { return ScreenRowTrimmed(7, v) == std::string(20, ' ') + "1"; },
                            &shot));
  Save(shot, "equa_2_system_solved.png");
  // The cubic x³+6x²+11x+6: roots -1, -2, -3.
  for (const char *k : {"Escape", "Escape", "Escape", "F2", "F2"}) Key(k);
  ASSERT_TRUE(WaitForScreen("cubic editor", [](const u8 *v) { return ScreenRowTrimmed(1, v) == "aX³+bX²+cX+d=0"; }));
  for (const char *k : {"1", "Return", "6", "Return", "1", "1", "Return", "6", "Return", "F1"}) Key(k);
  ASSERT_TRUE(WaitForScreen("roots", [](const u8 *v) { return ScreenRowTrimmed(7, v) == std::string(19, ' ') + "−1"; },
                            &shot));
  Save(shot, "equa_3_cubic.png");
  // The Solver with the equation A stored: its variable and the bounds.
  for (const char *k : {"Escape", "Escape", "Escape", "F3", "a", "Return"}) Key(k);
  ASSERT_TRUE(WaitForScreen("solver",
                            [](const u8 *v) {
                              return ScreenRowTrimmed(1, v) == "Eq:A" && ScreenRowTrimmed(2, v) == "     A=0" &&
                                     Shows(v, "Upper=");
                            },
                            &shot));
  Save(shot, "equa_4_solver.png");
  // The equation A-7, solved for A on its line with F6.
  for (const char *k : {"Up", "Right", "Right", "minus", "7", "Return", "F6"}) Key(k);
  ASSERT_TRUE(WaitForScreen("solver result",
                            [](const u8 *v) { return ScreenRowTrimmed(2, v) == "  A=7" && ScreenRowTrimmed(3, v) == "Lft=0"; },
                            &shot));
  Save(shot, "equa_5_solver_result.png");
  Key("shift+F5");
  ASSERT_TRUE(program_.waitForFinished(kStepLimitMs)) << "the program did not end";
}

TEST_F(XvfbWalk, StatisticsListsOneVariableAndLinearRegression) {
  std::string id;
  ASSERT_NO_FATAL_FAILURE(StartAtTheMainMenu(&id));
  QImage shot;
  // The digit 2 opens the statistics application on its list editor.
  Key("2");
  ASSERT_TRUE(WaitForScreen("list editor", [](const u8 *v) { return !MainMenu(v); }));
  for (const char *n : {"2", "4", "4", "4", "5", "5", "7", "9"}) {
    for (const char *c = n; *c; ++c) Key(std::string(1, *c).c_str());
    Key("Return");
  }
  Key("Right");
  for (const char *n : {"1", "3", "2", "5", "4", "7", "8", "7"}) {
    for (const char *c = n; *c; ++c) Key(std::string(1, *c).c_str());
    Key("Return");
  }
  Key("Up");
  ASSERT_TRUE(WaitForScreen("lists typed", [](const u8 *v) { return ScreenRowTrimmed(7, v) == std::string(20, ' ') + "7"; },
                            &shot));
  Save(shot, "stat_1_lists.png");
  Key("F2");
  Key("F1");
  ASSERT_TRUE(WaitForScreen("1-Variable", [](const u8 *v) { return ScreenRowTrimmed(1, v) == "1-Variable"; }, &shot));
  Save(shot, "stat_2_one_variable.png");
  for (const char *k : {"Escape", "F3", "F1"}) Key(k);
  ASSERT_TRUE(WaitForScreen("LinearReg", [](const u8 *v) { return ScreenRowTrimmed(1, v) == "LinearReg"; }, &shot));
  Save(shot, "stat_3_linear_regression.png");

  // GRPH, GRP1: the scatter plot of List 1 and List 2 in its automatic
  // window, marked by filled squares: the first pair (2, 1) at dot
  // (17, 51), the last (9, 7) at (111, 19).
  auto square = [](const u8 *v, int x, int y) {
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx)
        if (((v[16 * (y + dy) + (x + dx) / 8] >> (7 - (x + dx) % 8)) & 1) == 0) return false;
    return true;
  };
  auto scatter = [&](const u8 *v) { return !Shows(v, "LinearReg") && square(v, 17, 51) && square(v, 111, 19); };
  // EXIT leaves the result, then the REG and CALC menus (EXIT at the
  // editor's root menu does nothing).
  for (const char *k : {"Escape", "Escape", "Escape", "Escape", "F1", "F1"}) Key(k);
  ASSERT_TRUE(WaitForScreen("scatter plot", scatter, &shot));
  Save(shot, "stat_4_scatter.png");
  // CALC, X on the graph: the linear regression of the plotted pairs; its
  // DRAW puts the line over the scatter plot.
  for (const char *k : {"F1", "F2"}) Key(k);
  ASSERT_TRUE(WaitForScreen("LinearReg of the graph", [](const u8 *v) { return ScreenRowTrimmed(1, v) == "LinearReg"; }));
  Key("F6");
  ASSERT_TRUE(WaitForScreen("regression drawn", scatter, &shot));
  Save(shot, "stat_5_draw.png");
  // SHIFT F1: the trace starts on the regression; DOWN takes it to the
  // scatter plot's pairs, the graph's title on top.
  Key("Insert");
  Key("F1");
  ASSERT_TRUE(WaitForScreen("trace", [](const u8 *v) { return ScreenRowTrimmed(1, v) == "Regression"; }));
  Key("Down");
  ASSERT_TRUE(
      WaitForScreen("trace on the pairs", [](const u8 *v) { return ScreenRowTrimmed(1, v) == "StatGraph1"; }, &shot));
  Save(shot, "stat_6_trace.png");
  // StatGraph1 set to a histogram (SET, Graph Type, Hist), then GRP1: the
  // class pop-up, EXE draws the bars.
  for (const char *k : {"Escape", "Escape", "Escape", "Escape", "Escape", "F1", "F6"}) Key(k);
  ASSERT_TRUE(WaitForScreen("StatGraph set-up", [](const u8 *v) { return Shows(v, "Graph Type"); }));
  for (const char *k : {"Down", "F6", "F1"}) Key(k);
  ASSERT_TRUE(WaitForScreen("Hist chosen", [](const u8 *v) { return Shows(v, "Hist"); }));
  for (const char *k : {"Return", "F1"}) Key(k);
  ASSERT_TRUE(WaitForScreen("class pop-up", [](const u8 *v) { return Shows(v, "Histogram Setting"); }));
  Key("Return");
  ASSERT_TRUE(WaitForScreen("histogram", [](const u8 *v) { return !Shows(v, "Histogram") && !Shows(v, "Graph Type") && !Shows(v, "Start"); },
                            &shot));
  Save(shot, "stat_7_histogram.png");
  Key("shift+F5");
  ASSERT_TRUE(program_.waitForFinished(kStepLimitMs)) << "the program did not end";
}

TEST_F(XvfbWalk, SpreadsheetCellsAFormulaCopiedDownAndOneVariable) {
  std::string id;
  ASSERT_NO_FATAL_FAILURE(StartAtTheMainMenu(&id));
  QImage shot;
  // The letter F opens the spreadsheet on A1.
  Key("f");
  ASSERT_TRUE(WaitForScreen("sheet", [](const u8 *v) { return !MainMenu(v); }));
  for (const char *k : {"5", "Return", "7", "Return", "equal", "A", "1", "plus", "A", "2", "Return", "Up"}) Key(k);
  ASSERT_TRUE(WaitForScreen("formula in A3",
                            [](const u8 *v) { return ScreenRowTrimmed(7, v).find("=A1+A2") != std::string::npos; },
                            &shot));
  Save(shot, "sheet_1_cells.png");
  // EDIT, COPY, one row down, PASTE: the references follow the row.
  for (const char *k : {"F2", "F2", "Down", "F1", "Escape"}) Key(k);
  ASSERT_TRUE(WaitForScreen("formula copied to A4",
                            [](const u8 *v) { return ScreenRowTrimmed(7, v).find("=A2+A3") != std::string::npos; },
                            &shot));
  Save(shot, "sheet_2_copied.png");
  // A5, then CALC 1VAR on A1:A5.
  for (const char *k : {"Down", "1", "Return", "Escape", "F6", "F2", "F1"}) Key(k);
  ASSERT_TRUE(WaitForScreen("1-Variable", [](const u8 *v) { return ScreenRowTrimmed(1, v) == "1-Variable"; }, &shot));
  Save(shot, "sheet_3_one_variable.png");
  Key("shift+F5");
  ASSERT_TRUE(program_.waitForFinished(kStepLimitMs)) << "the program did not end";
}

TEST_F(XvfbWalk, MemorySystemLinkAndTheWindowsBackup) {
  std::string id;
  ASSERT_NO_FATAL_FAILURE(StartAtTheMainMenu(&id));
  QImage shot;
  auto row1 = [](const char *text) { return [text](const u8 *v) { return ScreenRowTrimmed(1, v) == text; }; };
  auto shows = [](const char *text) { return [text](const u8 *v) { return Shows(v, text); }; };
  // MEMORY (the letter D): the group list, then BKUP SAVE to the storage root.
  Key("d");
  ASSERT_TRUE(WaitForScreen("memory manager", row1("Memory Manager")));
  Key("F1");
  ASSERT_TRUE(WaitForScreen("group list", shows("ALPHA MEM"), &shot));
  Save(shot, "memory_1_list.png");
  Key("Escape");
  ASSERT_TRUE(WaitForScreen("memory manager again", row1("Memory Manager")));
  Key("F4");
  ASSERT_TRUE(WaitForScreen("backup page", row1("Backup")));
  Key("F1");
  ASSERT_TRUE(WaitForScreen("save to", shows("Save to")));
  Key("1");
  ASSERT_TRUE(WaitForScreen("folder choice", shows("ROOT")));
  Key("Return");
  ASSERT_TRUE(WaitForScreen("backup saved", shows("Complete!"), &shot));
  Save(shot, "memory_2_backup_saved.png");
  Key("Escape");
  // SYSTEM (E) and LINK (C) from the main menu (Page Down is MENU).
  Key("Next");
  ASSERT_TRUE(WaitForScreen("main menu", [](const u8 *v) { return MainMenu(v); }));
  Key("e");
  ASSERT_TRUE(WaitForScreen("system manager", row1("System Manager"), &shot));
  Save(shot, "system_1_menu.png");
  Key("Next");
  ASSERT_TRUE(WaitForScreen("main menu", [](const u8 *v) { return MainMenu(v); }));
  Key("c");
  ASSERT_TRUE(WaitForScreen("link", row1("Communication"), &shot));
  Save(shot, "link_1_main.png");
  // A = 5 on the run screen.
  Key("Next");
  ASSERT_TRUE(WaitForScreen("main menu", [](const u8 *v) { return MainMenu(v); }));
  Key("1");
  ASSERT_TRUE(WaitForScreen("run screen", [](const u8 *v) { return !MainMenu(v); }));
  ASSERT_NO_FATAL_FAILURE(UseLinearInput());
  Key("5");
  ASSERT_NO_FATAL_FAILURE(Click(id, "->"));
  Xdotool({"windowfocus", "--sync", QString::fromStdString(id)});
  Key("a");
  Key("Return");
  ASSERT_TRUE(WaitForScreen("A stored", [](const u8 *v) { return ScreenRowTrimmed(2, v) == "                    5"; }));
  // The window's menu: back up main memory while the main menu shows.
  auto window_menu = [&](const char *mnemonic) {
    Xdotool({"mousemove", "--window", QString::fromStdString(id), "20", "20"});
    Xdotool({"click", "3"});
    // The menu takes the keyboard once it shows; a loaded machine is slow.
    QThread::msleep(1000);
    Key(mnemonic);
  };
  Key("Next");
  ASSERT_TRUE(WaitForScreen("main menu", [](const u8 *v) { return MainMenu(v); }));
  window_menu("b");
  ASSERT_TRUE(WaitForScreen("window backup", shows("Complete!"), &shot));
  Save(shot, "window_1_backup.png");
  Xdotool({"windowfocus", "--sync", QString::fromStdString(id)});
  Key("Escape");
  // SYSTEM: reset main memories.
  Key("e");
  ASSERT_TRUE(WaitForScreen("system manager", row1("System Manager")));
  Key("F5");
  Key("F2");
  ASSERT_TRUE(WaitForScreen("reset question", shows("RESET (CLEAR)")));
  Key("F1");
  ASSERT_TRUE(WaitForScreen("reset done", shows("Reset!")));
  Key("Escape");
  Key("Next");
  ASSERT_TRUE(WaitForScreen("main menu", [](const u8 *v) { return MainMenu(v); }));
  window_menu("r");
  ASSERT_TRUE(WaitForScreen("window restore", shows("Complete!"), &shot));
  Save(shot, "window_2_restored.png");
  Xdotool({"windowfocus", "--sync", QString::fromStdString(id)});
  Key("Escape");
  ASSERT_TRUE(WaitForScreen("main menu", [](const u8 *v) { return MainMenu(v); }));
  Key("1");
  ASSERT_TRUE(WaitForScreen("run screen", [](const u8 *v) { return !MainMenu(v); }));
  Key("a");
  Key("Return");
  ASSERT_TRUE(WaitForScreen("A back", [](const u8 *v) {
    for (int r = 2; r <= 7; ++r)
      if (ScreenRowTrimmed(r, v) == "                    5") return true;
    return false;
  }, &shot));
  Save(shot, "window_3_a_is_5.png");
  Key("shift+F5");
  ASSERT_TRUE(program_.waitForFinished(kStepLimitMs)) << "the program did not end";
}

// Whether display dot (x 0-127, y 0-63) is lit.
bool LitAt(const u8 *vram, int x, int y) { return ((vram[16 * y + x / 8] >> (7 - x % 8)) & 1) != 0; }

// GRAPH: X^2-2 drawn, traced seven steps to the right, then its first root
// found by G-Solve.
TEST_F(XvfbWalk, GraphTracedAndARootFound) {
  std::string id;
  ASSERT_NO_FATAL_FAILURE(StartAtTheMainMenu(&id));
  QImage shot;
  for (const char *k : {"Right", "Right", "Right", "Return"}) Key(k);
  ASSERT_TRUE(WaitForScreen("function list", [](const u8 *v) { return ScreenRowTrimmed(1, v) == "Graph Func:Y="; }));
  for (const char *k : {"XtT", "^2", "-", "2", "EXE"}) ASSERT_NO_FATAL_FAILURE(Click(id, k));
  Xdotool({"windowfocus", "--sync", QString::fromStdString(id)});
  ASSERT_TRUE(WaitForScreen("stored function", [](const u8 *v) { return Shows(v, "X²-2"); }));
  Key("F6");
  // (2, 2) of the parabola on the initial window.
  ASSERT_TRUE(WaitForScreen("drawn parabola", [](const u8 *v) { return LitAt(v, 84, 12); }));
  // Trace (F1), seven steps right: the pointer at (0.7, -1.51), its top
  // three dots above the point, and the read-out's "X" at the bottom left.
  Key("F1");
  for (int i = 0; i < 7; ++i) Key("Right");
  ASSERT_TRUE(WaitForScreen("traced point",
                            [](const u8 *v) { return LitAt(v, 70, 44) && LitAt(v, 71, 44) && LitAt(v, 72, 44) && LitAt(v, 0, 58); },
                            &shot));
  Save(shot, "graph_3_trace.png");
  // EXIT leaves the trace and the graph; DRAW shows the graph again and
  // G-Solve's ROOT (F5 F1) puts the pointer at (-1.414.., 0).
  Key("Escape");
  ASSERT_TRUE(WaitForScreen("function list after the trace",
                            [](const u8 *v) { return ScreenRowTrimmed(1, v) == "Graph Func:Y="; }));
  Key("F6");
  ASSERT_TRUE(WaitForScreen("parabola again", [](const u8 *v) { return LitAt(v, 84, 12); }));
  Key("F5");
  Key("F1");
  ASSERT_TRUE(WaitForScreen("root", [](const u8 *v) { return LitAt(v, 49, 29) && LitAt(v, 50, 29) && LitAt(v, 51, 29); }, &shot));
  Save(shot, "graph_4_root.png");
  Key("shift+F5");
  ASSERT_TRUE(program_.waitForFinished(kStepLimitMs)) << "the program did not end";
}

// DYNA's built-in Y=AX+B animated until AC stops it at the pause screen;
// RECUR's table of a(n+1) = a(n)/2 + 1 and its connected graph; CONICS'
// ellipse drawn and its first focus found.
TEST_F(XvfbWalk, DynaRecurAndConicsAsANewUserMeetsThem) {
  std::string id;
  ASSERT_NO_FATAL_FAILURE(StartAtTheMainMenu(&id));
  QImage shot;
  auto row = [](int n, const char *text) { return [n, text](const u8 *v) { return ScreenRowTrimmed(n, v) == text; }; };
  // The graph screen: no text rows of a list, the y axis drawn.
  auto graph = [](const char *gone) {
    return [gone](const u8 *v) { return !Shows(v, gone) && LitAt(v, 64, 20) && LitAt(v, 64, 40); };
  };
  // DYNA (5): B-IN, Y=AX+B, VAR with B = 1, DYNA plays until AC.
  Key("5");
  ASSERT_TRUE(WaitForScreen("dyna list", row(1, "Dynamic Func:Y=")));
  Key("F5");
  ASSERT_TRUE(WaitForScreen("built-in forms", row(1, "Y=AX+B")));
  Key("Return");
  Key("F4");
  ASSERT_TRUE(WaitForScreen("coefficients", row(3, " A=0")));
  for (const char *k : {"Down", "1", "Return"}) Key(k);
  ASSERT_TRUE(WaitForScreen("B set", row(4, " B=1")));
  Key("F6");
  ASSERT_TRUE(WaitForScreen("animation running", graph("Dynamic"), &shot));
  Save(shot, "dyna_1_running.png");
  ASSERT_NO_FATAL_FAILURE(Click(id, "AC"));
  Xdotool({"windowfocus", "--sync", QString::fromStdString(id)});
  ASSERT_TRUE(WaitForScreen("pause screen", row(2, "Dynamic Setting"), &shot));
  Save(shot, "dyna_2_paused.png");
  // RECUR (7): type a(n+1), the formula, its table, then G-CON.
  Key("Next");
  ASSERT_TRUE(WaitForScreen("main menu", [](const u8 *v) { return MainMenu(v); }));
  Key("7");
  ASSERT_TRUE(WaitForScreen("recursion list", [](const u8 *v) { return !MainMenu(v); }));
  Key("F3");
  Key("F2");
  ASSERT_TRUE(WaitForScreen("a(n+1) type", row(1, "Recursion")));
  for (const char *k : {"F4", "F2", "slash", "2", "plus", "1", "Return", "Escape"}) Key(k);
  // The table on the right half (its bracket strokes at dots 69 and 125)
  // beside empty axes; G-CON draws the terms on the left half.
  Key("F6");
  auto table = [](const u8 *v) { return LitAt(v, 69, 20) && LitAt(v, 125, 20) && LitAt(v, 32, 20); };
  std::string axes;
  ASSERT_TRUE(WaitForScreen("table", [&](const u8 *v) {
    if (!table(v)) return false;
    for (int y = 0; y < 56; ++y) axes.append(reinterpret_cast<const char *>(v) + 16 * y, 8);
    return true;
  }, &shot));
  Save(shot, "recur_1_table.png");
  Key("F5");
  ASSERT_TRUE(WaitForScreen("connected graph", [&](const u8 *v) {
    std::string left;
    for (int y = 0; y < 56; ++y) left.append(reinterpret_cast<const char *>(v) + 16 * y, 8);
    return table(v) && left != axes;
  }, &shot));
  Save(shot, "recur_2_graph.png");
  // CONICS (8): the ellipse (X-1)^2/9 + (Y-1)^2/4 = 1, then FOCUS: the
  // read-out at the bottom left.
  Key("Next");
  ASSERT_TRUE(WaitForScreen("main menu", [](const u8 *v) { return MainMenu(v); }));
  Key("8");
  ASSERT_TRUE(WaitForScreen("form list", row(1, "Select Equation")));
  for (int i = 0; i < 6; ++i) Key("Down");
  Key("Return");
  ASSERT_TRUE(WaitForScreen("ellipse editor", [](const u8 *v) { return ScreenRowTrimmed(3, v).rfind("A=", 0) == 0; }));
  for (const char *k : {"3", "Return", "2", "Return", "1", "Return", "1", "Return"}) Key(k);
  ASSERT_TRUE(WaitForScreen("coefficients typed", row(6, "K=1"), &shot));
  Save(shot, "conics_1_editor.png");
  Key("Return");
  ASSERT_TRUE(WaitForScreen("ellipse", graph("K=1")));
  Key("F1");
  ASSERT_TRUE(WaitForScreen("focus", [](const u8 *v) { return LitAt(v, 0, 58) && LitAt(v, 64, 20); }, &shot));
  Save(shot, "conics_2_focus.png");
  Key("shift+F5");
  ASSERT_TRUE(program_.waitForFinished(kStepLimitMs)) << "the program did not end";
}

}  // namespace
