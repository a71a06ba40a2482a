// brlvelt-selftest: types through the real driver (or the bridge and its helper)
// into a window of its own on each keyboard layout, Caps Lock off and on, and
// prints what arrived in a form a person can send back. The driver is fed by the
// simulated VELT.DLL from a key script, so no display is needed. This class runs
// the steps in order and puts the user's state back.
#pragma once

#include <string>

#include "../shared/loader/DriverModule.h"
#include "CommandLine.h"
#include "DriverThread.h"
#include "LayoutList.h"
#include "SavedInput.h"
#include "SelfTestFiles.h"
#include "SelfTestReport.h"
#include "TypingRun.h"
#include "TypingSample.h"
#include "TypingWindow.h"

class SelfTest {
 public:
  // False, with the usage printed, for a command line it does not understand.
  bool Configure(int argc, char** argv) { return commandLine.Parse(argc, argv); }
  // Every layout in both Caps Lock states, then the report's footer; the exit
  // code: 0 only if everything arrived right and the user's state is back.
  int Run();
  // A thread of the driver's never returned: the process must end now, before
  // that thread could type into whatever window is in front.
  bool Stuck() const { return stuck; }

 private:
  bool Prepare();
  bool LoadDriver();
  bool Start();
  bool TypeOnEveryLayout();
  void StopOn(const Outcome& outcome);
  void KeepDriverLoaded() const;
  std::string PutBack();
  void Discard();
  const std::string& Verdict(bool allRight);

  CommandLine commandLine;
  SelfTestFiles files;
  SelfTestReport report;
  DriverModule driver;
  DriverThread worker{driver, SelfTestFiles::kSettings};
  TypingWindow window;
  SavedInput saved;
  LayoutList layouts;
  TypingSample sample;
  std::string verdict;
  bool stuck = false;
};
