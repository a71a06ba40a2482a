#include "DriverThread.h"

namespace {

int __stdcall OnChord(int, int) {
  return 0;
}

}  // namespace

DriverThread::DriverThread(DriverModule& driver, const char* settings)
    : shared(new Shared{&driver, settings, -1, 0, 0}) {}

DriverThread::~DriverThread() {
  if (!thread) {
    delete shared;
    return;
  }
  if (Ended()) delete shared;
  CloseHandle(thread);
}

void DriverThread::CarryCapsLock(bool on) {
  shared->capsLock = on;
}

bool DriverThread::Start() {
  thread = CreateThread(nullptr, 0, Main, shared, 0, nullptr);
  return thread != nullptr;
}

bool DriverThread::Ended() const {
  return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
}

bool DriverThread::Opened() const {
  return InterlockedCompareExchange(&shared->opened, 0, 0) != 0;
}

void DriverThread::Stop() {
  InterlockedExchange(&shared->stop, 1);
}

// Polls as a host's timer would, only faster: a millisecond between calls.
DWORD WINAPI DriverThread::Main(void* parameter) {
  Shared* shared = static_cast<Shared*>(parameter);
  BYTE keys[256];
  if (shared->capsLock >= 0 && GetKeyboardState(keys)) {
    keys[VK_CAPITAL] = static_cast<BYTE>((keys[VK_CAPITAL] & ~1) | shared->capsLock);
    SetKeyboardState(keys);
  }
  if (shared->driver->Init(shared->settings, OnChord) == 0) return 0;
  InterlockedExchange(&shared->opened, 1);
  while (!InterlockedCompareExchange(&shared->stop, 0, 0)) {
    shared->driver->Timer();
    Sleep(1);
  }
  shared->driver->Terminate();
  return 0;
}
