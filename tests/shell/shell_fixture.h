// Shared set-up of the GUI tests: one QApplication on the offscreen
// platform, the profile in a temporary folder, message boxes answered by
// the test.
#pragma once
#include <QApplication>
#include <QImage>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/calc_link.h"

// Starts the application once; later calls do nothing.
void ShellTestStartApp();
// The temporary folder that holds the profile of this test process.
std::string ShellTestProfileFolder();

// The whole content of a file ("" when it cannot be read) / writes a file.
std::string ShellTestReadFile(const std::string &path);
void ShellTestWriteFile(const std::string &path, const std::string &text);

// Whether (x, y) of a grabbed picture is the given colour.
bool ShellTestPixelIs(const QImage &img, int x, int y, QRgb rgb);

// Reads the display area of a grabbed window back into display memory (set
// bit = black dot): each dot a 2 x 2 block from (44, 83), black for a set
// dot, white for a clear one. Fails on a pixel that is neither, or that
// differs from the rest of its block.
testing::AssertionResult ShellTestReadDisplay(const QImage &img, u8 *vram);
