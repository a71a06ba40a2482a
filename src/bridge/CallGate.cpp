#include "CallGate.h"

#include "../channel/HostWait.h"

CallGate::~CallGate() {
  if (mutex) CloseHandle(mutex);
  if (boxShown) CloseHandle(boxShown);
}

// A mutex whose owner ended is taken all the same: its call is over. The thread
// that owns it finds it signalled first, so a box never keeps out its own calls.
CallGate::Entry::Entry(CallGate& gate, ULONGLONG deadline) : gate(gate) {
  HANDLE handles[] = {gate.mutex, gate.boxShown};
  DWORD woke = gate.mutex && gate.boxShown ? HostWait::Until(2, handles, deadline) : WAIT_FAILED;
  taken = woke == WAIT_OBJECT_0 || woke == WAIT_ABANDONED_0;
  if (!taken || (gate.depth > 0 && !gate.hostCode)) return;
  admitted = true;
  underHostCode = gate.hostCode;
  gate.hostCode = false;
  ++gate.depth;
}

CallGate::Entry::~Entry() {
  if (admitted) {
    --gate.depth;
    gate.hostCode = underHostCode;
  }
  if (taken) ReleaseMutex(gate.mutex);
}

CallGate::Box::Box(CallGate& gate) : host(gate), gate(gate) {
  if (gate.boxes++ == 0) SetEvent(gate.boxShown);
}

CallGate::Box::~Box() {
  if (--gate.boxes == 0) ResetEvent(gate.boxShown);
}
