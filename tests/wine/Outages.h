// The simulated display switched off and on, and unplugged and plugged in,
// while the host only polls every 50 ms, as a screen reader's timer does:
// played in-process and through the bridge, driver being either.
#pragma once

#include <string>
#include <vector>

#include "../../src/shared/loader/DriverModule.h"
#include "Check.h"
#include "KeyRecorder.h"
#include "MessageBoxWatcher.h"
#include "SimFiles.h"

namespace outages {

inline std::vector<unsigned> chords;

inline int __stdcall OnChord(int code, int) {
  chords.push_back(static_cast<unsigned>(code));
  return 0;
}

const unsigned char kRow[2] = {0x3F, 0x07};
const long kNever = 1000000;

// Polls for ms; When(what, after) is the first time, in ms after the first
// poll, from after on, that the display's log held what; kNever for never.
class Timeline {
 public:
  Timeline(DriverModule& driver, SimLog& log, long ms) {
    DWORD start = GetTickCount();
    for (long now = 0; now < ms; now = static_cast<long>(GetTickCount() - start)) {
      driver.Timer();
      KeyRecorder::Pump(50);
      std::string lines = log.Since();
      for (const KeyEvent& key : KeyRecorder::events()) {
        if (key.up && (key.vk == VK_SHIFT || key.vk == VK_LSHIFT)) lines += "Shift up\n";
      }
      steps.push_back({now, lines});
    }
  }
  long When(const char* what, long after = 0) const {
    for (const auto& step : steps) {
      if (step.first >= after && step.second.find(what) != std::string::npos) return step.first;
    }
    return kNever;
  }

 private:
  std::vector<std::pair<long, std::string>> steps;
};

inline void Open(DriverModule& driver, const char* script, const char* logName) {
  WriteKeys("outage-keys.txt", script);
  std::string settings = std::string("keys=outage-keys.txt;log=") + logName;
  CHECK_EQ(40, driver.Init(settings.c_str(), OnChord));
  CHECK_EQ(1, driver.Display(kRow, 2));
  chords.clear();
}

// Shift and display key 1 held as the display is switched off for 1.5 s:
// Shift let go at once, the row back within a second of the display
// answering, and key 2 pressed afterwards a chord of its own.
inline void PowerCycle(DriverModule& driver, const char* logName) {
  KeyRecorder recorder;
  MessageBoxWatcher watcher;
  SimLog log(logName);
  Open(driver, "0 2 0x02 0x10\n0 3 0x02 1\n500 power off\n1500 power on\n1500 3 0x03 2\n", logName);
  Timeline timeline(driver, log, 4500);
  long off = timeline.When("power off"), on = timeline.When("power on");
  long up = timeline.When("Shift up"), back = timeline.When("Affichage 3F07", on);
  printf(
      "  power cycle: Shift let go %ld ms after the display went off, row back %ld ms after "
      "it came on\n",
      up - off, back - on);
  CHECK(off < kNever && on < kNever && up < on);
  CHECK(back - on <= 1000);
  CHECK(chords == std::vector<unsigned>{0x80000002u});
  CHECK(MessageBoxWatcher::seen().empty());
  driver.Terminate();
}

// Unplugged for 3 s: the row back within 6 s of plugging in, no box. The
// display logs the plug going in at the driver's next call into it, maybe
// later: plugging in is timed from the script.
inline void UnplugAndPlugIn(DriverModule& driver, const char* logName) {
  MessageBoxWatcher watcher;
  SimLog log(logName);
  Open(driver, "500 unplug\n3000 plug in\n", logName);
  Timeline timeline(driver, log, 12000);
  long in = timeline.When("unplugged") + 3000;
  long back = timeline.When("Affichage 3F07", in);
  printf("  unplugged for 3 s: row back %ld ms after plugging in\n", back - in);
  CHECK(in < kNever && back - in <= 6000);
  CHECK(timeline.When("plugged in", in) < kNever);
  CHECK(MessageBoxWatcher::seen().empty());
  driver.Terminate();
}

}  // namespace outages
