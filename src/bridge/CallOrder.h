// The one order in which the host's calls reach the driver: on each thread in
// the order the host made them, across threads in the order they began. One
// call at a time holds the turn: it talks to the helper, or runs the host's
// code (its callback, a box) while the helper waits.
// - From that host code, its own thread's calls go in at once, nested, as they
//   would in-process, at most kDeepest deep.
// - Any other call that cannot go in now takes its place in one queue:
//   - kept when its thread's own call holds the turn or waits for it (a
//     message handled meanwhile), or when another thread's call runs host
//     code and this call shows no box: it answers at once (Call::WhenKept)
//     and is carried out later, in its place;
//   - otherwise it waits for its turn, handling sent messages, at most until
//     its deadline; a call that may show a box is refused at once while a box
//     is up.
// The holder of the turn carries out the kept calls that come before any
// waiting one: those made before a call of its as that call goes in, the rest
// when its turn ends. A thread that died holding the turn or waiting for it is
// found by the next call that would wait for it (TakeAbandoned).
#pragma once

#include <windows.h>

#include "Call.h"
#include "ThreadIdentity.h"

class CallOrder {
 public:
  // Calls in progress at once: a host whose callback calls in, and whose calls
  // then bring chords again, stops there.
  static const int kDeepest = 8;
  // More than a host keeps unless it loops on sent messages; when full, a row
  // takes the place of the oldest row kept.
  static const int kMostKept = 32;
  static const int kMostWaiting = 32;
  // How often a waiting thread looks again, besides when woken.
  static const DWORD kRecheckMs = 5;

  enum class Admission { kTurn, kNested, kKept, kRefused };

  CallOrder();
  ~CallOrder();
  CallOrder(const CallOrder&) = delete;
  CallOrder& operator=(const CallOrder&) = delete;

  // One call's place, from its start to its return.
  class Place {
   public:
    // Waits for the turn at most until deadline (a GetTickCount64 time).
    Place(CallOrder& order, const Call& call, ULONGLONG deadline);
    ~Place();
    Place(const Place&) = delete;
    Place& operator=(const Place&) = delete;
    Admission Result() const { return admission; }
    // In: the oldest kept call made before this one, also behind a call that
    // waits for its turn: a nested call goes after its own thread's kept
    // calls, as its turn's call does.
    bool TakeEarlierKept(Call* call) { return order.TakeKept(call, ticket); }

   private:
    CallOrder& order;
    Admission admission = Admission::kRefused;
    ULONGLONG ticket = 0;  // its entry while it waits; its place once in
    const char* why = nullptr;
    friend class CallOrder;
  };

  // The host's code run by the call holding the turn: its callback, or a box.
  class HostCode {
   public:
    HostCode(CallOrder& order, bool box);
    ~HostCode();
    HostCode(const HostCode&) = delete;
    HostCode& operator=(const HostCode&) = delete;

   private:
    CallOrder& order;
    int frame;
  };

  // With the turn: the oldest kept call, when no waiting call comes before it;
  // with before, the oldest kept call made before that ticket.
  bool TakeKept(Call* call, ULONGLONG before = 0);
  // True once after a thread died holding the turn.
  bool TakeAbandoned();

 private:
  enum class Running { kHelper, kCallback, kBox };
  struct Entry {
    Call call;
    ThreadIdentity thread;
    ULONGLONG ticket;
    bool waiting;
    ULONGLONG deadline;  // a waiting call's
  };
  enum class Step { kDecided, kWait };

  Step Decide(const Call& call, const ThreadIdentity& self, Place& place, ULONGLONG deadline);
  Step Wait(const Call& call, const ThreadIdentity& self, Place& place, ULONGLONG deadline);
  Step Nest(const Call& call, const ThreadIdentity& self, Place& place);
  Step Keep(const Call& call, const ThreadIdentity& self, Place& place);
  void TakeTurn(const ThreadIdentity& self, Place& place);
  bool FirstWaitingAlive(ULONGLONG before);
  bool Waits(const ThreadIdentity& thread, ULONGLONG before) const;
  bool BoxShown() const;
  bool DropOldestRow();
  int Find(ULONGLONG ticket) const;
  void Remove(int at);
  void Changed();
  void WaitUnlocked(ULONGLONG deadline);

  CRITICAL_SECTION lock;
  HANDLE changed;  // released once for each waiting thread when anything changes
  int waiters = 0;
  bool held = false;
  ThreadIdentity holder;
  Running running[kDeepest] = {};
  int depth = 0;
  Entry entries[kMostKept + kMostWaiting];
  int count = 0, kept = 0;
  ULONGLONG nextTicket = 1;
  bool abandoned = false;
};
