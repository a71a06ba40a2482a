#include "CallGate.h"

#include "channel/HostWait.h"

CallGate::CallGate()
    : changed(CreateSemaphoreW(nullptr, 0, 0x7FFFFFFF, nullptr)), createdSlot(TlsAlloc()) {
  InitializeCriticalSection(&lock);
}

CallGate::~CallGate() {
  if (changed) CloseHandle(changed);
  if (createdSlot != TLS_OUT_OF_INDEXES) TlsFree(createdSlot);
  DeleteCriticalSection(&lock);
}

namespace {

// When a thread was created: with its id, what tells it from a later thread
// that Windows gave the same id. 0 where it cannot be read.
ULONGLONG CreationTime(HANDLE thread) {
  FILETIME created, exited, kernel, user;
  if (!GetThreadTimes(thread, &created, &exited, &kernel, &user)) return 0;
  return static_cast<ULONGLONG>(created.dwHighDateTime) << 32 | created.dwLowDateTime;
}

}  // namespace

// Read once per thread and kept in its thread-local slot, so that a call
// takes no Win32 object to know its own thread.
ULONGLONG CallGate::SelfCreated() const {
  if (createdSlot == TLS_OUT_OF_INDEXES) return 0;
  ULONGLONG created = reinterpret_cast<ULONGLONG>(TlsGetValue(createdSlot));
  if (created) return created;
  created = CreationTime(GetCurrentThread());
  TlsSetValue(createdSlot, reinterpret_cast<void*>(created));
  return created;
}

bool CallGate::Mine(const Frame& frame) const {
  return frame.thread == GetCurrentThreadId() && frame.created == SelfCreated();
}

CallGate::Entry::Entry(CallGate& gate, bool mayShowBox, ULONGLONG deadline) : gate(gate) {
  EnterCriticalSection(&gate.lock);
  while (!gate.Decide(mayShowBox, &admission, &lent) && GetTickCount64() < deadline) {
    gate.WaitUnlocked(deadline);
  }
  outermost = admission == Admission::kIn && gate.depth == 1;
  LeaveCriticalSection(&gate.lock);
}

CallGate::Entry::~Entry() {
  if (admission != Admission::kIn) return;
  EnterCriticalSection(&gate.lock);
  gate.Pop();
  LeaveCriticalSection(&gate.lock);
}

// A thread whose own call is on top is running host code that call runs, or
// a message sent to it while the bridge waits: it never waits here, since what
// it would wait for is below it on its own stack. Any other call gets in when
// none is in progress or, showing no box, while the top call runs its callback;
// it answers 0 at once while a box is up, and waits otherwise. Only a call that
// finds another thread's call on top asks whether that thread is still alive.
bool CallGate::Decide(bool mayShowBox, Admission* admission, bool* lent) {
  if (depth > 0 && !Mine(frames[depth - 1])) PopDead();
  const Frame* top = depth > 0 ? &frames[depth - 1] : nullptr;
  if (top && Mine(*top)) {
    bool nested = top->running == Running::kCallback || top->running == Running::kBox;
    *admission = !nested            ? Admission::kDeferred
                 : depth < kDeepest ? Admission::kIn
                                    : Admission::kRefused;
    if (*admission == Admission::kIn) Push();
    return true;
  }
  *lent = top && top->running == Running::kCallback && !mayShowBox && depth < kDeepest;
  if (top && !*lent) return BoxShown();  // refused at once while a box is up
  Push();
  *admission = Admission::kIn;
  return true;
}

bool CallGate::BoxShown() const {
  for (int i = 0; i < depth; ++i) {
    if (frames[i].running == Running::kBox) return true;
  }
  return false;
}

void CallGate::Push() {
  frames[depth++] = {GetCurrentThreadId(), SelfCreated(), Running::kBridge};
  Changed();
}

void CallGate::Pop() {
  if (depth > 0) --depth;
  Changed();
}

// Every thread waiting looks again.
void CallGate::Changed() {
  if (waiters > 0) ReleaseSemaphore(changed, waiters, nullptr);
}

// A thread that ended inside a call leaves its frame; it goes once on top,
// and what it was doing is given up then. A thread is taken as ended when no
// thread has its id, when the thread with its id was created at another time
// (Windows gave the id again), or when it has ended; not when it merely
// cannot be opened.
void CallGate::PopDead() {
  while (depth > 0 && Ended(frames[depth - 1])) {
    Pop();
    abandoned = true;
  }
}

bool CallGate::Ended(const Frame& frame) {
  HANDLE thread = OpenThread(SYNCHRONIZE | THREAD_QUERY_LIMITED_INFORMATION, FALSE, frame.thread);
  if (!thread) return GetLastError() == ERROR_INVALID_PARAMETER;
  ULONGLONG created = CreationTime(thread);
  bool ended = WaitForSingleObject(thread, 0) == WAIT_OBJECT_0 ||
               (created && frame.created && created != frame.created);
  CloseHandle(thread);
  return ended;
}

// Called and returns with the lock held; the wait itself is without it.
void CallGate::WaitUnlocked(ULONGLONG deadline) {
  ++waiters;
  LeaveCriticalSection(&lock);
  ULONGLONG soon = GetTickCount64() + kRecheckMs;
  HostWait::Until(changed ? 1 : 0, &changed, soon < deadline ? soon : deadline);
  EnterCriticalSection(&lock);
  --waiters;
}

bool CallGate::TakeAbandoned() {
  EnterCriticalSection(&lock);
  bool was = abandoned;
  abandoned = false;
  LeaveCriticalSection(&lock);
  return was;
}

// The frame at index, or the top frame for kTop, now runs that; its index,
// -1 when there is none.
int CallGate::Mark(int index, Running running) {
  EnterCriticalSection(&lock);
  if (index == kTop) index = depth - 1;
  if (index >= 0) frames[index].running = running;
  Changed();
  LeaveCriticalSection(&lock);
  return index;
}

CallGate::Callback::Callback(CallGate& gate)
    : gate(gate), index(gate.Mark(kTop, Running::kCallback)) {}

// No other call is let in from now on; those already in return first, each
// bounded by its own deadline and its own host code.
CallGate::Callback::~Callback() {
  if (index < 0) return;
  gate.Mark(index, Running::kBridge);
  EnterCriticalSection(&gate.lock);
  while (gate.depth - 1 > index) {
    gate.PopDead();
    if (gate.depth - 1 > index) gate.WaitUnlocked(HostWait::kNever);
  }
  LeaveCriticalSection(&gate.lock);
}

CallGate::Box::Box(CallGate& gate) : gate(gate), index(gate.Mark(kTop, Running::kBox)) {}

CallGate::Box::~Box() {
  if (index >= 0) gate.Mark(index, Running::kBridge);
}
