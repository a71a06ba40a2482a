// The eight functions the host calls, each forwarding to the one display object.
#include "../../include/brlvelt.h"
#include "../shared/log/Log.h"
#include "../shared/log/LogLine.h"
#include "../shared/log/LogSession.h"
#include "model/VeltDisplay.h"

namespace {

// Constructed at library load, destroyed at unload, in this order and the
// reverse: the log's switch first, then the display, which sets and clears
// theDisplay.
LogSession session("driver");
VeltDisplay display;

}  // namespace

extern "C" {

int BRL_CALL BrlInit(const char* settings, KeyCallback callback) {
  if (Log::On()) {
    LogLine()
        .Text("BrlInit ")
        .Quoted(settings, BrailleDisplay::kSettingsSize)
        .Text(callback ? "" : ", no callback");
  }
  int result = 0;
  if (theDisplay && theDisplay->Initialize(settings, callback)) {
    result = theDisplay->CellCount() | theDisplay->StatusCellCount() << 8;
  }
  if (Log::On()) LogLine().Text("BrlInit -> ").Number(result);
  return result;
}

int BRL_CALL BrlTerminate(void) {
  if (Log::On()) LogLine().Text("BrlTerminate");
  if (theDisplay) theDisplay->Terminate();
  return 0;
}

int BRL_CALL BrlDisplay(const unsigned char* cells, int count) {
  return theDisplay ? theDisplay->Display(cells, count) : 0;
}

int BRL_CALL BrlDisplayStatus(const unsigned char* cells, int count) {
  return theDisplay ? theDisplay->DisplayStatus(cells, count) : 0;
}

int BRL_CALL BrlClear(void) {
  return theDisplay ? theDisplay->Clear() : 0;
}

int BRL_CALL BrlRefresh(void) {
  return theDisplay ? theDisplay->Send() : 0;
}

int BRL_CALL BrlSleep(int sleep) {
  return theDisplay ? theDisplay->Sleep(sleep) : 0;
}

int BRL_CALL BrlTimer(void) {
  if (theDisplay) theDisplay->Poll();
  return 0;
}

}  // extern "C"
