#include "LayoutList.h"

#include <stdio.h>
#include <stdlib.h>

bool LayoutList::Collect(int count, char** klids) {
  installed.resize(GetKeyboardLayoutList(0, nullptr));
  installed.resize(GetKeyboardLayoutList(static_cast<int>(installed.size()), installed.data()));
  if (count == 0) {
    for (HKL handle : installed) layouts.push_back({handle, "", false});
    if (!layouts.empty()) return true;
    printf("Windows lists no keyboard layout for you.\n");
    return false;
  }
  for (int i = 0; i < count; ++i) {
    std::string klid = klids[i];
    if (klid.size() != 8 || klid.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
      printf("Not a keyboard layout ID (eight hex digits, such as 0000040C): %s\n", klids[i]);
      return false;
    }
    wchar_t wide[KL_NAMELENGTH];
    MultiByteToWideChar(CP_ACP, 0, klid.c_str(), -1, wide, KL_NAMELENGTH);
    HKL handle = LoadKeyboardLayoutW(wide, KLF_NOTELLSHELL);
    layouts.push_back({handle, klid, handle && !Installed(handle)});
  }
  return true;
}

bool LayoutList::Installed(HKL handle) const {
  for (HKL known : installed) {
    if (known == handle) return true;
  }
  return false;
}

void LayoutList::UnloadAdded() {
  for (const Layout& layout : layouts) {
    if (layout.loadedHere) UnloadKeyboardLayout(layout.handle);
  }
}

// The registry's name of the layout; where Windows has none (Wine), the name of
// the layout's language, in brackets.
std::string LayoutList::Name(const std::string& klid) {
  std::string path = "SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts\\" + klid;
  HKEY key;
  char name[128] = {};
  DWORD size = sizeof name - 1, type = 0;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
    bool found = RegQueryValueExA(key, "Layout Text", nullptr, &type, reinterpret_cast<BYTE*>(name),
                                  &size) == ERROR_SUCCESS &&
                 type == REG_SZ;
    RegCloseKey(key);
    if (found && name[0]) return name;
  }
  LCID language = MAKELCID(strtoul(klid.c_str(), nullptr, 16) & 0xFFFF, SORT_DEFAULT);
  if (!GetLocaleInfoA(language, LOCALE_SENGLANGUAGE, name, sizeof name)) return "?";
  return std::string("[") + name + "]";
}
