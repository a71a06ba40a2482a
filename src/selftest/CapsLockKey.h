// Caps Lock toggled as a person does it, by a press of its key, or of Shift to
// turn it off where the user's setting has Shift do that. A press of Caps Lock
// or Shift alone types nothing. Caps Lock is read as the driver reads it.
#pragma once

#include <windows.h>

#include "TypingWindow.h"

class CapsLockKey {
 public:
  explicit CapsLockKey(TypingWindow& window) : window(window) {}

  // Presses the key when Caps Lock is not as asked, only while the window's edit
  // control has the focus; true once this thread sees it as asked.
  bool Set(bool on);
  // The same press with another window in front, unconfirmed: this thread no
  // longer reads the keys.
  static bool Press(bool on);
  // The key that turns Caps Lock on or off: VK_CAPITAL, or VK_SHIFT to turn it
  // off where the user's setting has Shift do that.
  static BYTE KeyTo(bool on);

 private:
  static bool PressKey(BYTE vk);

  TypingWindow& window;
};
