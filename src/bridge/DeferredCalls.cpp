#include "DeferredCalls.h"

DeferredCalls::Kept DeferredCalls::Keep(const DeferredCall& call) {
  EnterCriticalSection(&lock);
  Kept kept = Kept::kDropped;
  DeferredCall& last = calls[(first + count + kMost - 1) % kMost];
  if (count < kMost) {
    calls[(first + count++) % kMost] = call;
    kept = Kept::kAdded;
  } else if (ChangesRow(call.kind) && ChangesRow(last.kind)) {
    last = call;
    kept = Kept::kReplaced;
  }
  LeaveCriticalSection(&lock);
  return kept;
}

bool DeferredCalls::Take(DeferredCall* call) {
  EnterCriticalSection(&lock);
  bool taken = count > 0;
  if (taken) {
    *call = calls[first];
    first = (first + 1) % kMost;
    --count;
  }
  LeaveCriticalSection(&lock);
  return taken;
}
