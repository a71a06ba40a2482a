// What the self-test prints, in a form a person can send back: the header, a
// line per layout and Caps Lock state, and the footer with the Windows it ran
// on, how long it took and the result.
#pragma once

#include <windows.h>

#include <string>

#include "LayoutList.h"
#include "TypingSample.h"

class SelfTestReport {
 public:
  // Starts the time the footer gives.
  void PrintHeader(bool bridge, const TypingSample& sample);
  void PrintLine(const Layout& layout, bool capsLock, const std::string& text) const;
  // notRestored: what could not be put back, empty when all was.
  void PrintFooter(const std::string& verdict, const std::string& notRestored, bool allRight) const;

 private:
  DWORD start = 0;
};
