#include "CallOrder.h"

#include "../shared/log/Log.h"
#include "../shared/log/LogLine.h"
#include "channel/HostWait.h"

CallOrder::CallOrder() : changed(CreateSemaphoreW(nullptr, 0, 0x7FFFFFFF, nullptr)) {
  InitializeCriticalSection(&lock);
}

CallOrder::~CallOrder() {
  if (changed) CloseHandle(changed);
  DeleteCriticalSection(&lock);
}

CallOrder::Place::Place(CallOrder& order, const Call& call, ULONGLONG deadline) : order(order) {
  ThreadIdentity self = ThreadIdentity::Current();
  EnterCriticalSection(&order.lock);
  while (order.Decide(call, self, *this, deadline) == Step::kWait) {
    if (GetTickCount64() >= deadline) {
      order.Remove(order.Find(ticket));
      why = " refused: no turn by its deadline";
      break;
    }
    order.WaitUnlocked(deadline);
  }
  LeaveCriticalSection(&order.lock);
  if (why && Log::On()) LogLine().Text(call.Is().name).Text(why);
}

CallOrder::Place::~Place() {
  if (admission != Admission::kTurn && admission != Admission::kNested) return;
  EnterCriticalSection(&order.lock);
  if (--order.depth == 0) order.held = false;
  order.Changed();
  LeaveCriticalSection(&order.lock);
}

// Under the lock. A thread whose call holds the turn calls in from host code
// that call runs (nested), or from a message handled while it talks to the
// helper (kept: what it would wait for is below it on its own stack), as a
// thread whose earlier call waits for its turn does.
CallOrder::Step CallOrder::Decide(const Call& call, const ThreadIdentity& self, Place& place,
                                  ULONGLONG deadline) {
  if (place.ticket && Find(place.ticket) < 0) {
    place.ticket = 0;  // taken out by another call: past its deadline
    place.why = " refused: no turn by its deadline";
    return Step::kDecided;
  }
  if (held && holder == self) return Nest(call, self, place);
  if (Waits(self, place.ticket)) return Keep(call, self, place);
  if (held && holder.Ended()) {
    held = false;
    depth = 0;
    abandoned = true;
  }
  if (!held) {
    ULONGLONG before = place.ticket ? place.ticket : ~0ULL;
    if (FirstWaitingAlive(before)) return Wait(call, self, place, deadline);
    TakeTurn(self, place);
    return Step::kDecided;
  }
  if (running[depth - 1] == Running::kHelper) return Wait(call, self, place, deadline);
  if (!call.MayShowBox()) return Keep(call, self, place);
  if (!BoxShown()) return Wait(call, self, place, deadline);
  Remove(Find(place.ticket));
  place.why = " refused: a box is up";
  return Step::kDecided;
}

CallOrder::Step CallOrder::Nest(const Call& call, const ThreadIdentity& self, Place& place) {
  if (running[depth - 1] == Running::kHelper) return Keep(call, self, place);
  if (depth == kDeepest) {
    place.why = " refused: calls nested too deep";
  } else {
    running[depth++] = Running::kHelper;
    place.ticket = nextTicket++;
    place.admission = Admission::kNested;
  }
  return Step::kDecided;
}

CallOrder::Step CallOrder::Wait(const Call& call, const ThreadIdentity& self, Place& place,
                                ULONGLONG deadline) {
  if (place.ticket) return Step::kWait;
  if (count - kept == kMostWaiting) {
    place.why = " refused: too many threads waiting";
    return Step::kDecided;
  }
  entries[count++] = {call, self, place.ticket = nextTicket++, true, deadline};
  return Step::kWait;
}

// A call kept answers at once, in its place; BrlInit and BrlTimer are answered
// so and dropped. When full, a row takes the place of the oldest row kept.
CallOrder::Step CallOrder::Keep(const Call& call, const ThreadIdentity& self, Place& place) {
  bool full = kept == kMostKept;
  if (!call.Queued() || (full && !(call.Is().changesRow && DropOldestRow()))) {
    Remove(Find(place.ticket));
    place.admission = call.Queued() ? Admission::kRefused : Admission::kKept;
    place.why = call.Queued() ? " dropped: too many calls kept"
                : call.Is().kept == Call::WhenKept::kEmptyPoll
                    ? " answered as an empty poll: the bridge was busy"
                    : " refused: made while the bridge was busy with a call";
    return Step::kDecided;
  }
  int at = Find(place.ticket);
  if (at < 0) entries[at = count++] = {call, self, nextTicket++, true, 0};
  entries[at].waiting = false;
  ++kept;
  place.ticket = 0;
  place.admission = Admission::kKept;
  place.why = full ? " kept, dropping the oldest row kept" : " kept for later";
  return Step::kDecided;
}

// Its ticket: the kept calls before it are carried out first.
void CallOrder::TakeTurn(const ThreadIdentity& self, Place& place) {
  Remove(Find(place.ticket));
  if (!place.ticket) place.ticket = nextTicket++;
  held = true;
  holder = self;
  depth = 1;
  running[0] = Running::kHelper;
  place.admission = Admission::kTurn;
}

// Whether a call waits for its turn before ticket before. A waiting call past
// its deadline (its thread may be in a dialog of its own, not looking) or
// whose thread died is taken out of the queue.
bool CallOrder::FirstWaitingAlive(ULONGLONG before) {
  for (int at = 0; at < count && entries[at].ticket < before; ++at) {
    if (!entries[at].waiting) continue;
    if (GetTickCount64() < entries[at].deadline && !entries[at].thread.Ended()) return true;
    Remove(at--);
  }
  return false;
}

bool CallOrder::Waits(const ThreadIdentity& thread, ULONGLONG before) const {
  for (int at = 0; at < count && entries[at].ticket < (before ? before : ~0ULL); ++at) {
    if (entries[at].waiting && entries[at].thread == thread) return true;
  }
  return false;
}

bool CallOrder::BoxShown() const {
  for (int i = 0; i < depth; ++i) {
    if (running[i] == Running::kBox) return true;
  }
  return false;
}

bool CallOrder::DropOldestRow() {
  for (int at = 0; at < count; ++at) {
    if (!entries[at].waiting && entries[at].call.Is().changesRow) {
      Remove(at);
      return true;
    }
  }
  return false;
}

int CallOrder::Find(ULONGLONG ticket) const {
  for (int at = 0; ticket && at < count; ++at) {
    if (entries[at].ticket == ticket) return at;
  }
  return -1;
}

void CallOrder::Remove(int at) {
  if (at < 0) return;
  if (!entries[at].waiting) --kept;
  for (--count; at < count; ++at) entries[at] = entries[at + 1];
  Changed();
}

bool CallOrder::TakeKept(Call* call, ULONGLONG before) {
  EnterCriticalSection(&lock);
  int at = 0;
  while (before && at < count && entries[at].waiting && entries[at].ticket < before) ++at;
  bool taken = at < count && !entries[at].waiting && (!before || entries[at].ticket < before);
  if (taken) {
    *call = entries[at].call;
    Remove(at);
  }
  LeaveCriticalSection(&lock);
  return taken;
}

bool CallOrder::TakeAbandoned() {
  EnterCriticalSection(&lock);
  bool was = abandoned;
  abandoned = false;
  LeaveCriticalSection(&lock);
  return was;
}

// Every thread waiting looks again.
void CallOrder::Changed() {
  if (waiters > 0) ReleaseSemaphore(changed, waiters, nullptr);
}

// Called and returns with the lock held; the wait itself is without it.
void CallOrder::WaitUnlocked(ULONGLONG deadline) {
  ++waiters;
  LeaveCriticalSection(&lock);
  ULONGLONG soon = GetTickCount64() + kRecheckMs;
  HostWait::Until(changed ? 1 : 0, &changed, soon < deadline ? soon : deadline);
  EnterCriticalSection(&lock);
  --waiters;
}

CallOrder::HostCode::HostCode(CallOrder& order, bool box) : order(order) {
  EnterCriticalSection(&order.lock);
  frame = order.depth - 1;
  if (frame >= 0) order.running[frame] = box ? Running::kBox : Running::kCallback;
  order.Changed();
  LeaveCriticalSection(&order.lock);
}

CallOrder::HostCode::~HostCode() {
  EnterCriticalSection(&order.lock);
  if (frame >= 0) order.running[frame] = Running::kHelper;
  order.Changed();
  LeaveCriticalSection(&order.lock);
}
