// The deadline of one export call, as a GetTickCount64 time: from the call's
// start, extended by the time spent in the host's callback and in message
// boxes, which the helper does not control.
#pragma once

#include <windows.h>

class CallDeadline {
 public:
  explicit CallDeadline(DWORD ms) : start(GetTickCount64()), at(start + ms) {}

  // Allows the whole call ms from its start, when that is later.
  void Widen(DWORD ms) {
    if (start + ms > at) at = start + ms;
  }
  // Leaves out time spent since since (a GetTickCount64 time).
  void Exclude(ULONGLONG since) { at += GetTickCount64() - since; }
  ULONGLONG At() const { return at; }

 private:
  ULONGLONG start;
  ULONGLONG at;
};
