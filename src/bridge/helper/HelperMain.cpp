// The 32-bit helper a 64-bit host's bridge starts: runs the real driver and
// device library for the bridge, over the pipe the bridge named as the one
// argument, which it opens first. Ends when the pipe closes; a crash in the device
// library ends it at once, without a dialog, and the bridge carries on.
#include <string.h>
#include <windows.h>

#include "../../shared/log/LogSession.h"
#include "HelperSession.h"

namespace {

// The log's switch, before the driver is loaded.
LogSession log("helper");

// Where the bridge's pipes are.
const char kPipes[] = "\\\\.\\pipe\\brlvelt-";

LONG WINAPI EndOnCrash(EXCEPTION_POINTERS* info) {
  TerminateProcess(GetCurrentProcess(), info->ExceptionRecord->ExceptionCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  SetUnhandledExceptionFilter(EndOnCrash);
  HelperSession session;
  if (strncmp(commandLine, kPipes, sizeof kPipes - 1) != 0 || !session.Connect(commandLine)) {
    return 2;
  }
  return session.Run();
}
