// What one call works within: a deadline, as a GetTickCount64 time, from the
// moment the call got in, and one message box, as the driver shows at most one.
// Time in the host's callback and in the box is the host's and the user's: it
// does not count. Every call has its own, kept calls carried out included.
#pragma once

#include <windows.h>

class CallBudget {
 public:
  explicit CallBudget(DWORD ms) : start(GetTickCount64()), at(start + ms) {}

  // Allows the whole call ms from its start, when that is later.
  void Widen(DWORD ms) {
    if (start + ms > at) at = start + ms;
  }
  // Leaves out the host's time since since (a GetTickCount64 time).
  void Exclude(ULONGLONG since) { at += GetTickCount64() - since; }
  ULONGLONG Deadline() const { return at; }
  bool Late() const { return GetTickCount64() >= at; }
  // True the first time only.
  bool TakeBox() {
    bool first = !boxTaken;
    boxTaken = true;
    return first;
  }

 private:
  ULONGLONG start;
  ULONGLONG at;
  bool boxTaken = false;
};
