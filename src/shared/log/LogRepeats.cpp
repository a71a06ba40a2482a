#include "LogRepeats.h"

#include "LogLine.h"

void LogRepeats::Add(long value) {
  if (count++ == 0) LogLine().Text(kind).Text(" ").Number(value);
}

void LogRepeats::End() {
  if (count > 1) {
    LogLine().Text(kind).Text(": ").Number(static_cast<long>(count - 1)).Text(" more times");
  }
  count = 0;
}
