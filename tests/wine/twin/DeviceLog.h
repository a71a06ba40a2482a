// The simulated display's call log as a twin compares it: read as it grows,
// without what depends on the clock (the count of empty polls, the time of each
// key event, where the events fall among other calls, and what the driver's
// display watch did when it asked), and counting the key events delivered.
#pragma once

#include <string>
#include <vector>

#include "Transcript.h"

class DeviceLog {
 public:
  // Follows a new file, from its start.
  void Open(const std::string& path);
  // Takes in what the library wrote since the last call; returns how many key
  // events (results other than 0) it delivered in that time.
  int Read();
  // Adds the lines taken in so far to the transcript.
  void MoveTo(Transcript& transcript);
  // Whether an outage episode is being played.
  void Outage(bool playing) { outage = playing; }

 private:
  bool Dropped(const std::string& line);

  std::string path;
  long offset = 0;
  std::vector<std::string> lines;
  std::string lastRow;
  bool outage = false;
};
