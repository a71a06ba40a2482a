// What a person's keys mean on the simulated display's window: F1-F8 are the
// display's keys 1-8 (type 3, press and release as they happen, so holding one
// and pressing another makes a chord); the arrows, Enter, Backspace and Tab are
// virtual keys (type 2); any other key that types a character on the window's
// keyboard layout sends that character in the ANSI code page (type 1, pressed
// and released).
#pragma once

#include "KeyQueue.h"

class WindowKeys {
 public:
  explicit WindowKeys(KeyQueue* queue) : queue(queue) {}
  // One key event; true when it was the display's (and should go no further).
  bool Key(DWORD vk, DWORD scan, bool up);
  void Reset();

 private:
  bool Held(DWORD left, DWORD right) const { return down[left] || down[right]; }
  void Character(DWORD vk, DWORD scan);

  KeyQueue* queue;
  bool down[256] = {};
};
