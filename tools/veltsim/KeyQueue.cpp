#include "KeyQueue.h"

KeyQueue::KeyQueue() {
  InitializeCriticalSection(&lock);
}

KeyQueue::~KeyQueue() {
  DeleteCriticalSection(&lock);
}

void KeyQueue::Push(int type, unsigned char flags, unsigned char code) {
  EnterCriticalSection(&lock);
  if (count < kSize) {
    events[(first + count) % kSize] = {type, flags, code};
    ++count;
  }
  LeaveCriticalSection(&lock);
}

bool KeyQueue::Pop(int* type, unsigned char* flags, unsigned char* code) {
  EnterCriticalSection(&lock);
  bool found = count > 0;
  if (found) {
    const Event& event = events[first];
    *type = event.type;
    *flags = event.flags;
    *code = event.code;
    first = (first + 1) % kSize;
    --count;
  }
  LeaveCriticalSection(&lock);
  return found;
}

void KeyQueue::Clear() {
  EnterCriticalSection(&lock);
  first = 0;
  count = 0;
  LeaveCriticalSection(&lock);
}
