#include "RestartLimit.h"

bool RestartLimit::Allow(ULONGLONG now) {
  if (count == kMost) {
    if (now - times[0] < kWindowMs) return false;
    for (int i = 1; i < kMost; ++i) times[i - 1] = times[i];
    --count;
  }
  times[count++] = now;
  return true;
}
