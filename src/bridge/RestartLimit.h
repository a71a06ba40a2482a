// How often a session may start a fresh helper: kMost times in any kWindowMs.
#pragma once

#include <windows.h>

class RestartLimit {
 public:
  static const int kMost = 3;
  static const ULONGLONG kWindowMs = 60000;

  // True, and counted, when one more restart at now (GetTickCount64) is allowed.
  bool Allow(ULONGLONG now);
  void Reset() { count = 0; }

 private:
  ULONGLONG times[kMost] = {};
  int count = 0;
};
