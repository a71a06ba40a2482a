// Writes 0x00RRGGBB pixels as an 8-bit RGB PNG file, stored without compression.
#pragma once

#include <windows.h>

#include <vector>

class PngFile {
 public:
  static bool Write(const char* path, int width, int height, const std::vector<DWORD>& pixels);
};
