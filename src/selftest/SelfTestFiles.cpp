#include "SelfTestFiles.h"

#include <stdio.h>

#include <vector>

#include "../shared/facts/InstalledFiles.h"

namespace {

// The key script, as kSettings names it.
const wchar_t kScript[] = L"keys.txt";

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// With its trailing backslash.
std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.erase(folder.find_last_of(L'\\') + 1);
}

}  // namespace

const char SelfTestFiles::kSettings[] = "keys=keys.txt";

// The driver, and the simulated display it must load rather than a real one:
// beside this program, or beside the bridge's helper.
bool SelfTestFiles::Find(bool bridge) {
  if (bridge && sizeof(void*) != 8) {
    printf("--bridge is for the 64-bit self-test, in the win64 package.\n");
    return false;
  }
  folder = ProgramFolder();
  std::vector<const wchar_t*> needed = {InstalledFiles::kDriver, InstalledFiles::kDeviceLibrary};
  if (bridge) {
    needed = {InstalledFiles::kDriver, InstalledFiles::kHelper,
              InstalledFiles::kHelperDeviceLibrary};
  }
  for (const wchar_t* name : needed) {
    if (Exists(folder + name)) continue;
    printf("Missing beside brlvelt-selftest.exe: %ls\n", name);
    // The win64 package has the bridge beside the self-test, and no VELT.DLL.
    if (!bridge && sizeof(void*) == 8)
      printf("With the win64 package: brlvelt-selftest --bridge\n");
    return false;
  }
  return true;
}

std::wstring SelfTestFiles::Driver() const {
  return folder + InstalledFiles::kDriver;
}

// The key script goes into a folder of its own under the user's temporary
// folder, made the current folder: the settings name it relatively, within the
// 79 characters the driver passes on, and the bridge's helper keeps this folder.
bool SelfTestFiles::WriteScript(const TypingSample& sample) {
  wchar_t temp[MAX_PATH];
  DWORD length = GetTempPathW(MAX_PATH, temp);
  scriptFolder = std::wstring(temp, length) + L"brlvelt-selftest";
  CreateDirectoryW(scriptFolder.c_str(), nullptr);
  if (SetCurrentDirectoryW(scriptFolder.c_str()) && sample.WriteScript(kScript)) return true;
  printf("Could not write the key script into %ls.\n", scriptFolder.c_str());
  return false;
}

// Only a script this run wrote: before, the current folder is still the user's.
void SelfTestFiles::RemoveScript() const {
  if (scriptFolder.empty()) return;
  DeleteFileW((scriptFolder + L"\\" + kScript).c_str());
  SetCurrentDirectoryW(folder.c_str());
  RemoveDirectoryW(scriptFolder.c_str());
}
