// A Windows keyboard layout, asked which key types a character.
#pragma once

#include <windows.h>

class KeyboardLayout {
 public:
  // The layout of the thread that owns the foreground window, since that is where
  // keystrokes land; the calling thread's layout when no window has the focus.
  static KeyboardLayout Foreground();

  explicit KeyboardLayout(HKL handle) : handle(handle) {}

  // VkKeyScan's answer: virtual key in the low byte, shift state in the high byte;
  // -1 when the layout cannot produce the character.
  SHORT KeyFor(unsigned char ch) const;
  BYTE ScanCode(BYTE vk) const;
  // True when ch is produced by a dead key, which combines with the next letter.
  bool IsDeadKey(unsigned char ch) const;
  HKL Handle() const { return handle; }

 private:
  HKL handle;
};
