// Types characters into Windows as synthetic keystrokes on the layout of the
// application that has the focus.
#pragma once

#include "KeyboardLayout.h"

// How one character is typed: a key with its VkKeyScan shift state, or, when the
// layout has no key for it (vk 0), a Unicode code unit.
struct Stroke {
  BYTE vk;
  BYTE shiftState;
  WCHAR unicode;
};

// What a press typed for one character, so that its release undoes exactly that.
struct TypedCharacter {
  HKL layout;
  int count;
  Stroke strokes[2];
};

class Keyboard {
 public:
  explicit Keyboard(const KeyboardLayout& layout) : layout(layout) {}

  // Types a character from the display: down 1 presses, anything else releases.
  // Accented letters go through their accent's dead key where the layout has it.
  static void TypeCharacter(unsigned char ch, int down);
  // A virtual key from the display, pressed or released as it is, without modifiers.
  static void PressVirtualKey(BYTE vk);
  static void ReleaseVirtualKey(BYTE vk);
  // Releases every character and virtual key the display still holds down, so
  // that no key or modifier stays stuck in Windows when the display goes away.
  static void ReleaseHeldKeys();

  void SendKey(BYTE vk, int down, int shift, int ctrl, int alt);
  void PressKey(BYTE vk, int shift, int ctrl, int alt);
  void ReleaseKey(BYTE vk, int shift, int ctrl, int alt);

 private:
  // How ch is typed on the foreground layout: its accent's dead key and the base
  // letter, or the character by its own key, or as Unicode input.
  static TypedCharacter Plan(unsigned char ch);
  // Presses (down 1) or releases each stroke in order.
  static void Send(const TypedCharacter& typed, int down);
  static bool Same(const TypedCharacter& a, const TypedCharacter& b);

  static Stroke StrokeOf(SHORT key);
  Stroke StrokeFor(unsigned char ch) const;
  void SendStroke(const Stroke& stroke, int down);
  void KeyEvent(BYTE vk, DWORD flags);
  static void UnicodeEvent(WCHAR ch, DWORD flags);
  static void VirtualKeyEvent(BYTE vk, DWORD flags);

  KeyboardLayout layout;
};
