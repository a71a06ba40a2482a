#include "DriverThread.h"

#include "../shared/facts/KeyState.h"

namespace {

const DWORD kQuitMs = 2000;

int __stdcall OnChord(int, int) {
  return 0;
}

}  // namespace

DriverThread::DriverThread(DriverModule& driver, const char* settings)
    : shared(new Shared{&driver, settings, CreateEventW(nullptr, FALSE, FALSE, nullptr),
                        CreateEventW(nullptr, TRUE, TRUE, nullptr), -1, 0, 0, 0, 0}) {}

DriverThread::~DriverThread() {
  bool ended = !thread;
  if (thread && IsIdle()) {
    InterlockedExchange(&shared->quit, 1);
    SetEvent(shared->go);
    ended = WaitForSingleObject(thread, kQuitMs) == WAIT_OBJECT_0;
  }
  if (thread) CloseHandle(thread);
  if (!ended) return;
  CloseHandle(shared->go);
  CloseHandle(shared->idle);
  delete shared;
}

bool DriverThread::Start() {
  if (!shared->go || !shared->idle) return false;
  thread = CreateThread(nullptr, 0, Main, shared, 0, nullptr);
  return thread != nullptr;
}

void DriverThread::CarryCapsLock(bool on) {
  InterlockedExchange(&shared->capsLock, on);
}

void DriverThread::Begin() {
  InterlockedExchange(&shared->finish, 0);
  InterlockedExchange(&shared->opened, 0);
  ResetEvent(shared->idle);
  SetEvent(shared->go);
}

void DriverThread::Finish() {
  InterlockedExchange(&shared->finish, 1);
}

bool DriverThread::Opened() const {
  return InterlockedCompareExchange(&shared->opened, 0, 0) != 0;
}

bool DriverThread::SawCapsLock() const {
  return InterlockedCompareExchange(&shared->sawCapsLock, 0, 0) != 0;
}

DWORD WINAPI DriverThread::Main(void* parameter) {
  Shared* shared = static_cast<Shared*>(parameter);
  for (;;) {
    WaitForSingleObject(shared->go, INFINITE);
    if (InterlockedCompareExchange(&shared->quit, 0, 0)) break;
    Run(shared);
    SetEvent(shared->idle);
  }
  SetEvent(shared->idle);
  return 0;
}

// Polls as a host's timer would, only faster: a millisecond between calls.
void DriverThread::Run(Shared* shared) {
  LONG carried = InterlockedCompareExchange(&shared->capsLock, 0, 0);
  BYTE keys[256];
  if (carried >= 0 && GetKeyboardState(keys)) {
    keys[VK_CAPITAL] = static_cast<BYTE>((keys[VK_CAPITAL] & ~1) | carried);
    SetKeyboardState(keys);
  }
  InterlockedExchange(&shared->sawCapsLock, KeyState::CapsLockOn() ? 1 : 0);
  if (shared->driver->Init(shared->settings, OnChord) == 0) return;
  InterlockedExchange(&shared->opened, 1);
  while (!InterlockedCompareExchange(&shared->finish, 0, 0)) {
    shared->driver->Timer();
    Sleep(1);
  }
  shared->driver->Terminate();
}
