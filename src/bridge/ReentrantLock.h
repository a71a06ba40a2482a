// Serialises the exports: a second thread waits until the first thread's call
// returns, while the first thread may call in again from the host's callback.
// While the host's own code runs inside a call (its callback, a message box)
// the owner steps aside, so that a thread the callback waits for can make its
// call in between, nested as the callback's own would be. The helper answers
// strictly nested exchanges ("frames"): a thread that stepped aside takes the
// lock again only once every frame opened since then has closed.
#pragma once

#include <windows.h>

class ReentrantLock {
 public:
  // What StepAside left: this thread's holds, and the frames open then.
  struct Turn {
    int holds;
    int frames;
  };

  ReentrantLock() : frameClosed(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    InitializeCriticalSection(&section);
  }
  ~ReentrantLock() {
    if (frameClosed) CloseHandle(frameClosed);
    DeleteCriticalSection(&section);
  }
  ReentrantLock(const ReentrantLock&) = delete;
  ReentrantLock& operator=(const ReentrantLock&) = delete;

  void Enter() {
    EnterCriticalSection(&section);
    if (holds++ == 0) owner = GetCurrentThreadId();
  }
  void Leave() {
    if (--holds == 0) owner = 0;
    LeaveCriticalSection(&section);
  }
  // Leaves as often as this thread entered.
  Turn StepAside() {
    if (owner != GetCurrentThreadId()) return {0, 0};
    Turn turn = {holds, frames};
    for (int i = 0; i < turn.holds; ++i) Leave();
    return turn;
  }
  // Enters again as often as it left, once the frames opened since are closed.
  void Resume(Turn turn) {
    if (turn.holds == 0) return;
    WaitForFrames(turn.frames);
    for (int i = 1; i < turn.holds; ++i) Enter();
  }
  // An exchange with the helper, opened and closed by the holder.
  void OpenFrame() { ++frames; }
  void CloseFrame() {
    --frames;
    if (frameClosed) SetEvent(frameClosed);
  }
  int Frames() const { return frames; }

  class Hold {
   public:
    explicit Hold(ReentrantLock& lock) : lock(lock) { lock.Enter(); }
    ~Hold() { lock.Leave(); }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

   private:
    ReentrantLock& lock;
  };

 private:
  // Returns holding the lock once, with at most count frames open. The event is
  // reset under the lock, so a frame that closes after the check wakes the wait;
  // the timeout covers a second waiter that reset it meanwhile. Messages other
  // threads send to this one's windows are handled meanwhile; posted ones wait.
  void WaitForFrames(int count) {
    for (;;) {
      Enter();
      if (frames <= count) return;
      if (frameClosed) ResetEvent(frameClosed);
      Leave();
      MsgWaitForMultipleObjects(frameClosed ? 1 : 0, &frameClosed, FALSE, 50, QS_SENDMESSAGE);
      MSG message;
      PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
  }

  CRITICAL_SECTION section;
  HANDLE frameClosed;  // set when a frame closes
  int holds = 0;
  DWORD owner = 0;  // the thread that holds it, read by that thread only
  int frames = 0;   // changed and read under the lock
};
