// x86-64 has a single calling convention: the call is made and always counts as kept.
#include "CheckedCall.h"

extern "C" {
int checkedResult;

int CheckedCall(void* export_, INT_PTR first, INT_PTR second) {
  checkedResult = reinterpret_cast<int (*)(INT_PTR, INT_PTR)>(export_)(first, second);
  return 0;
}
}
