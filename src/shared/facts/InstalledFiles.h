// The files installed together, named relative to the folder of the
// brlvelt.dll a host loads: the driver and the device library beside it, or the
// bridge with its helper's folder, which holds the helper, a copy of the driver
// and the device library.
#pragma once

class InstalledFiles {
 public:
  static constexpr const wchar_t* kDriver = L"brlvelt.dll";
  static constexpr const wchar_t* kDeviceLibrary = L"VELT.DLL";
  static constexpr const wchar_t* kHelper = L"brlvelthost\\brlvelthost.exe";
  static constexpr const wchar_t* kHelperDeviceLibrary = L"brlvelthost\\VELT.DLL";
};
