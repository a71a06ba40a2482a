// The thread that drives the display, as a screen reader's does: it owns no
// window, opens the driver with BrlInit, polls BrlTimer until told to stop, then
// closes it with BrlTerminate. The thread that owns the self-test's window keeps
// handling messages meanwhile, and waits for this one only for a bounded time.
#pragma once

#include <windows.h>

#include "../loader/DriverModule.h"

class DriverThread {
 public:
  DriverThread(DriverModule& driver, const char* settings);
  // A thread still inside the driver keeps what it uses.
  ~DriverThread();
  DriverThread(const DriverThread&) = delete;
  DriverThread& operator=(const DriverThread&) = delete;

  // Under Wine a thread's Caps Lock changes only with the key messages it
  // reads, so a thread without a window never sees it go on: there the thread
  // starts with this state, so that the Caps-Lock-on lines still check typing.
  // On Windows the thread is left as it is, and the lines show what the driver
  // sees from such a thread.
  void CarryCapsLock(bool on);
  bool Start();
  // Signalled once the thread has ended.
  HANDLE Handle() const { return thread; }
  bool Ended() const;
  // Whether BrlInit returned nonzero.
  bool Opened() const;
  // Asks it to call BrlTerminate and end, after the BrlTimer call under way.
  void Stop();

 private:
  struct Shared {
    DriverModule* driver;
    const char* settings;
    int capsLock;  // -1: left as it is
    volatile LONG opened;
    volatile LONG stop;
  };
  static DWORD WINAPI Main(void* parameter);

  Shared* shared;
  HANDLE thread = nullptr;
};
