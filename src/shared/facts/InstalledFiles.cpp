#include "InstalledFiles.h"

#include <wchar.h>

bool InstalledFiles::Beside(HMODULE module, const wchar_t* name, wchar_t* path, DWORD size) {
  DWORD length = GetModuleFileNameW(module, path, size);
  wchar_t* slash = length > 0 && length < size ? wcsrchr(path, L'\\') : nullptr;
  if (!slash || static_cast<size_t>(slash + 1 - path) + wcslen(name) >= size) return false;
  wcscpy(slash + 1, name);
  return true;
}
