// A window as the screen shows it, as the bytes of a 24-bit BMP file. Shared by the test driver
// and the demo's tour, which has no test framework.
#pragma once

#include <windows.h>

#include <string>

// Empty when the window has no rectangle.
std::string WindowPictureBmp(HWND window);
