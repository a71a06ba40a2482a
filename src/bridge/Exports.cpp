// The eight functions a 64-bit host calls, each carried to the driver in the
// helper process by the one bridge, one call at a time: a call from a second
// thread waits until the first thread's call has returned.
#include "../../include/brlvelt.h"
#include "Bridge.h"
#include "ReentrantLock.h"

namespace {

ReentrantLock lock;
// Destroyed at unload, before the lock: lets go of held keys, then ends the
// helper.
Bridge bridge;

}  // namespace

extern "C" {

int BRL_CALL BrlInit(const char* settings, KeyCallback callback) {
  ReentrantLock::Hold hold(lock);
  return bridge.Init(settings, callback);
}

int BRL_CALL BrlTerminate(void) {
  ReentrantLock::Hold hold(lock);
  return bridge.Terminate();
}

int BRL_CALL BrlDisplay(const unsigned char* cells, int count) {
  ReentrantLock::Hold hold(lock);
  return bridge.Display(cells, count);
}

int BRL_CALL BrlDisplayStatus(const unsigned char* cells, int count) {
  ReentrantLock::Hold hold(lock);
  return bridge.DisplayStatus(cells, count);
}

int BRL_CALL BrlClear(void) {
  ReentrantLock::Hold hold(lock);
  return bridge.Clear();
}

int BRL_CALL BrlRefresh(void) {
  ReentrantLock::Hold hold(lock);
  return bridge.Refresh();
}

int BRL_CALL BrlSleep(int sleep) {
  ReentrantLock::Hold hold(lock);
  return bridge.Sleep(sleep);
}

int BRL_CALL BrlTimer(void) {
  ReentrantLock::Hold hold(lock);
  return bridge.Timer();
}

}  // extern "C"
