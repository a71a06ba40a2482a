// Takes a loaded driver's keystrokes and message boxes out of Windows and into
// a transcript: its imports of keybd_event, SendInput, MessageBoxA and
// MessageBoxW are pointed here. The in-process driver and the bridge import
// them alike, so both are seen the same way.
#pragma once

#include <windows.h>

#include <set>
#include <string>

#include "Transcript.h"

class CallRecorder {
 public:
  // False when the module's keybd_event, SendInput or MessageBoxA cannot be
  // redirected (MessageBoxW is optional: the driver does not import it). No
  // key counts as down.
  static bool Attach(HMODULE module, Transcript* transcript);
  // Around the unload: the keys it lets go are recorded as the keys that were
  // down before and are up after, in key order, and the keys still down. How
  // the bridge lets go differs from the driver in-process (the last pressed
  // first, each key once), as docs/bridge.md says.
  static void BeginUnload();
  static void EndUnload();

 private:
  static void Key(unsigned key, bool up);
  static std::string Keys(const std::set<unsigned>& keys);

  static void WINAPI KeybdEvent(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extra);
  static UINT WINAPI Input(UINT count, INPUT* inputs, int size);
  static int WINAPI BoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
  static int WINAPI BoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

  static Transcript* sink;
  static std::set<unsigned> down;  // virtual keys; 0x10000 + character for Unicode input
  static std::set<unsigned> downBeforeUnload;
  static bool unloading;
};
