// The 32-bit helper a 64-bit host's bridge starts: runs the real driver and
// device library for the bridge, over the pipe whose handle it inherited (the
// one argument, in decimal). Ends when the pipe closes; a crash in the device
// library ends it at once, without a dialog, and the bridge carries on.
#include <stdlib.h>
#include <windows.h>

#include "HelperSession.h"

namespace {

LONG WINAPI EndOnCrash(EXCEPTION_POINTERS* info) {
  TerminateProcess(GetCurrentProcess(), info->ExceptionRecord->ExceptionCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  SetUnhandledExceptionFilter(EndOnCrash);
  char* end = nullptr;
  unsigned long value = strtoul(commandLine, &end, 10);
  HANDLE pipe = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(value));
  if (end == commandLine || *end || GetFileType(pipe) != FILE_TYPE_PIPE) return 2;
  HelperSession session(pipe);
  return session.Run();
}
