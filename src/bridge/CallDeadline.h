// The deadline of one export call, as a GetTickCount64 time: from the moment
// the call got in, extended by the time spent in the host's callback and in a
// message box, which the helper does not control. Calls made from them have
// deadlines of their own.
#pragma once

#include <windows.h>

class CallDeadline {
 public:
  // Deadlines of a whole call: one that starts a helper, one that may open the
  // display, any other.
  static const DWORD kStartMs = 20000;
  static const DWORD kOpenMs = 10000;
  static const DWORD kCallMs = 3000;

  explicit CallDeadline(DWORD ms) : start(GetTickCount64()), at(start + ms) {}

  // Allows the whole call ms from its start, when that is later.
  void Widen(DWORD ms) {
    if (start + ms > at) at = start + ms;
  }
  // Leaves out the host's time since since (a GetTickCount64 time).
  void Exclude(ULONGLONG since) { at += GetTickCount64() - since; }
  ULONGLONG At() const { return at; }

 private:
  ULONGLONG start;
  ULONGLONG at;
};
