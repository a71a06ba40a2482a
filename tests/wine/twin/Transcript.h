// What a host saw of its driver, line by line: each call, what happened inside
// it (keystrokes, message boxes, chords, nested calls) indented beneath it, its
// result, and the device library's log. Safe to add to from any thread.
#pragma once

#include <stdio.h>
#include <windows.h>

#include <string>

class Transcript {
 public:
  Transcript();
  ~Transcript();
  Transcript(const Transcript&) = delete;
  Transcript& operator=(const Transcript&) = delete;

  void Line(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Lines added from now on sit one level deeper, until Leave.
  void Enter() { ++depth; }
  void Leave() { --depth; }
  // Writes the lines so far to the file and forgets them.
  void WriteTo(FILE* file);

 private:
  CRITICAL_SECTION lock;
  std::string text;
  int depth = 0;
};
