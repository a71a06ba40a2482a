#include "SystemFacts.h"

#include <stdio.h>
#include <windows.h>

#include "../shared/facts/WindowsSettings.h"

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
  RTL_OSVERSIONINFOW info;
  char text[96] = "Windows (version unknown)";
  if (WindowsSettings::RunningVersion(&info)) {
    snprintf(text, sizeof text, "Windows %lu.%lu.%lu", info.dwMajorVersion, info.dwMinorVersion,
             info.dwBuildNumber);
  }
  std::string version = text;
  auto wineVersion = NtdllProc<const char*(CDECL*)()>("wine_get_version");
  if (wineVersion) version += std::string(" (Wine ") + wineVersion() + ")";
  return version + (WindowsSettings::AtLeastWindows10Version1607()
                        ? "; the driver learns each layout"
                        : "; before 10 1607: the driver only looks keys up");
}

std::string SystemFacts::ShiftLockSetting() {
  return std::string("Shift turns Caps Lock off: ") +
         (WindowsSettings::ReadShiftClearsCapsLock() ? "yes" : "no") +
         " (HKCU\\Keyboard Layout\\Attributes, as the driver reads it)";
}

bool SystemFacts::UnderWine() {
  return NtdllProc<const char*(CDECL*)()>("wine_get_version") != nullptr;
}
