// A thread as the bridge tells threads apart: its id and its creation time,
// since Windows gives an ended thread's id to later threads.
#pragma once

#include <windows.h>

class ThreadIdentity {
 public:
  // The calling thread; its creation time is read once per thread.
  static ThreadIdentity Current();

  bool operator==(const ThreadIdentity& other) const {
    return id == other.id && created == other.created;
  }
  // Whether the thread has ended: no thread has its id, the thread with its id
  // was created at another time, or it has ended; not when it merely cannot
  // be opened.
  bool Ended() const;

 private:
  DWORD id = 0;
  ULONGLONG created = 0;  // 0 where it cannot be read
};
