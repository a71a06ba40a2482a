// The self-test's own window and the focused edit control the driver types into.
// It is the only place the self-test lets keys go: while typing, the state says
// at once when the window was closed, Esc was pressed or the focus went.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class TypingWindow {
 public:
  // What the window saw while messages were handled.
  enum State { kWaiting, kEnded, kClosed, kCancelled, kFocusLost };

  // The virtual key that ends every key script: it reaches the edit control
  // after everything typed before it.
  static const BYTE kEndKey = VK_F24;

  TypingWindow() = default;
  ~TypingWindow();
  TypingWindow(const TypingWindow&) = delete;
  TypingWindow& operator=(const TypingWindow&) = delete;

  bool Create();
  // Makes the window the foreground window with the edit control focused.
  bool BringToFront();
  bool Focused() const;
  HWND Frame() const { return frame; }
  // Handles the messages waiting, then for ms milliseconds more, or until the
  // object given is signalled.
  State Pump(DWORD ms = 0, HANDLE until = nullptr);
  void Clear();
  std::wstring Text() const;
  // Each character the edit control received since Clear, with the virtual
  // key of the key-down before it: VK_PACKET for Unicode input.
  struct Arrival {
    WCHAR ch;
    WPARAM vk;
  };
  const std::vector<Arrival>& Arrivals() const { return arrivals; }

 private:
  static LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void HandleMessages();
  State Now() const;

  HWND frame = nullptr;
  HWND edit = nullptr;
  bool closed = false;
  bool cancelled = false;
  bool endKey = false;
  WPARAM lastDown = 0;
  std::vector<Arrival> arrivals;
};
