// What the driver asks of the host's process, sent to the helper's session
// instead: its imports of keybd_event, SendInput and MessageBoxA, and the key
// callback it is given. Its Caps Lock is the host's: GetKeyState answers it as
// the host's thread read it for the request, since the helper's own thread
// never receives keyboard input.
#pragma once

#include <windows.h>

#include "../../../include/brlvelt.h"

class HelperSession;

class CallRedirects {
 public:
  // Rewrites the driver's imports; false when one of them is missing.
  static bool Apply(HMODULE driver, HelperSession* session);
  static void Clear();
  static int BRL_CALLBACK Chord(int code, int param);
  // Caps Lock as the host's thread read it for the request being served.
  static void CarryCapsLock(bool on) { capsLock = on; }

 private:
  static VOID WINAPI ForwardKeybdEvent(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR);
  static UINT WINAPI ForwardSendInput(UINT count, LPINPUT inputs, int size);
  static int WINAPI ForwardMessageBox(HWND, LPCSTR text, LPCSTR caption, UINT type);
  static SHORT WINAPI HostKeyState(int vk);

  static HelperSession* session;
  static bool capsLock;
};
