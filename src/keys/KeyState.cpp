#include "KeyState.h"

bool KeyState::CapsLockOn() {
  HWND window = GetForegroundWindow();
  DWORD focused = window ? GetWindowThreadProcessId(window, nullptr) : 0;
  DWORD self = GetCurrentThreadId();
  // A thread cannot attach to itself: its own state is then the focused one.
  bool joined = focused && focused != self && AttachThreadInput(self, focused, TRUE);
  bool on = GetKeyState(VK_CAPITAL) & 1;
  if (joined) AttachThreadInput(self, focused, FALSE);
  return on;
}
