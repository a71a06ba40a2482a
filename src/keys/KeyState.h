// The keyboard's lock state as the application that has the focus sees it: the
// one place the driver reads Caps Lock.
#pragma once

#include <windows.h>

class KeyState {
 public:
  // Whether Caps Lock is on. A thread's key state changes only as that thread
  // reads key messages, so the calling thread's own state is stale unless it has
  // the focus; threads joined by AttachThreadInput share one state. The calling
  // thread joins the foreground window's thread, reads GetKeyState(VK_CAPITAL)
  // and leaves again at once. Joined threads wait on each other where they read
  // or send messages; nothing in between does, so a hung foreground application
  // cannot hold the caller. Where joining fails (the caller's own window has the
  // focus, no window has it, it is on another desktop, a journal hook is set),
  // the caller's own state is read.
  static bool CapsLockOn();
};
