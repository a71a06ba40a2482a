#include "SelfTest.h"

#include <stdio.h>

#include "Interruption.h"

int SelfTest::Run() {
  report.PrintHeader(commandLine.Bridge(), sample);
  if (!Prepare() || !Start()) {
    // Once its window exists, the user's state may have changed.
    if (window.Frame()) {
      PutBack();
    } else {
      Discard();
    }
    return 2;
  }
  bool allRight = TypeOnEveryLayout();
  std::string notRestored = PutBack();
  report.PrintFooter(Verdict(allRight), notRestored, allRight);
  return allRight && notRestored.empty() ? 0 : 1;
}

// The files found, the driver loaded, the layouts listed and the key script
// written; false, with the reason printed.
bool SelfTest::Prepare() {
  return files.Find(commandLine.Bridge()) && LoadDriver() &&
         layouts.Collect(commandLine.KlidCount(), commandLine.Klids()) && files.WriteScript(sample);
}

bool SelfTest::LoadDriver() {
  if (driver.Load(files.Driver().c_str())) return true;
  printf("Could not load %ls with its eight exports.\n", files.Driver().c_str());
  return false;
}

// The window in front and the driver's thread started; false, with the reason
// printed.
bool SelfTest::Start() {
  Interruption::Install();
  saved.SaveForeground();
  if (!window.Create()) {
    printf("Could not create the self-test's window.\n");
    return false;
  }
  // In front, with the activation's messages handled, this thread's key state
  // is the keyboard's.
  window.BringToFront();
  window.Pump(100);
  saved.SaveCapsLock();
  // One driver thread for the whole run, as a screen reader has.
  if (worker.Start()) return true;
  printf("Could not start the driver's thread.\n");
  return false;
}

// True only if every layout in both states was typed and arrived right.
bool SelfTest::TypeOnEveryLayout() {
  bool allRight = true;
  TypingRun run(worker, window, sample);
  for (Layout& layout : layouts.All()) {
    for (bool capsLock : {false, true}) {
      if (!verdict.empty()) return false;
      Outcome outcome = run.Run(layout, capsLock);
      report.PrintLine(layout, capsLock, outcome.text);
      allRight = allRight && outcome.kind == Outcome::kRight;
      StopOn(outcome);
    }
  }
  return allRight;
}

// The first run that was stopped ends them all; one stuck in the driver also
// keeps the driver loaded.
void SelfTest::StopOn(const Outcome& outcome) {
  if (outcome.kind != Outcome::kStopped && outcome.kind != Outcome::kStuck) return;
  verdict = outcome.text;
  if (outcome.kind != Outcome::kStuck) return;
  stuck = true;
  KeepDriverLoaded();
}

// A thread still inside the driver: the driver stays loaded until the process ends.
void SelfTest::KeepDriverLoaded() const {
  HMODULE pinned;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                     reinterpret_cast<LPCWSTR>(driver.Module()), &pinned);
}

// The user's state first: a console being closed leaves only seconds, and
// unloading the bridge may take some of them. Empty when all is back.
std::string SelfTest::PutBack() {
  std::string notRestored = saved.Restore(window);
  layouts.UnloadAdded();
  Interruption::Restored();
  driver.Unload();
  files.RemoveScript();
  return notRestored;
}

// What a run that could not start leaves behind: layouts it loaded, the driver,
// the key script.
void SelfTest::Discard() {
  layouts.UnloadAdded();
  driver.Unload();
  files.RemoveScript();
}

// Why the run stopped, or whether everything arrived right.
const std::string& SelfTest::Verdict(bool allRight) {
  if (verdict.empty()) {
    verdict = allRight ? "everything typed arrived right"
                       : "not all arrived right, or not all could be checked (above)";
  }
  return verdict;
}
