// The simulated display switched off and on, and unplugged and plugged in,
// while a host does nothing but poll every 50 ms, as a screen reader's timer
// does: played from the host's side, in-process and through the bridge, with
// the driver (or bridge) already loaded in driver.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "../../src/shared/loader/DriverModule.h"
#include "Check.h"
#include "KeyRecorder.h"
#include "MessageBoxWatcher.h"
#include "SimFiles.h"

namespace outages {

inline std::vector<unsigned>& Chords() {
  static std::vector<unsigned> codes;
  return codes;
}

inline int __stdcall OnChord(int code, int) {
  Chords().push_back(static_cast<unsigned>(code));
  return 0;
}

const unsigned char kRow[2] = {0x3F, 0x07};
const char kRowShown[] = "Affichage 3F07";
const DWORD kNever = 0xFFFFFFFF;

// From one time to a later one, for printing; -1 where either never came.
inline long Between(DWORD from, DWORD to) {
  return from == kNever || to == kNever ? -1 : static_cast<long>(to - from);
}

// The simulated display's log as the host polled: each poll's lines with the
// time, in ms after the first poll, at which the host had read them.
class Timeline {
 public:
  Timeline(DriverModule& driver, SimLog& log, DWORD ms) {
    DWORD start = GetTickCount();
    for (DWORD now = 0; now < ms; now = GetTickCount() - start) {
      driver.Timer();
      KeyRecorder::Pump(50);
      steps.push_back({now, log.Since()});
      if (upAt == kNever && ShiftUp()) upAt = now;
    }
  }
  // When the log first held what, at or after the time after; kNever for never.
  DWORD When(const char* what, DWORD after = 0) const {
    for (const auto& step : steps) {
      if (step.first >= after && step.second.find(what) != std::string::npos) return step.first;
    }
    return kNever;
  }
  DWORD ShiftReleasedAt() const { return upAt; }

 private:
  static bool ShiftUp() {
    for (const KeyEvent& key : KeyRecorder::events()) {
      if (key.up && (key.vk == VK_SHIFT || key.vk == VK_LSHIFT)) return true;
    }
    return false;
  }

  std::vector<std::pair<DWORD, std::string>> steps;
  DWORD upAt = kNever;
};

// Shift and display key 1 held from the display as it is switched off for
// 1.5 s: Shift is let go at once, the row is back within a second of the
// display answering, and key 2 pressed afterwards is a chord of its own.
inline void PowerCycle(DriverModule& driver, const char* logName) {
  KeyRecorder recorder;
  MessageBoxWatcher watcher;
  SimLog log(logName);
  WriteKeys(
      "outage-power.txt",
      "0 2 0x02 0x10\n0 3 0x02 1\n500 power off\n1500 power on\n1500 3 0x02 2\n50 3 0x01 2\n");
  std::string settings = std::string("keys=outage-power.txt;log=") + logName;
  CHECK_EQ(40, driver.Init(settings.c_str(), OnChord));
  CHECK_EQ(1, driver.Display(kRow, 2));
  Chords().clear();
  Timeline timeline(driver, log, 4500);
  DWORD off = timeline.When("power off"), on = timeline.When("power on");
  DWORD back = timeline.When(kRowShown, on);
  printf(
      "  power cycle: Shift let go %lu ms after the power went off, row back %lu ms after it "
      "came on\n",
      timeline.ShiftReleasedAt() - off, back - on);
  CHECK(off != kNever && on != kNever);
  CHECK(timeline.ShiftReleasedAt() < on);
  CHECK(back != kNever && back - on <= 1000);
  CHECK(Chords() == std::vector<unsigned>{0x80000002u});
  CHECK(MessageBoxWatcher::seen().empty());
  driver.Terminate();
}

// Unplugged for 3 s: the row is back within 6 s of plugging in, no box shown.
// The display logs the plug going in at the driver's next call into it, which
// may come later: plugging in is timed from the script instead.
inline void UnplugAndPlugIn(DriverModule& driver, const char* logName) {
  MessageBoxWatcher watcher;
  SimLog log(logName);
  WriteKeys("outage-cable.txt", "500 unplug\n3000 plug in\n");
  std::string settings = std::string("keys=outage-cable.txt;log=") + logName;
  CHECK_EQ(40, driver.Init(settings.c_str(), OnChord));
  CHECK_EQ(1, driver.Display(kRow, 2));
  log.Since();
  Timeline timeline(driver, log, 12000);
  DWORD out = timeline.When("unplugged");
  DWORD in = out + 3000;
  DWORD back = timeline.When(kRowShown, in);
  printf("  unplugged for 3 s (-1: never): row back %ld ms after plugging in\n",
         Between(out == kNever ? kNever : in, back));
  CHECK(out != kNever && back != kNever && back - in <= 6000);
  CHECK(timeline.When("plugged in", in) != kNever);
  CHECK(MessageBoxWatcher::seen().empty());
  driver.Terminate();
}

}  // namespace outages
