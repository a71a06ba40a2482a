// Lets the host's calls in one at a time. A call from a second thread waits for
// the first thread's call to return, at most until its own deadline, its thread
// handling sent messages meanwhile; a call that does not get in answers 0, at
// once while the first thread's call shows a message box, which waits on the
// user rather than on the helper. The
// thread inside a call may call in again only from the host's own code that
// the call runs (its callback, a message box), while the helper waits for that
// code to finish: the call runs nested in the one under it. A call that reaches
// the thread while its call waits for the helper (from a message sent to the
// thread meanwhile) is not let in, nor one nested deeper than kDeepest calls.
#pragma once

#include <windows.h>

class CallGate {
 public:
  // Calls of one thread in progress at once: a host whose callback calls in,
  // and whose calls then bring chords again, stops there.
  static const int kDeepest = 8;

  CallGate()
      : mutex(CreateMutexW(nullptr, FALSE, nullptr)),
        boxShown(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~CallGate();
  CallGate(const CallGate&) = delete;
  CallGate& operator=(const CallGate&) = delete;

  // One call, from its start to its return.
  class Entry {
   public:
    // Waits to get in until the deadline (a GetTickCount64 time).
    Entry(CallGate& gate, ULONGLONG deadline);
    ~Entry();
    Entry(const Entry&) = delete;
    Entry& operator=(const Entry&) = delete;
    bool Admitted() const { return admitted; }
    // The thread last inside a call died in it.
    bool Abandoned() const { return abandoned; }

   private:
    CallGate& gate;
    bool taken = false;
    bool admitted = false;
    bool abandoned = false;
    bool underHostCode = false;  // what the call under this one was running
  };

  // The host's own code running inside the current call.
  class HostCode {
   public:
    explicit HostCode(CallGate& gate) : gate(gate), was(gate.hostCode) { gate.hostCode = true; }
    ~HostCode() { gate.hostCode = was; }
    HostCode(const HostCode&) = delete;
    HostCode& operator=(const HostCode&) = delete;

   private:
    CallGate& gate;
    bool was;
  };

  // A message box shown inside the current call: host code that other threads'
  // calls do not wait for.
  class Box {
   public:
    explicit Box(CallGate& gate);
    ~Box();
    Box(const Box&) = delete;
    Box& operator=(const Box&) = delete;

   private:
    HostCode host;
    CallGate& gate;
  };

 private:
  void Forget();

  HANDLE mutex;     // owned by the thread inside a call, as often as it entered
  HANDLE boxShown;  // set while a box of the thread inside a call is on screen
  // Changed and read by the thread that owns the mutex only.
  int depth = 0;          // that thread's calls in progress
  bool hostCode = false;  // the innermost call runs the host's code
  int boxes = 0;          // boxes on screen, nested
};
