// Calls a driver export as a cdecl host does and tells whether the callee kept
// the calling convention: 0 when the stack pointer and the registers a callee
// must preserve came back unchanged, 1 otherwise. The export's own result is
// left in checkedResult. On x86-64 there is one convention and nothing to check.
#pragma once

#include <windows.h>

extern "C" int CheckedCall(void* export_, INT_PTR first, INT_PTR second);
extern "C" int checkedResult;

template <typename Proc>
int CheckedCall(Proc export_, INT_PTR first = 0, INT_PTR second = 0) {
  return CheckedCall(reinterpret_cast<void*>(export_), first, second);
}
