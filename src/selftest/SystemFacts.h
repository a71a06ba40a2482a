// What a report needs to know about the Windows it ran on, each read with a
// documented call that compatibility settings cannot falsify.
#pragma once

#include <windows.h>

#include <string>

class SystemFacts {
 public:
  // "Windows 10.0.19045", with Wine's version when it runs under Wine, and how
  // the driver types there; both as the driver's own code reads them.
  static std::string WindowsVersion();
  // Whether Shift turns Caps Lock off, as the driver reads and acts on it.
  static std::string ShiftLockSetting();
  static bool UnderWine();
};
