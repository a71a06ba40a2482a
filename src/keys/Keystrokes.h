// Key events into Windows' input stream: a character's key with the modifiers
// its shift state asks for, Unicode input, and the display's virtual keys.
#pragma once

#include "KeyboardLayout.h"

// One key with its VkKeyScan shift state (bit 0 Shift, 1 Ctrl, 2 Alt), or, when
// vk is 0, a Unicode code unit typed as such.
struct Stroke {
  BYTE vk;
  BYTE shiftState;
  WCHAR unicode;
};

class Keystrokes {
 public:
  explicit Keystrokes(const KeyboardLayout& layout) : layout(layout) {}

  // Modifiers down (Shift, Ctrl, Alt), then the key; or the Unicode key-down.
  void Press(const Stroke& stroke);
  // The key up, then the modifiers in reverse order; or the Unicode key-up.
  void Release(const Stroke& stroke);
  void PressKey(BYTE vk, int shift, int ctrl, int alt);
  void ReleaseKey(BYTE vk, int shift, int ctrl, int alt);
  // A virtual key from the display, as it is, without modifiers; the keys of the
  // extended block (arrows, Home, Delete, right Ctrl and Alt...) marked extended,
  // so that they are not read as their numeric-keypad twins.
  static void VirtualKey(BYTE vk, bool up);

 private:
  void KeyEvent(BYTE vk, DWORD flags);
  static void UnicodeEvent(WCHAR ch, DWORD flags);
  static bool IsExtended(BYTE vk);

  KeyboardLayout layout;
};
