#include "SystemFacts.h"

#include <stdio.h>
#include <windows.h>

namespace {

template <typename Proc>
Proc NtdllProc(const char* name) {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(ntdll, name)));
}

}  // namespace

// RtlGetVersion answers with the real version, where GetVersionEx answers what
// the program's manifest declares it was tested on.
std::string SystemFacts::WindowsVersion() {
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof info;
  auto getVersion = NtdllProc<LONG(WINAPI*)(OSVERSIONINFOW*)>("RtlGetVersion");
  char text[96] = "Windows (version unknown)";
  if (getVersion && getVersion(&info) == 0) {
    snprintf(text, sizeof text, "Windows %lu.%lu.%lu", info.dwMajorVersion, info.dwMinorVersion,
             info.dwBuildNumber);
  }
  std::string version = text;
  auto wineVersion = NtdllProc<const char*(CDECL*)()>("wine_get_version");
  if (wineVersion) version += std::string(" (Wine ") + wineVersion() + ")";
  return version;
}

std::string SystemFacts::ShiftLockSetting() {
  DWORD attributes = 0;
  bool found = KeyboardAttributes(&attributes);
  char value[16] = "not set";
  if (found) snprintf(value, sizeof value, "0x%08lX", attributes);
  char text[128];
  snprintf(text, sizeof text,
           "Shift turns Caps Lock off: %s (HKCU\\Keyboard Layout\\Attributes %s)",
           attributes & KLF_SHIFTLOCK ? "yes" : "no", value);
  return text;
}

bool SystemFacts::ShiftTurnsCapsLockOff() {
  DWORD attributes = 0;
  return KeyboardAttributes(&attributes) && (attributes & KLF_SHIFTLOCK);
}

bool SystemFacts::KeyboardAttributes(DWORD* attributes) {
  HKEY key;
  DWORD size = sizeof *attributes, type = 0;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Keyboard Layout", 0, KEY_QUERY_VALUE, &key) !=
      ERROR_SUCCESS) {
    return false;
  }
  bool found = RegQueryValueExW(key, L"Attributes", nullptr, &type,
                                reinterpret_cast<BYTE*>(attributes), &size) == ERROR_SUCCESS &&
               type == REG_DWORD;
  RegCloseKey(key);
  if (!found) *attributes = 0;
  return found;
}

bool SystemFacts::UnderWine() {
  return NtdllProc<const char*(CDECL*)()>("wine_get_version") != nullptr;
}
