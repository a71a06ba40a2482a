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
  // The key and shift state, as KeyFor answers, of the dead key that types
  // accent and combines it with the next letter; -1 when the layout has the
  // accent on no dead key.
  SHORT DeadKeyFor(unsigned char accent) const;
  // Whether that key, in that shift state, is a dead key; its accent, if asked.
  bool IsDeadKey(SHORT key, WCHAR* accent = nullptr) const;
  HKL Handle() const { return handle; }

 private:
  // Whether that key, in that shift state, is a dead key for accent.
  bool IsDeadKeyFor(SHORT key, WCHAR accent) const;

  HKL handle;
};
