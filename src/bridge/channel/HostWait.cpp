#include "HostWait.h"

// A sent message wakes the wait; PeekMessage handles every sent message that is
// waiting, and removes no posted one. Past the deadline, one last look at the
// handles, so that a thread flooded with sent messages still gets its answer.
DWORD HostWait::Until(DWORD count, const HANDLE* handles, ULONGLONG deadline) {
  for (;;) {
    DWORD woke =
        MsgWaitForMultipleObjects(count, handles, FALSE, Remaining(deadline), QS_SENDMESSAGE);
    if (woke != WAIT_OBJECT_0 + count) return woke;
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    if (Remaining(deadline) == 0) return WaitForMultipleObjects(count, handles, FALSE, 0);
  }
}

DWORD HostWait::Remaining(ULONGLONG deadline) {
  if (deadline == kNever) return INFINITE;
  ULONGLONG now = GetTickCount64();
  if (now >= deadline) return 0;
  return deadline - now < INFINITE ? static_cast<DWORD>(deadline - now) : INFINITE - 1;
}
