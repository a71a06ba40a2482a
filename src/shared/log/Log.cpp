#include "Log.h"

#include <windows.h>

#include "LogFile.h"

int Log::level = Log::kOff;

void Log::Start() {
  level = kOff;
  WCHAR value[4];
  // One character: longer values, empty ones and a missing variable are off.
  if (GetEnvironmentVariableW(L"BRLVELT_LOG", value, 4) != 1) return;
  int asked = value[0] - L'0';
  if ((asked == kEvents || asked == kTyped) && LogFile::Locate()) level = asked;
}
