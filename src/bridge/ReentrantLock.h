// Serialises the exports: a second thread waits until the first thread's call
// returns, while the first thread may call in again from the host's callback.
// While the host's own code runs inside a call (its callback, a message box)
// the owner may step aside, so that a thread the callback waits for can make
// its call in between, nested as the callback's own would be.
#pragma once

#include <windows.h>

class ReentrantLock {
 public:
  ReentrantLock() { InitializeCriticalSection(&section); }
  ~ReentrantLock() { DeleteCriticalSection(&section); }
  ReentrantLock(const ReentrantLock&) = delete;
  ReentrantLock& operator=(const ReentrantLock&) = delete;

  void Enter() {
    EnterCriticalSection(&section);
    if (holds++ == 0) owner = GetCurrentThreadId();
  }
  void Leave() {
    if (--holds == 0) owner = 0;
    LeaveCriticalSection(&section);
  }
  // Leaves as often as this thread entered; returns that count, for Resume.
  int StepAside() {
    if (owner != GetCurrentThreadId()) return 0;
    int count = holds;
    for (int i = 0; i < count; ++i) Leave();
    return count;
  }
  void Resume(int count) {
    for (int i = 0; i < count; ++i) Enter();
  }

  class Hold {
   public:
    explicit Hold(ReentrantLock& lock) : lock(lock) { lock.Enter(); }
    ~Hold() { lock.Leave(); }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

   private:
    ReentrantLock& lock;
  };

 private:
  CRITICAL_SECTION section;
  int holds = 0;
  DWORD owner = 0;  // the thread that holds it, read by that thread only
};
