// What one export call works within: its deadline and its one message box.
// Each call, carried deferred calls included, has limits of its own.
#pragma once

#include "BoxAllowance.h"
#include "CallDeadline.h"

struct CallLimits {
  explicit CallLimits(DWORD ms) : deadline(ms) {}

  CallDeadline deadline;
  BoxAllowance box;
};
