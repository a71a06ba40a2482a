// Calls the host made from code run while the bridge waited for the helper (a
// message sent to its thread): the helper is inside the driver then, so they
// are kept, in order, and carried out when the call in progress ends. Any
// thread may keep one; the thread of the call in progress takes them.
#pragma once

#include <windows.h>

#include "../shared/facts/DriverLimits.h"
#include "channel/Message.h"

struct DeferredCall {
  MessageKind kind = MessageKind::kDisplay;
  int value = 0;       // the cell count, or BrlSleep's flag
  bool cells = false;  // whether the host gave cells
  int answered = 0;    // what the host was told
  unsigned char row[DriverLimits::kCells] = {};
};

class DeferredCalls {
 public:
  // More than a host makes inside one call unless it loops on sent messages.
  static const int kMost = 32;

  DeferredCalls() { InitializeCriticalSection(&lock); }
  ~DeferredCalls() { DeleteCriticalSection(&lock); }
  DeferredCalls(const DeferredCalls&) = delete;
  DeferredCalls& operator=(const DeferredCalls&) = delete;

  enum class Kept { kAdded, kReplaced, kDropped };
  // When full, a row (BrlDisplay, BrlClear) takes the place of the oldest row
  // kept, going last as any kept call does, so that the latest row is still
  // shown last; any other call is dropped.
  Kept Keep(const DeferredCall& call);
  // The oldest call kept; false when none is, or, with cellsOnly, when it is
  // BrlSleep or BrlTerminate (which may show a box).
  bool Take(DeferredCall* call, bool cellsOnly);
  int Count();

 private:
  bool DropOldestRow();
  static bool ChangesRow(MessageKind kind) {
    return kind == MessageKind::kDisplay || kind == MessageKind::kClear;
  }

  CRITICAL_SECTION lock;
  DeferredCall calls[kMost];
  int first = 0;
  int count = 0;
};
