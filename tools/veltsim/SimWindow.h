// The simulated display on screen: a top-level window on a thread of its own
// that shows the current row, one box per cell with its number under it and the
// raised dots drawn in the pattern of Unicode braille, and a status line with the
// last key event handed to the driver. Clicks on a cell press and release its
// routing key; keys typed while the window is in front go through WindowKeys.
// Two buttons under the status line, or F9 and F10, work the display's power
// switch and its cable.
// Keyboard input that another program injected (the driver's own keystrokes land
// in the focused window) is left alone, except events injected with the extra
// information kPersonMarker, which stand for a person typing (tests do this).
#pragma once

#include <windows.h>

#include "CellLayout.h"
#include "KeyQueue.h"
#include "PowerAndCable.h"
#include "WindowKeys.h"

class SimWindow {
 public:
  static constexpr wchar_t kClassName[] = L"VeltSimulatedDisplay";
  static const ULONG_PTR kPersonMarker = 0x56454C54;  // "VELT"
  static const int kStatusHeight = 24;
  static const int kControlsHeight = 32;
  static const int kPowerButton = 1;
  static const int kCableButton = 2;

  SimWindow(KeyQueue* queue, PowerAndCable* link) : queue(queue), keys(queue), link(link) {}
  // Opens the window for a display of cells cells; false when it cannot.
  bool Open(int cells);
  // Closes the window and waits for its thread to end.
  void Close();
  bool IsOpen() const { return thread != nullptr; }
  // Both may be called from any thread.
  void Show(const unsigned char* row);
  void SetStatus(const char* text);

 private:
  static DWORD WINAPI Run(void* self);
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK OnKey(int code, WPARAM wParam, LPARAM lParam);
  bool Create();
  void Paint(HDC dc);
  void PaintCell(HDC dc, int cell, unsigned char dots);
  void Click(LPARAM position, bool up);
  void AddControls(HMODULE module);
  void Control(int id);
  void LabelControls();

  KeyQueue* queue;
  WindowKeys keys;
  PowerAndCable* link;
  HANDLE thread = nullptr;
  HANDLE ready = nullptr;
  HWND window = nullptr;
  HHOOK hook = nullptr;
  int cellCount = 0;
  int pressedCell = -1;
  CRITICAL_SECTION lock;
  bool lockReady = false;
  unsigned char row[128] = {};
  char status[128] = {};
};
