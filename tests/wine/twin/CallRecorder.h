// Takes a loaded driver's keystrokes and message boxes out of Windows and into
// a transcript: its imports of keybd_event, SendInput, MessageBoxA and
// MessageBoxW are pointed here. The in-process driver and the bridge import
// them alike, so both are seen the same way.
#pragma once

#include <windows.h>

#include "Transcript.h"

class CallRecorder {
 public:
  // False when the module's keybd_event, SendInput or MessageBoxA cannot be
  // redirected (MessageBoxW is optional: the driver does not import it).
  static bool Attach(HMODULE module, Transcript* transcript);

 private:
  static void WINAPI KeybdEvent(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extra);
  static UINT WINAPI Input(UINT count, INPUT* inputs, int size);
  static int WINAPI BoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
  static int WINAPI BoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

  static Transcript* sink;
};
