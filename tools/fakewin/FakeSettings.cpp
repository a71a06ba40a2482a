// The stand-in's ntdll RtlGetVersion and advapi32 registry functions: the running
// Windows' version and the one registry value the driver reads, the user's
// "press Shift to turn off Caps Lock" setting.
#include <string.h>
#include <strings.h>

#include <string>

#include "FakeWindows.h"

namespace fake {

namespace {

const HKEY kKeyboardLayoutKey = reinterpret_cast<HKEY>(0x4B4C);

LONG WINAPI RtlGetVersion(RTL_OSVERSIONINFOW* version) {
  if (Recording(__func__)) fake::Record("RtlGetVersion()");
  version->dwMajorVersion = win().versionMajor;
  version->dwMinorVersion = win().versionMinor;
  version->dwBuildNumber = win().versionBuild;
  version->dwPlatformId = 2;
  return 0;
}

}  // namespace

Module& Ntdll() {
  static Module* ntdll = new Module{"ntdll.dll", {{"RtlGetVersion", Export(RtlGetVersion)}}, 1};
  return *ntdll;
}

}  // namespace fake

extern "C" {

HMODULE WINAPI GetModuleHandleA(LPCSTR name) {
  if (fake::Recording(__func__)) fake::Record("GetModuleHandleA(" + std::string(name) + ")");
  if (strcasecmp(name, "ntdll.dll") == 0) return reinterpret_cast<HMODULE>(&fake::Ntdll());
  for (fake::Module& module : fake::win().modules) {
    if (module.references > 0 && strcasecmp(module.name.c_str(), name) == 0) {
      return reinterpret_cast<HMODULE>(&module);
    }
  }
  return nullptr;
}

LONG WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM, PHKEY result) {
  if (fake::Recording(__func__)) fake::Record("RegOpenKeyExA(" + std::string(subKey) + ")");
  if (key != HKEY_CURRENT_USER || strcasecmp(subKey, "Keyboard Layout") != 0) {
    return ERROR_FILE_NOT_FOUND;
  }
  *result = fake::kKeyboardLayoutKey;
  return ERROR_SUCCESS;
}

LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD, LPDWORD type, LPBYTE data,
                             LPDWORD size) {
  if (fake::Recording(__func__)) fake::Record("RegQueryValueExA(" + std::string(name) + ")");
  if (key != fake::kKeyboardLayoutKey) return ERROR_INVALID_HANDLE;
  if (strcasecmp(name, "Attributes") != 0 || !fake::win().shiftClearsCapsLock) {
    return ERROR_FILE_NOT_FOUND;
  }
  DWORD attributes = KLF_SHIFTLOCK;
  if (type) *type = REG_DWORD;
  DWORD room = size ? *size : 0;
  if (size) *size = sizeof attributes;
  if (!data) return ERROR_SUCCESS;
  if (room < sizeof attributes) return ERROR_MORE_DATA;
  memcpy(data, &attributes, sizeof attributes);
  return ERROR_SUCCESS;
}

LONG WINAPI RegCloseKey(HKEY key) {
  if (fake::Recording(__func__)) fake::Record("RegCloseKey()");
  return key == fake::kKeyboardLayoutKey ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

}  // extern "C"
