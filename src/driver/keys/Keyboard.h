// What the display types into Windows, on the layout of the application that has
// the focus: its characters, its virtual keys, and the release of everything it
// still holds when it goes away.
#pragma once

#include <windows.h>

class Keyboard {
 public:
  // Types a character from the display: down 1 presses, anything else releases.
  // Accented letters go through their accent's dead key where the layout has it.
  static void TypeCharacter(unsigned char ch, int down);
  // A virtual key from the display, pressed or released as it is, without modifiers.
  static void PressVirtualKey(BYTE vk);
  static void ReleaseVirtualKey(BYTE vk);
  // The display went away: releases every character and virtual key it still
  // holds down, so that no key or modifier stays stuck in Windows, and forgets
  // the settings read for the session, read again at the next character.
  static void EndSession();
};
