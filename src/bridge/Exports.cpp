// The eight functions a 64-bit host calls, each carried to the driver in the
// helper process by the one bridge session, one call at a time (see CallOrder).
#include "../../include/brlvelt.h"
#include "../shared/log/LogSession.h"
#include "BridgeSession.h"

namespace {

// The log's switch first; the session is destroyed at unload before it: lets go
// of held keys, then ends the helper.
LogSession session("bridge");
BridgeSession bridge;

// Set first thing at unload, before the objects above are destroyed. Ending
// the helper handles sent messages; a call made from one answers 0 and touches
// nothing.
bool unloading = false;

}  // namespace

extern "C" {

// Runs before the destructors at unload.
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_DETACH) unloading = true;
  return TRUE;
}

int BRL_CALL BrlInit(const char* settings, KeyCallback callback) {
  return unloading ? 0 : bridge.Init(settings, callback);
}

int BRL_CALL BrlTerminate(void) {
  return unloading ? 0 : bridge.Terminate();
}

int BRL_CALL BrlDisplay(const unsigned char* cells, int count) {
  return unloading ? 0 : bridge.Display(cells, count);
}

int BRL_CALL BrlDisplayStatus(const unsigned char* cells, int count) {
  return unloading ? 0 : bridge.DisplayStatus(cells, count);
}

int BRL_CALL BrlClear(void) {
  return unloading ? 0 : bridge.Clear();
}

int BRL_CALL BrlRefresh(void) {
  return unloading ? 0 : bridge.Refresh();
}

int BRL_CALL BrlSleep(int sleep) {
  return unloading ? 0 : bridge.Sleep(sleep);
}

int BRL_CALL BrlTimer(void) {
  return unloading ? 0 : bridge.Timer();
}

}  // extern "C"
