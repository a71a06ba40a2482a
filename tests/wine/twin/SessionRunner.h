// Plays sessions against the brlvelt.dll beside this program, whichever it is
// (the driver, or the bridge with its helper), and writes what the host saw to
// a transcript. Each session loads the DLL, runs in a work folder of its own
// kind (work-present, work-absent, work-nolength: the device library is found
// in the current folder), and unloads it again; then the helper the bridge
// started has ended and the device library is released, so that every session
// starts as a new host process would.
#pragma once

#include <windows.h>

#include "../../../src/shared/loader/DriverModule.h"
#include "DeviceLog.h"
#include "HostEpisode.h"
#include "SessionPlan.h"
#include "Transcript.h"

class SessionRunner {
 public:
  SessionRunner(const wchar_t* folder, Transcript* transcript);
  void Run(const SessionPlan& plan);

  // For the session's episodes (HostEpisode): one call and its result, its
  // description, the transcript, the driver, the device's log.
  int Invoke(const Step& step);
  void Describe(const Step& step, char* text, size_t size) const {
    Describe(step, *plan, text, size);
  }
  DriverModule& Driver() { return driver; }
  Transcript& Out() { return *transcript; }
  DeviceLog& Log() { return log; }

 private:
  void Prepare(const SessionPlan& plan);
  void Finish(const SessionPlan& plan);
  void Perform(const Step& step);
  int Drain();
  static void Describe(const Step& step, const SessionPlan& plan, char* text, size_t size);
  static int __stdcall OnChord(int code, int param);
  static void WaitForHelpers();
  static void ReleaseDeviceLibrary();

  static SessionRunner* current;
  wchar_t folder[MAX_PATH] = {};
  Transcript* transcript;
  const SessionPlan* plan = nullptr;
  DriverModule driver;
  DeviceLog log;
  size_t chords = 0;
  HostEpisode* episode = nullptr;  // the one being played
};
