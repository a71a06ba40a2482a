// The files installed together, named relative to the folder of the
// brlvelt.dll a host loads: the driver and the device library beside it, or the
// bridge with its helper's folder, which holds the helper, a copy of the driver
// and the device library.
#pragma once

#include <windows.h>

class InstalledFiles {
 public:
  static constexpr const wchar_t* kDriver = L"brlvelt.dll";
  static constexpr const wchar_t* kDeviceLibrary = L"VELT.DLL";
  static constexpr const wchar_t* kHelper = L"brlvelthost\\brlvelthost.exe";
  static constexpr const wchar_t* kHelperDeviceLibrary = L"brlvelthost\\VELT.DLL";

  // The file name in the folder of module's own file, written into path of
  // size characters; false where that folder cannot be told or the whole does
  // not fit. Never the current folder or the search path.
  static bool Beside(HMODULE module, const wchar_t* name, wchar_t* path, DWORD size);
};
