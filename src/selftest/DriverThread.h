// The thread that drives the display for the whole self-test, as a screen
// reader's does: it owns no window, lives across every layout and Caps Lock
// state, and for each run opens the driver with BrlInit, polls BrlTimer until
// told to finish, then closes it with BrlTerminate. Caps Lock is toggled while
// it lives, so each run on Windows shows whether this thread, where the driver
// reads Caps Lock, saw it change (under Wine it is set here instead). The thread that
// owns the self-test's window keeps handling messages meanwhile, and waits for
// this one only for a bounded time.
#pragma once

#include <windows.h>

#include "../shared/loader/DriverModule.h"

class DriverThread {
 public:
  DriverThread(DriverModule& driver, const char* settings);
  // Ends the thread when it is idle; a thread still inside the driver keeps
  // what it uses.
  ~DriverThread();
  DriverThread(const DriverThread&) = delete;
  DriverThread& operator=(const DriverThread&) = delete;

  bool Start();
  // Under Wine a thread's Caps Lock changes only with the key messages it
  // reads, so a thread without a window never sees it change: there the next
  // run starts with this state, so that the Caps-Lock-on lines still check
  // typing, though not the driver's seeing it. On Windows the thread is left
  // as it is.
  void CarryCapsLock(bool on);
  // Opens the display and polls, until Finish.
  void Begin();
  // After the BrlTimer call under way: BrlTerminate, then idle again.
  void Finish();
  // Signalled while the thread is idle between runs, and once it has ended.
  HANDLE Idle() const { return shared->idle; }
  bool IsIdle() const { return WaitForSingleObject(shared->idle, 0) == WAIT_OBJECT_0; }
  // Whether the last run's BrlInit returned nonzero.
  bool Opened() const;
  // Caps Lock as GetKeyState told this thread when the last run began, after
  // any carry.
  bool SawCapsLock() const;

 private:
  struct Shared {
    DriverModule* driver;
    const char* settings;
    HANDLE go;               // auto-reset: a run, or the end when quit is set
    HANDLE idle;             // manual-reset
    volatile LONG capsLock;  // -1: left as it is
    volatile LONG opened;
    volatile LONG sawCapsLock;
    volatile LONG finish;
    volatile LONG quit;
  };
  static DWORD WINAPI Main(void* parameter);
  static void Run(Shared* shared);

  Shared* shared;
  HANDLE thread = nullptr;
};
