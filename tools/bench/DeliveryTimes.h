// When the simulated display handed out each key event of one packet type, read
// from its call log: milliseconds on the performance counter.
#pragma once

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include <vector>

inline std::vector<double> DeliveryTimes(const char* log, int packetType,
                                         const LARGE_INTEGER& frequency) {
  char prefix[32];
  int length = snprintf(prefix, sizeof prefix, "LectureClavier -> %d ", packetType);
  std::vector<double> times;
  FILE* file = fopen(log, "rb");
  char line[512];
  while (file && fgets(line, sizeof line, file)) {
    const char* at = strchr(line, '@');
    if (strncmp(line, prefix, length) == 0 && at) {
      times.push_back(1000.0 * _atoi64(at + 1) / frequency.QuadPart);
    }
  }
  if (file) fclose(file);
  return times;
}
