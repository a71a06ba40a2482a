// The eight functions a 64-bit host calls, each carried to the driver in the
// helper process by the one bridge session, one call at a time (see CallGate).
#include "../../include/brlvelt.h"
#include "../log/LogSession.h"
#include "BridgeSession.h"

namespace {

// The log's switch first; the session is destroyed at unload before it: lets go
// of held keys, then ends the helper.
LogSession session("bridge");
BridgeSession bridge;

}  // namespace

extern "C" {

int BRL_CALL BrlInit(const char* settings, KeyCallback callback) {
  return bridge.Init(settings, callback);
}

int BRL_CALL BrlTerminate(void) {
  return bridge.Terminate();
}

int BRL_CALL BrlDisplay(const unsigned char* cells, int count) {
  return bridge.Display(cells, count);
}

int BRL_CALL BrlDisplayStatus(const unsigned char* cells, int count) {
  return bridge.DisplayStatus(cells, count);
}

int BRL_CALL BrlClear(void) {
  return bridge.Clear();
}

int BRL_CALL BrlRefresh(void) {
  return bridge.Refresh();
}

int BRL_CALL BrlSleep(int sleep) {
  return bridge.Sleep(sleep);
}

int BRL_CALL BrlTimer(void) {
  return bridge.Timer();
}

}  // extern "C"
