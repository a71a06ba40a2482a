// The eight functions a 64-bit host calls, each carried to the driver in the
// helper process by the one bridge, one call at a time: a call from a second
// thread waits until the first thread's call has returned, or has entered the
// host's callback or a message box; then it runs nested in that call, which
// goes on once the nested call has returned.
#include "../../include/brlvelt.h"
#include "Bridge.h"

namespace {

// Destroyed at unload: lets go of held keys, then ends the helper.
Bridge bridge;

}  // namespace

extern "C" {

int BRL_CALL BrlInit(const char* settings, KeyCallback callback) {
  ReentrantLock::Hold hold(bridge.Lock());
  return bridge.Init(settings, callback);
}

int BRL_CALL BrlTerminate(void) {
  ReentrantLock::Hold hold(bridge.Lock());
  return bridge.Terminate();
}

int BRL_CALL BrlDisplay(const unsigned char* cells, int count) {
  ReentrantLock::Hold hold(bridge.Lock());
  return bridge.Display(cells, count);
}

int BRL_CALL BrlDisplayStatus(const unsigned char* cells, int count) {
  ReentrantLock::Hold hold(bridge.Lock());
  return bridge.DisplayStatus(cells, count);
}

int BRL_CALL BrlClear(void) {
  ReentrantLock::Hold hold(bridge.Lock());
  return bridge.Clear();
}

int BRL_CALL BrlRefresh(void) {
  ReentrantLock::Hold hold(bridge.Lock());
  return bridge.Refresh();
}

int BRL_CALL BrlSleep(int sleep) {
  ReentrantLock::Hold hold(bridge.Lock());
  return bridge.Sleep(sleep);
}

int BRL_CALL BrlTimer(void) {
  ReentrantLock::Hold hold(bridge.Lock());
  return bridge.Timer();
}

}  // extern "C"
