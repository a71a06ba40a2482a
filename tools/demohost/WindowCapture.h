// The client area of a window as it appears on screen, read back pixel by pixel.
#pragma once

#include <windows.h>

#include <vector>

class WindowCapture {
 public:
  // Copies what the screen shows of the window's client area; false on failure.
  bool Take(HWND window);
  int Width() const { return width; }
  int Height() const { return height; }
  // 0x00RRGGBB; black outside the capture.
  DWORD At(int x, int y) const;
  const std::vector<DWORD>& Pixels() const { return pixels; }

 private:
  int width = 0;
  int height = 0;
  std::vector<DWORD> pixels;
};
