#include "WindowsSettings.h"

namespace {

// Not read yet, read as true or false.
enum Setting { kUnread, kNo, kYes };

Setting atLeast1607 = kUnread;
Setting shiftClearsCapsLock = kUnread;

Setting Of(bool value) {
  return value ? kYes : kNo;
}

typedef LONG(WINAPI* GetVersionProc)(RTL_OSVERSIONINFOW* version);

}  // namespace

void WindowsSettings::Forget() {
  atLeast1607 = shiftClearsCapsLock = kUnread;
}

bool WindowsSettings::AtLeastWindows10Version1607() {
  if (atLeast1607 == kUnread) atLeast1607 = Of(ReadAtLeastWindows10Version1607());
  return atLeast1607 == kYes;
}

bool WindowsSettings::ShiftClearsCapsLock() {
  if (shiftClearsCapsLock == kUnread) return ReadShiftClearsCapsLock();
  return shiftClearsCapsLock == kYes;
}

// ntdll is loaded in every process.
bool WindowsSettings::RunningVersion(RTL_OSVERSIONINFOW* version) {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  FARPROC proc = ntdll ? GetProcAddress(ntdll, "RtlGetVersion") : nullptr;
  *version = {};
  version->dwOSVersionInfoSize = sizeof *version;
  return proc && reinterpret_cast<GetVersionProc>(reinterpret_cast<void (*)()>(proc))(version) == 0;
}

// Without RtlGetVersion the answer is no.
bool WindowsSettings::ReadAtLeastWindows10Version1607() {
  RTL_OSVERSIONINFOW version;
  if (!RunningVersion(&version)) return false;
  if (version.dwMajorVersion != 10) return version.dwMajorVersion > 10;
  return version.dwMinorVersion > 0 || version.dwBuildNumber >= 14393;
}

// HKCU\Keyboard Layout\Attributes holds KLF_SHIFTLOCK when Shift turns Caps Lock
// off; without the value, Caps Lock does, as by default. Where the setting cannot
// be read, Shift is taken to turn it off: the guess that never changes the text.
bool WindowsSettings::ReadShiftClearsCapsLock() {
  HKEY key = nullptr;
  LONG result = RegOpenKeyExA(HKEY_CURRENT_USER, "Keyboard Layout", 0, KEY_QUERY_VALUE, &key);
  DWORD attributes = 0, type = 0, size = sizeof attributes;
  if (result == ERROR_SUCCESS) {
    result = RegQueryValueExA(key, "Attributes", nullptr, &type,
                              reinterpret_cast<BYTE*>(&attributes), &size);
    RegCloseKey(key);
  }
  bool read = result == ERROR_SUCCESS && type == REG_DWORD && size == sizeof attributes;
  bool clears = read ? (attributes & KLF_SHIFTLOCK) != 0 : result != ERROR_FILE_NOT_FOUND;
  shiftClearsCapsLock = Of(clears);
  return clears;
}
