// Key events from the simulated display's window, waiting for LectureClavier:
// filled by the window's thread, emptied by the driver's, in order.
#pragma once

#include <windows.h>

class KeyQueue {
 public:
  KeyQueue();
  ~KeyQueue();
  KeyQueue(const KeyQueue&) = delete;
  KeyQueue& operator=(const KeyQueue&) = delete;

  // Drops the event when the queue is full (a person cannot type that fast).
  void Push(int type, unsigned char flags, unsigned char code);
  // The oldest event; false when there is none.
  bool Pop(int* type, unsigned char* flags, unsigned char* code);
  void Clear();

 private:
  static const int kSize = 256;
  struct Event {
    int type;
    unsigned char flags;
    unsigned char code;
  };

  CRITICAL_SECTION lock;
  Event events[kSize] = {};
  int first = 0;
  int count = 0;
};
