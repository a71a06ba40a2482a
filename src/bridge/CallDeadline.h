// The deadline of one export call, as a GetTickCount64 time: from the moment
// the call got in, extended by the time spent in the host's callback and in the
// call's one message box, which the helper does not control. The helper's time
// in calls the callback makes is the helper's, and counts; in calls made while
// the box is up (the host's timer), it does not.
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
  // Leaves out the host's time since since (a GetTickCount64 time): all of it
  // but helperMs, the helper's own time in calls nested meanwhile.
  void Exclude(ULONGLONG since, ULONGLONG helperMs) {
    ULONGLONG spent = GetTickCount64() - since;
    ULONGLONG host = spent > helperMs ? spent - helperMs : 0;
    at += host;
    excluded += host;
  }
  // The time charged to the helper so far.
  ULONGLONG HelperMs() const { return GetTickCount64() - start - excluded; }
  ULONGLONG At() const { return at; }
  // True the first time only: a call shows at most one message box, as the
  // driver does, so that boxes cannot keep it busy without end.
  bool TakeBox() {
    bool first = !boxShown;
    boxShown = true;
    return first;
  }

 private:
  ULONGLONG start;
  ULONGLONG at;
  ULONGLONG excluded = 0;
  bool boxShown = false;
};
