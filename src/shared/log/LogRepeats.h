// Errors of one kind that may come at every call: the first of a run is
// logged, the others only counted, and the count is logged when the run ends,
// so a device library that answers oddly at every poll writes two lines, not
// thousands. Call only while Log::On().
#pragma once

class LogRepeats {
 public:
  // kind: what the error is, "LectureClavier answered"; the value follows it.
  explicit LogRepeats(const char* kind) : kind(kind) {}
  void Add(long value);
  // The run is over: how many came after the first, when any did.
  void End();

 private:
  const char* kind;
  unsigned long count = 0;
};
