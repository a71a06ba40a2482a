// The real driver DLL with the simulated VELT.DLL beside it, driven the way a
// screen reader drives it. Runs under a virtual X display so that message boxes
// appear and can be read. Usage: velt_e2e_test [main|nolength|absent]
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "../../src/shared/loader/DriverModule.h"
#include "Check.h"
#include "KeyRecorder.h"
#include "MessageBoxWatcher.h"
#include "Outages.h"
#include "RecordedChords.h"
#include "SimFiles.h"

namespace {

DriverModule driver;

bool SawBox(const char* text, const char* caption) {
  const std::vector<SeenMessageBox>& seen = MessageBoxWatcher::seen();
  for (const SeenMessageBox& box : seen) {
    printf("  message box \"%s\" / \"%s\"%s%s\n", box.text.c_str(), box.caption.c_str(),
           box.owned ? ", owned" : "", box.onlyOk ? "" : ", not only OK");
  }
  return seen.size() == 1 && seen[0].text == text && seen[0].caption == caption && !seen[0].owned &&
         seen[0].onlyOk;
}

void OpensA40CellDisplay() {
  SimLog log("e2e-open.log");
  CHECK_EQ(40, driver.Init("cells=40;log=e2e-open.log", OnChord));
  std::string calls = log.Since();
  CHECK(calls.find("Initialisation \"cells=40;log=e2e-open.log\" -> 1\n"
                   "LongueurBarette -> 40\n") != std::string::npos);
  CHECK_EQ(0, driver.Init("cells=40;log=e2e-open.log", OnChord));
  driver.Terminate();
  CHECK(log.Since() == "Fermeture\n");
  CHECK(GetModuleHandleA("VELT.DLL") == nullptr);
}

void FailingDisplaysShowTheirMessage(const char* settings, const char* text, const char* caption) {
  MessageBoxWatcher watcher;
  CHECK(watcher.Installed());
  CHECK_EQ(0, driver.Init(settings, OnChord));
  if (text) {
    CHECK(SawBox(text, caption));
  } else {
    CHECK(MessageBoxWatcher::seen().empty());
  }
  driver.Terminate();
  CHECK(GetModuleHandleA("VELT.DLL") == nullptr);
}

void SleepAndWakeReloadTheLibrary() {
  SimLog log("e2e-sleep.log");
  CHECK_EQ(40, driver.Init("log=e2e-sleep.log", OnChord));
  const unsigned char row[3] = {0x01, 0x03, 0x09};
  driver.Display(row, 3);
  log.Since();
  CHECK_EQ(1, driver.Sleep(1));
  std::string asleep = log.Since();
  CHECK(asleep.find("Affichage 000000") == 0);
  CHECK(asleep.find("Fermeture\n") != std::string::npos);
  CHECK(GetModuleHandleA("VELT.DLL") == nullptr);

  CHECK_EQ(1, driver.Sleep(0));
  std::string awake = log.Since();
  CHECK(awake.find("Initialisation \"log=e2e-sleep.log\" -> 1\nAffichage 000000") == 0);
  CHECK(awake.find("LongueurBarette") == std::string::npos);
  CHECK(GetModuleHandleA("VELT.DLL") != nullptr);
  driver.Terminate();
}

void RefreshResendsButDisplayDoesNot() {
  SimLog log("e2e-refresh.log");
  driver.Init("log=e2e-refresh.log", OnChord);
  const unsigned char row[2] = {0x3F, 0xFF};
  log.Since();
  driver.Display(row, 2);
  driver.Display(row, 2);
  CHECK_EQ(1, Count(log.Since(), "Affichage 3FFF00"));
  CHECK_EQ(1, driver.Refresh());
  CHECK_EQ(1, Count(log.Since(), "Affichage 3FFF00"));
  driver.Terminate();
}

void TwoEventsInOneTickArriveInOnePoll() {
  WriteKeys("e2e-keys.txt", "# two chords, due at once\n0 3 0x03 5\n0 3 0x03 6\n");
  CHECK_EQ(40, driver.Init("keys=e2e-keys.txt", OnChord));
  chords.clear();
  AlignToTick();
  driver.Timer();
  CHECK_EQ(4, chords.size());
  if (chords.size() == 4) {
    CHECK_EQ(0x80000005u, chords[0]);
    CHECK_EQ(0x80000006u, chords[2]);
  }
  driver.Terminate();
}

// Unloading the driver destroys its display object, which leaves the port alone:
// the library stays loaded and is not closed.
void UnloadLeavesThePortOpen() {
  SimLog log("e2e-unload.log");
  CHECK_EQ(40, driver.Init("log=e2e-unload.log", OnChord));
  log.Since();
  driver.Unload();
  CHECK(GetModuleHandleA("brlvelt.dll") == nullptr);
  CHECK(GetModuleHandleA("VELT.DLL") != nullptr);
  CHECK(log.Since().empty());
}

// Key files are UTF-8 text: a quoted '#' is a character, not a comment, a
// leading zero is still decimal, and a quoted é arrives as its ANSI byte.
void KeyFilesAreReadAsWritten() {
  SimLog log("e2e-script.log");
  WriteKeys("e2e-script.txt", "010 3 0x03 '#'  # display key 35\n0 3 0x03 '\xC3\xA9'\n");
  CHECK_EQ(40, driver.Init("keys=e2e-script.txt;log=e2e-script.log", nullptr));
  KeyRecorder::RunTimer([] { driver.Timer(); }, 200);
  std::string calls = log.Since();
  CHECK(calls.find("LectureClavier -> 3 03 23 @") != std::string::npos);
  CHECK(calls.find("LectureClavier -> 3 03 E9 @") != std::string::npos);
  driver.Terminate();
}

// Settings longer than the driver passes on come from a file the string names.
void SettingsComeFromAFile() {
  SimLog log("e2e-file.log");
  WriteKeys("e2e-settings.txt", "cells=20\r\nlog=e2e-file.log\n");
  CHECK_EQ(20, driver.Init("file=e2e-settings.txt", OnChord));
  CHECK(log.Since().find("Initialisation \"file=e2e-settings.txt\" -> 1\n") == 0);
  driver.Terminate();
}

void RunMain() {
  OpensA40CellDisplay();
  FailingDisplaysShowTheirMessage("cells=0", "Erreur de communication", "Erreur");
  FailingDisplaysShowTheirMessage("cells=-1", "Le terminal braille n'est pas allum\xE9", "Erreur");
  FailingDisplaysShowTheirMessage("init=fail", nullptr, nullptr);
  FailingDisplaysShowTheirMessage("cells=many", nullptr, nullptr);
  FailingDisplaysShowTheirMessage("log=no-such-folder/velt.log", nullptr, nullptr);
  FailingDisplaysShowTheirMessage("braille=no-such-folder/cells.txt", nullptr, nullptr);
  KeyFilesAreReadAsWritten();
  SettingsComeFromAFile();
  FailingDisplaysShowTheirMessage("file=no-such-settings.txt", nullptr, nullptr);
  SleepAndWakeReloadTheLibrary();
  RefreshResendsButDisplayDoesNot();
  TwoEventsInOneTickArriveInOnePoll();
  outages::PowerCycle(driver, "e2e-power.log");
  outages::UnplugAndPlugIn(driver, "e2e-cable.log");
  UnloadLeavesThePortOpen();
}

}  // namespace

int main(int argc, char** argv) {
  const char* mode = argc > 1 ? argv[1] : "main";
  CHECK(driver.Load(L"brlvelt.dll"));
  if (strcmp(mode, "main") == 0) {
    RunMain();
  } else {
    // No usable VELT.DLL beside this copy of the program: a missing library, or
    // one that lacks LongueurBarette.
    FailingDisplaysShowTheirMessage("cells=40", "Impossible de charger le fichier VELT.DLL",
                                    "Erreur de chargement");
  }
  driver.Unload();
  return check::Finish(mode);
}
