// The keyboard's lock state as the driver reads it: the one place it reads Caps
// Lock.
#pragma once

#include <windows.h>

class KeyState {
 public:
  // Whether Caps Lock is on, from GetKeyState(VK_CAPITAL) on the thread that
  // calls the driver: the host's, whose key state follows the key messages it
  // reads, the host's own view of the keyboard. The foreground window's thread is
  // not joined with AttachThreadInput to read its state: Windows documents that
  // the key state is reset by that call, and the focused application's would be
  // reset with it (Wine clears it, turning that application's Caps Lock off).
  static bool CapsLockOn();
};
