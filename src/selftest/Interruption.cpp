#include "Interruption.h"

namespace {

const LONG kNone = -1;
volatile LONG requested = kNone;
HANDLE restored = nullptr;

}  // namespace

void Interruption::Install() {
  restored = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

const char* Interruption::Reason() {
  switch (InterlockedCompareExchange(&requested, kNone, kNone)) {
    case kNone:
      return nullptr;
    case CTRL_C_EVENT:
      return "stopped: Ctrl+C was pressed";
    case CTRL_BREAK_EVENT:
      return "stopped: Ctrl+Break was pressed";
    default:
      return "stopped: the console was closed";
  }
}

void Interruption::Restored() {
  if (restored) SetEvent(restored);
}

// Runs on a thread of its own. Windows ends the process once this returns from a
// console being closed (after 5 s at most), so it waits for the restore first.
BOOL WINAPI Interruption::OnConsoleEvent(DWORD event) {
  InterlockedExchange(&requested, static_cast<LONG>(event));
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) WaitForSingleObject(restored, 4000);
  return TRUE;
}
