#include "CallGate.h"

#include "../channel/HostWait.h"

CallGate::~CallGate() {
  if (mutex) CloseHandle(mutex);
  if (boxShown) CloseHandle(boxShown);
}

// A mutex whose owner ended is taken all the same: its thread died inside a
// call, whose count and box are forgotten. The thread that owns the mutex
// finds it signalled first, so a box never keeps out its own calls.
CallGate::Entry::Entry(CallGate& gate, ULONGLONG deadline) : gate(gate) {
  HANDLE handles[] = {gate.mutex, gate.boxShown};
  DWORD woke = gate.mutex && gate.boxShown ? HostWait::Until(2, handles, deadline) : WAIT_FAILED;
  abandoned = woke == WAIT_ABANDONED_0;
  taken = woke == WAIT_OBJECT_0 || abandoned;
  if (abandoned) gate.Forget();
  if (!taken || (gate.depth > 0 && !gate.hostCode) || gate.depth >= kDeepest) return;
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

void CallGate::Forget() {
  depth = 0;
  hostCode = false;
  boxes = 0;
  ResetEvent(boxShown);
}

CallGate::Box::Box(CallGate& gate) : host(gate), gate(gate) {
  if (gate.boxes++ == 0) SetEvent(gate.boxShown);
}

CallGate::Box::~Box() {
  if (--gate.boxes == 0) ResetEvent(gate.boxShown);
}
