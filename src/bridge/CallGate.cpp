#include "CallGate.h"

#include "../channel/HostWait.h"

CallGate::~CallGate() {
  if (mutex) CloseHandle(mutex);
}

// A mutex whose owner ended is taken all the same: its call is over.
CallGate::Entry::Entry(CallGate& gate, ULONGLONG deadline) : gate(gate) {
  DWORD woke = gate.mutex ? HostWait::Until(1, &gate.mutex, deadline) : WAIT_FAILED;
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
