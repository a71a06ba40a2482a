// What a report needs to know about the Windows it ran on, each read with a
// documented call that compatibility settings cannot falsify.
#pragma once

#include <windows.h>

#include <string>

class SystemFacts {
 public:
  // "Windows 10.0.19045", with Wine's version when it runs under Wine.
  static std::string WindowsVersion();
  // Whether Shift turns Caps Lock off: the user's KLF_SHIFTLOCK attribute, as a
  // sentence with the registry value it comes from.
  static std::string ShiftLockSetting();
  // The same, as the KLF_SHIFTLOCK bit alone.
  static bool ShiftTurnsCapsLockOff();
  static bool UnderWine();

 private:
  // HKCU\Keyboard Layout\Attributes, false when it is not set.
  static bool KeyboardAttributes(DWORD* attributes);
};
