// Lets the host's calls reach the helper one at a time, in the order a
// message-driven host makes them. The calls in progress form a stack: the one
// on top talks to the helper, or runs the host's code (its callback, a box)
// while the helper waits.
// - A thread whose own call is on top calls in again from host code that call
//   runs: nested while it runs the callback or a box, refused past kDeepest
//   calls; deferred while the bridge waits for the helper (a message sent to
//   the thread meanwhile).
// - Any other call gets in when none is in progress; or, for a call that shows
//   no box, while the top call runs the host's callback (a chord handed to
//   another thread), until that callback returns; else it waits until its
//   deadline, handling sent messages, and answers 0, at once while a box is up.
// A thread that died inside a call is found by the next one to look; what it
// left half done is reported once (TakeAbandoned).
#pragma once

#include <windows.h>

class CallGate {
 public:
  // Calls in progress at once: a host whose callback calls in, and whose calls
  // then bring chords again, stops there.
  static const int kDeepest = 8;
  // How often a waiting thread looks again, besides when woken.
  static const DWORD kRecheckMs = 5;

  enum class Admission { kIn, kDeferred, kRefused };

  CallGate();
  ~CallGate();
  CallGate(const CallGate&) = delete;
  CallGate& operator=(const CallGate&) = delete;

  // One call, from its start to its return.
  class Entry {
   public:
    // mayShowBox: BrlInit, BrlSleep and BrlTerminate. Waits to get in at most
    // until the deadline (a GetTickCount64 time).
    Entry(CallGate& gate, bool mayShowBox, ULONGLONG deadline);
    ~Entry();
    Entry(const Entry&) = delete;
    Entry& operator=(const Entry&) = delete;
    Admission Result() const { return admission; }
    // Admitted with no other call in progress.
    bool Outermost() const { return outermost; }
    // Admitted while another thread's call runs its callback.
    bool Lent() const { return lent; }

   private:
    CallGate& gate;
    Admission admission = Admission::kRefused;
    bool outermost = false;
    bool lent = false;
  };

  // The host's callback running in the top call: other threads' calls that
  // show no box may come in meanwhile. At its end the thread waits, handling
  // sent messages, until those have returned.
  class Callback {
   public:
    explicit Callback(CallGate& gate);
    ~Callback();
    Callback(const Callback&) = delete;
    Callback& operator=(const Callback&) = delete;

   private:
    CallGate& gate;
    int index;  // its call's frame
  };

  // A message box shown in the top call: its own thread's calls come in
  // nested; other threads' calls answer 0 at once.
  class Box {
   public:
    explicit Box(CallGate& gate);
    ~Box();
    Box(const Box&) = delete;
    Box& operator=(const Box&) = delete;

   private:
    CallGate& gate;
    int index;
  };

  // True once after a thread died inside a call: the exchange it was in is
  // to be given up. Only the thread of the top call asks.
  bool TakeAbandoned();

 private:
  enum class Running { kBridge, kCallback, kBox };
  struct Frame {
    DWORD thread;
    ULONGLONG created;  // the thread's creation time, 0 where unknown
    Running running;
  };

  // Under the lock: whether the call's admission is decided, and how.
  bool Decide(bool mayShowBox, Admission* admission, bool* lent);
  ULONGLONG SelfCreated() const;
  bool Mine(const Frame& frame) const;
  static bool Ended(const Frame& frame);
  static const int kTop = -2;
  int Mark(int index, Running running);
  bool BoxShown() const;
  void Push();
  void Pop();
  void Changed();
  void PopDead();
  void WaitUnlocked(ULONGLONG deadline);

  CRITICAL_SECTION lock;
  HANDLE changed;     // released once for each waiting thread when the stack
                      // changes; waiters also look again every kRecheckMs
  DWORD createdSlot;  // thread-local: the calling thread's creation time
  int waiters = 0;
  Frame frames[kDeepest] = {};
  int depth = 0;
  bool abandoned = false;
};
