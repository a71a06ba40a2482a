#include "WindowCapture.h"

bool WindowCapture::Take(HWND window) {
  RECT client;
  if (!window || !GetClientRect(window, &client)) return false;
  width = client.right;
  height = client.bottom;
  HDC screen = GetDC(window);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = bitmap != nullptr;
  if (ok) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    ok = BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY) != 0;
    GdiFlush();
    const DWORD* first = static_cast<const DWORD*>(bits);
    pixels.assign(first, first + static_cast<size_t>(width) * height);
    SelectObject(memory, old);
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(window, screen);
  return ok;
}

DWORD WindowCapture::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return 0;
  return pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFF;
}
