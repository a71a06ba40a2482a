// A wait of the host's thread on the bridge's end: for one of a few handles,
// until a deadline, handling meanwhile the messages other threads send to this
// thread's windows (posted ones wait for the host's own loop), so that a
// thread that sends to the host's thread is never held by the bridge.
#pragma once

#include <windows.h>

class HostWait {
 public:
  // A deadline that never passes: INFINITE.
  static const ULONGLONG kNever = ~0ULL;

  // What WaitForMultipleObjects gives for the handles (any one of them), or
  // WAIT_TIMEOUT once the deadline (a GetTickCount64 time) passed.
  static DWORD Until(DWORD count, const HANDLE* handles, ULONGLONG deadline);
  // Milliseconds from now to the deadline, for a Win32 wait.
  static DWORD Remaining(ULONGLONG deadline);
};
