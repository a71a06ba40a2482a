#include "DeviceLog.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>

void DeviceLog::Open(const std::string& name) {
  path = name;
  offset = 0;
  lines.clear();
  lastRow.clear();
}

int DeviceLog::Read() {
  FILE* file = fopen(path.c_str(), "rb");
  if (!file) return 0;
  std::string text;
  char buffer[4096];
  fseek(file, offset, SEEK_SET);
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
  fclose(file);
  int events = 0;
  size_t start = 0;
  // Whole lines only: the library may be writing the next one.
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    std::string line = text.substr(start, end - start);
    if (line.compare(0, 22, "LectureClavier -> 0 (x") == 0 || Dropped(line)) continue;
    if (line.compare(0, 15, "LectureClavier ") == 0) {
      ++events;
      size_t time = line.rfind(" @");
      if (time != std::string::npos) line.erase(time);
    }
    lines.push_back(line);
  }
  offset += static_cast<long>(start);
  return events;
}

// The watch asks at times set by the clock: its asks, the rows it sent again
// (a row the same as the row before it), and the fresh starts it made during
// an outage (as many as fit in the time) are left out. Rows shown, keys,
// results and the outages themselves stay; a display that went away forgot
// its row, so the row it is sent when back is kept.
bool DeviceLog::Dropped(const std::string& line) {
  if (line.compare(0, 16, "LongueurBarette ") == 0) return true;
  if (line == "power off" || line == "unplugged") lastRow.clear();
  if (outage && (line.compare(0, 15, "Initialisation ") == 0 || line == "Fermeture")) return true;
  if (line.compare(0, 10, "Affichage ") != 0) return false;
  bool again = line == lastRow;
  lastRow = line;
  return again;
}

// The key events first, then the other calls, each in their order: how the
// driver's polls divide the events, and so where a callback's calls fall
// among them, depends on the clock.
void DeviceLog::MoveTo(Transcript& transcript) {
  std::stable_partition(lines.begin(), lines.end(), [](const std::string& line) {
    return line.compare(0, 15, "LectureClavier ") == 0;
  });
  for (const std::string& line : lines) transcript.Line("log %s", line.c_str());
  lines.clear();
}
