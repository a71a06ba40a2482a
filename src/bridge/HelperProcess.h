// The helper process of one session: found in the folder beside the bridge's
// own file, started with the name of a fresh private pipe which it opens, and
// bound to the host by a job object, so that it never outlives it.
#pragma once

#include <windows.h>

#include "../shared/facts/InstalledFiles.h"
#include "channel/Channel.h"

class HelperProcess {
 public:
  static const int kPathSize = MAX_PATH * 4;
  static const int kStartTries = 3;  // attempts to start the helper process
  static const DWORD kRetryMs = 50;
  static const DWORD kEndMs = 1000;     // for an ended helper to be gone
  static const DWORD kUnloadMs = 1000;  // for the helper to be gone at unload, in all

  HelperProcess();
  ~HelperProcess();
  HelperProcess(const HelperProcess&) = delete;
  HelperProcess& operator=(const HelperProcess&) = delete;

  enum class Started { kYes, kCannotRun, kNoChannel };
  // kCannotRun when the helper is missing or cannot start (Path() names it),
  // kNoChannel when its pipe could not be made.
  Started Start();
  // Waits until the helper opened the pipe, and checks it was the helper that
  // did; false when it ended first, or the deadline passed.
  bool Connect(ULONGLONG deadline);
  // Closes the pipe, gives the helper graceMs to end by itself, then ends it;
  // the host's thread handles sent messages meanwhile.
  void Stop(DWORD graceMs) { Finish(graceMs, kEndMs, true); }
  // The same at unload, under the loader lock: no message is handled, and
  // the waits take kUnloadMs in all.
  void StopAtUnload() { Finish(kUnloadMs / 2, kUnloadMs / 2, false); }
  bool Running() const { return channel.IsOpen(); }
  // Changes with every start: an exchange tells its helper from a later one.
  int Generation() const { return generation; }
  // False once the process ended, or when none runs.
  bool Alive() const;
  Channel& Pipe() { return channel; }
  const wchar_t* Path() const { return path; }

 private:
  void Finish(DWORD graceMs, DWORD endMs, bool handleMessages);
  bool Locate();
  bool OpenPipe(wchar_t* name, int size);
  bool Launch(const wchar_t* pipeName);
  void BindToHost(HANDLE started);
  void LogStart(Started started, DWORD error) const;
  static void LogEnd(HANDLE ending, bool ended);

  Channel channel;
  HANDLE process = nullptr;
  HANDLE job = nullptr;
  int generation = 0;
  wchar_t path[kPathSize] = {};
};
