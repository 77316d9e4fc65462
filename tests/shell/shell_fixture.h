// Shared set-up of the GUI tests: one QApplication on the offscreen
// platform, the profile in a temporary folder, message boxes answered by
// the test.
#pragma once
#include <QApplication>
#include <QImage>

#include <string>
#include <vector>

#include "shell/calc_link.h"

// Starts the application once; later calls do nothing.
void ShellTestStartApp();
// The temporary folder that holds the profile of this test process.
std::string ShellTestProfileFolder();

// Whether (x, y) of a grabbed picture is the given colour.
bool ShellTestPixelIs(const QImage &img, int x, int y, QRgb rgb);
