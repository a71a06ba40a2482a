// brlvelt-selftest: types through the real driver (or the bridge and its helper)
// into a window of its own on each keyboard layout, Caps Lock off and on, and
// prints what arrived in a form a person can send back. The driver is fed by the
// simulated VELT.DLL from a key script, so no display is needed.
#pragma once

#include <string>

#include "../shared/loader/DriverModule.h"
#include "DriverThread.h"
#include "LayoutList.h"
#include "SavedInput.h"
#include "TypingSample.h"
#include "TypingWindow.h"

class SelfTest {
 public:
  // False, with the usage printed, for a command line it does not understand.
  bool Configure(int argc, char** argv);
  // Every layout in both Caps Lock states, then the report's footer; the exit
  // code: 0 only if everything arrived right and the user's state is back.
  int Run();
  // A thread of the driver's never returned: the process must end now, before
  // that thread could type into whatever window is in front.
  bool Stuck() const { return stuck; }

 private:
  void PrintHeader() const;
  bool FindFiles();
  bool WriteScript();
  bool CheckLayouts();
  bool TypeOnEveryLayout();
  void KeepDriverLoaded() const;
  std::string PutBack();
  void PrintLine(const Layout& layout, bool capsLock, const std::string& text) const;
  void PrintFooter(DWORD start, const std::string& notRestored, bool allRight) const;

  bool bridge = false;
  int klidCount = 0;
  char** klids = nullptr;
  std::wstring folder;
  std::wstring scriptFolder;
  DriverModule driver;
  DriverThread worker{driver, "keys=keys.txt"};
  TypingWindow window;
  SavedInput saved;
  LayoutList layouts;
  TypingSample sample;
  std::string verdict;
  bool stuck = false;
};
