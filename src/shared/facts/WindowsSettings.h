// What typing depends on beyond the layout: whether this Windows lets ToUnicodeEx
// look at a key without changing the keyboard state, and whether the user set
// Shift to turn Caps Lock off. Read at the first character of a session, the
// Shift setting again when a layout is learned; never per character.
#pragma once

#include <windows.h>

class WindowsSettings {
 public:
  // Forgets both when a session ends: they are read again at first need.
  static void Forget();
  // Whether this is Windows 10 version 1607 (build 14393) or later, where
  // ToUnicodeEx honours flag 4, "the keyboard state is not changed". Before
  // it, any ToUnicodeEx call takes a dead key the user struck on the PC
  // keyboard. The version comes from RtlGetVersion, which answers with the
  // running Windows whatever the host's manifest says, where GetVersionEx
  // answers as the manifest declares.
  static bool AtLeastWindows10Version1607();
  // Whether Shift turns Caps Lock off (the user's KLF_SHIFTLOCK attribute),
  // as last read.
  static bool ShiftClearsCapsLock();
  // Reads the Shift setting again and returns it.
  static bool ReadShiftClearsCapsLock();
  // The running Windows' version from RtlGetVersion; false where there is none.
  static bool RunningVersion(RTL_OSVERSIONINFOW* version);

 private:
  static bool ReadAtLeastWindows10Version1607();
};
