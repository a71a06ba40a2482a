// While a run types, a low-level keyboard hook on the thread that owns the
// self-test's window lets no injected key event through unless that window is
// the foreground window: whatever the driver sends after another window took
// the focus is dropped there, before it reaches any application, except the
// release of a key pressed in the window. Once the driver's thread returned
// from its last call (Release) it drops nothing, so that other programs' injected keys (an
// on-screen keyboard's, a screen reader's) pass; removed when it goes out of scope.
#pragma once

#include <windows.h>

class InjectionGuard {
 public:
  // The thread creating it must keep handling messages while it exists.
  explicit InjectionGuard(HWND own);
  ~InjectionGuard();
  InjectionGuard(const InjectionGuard&) = delete;
  InjectionGuard& operator=(const InjectionGuard&) = delete;

  bool Installed() const { return hook != nullptr; }
  // The driver's thread returned: nothing is dropped from now on.
  static void Release();
  // For a driver thread that never returned and may still type: the hook drops
  // again, and stays until the process ends.
  void LeakUntilExit();
  // True once an injected key event was dropped.
  static bool Blocked();

 private:
  static LRESULT CALLBACK OnKey(int code, WPARAM wParam, LPARAM lParam);

  HHOOK hook = nullptr;
};
