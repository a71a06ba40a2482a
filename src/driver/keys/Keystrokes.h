// Key events into Windows' input stream: a character's key with the modifiers
// its shift state asks for, Unicode input, and the display's virtual keys.
#pragma once

#include "KeyboardLayout.h"

class Keystrokes {
 public:
  explicit Keystrokes(const ModifierScans& modifiers) : modifiers(modifiers) {}

  // Modifiers down, then the key; or the Unicode key-down. Shift, Ctrl, Alt in
  // that order, except for Shift+AltGr: Ctrl and Alt first, then Shift, so that
  // Ctrl+Shift and Alt+Shift, the usual input-language hotkeys, are never held
  // alone.
  void Press(const Stroke& stroke);
  // The key up, then the modifiers in reverse order; or the Unicode key-up.
  void Release(const Stroke& stroke);
  // A virtual key from the display, as it is, without modifiers; the keys of the
  // extended block (arrows, Home, Delete, right Ctrl and Alt...) marked extended,
  // so that they are not read as their numeric-keypad twins.
  static void VirtualKey(BYTE vk, bool up);

 private:
  void Shift(BYTE shiftState, DWORD flags);
  void AltGr(BYTE shiftState, DWORD flags);
  static bool ShiftAfterAltGr(BYTE shiftState) { return (shiftState & 7) == 7; }
  static void KeyEvent(BYTE vk, BYTE scan, DWORD flags);
  static void UnicodeEvent(WCHAR ch, DWORD flags);
  static bool IsExtended(BYTE vk);

  ModifierScans modifiers;
};
