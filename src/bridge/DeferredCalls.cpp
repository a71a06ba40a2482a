#include "DeferredCalls.h"

DeferredCalls::Kept DeferredCalls::Keep(const DeferredCall& call) {
  EnterCriticalSection(&lock);
  Kept kept = count < kMost ? Kept::kAdded : Kept::kDropped;
  if (kept == Kept::kDropped && ChangesRow(call.kind) && DropOldestRow()) kept = Kept::kReplaced;
  if (kept != Kept::kDropped) calls[(first + count++) % kMost] = call;
  LeaveCriticalSection(&lock);
  return kept;
}

// The calls after the oldest row kept move up into its place.
bool DeferredCalls::DropOldestRow() {
  int at = 0;
  while (at < count && !ChangesRow(calls[(first + at) % kMost].kind)) ++at;
  if (at == count) return false;
  for (; at + 1 < count; ++at) calls[(first + at) % kMost] = calls[(first + at + 1) % kMost];
  --count;
  return true;
}

bool DeferredCalls::Take(DeferredCall* call, bool cellsOnly) {
  EnterCriticalSection(&lock);
  MessageKind oldest = calls[first].kind;
  bool taken = count > 0 &&
               !(cellsOnly && (oldest == MessageKind::kSleep || oldest == MessageKind::kTerminate));
  if (taken) {
    *call = calls[first];
    first = (first + 1) % kMost;
    --count;
  }
  LeaveCriticalSection(&lock);
  return taken;
}

int DeferredCalls::Count() {
  EnterCriticalSection(&lock);
  int kept = count;
  LeaveCriticalSection(&lock);
  return kept;
}
