// Serialises the exports: a second thread waits until the first thread's call
// returns, while the first thread may call in again from the host's callback.
#pragma once

#include <windows.h>

class ReentrantLock {
 public:
  ReentrantLock() { InitializeCriticalSection(&section); }
  ~ReentrantLock() { DeleteCriticalSection(&section); }
  ReentrantLock(const ReentrantLock&) = delete;
  ReentrantLock& operator=(const ReentrantLock&) = delete;

  class Hold {
   public:
    explicit Hold(ReentrantLock& lock) : lock(lock) { EnterCriticalSection(&lock.section); }
    ~Hold() { LeaveCriticalSection(&lock.section); }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

   private:
    ReentrantLock& lock;
  };

 private:
  CRITICAL_SECTION section;
};
