#include "CommPort.h"

void* CommPort::operator new(size_t size) noexcept {
  return HeapAlloc(GetProcessHeap(), 0, size);
}

void CommPort::operator delete(void* memory) noexcept {
  if (memory) HeapFree(GetProcessHeap(), 0, memory);
}
